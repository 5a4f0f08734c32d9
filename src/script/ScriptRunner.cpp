#include "script/ScriptRunner.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

#include "script/ScenarioLine.h"
#include "ui/Numbers.h"

namespace kostkolam::script {

namespace {

using flow::ScreenId;
using ui::ObjectKind;
using ui::ObjectRef;
using ui::headless::quoted;
std::string number(float value) {
    return ui::numberText(value);
}

bool isShownObject(ObjectKind kind) {
    return kind != ObjectKind::Timer && kind != ObjectKind::MenuItem;
}

std::string objectLine(const ui::Screen& screen, ObjectRef ref) {
    std::string line = std::string(screen.name()) + "." + ui::objectName(screen, ref);
    if (ref.kind == ObjectKind::Timer) {
        const ui::Timer& timer = screen.timers()[std::size_t(ref.index)];
        return line + " Interval=" + std::to_string(timer.interval()) +
               " Enabled=" + (timer.enabled() ? "1" : "0");
    }
    const ui::ShownObject& object = *screen.shownObject(ref);
    line += " Left=" + number(object.left()) + " Top=" + number(object.top()) +
            " Width=" + number(object.width()) + " Height=" + number(object.height()) +
            " Visible=" + (object.visible() ? "1" : "0");
    if (ref.kind == ObjectKind::Label) {
        line += " Caption=" + quoted(screen.labels()[std::size_t(ref.index)].caption());
    }
    return line;
}

}  // namespace

ScriptRunner::ScriptRunner(std::ostream& out)
    : ScriptRunner(out, std::make_unique<HeadlessScriptBackend>()) {}

ScriptRunner::ScriptRunner(std::ostream& out, std::unique_ptr<ScriptBackend> own)
    : ScriptRunner(out, *own) {
    m_ownBackend = std::move(own);
}

ScriptRunner::ScriptRunner(std::ostream& out, ScriptBackend& backend)
    : m_out(out), m_backend(backend), m_game(backend.windowSystem(), table::screens()) {
    m_backend.setEventLog([this](const std::string& event) { m_out << event << '\n'; });
    for (ScreenId id : flow::kAllScreens) {
        m_names[std::size_t(id)] = std::make_unique<ui::Screen>(table::screenLayout(id), -1);
    }
    m_game.start();
}

int ScriptRunner::run(std::istream& in, std::ostream& err) {
    StreamSource source(in);
    return run(source, err);
}

int ScriptRunner::run(ByteSource& in, std::ostream& err) {
    LineReader reader(in);
    std::optional<std::string> error;
    try {
        while (const auto line = reader.next()) {
            execute(*line);
            if (!m_out) {
                return writeFailed(err);
            }
        }
    } catch (const InputError& e) {
        error = e.what();
    } catch (const ScriptError& e) {
        error = e.what();
    }
    // What was printed before an error stays; lost output outweighs the error itself.
    m_out.flush();
    if (!m_out) {
        return writeFailed(err);
    }
    if (error) {
        err << "error: line " << reader.lineNumber() << ": " << *error << '\n';
        err.flush();
        return 2;
    }
    return 0;
}

int ScriptRunner::writeFailed(std::ostream& err) const {
    const std::string reason = m_writeFailureReason ? m_writeFailureReason() : std::string();
    err << "error: cannot write output: " << (reason.empty() ? "the output stream failed" : reason)
        << '\n';
    err.flush();
    return 1;
}

void ScriptRunner::execute(std::string_view line) {
    if (line.empty() || line.front() == '#') {
        return;
    }
    const Words words = commandWords(line);
    const std::string_view command = words[0];
    if (command == "menu") {
        menu(words);
    } else if (command == "click") {
        click(words);
    } else if (command == "key") {
        key(words);
    } else if (command == "close") {
        close(words);
    } else if (command == "advance") {
        advance(words);
    } else if (command == "tick") {
        tick(words);
    } else if (command == "set") {
        set(line, words);
    } else if (command == "get") {
        get(words);
    } else if (command == "dump") {
        dump(words);
    } else if (command == "screens") {
        screens(words);
    } else {
        fail("unknown command " + quoteWord(command));
    }
}

ScreenId ScriptRunner::parseScreen(std::string_view word) const {
    const auto id = table::screenByName(word);
    if (!id) {
        fail("unknown screen " + quoteWord(word));
    }
    return *id;
}

ObjectRef ScriptRunner::parseObject(ScreenId id, std::string_view word) const {
    const auto ref = m_names[std::size_t(id)]->find(word);
    if (!ref) {
        fail("unknown object " + quoteWord(word) + " on " + std::string(table::screenName(id)));
    }
    return *ref;
}

ui::Screen& ScriptRunner::loadedScreen(ScreenId id) const {
    ui::Screen* screen = m_game.screen(id);
    if (screen == nullptr) {
        fail(std::string(table::screenName(id)) + " is not loaded");
    }
    return *screen;
}

void ScriptRunner::menu(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    const ObjectRef ref = parseObject(id, words[2]);
    if (ref.kind != ObjectKind::MenuItem) {
        fail(quoteWord(words[2]) + " is not a menu item");
    }
    if (m_game.ended()) {
        return;
    }
    input().menuChosen(loadedScreen(id), ref.index);
}

void ScriptRunner::click(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    const ObjectRef ref = parseObject(id, words[2]);
    if (m_game.ended()) {
        return;
    }
    ui::Screen& screen = loadedScreen(id);
    // Only push buttons have a command; a brick only looks pressed.
    if (ref.kind == ObjectKind::Button) {
        input().buttonClicked(screen, ref.index);
    }
}

void ScriptRunner::key(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    const auto code = std::uint16_t(parseInteger(words[2], 0, 65535));
    if (m_game.ended()) {
        return;
    }
    input().keyTyped(loadedScreen(id), code);
}

void ScriptRunner::close(const Words& words) {
    expectWords(words, 2);
    const ScreenId id = parseScreen(words[1]);
    if (m_game.ended()) {
        return;
    }
    input().closeRequested(loadedScreen(id));
}

void ScriptRunner::advance(const Words& words) {
    expectWords(words, 2);
    const std::int64_t ms = parseInteger(words[1], 0, kLongestAdvanceMs);
    if (m_game.ended()) {
        return;
    }
    m_backend.advance(ms);
}

void ScriptRunner::tick(const Words& words) {
    expectWords(words, 3);
    const ScreenId id = parseScreen(words[1]);
    const ObjectRef ref = parseObject(id, words[2]);
    if (ref.kind != ObjectKind::Timer) {
        fail(quoteWord(words[2]) + " is not a timer");
    }
    if (m_game.ended()) {
        return;
    }
    input().timerTicked(loadedScreen(id).timers()[std::size_t(ref.index)]);
}

void ScriptRunner::set(std::string_view line, const Words& words) {
    if (words.size() >= 2 && words[1] == "Module1") {
        expectWords(words, 4);
        const auto value = std::int16_t(parseInteger(words[3], -32768, 32767));
        if (words[2] == "KrokX") {
            m_game.module1().KrokX = value;
        } else if (words[2] == "KrokY") {
            m_game.module1().KrokY = value;
        } else {
            fail("cannot set Module1." + escapeWord(words[2]));
        }
        return;
    }
    if (words.size() < 4) {
        fail("'set' takes a screen, an object, a property and a value");
    }
    const ScreenId id = parseScreen(words[1]);
    const ObjectRef ref = parseObject(id, words[2]);
    const std::string_view property = words[3];
    if (property == "Caption") {
        if (ref.kind != ObjectKind::Label) {
            fail("only labels have a settable Caption");
        }
        // Everything after the one blank that follows "Caption", blanks included.
        const std::size_t prefix = std::size_t(words[3].data() + words[3].size() - line.data());
        const std::string_view text = line.size() > prefix ? line.substr(prefix + 1) : "";
        loadedScreen(id).labels()[std::size_t(ref.index)].setCaption(std::string(text));
        return;
    }
    expectWords(words, 5);
    const std::string_view value = words[4];
    if (property == "Enabled") {
        if (ref.kind != ObjectKind::Timer) {
            fail("only timers have Enabled");
        }
        const bool enabled = parseFlag(value);
        loadedScreen(id).timers()[std::size_t(ref.index)].setEnabled(enabled);
        return;
    }
    if (!isShownObject(ref.kind)) {
        fail("cannot set " + escapeWord(property) + " of " + quoteWord(words[2]));
    }
    if (property == "Left" || property == "Top") {
        const float position = parsePosition(value);
        ui::ShownObject& object = *loadedScreen(id).shownObject(ref);
        property == "Left" ? object.setLeft(position) : object.setTop(position);
    } else if (property == "Visible") {
        const bool visible = parseFlag(value);
        loadedScreen(id).shownObject(ref)->setVisible(visible);
    } else {
        fail("unknown or read-only property " + quoteWord(property));
    }
}

void ScriptRunner::get(const Words& words) {
    if (words.size() >= 2 && words[1] == "Module1") {
        expectWords(words, 3);
        const flow::Module1& module1 = m_game.module1();
        std::string value;
        if (words[2] == "KrokX") {
            value = module1.KrokX ? std::to_string(*module1.KrokX) : "";
        } else if (words[2] == "KrokY") {
            value = module1.KrokY ? std::to_string(*module1.KrokY) : "";
        } else if (words[2] == "Index") {
            value = std::to_string(module1.Index);
        } else {
            fail("unknown variable Module1." + escapeWord(words[2]));
        }
        m_out << "Module1." << words[2] << '=' << value << '\n';
        return;
    }
    expectWords(words, 4);
    const ScreenId id = parseScreen(words[1]);
    const std::string_view property = words[3];
    const std::string prefix =
        std::string(words[1]) + "." + std::string(words[2]) + "." + std::string(property) + "=";

    if (words[2] == words[1]) {
        if (property != "ScaleWidth" && property != "ScaleHeight" && property != "Width") {
            fail("unknown screen property " + quoteWord(property));
        }
        const ui::Screen& screen = loadedScreen(id);
        const float value = property == "ScaleWidth"    ? screen.scaleWidth()
                            : property == "ScaleHeight" ? screen.scaleHeight()
                                                        : screen.outerWidthTwips();
        m_out << prefix << number(value) << '\n';
        return;
    }

    const ObjectRef ref = parseObject(id, words[2]);
    std::string value;
    if (ref.kind == ObjectKind::Timer) {
        if (property != "Interval" && property != "Enabled") {
            fail("timers have only Interval and Enabled");
        }
        const ui::Timer& timer = loadedScreen(id).timers()[std::size_t(ref.index)];
        value = property == "Interval" ? std::to_string(timer.interval())
                                       : (timer.enabled() ? "1" : "0");
    } else if (ref.kind == ObjectKind::MenuItem) {
        fail("menu items have no readable properties");
    } else {
        const ui::Screen& screen = loadedScreen(id);
        const ui::ShownObject& object = *screen.shownObject(ref);
        if (property == "Left") {
            value = number(object.left());
        } else if (property == "Top") {
            value = number(object.top());
        } else if (property == "Width") {
            value = number(object.width());
        } else if (property == "Height") {
            value = number(object.height());
        } else if (property == "Visible") {
            value = object.visible() ? "1" : "0";
        } else if (property == "Caption" && ref.kind == ObjectKind::Label) {
            value = quoted(screen.labels()[std::size_t(ref.index)].caption());
        } else {
            fail("unknown property " + quoteWord(property));
        }
    }
    m_out << prefix << value << '\n';
}

void ScriptRunner::dump(const Words& words) {
    expectWords(words, 2);
    const ScreenId id = parseScreen(words[1]);
    const ui::Screen* screen = m_game.screen(id);
    if (screen == nullptr) {
        m_out << words[1] << " unloaded\n";
        return;
    }
    m_out << screen->name() << " Caption=" << quoted(screen->caption())
          << " ScaleWidth=" << number(screen->scaleWidth())
          << " ScaleHeight=" << number(screen->scaleHeight())
          << " Width=" << number(screen->outerWidthTwips())
          << " Visible=" << (screen->visible() ? 1 : 0) << '\n';
    for (const ui::Button& brick : screen->bricks()) {
        m_out << objectLine(*screen, brick.ref()) << '\n';
    }
    for (const ui::Shape& shape : screen->shapes()) {
        m_out << objectLine(*screen, shape.ref()) << '\n';
    }
    for (const ui::Label& label : screen->labels()) {
        m_out << objectLine(*screen, label.ref()) << '\n';
    }
    for (const ui::Button& button : screen->buttons()) {
        m_out << objectLine(*screen, button.ref()) << '\n';
    }
    for (const ui::Timer& timer : screen->timers()) {
        m_out << objectLine(*screen, {ObjectKind::Timer, timer.index()}) << '\n';
    }
}

void ScriptRunner::screens(const Words& words) {
    expectWords(words, 1);
    for (ScreenId id : flow::kAllScreens) {
        m_out << (id == ScreenId::frmCihlolam ? "" : " ") << table::screenName(id) << '='
              << flow::loadStateName(m_game.state(id));
    }
    const auto active = m_game.activeScreen();
    m_out << " active=" << (active ? table::screenName(*active) : std::string_view("none")) << '\n';
}

}  // namespace kostkolam::script
