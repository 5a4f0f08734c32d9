#include "script/ScenarioLine.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "script/ScriptInput.h"
#include "ui/Numbers.h"

namespace kostkolam::script {

void fail(std::string_view reason) {
    throw ScriptError(std::string(reason));
}

void checkBlanks(std::string_view line, const Words& words, std::size_t checked) {
    for (std::size_t i = 1; i < words.size() && i < checked; ++i) {
        if (!words[i].empty()) {
            continue;
        }
        const std::size_t offset = std::size_t(words[i].data() - line.data());
        if (offset == line.size()) {
            fail("the line ends with a blank");
        }
        fail("two blanks in a row at column " + std::to_string(offset));
    }
}

Words splitWords(std::string_view line) {
    Words words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t blank = line.find(' ', start);
        words.push_back(line.substr(start, blank - start));
        if (blank == std::string_view::npos) {
            break;
        }
        start = blank + 1;
    }
    return words;
}

Words commandWords(std::string_view line) {
    if (line.front() == ' ') {
        fail("the line starts with a blank");
    }
    const Words words = splitWords(line);
    const bool caption = words.size() >= 4 && words[0] == "set" && words[3] == "Caption";
    checkBlanks(line, words, caption ? 4 : words.size());
    return words;
}

void expectWords(const Words& words, std::size_t count) {
    if (words.size() != count) {
        const std::size_t wanted = count - 1;
        fail(quoteWord(words[0]) + " takes " + std::to_string(wanted) +
             (wanted == 1 ? " word" : " words"));
    }
}

std::int64_t parseInteger(std::string_view word, std::int64_t low, std::int64_t high) {
    std::int64_t value = 0;
    const char* last = word.data() + word.size();
    const auto [end, ec] = std::from_chars(word.data(), last, value);
    if (word.empty() || end != last || ec == std::errc::invalid_argument) {
        fail("not a whole number: " + quoteWord(word));
    }
    if (ec == std::errc::result_out_of_range || value < low || value > high) {
        fail("number out of range " + std::to_string(low) + " to " + std::to_string(high) + ": " +
             quoteWord(word));
    }
    return value;
}

bool parseFlag(std::string_view word) {
    if (word != "0" && word != "1") {
        fail("expected 0 or 1: " + quoteWord(word));
    }
    return word == "1";
}

float parsePosition(std::string_view word) {
    const char* last = word.data() + word.size();
    float value = 0;
    const auto [end, ec] = ui::parseNumber(word.data(), last, value);
    if (word.empty() || end != last || ec == std::errc::invalid_argument) {
        fail("not a number: " + quoteWord(word));
    }
    if (ec == std::errc::result_out_of_range) {
        // Too small for a normal float still has a nearest float; too large has none.
        double wide = 0;
        const auto [wideEnd, wideEc] = ui::parseNumber(word.data(), last, wide);
        if (wideEc != std::errc() || wideEnd != last ||
            std::fabs(wide) > double(std::numeric_limits<float>::max())) {
            fail("number out of the single-precision range: " + quoteWord(word));
        }
        value = float(wide);
    }
    if (!std::isfinite(value)) {
        fail("not a finite number: " + quoteWord(word));
    }
    return value;
}

}  // namespace kostkolam::script
