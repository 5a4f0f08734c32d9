#include "ui/Numbers.h"

#include <fast_float/fast_float.h>
#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace kostkolam::ui {

namespace {

/// Room for the longest text either overload writes: "-2.2250738585072014e-308" is 24
/// characters, and the plain notation is only ever chosen when it is no longer.
constexpr std::size_t kLongestText = 32;

/// Writes the decimal digits of `number` at `out`; returns the end.
char* writeDigits(char* out, std::uint64_t number) {
    char reversed[20];
    int count = 0;
    do {
        reversed[count++] = char('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0) {
        *out++ = reversed[--count];
    }
    return out;
}

/// Writes every digit of a whole number held in a float or double, which may be far beyond 64
/// bits: the plain notation of a large whole number shows its stored value, not its shortest
/// digits followed by zeros (123456790528 for the float nearest to 123456789012).
template <typename T>
char* writeWholeNumber(char* out, T magnitude) {
    constexpr int kMantissaBits = std::numeric_limits<T>::digits;
    int exponent = 0;
    const T fraction = std::frexp(magnitude, &exponent);
    auto mantissa = std::uint64_t(std::ldexp(fraction, kMantissaBits));
    int shift = exponent - kMantissaBits;
    if (shift < 0) {
        // A whole number: the bits below the binary point are all zero.
        mantissa >>= -shift;
        shift = 0;
    }
    // Base 10^9 limbs, least significant first; 4 hold any number the plain notation is chosen
    // for (fewer than 25 digits).
    constexpr std::uint32_t kLimbBase = 1'000'000'000;
    std::array<std::uint32_t, 4> limbs{};
    std::size_t used = 0;
    do {
        limbs[used++] = std::uint32_t(mantissa % kLimbBase);
        mantissa /= kLimbBase;
    } while (mantissa != 0);
    for (; shift > 0; --shift) {
        std::uint32_t carry = 0;
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint32_t doubled = limbs[i] * 2 + carry;
            carry = doubled >= kLimbBase ? 1 : 0;
            limbs[i] = doubled - carry * kLimbBase;
        }
        if (carry != 0) {
            limbs[used++] = carry;
        }
    }
    out = writeDigits(out, limbs[used - 1]);
    for (std::size_t i = used - 1; i-- > 0;) {
        char group[9];
        std::uint32_t limb = limbs[i];
        for (int d = 8; d >= 0; --d) {
            group[d] = char('0' + limb % 10);
            limb /= 10;
        }
        out = std::copy(group, group + 9, out);
    }
    return out;
}

/// Writes a finite, nonzero magnitude; returns the end.
template <typename T>
char* writeMagnitude(char* out, T magnitude) {
    const auto decimal = fmt::detail::dragonbox::to_decimal(magnitude);
    std::uint64_t significand = decimal.significand;
    int exponent = decimal.exponent;  // magnitude ~ significand * 10^exponent
    while (significand % 10 == 0) {
        significand /= 10;
        ++exponent;
    }
    char digits[20];
    const int count = int(writeDigits(digits, significand) - digits);
    const int scientificExponent = count - 1 + exponent;

    // d[.ddd]e+XX: at least two exponent digits.
    const int scientificLength =
        count + (count > 1 ? 1 : 0) + 2 + (std::abs(scientificExponent) >= 100 ? 3 : 2);
    const int pointAfter = count + exponent;  // digits before the point in plain notation
    const int plainLength = exponent >= 0    ? count + exponent
                            : pointAfter > 0 ? count + 1
                                             : 2 - pointAfter + count;
    if (scientificLength < plainLength) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            out = std::copy(digits + 1, digits + count, out);
        }
        *out++ = 'e';
        *out++ = scientificExponent < 0 ? '-' : '+';
        const int power = std::abs(scientificExponent);
        if (power < 10) {
            *out++ = '0';
        }
        return writeDigits(out, std::uint64_t(power));
    }
    if (exponent >= 0) {
        return writeWholeNumber(out, magnitude);
    }
    if (pointAfter > 0) {
        out = std::copy(digits, digits + pointAfter, out);
        *out++ = '.';
        return std::copy(digits + pointAfter, digits + count, out);
    }
    *out++ = '0';
    *out++ = '.';
    out = std::fill_n(out, -pointAfter, '0');
    return std::copy(digits, digits + count, out);
}

template <typename T>
std::to_chars_result formatFloating(char* first, char* last, T value) {
    char text[kLongestText];
    char* out = text;
    if (std::signbit(value)) {
        *out++ = '-';
    }
    if (std::isnan(value)) {
        out = std::copy_n("nan", 3, out);
    } else if (std::isinf(value)) {
        out = std::copy_n("inf", 3, out);
    } else if (value == 0) {
        *out++ = '0';
    } else {
        out = writeMagnitude(out, std::fabs(value));
    }
    const std::size_t length = std::size_t(out - text);
    if (std::size_t(last - first) < length) {
        return {last, std::errc::value_too_large};
    }
    return {std::copy(text, out, first), std::errc()};
}

/// Whether text that read as `value` named a number beyond the type's range: an infinity that
/// was not written as one, or a zero from digits that are not all zero.
template <typename T>
bool outOfRange(const char* first, const char* end, T value) {
    const char* digits = first != end && *first == '-' ? first + 1 : first;
    if (std::isinf(value)) {
        return digits != end && *digits != 'i' && *digits != 'I';
    }
    if (value != 0) {
        return false;
    }
    for (const char* c = digits; c != end && *c != 'e' && *c != 'E'; ++c) {
        if (*c >= '1' && *c <= '9') {
            return true;
        }
    }
    return false;
}

template <typename T>
std::from_chars_result parseFloating(const char* first, const char* last, T& value) {
    T parsed = 0;
    const fast_float::from_chars_result result = fast_float::from_chars(first, last, parsed);
    if (result.ec != std::errc()) {
        return {result.ptr, result.ec};
    }
    if (outOfRange(first, result.ptr, parsed)) {
        return {result.ptr, std::errc::result_out_of_range};
    }
    value = parsed;
    return {result.ptr, std::errc()};
}

template <typename T>
std::string text(T value) {
    char buffer[kLongestText];
    const std::to_chars_result result = formatNumber(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::to_chars_result formatNumber(char* first, char* last, float value) {
    return formatFloating(first, last, value);
}

std::to_chars_result formatNumber(char* first, char* last, double value) {
    return formatFloating(first, last, value);
}

std::from_chars_result parseNumber(const char* first, const char* last, float& value) {
    return parseFloating(first, last, value);
}

std::from_chars_result parseNumber(const char* first, const char* last, double& value) {
    return parseFloating(first, last, value);
}

std::string numberText(float value) {
    return text(value);
}

std::string numberText(double value) {
    return text(value);
}

}  // namespace kostkolam::ui
