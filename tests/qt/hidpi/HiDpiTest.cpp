// A high-density desktop with a scale factor of 2: every window keeps its logical size, has twice
// the device pixels along each axis, draws its text at the full resolution and scales its pictures
// smoothly, so the game is as large as on an ordinary screen, and sharp.

#include <QAbstractButton>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <map>

#include "QtGame.h"
#include "ui/Pictures.h"
#include "ui/qt/ClientArea.h"

namespace kostkolam::test {
namespace {

constexpr qreal kScale = 2;

/// The client area as the desktop shows it, at its device resolution.
QImage grabDevice(const ScreenWindow& window) {
    return window.clientArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

/// Part of the client area drawn at one device pixel per logical pixel, as on an ordinary screen.
QImage renderOrdinary(const ScreenWindow& window, const QRect& logical) {
    QImage image(logical.size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    window.clientArea()->render(&image, QPoint(), QRegion(logical));
    return image;
}

QImage resourceImage(const ui::PictureAsset& asset) {
    return QImage(QString::fromUtf8(asset.resource.data(), qsizetype(asset.resource.size())))
        .convertToFormat(QImage::Format_RGB32);
}

/// The device pixels that a rectangle of logical pixels covers.
QRect devicePixels(const QRect& logical) {
    return {logical.topLeft() * kScale, logical.size() * kScale};
}

/// Counts the 2 x 2 blocks of device pixels, one per logical pixel of `logical`, whose four
/// pixels are not all alike. Pixel doubling leaves every block uniform.
struct Blocks {
    int total = 0;
    int mixed = 0;
    /// Blocks with any pixel other than `background`.
    int inked = 0;
    int inkedMixed = 0;
};

Blocks blocks(const QImage& device, const QRect& logical, QRgb background) {
    Blocks b;
    for (int y = logical.top(); y <= logical.bottom(); ++y) {
        for (int x = logical.left(); x <= logical.right(); ++x) {
            const QRgb p[] = {device.pixel(2 * x, 2 * y), device.pixel(2 * x + 1, 2 * y),
                              device.pixel(2 * x, 2 * y + 1), device.pixel(2 * x + 1, 2 * y + 1)};
            const bool mixed =
                std::any_of(std::begin(p), std::end(p), [&](QRgb q) { return q != p[0]; });
            const bool inked =
                std::any_of(std::begin(p), std::end(p), [&](QRgb q) { return q != background; });
            ++b.total;
            b.mixed += mixed;
            b.inked += inked;
            b.inkedMixed += inked && mixed;
        }
    }
    return b;
}

/// The largest jump in brightness between neighbours along a row.
int largestJump(const QImage& image, const QRect& rect) {
    int largest = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x < rect.right(); ++x) {
            largest = std::max(largest,
                               std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))));
        }
    }
    return largest;
}

/// Neighbours along a row whose brightness jumps by at least `jump`: the crisp edges of glyphs.
/// Blurring spreads each edge over several smaller steps.
int crispEdges(const QImage& image, const QRect& rect, int jump) {
    int edges = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x < rect.right(); ++x) {
            if (std::abs(qGray(image.pixel(x, y)) - qGray(image.pixel(x + 1, y))) >= jump) {
                ++edges;
            }
        }
    }
    return edges;
}

/// The colour most pixels of the rectangle have.
QRgb commonest(const QImage& image, const QRect& rect) {
    std::map<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            ++counts[image.pixel(x, y)];
        }
    }
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

void open(QtGame& qt, ScreenId id) {
    if (id == ScreenId::frmKonec) {
        qt.openEndScreen();
        return;
    }
    qt.openScreen(id);
}

