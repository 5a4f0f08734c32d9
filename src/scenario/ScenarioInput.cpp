#include "scenario/ScenarioInput.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kostkolam::scenario {

namespace {

/// How much is read from the input at once.
constexpr std::size_t kReadChunkBytes = 65'536;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class CharKind { Text, Control, NotUtf8, Unfinished };

struct CharAt {
    CharKind kind;
    /// Bytes taken by the character; 1 for a byte that does not start a UTF-8 character.
    std::size_t length;
};

/// The character that starts at byte `at` of `text`, in UTF-8 as Unicode allows it: no overlong
/// forms, no surrogates, nothing past U+10FFFF.
CharAt charAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        return {lead < 0x20 || lead == 0x7F ? CharKind::Control : CharKind::Text, 1};
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {CharKind::NotUtf8, 1};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (at + i >= text.size()) {
            return {CharKind::Unfinished, 1};
        }
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return {CharKind::NotUtf8, 1};
        }
    }
    // U+0080 to U+009F, the second set of control characters.
    if (lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F) {
        return {CharKind::Control, 2};
    }
    return {CharKind::Text, length};
}

void appendHex(std::string& out, std::string_view bytes) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        out += "\\x";
        out += kDigits[value >> 4];
        out += kDigits[value & 0x0F];
    }
}

std::string hex(std::string_view bytes) {
    std::string out;
    appendHex(out, bytes);
    return out;
}

}  // namespace

std::size_t FileSource::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t count = ::read(m_fd, buffer, size);
        if (count >= 0) {
            return std::size_t(count);
        }
        if (errno != EINTR) {
            throw InputError("cannot read input: " + std::string(std::strerror(errno)));
        }
    }
}

std::size_t StreamSource::read(char* buffer, std::size_t size) {
    m_in.read(buffer, std::streamsize(size));
    const auto count = std::size_t(m_in.gcount());
    if (count == 0 && m_in.bad()) {
        throw InputError("cannot read input: " + std::string(std::strerror(EIO)));
    }
    return count;
}

LineReader::LineReader(ByteSource& source) : m_source(source), m_buffer(kReadChunkBytes) {
    // One byte more than the longest line, for the carriage return that may end it.
    m_line.reserve(kLongestLineBytes + 1);
}

bool LineReader::refill() {
    if (m_atEnd) {
        return false;
    }
    m_begin = 0;
    m_end = m_source.read(m_buffer.data(), m_buffer.size());
    m_atEnd = m_end == 0;
    return !m_atEnd;
}

void LineReader::skipByteOrderMark() {
    // A pipe may hand over the first bytes one by one.
    while (m_end < kByteOrderMark.size() && !m_atEnd) {
        const std::size_t count = m_source.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
        m_atEnd = count == 0;
        m_end += count;
    }
    if (std::string_view(m_buffer.data(), m_end).starts_with(kByteOrderMark)) {
        m_begin = kByteOrderMark.size();
    }
}

std::optional<std::string_view> LineReader::next() {
    ++m_lineNumber;
    if (!m_started) {
        m_started = true;
        skipByteOrderMark();
    }
    m_line.clear();
    bool begun = false;
    bool cut = false;
    for (;;) {
        if (m_begin == m_end && !refill()) {
            if (!begun) {
                --m_lineNumber;
                return std::nullopt;
            }
            break;
        }
        begun = true;
        const char* start = m_buffer.data() + m_begin;
        const std::size_t available = m_end - m_begin;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', available));
        const std::size_t take = newline != nullptr ? std::size_t(newline - start) : available;
        const std::size_t room = kLongestLineBytes + 1 - m_line.size();
        if (take > room) {
            // Reading stops here: the line is too long whatever follows.
            m_line.append(start, room);
            cut = true;
            break;
        }
        m_line.append(start, take);
        m_begin += take;
        if (newline != nullptr) {
            ++m_begin;
            break;
        }
    }
    // A carriage return right before the line feed, or at the end of the input, ends the line.
    if (!cut && !m_line.empty() && m_line.back() == '\r') {
        m_line.pop_back();
    }
    if (m_line.size() > kLongestLineBytes) {
        // The bytes before the limit come first: a bad one among them is what is reported.
        checkLineText(std::string_view(m_line).substr(0, kLongestLineBytes), true);
        throw InputError("line too long");
    }
    checkLineText(m_line);
    return std::string_view(m_line);
}

void checkLineText(std::string_view line, bool cut) {
    for (std::size_t at = 0; at < line.size();) {
        // Printable ASCII, most of any script, needs no decoding.
        const auto byte = static_cast<unsigned char>(line[at]);
        if (byte >= 0x20 && byte < 0x7F) {
            ++at;
            continue;
        }
        const CharAt c = charAt(line, at);
        const auto column = [at] { return " at column " + std::to_string(at + 1); };
        switch (c.kind) {
            case CharKind::Text:
                break;
            case CharKind::Control:
                if (line[at] == '\t') {
                    break;
                }
                if (line[at] == '\0') {
                    throw InputError("NUL byte \\x00" + column());
                }
                throw InputError("control character " + hex(line.substr(at, c.length)) + column());
            case CharKind::Unfinished:
                if (cut) {
                    return;
                }
                [[fallthrough]];
            case CharKind::NotUtf8:
                throw InputError("invalid UTF-8 byte " + hex(line.substr(at, 1)) + column());
        }
        at += c.length;
    }
}

std::string escapeWord(std::string_view word) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t at = 0; at < word.size(); ++chars) {
        if (chars == kLongestQuotedChars) {
            out += "...";
            break;
        }
        const CharAt c = charAt(word, at);
        if (c.kind == CharKind::Text) {
            out += word.substr(at, c.length);
        } else {
            appendHex(out, word.substr(at, c.length));
        }
        at += c.length;
    }
    return out;
}

std::string quoteWord(std::string_view word) {
    return "'" + escapeWord(word) + "'";
}

}  // namespace kostkolam::scenario
