#pragma once

// The stored layouts of the title screen and the end screen.

#include "ui/Layout.h"

namespace kostkolam::ui {

extern const ScreenLayout kTitleLayout;
extern const ScreenLayout kEndLayout;

}  // namespace kostkolam::ui
