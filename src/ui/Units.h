#pragma once

// Twips, pixels and playfield units. Every layout is stored in twips. A level screen measures
// everything in playfield units: one unit is 60.185524 twips across and 31.875 twips down, so its
// client area of 4905 x 4335 twips is 81.498 x 136 units.

#include <cstdint>

#include "ui/Layout.h"

namespace kostkolam::ui {

inline constexpr int kTwipsPerPixel = 15;

/// The frame of a window whose backend draws its own (the headless one, the page's): 90 twips
/// across both sides together. It reaches the rules through a window's outer width.
inline constexpr int kWindowFrameWidthTwips = 90;

/// Twips per playfield unit, held as the single-precision values the playfield scale stores.
inline constexpr float kPlayfieldTwipsPerUnitX = 60.185524f;
inline constexpr float kPlayfieldTwipsPerUnitY = 31.875f;

/// Twips in one unit of the given scale, along x and y.
struct UnitSize {
    float x;
    float y;
};

constexpr UnitSize twipsPerUnit(ScaleMode mode) {
    switch (mode) {
        case ScaleMode::Playfield:
            return {kPlayfieldTwipsPerUnitX, kPlayfieldTwipsPerUnitY};
        case ScaleMode::Pixels:
            return {float(kTwipsPerPixel), float(kTwipsPerPixel)};
        case ScaleMode::Twips:
            break;
    }
    return {1.0f, 1.0f};
}

/// Converts a stored length in twips to the screen's units, rounded once to single precision.
constexpr float twipsToUnits(double twips, float twipsPerUnit) {
    return float(twips / double(twipsPerUnit));
}

}  // namespace kostkolam::ui
