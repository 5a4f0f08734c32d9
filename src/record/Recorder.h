#pragma once

// A game written down as it is played: a scenario that the headless scenario runner plays again,
// and beside it what the game itself showed at every input and at the end, in the runner's output
// format. `kostkolam-script FILE | diff - FILE.expected` is empty for every faithful recording.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "flow/Game.h"
#include "scenario/Command.h"
#include "ui/VirtualClock.h"
#include "ui/WindowSystem.h"

namespace kostkolam::record {

/// Stands between the window system and the game: writes each tick's instant and each input as
/// scenario lines, then passes the event on. Before each input it writes a checkpoint: the load
/// state of the screens and, on every loaded level, the ball's and the paddle's places, the
/// score, the lives and the countdown (and the end screen's score), as `screens` and `get` lines
/// in the scenario and their answers in the expected output. Every line is flushed as it is
/// written, so a recording cut off by a crash or a kill holds every whole line up to then.
class Recorder final : public ui::EventSink {
  public:
    /// Takes over both files. `clock` is the game's virtual clock.
    Recorder(flow::Game& game, const ui::VirtualClock& clock, std::FILE* scenario,
             std::FILE* expected);
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    /// The two files of a recording, open for writing.
    struct Files {
        std::FILE* scenario;
        std::FILE* expected;
    };
    /// Opens FILE and FILE.expected for writing; nothing, and `error` set, when either fails.
    static std::optional<Files> open(const std::string& path, std::string& error);

    /// A message box or the end, as the window system reports it: part of what the game showed.
    void event(const ui::ShownEvent& event);
    /// The last checkpoint, once the program has ended or the recording stops.
    void finish();
    /// Set when a write failed; the recording stopped there and the game plays on.
    const std::string& writeError() const { return m_writeError; }

    void menuChosen(ui::Screen& screen, int item) override;
    void buttonClicked(ui::Screen& screen, int button) override;
    void keyTyped(ui::Screen& screen, std::uint16_t code) override;
    void closeRequested(ui::Screen& screen) override;
    void timerTicked(ui::Timer& timer) override;

  private:
    /// Writes `advance` lines up to the clock's instant.
    void catchUp();
    void checkpoint();
    /// A `get` line and its answer, for an object of a loaded screen.
    void get(const ui::Screen& screen, std::string_view object, scenario::Property property);
    /// Before an input on a live screen: the time up to it, a checkpoint, then the input's line.
    void input(const ui::Screen& screen, const scenario::Command& command);
    void writeScenario(std::string_view line);
    void writeExpected(std::string_view line);
    void write(std::FILE* file, std::string_view line);

    flow::Game& m_game;
    const ui::VirtualClock& m_clock;
    std::FILE* m_scenario;
    std::FILE* m_expected;
    /// The instant the scenario's `advance` lines have reached.
    std::int64_t m_written = 0;
    bool m_finished = false;
    std::string m_writeError;
};

}  // namespace kostkolam::record
