#include "fuzz/EventFuzzer.h"

#include <charconv>
#include <cmath>
#include <random>
#include <sstream>

#include "level/LabelNumber.h"
#include "level/LevelLayouts.h"
#include "script/ScriptRunner.h"

namespace kostkolam::fuzz {

namespace {

using flow::LoadState;
using flow::ScreenId;

/// How far past the playfield's edges a visible ball may be: one step beyond an edge is normal.
constexpr float kBallSlack = 3.0f;

bool wholeNumberText(const std::string& text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
           value == std::trunc(value) && level::labelText(value) == text;
}

/// A stream that swallows what the runner prints.
class NullBuffer final : public std::streambuf {
  protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

/// One program run: a scenario runner whose every timer tick is checked too.
class Session final : public ui::EventSink {
  public:
    Session() : m_out(&m_null), m_runner(m_out) { m_runner.windowSystem().setEventSink(*this); }

    script::ScriptRunner& runner() { return m_runner; }
    flow::Game& game() { return m_runner.game(); }
    std::uint64_t ticks() const { return m_ticks; }
    const std::optional<Violation>& violation() const { return m_violation; }

    /// Runs one command and checks the game after it.
    void command(const std::string& line) {
        m_runner.execute(line);
        check();
    }

    void menuChosen(ui::Screen& s, int item) override { game().menuChosen(s, item); }
    void buttonClicked(ui::Screen& s, int button) override { game().buttonClicked(s, button); }
    void keyTyped(ui::Screen& s, std::uint16_t code) override { game().keyTyped(s, code); }
    void closeRequested(ui::Screen& s) override { game().closeRequested(s); }
    void timerTicked(ui::Timer& timer) override {
        ++m_ticks;
        game().timerTicked(timer);
        check();
    }

  private:
    void check() {
        if (!m_violation) {
            m_violation = m_checker.check(game());
        }
    }

    NullBuffer m_null;
    std::ostream m_out;
    script::ScriptRunner m_runner;
    InvariantChecker m_checker;
    std::uint64_t m_ticks = 0;
    std::optional<Violation> m_violation;
};

/// Random choices from a seed, the same on every machine.
class Dice {
  public:
    explicit Dice(std::uint64_t seed) : m_engine(seed) {}
    std::uint64_t below(std::uint64_t n) { return m_engine() % n; }
    bool chance(int percent) { return below(100) < std::uint64_t(percent); }

