// Recorded games: what the recorder writes is a scenario that the runner plays to exactly the
// output the recording wrote beside it, and a scenario played by the replayer against the real
// clock ends where the runner's does. Here the game runs headless; the real windows' recordings
// are tests/recorded/.

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "flow/Game.h"
#include "record/Recorder.h"
#include "record/Replayer.h"
#include "script/ScriptRunner.h"
#include "table/ScreenTable.h"
#include "ui/RealTimeClock.h"
#include "ui/headless/HeadlessWindowSystem.h"

namespace kostkolam {
namespace {

using flow::ScreenId;

/// A file in memory that the recorder can write and close.
struct MemoryFile {
    MemoryFile() : file(open_memstream(&data, &size)) {}
    ~MemoryFile() { std::free(data); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::string text() const { return std::string(data, size); }

    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* file;
};

std::string runScript(const std::string& scenario) {
    std::ostringstream out;
    std::ostringstream err;
    script::ScriptRunner runner(out);
    std::istringstream in(scenario);
    EXPECT_EQ(runner.run(in, err), 0) << err.str();
    return out.str();
}

/// A headless game with a recorder between the clock and the game, as the desktop has it.
struct RecordedGame {
    RecordedGame() {
        recorder =
            std::make_unique<record::Recorder>(game, windows.clock(), scenario.file, expected.file);
        windows.setEventSink(*recorder);
        game.start();
    }
    ui::Screen& screen(ScreenId id) { return *game.screen(id); }
    void menu(ScreenId id, const char* item) {
        recorder->menuChosen(screen(id), screen(id).menuItem(item));
    }
    void key(ScreenId id, char c) { recorder->keyTyped(screen(id), std::uint16_t(c)); }
    /// Ends the recording and returns the scenario and the expected output.
    std::pair<std::string, std::string> finish() {
        recorder->finish();
        recorder.reset();
        return {scenario.text(), expected.text()};
    }