TEST(HighDensity, WindowsKeepTheirLogicalSizeWithTwiceTheDevicePixels) {
    struct Case {
        ScreenId id;
        QSize client;
    };
    const Case cases[] = {{ScreenId::frmCihlolam, {327, 289}},
                          {ScreenId::frmLevel1, {327, 289}},
                          {ScreenId::frmKonec, {258, 130}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(table::screenName(c.id));
        QtGame qt;
        ASSERT_NO_FATAL_FAILURE(open(qt, c.id));
        ScreenWindow* window = qt.window(c.id);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(window->windowHandle()->devicePixelRatio(), kScale);
        EXPECT_EQ(window->clientArea()->size(), c.client);
        const QPixmap grabbed = window->clientArea()->grab();
        EXPECT_EQ(grabbed.devicePixelRatio(), kScale);
        EXPECT_EQ(grabbed.size(), c.client * kScale);
        EXPECT_EQ(grabbed.deviceIndependentSize().toSize(), c.client);
    }
}

TEST(HighDensity, PicturesAreScaledSmoothlyAtTheirLogicalSize) {
    struct Case {
        const char* what;
        ScreenId id;
        const ui::PictureAsset* picture;
        QRect logical;  // on the picture, clear of every object
    };
    const Case cases[] = {
        {"title photograph", ScreenId::frmCihlolam, &ui::kTitleBackground, {4, 4, 316, 280}},
        {"level 2 photograph", ScreenId::frmLevel2, &ui::kLevel2Background, {200, 180, 120, 80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QtGame qt;
        ASSERT_NO_FATAL_FAILURE(open(qt, c.id));
        const QImage device = grabDevice(*qt.window(c.id));
        const QImage picture = resourceImage(*c.picture);

        // Smooth scaling blends neighbouring photo pixels; nearest-neighbour scaling would
        // repeat each of them in a uniform 2 x 2 block.
        const Blocks b = blocks(device, c.logical, 0);
        EXPECT_GT(b.mixed * 3, b.total) << b.mixed << " of " << b.total << " blocks mixed";

        // Each block still shows its own photo pixel: the picture lies at its natural logical
        // size from the top-left corner.
        for (int y = c.logical.top(); y <= c.logical.bottom(); y += 23) {
            for (int x = c.logical.left(); x <= c.logical.right(); x += 19) {
                const QRgb p[] = {device.pixel(2 * x, 2 * y), device.pixel(2 * x + 1, 2 * y),
                                  device.pixel(2 * x, 2 * y + 1),
                                  device.pixel(2 * x + 1, 2 * y + 1)};
                const QColor mean((qRed(p[0]) + qRed(p[1]) + qRed(p[2]) + qRed(p[3])) / 4,
                                  (qGreen(p[0]) + qGreen(p[1]) + qGreen(p[2]) + qGreen(p[3])) / 4,
                                  (qBlue(p[0]) + qBlue(p[1]) + qBlue(p[2]) + qBlue(p[3])) / 4);
                EXPECT_TRUE(sameColour(mean, picture.pixelColor(x, y), 48)) << x << "," << y;
            }
        }
    }
}

TEST(HighDensity, BrickPictureIsScaledSmoothly) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(open(qt, ScreenId::frmLevel1));
    ScreenWindow* level = qt.window(ScreenId::frmLevel1);
    const QImage device = grabDevice(*level);
    const QRect brick =
        level->findChild<QAbstractButton*>(QStringLiteral("cmdBod(17)"))->geometry();
    // The face inside the button's bevel.
    const Blocks b = blocks(device, brick.adjusted(4, 4, -4, -4), 0);
    EXPECT_GT(b.mixed * 3, b.total) << b.mixed << " of " << b.total << " blocks mixed";
}

/// Whether text drawn at twice the resolution (`device`, the label's rectangle at `logical`)
/// is as sharp as it should be, compared with the same text on an ordinary screen.
::testing::AssertionResult drawnAtFullResolution(const QImage& device, const QRect& logical,
                                                 const QImage& ordinary) {
    const QRgb background = commonest(device, devicePixels(logical));
    // Not pixel-doubled: many glyph edges fall inside the 2 x 2 blocks.
    const Blocks b = blocks(device, logical, background);
    if (b.inked <= 20 || b.inkedMixed * 3 <= b.inked) {
        return ::testing::AssertionFailure()
               << b.inkedMixed << " of " << b.inked << " inked blocks mixed";
    }
    // Not blurred: with twice the rows the glyphs keep their crisp edges, well over as many as
    // an ordinary screen shows.
    const int jump = largestJump(ordinary, ordinary.rect()) * 6 / 10;
    const int sharp = crispEdges(device, devicePixels(logical), jump);
    const int plain = crispEdges(ordinary, ordinary.rect(), jump);
    if (plain == 0 || sharp * 2 < plain * 3) {
        return ::testing::AssertionFailure()
               << sharp << " crisp edges, " << plain << " on an ordinary screen";
    }
    return ::testing::AssertionSuccess();
}

TEST(HighDensity, TextIsDrawnAtTheFullResolution) {
    struct Case {
        ScreenId id;
        const char* label;
    };
    const Case cases[] = {
        {ScreenId::frmLevel1, "lblHra"},    // white on black, bold
        {ScreenId::frmKonec, "lblLevel"},   // black on the window colour
        {ScreenId::frmKonec, "lblhlaska"},  // green, bold
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(table::screenName(c.id)) + " " + c.label);
        QtGame qt;
        ASSERT_NO_FATAL_FAILURE(open(qt, c.id));
        ScreenWindow* window = qt.window(c.id);
        const ui::Label& label = qt.screen(c.id).label(c.label);
        ASSERT_TRUE(label.visible());
        const QRect logical = window->clientArea()->objectRect(label);
        const QImage ordinary = renderOrdinary(*window, logical);
        EXPECT_TRUE(drawnAtFullResolution(grabDevice(*window), logical, ordinary));

        // The ordinary rendering blown up, doubled or blurred, is told apart.
        QImage enlarged(ordinary.size() * kScale, QImage::Format_RGB32);
        const QRect local(QPoint(0, 0), logical.size());
        for (const auto mode : {Qt::FastTransformation, Qt::SmoothTransformation}) {
            QImage blownUp = ordinary.scaled(enlarged.size(), Qt::IgnoreAspectRatio, mode);
            EXPECT_FALSE(drawnAtFullResolution(blownUp, local, ordinary)) << int(mode);
        }
    }
}

}  // namespace
}  // namespace kostkolam::test
