#pragma once

// A game running on real Qt windows, and what the tests use to look at them.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>

#include "flow/Game.h"
#include "level/LevelLayouts.h"
#include "table/ScreenTable.h"
#include "ui/qt/QtWindowSystem.h"
#include "ui/qt/ScreenWindow.h"

namespace kostkolam::test {

using flow::LoadState;
using flow::ScreenId;
using ui::qt::ScreenWindow;

/// The game on the Qt window system, as the program runs it.
class QtGame {
  public:
    /// The window of a loaded screen, or nullptr.
    ScreenWindow* window(ScreenId id) const;
    /// The model of a loaded screen; the screen must be loaded.
    ui::Screen& screen(ScreenId id) const;

    /// Starts the game and loads and shows the given screen through the game's own operations
    /// (the title screen stays loaded); returns its window.
    ScreenWindow* openScreen(ScreenId id);
    /// Starts the game and opens level 1 as a player does: "Nová hra" in the title's menu.
    void openLevel1();
    /// Shows the end screen in front of level 1, where a lost game leaves it.
    void openEndScreen();
    /// Opens the title (the game's start), level 1 (through the title's menu) or the end screen
    /// (in front of level 1) as above, and waits until its window is the active one. Returns that
    /// window, or nullptr after a test failure.
    ScreenWindow* openActive(ScreenId id);
    /// Waits until the window of a loaded screen is the active one; returns it, or nullptr after a
    /// test failure.
    ScreenWindow* activeWindow(ScreenId id) const;

    // The window system outlives the game that uses it.
    ui::qt::QtWindowSystem windows;
    flow::Game game{windows, table::screens()};
};

/// The client area as the player sees it, at one image pixel per logical pixel.
QImage grabClient(const ScreenWindow& window);

/// The rectangle a stored layout rectangle in twips covers, in logical pixels.
QRect twipsToPixels(int left, int top, int width, int height);

/// Colours equal to within `tolerance` in each channel.
::testing::AssertionResult sameColour(const QColor& actual, const QColor& expected,
                                      int tolerance = 0);

/// The colour of a layout's RGB value 0x00BBGGRR.
QColor layoutColour(std::uint32_t colour);

}  // namespace kostkolam::test
