// A level played on its real timers: the countdown serves, the game tick moves the ball, and the
// window shows the ball where the model has it.

#include <QAction>
#include <QSignalSpy>
#include <QTimer>
#include <cmath>

#include "QtGame.h"
#include "ui/Units.h"

namespace kostkolam::test {
namespace {

/// The middle of the ball's disc, in the client area's logical pixels.
QPoint discCentre(const ui::Geometry& ball) {
    const double kx = double(ui::kPlayfieldTwipsPerUnitX) / ui::kTwipsPerPixel;
    const double ky = double(ui::kPlayfieldTwipsPerUnitY) / ui::kTwipsPerPixel;
    return QPoint(int(std::lround((ball.left + ball.width / 2) * kx)),
                  int(std::lround((ball.top + ball.height / 2) * ky)));
}

bool isBallWhite(const QColor& c) {
    return c.red() > 240 && c.green() > 240 && c.blue() > 240;
}

TEST(Play, TheCountdownServesAndTheGameTickMovesTheBallOnScreen) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ScreenWindow& window = *qt.window(ScreenId::frmLevel1);
    ui::Screen& level = qt.screen(ScreenId::frmLevel1);
    auto* countdown = window.findChild<QTimer*>(QStringLiteral("tmrMezihra"));
    auto* tick = window.findChild<QTimer*>(QStringLiteral("tmrHra"));
    ASSERT_NE(countdown, nullptr);
    ASSERT_NE(tick, nullptr);

    // "3", "2", "1", then the serve, one real second apart.
    QSignalSpy seconds(countdown, &QTimer::timeout);
    for (const char* digit : {"2", "1"}) {
        ASSERT_TRUE(seconds.wait(3000));
        EXPECT_EQ(level.label("lblOdpocet").caption(), digit);
        EXPECT_FALSE(tick->isActive());
    }
    ASSERT_TRUE(seconds.wait(3000));
    EXPECT_FALSE(level.label("lblOdpocet").visible());
    EXPECT_FALSE(countdown->isActive());
    ASSERT_TRUE(tick->isActive());
    const ui::Geometry served = level.shape("shpKulicka").geometry();
    EXPECT_EQ(served.left, 38.256706f);
    EXPECT_EQ(served.top, 70.0f);

    // Five ticks move the ball five units right and down; pausing freezes it for the picture.
    QSignalSpy ticks(tick, &QTimer::timeout);
    while (ticks.count() < 5) {
        ASSERT_TRUE(ticks.wait(1000));
    }
    window.findChild<QAction*>(QStringLiteral("mnuPausa"))->trigger();
    const ui::Geometry moved = level.shape("shpKulicka").geometry();
    EXPECT_EQ(moved.left, served.left + 5);
    EXPECT_EQ(moved.top, served.top + 5);

    const QImage shown = grabClient(window);
    EXPECT_TRUE(isBallWhite(shown.pixelColor(discCentre(moved))));
    EXPECT_FALSE(isBallWhite(shown.pixelColor(discCentre(served))));
}

}  // namespace
}  // namespace kostkolam::test
