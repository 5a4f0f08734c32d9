// The desktop's clock: the game's virtual clock let go by a real clock, here a stand-in that moves
// only when the test says so. When ticks come, when the alarm is set, where input falls between
// ticks, and what happens when the program falls behind by less or more than the catch-up bound.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "level/LevelLayouts.h"
#include "ui/RealTimeClock.h"

namespace kostkolam {
namespace {

using ui::RealTimeClock;

constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kBound = RealTimeClock::kCatchUpBoundMs;

class FakeRealTime final : public ui::RealTimeSource {
  public:
    std::int64_t ns = 5'000 * kMs;  // any origin
    /// When the alarm goes off, in nanoseconds of this clock.
    std::optional<std::int64_t> alarmNs;
    int alarmsSet = 0;

    std::int64_t nowNs() const override { return ns; }
    void setAlarm(std::int64_t delayMs) override {
        alarmNs = ns + delayMs * kMs;
        ++alarmsSet;
    }
    void cancelAlarm() override { alarmNs.reset(); }
    std::optional<std::int64_t> alarmDelayMs() const {
        return alarmNs ? std::optional<std::int64_t>((*alarmNs - ns) / kMs) : std::nullopt;
    }
};

/// Writes down every event as "instant what".
class Log final : public ui::EventSink {
  public:
    explicit Log(const RealTimeClock& clock) : m_clock(clock) {}
    std::vector<std::string> lines;

    void menuChosen(ui::Screen&, int item) override { add("menu " + std::to_string(item)); }
    void buttonClicked(ui::Screen&, int) override { add("click"); }
    void keyTyped(ui::Screen&, std::uint16_t code) override { add("key " + std::to_string(code)); }
    void closeRequested(ui::Screen&) override { add("close"); }
    void timerTicked(ui::Timer& timer) override { add(std::string(timer.layout().name)); }

  private:
    void add(const std::string& what) {
        lines.push_back(std::to_string(m_clock.now()) + " " + what);
    }
    const RealTimeClock& m_clock;
};

class RealTimeClockTest : public ::testing::Test {
  protected:
    RealTimeClockTest() { clock.setSink(log); }

    ui::Screen& screen(int level) {
        auto& s =
            m_screens.emplace_back(std::make_unique<ui::Screen>(level::levelLayout(level), level));
        s->setTimerService(&clock);
        return *s;
    }
    /// Real time passes by `ms`; the alarm goes off if it fell due meanwhile (and the program
    /// was running to hear it).
    void pass(std::int64_t ms) {
        const std::int64_t until = real.ns + ms * kMs;
        while (real.alarmNs && *real.alarmNs <= until) {
            real.ns = std::max(real.ns, *real.alarmNs);
            real.alarmNs.reset();
            clock.wake();
        }
        real.ns = until;
    }
    /// The program was stopped for `ms`: no alarm was heard until it runs again.
    void stopped(std::int64_t ms) {
        real.ns += ms * kMs;
        if (real.alarmNs) {
            real.alarmNs.reset();
            clock.wake();
        }
    }
    std::vector<std::string> ticksOf(const std::string& name) const {
        std::vector<std::string> out;
        for (const std::string& line : log.lines) {
            if (line.ends_with(" " + name)) {
                out.push_back(line);
            }
        }
        return out;
    }

    FakeRealTime real;
    RealTimeClock clock{real};
    Log log{clock};

