#include "scenario/Parser.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scenario/ScenarioInput.h"
#include "table/ScreenTable.h"
#include "ui/Numbers.h"

namespace kostkolam::scenario {

namespace {

using ui::ObjectKind;
using ui::ObjectRef;
using Words = std::vector<std::string_view>;

[[noreturn]] void fail(const std::string& reason) {
    throw ScenarioError(reason);
}

/// The words between single blanks; two blanks in a row make an empty word.
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

/// Blanks separate words one at a time; an empty word among the first `checked` ones is a blank
/// too many, which the error points at rather than at the words it shifted.
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

/// The words of a command line. A caption, the rest of the line after
/// "set SCREEN OBJECT Caption ", keeps its blanks.
Words commandWords(std::string_view line) {
    if (line.front() == ' ') {
        fail("the line starts with a blank");
    }
    const Words words = splitWords(line);
    const bool caption = words.size() >= 4 && words[0] == "set" && words[3] == "Caption";
    checkBlanks(line, words, caption ? 4 : words.size());
    return words;
}

/// The command (the first word) takes exactly `count - 1` words after it.
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

/// The single-precision value nearest to a decimal number, as the game's own writes store it;
/// finite only.
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

ScreenId parseScreen(std::string_view word) {
    const auto id = table::screenByName(word);
    if (!id) {
        fail("unknown screen " + quoteWord(word));
    }
    return *id;
}

ObjectRef parseObject(ScreenId id, std::string_view word) {
    const auto ref = ui::findObject(table::screenLayout(id), word);
    if (!ref) {
        fail("unknown object " + quoteWord(word) + " on " + std::string(table::screenName(id)));
    }
    return *ref;
}

bool isShownObject(ObjectKind kind) {
    return kind != ObjectKind::Timer && kind != ObjectKind::MenuItem;
}

command::Menu menu(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    const ObjectRef ref = parseObject(id, words[2]);
    if (ref.kind != ObjectKind::MenuItem) {
        fail(quoteWord(words[2]) + " is not a menu item");
    }
    return {id, ref.index};
}

command::Click click(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    return {id, parseObject(id, words[2])};
}

command::Key key(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    return {id, std::uint16_t(parseInteger(words[2], 0, 65535))};
}

command::Close close(const Words& words) {
    expectWords(words, 2);
    return {parseScreen(words[1])};
}

command::Advance advance(const Words& words) {
    expectWords(words, 2);
    return {parseInteger(words[1], 0, kLongestAdvanceMs)};
}

command::Tick tick(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    const ObjectRef ref = parseObject(id, words[2]);
    if (ref.kind != ObjectKind::Timer) {
        fail(quoteWord(words[2]) + " is not a timer");
    }
    return {id, ref.index};
}

command::SetVariable setVariable(const Words& words) {
    expectWords(words, 4);
    const auto value = std::int16_t(parseInteger(words[3], -32768, 32767));
    if (words[2] == "KrokX") {
        return {Variable::KrokX, value};
    }
    if (words[2] == "KrokY") {
        return {Variable::KrokY, value};
    }
    fail("cannot set Module1." + escapeWord(words[2]));
}

command::Set set(std::string_view line, const Words& words) {
    if (words.size() < 4) {
        fail("'set' takes a screen, an object, a property and a value");
    }
    command::Set c{parseScreen(words[1]), {}, Property::Caption};
    c.object = parseObject(c.screen, words[2]);
    const std::string_view property = words[3];
    if (property == "Caption") {
        if (c.object.kind != ObjectKind::Label) {
            fail("only labels have a settable Caption");
        }
        // Everything after the one blank that follows "Caption", blanks included.
        const std::size_t prefix = std::size_t(words[3].data() + words[3].size() - line.data());
        c.caption = line.size() > prefix ? std::string(line.substr(prefix + 1)) : std::string();
        return c;
    }
    expectWords(words, 5);
    const std::string_view value = words[4];
    if (property == "Enabled") {
        if (c.object.kind != ObjectKind::Timer) {
            fail("only timers have Enabled");
        }
        c.property = Property::Enabled;
        c.flag = parseFlag(value);
        return c;
    }
    if (!isShownObject(c.object.kind)) {
        fail("cannot set " + escapeWord(property) + " of " + quoteWord(words[2]));
    }
    if (property == "Left" || property == "Top") {
        c.property = property == "Left" ? Property::Left : Property::Top;
        c.position = parsePosition(value);
    } else if (property == "Visible") {
        c.property = Property::Visible;
        c.flag = parseFlag(value);
    } else {
        fail("unknown or read-only property " + quoteWord(property));
    }
    return c;
}

command::GetVariable getVariable(const Words& words) {
    expectWords(words, 3);
    if (words[2] == "KrokX") {
        return {Variable::KrokX};
    }
    if (words[2] == "KrokY") {
        return {Variable::KrokY};
    }
    if (words[2] == "Index") {
        return {Variable::Index};
    }
    fail("unknown variable Module1." + escapeWord(words[2]));
}

Command get(const Words& words) {
    expectWords(words, 4);
    const ScreenId id = parseScreen(words[1]);
    const std::string_view property = words[3];
    if (words[2] == words[1]) {
        if (property == "ScaleWidth") {
            return command::Get{id, std::nullopt, Property::ScaleWidth};
        }
        if (property == "ScaleHeight") {
            return command::Get{id, std::nullopt, Property::ScaleHeight};
        }
        if (property == "Width") {
            return command::Get{id, std::nullopt, Property::Width};
        }
        fail("unknown screen property " + quoteWord(property));
    }
    const ObjectRef ref = parseObject(id, words[2]);
    if (ref.kind == ObjectKind::Timer) {
        if (property == "Interval") {
            return command::Get{id, ref, Property::Interval};
        }
        if (property == "Enabled") {
            return command::Get{id, ref, Property::Enabled};
        }
        fail("timers have only Interval and Enabled");
    }
    if (ref.kind == ObjectKind::MenuItem) {
        fail("menu items have no readable properties");
    }
    constexpr std::pair<std::string_view, Property> kShownProperties[] = {
        {"Left", Property::Left},     {"Top", Property::Top},         {"Width", Property::Width},
        {"Height", Property::Height}, {"Visible", Property::Visible},
    };
    for (const auto& [name, value] : kShownProperties) {
        if (property == name) {
            return command::Get{id, ref, value};
        }
    }
    if (property == "Caption" && ref.kind == ObjectKind::Label) {
        return command::Get{id, ref, Property::Caption};
    }
    return command::GetMissing{id, ref, std::string(property),
                               "unknown property " + quoteWord(property)};
}

}  // namespace

Command parseCommand(std::string_view line) {
    const Words words = commandWords(line);
    const std::string_view verb = words[0];
    const bool module1 = words.size() >= 2 && words[1] == "Module1";
    if (verb == "menu") {
        return menu(words);
    }
    if (verb == "click") {
        return click(words);
    }
    if (verb == "key") {
        return key(words);
    }
    if (verb == "close") {
        return close(words);
    }
    if (verb == "advance") {
        return advance(words);
    }
    if (verb == "tick") {
        return tick(words);
    }
    if (verb == "set") {
        return module1 ? Command(setVariable(words)) : Command(set(line, words));
    }
    if (verb == "get") {
        return module1 ? Command(getVariable(words)) : get(words);
    }
    if (verb == "dump") {
        expectWords(words, 2);
        return command::Dump{parseScreen(words[1])};
    }
    if (verb == "screens") {
        expectWords(words, 1);
        return command::Screens{};
    }
    fail("unknown command " + quoteWord(verb));
}

}  // namespace kostkolam::scenario
