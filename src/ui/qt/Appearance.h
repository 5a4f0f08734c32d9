#pragma once

// How the game's stored colours, fonts and positions become what Qt draws with.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>
#include <optional>
#include <span>
#include <string_view>

#include "ui/Layout.h"
#include "ui/Screen.h"

namespace kostkolam::ui::qt {

/// A text of the layouts or the rules, all of which are UTF-8.
QString toQString(std::string_view text);

/// A stored colour; the desktop's palette stands in for the system colours.
QColor toQColor(Colour colour, const QPalette& palette);

/// An object's rectangle in the client area's logical pixels (ui::pixelRect as a QRect).
QRect pixelRect(const Geometry& geometry, const Screen& screen);

/// A stored font. "MS Sans Serif" becomes a sans-serif face with the Czech letters; the size is the
/// stored point size at 96 dots per inch, the scale every window of the game is laid out in.
QFont storedFont(const FontSpec& stored);

/// The window default font for a screen with these labels: the desktop's user-interface font,
/// made small enough that one line of it fits into the status line, and, where it can be done at
/// a readable size, that the stored captions of the labels drawn in it ("Životů:", "Skóre:") fit
/// their labels' widths; the semi-condensed cut of the face is taken before a smaller size.
/// Without a label drawn in it, the desktop's font as it is.
/// The choice is ui::fitDefaultFont's, measured in Qt's fonts.
QFont windowDefaultFont(const QFont& desktopFont, std::span<const LabelLayout> labels);

}  // namespace kostkolam::ui::qt
