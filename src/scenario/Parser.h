#pragma once

// The one reading of a scenario line: its words checked, its names resolved against the screens'
// layouts, its numbers read, or the reason it cannot be run, in the runner's words. The runner
// and the replay of recorded games both read lines through here, so a line one accepts the other
// accepts too, and a line one refuses the other refuses with the same message.

#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "scenario/Command.h"

namespace kostkolam::scenario {

/// The longest `advance`: one day of game time.
inline constexpr std::int64_t kLongestAdvanceMs = 86'400'000;

/// A line that cannot be run; the reason follows "line N: ".
class ScenarioError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// An empty line or a comment: nothing to run.
constexpr bool isBlankOrComment(std::string_view line) {
    return line.empty() || line.front() == '#';
}

/// The command of a line that is neither empty nor a comment, and whose text the line reader has
/// checked already. Throws ScenarioError with the reason for a line the runner refuses by its
/// words, names or numbers alone; whether its screen is loaded is for the player to find out (and
/// comes first for a `get` of a property its object lacks: command::GetMissing).
Command parseCommand(std::string_view line);

}  // namespace kostkolam::scenario
