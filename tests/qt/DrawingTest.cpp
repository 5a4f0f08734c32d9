// What the windows show: grabbed client areas compared with the pictures and the layouts.

#include <QAbstractButton>
#include <QPaintEvent>
#include <QTest>
#include <QWindow>
#include <cmath>

#include "QtGame.h"
#include "ui/Pictures.h"
#include "ui/Units.h"
#include "ui/qt/ClientArea.h"

namespace kostkolam::test {
namespace {

QImage resourceImage(const ui::PictureAsset& asset) {
    return QImage(QString::fromUtf8(asset.resource.data(), qsizetype(asset.resource.size())))
        .convertToFormat(QImage::Format_RGB32);
}

/// The pixels an object in playfield units covers at least, and at most (with a pixel of
/// outline or rounding around it).
QRect innerPixels(const ui::Geometry& g) {
    const double kx = double(ui::kPlayfieldTwipsPerUnitX) / ui::kTwipsPerPixel;
    const double ky = double(ui::kPlayfieldTwipsPerUnitY) / ui::kTwipsPerPixel;
    const int left = int(std::ceil(g.left * kx));
    const int top = int(std::ceil(g.top * ky));
    const int right = int(std::floor((g.left + g.width) * kx));
    const int bottom = int(std::floor((g.top + g.height) * ky));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRect outerPixels(const ui::Geometry& g) {
    return innerPixels(g).adjusted(-2, -2, 2, 2);
}

/// Collects the areas a widget paints.
class PaintSpy final : public QObject {
  public:
    QRegion painted;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

TEST(Drawing, BackgroundPictureAtNaturalSizeOverTheWindowColour) {
    struct Case {
        ScreenId id;
        const ui::PictureAsset* picture;
        QPalette::ColorRole strip;
    };
    const Case cases[] = {
        {ScreenId::frmCihlolam, &ui::kTitleBackground, QPalette::Window},
        {ScreenId::frmLevel1, &ui::kLevel1Background, QPalette::ToolTipBase},
        {ScreenId::frmLevel2, &ui::kLevel2Background, QPalette::ToolTipBase},
        {ScreenId::frmLevel3, &ui::kLevel3Background, QPalette::ToolTipBase},
    };
    // Away from the bricks, the status line, the paddle, the ball and the countdown.
    const QPoint onPicture[] = {{2, 150},   {60, 250},  {250, 160},
                                {300, 268}, {324, 200}, {320, 288}};
    for (const Case& c : cases) {
        SCOPED_TRACE(table::screenName(c.id));
        QtGame qt;
        ScreenWindow* w = qt.openScreen(c.id);
        const QImage shown = grabClient(*w);
        const QImage picture = resourceImage(*c.picture);
        ASSERT_EQ(shown.size(), QSize(327, 289));
        for (const QPoint& p : onPicture) {
            SCOPED_TRACE(QStringLiteral("%1,%2").arg(p.x()).arg(p.y()).toStdString());
            EXPECT_TRUE(sameColour(shown.pixelColor(p), picture.pixelColor(p), 1));
        }
        // The picture is 325 wide: a strip of 2 pixels shows the window's own colour.
        const QColor strip = w->clientArea()->palette().color(c.strip);
        for (int y : {150, 200, 288}) {
            EXPECT_TRUE(sameColour(shown.pixelColor(325, y), strip));
            EXPECT_TRUE(sameColour(shown.pixelColor(326, y), strip));
        }
    }
}

TEST(Drawing, BricksShowTheMiddleOfTheBrickPicture) {
    const QImage picture = resourceImage(ui::kBrickPicture);
    struct Case {
        ScreenId level;
        int index;
    };
    const Case cases[] = {{ScreenId::frmLevel1, 0},  {ScreenId::frmLevel1, 20},
                          {ScreenId::frmLevel2, 24}, {ScreenId::frmLevel2, 14},
                          {ScreenId::frmLevel3, 31}, {ScreenId::frmLevel3, 6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(levelNumber(c.level)) + "/" + std::to_string(c.index));
        QtGame qt;
        qt.openScreen(c.level);
        const QImage shown = grabClient(*qt.window(c.level));
        const QRect brick =
            qt.window(c.level)
                ->findChild<QAbstractButton*>(QStringLiteral("cmdBod(%1)").arg(c.index))
                ->geometry();
        // The face's middle shows the picture's middle (give or take the bevel's pixel).
        const QPoint middle(brick.x() + brick.width() / 2, brick.y() + brick.height() / 2);
        bool found = false;
        for (int dy = -2; dy <= 2 && !found; ++dy) {
            for (int dx = -2; dx <= 2 && !found; ++dx) {
                found =
                    sameColour(shown.pixelColor(middle), picture.pixelColor(32 + dx, 25 + dy), 1);
            }
        }
        EXPECT_TRUE(found) << "no brick picture at " << middle.x() << "," << middle.y();
    }
}

TEST(Drawing, LabelsFillTheirRectanglesWithTheirColours) {
    struct Case {
        ScreenId id;
        const char* label;
        QRect twips;
        std::uint32_t colour;
        QPoint inside;  // relative to the label, clear of its text
    };
    const Case cases[] = {
        {ScreenId::frmLevel1, "lblZivot", {0, 4140, 495, 195}, 0x0080C0FFu, {16, 12}},
        {ScreenId::frmLevel1, "lblZiv", {480, 4140, 315, 195}, 0x0080C0FFu, {10, 12}},
        {ScreenId::frmLevel1, "lblSkore", {780, 4140, 495, 195}, 0x008080FFu, {16, 12}},
        {ScreenId::frmLevel1, "lblSko", {1260, 4140, 315, 195}, 0x008080FFu, {10, 12}},
        {ScreenId::frmKonec, "lblLev", {2190, 0, 1065, 360}, 0x0080C0FFu, {2, 22}},
        {ScreenId::frmKonec, "lblSko", {2805, 270, 450, 360}, 0x008080FFu, {15, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(table::screenName(c.id)) + " " + c.label);
        QtGame qt;
        ASSERT_NO_FATAL_FAILURE(qt.openEndScreen());
        const QImage shown = grabClient(*qt.window(c.id));
        const QRect rect =
            twipsToPixels(c.twips.x(), c.twips.y(), c.twips.width(), c.twips.height());
        EXPECT_TRUE(
            sameColour(shown.pixelColor(rect.topLeft() + c.inside), layoutColour(c.colour)));
    }
}

TEST(Drawing, EndScreenShowsTheWindowColourAroundItsLabels) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openEndScreen());
    ScreenWindow* end = qt.window(ScreenId::frmKonec);
    const QImage shown = grabClient(*end);
    ASSERT_EQ(shown.size(), QSize(258, 130));
    const QColor window = end->clientArea()->palette().color(QPalette::Window);
    for (const QPoint p : {QPoint(250, 5), QPoint(245, 125), QPoint(5, 125), QPoint(140, 48)}) {
        EXPECT_TRUE(sameColour(shown.pixelColor(p), window)) << p.x() << "," << p.y();
    }
}

TEST(Drawing, TypedKeyMovesThePaddleOnTheScreenAndRepaintsOnlyAroundIt) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ScreenWindow* level = qt.window(ScreenId::frmLevel1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(level));
    const ui::Shape& paddle = qt.screen(ScreenId::frmLevel1).shape("shpPosuvnik");
    const ui::Geometry before = paddle.geometry();
    const QImage shownBefore = grabClient(*level);

    // Whatever showing the window left to paint is painted before watching.
    QCoreApplication::sendPostedEvents(level, QEvent::UpdateRequest);
    PaintSpy spy;
    level->clientArea()->installEventFilter(&spy);
    QTest::keyClick(level->windowHandle(), 'd');
    QCoreApplication::sendPostedEvents(level, QEvent::UpdateRequest);
    level->clientArea()->removeEventFilter(&spy);

    const ui::Geometry after = paddle.geometry();
    ASSERT_GT(after.left, before.left);
    EXPECT_FALSE(spy.painted.isEmpty());
    const QRect allowed = outerPixels(before) | outerPixels(after);
    EXPECT_TRUE(allowed.contains(spy.painted.boundingRect()))
        << "painted " << spy.painted.boundingRect().x() << "," << spy.painted.boundingRect().y()
        << " " << spy.painted.boundingRect().width() << "x" << spy.painted.boundingRect().height();

    // In the picture: green where the paddle is now, and no longer where only it was.
    const QImage shownAfter = grabClient(*level);
    const QColor green = layoutColour(0x0000FF00u);
    const QRect was = innerPixels(before);
    const QRect is = innerPixels(after);
    const int row = is.center().y();
    EXPECT_TRUE(sameColour(shownBefore.pixelColor(was.left() + 2, row), green));
    EXPECT_FALSE(sameColour(shownAfter.pixelColor(was.left() + 2, row), green));
    EXPECT_FALSE(sameColour(shownBefore.pixelColor(is.right() - 2, row), green));
    EXPECT_TRUE(sameColour(shownAfter.pixelColor(is.right() - 2, row), green));
}

TEST(Drawing, PaddleIsDrawnOverTheStatusLabels) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ScreenWindow* level = qt.window(ScreenId::frmLevel1);
    const ui::Shape& paddle = qt.screen(ScreenId::frmLevel1).shape("shpPosuvnik");
    QTest::keyClick(level->windowHandle(), 'a');
    QTest::keyClick(level->windowHandle(), 'a');
    const QRect overLabels = innerPixels(paddle.geometry());
    const QRect score = twipsToPixels(1260, 4140, 315, 195);
    ASSERT_LT(overLabels.left() + 2, score.right());

