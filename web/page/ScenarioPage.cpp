// The page's program for the browser tests' scenario files: each scenario plays, line by line as
// kostkolam-script plays it, against the page's real windows and the page's own clock. A menu
// command, a click and a close box are pressed on the page's own elements, whose handlers hand
// them to the game as the player's are; typed characters and ticks go to the page's clock. Only the
// clock's time is the scenario's: it stands still but where a line lets it pass, and then moves
// from one due tick to the next, as the browser's timer would wake the game at each. A scenario
// of a minute takes as long as its ticks take to run.
//
// The page hands the scenario's bytes in on its desktop as scenarioInput (a Uint8Array) and
// calls kk_play_scenario(); the desktop's scenarioResult then holds {status, out, err}, the
// runner's exit status and what it wrote on its two streams, as bytes.

#include <emscripten/emscripten.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "flow/Game.h"
#include "scenario/Formatter.h"
#include "scenario/Parser.h"
#include "scenario/Player.h"
#include "scenario/ScenarioInput.h"
#include "table/ScreenTable.h"
#include "ui/RealTimeClock.h"
#include "ui/web/WebWindowSystem.h"

// clang-format off
EM_JS(int, kk_scenario_size, (), {
    return Module.desktop.scenarioInput.length;
});
EM_JS(void, kk_scenario_copy, (char* into), {
    HEAPU8.set(Module.desktop.scenarioInput, into);
});
EM_JS(void, kk_scenario_result, (int status, const char* out, int outSize, const char* err,
                                 int errSize), {
    Module.desktop.scenarioResult = {
        status, out: HEAPU8.slice(out, out + outSize), err: HEAPU8.slice(err, err + errSize),
    };
});
EM_JS(void, kk_scenario_press, (int window, const char* what, const char* name, int length), {
    Module.desktop.scenarioPress(window, UTF8ToString(what), UTF8ToString(name, length));
});
// clang-format on

namespace {

using namespace kostkolam;

/// The scenario's time: whole milliseconds that pass only when the scenario says, and the
/// clock's one alarm, kept until the time reaches it.
class ScenarioTime final : public ui::RealTimeSource {
  public:
    std::int64_t nowNs() const override { return m_nowMs * 1'000'000; }
    void setAlarm(std::int64_t delayMs) override { m_alarmMs = m_nowMs + delayMs; }
    void cancelAlarm() override { m_alarmMs.reset(); }

    /// Moves the time on by `ms`, waking `clock` at each alarm on the way, in order.
    void pass(std::int64_t ms, ui::RealTimeClock& clock) {
        const std::int64_t end = m_nowMs + ms;
        while (m_alarmMs && *m_alarmMs <= end) {
            m_nowMs = *m_alarmMs;
            m_alarmMs.reset();
            clock.wake();
        }
        m_nowMs = end;
        clock.catchUp();
    }

  private:
    std::int64_t m_nowMs = 0;
    std::optional<std::int64_t> m_alarmMs;
};

/// The scenario's input on the page: pressed on the window's elements where the player would
/// press, typed and ticked through the page's clock.
class PageInput final : public ui::EventSink {
  public:
    explicit PageInput(ui::web::WebWindowSystem& system) : m_system(system) {}

    void menuChosen(ui::Screen& screen, int item) override {
        press(screen, "menu", screen.menu()[std::size_t(item)].name);
    }
    void buttonClicked(ui::Screen& screen, int button) override {
        press(screen, "button", screen.buttons()[std::size_t(button)].layout().name);
    }
    void closeRequested(ui::Screen& screen) override { press(screen, "close", ""); }
    void keyTyped(ui::Screen& screen, std::uint16_t code) override {
        m_system.clock().keyTyped(screen, code);
    }
    void timerTicked(ui::Timer& timer) override { m_system.clock().timerTicked(timer); }

  private:
    void press(const ui::Screen& screen, const char* what, std::string_view name) {
        kk_scenario_press(m_system.windowOf(screen), what, name.data(), int(name.size()));
    }

    ui::web::WebWindowSystem& m_system;
};

/// One scenario played from a fresh start of the game: the page's windows on the scenario's
/// time, the game in them, and the player of the scenario's commands. Answers and the events
/// "@T msgbox ..." and "@T end" are written to `out` as the runner prints them.
class PlayedScenario {
  public:
    explicit PlayedScenario(std::ostream& out)
        : m_windowSystem(m_time),
          m_game(m_windowSystem, table::screens()),
          m_player(
              m_game, m_input, [this](std::int64_t ms) { m_time.pass(ms, m_windowSystem.clock()); },
              [&out](const std::string& answer) { out << answer << '\n'; }) {
        m_windowSystem.setEventLog(
            [&out](const ui::ShownEvent& event) { out << scenario::eventLine(event) << '\n'; });
    }

    ui::web::WebWindowSystem& windowSystem() { return m_windowSystem; }

    /// Starts the game at its title, the clock at 0 ms, and plays every line of `in`; returns the
    /// runner's exit status: 0 at the end of the input, 2 after the error line on `err`
    /// ("error: line N: ..."), with what was printed before it kept.
    int play(std::istream& in, std::ostream& err) {
        m_game.start();
        scenario::StreamSource source(in);
        scenario::LineReader reader(source);
        std::optional<std::string> error;
        try {
            while (const auto line = reader.next()) {
                if (!scenario::isBlankOrComment(*line)) {
                    m_player.play(scenario::parseCommand(*line));
                }
            }
        } catch (const scenario::InputError& e) {
            error = e.what();
        } catch (const scenario::ScenarioError& e) {
            error = e.what();
        }
        if (!error) {
            return 0;
        }
        err << "error: line " << reader.lineNumber() << ": " << *error << '\n';
        return 2;
    }

  private:
    ScenarioTime m_time;
    ui::web::WebWindowSystem m_windowSystem;
    flow::Game m_game;
    PageInput m_input{m_windowSystem};
    scenario::Player m_player;
};

/// The scenario being played, for the page's elements to hand their input to.
PlayedScenario* g_playing = nullptr;

ui::Screen* screenOf(int window) {
    return g_playing ? g_playing->windowSystem().screenOf(window) : nullptr;
}

}  // namespace

extern "C" {

/// Plays the desktop's scenarioInput from a fresh start of the game; its windows go when it has
/// played.
EMSCRIPTEN_KEEPALIVE void kk_play_scenario() {
    std::string input(std::size_t(kk_scenario_size()), '\0');
    kk_scenario_copy(input.data());
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    int status = 0;
    {
        PlayedScenario played(out);
        g_playing = &played;
        status = played.play(in, err);
    }
    g_playing = nullptr;
    const std::string printed = out.str();
    const std::string errors = err.str();
    kk_scenario_result(status, printed.data(), int(printed.size()), errors.data(),
                       int(errors.size()));
}

// What the page's elements hand in, by window, as in the page's own program.

EMSCRIPTEN_KEEPALIVE void kk_menu(int window, int item) {
    if (ui::Screen* screen = screenOf(window)) {
        g_playing->windowSystem().clock().menuChosen(*screen, item);
    }
}

EMSCRIPTEN_KEEPALIVE void kk_button(int window, int button) {
    if (ui::Screen* screen = screenOf(window)) {
        g_playing->windowSystem().clock().buttonClicked(*screen, button);
    }
}

EMSCRIPTEN_KEEPALIVE void kk_close(int window) {
    if (ui::Screen* screen = screenOf(window)) {
        g_playing->windowSystem().clock().closeRequested(*screen);
    }
}

}  // extern "C"
