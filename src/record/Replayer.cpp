#include "record/Replayer.h"

#include <array>
#include <memory>
#include <string_view>

#include "script/ScenarioLine.h"
#include "script/ScriptInput.h"
#include "table/ScreenTable.h"

namespace kostkolam::record {

namespace {

using flow::ScreenId;
using script::commandWords;
using script::expectWords;
using script::fail;
using script::parseFlag;
using script::parseInteger;
using script::parsePosition;
using script::quoteWord;
using script::Words;

/// Knows every screen's names, each screen built once from its layout.
class Names {
  public:
    Names() {
        for (ScreenId id : flow::kAllScreens) {
            m_screens[std::size_t(id)] = std::make_unique<ui::Screen>(table::screenLayout(id), -1);
        }
    }
    ScreenId screen(std::string_view word) const {
        const auto id = table::screenByName(word);
        if (!id) {
            fail("unknown screen " + quoteWord(word));
        }
        return *id;
    }
    ui::ObjectRef object(ScreenId id, std::string_view word) const {
        const auto ref = m_screens[std::size_t(id)]->find(word);
        if (!ref) {
            fail("unknown object " + quoteWord(word) + " on " + std::string(table::screenName(id)));
        }
        return *ref;
    }

  private:
    std::array<std::unique_ptr<ui::Screen>, flow::kScreenCount> m_screens;
};

Command parseLine(const Names& names, std::string_view line, long number) {
    const Words words = commandWords(line);
    const std::string_view verb = words[0];
    Command c{Command::Kind::Advance, number};
    auto screenAndObject = [&](ui::ObjectKind kind, const char* what) {
        c.screen = names.screen(words[1]);
        const ui::ObjectRef ref = names.object(c.screen, words[2]);
        if (ref.kind != kind) {
            fail(quoteWord(words[2]) + " is not " + what);
        }
        c.object = std::string(words[2]);
    };
    if (verb == "advance") {
        expectWords(words, 2);
        c.number = parseInteger(words[1], 0, script::kLongestAdvanceMs);
    } else if (verb == "menu") {
        expectWords(words, 3);
        c.kind = Command::Kind::Menu;
        screenAndObject(ui::ObjectKind::MenuItem, "a menu item");
    } else if (verb == "click") {
        expectWords(words, 3);
        c.kind = Command::Kind::Click;
        c.screen = names.screen(words[1]);
        names.object(c.screen, words[2]);
        c.object = std::string(words[2]);
    } else if (verb == "key") {
        expectWords(words, 3);
        c.kind = Command::Kind::Key;
        c.screen = names.screen(words[1]);
        c.number = parseInteger(words[2], 0, 65535);
    } else if (verb == "close") {
        expectWords(words, 2);
        c.kind = Command::Kind::Close;
        c.screen = names.screen(words[1]);
    } else if (verb == "tick") {
        expectWords(words, 3);
        c.kind = Command::Kind::Tick;
        screenAndObject(ui::ObjectKind::Timer, "a timer");
    } else if (verb == "set" && words.size() >= 2 && words[1] == "Module1") {
        expectWords(words, 4);
        if (words[2] != "KrokX" && words[2] != "KrokY") {
            fail("cannot set Module1." + script::escapeWord(words[2]));
        }
        c.kind = Command::Kind::SetVariable;
        c.object = std::string(words[2]);
        c.number = parseInteger(words[3], -32768, 32767);
    } else if (verb == "set") {
        if (words.size() < 4) {
            fail("'set' takes a screen, an object, a property and a value");
        }
        c.kind = Command::Kind::Set;
        c.screen = names.screen(words[1]);
        names.object(c.screen, words[2]);
        c.object = std::string(words[2]);
        c.property = std::string(words[3]);
        if (c.property == "Caption") {
            const std::size_t prefix = std::size_t(words[3].data() + words[3].size() - line.data());
            c.value = line.size() > prefix ? std::string(line.substr(prefix + 1)) : "";
        } else {
            expectWords(words, 5);
            c.value = std::string(words[4]);
            if (c.property == "Visible" || c.property == "Enabled") {
                c.number = parseFlag(words[4]) ? 1 : 0;
            } else if (c.property == "Left" || c.property == "Top") {
                parsePosition(words[4]);
            } else {
                fail("unknown or read-only property " + quoteWord(c.property));
            }
        }
    } else if (verb != "get" && verb != "dump" && verb != "screens") {
        fail("unknown command " + quoteWord(verb));
    }
    return c;
}

bool isQuery(std::string_view line) {
    return line.starts_with("get ") || line.starts_with("dump ") || line == "screens";
}

}  // namespace

std::optional<std::vector<Command>> readScenario(std::istream& in, std::string& error) {
    static const Names names;
    std::vector<Command> commands;
    std::string line;
    for (long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        try {
            Command command = parseLine(names, line, number);
            if (!isQuery(line)) {
                commands.push_back(std::move(command));
            }
        } catch (const script::ScriptError& bad) {
            error = "line " + std::to_string(number) + ": " + bad.what();
            return std::nullopt;
        }
    }
    if (in.bad()) {
        error = "cannot read the scenario";
        return std::nullopt;
    }
    return commands;
}

Replayer::Replayer(flow::Game& game, ui::RealTimeClock& clock, std::vector<Command> commands)
    : m_game(game), m_clock(clock), m_commands(std::move(commands)) {}

void Replayer::start() {
    m_origin = m_clock.now();
    m_instant = m_origin;
    m_clock.holdAt(m_instant, [this] { playDue(); });
}

void Replayer::playDue() {
    while (m_next < m_commands.size()) {
        const Command& command = m_commands[m_next++];
        if (command.kind == Command::Kind::Advance) {
            if (command.number == 0) {
                continue;
            }
            m_instant += command.number;
            m_clock.holdAt(m_instant, [this] { playDue(); });
            return;
        }
        if (!play(command)) {
            m_next = m_commands.size();
            break;
        }
    }
    // The end: the game's time stands still where the scenario left it.
    m_clock.holdAt(m_instant);
}

bool Replayer::play(const Command& c) {
    if (m_game.ended()) {
        return true;
    }
    ui::Screen* screen = m_game.screen(c.screen);
    if (!screen && c.kind != Command::Kind::SetVariable) {
        if (onError) {
            onError("line " + std::to_string(c.line) + ": " +
                    std::string(table::screenName(c.screen)) + " is not loaded");
        }
        return false;
    }
    switch (c.kind) {
        case Command::Kind::Advance:
            break;
        case Command::Kind::Menu:
            m_game.menuChosen(*screen, screen->menuItem(c.object));
            break;
        case Command::Kind::Click: {
            const auto ref = screen->find(c.object);
            if (ref && ref->kind == ui::ObjectKind::Button) {
                m_game.buttonClicked(*screen, ref->index);
            }
            break;
        }
        case Command::Kind::Key:
            m_game.keyTyped(*screen, std::uint16_t(c.number));
            break;
        case Command::Kind::Close:
            m_game.closeRequested(*screen);
            break;
        case Command::Kind::Tick:
            m_game.timerTicked(screen->timer(c.object));
            break;
        case Command::Kind::SetVariable:
            (c.object == "KrokX" ? m_game.module1().KrokX : m_game.module1().KrokY) =
                std::int16_t(c.number);
            break;
        case Command::Kind::Set: {
            const ui::ObjectRef ref = *screen->find(c.object);
            if (c.property == "Enabled" && ref.kind == ui::ObjectKind::Timer) {
                screen->timers()[std::size_t(ref.index)].setEnabled(c.number == 1);
            } else if (c.property == "Caption" && ref.kind == ui::ObjectKind::Label) {
                screen->labels()[std::size_t(ref.index)].setCaption(c.value);
            } else if (ui::ShownObject* object = screen->shownObject(ref)) {
                if (c.property == "Visible") {
                    object->setVisible(c.number == 1);
                } else if (c.property == "Left" || c.property == "Top") {
                    // Read once already when the scenario was read.
                    const float position = script::parsePosition(c.value);
                    c.property == "Left" ? object->setLeft(position) : object->setTop(position);
                }
            }
            break;
        }
    }
    return true;
}

void ReplayAudience::menuChosen(ui::Screen& screen, int item) {
    if (screen.menu()[std::size_t(item)].name == "mnuKonec") {
        m_game.endProgram();
    }
}

}  // namespace kostkolam::record
