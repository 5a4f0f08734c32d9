#include "record/Replayer.h"

#include "scenario/Parser.h"

namespace kostkolam::record {

std::optional<std::vector<ScenarioStep>> readScenario(scenario::ByteSource& in,
                                                      std::string& error) {
    scenario::LineReader reader(in);
    std::vector<ScenarioStep> steps;
    try {
        while (const auto line = reader.next()) {
            if (!scenario::isBlankOrComment(*line)) {
                steps.push_back({reader.lineNumber(), scenario::parseCommand(*line)});
            }
        }
    } catch (const std::runtime_error& refused) {
        // An InputError or a ScenarioError: either way the runner's reason for this line.
        error = "line " + std::to_string(reader.lineNumber()) + ": " + refused.what();
        return std::nullopt;
    }
    return steps;
}

std::optional<std::vector<ScenarioStep>> readScenario(std::istream& in, std::string& error) {
    scenario::StreamSource source(in);
    return readScenario(source, error);
}

Replayer::Replayer(flow::Game& game, ui::RealTimeClock& clock, std::vector<ScenarioStep> steps)
    : m_clock(clock),
      m_steps(std::move(steps)),
      // Time passes by holding the clock (playDue); the answers are for the runner to print.
      m_player(
          game, game, [](std::int64_t) {}, [](const std::string&) {}) {}

void Replayer::start() {
    m_instant = m_clock.now();
    m_clock.holdAt(m_instant, [this] { playDue(); });
}

void Replayer::playDue() {
    while (m_next < m_steps.size()) {
        const ScenarioStep& step = m_steps[m_next++];
        if (const auto* advance = std::get_if<scenario::command::Advance>(&step.command)) {
            if (advance->ms == 0) {
                continue;
            }
            m_instant += advance->ms;
            m_clock.holdAt(m_instant, [this] { playDue(); });
            return;
        }
        try {
            m_player.play(step.command);
        } catch (const scenario::ScenarioError& refused) {
            m_next = m_steps.size();
            if (onError) {
                onError("line " + std::to_string(step.line) + ": " + refused.what());
            }
            break;
        }
    }
    // The end: the game's time stands still where the scenario left it.
    m_clock.holdAt(m_instant);
}

void ReplayAudience::menuChosen(ui::Screen& screen, int item) {
    if (screen.menu()[std::size_t(item)].name == "mnuKonec") {
        m_game.endProgram();
    }
}

}  // namespace kostkolam::record
