#include "flow/Game.h"

namespace kostkolam::flow {

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

Game::Game(ui::WindowSystem& windowSystem, const ScreenTable& screens)
    : m_windowSystem(windowSystem), m_screens(screens) {
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

void Game::load(ScreenId id) {
    Slot& s = slot(id);
    if (m_ended || s.state != LoadState::Unloaded) {
        return;
    }
    const ScreenEntry& entry = m_screens[std::size_t(id)];
    auto screen = std::make_unique<ui::Screen>(*entry.layout, int(id));
    m_windowSystem.attach(*screen);
    ++s.generation;
    s.state = LoadState::Hidden;
    s.live.screen = std::move(screen);
    s.live.logic = entry.makeLogic(*this, m_module1, *s.live.screen);
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

ScreenHandle Game::handle(ScreenId id) const {
    return {id, slot(id).generation};
}

bool Game::isCurrent(const ScreenHandle& handle) const {
    const Slot& s = slot(handle.id);
    return s.state != LoadState::Unloaded && s.generation == handle.generation;
}

void Game::deliverAsOne(const std::function<void()>& deliver) {
    const Event event(*this);
    deliver();
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