  private:
    std::mt19937_64 m_engine;
};

/// Time passing: mostly a few ticks, sometimes seconds, now and then minutes.
std::int64_t timeStep(Dice& dice) {
    const auto roll = dice.below(100);
    if (roll < 80) {
        return 1 + std::int64_t(dice.below(200));
    }
    if (roll < 98) {
        return 200 + std::int64_t(dice.below(10'000));
    }
    return 10'000 + std::int64_t(dice.below(290'000));
}

std::string nextCommand(Dice& dice, const flow::Game& game) {
    std::vector<ScreenId> shown;
    for (ScreenId id : flow::kAllScreens) {
        if (game.state(id) == LoadState::Shown) {
            shown.push_back(id);
        }
    }
    const ScreenId id = shown[dice.below(shown.size())];
    const ui::Screen& screen = *game.screen(id);
    const std::string name(table::screenName(id));
    std::vector<int> standing;
    for (const ui::Button& b : screen.bricks()) {
        if (b.visible()) {
            standing.push_back(b.ref().index);
        }
    }
    // Later levels are rarer; clear their fields faster so that they get played too.
    if (flow::levelNumber(id) >= 2 && !standing.empty() && dice.chance(25)) {
        const int brick = standing[dice.below(standing.size())];
        return "set " + name + " cmdBod(" + std::to_string(brick) + ") Visible 0";
    }
    const auto roll = dice.below(1000);

    if (roll < 300) {
        return "advance " + std::to_string(timeStep(dice));
    }
    if (roll < 600) {
        // Mostly the paddle keys, but any character code at all.
        const auto pick = dice.below(10);
        const auto code = pick < 4 ? 97 : (pick < 8 ? 100 : dice.below(65536));
        return "key " + name + " " + std::to_string(code);
    }
    if (roll < 680 && !screen.menu().empty()) {
        // Every item, the ones that end the program less often, so that games get somewhere.
        auto item = dice.below(screen.menu().size());
        if (screen.menu()[item].name == "mnuKonec" && !dice.chance(10)) {
            item = 0;
        }
        return "menu " + name + " " + std::string(screen.menu()[item].name);
    }
    if (roll < 800) {
        // A push button, a brick, or anything else on the screen.
        std::vector<ui::ObjectRef> clickable;
        for (const ui::Button& b : screen.buttons()) {
            clickable.push_back(b.ref());
        }
        for (const ui::Button& b : screen.bricks()) {
            clickable.push_back(b.ref());
        }
        for (const ui::Label& l : screen.labels()) {
            clickable.push_back(l.ref());
        }
        if (!clickable.empty()) {
            const ui::ObjectRef ref = clickable[dice.below(clickable.size())];
            return "click " + name + " " + ui::objectName(screen, ref);
        }
        return "advance 1";
    }
    if (roll < 998 && !standing.empty()) {
        // Not a player's move: knocking a brick out directly lets random play reach the later
        // levels and their cleared fields, which aimless paddling hardly ever would.
        const int brick = standing[dice.below(standing.size())];
        return "set " + name + " cmdBod(" + std::to_string(brick) + ") Visible 0";
    }
    if (roll < 998) {
        return "advance " + std::to_string(timeStep(dice));
    }
    return "close " + name;
}

}  // namespace

std::optional<Violation> InvariantChecker::check(const flow::Game& game) {
    if (game.ended()) {
        return std::nullopt;
    }
    if (!game.activeScreen()) {
        return Violation{"no screen shown", "the program runs with no screen on the desktop"};
    }
    const bool anyLevel = game.loaded(ScreenId::frmLevel1) || game.loaded(ScreenId::frmLevel2) ||
                          game.loaded(ScreenId::frmLevel3);
    if (game.loaded(ScreenId::frmCihlolam) && anyLevel) {
        return Violation{"title beside a level", "the title screen is loaded with a level screen"};
    }
    if (game.loaded(ScreenId::frmLevel1) && game.loaded(ScreenId::frmLevel2)) {
        return Violation{"levels 1 and 2 loaded together", ""};
    }
    int ticking = 0;
    for (ScreenId id : flow::kLevelScreens) {
        const ui::Screen* screen = game.screen(id);
        HiddenLevel& seen = m_levels[flow::levelNumber(id) - 1];
        if (screen == nullptr) {
            seen = {};
            continue;
        }
        const auto& timers = screen->timers();  // tmrHra, tmrMezihra, tmrZivot
        const auto generation = game.handle(id).generation;
        if (!screen->visible() && (!seen.hidden || seen.generation != generation)) {
            seen = {generation, true, timers[1].enabled() || timers[2].enabled()};
        } else if (screen->visible()) {
            seen = {};
        }
        const std::string name(table::screenName(id));
        if (timers[0].enabled()) {
            if (screen->visible()) {
                ++ticking;
            } else if (!seen.countdownRunningWhenHidden) {
                return Violation{"game tick on a hidden level", name};
            }
        }
        for (const ui::Label& label : screen->labels()) {
            const auto labelName = label.layout().name;
            if ((labelName == "lblSko" || labelName == "lblZiv" || labelName == "lblOdpocet") &&
                !wholeNumberText(label.caption())) {
                return Violation{
                    "number label not a whole number",
                    name + "." + std::string(labelName) + "=\"" + label.caption() + "\""};
            }
        }
        const ui::Shape& ball = screen->shapes()[1];
        if (ball.visible() &&
            (ball.left() < -kBallSlack || ball.left() > screen->scaleWidth() + kBallSlack ||
             ball.top() < -kBallSlack || ball.top() > screen->scaleHeight() + kBallSlack)) {
            std::ostringstream where;
            where << name << " ball at " << ball.left() << ", " << ball.top();
            return Violation{"ball off the playfield", where.str()};
        }
    }
    if (ticking > 1) {
        return Violation{"game tick on two shown levels", ""};
    }
    const flow::Module1& m = game.module1();
    if (m.KrokX.has_value() != m.KrokY.has_value()) {
        return Violation{"ball steps half set", ""};
    }
    if (m.KrokX && ((*m.KrokX != 1 && *m.KrokX != -1) || (*m.KrokY != 1 && *m.KrokY != -1))) {
        return Violation{"ball step not 1 or -1", "KrokX=" + std::to_string(*m.KrokX) +
                                                      " KrokY=" + std::to_string(*m.KrokY)};
    }
    return std::nullopt;
}

FuzzResult fuzz(std::uint64_t seed, std::uint64_t events) {
    FuzzResult result;
    result.seed = seed;
    Dice dice(seed);
    auto session = std::make_unique<Session>();
    std::uint64_t ticksBefore = 0;
    result.coverage.games = 1;

    while (result.events < events) {
        if (session->game().ended()) {
            result.coverage.ticks += session->ticks();
            session = std::make_unique<Session>();
            result.script.clear();
            ++result.coverage.games;
        }
        const std::string line = nextCommand(dice, session->game());
        result.script.push_back(line);
        ticksBefore = session->ticks();
        session->command(line);
        ++result.coverage.commands;
        result.events += 1 + (session->ticks() - ticksBefore);

        const flow::Game& game = session->game();
        for (int level = 1; level <= level::kLevelCount; ++level) {
            if (game.state(flow::levelScreen(level)) == LoadState::Shown) {
                ++result.coverage.levelsReached[level - 1];
            }
        }
        if (game.state(ScreenId::frmKonec) == LoadState::Shown) {
            ++result.coverage.gameOvers;
        }
        if (line.ends_with("mnuNapoveda")) {
            ++result.coverage.helpBoxes;
        }
        if (session->violation()) {
            result.violation = session->violation();
            break;
        }
    }
    result.coverage.ticks += session->ticks();
    return result;
}

std::optional<Violation> replay(const std::vector<std::string>& script) {
    Session session;
    try {
        for (const std::string& line : script) {
            session.command(line);
            if (session.violation()) {
                break;
            }
        }
    } catch (const std::exception&) {
        // Leaving lines out can make a later line name a screen that is not loaded: such a
        // scenario shows nothing.
        return std::nullopt;
    }
    return session.violation();
}

std::vector<std::string> minimise(std::vector<std::string> script, const std::string& invariant) {
    const auto stillFails = [&](const std::vector<std::string>& candidate) {
        const auto v = replay(candidate);
        return v && v->invariant == invariant;
    };
    // Leave out ever smaller runs of lines while the same guarantee still breaks.
    for (std::size_t chunk = script.size() / 2; chunk >= 1; chunk /= 2) {
        for (std::size_t start = 0; start + chunk <= script.size();) {
            std::vector<std::string> candidate(script.begin(), script.begin() + long(start));
            candidate.insert(candidate.end(), script.begin() + long(start + chunk), script.end());
            if (stillFails(candidate)) {
                script = std::move(candidate);
            } else {
                start += chunk;
            }
        }
    }
    return script;
}

}  // namespace kostkolam::fuzz
