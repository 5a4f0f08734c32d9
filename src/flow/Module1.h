#pragma once

#include <cstdint>
#include <optional>

namespace kostkolam::flow {

/// The shared ball variables. One set serves all three level screens, since only one of them
/// plays at a time.
struct Module1 {
    /// The ball's step per tick along x: 1 is right, any other value left. No value before the
    /// first level start.
    std::optional<std::int16_t> KrokX;
    /// The same along y: 1 is down, any other value up.
    std::optional<std::int16_t> KrokY;
    /// The game tick's loop counter over the bricks.
    std::int16_t Index = 0;
};

}  // namespace kostkolam::flow
