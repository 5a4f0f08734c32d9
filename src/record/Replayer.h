#pragma once

// A scenario played in the real windows at real speed: its events happen at their virtual
// instants while the game's clock runs on the real one, held at each next command until its
// instant has come.

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "flow/Game.h"
#include "ui/RealTimeClock.h"

namespace kostkolam::record {

/// One line of a scenario that does something in the windows. Queries (`get`, `dump`,
/// `screens`), comments and empty lines show nothing and are left out.
struct Command {
    enum class Kind { Advance, Menu, Click, Key, Close, Tick, Set, SetVariable };
    Kind kind;
    long line;
    flow::ScreenId screen = flow::ScreenId::frmCihlolam;
    /// The object, menu item, timer or Module1 variable named.
    std::string object;
    std::string property;
    /// The rest of a `set` line.
    std::string value;
    /// Milliseconds, a character code or a variable's value.
    std::int64_t number = 0;
};

/// Reads a scenario. On a line the runner would refuse for its names or numbers, returns
/// nothing and sets `error` to "line N: REASON".
std::optional<std::vector<Command>> readScenario(std::istream& in, std::string& error);

/// Plays commands against a game whose timers run on `clock`. The player's own input goes
/// elsewhere (ReplayAudience).
class Replayer {
  public:
    Replayer(flow::Game& game, ui::RealTimeClock& clock, std::vector<Command> commands);

    /// From the clock's present instant, the scenario's 0.
    void start();
    /// The scenario has been played to its end; the game's time stands still there.
    bool finished() const { return m_next == m_commands.size(); }
    /// Called when a command cannot run (its screen is not loaded), with "line N: REASON"; the
    /// replay stops there.
    std::function<void(const std::string&)> onError;

  private:
    void playDue();
    /// False when the command could not run.
    bool play(const Command& command);

    flow::Game& m_game;
    ui::RealTimeClock& m_clock;
    std::vector<Command> m_commands;
    std::size_t m_next = 0;
    std::int64_t m_origin = 0;
    std::int64_t m_instant = 0;
};

/// Where the player's input goes while a scenario plays: nowhere, but for the close box and
/// "Konec", which end the program. The clock's ticks go on to the game.
class ReplayAudience final : public ui::EventSink {
  public:
    explicit ReplayAudience(flow::Game& game) : m_game(game) {}
    void menuChosen(ui::Screen& screen, int item) override;
    void buttonClicked(ui::Screen&, int) override {}
    void keyTyped(ui::Screen&, std::uint16_t) override {}
    void closeRequested(ui::Screen&) override { m_game.endProgram(); }
    void timerTicked(ui::Timer& timer) override { m_game.timerTicked(timer); }

  private:
    flow::Game& m_game;
};

}  // namespace kostkolam::record
