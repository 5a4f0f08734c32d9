#include "script/ScriptRunner.h"

#include <optional>

#include "scenario/Formatter.h"
#include "scenario/Parser.h"
#include "table/ScreenTable.h"

namespace kostkolam::script {

ScriptRunner::ScriptRunner(std::ostream& out)
    : m_out(out),
      m_windowSystem(
          [this](const ui::ShownEvent& event) { m_out << scenario::eventLine(event) << '\n'; }),
      m_game(m_windowSystem, table::screens()),
      m_player(
          m_game, m_game, [this](std::int64_t ms) { m_windowSystem.advance(ms); },
          [this](const std::string& answer) { m_out << answer << '\n'; }) {
    m_game.start();
}

int ScriptRunner::run(std::istream& in, std::ostream& err) {
    scenario::StreamSource source(in);
    return run(source, err);
}

int ScriptRunner::run(scenario::ByteSource& in, std::ostream& err) {
    scenario::LineReader reader(in);
    std::optional<std::string> error;
    try {
        while (const auto line = reader.next()) {
            execute(*line);
            if (!m_out) {
                return writeFailed(err);
            }
        }
    } catch (const scenario::InputError& e) {
        error = e.what();
    } catch (const scenario::ScenarioError& e) {
        error = e.what();
    }
    // What was printed before an error stays; lost output outweighs the error itself.
    m_out.flush();
    if (!m_out) {
        return writeFailed(err);
    }
    if (error) {
        err << "error: line " << reader.lineNumber() << ": " << *error << '\n';
        err.flush();
        return 2;
    }
    return 0;
}

int ScriptRunner::writeFailed(std::ostream& err) const {
    const std::string reason = m_writeFailureReason ? m_writeFailureReason() : std::string();
    err << "error: cannot write output: " << (reason.empty() ? "the output stream failed" : reason)
        << '\n';
    err.flush();
    return 1;
}

void ScriptRunner::execute(std::string_view line) {
    if (!scenario::isBlankOrComment(line)) {
        m_player.play(scenario::parseCommand(line));
    }
}

}  // namespace kostkolam::script
