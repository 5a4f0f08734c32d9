#pragma once

// The scenario's bytes, read line by line and checked before a line is run. Whatever arrives on
// the input, no more than one line of the longest allowed length is ever held, and a line that is
// not script text (a NUL, a control character, bytes that are not UTF-8) is refused with the first
// such byte named, so that every error stays one short line.

#include <cstddef>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kostkolam::scenario {

/// The longest line a scenario may hold, in bytes, without its line ending.
inline constexpr std::size_t kLongestLineBytes = 65'536;
/// How many characters of an input word an error message quotes before cutting it with "...".
inline constexpr std::size_t kLongestQuotedChars = 60;

/// Input that is not a script, or that cannot be read; the reason follows "error: line N: ".
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

/// Where the scenario's bytes come from.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    /// Up to `size` bytes into `buffer`; 0 only at the end of the input. Throws InputError with
    /// the reason when the input cannot be read.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

/// An open file descriptor: standard input, or the file named on the command line.
class FileSource : public ByteSource {
  public:
    explicit FileSource(int fd) : m_fd(fd) {}
    std::size_t read(char* buffer, std::size_t size) override;

  private:
    int m_fd;
};

/// A C++ stream, for the fuzz target and tests that hold the scenario in memory.
class StreamSource : public ByteSource {
  public:
    explicit StreamSource(std::istream& in) : m_in(in) {}
    std::size_t read(char* buffer, std::size_t size) override;

  private:
    std::istream& m_in;
};

/// Splits the input into checked lines. A UTF-8 byte-order mark at the very start is skipped; a
/// carriage return that ends a line belongs to the line ending.
class LineReader {
  public:
    explicit LineReader(ByteSource& source);

    /// The next line without its line ending, valid until the next call; nothing at the end of
    /// the input. Throws InputError for a line that is too long or not script text, and for input
    /// that cannot be read.
    std::optional<std::string_view> next();

    /// The number of the line last returned or refused, counting from 1.
    long lineNumber() const { return m_lineNumber; }

  private:
    /// Reads more bytes into the empty buffer; false at the end of the input.
    bool refill();
    void skipByteOrderMark();

    ByteSource& m_source;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
    bool m_started = false;
    std::string m_line;
    long m_lineNumber = 0;
};

/// Throws InputError naming the first byte of `line` that a script may not hold (a NUL, a
/// control character other than a tab, bytes that are not UTF-8) and its column, counted in bytes
/// from 1. With `cut` set, the line was cut off after its last byte, so a character begun there
/// may go on past it and is not judged.
void checkLineText(std::string_view line, bool cut = false);

/// `word` in single quotes as an error message shows it: control characters and bytes that are
/// not UTF-8 written as \xHH, and cut after kLongestQuotedChars characters with "...".
std::string quoteWord(std::string_view word);

/// The same without the quotes, for a word that a message writes inside a longer name.
std::string escapeWord(std::string_view word);

}  // namespace kostkolam::scenario
