// A level played on its real timers: the countdown serves, the game tick moves the ball, and the
// window shows the ball where the model has it.

#include <QAction>
#include <QTest>
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
    const ui::Timer& countdown = level.timer("tmrMezihra");
    const ui::Timer& tick = level.timer("tmrHra");
    const ui::Label& digits = level.label("lblOdpocet");

    // "3", "2", "1", then the serve, one real second apart.
    for (const char* digit : {"2", "1"}) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return digits.caption() == digit; }, 3000));
        EXPECT_FALSE(tick.enabled());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !digits.visible(); }, 3000));
    EXPECT_FALSE(countdown.enabled());
    ASSERT_TRUE(tick.enabled());
    const ui::Geometry served = level.shape("shpKulicka").geometry();
    EXPECT_EQ(served.left, 38.256706f);
    EXPECT_EQ(served.top, 70.0f);

    // Five ticks move the ball five units right and down; pausing freezes it for the picture.
    const ui::Shape& ball = level.shape("shpKulicka");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.left() >= served.left + 5; }, 2000));
    window.findChild<QAction*>(QStringLiteral("mnuPausa"))->trigger();
    const ui::Geometry moved = ball.geometry();
    EXPECT_EQ(moved.left - served.left, moved.top - served.top);

    const QImage shown = grabClient(window);
    EXPECT_TRUE(isBallWhite(shown.pixelColor(discCentre(moved))));
    EXPECT_FALSE(isBallWhite(shown.pixelColor(discCentre(served))));
}

}  // namespace
}  // namespace kostkolam::test
