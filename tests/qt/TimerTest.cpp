// The screens' timers on the desktop: they run on the game's virtual clock, let go in real time,
// with the same 16 ms floor, start order and instants as in the headless game; ticks reach the
// game and an unloaded screen's timers never tick again.

#include <QAction>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "QtGame.h"
#include "table/ScreenTable.h"

namespace kostkolam::test {
namespace {

/// Passes every event on to the game and writes down each tick as "instant screen.timer".
class TickLog final : public ui::EventSink {
  public:
    explicit TickLog(QtGame& qt) : m_qt(qt) { qt.windows.setEventSink(*this); }

    std::vector<std::string> ticks;

    void menuChosen(ui::Screen& s, int item) override { m_qt.game.menuChosen(s, item); }
    void buttonClicked(ui::Screen& s, int button) override { m_qt.game.buttonClicked(s, button); }
    void keyTyped(ui::Screen& s, std::uint16_t code) override { m_qt.game.keyTyped(s, code); }
    void closeRequested(ui::Screen& s) override { m_qt.game.closeRequested(s); }
    void timerTicked(ui::Timer& timer) override {
        ticks.push_back(std::to_string(m_qt.windows.clock().now()) + " " +
                        std::string(timer.screen().name()) + "." +
                        std::string(timer.layout().name));
        m_qt.game.timerTicked(timer);
    }

  private:
    QtGame& m_qt;
};

TEST(Timers, EveryScreenTimerRunsOnTheWindowSystemsClock) {
    for (ScreenId level : {ScreenId::frmLevel1, ScreenId::frmLevel2, ScreenId::frmLevel3}) {
        SCOPED_TRACE(table::screenName(level));
        QtGame qt;
        const ScreenWindow& window = *qt.openScreen(level);
        ui::Screen& screen = qt.screen(level);
        EXPECT_EQ(screen.timerService(), &qt.windows.clock());
        // No timer of its own in the window: one clock serves every screen.
        EXPECT_TRUE(window.findChildren<QTimer*>().isEmpty());
        // The level start runs the countdown only.
        EXPECT_EQ(qt.windows.clock().clock().runningCount(), 1u);
        EXPECT_TRUE(screen.timer("tmrMezihra").enabled());
    }
}

TEST(Timers, TicksComeAtTheirVirtualInstantsInRealTime) {
    QtGame qt;
    TickLog log(qt);
    qt.openScreen(ScreenId::frmLevel3);
    ui::Screen& level = qt.screen(ScreenId::frmLevel3);
    const std::int64_t start = qt.windows.clock().now();
    // The countdown's first second, then the game tick started by hand: 1 ms ticks every 16 ms.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.ticks.empty(); }, 3000));
    const std::int64_t second = start + 1000;
    EXPECT_EQ(log.ticks.front(), std::to_string(second) + " frmLevel3.tmrMezihra");
    level.timer("tmrHra").start();
    const std::int64_t from = qt.windows.clock().now();
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.ticks.size() >= 4; }, 3000));
    level.timer("tmrHra").stop();
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(log.ticks[i], std::to_string(from + 16 * std::int64_t(i)) + " frmLevel3.tmrHra");
    }
}

TEST(Timers, GameTickReachesTheLevelAndPauseStopsIt) {
    QtGame qt;
    ScreenWindow& w = *qt.openScreen(ScreenId::frmLevel3);
    auto* pause = w.findChild<QAction*>(QStringLiteral("mnuPausa"));
    ui::Screen& level = qt.screen(ScreenId::frmLevel3);
    const ui::Shape& ball = level.shape("shpKulicka");

    pause->trigger();
    ASSERT_TRUE(level.timer("tmrHra").enabled());
    const ui::Geometry before = ball.geometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.left() != before.left; }, 2000));
    // Each tick moves the ball one unit along each axis.
    pause->trigger();
    EXPECT_EQ(std::abs(ball.left() - before.left), std::abs(ball.top() - before.top));
    EXPECT_FALSE(level.timer("tmrHra").enabled());
    const ui::Geometry paused = ball.geometry();
    QTest::qWait(100);
    EXPECT_EQ(ball.left(), paused.left);
    EXPECT_EQ(ball.top(), paused.top);
}

TEST(Timers, UnloadedScreenStopsItsTimersAtOnce) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ui::Timer* oldCountdown = &qt.screen(ScreenId::frmLevel1).timer("tmrMezihra");
    qt.window(ScreenId::frmLevel1)->findChild<QAction*>(QStringLiteral("mnuNovaHra"))->trigger();
    // Only the fresh level 1's countdown runs.
    EXPECT_EQ(qt.windows.clock().clock().runningCount(), 1u);
    ui::Timer& fresh = qt.screen(ScreenId::frmLevel1).timer("tmrMezihra");
    EXPECT_NE(&fresh, oldCountdown);
    EXPECT_TRUE(fresh.enabled());
}

}  // namespace
}  // namespace kostkolam::test
