#pragma once

// The arithmetic of a level's playfield: the sums every comparison of the game takes, the walls,
// the ball's move and the paddle's step. The level's logic plays by these, and the autoplayer
// looks ahead with the same ones, so that it never disagrees with the game about where the ball
// bounces or where a key puts the paddle.

#include <cstdint>

#include "ui/Screen.h"

namespace kostkolam::level {

// Every comparison of the game takes each computed side as the exact sum of its terms, rounded
// once to single precision.
inline float sum(float a, float b) {
    return float(double(a) + double(b));
}

inline float sum(float a, float b, double constant) {
    return float(double(a) + double(b) + constant);
}

inline float plus(float a, double constant) {
    return float(double(a) + constant);
}

/// An object along one axis: where it starts and how far it reaches.
struct Extent {
    float start;
    float size;
};

inline Extent alongX(const ui::ShownObject& o) {
    return {o.left(), o.width()};
}

inline Extent alongY(const ui::ShownObject& o) {
    return {o.top(), o.height()};
}

/// Where an object ends along an axis: its right or bottom edge.
inline float farEdge(Extent e) {
    return sum(e.start, e.size);
}

/// Moving right or down, the ball's far edge has come as far as the object's near edge: the ball
/// is on the paddle's row, for one.
inline bool reachedNearEdge(Extent ball, Extent object) {
    return farEdge(ball) >= object.start;
}

/// The ball has reached the far wall of the axis: the right wall (the client width) or the
/// bottom (the client height).
inline bool atFarWall(Extent ball, float client) {
    return farEdge(ball) >= client;
}

/// The ball has reached the near wall of the axis: the left wall or the top.
inline bool atNearWall(Extent ball) {
    return !(ball.start > 0);
}

/// Where the ball starts along an axis after one tick's move by its step (KrokX or KrokY).
inline float moved(float start, std::int16_t step) {
    return plus(start, step);
}

/// A bounce: 1 becomes -1 and back. The only value with no negative stays at the far end.
inline std::int16_t negated(std::int16_t step) {
    return step == INT16_MIN ? INT16_MAX : std::int16_t(-step);
}

/// The keys that move the paddle.
inline constexpr std::uint16_t kPaddleLeftKey = 'a';
inline constexpr std::uint16_t kPaddleRightKey = 'd';

/// The paddle moves by this many playfield units per typed "a" or "d".
inline constexpr double kPaddleStep = 3.0;

/// Where the paddle's left edge goes when `key` is typed on a playfield `client` units wide:
/// a step left or right, stopped by the walls. Any other key leaves it where it is.
inline float paddleLeftAfterKey(std::uint16_t key, Extent paddle, float client) {
    if (key == kPaddleLeftKey) {
        return paddle.start <= 0 ? 0.0f : plus(paddle.start, -kPaddleStep);
    }
    if (key == kPaddleRightKey) {
        if (sum(paddle.start, paddle.size) < client) {
            return plus(paddle.start, kPaddleStep);
        }
        return float(double(client) - double(paddle.size));
    }
    return paddle.start;
}

}  // namespace kostkolam::level
