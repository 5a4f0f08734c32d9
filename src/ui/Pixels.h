#pragma once

// Where the screens' objects lie in a window's logical pixels, the same for every backend that
// draws them: the desktop's windows and the browser page's.

#include <optional>
#include <span>

#include "ui/Layout.h"
#include "ui/Screen.h"

namespace kostkolam::ui {

/// A rectangle in the client area's logical pixels (1/96 inch).
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

/// An object's rectangle in the client area's logical pixels (units times the screen's twips per
/// unit, over 15). Every edge is rounded on its own, so objects that meet in the layout meet on the
/// screen too.
PixelRect pixelRect(const Geometry& geometry, const Screen& screen);

/// The height in logical pixels of the lowest label drawn in the window default font (a level's
/// status labels: 195 twips, 13 pixels), or nothing when every label has a font of its own.
std::optional<int> statusLineHeightPx(std::span<const LabelLayout> labels);

/// A stored font's size in logical pixels: the layouts were drawn at 96 dots per inch.
int fontPixelSize(const FontSpec& font);

}  // namespace kostkolam::ui
