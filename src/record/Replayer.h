#pragma once

// A scenario played in the real windows at real speed: its events happen at their virtual
// instants while the game's clock runs on the real one, held at each next command until its
// instant has come. The scenario is read and played as the runner reads and plays it, so a
// scenario the runner refuses is refused here too, with the runner's reason.

#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "flow/Game.h"
#include "scenario/Command.h"
#include "scenario/Player.h"
#include "scenario/ScenarioInput.h"
#include "ui/RealTimeClock.h"

namespace kostkolam::record {

/// A command of the scenario and the number of the line it was read from.
struct ScenarioStep {
    long line;
    scenario::Command command;
};

/// Reads a whole scenario within the runner's limits. On a line the runner would refuse by its
/// text, words, names or numbers, returns nothing and sets `error` to "line N: REASON".
std::optional<std::vector<ScenarioStep>> readScenario(scenario::ByteSource& in, std::string& error);
std::optional<std::vector<ScenarioStep>> readScenario(std::istream& in, std::string& error);

/// Plays commands against a game whose timers run on `clock`. Queries are played too, their
/// answers unheard, so that a query the runner refuses (its screen not loaded) stops the replay
/// where it stops the runner. The player's own input goes elsewhere (ReplayAudience).
class Replayer {
  public:
    Replayer(flow::Game& game, ui::RealTimeClock& clock, std::vector<ScenarioStep> steps);

    /// From the clock's present instant, the scenario's 0.
    void start();
    /// The scenario has been played to its end; the game's time stands still there.
    bool finished() const { return m_next == m_steps.size(); }
    /// Called when a command cannot run (its screen is not loaded), with "line N: REASON"; the
    /// replay stops there.
    std::function<void(const std::string&)> onError;

  private:
    void playDue();

    ui::RealTimeClock& m_clock;
    std::vector<ScenarioStep> m_steps;
    scenario::Player m_player;
    std::size_t m_next = 0;
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
