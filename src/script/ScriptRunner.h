#pragma once

// Plays a scenario against the headless game: one command per line, answers and events printed
// as they happen. The format is fixed, since other people's scenarios are compared byte for byte
// with what this prints.

#include <array>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "flow/Game.h"
#include "script/ScriptBackend.h"
#include "script/ScriptInput.h"
#include "table/ScreenTable.h"

namespace kostkolam::script {

class ScriptRunner {
  public:
    /// The game has started in the headless window system: the title screen is loaded and
    /// shown, the clock stands at 0 ms.
    explicit ScriptRunner(std::ostream& out);
    /// The same in `backend`'s window system, which must outlive the runner.
    ScriptRunner(std::ostream& out, ScriptBackend& backend);

    /// Runs every line of `in`; returns the exit status: 0 at the end of the input, 2 after an
    /// error line on `err`, 1 when the output could not be written (also said on `err`).
    int run(ByteSource& in, std::ostream& err);
    int run(std::istream& in, std::ostream& err);

    /// Tells why the output stream failed, for the error line; without it the line says only that
    /// the stream failed.
    void setWriteFailureReason(std::function<std::string()> reason) {
        m_writeFailureReason = std::move(reason);
    }

    /// Runs one line; throws ScriptError on a bad one.
    void execute(std::string_view line);

    flow::Game& game() { return m_game; }
    ui::WindowSystem& windowSystem() { return m_backend.windowSystem(); }

  private:
    ScriptRunner(std::ostream& out, std::unique_ptr<ScriptBackend> own);

    flow::ScreenId parseScreen(std::string_view word) const;
    ui::ObjectRef parseObject(flow::ScreenId id, std::string_view word) const;
    /// The live screen for a command that needs it loaded.
    ui::Screen& loadedScreen(flow::ScreenId id) const;

    void menu(const std::vector<std::string_view>& words);
    void click(const std::vector<std::string_view>& words);
    void key(const std::vector<std::string_view>& words);
    void close(const std::vector<std::string_view>& words);
    void advance(const std::vector<std::string_view>& words);
    void tick(const std::vector<std::string_view>& words);
    void set(std::string_view line, const std::vector<std::string_view>& words);
    void get(const std::vector<std::string_view>& words);
    void dump(const std::vector<std::string_view>& words);
    void screens(const std::vector<std::string_view>& words);

    /// The error line for lost output; returns its exit status.
    int writeFailed(std::ostream& err) const;

    /// Where the commands that are input go: through the backend to the game.
    ui::EventSink& input() { return m_backend.input(m_game); }

    std::ostream& m_out;
    /// The headless backend, when no other was given.
    std::unique_ptr<ScriptBackend> m_ownBackend;
    ScriptBackend& m_backend;
    flow::Game m_game;
    /// Each screen built once from its layout, only to know the names on it after it is gone.
    std::array<std::unique_ptr<ui::Screen>, flow::kScreenCount> m_names;
    std::function<std::string()> m_writeFailureReason;
};

}  // namespace kostkolam::script
