// How the runner cuts its input into lines whatever sizes the reads come in, and how its messages
// quote words of the input.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "scenario/ScenarioInput.h"

namespace kostkolam::scenario {
namespace {

/// Hands out the input a few bytes per read, as a pipe may.
class TrickleSource : public ByteSource {
  public:
    TrickleSource(std::string bytes, std::size_t step) : m_bytes(std::move(bytes)), m_step(step) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min({size, m_step, m_bytes.size() - m_at});
        std::memcpy(buffer, m_bytes.data() + m_at, count);
        m_at += count;
        return count;
    }

  private:
    std::string m_bytes;
    std::size_t m_step;
    std::size_t m_at = 0;
};

std::vector<std::string> linesOf(const std::string& input, std::size_t step) {
    TrickleSource source(input, step);
    LineReader reader(source);
    std::vector<std::string> lines;
    while (const auto line = reader.next()) {
        lines.emplace_back(*line);
    }
    return lines;
}

TEST(LineReader, SameLinesWhateverTheReadSizes) {
    const std::string input = "\xef\xbb\xbfscreens\r\n\r\n# \xc4\x8d\nadvance 5\r";
    const std::vector<std::string> expected = {"screens", "", "# \xc4\x8d", "advance 5"};
    for (const std::size_t step :
         {std::size_t(1), std::size_t(2), std::size_t(3), std::size_t(7), std::size_t(65'536)}) {
        EXPECT_EQ(linesOf(input, step), expected) << "reads of " << step << " bytes";
    }
    EXPECT_EQ(linesOf("\xef\xbb\xbf", 1), std::vector<std::string>{});
    EXPECT_EQ(linesOf("a\n", 1), std::vector<std::string>{"a"});
}

TEST(LineReader, NumbersTheLineItRefuses) {
    TrickleSource source("screens\n\n# x\nscr\x01", 3);
    LineReader reader(source);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(reader.next());
    }
    EXPECT_THROW(reader.next(), InputError);
    EXPECT_EQ(reader.lineNumber(), 4);
}

TEST(LineReader, LongestLineAcrossManyReads) {
    const std::string longest(kLongestLineBytes, 'x');
    EXPECT_EQ(linesOf(longest + "\r\n", 4093), std::vector<std::string>{longest});
    TrickleSource source(longest + "xy", 4093);
    LineReader reader(source);
    EXPECT_THROW(reader.next(), InputError);
}

TEST(QuoteWord, EscapesAndCuts) {
    struct Case {
        std::string word;
        std::string quoted;
    };
    const std::string sixty(kLongestQuotedChars, 'w');
    const std::string sixtyWide = [] {
        std::string text;
        for (std::size_t i = 0; i < kLongestQuotedChars; ++i) {
            text += "\xc4\x8d";
        }
        return text;
    }();
    const std::vector<Case> cases = {
        {"", "''"},
        {"screens", "'screens'"},
        {"a\tb", "'a\\x09b'"},
        {"\x1b[0m", "'\\x1B[0m'"},
        {"\xff\xfe", "'\\xFF\\xFE'"},
        {"\xc2\x85", "'\\xC2\\x85'"},
        {"\xc3(", "'\\xC3('"},
        {sixty, "'" + sixty + "'"},
        {sixty + "w", "'" + sixty + "...'"},
        // Characters, not bytes: sixty two-byte letters are kept whole.
        {sixtyWide, "'" + sixtyWide + "'"},
        {sixtyWide + "x", "'" + sixtyWide + "...'"},
        {std::string(kLongestQuotedChars, '\x01') + "x",
         "'" +
             [] {
                 std::string escaped;
                 for (std::size_t i = 0; i < kLongestQuotedChars; ++i) {
                     escaped += "\\x01";
                 }
                 return escaped;
             }() +
             "...'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quoteWord(c.word), c.quoted);
    }
}

}  // namespace
}  // namespace kostkolam::scenario
