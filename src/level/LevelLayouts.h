#pragma once

// The stored layouts of the three level screens: 35 bricks, the paddle, the ball, six labels,
// three timers and the menu, in twips.

#include "ui/Layout.h"

namespace kostkolam::level {

inline constexpr int kBrickCount = 35;
inline constexpr int kLevelCount = 3;

/// The layout of level 1, 2 or 3.
const ui::ScreenLayout& levelLayout(int level);

}  // namespace kostkolam::level
