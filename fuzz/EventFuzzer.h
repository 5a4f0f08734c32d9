#pragma once

// Plays random games in the headless backend: anything a player can do to the screens that are
// shown, and time passing, checking after every event what the screen flow guarantees. A failure
// comes with the seed and a short scenario for kostkolam-script that shows it again.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flow/Game.h"
#include "level/LevelLayouts.h"
#include "table/ScreenTable.h"

namespace kostkolam::fuzz {

struct Violation {
    /// Which guarantee broke, in a few words; the same words for the same guarantee.
    std::string invariant;
    std::string detail;
};

/// Checks the guarantees of the screen flow on the game as it stands between two events. It
/// remembers one thing from check to check: which level screens were hidden while one of their
/// countdowns was still running. Such a countdown serves on the hidden screen when it ends and
/// starts its game tick again, so play goes on out of sight; the rules lead there (a pause during
/// a countdown lets the ball clear the field before the countdown ends), so the checker allows it
/// for those screens alone.
class InvariantChecker {
  public:
    std::optional<Violation> check(const flow::Game& game);

  private:
    struct HiddenLevel {
        std::uint32_t generation = 0;
        bool hidden = false;
        bool countdownRunningWhenHidden = false;
    };
    HiddenLevel m_levels[level::kLevelCount];
};

struct Coverage {
    std::uint64_t commands = 0;
    std::uint64_t ticks = 0;
    std::uint64_t games = 0;
    std::uint64_t levelsReached[level::kLevelCount] = {};
    std::uint64_t gameOvers = 0;
    std::uint64_t helpBoxes = 0;
};

struct FuzzResult {
    std::uint64_t seed = 0;
    /// Commands and timer ticks played.
    std::uint64_t events = 0;
    Coverage coverage;
    std::optional<Violation> violation;
    /// The scenario since the last program start that led to the violation.
    std::vector<std::string> script;
};

/// Plays `events` events (commands and timer ticks) from the given seed.
FuzzResult fuzz(std::uint64_t seed, std::uint64_t events);

/// Runs a scenario from program start and returns the first guarantee it breaks, checked after
/// every command and every timer tick.
std::optional<Violation> replay(const std::vector<std::string>& script);

/// Shrinks a scenario to one that still breaks the same guarantee, by leaving lines out.
std::vector<std::string> minimise(std::vector<std::string> script, const std::string& invariant);

}  // namespace kostkolam::fuzz
