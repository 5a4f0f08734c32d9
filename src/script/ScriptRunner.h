#pragma once

// Plays a scenario against the headless game: one command per line, answers and events printed
// as they happen. The format is fixed, since other people's scenarios are compared byte for byte
// with what this prints.

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "flow/Game.h"
#include "scenario/Player.h"
#include "scenario/ScenarioInput.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam::script {

class ScriptRunner {
  public:
    /// The game has started: the title screen is loaded and shown, the clock stands at 0 ms.
    explicit ScriptRunner(std::ostream& out);

    /// Runs every line of `in`; returns the exit status: 0 at the end of the input, 2 after an
    /// error line on `err`, 1 when the output could not be written (also said on `err`).
    int run(scenario::ByteSource& in, std::ostream& err);
    int run(std::istream& in, std::ostream& err);

    /// Tells why the output stream failed, for the error line; without it the line says only that
    /// the stream failed.
    void setWriteFailureReason(std::function<std::string()> reason) {
        m_writeFailureReason = std::move(reason);
    }

    /// Runs one line; throws scenario::ScenarioError on a bad one.
    void execute(std::string_view line);

    flow::Game& game() { return m_game; }
    ui::headless::HeadlessWindowSystem& windowSystem() { return m_windowSystem; }

  private:
    /// The error line for lost output; returns its exit status.
    int writeFailed(std::ostream& err) const;

    std::ostream& m_out;
    ui::headless::HeadlessWindowSystem m_windowSystem;
    flow::Game m_game;
    scenario::Player m_player;
    std::function<std::string()> m_writeFailureReason;
};

}  // namespace kostkolam::script
