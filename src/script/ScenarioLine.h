#pragma once

// The words of a scenario line and what they may hold, as the scenario runner reads them. The
// runner and the replayer of recorded games both read lines through here, and the recorder writes
// its `advance` lines within the same limit, so a line one accepts the others accept too, with
// the same message when it does not.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kostkolam::script {

/// The longest `advance`: one day of game time.
inline constexpr std::int64_t kLongestAdvanceMs = 86'400'000;

/// A line that cannot be run; the reason follows "line N: ".
class ScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(std::string_view reason);

using Words = std::vector<std::string_view>;

/// The words between single blanks; two blanks in a row make an empty word.
Words splitWords(std::string_view line);

/// Blanks separate words one at a time; an empty word among the first `checked` ones is a blank
/// too many, which the error points at rather than at the words it shifted.
void checkBlanks(std::string_view line, const Words& words, std::size_t checked);

/// The words of a command line (neither empty nor a comment). Fails on a blank at its start or a
/// blank too many between words; a caption, the rest of the line after
/// "set SCREEN OBJECT Caption ", keeps its blanks.
Words commandWords(std::string_view line);

/// The command (the first word) takes exactly `count - 1` words after it.
void expectWords(const Words& words, std::size_t count);

/// A whole decimal number from `low` to `high`.
std::int64_t parseInteger(std::string_view word, std::int64_t low, std::int64_t high);

/// "0" or "1".
bool parseFlag(std::string_view word);

/// The single-precision value nearest to a decimal number, as the game's own writes store it;
/// finite only.
float parsePosition(std::string_view word);

}  // namespace kostkolam::script
