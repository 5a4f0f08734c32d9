#pragma once

// The stored layouts of the title screen and the end screen.

#include "ui/Layout.h"

namespace kostkolam::ui {

extern const ScreenLayout kTitleLayout;
extern const ScreenLayout kEndLayout;

/// The face every stored "MS Sans Serif" font asks for; the backend substitutes a sans-serif face
/// that has the Czech letters.
inline constexpr std::string_view kStoredFontFace = "MS Sans Serif";

}  // namespace kostkolam::ui
