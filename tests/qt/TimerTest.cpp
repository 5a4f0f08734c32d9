// The screens' timers as QTimers: intervals, the 16 ms floor, ticks reaching the game, and no
// ticks from an unloaded screen.

#include <QAction>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>

#include "QtGame.h"

namespace kostkolam::test {
namespace {

QTimer* qtimer(const ScreenWindow& window, const char* name) {
    return window.findChild<QTimer*>(QString::fromUtf8(name));
}

TEST(Timers, EachTimerRunsAtItsIntervalWithA16MsFloor) {
    struct Case {
        ScreenId level;
        int gameTickMs;
    };
    const Case cases[] = {
        {ScreenId::frmLevel1, 50}, {ScreenId::frmLevel2, 75}, {ScreenId::frmLevel3, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(table::screenName(c.level));
        QtGame qt;
        const ScreenWindow& w = *qt.openScreen(c.level);
        const std::pair<const char*, int> intervals[] = {
            {"tmrHra", c.gameTickMs}, {"tmrMezihra", 1000}, {"tmrZivot", 1000}};
        for (const auto& [name, ms] : intervals) {
            SCOPED_TRACE(name);
            QTimer* timer = qtimer(w, name);
            ASSERT_NE(timer, nullptr);
            EXPECT_EQ(timer->interval(), ms);
            EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
            // Running exactly when the model's timer is enabled; the level start runs the
            // countdown only.
            EXPECT_EQ(timer->isActive(), qt.screen(c.level).timer(name).enabled());
            EXPECT_EQ(timer->isActive(), std::string_view(name) == "tmrMezihra");
        }
    }
}

TEST(Timers, GameTickReachesTheLevelAndPauseStopsIt) {
    QtGame qt;
    ScreenWindow& w = *qt.openScreen(ScreenId::frmLevel3);
    QTimer* tick = qtimer(w, "tmrHra");
    auto* pause = w.findChild<QAction*>(QStringLiteral("mnuPausa"));
    const ui::Shape& ball = qt.screen(ScreenId::frmLevel3).shape("shpKulicka");

    pause->trigger();
    ASSERT_TRUE(tick->isActive());
    const ui::Geometry before = ball.geometry();
    QSignalSpy ticks(tick, &QTimer::timeout);
    ASSERT_TRUE(ticks.wait(2000));
    // Each tick moves the ball one unit along each axis.
    EXPECT_EQ(std::abs(ball.left() - before.left), 1.0f);
    EXPECT_EQ(std::abs(ball.top() - before.top), 1.0f);

    pause->trigger();
    EXPECT_FALSE(tick->isActive());
    EXPECT_FALSE(qt.screen(ScreenId::frmLevel3).timer("tmrHra").enabled());
}

TEST(Timers, UnloadedScreenStopsItsTimersAtOnce) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    QPointer<ScreenWindow> old = qt.window(ScreenId::frmLevel1);
    ASSERT_TRUE(qtimer(*old, "tmrMezihra")->isActive());
    old->findChild<QAction*>(QStringLiteral("mnuNovaHra"))->trigger();
    ASSERT_FALSE(old.isNull());
    for (const QTimer* timer : old->findChildren<QTimer*>()) {
        EXPECT_FALSE(timer->isActive()) << timer->objectName().toStdString();
    }
    // The fresh level 1 counts down in its own window.
    EXPECT_TRUE(qtimer(*qt.window(ScreenId::frmLevel1), "tmrMezihra")->isActive());
}

}  // namespace
}  // namespace kostkolam::test
