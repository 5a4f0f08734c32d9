#include "ui/qt/Appearance.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "ui/Pixels.h"
#include "ui/Units.h"

namespace kostkolam::ui::qt {

namespace {

/// The smallest size worth trying when shrinking the window default font.
constexpr int kSmallestFontPx = 6;
/// Below this a status caption is hard to read; no smaller size is taken just to fit its width.
constexpr int kSmallestReadableFontPx = 9;

}  // namespace

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QColor toQColor(Colour colour, const QPalette& palette) {
    if (isSystemColour(colour)) {
        // The only system colour the layouts use is the tooltip background; any other falls back
        // to the window colour rather than to some arbitrary RGB value.
        return palette.color(colour == kTooltipBackground ? QPalette::ToolTipBase
                                                          : QPalette::Window);
    }
    return QColor(red(colour), green(colour), blue(colour));
}

QRect pixelRect(const Geometry& geometry, const Screen& screen) {
    const PixelRect rect = ui::pixelRect(geometry, screen);
    return {rect.left, rect.top, rect.width, rect.height};
}

QFont storedFont(const FontSpec& stored) {
    QFont font;
    // Every stored font asks for "MS Sans Serif", which Linux desktops lack; these faces carry the
    // Czech letters (ě, ř, ů) the game's texts need. DejaVu Sans runs wider than the face the
    // labels were measured for, so its semi-condensed cut is asked for: with it "Skončil jsi v:"
    // stays on one line of the end screen and "Nová hra" fits the level's banner.
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::SemiCondensed);
    font.setPixelSize(fontPixelSize(stored));
    font.setWeight(QFont::Weight(stored.weight));
    font.setItalic(stored.italic);
    font.setUnderline(stored.underline);
    font.setStrikeOut(stored.strikeout);
    return font;
}

QFont windowDefaultFont(const QFont& desktopFont, std::span<const LabelLayout> labels) {
    const std::optional<int> lineHeightPx = statusLineHeightPx(labels);
    if (!lineHeightPx) {
        return desktopFont;
    }
    const auto captionsFit = [&](const QFont& font) {
        const QFontMetrics metrics(font);
        return std::all_of(labels.begin(), labels.end(), [&](const LabelLayout& label) {
            return label.font.has_value() || metrics.horizontalAdvance(toQString(label.caption)) <=
                                                 label.rect.width / kTwipsPerPixel;
        });
    };
    QFont font = desktopFont;
    const int desktopPx = QFontInfo(desktopFont).pixelSize();
    const int largestPx = std::min(desktopPx, *lineHeightPx);
    for (int px = largestPx; px >= kSmallestReadableFontPx; --px) {
        for (const int stretch : {int(QFont::Unstretched), int(QFont::SemiCondensed)}) {
            font.setPixelSize(px);
            font.setStretch(stretch);
            if (QFontMetrics(font).height() <= *lineHeightPx && captionsFit(font)) {
                return font;
            }
        }
    }
    // No readable size fits the widths too: keep to the height alone.
    font.setStretch(QFont::Unstretched);
    for (int px = largestPx; px > kSmallestFontPx; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).height() <= *lineHeightPx) {
            return font;
        }
    }
    font.setPixelSize(kSmallestFontPx);
    return font;
}

}  // namespace kostkolam::ui::qt