  private:
    std::vector<std::unique_ptr<ui::Screen>> m_screens;
};

TEST_F(RealTimeClockTest, NoAlarmWhileNoTimerRuns) {
    ui::Screen& level1 = screen(1);
    pass(10'000);
    EXPECT_EQ(real.alarmsSet, 0);
    level1.timer("tmrMezihra").start();
    EXPECT_EQ(real.alarmDelayMs(), 1000);
    level1.timer("tmrMezihra").stop();
    EXPECT_FALSE(real.alarmNs);
    pass(5'000);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(RealTimeClockTest, TimerStartedOutsideAnEventCountsFromTheRealInstant) {
    ui::Screen& level1 = screen(1);
    pass(2'500);
    level1.timer("tmrMezihra").start();
    pass(2'000);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"3500 tmrMezihra", "4500 tmrMezihra"}));
}

TEST_F(RealTimeClockTest, ATimerStartedOutsideAnEventPassesNoOverdueTick) {
    ui::Screen& level1 = screen(1);
    level1.timer("tmrHra").start();  // due at 50
    // 70 ms on, the alarm for 50 not heard yet, when another timer starts.
    real.ns += 70 * kMs;
    level1.timer("tmrZivot").start();
    // The alarm is heard once (passing over that tick, the clock would set it again and again).
    real.alarmNs.reset();
    clock.wake();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"50 tmrHra"}));
    EXPECT_EQ(clock.now(), 70);
    EXPECT_EQ(real.alarmDelayMs(), 30);
}

TEST_F(RealTimeClockTest, SameInstantTicksComeInStartOrderNoneMergedOrSkipped) {
    ui::Screen& level1 = screen(1);
    ui::Screen& level2 = screen(2);
    level2.timer("tmrMezihra").start();
    level1.timer("tmrHra").start();
    level1.timer("tmrZivot").start();
    pass(1'000);
    const std::vector<std::string> last(log.lines.end() - 3, log.lines.end());
    EXPECT_EQ(last, (std::vector<std::string>{"1000 tmrMezihra", "1000 tmrHra", "1000 tmrZivot"}));
    EXPECT_EQ(ticksOf("tmrHra").size(), 20u);
}

TEST_F(RealTimeClockTest, InputTakesEffectAtTheVirtualInstantItArrived) {
    ui::Screen& level1 = screen(1);
    level1.timer("tmrHra").start();  // due at 50, 100, ...
    // The alarm for 50 ms has not been heard yet when a key arrives a little after it.
    real.ns += 50 * kMs + kMs / 2;
    clock.keyTyped(level1, 100);
    // A key a little before the next tick comes before it.
    real.ns += 49 * kMs;
    clock.keyTyped(level1, 97);
    pass(1);
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"50 tmrHra", "50 key 100", "99 key 97", "100 tmrHra"}));
}

// Regression: a key typed when an overdue tick was still to come was delivered after that tick
// as an event of its own; the tick had unloaded the key's screen and its event had freed it, and
// the key was handed the freed screen. The tick and the key now reach the game as one event.
TEST_F(RealTimeClockTest, AnInputAndTheTicksItFindsOverdueAreOneEvent) {
    struct Bracketing final : ui::EventSink {
        std::vector<std::string> seen;
        void menuChosen(ui::Screen&, int) override { seen.push_back("menu"); }
        void buttonClicked(ui::Screen&, int) override { seen.push_back("click"); }
        void keyTyped(ui::Screen&, std::uint16_t) override { seen.push_back("key"); }
        void closeRequested(ui::Screen&) override { seen.push_back("close"); }
        void timerTicked(ui::Timer& timer) override { seen.emplace_back(timer.layout().name); }
        void deliverAsOne(const std::function<void()>& deliver) override {
            seen.push_back("(");
            deliver();
            seen.push_back(")");
        }
    } sink;
    clock.setSink(sink);
    ui::Screen& level1 = screen(1);
    level1.timer("tmrHra").start();  // due at 50, 100, ...
    real.ns += 100 * kMs + kMs / 2;  // neither alarm heard
    clock.keyTyped(level1, 'd');
    clock.closeRequested(level1);
    EXPECT_EQ(sink.seen,
              (std::vector<std::string>{"(", "tmrHra", "tmrHra", "key", ")", "(", "close", ")"}));
}

TEST_F(RealTimeClockTest, DelaysUpToTheBoundAreCaughtUpTickByTick) {
    ui::Screen& level3 = screen(3);
    level3.timer("tmrHra").start();  // every 16 ms
    pass(16);
    log.lines.clear();
    // The next tick is due at 32; the program runs again exactly the bound after it.
    stopped(16 + kBound);
    std::vector<std::string> expected;
    for (std::int64_t t = 32; t <= 32 + kBound; t += 16) {
        expected.push_back(std::to_string(t) + " tmrHra");
    }
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(clock.now(), 32 + kBound);
    EXPECT_EQ(clock.slippedMs(), 0);
    // In step with the real clock again: the next tick comes at its real instant.
    log.lines.clear();
    pass(16);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"144 tmrHra"}));
}

