#pragma once

// Compares the game's number texts with the C++ library's std::to_chars / std::from_chars, value
// by value: the same bytes written, and the same value, end and error read back. Shared by the
// unit test and by the long proof run (numbers_proof).

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "ui/Numbers.h"

namespace kostkolam::numbers_check {

/// What a comparison found: how many checks ran, how many disagreed, and the first few
/// disagreements in words.
struct Tally {
    std::uint64_t checks = 0;
    std::uint64_t mismatches = 0;
    std::string firstMismatches;

    void fail(const std::string& what) {
        if (++mismatches <= 10) {
            firstMismatches += what + "\n";
        }
    }
};

template <typename T>
auto bitsOf(T value) {
    if constexpr (sizeof(T) == 4) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    } else {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        return bits;
    }
}

template <typename T>
std::string describe(T value) {
    std::ostringstream out;
    out << (sizeof(T) == 4 ? "float" : "double") << " bits 0x" << std::hex << bitsOf(value);
    return out.str();
}

/// Reads `text` as a T with both and compares value bits, end and error. Both start from the same
/// odd value, so that a reader that wrongly writes on an error is caught.
template <typename T>
void compareParse(std::string_view text, Tally& tally) {
    ++tally.checks;
    const T before = T(-12345.678);
    T expected = before;
    T actual = before;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const std::from_chars_result want = std::from_chars(first, last, expected);
    const std::from_chars_result got = ui::parseNumber(first, last, actual);
    if (want.ptr != got.ptr || want.ec != got.ec || bitsOf(expected) != bitsOf(actual)) {
        std::ostringstream out;
        out << "read \"" << text << "\" as " << (sizeof(T) == 4 ? "float" : "double")
            << ": library used " << (want.ptr - first) << " ec " << int(want.ec) << ' '
            << describe(expected) << ", game used " << (got.ptr - first) << " ec " << int(got.ec)
            << ' ' << describe(actual);
        tally.fail(out.str());
    }
}

/// Writes `value` with both and compares the bytes and the result; then reads the text back as
/// float and as double with both.
template <typename T>
void compareValue(T value, Tally& tally) {
    ++tally.checks;
    char want[64];
    char got[64];
    const std::to_chars_result wantEnd = std::to_chars(want, want + sizeof want, value);
    const std::to_chars_result gotEnd = ui::formatNumber(got, got + sizeof got, value);
    const std::string_view wantText(want, std::size_t(wantEnd.ptr - want));
    const std::string_view gotText(got, std::size_t(gotEnd.ptr - got));
    if (wantText != gotText || wantEnd.ec != gotEnd.ec) {
        tally.fail("write " + describe(value) + ": library \"" + std::string(wantText) +
                   "\", game \"" + std::string(gotText) + "\"");
        return;
    }
    compareParse<float>(wantText, tally);
    compareParse<double>(wantText, tally);
}

/// Writes `value` into every buffer length up to one more than its text needs, with both.
template <typename T>
void compareShortBuffers(T value, Tally& tally) {
    for (std::size_t length = 0; length <= 32; ++length) {
        ++tally.checks;
        char want[32];
        char got[32];
        const std::to_chars_result wantEnd = std::to_chars(want, want + length, value);
        const std::to_chars_result gotEnd = ui::formatNumber(got, got + length, value);
        // A write that does not fit may leave anything in the buffer.
        if (wantEnd.ec != gotEnd.ec || wantEnd.ptr - want != gotEnd.ptr - got ||
            (wantEnd.ec == std::errc() &&
             std::memcmp(want, got, std::size_t(wantEnd.ptr - want)) != 0)) {
            tally.fail("write " + describe(value) + " into " + std::to_string(length) +
                       " bytes: results differ");
        }
    }
}

/// A value of the given bits.
template <typename T>
T fromBits(std::uint64_t bits) {
    T value;
    if constexpr (sizeof(T) == 4) {
        const auto narrow = std::uint32_t(bits);
        std::memcpy(&value, &narrow, sizeof value);
    } else {
        std::memcpy(&value, &bits, sizeof value);
    }
    return value;
}

