// The pictures built into the program, the fonts that replace the stored ones, and the colours.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <QPixmap>

#include "QtGame.h"
#include "level/LevelLayouts.h"
#include "screens/EndScreen.h"
#include "ui/Pictures.h"
#include "ui/Pixels.h"
#include "ui/ScreenLayouts.h"
#include "ui/Units.h"
#include "ui/qt/Appearance.h"
#include "ui/qt/PictureCache.h"

namespace kostkolam::test {
namespace {

using ui::statusLineHeightPx;
using ui::qt::storedFont;
using ui::qt::windowDefaultFont;

const ui::PictureAsset* const kAllPictures[] = {&ui::kBrickPicture, &ui::kTitleBackground,
                                                &ui::kLevel1Background, &ui::kLevel2Background,
                                                &ui::kLevel3Background};

TEST(Pictures, EveryPictureIsBuiltInWithItsStoredSizeAndDepth) {
    for (const ui::PictureAsset* asset : kAllPictures) {
        SCOPED_TRACE(std::string(asset->resource));
        const QImage image(
            QString::fromUtf8(asset->resource.data(), qsizetype(asset->resource.size())));
        ASSERT_FALSE(image.isNull()) << "resource missing from the program";
        EXPECT_EQ(image.width(), asset->widthPx);
        EXPECT_EQ(image.height(), asset->heightPx);
        if (asset->format == ui::PictureFormat::Bmp) {
            EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        }
    }
}

TEST(Pictures, CacheLoadsEachPictureOnceAndSharesIt) {
    ui::qt::PictureCache cache;
    const QPixmap& first = cache.pixmap(ui::kBrickPicture);
    const QPixmap& second = cache.pixmap(ui::kBrickPicture);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(first.cacheKey(), second.cacheKey());
    EXPECT_NE(cache.pixmap(ui::kTitleBackground).cacheKey(), first.cacheKey());
}

TEST(Fonts, StoredFontsKeepTheirSizeAt96DpiAndShowCzechLetters) {
    struct Case {
        float sizePt;
        std::uint16_t weight;
        int pixels;
    };
    const Case cases[] = {{8.25f, 700, 11}, {9.75f, 700, 13}, {13.5f, 400, 18}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sizePt);
        const QFont font =
            storedFont({.face = ui::kStoredFontFace, .sizePt = c.sizePt, .weight = c.weight});
        EXPECT_EQ(font.pixelSize(), c.pixels);
        EXPECT_EQ(font.bold(), c.weight == 700);
        const QFontMetrics metrics(font);
        for (const char16_t letter : std::u16string_view(u"ěščřžýáíéůúňťďĚŠČŘŽŮ")) {
            EXPECT_TRUE(metrics.inFont(QChar(letter))) << "missing U+" << std::hex << int(letter);
        }
    }
}

TEST(Fonts, StoredFontTextsStayOnOneLineOfTheirLabels) {
    // A wider face would break "Skončil jsi v:" or a level's "Nová hra" banner onto a second line
    // that the label cuts off.
    struct Case {
        const ui::LabelLayout* label;
        std::vector<std::string_view> captions;
    };
    std::vector<Case> cases;
    for (const ui::LabelLayout& label : ui::kEndLayout.labels) {
        if (label.name == "lblhlaska") {
            // The verdict label shows one of the two verdicts, never its stored text.
            cases.push_back({&label, {screens::verdict("-30"), screens::verdict("0")}});
        } else if (label.font) {
            cases.push_back({&label, {label.caption}});
        }
    }
    for (int level = 1; level <= level::kLevelCount; ++level) {
        for (const ui::LabelLayout& label : level::levelLayout(level).labels) {
            if (label.name == "lblHra") {
                cases.push_back({&label, {label.caption}});
            }
        }
    }
    ASSERT_EQ(cases.size(), std::size_t(5 + 3));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.label->name));
        const QFontMetrics metrics(storedFont(*c.label->font));
        for (const std::string_view caption : c.captions) {
            EXPECT_LE(metrics.horizontalAdvance(ui::qt::toQString(caption)),
                      c.label->rect.width / ui::kTwipsPerPixel)
                << caption;
        }
        EXPECT_LE(metrics.height(), c.label->rect.height / ui::kTwipsPerPixel);
    }
}

TEST(Fonts, TheStatusLineIsTheLowestLabelDrawnInTheWindowDefaultFont) {
    // The level screens' four status labels are 195 twips high; the banner and the countdown
    // digit have fonts of their own.
    for (int level = 1; level <= level::kLevelCount; ++level) {
        EXPECT_EQ(statusLineHeightPx(level::levelLayout(level).labels), 13) << level;
    }
    // Every label of the end screen has its own font: nothing to fit, the desktop's font stays.
    EXPECT_EQ(statusLineHeightPx(ui::kEndLayout.labels), std::nullopt);
    QFont desktop = QApplication::font();
    desktop.setPixelSize(24);
    EXPECT_EQ(windowDefaultFont(desktop, ui::kEndLayout.labels), desktop);
}

TEST(Fonts, WindowDefaultFontFitsOneLineIntoAStatusLabel) {
    const auto labels = level::levelLayout(1).labels;
    const int statusLinePx = 195 / ui::kTwipsPerPixel;
    QFont large = QApplication::font();
    large.setPixelSize(24);
    QFont small = QApplication::font();
    small.setPixelSize(9);
    for (const QFont& desktop : {QApplication::font(), large, small}) {
        SCOPED_TRACE(desktop.pixelSize());
        const QFont font = windowDefaultFont(desktop, labels);
        const QFontMetrics metrics(font);
        EXPECT_EQ(font.family(), desktop.family());
        EXPECT_LE(metrics.height(), statusLinePx);
        EXPECT_LE(font.pixelSize(), QFontInfo(desktop).pixelSize());
        // "Životů:" and "Skóre:" are read whole, not cut at their labels' right edges.
        for (const ui::LabelLayout& label : labels) {
            if (!label.font) {
                EXPECT_LE(metrics.horizontalAdvance(ui::qt::toQString(label.caption)),
                          label.rect.width / ui::kTwipsPerPixel)
                    << label.name;
            }
        }
        // No larger size of the face would have done.
        QFont larger = font;
        larger.setPixelSize(font.pixelSize() + 1);
        larger.setStretch(QFont::SemiCondensed);
        const QFontMetrics largerMetrics(larger);
        const bool largerFits = font.pixelSize() < QFontInfo(desktop).pixelSize() &&
                                largerMetrics.height() <= statusLinePx &&
                                largerMetrics.horizontalAdvance(QStringLiteral("Životů:")) <= 33;
        EXPECT_FALSE(largerFits);
    }
}

TEST(Colours, RgbValuesAreBgrAndSystemColoursComeFromThePalette) {
    QPalette palette;
    palette.setColor(QPalette::ToolTipBase, QColor(1, 2, 3));
    palette.setColor(QPalette::Window, QColor(4, 5, 6));
    struct Case {
        ui::Colour stored;
        QColor expected;
    };
    const Case cases[] = {
        {0x0080C0FFu, QColor(0xFF, 0xC0, 0x80)},   {0x008080FFu, QColor(0xFF, 0x80, 0x80)},
        {0x0000C000u, QColor(0x00, 0xC0, 0x00)},   {0x00FF0000u, QColor(0x00, 0x00, 0xFF)},
        {ui::kTooltipBackground, QColor(1, 2, 3)}, {0x80000005u, QColor(4, 5, 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_TRUE(sameColour(ui::qt::toQColor(c.stored, palette), c.expected));
    }
}

}  // namespace
}  // namespace kostkolam::test
