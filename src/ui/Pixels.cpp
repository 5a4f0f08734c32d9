#include "ui/Pixels.h"

#include <algorithm>
#include <cmath>

#include "ui/Units.h"

namespace kostkolam::ui {

namespace {

/// Points to logical pixels.
constexpr double kPixelsPerPoint = 96.0 / 72.0;

int roundToPixel(double value) {
    return int(std::floor(value + 0.5));
}

}  // namespace

PixelRect pixelRect(const Geometry& geometry, const Screen& screen) {
    const double pxPerUnitX = double(screen.twipsPerUnitX()) / kTwipsPerPixel;
    const double pxPerUnitY = double(screen.twipsPerUnitY()) / kTwipsPerPixel;
    const int left = roundToPixel(double(geometry.left) * pxPerUnitX);
    const int top = roundToPixel(double(geometry.top) * pxPerUnitY);
    const int right = roundToPixel((double(geometry.left) + double(geometry.width)) * pxPerUnitX);
    const int bottom = roundToPixel((double(geometry.top) + double(geometry.height)) * pxPerUnitY);
    return {left, top, right - left, bottom - top};
}

std::optional<int> statusLineHeightPx(std::span<const LabelLayout> labels) {
    std::optional<int> lowest;
    for (const LabelLayout& label : labels) {
        if (!label.font) {
            const int px = label.rect.height / kTwipsPerPixel;
            lowest = lowest ? std::min(*lowest, px) : px;
        }
    }
    return lowest;
}

int fontPixelSize(const FontSpec& font) {
    return std::max(1, roundToPixel(double(font.sizePt) * kPixelsPerPoint));
}

}  // namespace kostkolam::ui
