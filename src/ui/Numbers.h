#pragma once

// The one way the game writes numbers as text and reads them back, the same on every target.
// Label numbers (score, lives, countdown) and everything kostkolam-script prints or reads go
// through here. The texts are exactly those of the C++ library's std::to_chars and
// std::from_chars on the desktop, whose texts the scenario files were written against; the
// WebAssembly toolchain's library has no floating-point overloads of either, so the work is done
// by two header-only libraries that build anywhere (fmt's shortest digits, fast_float's
// correctly rounded reading).

#include <charconv>
#include <string>
#include <string_view>

namespace kostkolam::ui {

/// Writes `value` exactly as `std::to_chars(first, last, value)` does: the shortest digits that
/// read back as the same value, in plain or scientific notation, whichever is shorter (plain on a
/// tie); whole numbers written plainly show every digit of the stored value. "inf", "-inf",
/// "nan" and "-nan" for infinities and NaNs. Returns {last, value_too_large} when the text does
/// not fit.
std::to_chars_result formatNumber(char* first, char* last, float value);
std::to_chars_result formatNumber(char* first, char* last, double value);

/// Reads a number exactly as `std::from_chars(first, last, value)` does: an optional '-', then
/// digits with an optional point and exponent, or "inf", "infinity" or "nan" in any case; no
/// '+' and no blanks in front. The nearest value, ties to even. A number too large, or too small
/// to be anything but zero, gives result_out_of_range; no number gives invalid_argument with
/// `ptr == first`. On either error `value` is left as it was.
std::from_chars_result parseNumber(const char* first, const char* last, float& value);
std::from_chars_result parseNumber(const char* first, const char* last, double& value);

/// The whole text formatNumber writes.
std::string numberText(float value);
std::string numberText(double value);

}  // namespace kostkolam::ui