    MemoryFile scenario;
    MemoryFile expected;
    std::unique_ptr<record::Recorder> recorder;
    ui::headless::HeadlessWindowSystem windows{
        [this](const ui::ShownEvent& event) { recorder->event(event); }};
    flow::Game game{windows, table::screens()};
};

TEST(Recorder, TheRunnerPlaysARecordingToWhatTheGameShowed) {
    RecordedGame rec;
    rec.windows.advance(700);
    rec.menu(ScreenId::frmCihlolam, "mnuNovahra");
    rec.windows.advance(3'100);  // the countdown, then two game ticks
    rec.key(ScreenId::frmLevel1, 'd');
    rec.windows.advance(37);
    rec.key(ScreenId::frmLevel1, 'a');
    rec.menu(ScreenId::frmLevel1, "mnuNapoveda");
    rec.windows.advance(13);
    rec.menu(ScreenId::frmLevel1, "mnuPausa");
    rec.windows.advance(5'000);
    rec.menu(ScreenId::frmLevel1, "mnuPausa");
    rec.windows.advance(20'000);  // the ball is lost on the way
    rec.menu(ScreenId::frmLevel1, "mnuKonec");
    const auto [scenario, expected] = rec.finish();

    EXPECT_EQ(runScript(scenario), expected);
    // Each tick's time is written before it runs; a pause writes nothing until the next input.
    EXPECT_NE(scenario.find("advance 700\nscreens\n"), std::string::npos);
    EXPECT_NE(scenario.find("advance 50\nadvance 50\n"), std::string::npos);
    EXPECT_NE(scenario.find("advance 13\nscreens\n"), std::string::npos);
    EXPECT_NE(expected.find("@3837 msgbox title=\"Nápověda\""), std::string::npos);
    EXPECT_NE(expected.find("frmLevel1.lblZiv.Caption=\"3\""), std::string::npos);
    EXPECT_TRUE(
        expected.ends_with(" end\nfrmCihlolam=unloaded frmLevel1=unloaded "
                           "frmLevel2=unloaded frmLevel3=unloaded frmKonec=unloaded "
                           "active=none\n"));
}

TEST(Recorder, ACheckpointCatchesADriftOfOneTickOrOneKey) {
    RecordedGame rec;
    rec.menu(ScreenId::frmCihlolam, "mnuNovahra");
    rec.windows.advance(3'200);
    rec.key(ScreenId::frmLevel1, 'd');
    rec.windows.advance(100);
    rec.key(ScreenId::frmLevel1, 'd');
    const auto [scenario, expected] = rec.finish();
    ASSERT_EQ(runScript(scenario), expected);

    struct Case {
        const char* what;
        std::string from;
        std::string to;
    };
    const Case cases[] = {
        {"one tick later", "\nadvance 50\nscreens\n", "\nadvance 100\nscreens\n"},
        {"one tick earlier", "\nadvance 50\nscreens\n", "\nadvance 0\nscreens\n"},
        {"a key lost", "\nkey frmLevel1 100\n", "\n"},
        {"another key", "\nkey frmLevel1 100\n", "\nkey frmLevel1 97\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string drifted = scenario;
        const auto at = drifted.rfind(c.from);
        ASSERT_NE(at, std::string::npos);
        drifted.replace(at, c.from.size(), c.to);
        EXPECT_NE(runScript(drifted), expected);
    }
}

TEST(Recorder, LongIdleTimeIsWrittenInLinesTheRunnerTakes) {
    RecordedGame rec;
    rec.windows.advance(2 * 86'400'000 + 5);
    rec.menu(ScreenId::frmCihlolam, "mnuNovahra");
    const auto [scenario, expected] = rec.finish();
    EXPECT_NE(scenario.find("advance 86400000\nadvance 86400000\nadvance 5\n"), std::string::npos);
    EXPECT_EQ(runScript(scenario), expected);
}

TEST(Recorder, ACutRecordingIsAScenarioUpToItsLastLine) {
    RecordedGame rec;
    rec.menu(ScreenId::frmCihlolam, "mnuNovahra");
    rec.windows.advance(4'000);
    rec.key(ScreenId::frmLevel1, 'a');
    // The recorder flushes every line: what is in the file already is the whole game so far.
    std::fflush(rec.scenario.file);
    const std::string sofar = rec.scenario.text();
    ASSERT_TRUE(sofar.ends_with("key frmLevel1 97\n"));
    const std::string played = runScript(sofar);
    rec.finish();
    EXPECT_FALSE(played.empty());
}

/// Timers on a RealTimeClock, windows nowhere: the desktop's timing without the desktop.
class ClockOnlyWindows final : public ui::WindowSystem {
  public:
    explicit ClockOnlyWindows(ui::RealTimeClock& clock) : m_clock(clock) {}
    void setEventSink(ui::EventSink& sink) override { m_clock.setSink(sink); }
    void attach(ui::Screen& screen) override { screen.setTimerService(&m_clock); }
    void messageBox(ui::Screen&, const ui::MessageBox&) override {}
    void quit() override {}

  private:
    ui::RealTimeClock& m_clock;
};

class SteppedTime final : public ui::RealTimeSource {
  public:
    std::int64_t ns = 0;
    std::optional<std::int64_t> alarmNs;
    std::int64_t nowNs() const override { return ns; }
    void setAlarm(std::int64_t delayMs) override { alarmNs = ns + delayMs * 1'000'000; }
    void cancelAlarm() override { alarmNs.reset(); }
};

TEST(Replayer, PlaysAScenarioInRealTimeToWhereTheRunnerEnds) {
    const std::string scenario =
        "# a comment\n"
        "advance 250\nmenu frmCihlolam mnuNovahra\nadvance 3120\nkey frmLevel1 100\n"
        "get frmLevel1 shpKulicka Left\nadvance 0\nkey frmLevel1 100\nadvance 75\n"
        "set frmLevel1 lblSko Caption 70\nset Module1 KrokY -1\nadvance 500\n"
        "menu frmLevel1 mnuPausa\nadvance 1000\n";
    std::string error;
    std::istringstream in(scenario);
    auto commands = record::readScenario(in, error);
    ASSERT_TRUE(commands) << error;

    SteppedTime time;
    ui::RealTimeClock clock(time);
    ClockOnlyWindows windows(clock);
    flow::Game game(windows, table::screens());
    game.start();
    record::Replayer replayer(game, clock, std::move(*commands));
    replayer.start();
    // Real time goes by in steps of a millisecond, the alarm heard when it falls due.
    for (int ms = 0; ms < 6'000; ++ms) {
        time.ns += 1'000'000;
        if (time.alarmNs && *time.alarmNs <= time.ns) {
            time.alarmNs.reset();
            clock.wake();
        }
    }
    EXPECT_TRUE(replayer.finished());
    EXPECT_EQ(clock.now(), 250 + 3120 + 75 + 500 + 1000);

    const std::string answers =
        runScript(scenario +
                  "get frmLevel1 shpKulicka Left\nget frmLevel1 shpKulicka Top\n"
                  "get frmLevel1 shpPosuvnik Left\nget frmLevel1 lblSko Caption\n");
    ui::Screen& level = *game.screen(ScreenId::frmLevel1);
    auto line = [](const char* object, const char* property, const std::string& value) {
        return std::string("frmLevel1.") + object + "." + property + "=" + value + "\n";
    };
    auto text = [](float value) {
        char buffer[32];
        return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    };
    EXPECT_TRUE(
        answers.ends_with(line("shpKulicka", "Left", text(level.shape("shpKulicka").left())) +
                          line("shpKulicka", "Top", text(level.shape("shpKulicka").top())) +
                          line("shpPosuvnik", "Left", text(level.shape("shpPosuvnik").left())) +
                          line("lblSko", "Caption", "\"" + level.label("lblSko").caption() + "\"")))
        << answers;
}

/// Reads and plays a scenario as `kostkolam --replay` does, with real time stepped through it;
/// the reason it was refused ("line N: REASON"), or nothing.
std::optional<std::string> replayRefusal(const std::string& scenario) {
    std::istringstream in(scenario);
    std::string error;
    auto steps = record::readScenario(in, error);
    if (!steps) {
        return error;
    }
    SteppedTime time;
    ui::RealTimeClock clock(time);
    ClockOnlyWindows windows(clock);
    flow::Game game(windows, table::screens());
    game.start();
    record::Replayer replayer(game, clock, std::move(*steps));
    std::optional<std::string> refused;
    replayer.onError = [&refused](const std::string& reason) { refused = reason; };
    replayer.start();
    for (int wakes = 0; wakes < 100'000 && !replayer.finished(); ++wakes) {
        time.ns = time.alarmNs.value_or(time.ns);
        time.alarmNs.reset();
        clock.wake();
    }
    return refused;
}

// A recording the runner would refuse cannot be watched either, and the replay says why in the
// runner's own words: for the line's text, its words, names and numbers when the file is read,
// and for a screen that is not loaded when the line's turn comes.
TEST(Replayer, RefusesWhatTheRunnerRefusesWithTheSameReason) {
    using namespace std::string_literals;
    const std::pair<std::string, const char*> cases[] = {
        {"advance 1\nwait 5\n", "line 3: unknown command 'wait'"},
        {"menu frmLevel4 mnuPausa\n", "line 2: unknown screen 'frmLevel4'"},
        {"menu frmLevel1 lblSko\n", "line 2: 'lblSko' is not a menu item"},
        {"menu frmLevel1\n", "line 2: 'menu' takes 2 words"},
        {"close frmLevel1 now\n", "line 2: 'close' takes 1 word"},
        {"key frmLevel1 65536\n", "line 2: number out of range 0 to 65535: '65536'"},
        {"key frmLevel1 a\n", "line 2: not a whole number: 'a'"},
        {"advance -1\n", "line 2: number out of range 0 to 86400000: '-1'"},
        {"advance 86400001\n", "line 2: number out of range 0 to 86400000: '86400001'"},
        {"tick frmLevel1 lblSko\n", "line 2: 'lblSko' is not a timer"},
        {"set frmLevel1 shpKulicka Width 3\n", "line 2: unknown or read-only property 'Width'"},
        {"set frmLevel1 shpKulicka Left 1e99\n",
         "line 2: number out of the single-precision range: '1e99'"},
        {"set frmLevel1 lblSko Visible 2\n", "line 2: expected 0 or 1: '2'"},
        // Once played by the replay without a word.
        {"set frmLevel1 tmrHra Caption ahoj\n", "line 2: only labels have a settable Caption"},
        {"set frmLevel1 shpKulicka Enabled 1\n", "line 2: only timers have Enabled"},
        {"set frmLevel1 mnuPausa Visible 0\n", "line 2: cannot set Visible of 'mnuPausa'"},
        {"set Module1 KrokZ 1\n", "line 2: cannot set Module1.KrokZ"},
        {"get frmLevel1 tmrHra Left\n", "line 2: timers have only Interval and Enabled"},
        {"get Module1 Krok\n", "line 2: unknown variable Module1.Krok"},
        {"key frmLevel1  97\n", "line 2: two blanks in a row at column 14"},
        {" screens\n", "line 2: the line starts with a blank"},
        // The line's text, before its words: once read whole and then called an unknown command.
        {"scr\reens\n", "line 2: control character \\x0D at column 4"},
        {"screens\0\n"s, "line 2: NUL byte \\x00 at column 8"},
        {"get frmLevel1 lblSko Caption\xC3\n", "line 2: invalid UTF-8 byte \\xC3 at column 29"},
        {"# " + std::string(70'000, 'x') + "\n", "line 2: line too long"},
        // The line's turn: its screen is not loaded then.
        {"menu frmLevel2 mnuPausa\n", "line 2: frmLevel2 is not loaded"},
        {"get frmLevel2 shpKulicka Interval\n", "line 2: frmLevel2 is not loaded"},
        {"get frmLevel1 shpKulicka Interval\n", "line 2: unknown property 'Interval'"},
        {"advance 10\nget frmCihlolam frmCihlolam Width\n", "line 3: frmCihlolam is not loaded"},
        {"menu frmLevel1 mnuKonec\nset frmLevel1 lblSko Caption 5\n",
         "line 3: frmLevel1 is not loaded"},
    };
    for (const auto& [lines, reason] : cases) {
        // Level 1 is loaded first, so that each line gets as far as its words.
        const std::string scenario = "menu frmCihlolam mnuNovahra\n" + lines;
        SCOPED_TRACE(scenario.substr(0, 80));
        EXPECT_EQ(replayRefusal(scenario), std::optional<std::string>(reason));

        std::ostringstream out;
        std::ostringstream err;
        script::ScriptRunner runner(out);
        std::istringstream again(scenario);
        EXPECT_EQ(runner.run(again, err), 2);
        EXPECT_EQ(err.str(), "error: " + std::string(reason) + "\n");
    }
    // And what the runner plays to its end, the replay plays to its end.
    EXPECT_EQ(replayRefusal("menu frmCihlolam mnuNovahra\nadvance 4000\nget frmLevel1 lblSko "
                            "Caption\nmenu frmLevel1 mnuKonec\nget Module1 KrokX\nscreens\n"),
              std::nullopt);
}

}  // namespace
}  // namespace kostkolam