TEST_F(RealTimeClockTest, LongerDelaysAreNotPlayedOutAsABurst) {
    struct Case {
        const char* what;
        std::int64_t lateMs;
    };
    const Case cases[] = {{"just over the bound", kBound + 1},
                          {"five seconds", 5'000},
                          {"a suspended night", 8 * 3'600'000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRealTime realTime;
        RealTimeClock paced(realTime);
        Log ticks(paced);
        paced.setSink(ticks);
        ui::Screen level3(level::levelLayout(3), 3);
        level3.setTimerService(&paced);
        level3.timer("tmrHra").start();
        // Due at 16; the program runs again `lateMs` after that.
        realTime.ns += (16 + c.lateMs) * kMs;
        paced.wake();
        // Caught up to the bound and no further: ticks at 16, 32, ... 112.
        ASSERT_EQ(ticks.lines.size(), std::size_t(kBound / 16 + 1));
        EXPECT_EQ(ticks.lines.back(), "112 tmrHra");
        EXPECT_EQ(paced.now(), 16 + kBound);
        EXPECT_EQ(paced.slippedMs(), c.lateMs - kBound);
        // From here the game runs on in real time, not in a hurry to make up the rest.
        EXPECT_EQ(realTime.alarmDelayMs(), 128 - (16 + kBound));
        level3.kill();
    }
}

TEST_F(RealTimeClockTest, IdleTimeIsNeverASlip) {
    ui::Screen& level1 = screen(1);
    pass(60'000);
    clock.keyTyped(level1, 100);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"60000 key 100"}));
    EXPECT_EQ(clock.slippedMs(), 0);
}

TEST_F(RealTimeClockTest, AClockStandingStillSeesNoneOfThatTime) {
    ui::Screen& level1 = screen(1);
    level1.timer("tmrHra").start();  // due at 50, 100, ...
    pass(30);
    // Stopped at 90, before the alarm for 50 was heard: that tick comes first, at its instant.
    real.ns += 60 * kMs;
    clock.standStill();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"50 tmrHra"}));
    EXPECT_FALSE(real.alarmNs);
    // Ten minutes unseen: no tick, no alarm; a key and a timer started take effect at 90.
    pass(600'000);
    clock.keyTyped(level1, 100);
    level1.timer("tmrZivot").start();
    EXPECT_EQ(clock.now(), 90);
    EXPECT_FALSE(real.alarmNs);
    // On again: the tick that was due 10 ms after it stood still falls due 10 ms from now.
    clock.goOn();
    EXPECT_EQ(real.alarmDelayMs(), 10);
    pass(1'000);
    EXPECT_EQ(ticksOf("tmrHra").front(), "50 tmrHra");
    EXPECT_EQ(ticksOf("tmrHra").back(), "1050 tmrHra");
    EXPECT_EQ(ticksOf("tmrZivot"), (std::vector<std::string>{"1090 tmrZivot"}));
    EXPECT_EQ(clock.now(), 1090);
    EXPECT_EQ(clock.slippedMs(), 0);
}

TEST_F(RealTimeClockTest, AHeldClockStopsAtTheHoldAndSaysSo) {
    ui::Screen& level1 = screen(1);
    level1.timer("tmrHra").start();
    int reached = 0;
    clock.holdAt(120, [&] { ++reached; });
    pass(500);
    EXPECT_EQ(ticksOf("tmrHra"), (std::vector<std::string>{"50 tmrHra", "100 tmrHra"}));
    EXPECT_EQ(clock.now(), 120);
    EXPECT_EQ(reached, 1);
    // Held for good: no alarm, however long it waits.
    EXPECT_FALSE(real.alarmNs);
    // Let go after waiting 380 ms at the hold: a long delay, caught up to the bound only.
    clock.holdAt(std::nullopt);
    pass(100);
    EXPECT_EQ(ticksOf("tmrHra"),
              (std::vector<std::string>{"50 tmrHra", "100 tmrHra", "150 tmrHra", "200 tmrHra",
                                        "250 tmrHra", "300 tmrHra", "350 tmrHra"}));
    EXPECT_EQ(clock.slippedMs(), 250);
}

}  // namespace
}  // namespace kostkolam
