#include "flow/Game.h"

#include "level/Level.h"
#include "level/LevelLayouts.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "ui/ScreenLayouts.h"

namespace kostkolam::flow {

namespace {

constexpr std::array<std::string_view, kScreenCount> kScreenNames = {
    "frmCihlolam", "frmLevel1", "frmLevel2", "frmLevel3", "frmKonec"};

}  // namespace

std::string_view screenName(ScreenId id) {
    return kScreenNames[std::size_t(id)];
}

std::optional<ScreenId> screenByName(std::string_view name) {
    for (ScreenId id : kAllScreens) {
        if (screenName(id) == name) {
            return id;
        }
    }
    return std::nullopt;
}

const ui::ScreenLayout& screenLayout(ScreenId id) {
    switch (id) {
        case ScreenId::frmCihlolam:
            return ui::kTitleLayout;
        case ScreenId::frmKonec:
            return ui::kEndLayout;
        default:
            return level::levelLayout(levelNumber(id)).screen;
    }
}

class Game::Event {
  public:
    explicit Event(Game& game) : m_game(game) { ++m_game.m_depth; }
    ~Event() {
        if (--m_game.m_depth == 0) {
            m_game.finishEvent();
        }
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

  private:
    Game& m_game;
};

Game::Game(ui::WindowSystem& windowSystem) : m_windowSystem(windowSystem) {
    m_windowSystem.setEventSink(*this);
}

Game::~Game() {
    for (Slot& s : m_slots) {
        if (s.live.screen) {
            s.live.screen->kill();
        }
    }
    m_parked.clear();
}

void Game::start() {
    Event event(*this);
    load(ScreenId::frmCihlolam);
    show(ScreenId::frmCihlolam);
}

std::unique_ptr<ui::ScreenLogic> Game::makeLogic(ScreenId id, ui::Screen& screen) {
    switch (id) {
        case ScreenId::frmCihlolam:
            return std::make_unique<screens::TitleScreen>(*this, screen);
        case ScreenId::frmKonec:
            return std::make_unique<screens::EndScreen>(*this, screen);
        default:
            return std::make_unique<level::Level>(*this, screen, levelNumber(id));
    }
}

void Game::load(ScreenId id) {
    Slot& s = slot(id);
    if (m_ended || s.state != LoadState::Unloaded) {
        return;
    }
    auto screen = std::make_unique<ui::Screen>(screenLayout(id), int(id));
    m_windowSystem.attach(*screen);
    ++s.generation;
    s.state = LoadState::Hidden;
    s.live.screen = std::move(screen);
    s.live.logic = makeLogic(id, *s.live.screen);
    s.live.screen->setLogic(s.live.logic.get());
    s.live.logic->startUp();
}

void Game::show(ScreenId id) {
    Slot& s = slot(id);
    if (s.state == LoadState::Unloaded) {
        return;
    }
    s.state = LoadState::Shown;
    s.shownAt = ++m_showCount;
    s.live.screen->show();
}

void Game::hide(ScreenId id) {
    Slot& s = slot(id);
    if (s.state == LoadState::Unloaded) {
        return;
    }
    s.state = LoadState::Hidden;
    s.live.screen->hide();
}

void Game::unload(ScreenId id) {
    Slot& s = slot(id);
    if (s.state == LoadState::Unloaded) {
        return;
    }
    ++s.generation;
    s.state = LoadState::Unloaded;
    s.live.screen->kill();
    m_parked.push_back(std::move(s.live));
    s.live = {};
    if (m_depth == 0) {
        m_parked.clear();
    }
}

void Game::endProgram() {
    if (m_ended) {
        return;
    }
    for (ScreenId id : kAllScreens) {
        unload(id);
    }
    m_ended = true;
    m_windowSystem.quit();
}

void Game::startNewGame() {
    for (ScreenId id : kLevelScreens) {
        unload(id);
    }
    load(ScreenId::frmLevel1);
    show(ScreenId::frmLevel1);
}

void Game::messageBox(ui::Screen& owner, const ui::MessageBox& box) {
    m_windowSystem.messageBox(owner, box);
}

LoadState Game::state(ScreenId id) const {
    return slot(id).state;
}

std::optional<ScreenId> Game::activeScreen() const {
    std::optional<ScreenId> active;
    std::uint64_t latest = 0;
    for (ScreenId id : kAllScreens) {
        const Slot& s = slot(id);
        if (s.state == LoadState::Shown && s.shownAt > latest) {
            latest = s.shownAt;
            active = id;
        }
    }
    return active;
}

ui::Screen* Game::screen(ScreenId id) const {
    return slot(id).live.screen.get();
}

ui::ScreenLogic* Game::logic(ScreenId id) const {
    return slot(id).live.logic.get();
}

ScreenHandle Game::handle(ScreenId id) const {
    return {id, slot(id).generation};
}

bool Game::isCurrent(const ScreenHandle& handle) const {
    const Slot& s = slot(handle.id);
    return s.state != LoadState::Unloaded && s.generation == handle.generation;
}

void Game::finishEvent() {
    // A game with no screen on the desktop would be an invisible process: end it.
    if (!m_ended && !activeScreen()) {
        endProgram();
    }
    m_parked.clear();
    m_windowSystem.eventFinished();
}

void Game::menuChosen(ui::Screen& screen, int item) {
    Event event(*this);
    if (accepts(screen)) {
        screen.logic()->menuChosen(item);
    }
}

void Game::buttonClicked(ui::Screen& screen, int button) {
    Event event(*this);
    if (accepts(screen)) {
        screen.logic()->buttonClicked(button);
    }
}

void Game::keyTyped(ui::Screen& screen, std::uint16_t code) {
    Event event(*this);
    if (accepts(screen)) {
        screen.logic()->keyTyped(code);
    }
}

void Game::closeRequested(ui::Screen& screen) {
    Event event(*this);
    if (!accepts(screen)) {
        return;
    }
    // The end screen's close box closes it alone and leaves the level behind it playable; every
    // other screen's close box ends the game, as its menu's "Konec" does.
    const auto id = ScreenId(screen.tag());
    if (id == ScreenId::frmKonec) {
        unload(id);
    } else {
        endProgram();
    }
}

void Game::timerTicked(ui::Timer& timer) {
    Event event(*this);
    if (accepts(timer.screen())) {
        timer.screen().logic()->timerTicked(timer.index());
    }
}

}  // namespace kostkolam::flow
