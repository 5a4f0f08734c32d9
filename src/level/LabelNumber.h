#pragma once

// Score, lives and the countdown digit live only as label texts. Every change reads the text as a
// number, changes it and writes it back in its shortest decimal form ("3", "0", "-30").

#include <string>
#include <string_view>

namespace kostkolam::level {

/// The number a label's text holds. The game only ever writes whole numbers there; a text that is
/// no finite number (which only a scenario script can put there) reads as 0, so a hand-edited
/// label can never bring the game down.
double labelNumber(std::string_view text);

/// The shortest decimal text that reads back as the same number.
std::string labelText(double value);

}  // namespace kostkolam::level