/// `count` values of random bits: every exponent, sign and payload as likely as any other.
template <typename T>
void randomBitPatterns(std::uint64_t count, std::uint64_t seed, Tally& tally) {
    std::mt19937_64 random(seed);
    for (std::uint64_t i = 0; i < count; ++i) {
        const T value = fromBits<T>(random());
        compareValue(value, tally);
        // Longer texts than the shortest: 9 and 17 significant digits and a long plain one.
        if (std::isfinite(value)) {
            char text[400];
            for (int digits : {std::numeric_limits<T>::max_digits10, 25}) {
                const auto end = std::to_chars(text, text + sizeof text, value,
                                               std::chars_format::scientific, digits - 1);
                compareParse<float>(std::string_view(text, std::size_t(end.ptr - text)), tally);
                compareParse<double>(std::string_view(text, std::size_t(end.ptr - text)), tally);
            }
        }
    }
}

/// Texts of the exact midpoints between neighbouring values of T, where reading must round half
/// to even, and of the numbers a hair above them. Midpoints of floats are exact in a double, those
/// of doubles in the 64-bit long double; enough digits make their decimal text exact too.
template <typename T>
void halfwayCases(std::uint64_t count, std::uint64_t seed, Tally& tally) {
    using Wide = std::conditional_t<sizeof(T) == 4, double, long double>;
    static_assert(std::numeric_limits<Wide>::digits > std::numeric_limits<T>::digits + 1);
    std::mt19937_64 random(seed);
    std::string text(1024, '\0');
    for (std::uint64_t i = 0; i < count; ++i) {
        const T low = std::fabs(fromBits<T>(random()));
        if (!std::isfinite(low) || low == std::numeric_limits<T>::max()) {
            continue;
        }
        const T high = std::nextafter(low, std::numeric_limits<T>::infinity());
        const Wide middle = (Wide(low) + Wide(high)) / 2;
        const int length = std::snprintf(text.data(), text.size(), "%.800Le", (long double)middle);
        const std::string exact = text.substr(0, std::size_t(length));
        const std::size_t mark = exact.find('e');
        const std::string above = exact.substr(0, mark) + "1" + exact.substr(mark);
        for (const std::string& t : {exact, above, "-" + exact, "-" + above}) {
            compareParse<T>(t, tally);
        }
    }
}

/// Decimal texts built from random digits, points and exponents: every rounding and range case
/// of reading, in both widths.
inline void randomDecimalTexts(std::uint64_t count, std::uint64_t seed, Tally& tally) {
    std::mt19937_64 random(seed);
    std::string text;
    for (std::uint64_t i = 0; i < count; ++i) {
        text.clear();
        if (random() % 2 != 0) {
            text += '-';
        }
        const auto digits = 1 + random() % 30;
        const auto point = random() % (digits + 2);
        for (std::uint64_t d = 0; d < digits; ++d) {
            if (d == point) {
                text += '.';
            }
            text += char('0' + random() % 10);
        }
        if (random() % 3 != 0) {
            text += random() % 2 != 0 ? 'e' : 'E';
            const auto sign = random() % 3;
            text += sign == 0 ? "" : sign == 1 ? "+" : "-";
            text += std::to_string(random() % 420);
        }
        compareParse<float>(text, tally);
        compareParse<double>(text, tally);
    }
}

/// Short random strings over the characters that matter to a reader: signs, points, exponents,
/// the letters of inf, infinity and nan, brackets, blanks and hex prefixes.
inline void randomOddTexts(std::uint64_t count, std::uint64_t seed, Tally& tally) {
    constexpr std::string_view kAlphabet = "0123456789000111.eE+-infatyINFATY(_) x";
    std::mt19937_64 random(seed);
    std::string text;
    for (std::uint64_t i = 0; i < count; ++i) {
        text.clear();
        const auto length = random() % 12;
        for (std::uint64_t c = 0; c < length; ++c) {
            text += kAlphabet[random() % kAlphabet.size()];
        }
        compareParse<float>(text, tally);
        compareParse<double>(text, tally);
    }
}

}  // namespace kostkolam::numbers_check
