#include "level/Autoplayer.h"

#include <cmath>

#include "level/Playfield.h"

namespace kostkolam::level {

namespace {

double centre(Extent e) {
    return double(e.start) + double(e.size) / 2;
}

}  // namespace

Autoplayer::Autoplayer(ui::Screen& level, const flow::Module1& module1)
    : m_screen(level),
      m_ball(level.shape("shpKulicka")),
      m_paddle(level.shape("shpPosuvnik")),
      m_module1(module1) {}

std::uint16_t Autoplayer::key() const {
    if (!m_ball.visible() || !m_paddle.visible() || !m_module1.KrokX || !m_module1.KrokY) {
        return 0;
    }
    const double aim = landingCentre();
    const Extent paddle = alongX(m_paddle);
    const auto miss = [&](float left) { return std::abs(centre({left, paddle.size}) - aim); };
    std::uint16_t best = 0;
    double bestMiss = miss(paddle.start);
    for (const std::uint16_t key : {kPaddleLeftKey, kPaddleRightKey}) {
        const double after = miss(paddleLeftAfterKey(key, paddle, m_screen.scaleWidth()));
        if (after < bestMiss) {
            best = key;
            bestMiss = after;
        }
    }
    return best;
}

double Autoplayer::landingCentre() const {
    Extent x = alongX(m_ball);
    Extent y = alongY(m_ball);
    std::int16_t stepX = *m_module1.KrokX;
    const std::int16_t stepY = *m_module1.KrokY;
    if (stepY != 1) {
        return centre(x);
    }
    // The tick's own order: a wall turns the ball, then it moves. Moving down, the ball gains a
    // unit a tick and meets the paddle's row or the bottom within the playfield's height.
    const Extent paddleRow = alongY(m_paddle);
    while (!reachedNearEdge(y, paddleRow) && !atFarWall(y, m_screen.scaleHeight())) {
        if (stepX == 1 ? atFarWall(x, m_screen.scaleWidth()) : atNearWall(x)) {
            stepX = negated(stepX);
        }
        x.start = moved(x.start, stepX);
        y.start = moved(y.start, stepY);
    }
    return centre(x);
}

}  // namespace kostkolam::level
