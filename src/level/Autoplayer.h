#pragma once

// A player who keeps the paddle under the ball, for the benchmarks and the long-run and browser
// tests: the game played with nobody at the keyboard. It reads where the ball and the paddle are
// from the level's model and says which paddle key to type; typing it is the caller's, by the
// road a player's key takes on its window system.

#include <cstdint>

#include "flow/Module1.h"
#include "ui/Screen.h"

namespace kostkolam::level {

class Autoplayer {
  public:
    /// Watches the ball and the paddle of a level screen, which must outlive the player.
    Autoplayer(ui::Screen& level, const flow::Module1& module1);

    /// "a" or "d" when typing it brings the paddle nearer to where the ball will come down; 0 when
    /// neither key does, or while no ball is in play.
    std::uint16_t key() const;

  private:
    /// Where the ball's centre will be when it reaches the paddle's row, bouncing off the side
    /// walls on its way; where it is now while it rises (the bricks decide where it comes back).
    double landingCentre() const;

    const ui::Screen& m_screen;
    const ui::Shape& m_ball;
    const ui::Shape& m_paddle;
    const flow::Module1& m_module1;
};

}  // namespace kostkolam::level
