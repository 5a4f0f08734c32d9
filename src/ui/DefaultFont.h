#pragma once

// The window default font, chosen the same way by every backend that draws text: the desktop's
// user-interface font, made small enough that one line of it fits the status line of a level.
// The backend measures; the choice is made here.

#include <optional>
#include <span>
#include <string_view>

#include "ui/Layout.h"

namespace kostkolam::ui {

/// A size and cut of the desktop's user-interface font.
struct UiFont {
    int pixelSize = 0;
    /// The face's semi-condensed cut instead of its normal width.
    bool semiCondensed = false;
    friend bool operator==(const UiFont&, const UiFont&) = default;
};

/// How the backend's fonts measure, in logical pixels.
class FontMetrics {
  public:
    virtual ~FontMetrics() = default;
    /// The height of one line of text.
    virtual int lineHeightPx(UiFont font) const = 0;
    /// How far a line of `text` reaches.
    virtual double textWidthPx(UiFont font, std::string_view text) const = 0;
};

/// The window default font for a screen with these labels: the desktop's font of `desktopPx`
/// pixels, made small enough that one line of it fits into the status line, and, where it can be
/// done at a readable size, that the stored captions of the labels drawn in it ("Životů:",
/// "Skóre:") fit their labels' widths; the semi-condensed cut is taken before a smaller size.
/// Nothing for a screen without a label drawn in it: the font chosen before stays.
std::optional<UiFont> fitDefaultFont(int desktopPx, std::span<const LabelLayout> labels,
                                     const FontMetrics& metrics);

}  // namespace kostkolam::ui
