#include "ui/DefaultFont.h"

#include <algorithm>

#include "ui/Pixels.h"
#include "ui/Units.h"

namespace kostkolam::ui {

namespace {

/// The smallest size worth trying when shrinking the window default font.
constexpr int kSmallestFontPx = 6;
/// Below this a status caption is hard to read; no smaller size is taken just to fit its width.
constexpr int kSmallestReadableFontPx = 9;

}  // namespace

std::optional<UiFont> fitDefaultFont(int desktopPx, std::span<const LabelLayout> labels,
                                     const FontMetrics& metrics) {
    const std::optional<int> lineHeightPx = statusLineHeightPx(labels);
    if (!lineHeightPx) {
        return std::nullopt;
    }
    const auto captionsFit = [&](UiFont font) {
        return std::all_of(labels.begin(), labels.end(), [&](const LabelLayout& label) {
            return label.font.has_value() || metrics.textWidthPx(font, label.caption) <=
                                                 double(label.rect.width / kTwipsPerPixel);
        });
    };
    const int largestPx = std::min(desktopPx, *lineHeightPx);
    for (int px = largestPx; px >= kSmallestReadableFontPx; --px) {
        for (const bool semiCondensed : {false, true}) {
            const UiFont font{px, semiCondensed};
            if (metrics.lineHeightPx(font) <= *lineHeightPx && captionsFit(font)) {
                return font;
            }
        }
    }
    // No readable size fits the widths too: keep to the height alone.
    for (int px = largestPx; px > kSmallestFontPx; --px) {
        if (metrics.lineHeightPx({px, false}) <= *lineHeightPx) {
            return UiFont{px, false};
        }
    }
    return UiFont{kSmallestFontPx, false};
}

}  // namespace kostkolam::ui
