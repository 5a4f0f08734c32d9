// Numbers held as label text, and the end screen's verdict on a score text.

#include <gtest/gtest.h>

#include "level/LabelNumber.h"
#include "screens/EndScreen.h"

namespace kostkolam {
namespace {

TEST(LabelNumber, ReadsWhatTheGameWritesAndRejectsTheRestAsZero) {
    struct Case {
        const char* text;
        double value;
    };
    constexpr Case kCases[] = {
        {"0", 0},      {"3", 3},   {"-30", -30}, {"350", 350}, {"2.5", 2.5},
        {"1e3", 1000}, {"", 0},    {" 3", 0},    {"3 ", 0},    {"abc", 0},
        {"3x", 0},     {"nan", 0}, {"inf", 0},   {"1e999", 0}, {"+3", 0},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(level::labelNumber(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(LabelNumber, WritesTheShortestDecimalText) {
    struct Case {
        double value;
        const char* text;
    };
    constexpr Case kCases[] = {
        {3, "3"},   {0, "0"},   {-30, "-30"},
        {10, "10"}, {-1, "-1"}, {0.1 + 0.2, "0.30000000000000004"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(level::labelText(c.value), c.text);
    }
}

TEST(EndScreenVerdict, ComparesTheScoreTextWithZeroByCharacterCode) {
    constexpr std::string_view kLoss = "Příště to bude lepší :-(";
    constexpr std::string_view kWin = "Máš na další hru :-)";
    struct Case {
        const char* score;
        std::string_view verdict;
    };
    const Case kCases[] = {
        {"-30", kLoss}, {"", kLoss},   {"-0", kLoss}, {" 5", kLoss}, {"0", kWin},
        {"10", kWin},   {"310", kWin}, {"00", kWin},  {"abc", kWin}, {"Ž", kWin},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(screens::verdict(c.score), c.verdict) << '"' << c.score << '"';
    }
}

}  // namespace
}  // namespace kostkolam
