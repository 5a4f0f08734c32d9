// The game's number texts against the C++ library's std::to_chars / std::from_chars: byte for
// byte over random bits, every value the game reaches, and the edges. numbers_proof runs the same
// comparisons over billions of values by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "NumberAgreement.h"
#include "ui/Numbers.h"
#include "ui/Units.h"

namespace kostkolam {
namespace {

using numbers_check::compareParse;
using numbers_check::compareShortBuffers;
using numbers_check::compareValue;
using numbers_check::Tally;

void expectAgreement(const Tally& tally) {
    EXPECT_GT(tally.checks, 0u);
    EXPECT_EQ(tally.mismatches, 0u) << tally.firstMismatches;
}

/// The values at the edges of T: zeros, subnormals, the normal range's ends, every power of two
/// and of ten with their neighbours, infinities and NaNs.
template <typename T>
std::vector<T> edgeValues() {
    using Limits = std::numeric_limits<T>;
    std::vector<T> values = {
        T(0),
        -T(0),
        Limits::denorm_min(),
        Limits::min(),
        Limits::max(),
        Limits::lowest(),
        Limits::infinity(),
        -Limits::infinity(),
        Limits::quiet_NaN(),
        -Limits::quiet_NaN(),
        // The largest subnormal.
        std::nextafter(Limits::min(), T(0)),
    };
    for (int power = Limits::min_exponent - Limits::digits; power < Limits::max_exponent; ++power) {
        values.push_back(std::ldexp(T(1), power));
    }
    for (int power = Limits::min_exponent10 - Limits::digits10 - 2; power <= Limits::max_exponent10;
         ++power) {
        values.push_back(T(std::pow(10.0L, power)));
    }
    const std::size_t exact = values.size();
    for (std::size_t i = 0; i < exact; ++i) {
        values.push_back(std::nextafter(values[i], Limits::infinity()));
        values.push_back(std::nextafter(values[i], -Limits::infinity()));
        values.push_back(-values[i]);
    }
    return values;
}

TEST(Numbers, WriteTheKnownTextsOfEachNotation) {
    // Known answers, independent of the library they are compared with elsewhere.
    struct Case {
        double value;
        const char* text;
    };
    constexpr Case kCases[] = {
        {0.0, "0"},
        {-0.0, "-0"},
        {-30, "-30"},
        {0.1 + 0.2, "0.30000000000000004"},
        {0.001, "0.001"},  // plain and scientific equally long: plain
        {0.0001, "1e-04"},
        {1e15, "1e+15"},
        {123456789012345678901.0, "123456789012345683968"},  // every digit of the stored value
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {5e-324, "5e-324"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::quiet_NaN(), "-nan"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(ui::numberText(c.value), c.text);
    }
    EXPECT_EQ(ui::numberText(123456789012.0f), "123456790528");
    EXPECT_EQ(ui::numberText(81.498f), "81.498");
    EXPECT_EQ(ui::numberText(3.4028235e38f), "3.4028235e+38");
}

TEST(Numbers, ReadTheKnownResultsOfEachCase) {
    struct Case {
        const char* text;
        int used;
        std::errc ec;
        float value;  // the value after reading, from 7 before it
    };
    constexpr float kInf = std::numeric_limits<float>::infinity();
    const Case kCases[] = {
        {"1.5", 3, std::errc(), 1.5f},
        {"-2e3", 4, std::errc(), -2000},
        {"1e", 1, std::errc(), 1},  // an exponent without digits is not part of the number
        {".5", 2, std::errc(), 0.5f},
        {"1e39", 4, std::errc::result_out_of_range, 7},
        {"1e-50", 5, std::errc::result_out_of_range, 7},
        {"1e-40", 5, std::errc(), 1e-40f},  // a subnormal is in range
        {"0e999", 5, std::errc(), 0},
        {"-Infinity", 9, std::errc(), -kInf},
        {"infinit", 3, std::errc(), kInf},
        {"+1", 0, std::errc::invalid_argument, 7},
        {" 1", 0, std::errc::invalid_argument, 7},
        {".", 0, std::errc::invalid_argument, 7},
        {"", 0, std::errc::invalid_argument, 7},
        {"0x10", 1, std::errc(), 0},
    };
    for (const Case& c : kCases) {
        float value = 7;
        const std::string_view text = c.text;
        const auto [end, ec] = ui::parseNumber(text.data(), text.data() + text.size(), value);
        EXPECT_EQ(end - text.data(), c.used) << c.text;
        EXPECT_EQ(ec, c.ec) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(Numbers, AgreeWithTheLibraryOnRandomBits) {
    Tally tally;
    numbers_check::randomBitPatterns<float>(300'000, 1, tally);
    numbers_check::randomBitPatterns<double>(300'000, 2, tally);
    expectAgreement(tally);
}

TEST(Numbers, AgreeWithTheLibraryAtTheEdges) {
    Tally tally;
    for (float value : edgeValues<float>()) {
        compareValue(value, tally);
        compareShortBuffers(value, tally);
    }
    for (double value : edgeValues<double>()) {
        compareValue(value, tally);
        compareShortBuffers(value, tally);
    }
    for (const char* text : {"1e-46",
                             "7e-46",
                             "7.1e-46",
                             "3.4028236e38",
                             "3.40282356e38",
                             "1.7976931348623158e308",
                             "1.7976931348623159e308",
                             "2.4703282e-324",
                             "2.4703283e-324",
                             "-0",
                             "-0.0e-999",
                             "nan(abc)",
                             "nan(",
                             "nan(a b)",
                             "-nan",
                             "NaN",
                             "INF",
                             "-",
                             "-.",
                             "e5",
                             "1e+",
                             "1e-",
                             "1.e5",
                             "00012",
                             "1e99999999999999999999",
                             "1e-99999999999999999999"}) {
        compareParse<float>(text, tally);
        compareParse<double>(text, tally);
    }
    expectAgreement(tally);
}

TEST(Numbers, AgreeWithTheLibraryOnHalfwayCases) {
    Tally tally;
    numbers_check::halfwayCases<float>(30'000, 3, tally);
    numbers_check::halfwayCases<double>(10'000, 4, tally);
    expectAgreement(tally);
}

TEST(Numbers, AgreeWithTheLibraryOnRandomTexts) {
    Tally tally;
    numbers_check::randomDecimalTexts(200'000, 5, tally);
    numbers_check::randomOddTexts(200'000, 6, tally);
    expectAgreement(tally);
}

TEST(Numbers, AgreeWithTheLibraryOnEveryPositionOfThePlayfield) {
    // Positions and sizes are floats in a screen's own units: the playfield's (81.498 x 136),
    // pixels or twips. Every 1/1024 and every 1/1000 of a unit well past the screens' edges, and
    // every whole twip converted to each scale.
    Tally tally;
    constexpr int kReach = 20'000;
    for (int step = -256 * 1024; step <= 256 * 1024; ++step) {
        compareValue(float(step) / 1024, tally);
    }
    for (int step = -256 * 1000; step <= 256 * 1000; ++step) {
        compareValue(float(double(step) / 1000), tally);
    }
    for (int twips = -kReach; twips <= kReach; ++twips) {
        compareValue(ui::twipsToUnits(twips, ui::kPlayfieldTwipsPerUnitX), tally);
        compareValue(ui::twipsToUnits(twips, ui::kPlayfieldTwipsPerUnitY), tally);
        compareValue(ui::twipsToUnits(twips, float(ui::kTwipsPerPixel)), tally);
        compareValue(float(twips), tally);
    }
    expectAgreement(tally);
}

TEST(Numbers, AgreeWithTheLibraryOnEveryScoreText) {
    // Score, lives and the countdown are whole numbers in labels; a score moves in tens, but a
    // script may write any whole number there.
    Tally tally;
    for (int score = -1'000'000; score <= 1'000'000; ++score) {
        compareValue(double(score), tally);
    }
    expectAgreement(tally);
}

}  // namespace
}  // namespace kostkolam