    const QImage shown = grabClient(*level);
    const QPoint onBoth(overLabels.left() + 2, overLabels.center().y());
    EXPECT_TRUE(score.contains(onBoth));
    EXPECT_TRUE(sameColour(shown.pixelColor(onBoth), layoutColour(0x0000FF00u)));
    // Below the paddle the score label still shows.
    EXPECT_TRUE(
        sameColour(shown.pixelColor(onBoth.x(), score.bottom()), layoutColour(0x008080FFu)));
}

TEST(Drawing, BrickLooksPressedWhileTheMouseIsHeldOnIt) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ScreenWindow* level = qt.window(ScreenId::frmLevel1);
    auto* brick = level->findChild<QAbstractButton*>(QStringLiteral("cmdBod(10)"));
    ASSERT_NE(brick, nullptr);
    const QImage up = brick->grab().toImage();
    QTest::mousePress(brick, Qt::LeftButton);
    EXPECT_TRUE(brick->isDown());
    const QImage down = brick->grab().toImage();
    QTest::mouseRelease(brick, Qt::LeftButton);
    EXPECT_FALSE(brick->isDown());
    EXPECT_NE(up, down);
    EXPECT_EQ(brick->grab().toImage(), up);
    // A brick has no command: the level plays on.
    EXPECT_EQ(qt.game.state(ScreenId::frmLevel1), LoadState::Shown);
    EXPECT_TRUE(qt.screen(ScreenId::frmLevel1).bricks()[10].visible());
}

}  // namespace
}  // namespace kostkolam::test
