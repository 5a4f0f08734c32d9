// The headless timer service: when ticks come, in which order, and which never come.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "level/LevelLayouts.h"
#include "ui/VirtualClock.h"

namespace kostkolam {
namespace {

using ui::VirtualClock;

/// Records every tick as "time name" and lets a test act inside a handler.
class Recorder final : public ui::EventSink {
  public:
    explicit Recorder(VirtualClock& clock) : m_clock(clock) {}

    std::vector<std::string> ticks;
    std::function<void(ui::Timer&)> onTick;

    void menuChosen(ui::Screen&, int) override {}
    void buttonClicked(ui::Screen&, int) override {}
    void keyTyped(ui::Screen&, std::uint16_t) override {}
    void closeRequested(ui::Screen&) override {}
    void timerTicked(ui::Timer& timer) override {
        ticks.push_back(std::to_string(m_clock.now()) + " " + std::string(timer.layout().name));
        if (onTick) {
            onTick(timer);
        }
    }

  private:
    VirtualClock& m_clock;
};

class VirtualClockTest : public ::testing::Test {
  protected:
    /// A level screen whose timers run on the test's clock; `level` picks the game tick's interval.
    ui::Screen& screen(int level) {
        auto& s =
            m_screens.emplace_back(std::make_unique<ui::Screen>(level::levelLayout(level), level));
        s->setTimerService(&clock);
        return *s;
    }

    VirtualClock clock;
    Recorder recorder{clock};

  private:
    std::vector<std::unique_ptr<ui::Screen>> m_screens;
};

TEST_F(VirtualClockTest, TicksAtEachIntervalFromTheStart) {
    ui::Screen& level1 = screen(1);
    clock.advance(30, recorder);
    level1.timer("tmrHra").start();  // at 30 ms
    clock.advance(100, recorder);
    EXPECT_EQ(recorder.ticks, (std::vector<std::string>{"80 tmrHra", "130 tmrHra"}));
    EXPECT_EQ(clock.now(), 130);
}

TEST_F(VirtualClockTest, ShortIntervalsTickEverySixteenMilliseconds) {
    ui::Screen& level3 = screen(3);
    level3.timer("tmrHra").start();
    clock.advance(50, recorder);
    EXPECT_EQ(recorder.ticks, (std::vector<std::string>{"16 tmrHra", "32 tmrHra", "48 tmrHra"}));
    EXPECT_EQ(level3.timer("tmrHra").interval(), 1);
}

TEST_F(VirtualClockTest, TicksOfOneInstantComeInTheOrderTheTimersStarted) {
    ui::Screen& level1 = screen(1);
    ui::Screen& level2 = screen(2);
    level1.timer("tmrZivot").start();
    level2.timer("tmrMezihra").start();
    level1.timer("tmrHra").start();    // 50 ms: also due at 1000
    level1.timer("tmrZivot").start();  // already running: keeps its place
    clock.advance(1000, recorder);
    ASSERT_GE(recorder.ticks.size(), 3u);
    const std::vector<std::string> atOneSecond(recorder.ticks.end() - 3, recorder.ticks.end());
    EXPECT_EQ(atOneSecond,
              (std::vector<std::string>{"1000 tmrZivot", "1000 tmrMezihra", "1000 tmrHra"}));
}

TEST_F(VirtualClockTest, AStoppedTimerDeliversNothingEvenWhenDueNow) {
    ui::Screen& level1 = screen(1);
    ui::Timer& first = level1.timer("tmrMezihra");
    ui::Timer& second = level1.timer("tmrZivot");
    first.start();
    second.start();
    recorder.onTick = [&](ui::Timer& t) {
        if (&t == &first) {
            second.stop();
        }
    };
    clock.advance(5000, recorder);
    EXPECT_EQ(recorder.ticks,
              (std::vector<std::string>{"1000 tmrMezihra", "2000 tmrMezihra", "3000 tmrMezihra",
                                        "4000 tmrMezihra", "5000 tmrMezihra"}));
}

TEST_F(VirtualClockTest, ATimerStartedInAHandlerCountsFromThatInstant) {
    ui::Screen& level2 = screen(2);
    ui::Timer& countdown = level2.timer("tmrMezihra");
    ui::Timer& tick = level2.timer("tmrHra");
    countdown.start();
    recorder.onTick = [&](ui::Timer& t) {
        if (&t == &countdown) {
            countdown.stop();
            tick.start();
        }
    };
    clock.advance(1200, recorder);
    EXPECT_EQ(recorder.ticks,
              (std::vector<std::string>{"1000 tmrMezihra", "1075 tmrHra", "1150 tmrHra"}));
}

TEST_F(VirtualClockTest, StoppingAndStartingARunningTimerGivesItAFreshPhase) {
    ui::Screen& level2 = screen(2);
    ui::Timer& tick = level2.timer("tmrHra");  // 75 ms: due at 1050 but for the restart
    ui::Timer& countdown = level2.timer("tmrMezihra");
    tick.start();
    countdown.start();
    recorder.onTick = [&](ui::Timer& t) {
        if (&t == &countdown) {
            tick.start();  // running already: no change
            tick.stop();
            tick.start();  // from now on
        }
    };
    clock.advance(1200, recorder);
    const std::vector<std::string> last(recorder.ticks.end() - 5, recorder.ticks.end());
    EXPECT_EQ(last, (std::vector<std::string>{"900 tmrHra", "975 tmrHra", "1000 tmrMezihra",
                                              "1075 tmrHra", "1150 tmrHra"}));
}

TEST_F(VirtualClockTest, AnUnloadedScreensTimersStopForGood) {
    ui::Screen& level1 = screen(1);
    ui::Timer& tick = level1.timer("tmrHra");
    tick.start();
    level1.kill();
    tick.start();
    clock.advance(1000, recorder);
    EXPECT_TRUE(recorder.ticks.empty());
    EXPECT_FALSE(tick.enabled());
    EXPECT_EQ(clock.runningCount(), 0u);
}

}  // namespace
}  // namespace kostkolam
