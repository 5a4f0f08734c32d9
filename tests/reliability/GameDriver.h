#pragma once

// A game driven for a long time, the same way on either window system: the player's commands,
// clicks and keys, game time passing, and the window system's chance to finish deferred work. The
// long-run tests play whole games and walk through every screen with it, thousands of times.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "flow/Game.h"
#include "level/LevelLayouts.h"
#include "table/ScreenTable.h"

namespace kostkolam::reliability {

using flow::LoadState;
using flow::ScreenId;

/// One window system under the game, as a player and the passing time reach it.
class GameDriver {
  public:
    virtual ~GameDriver() = default;

    virtual flow::Game& game() = 0;
    /// Chooses a menu item of a loaded screen, as the player does.
    virtual void chooseMenu(ScreenId id, std::string_view item) = 0;
    /// Clicks a push button of a loaded screen.
    virtual void clickButton(ScreenId id, std::string_view button) = 0;
    /// Types one character on a loaded screen.
    virtual void typeKey(ScreenId id, char key) = 0;
    /// Lets `ms` milliseconds of game time pass, delivering every tick that falls due.
    virtual void advance(std::int64_t ms) = 0;
    /// Gives the window system the return to its event loop it waits for: windows of unloaded
    /// screens are deleted, windows repaint.
    virtual void settle() {}
    /// Empties the caches the window system keeps by design, within limits it documents, so that
    /// a census counts only what the game holds.
    virtual void dropCaches() {}
    /// How many objects the window system keeps for the game right now (running timers, or
    /// widgets): a number that must not grow from one game to the next.
    virtual std::size_t objectCount() = 0;
    /// Fails when the window system still holds anything of a screen that is no longer loaded.
    virtual ::testing::AssertionResult holdsOnlyLoadedScreens() = 0;
    /// Fails when the window system has complained since the last call.
    virtual ::testing::AssertionResult quiet() { return ::testing::AssertionSuccess(); }
    /// Game time that has passed since the driver was made.
    virtual std::int64_t gameTimeMs() = 0;
    /// Help boxes shown so far.
    virtual int helpBoxesShown() const = 0;
};

/// Plays one game from a fresh level 1 to its game over: levels 1 to `levelsToClear` are cleared
/// (the bricks knocked out as soon as the ball is in play, the paddle kept under the ball), and on
/// the next level every ball is let past the paddle. Clearing all three levels ends the game too.
/// With `askForHelp` the help box is opened from the frozen level behind the end screen. Leaves
/// the end screen shown.
void playGame(GameDriver& driver, int levelsToClear, bool askForHelp);

/// From the title screen, loads and unloads each of the five screens once, through the game's own
/// operations: the title's "Nová hra", each level cleared by its own game tick, and the end
/// screen's "Konec" back to the title.
void visitEveryScreen(GameDriver& driver);

}  // namespace kostkolam::reliability
