#include "scenario/Formatter.h"

#include <array>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>

#include "table/ScreenTable.h"
#include "ui/Numbers.h"

namespace kostkolam::scenario {

namespace {

using ui::ObjectKind;
using ui::ObjectRef;

constexpr std::string_view propertyName(Property property) {
    switch (property) {
        case Property::Left:
            return "Left";
        case Property::Top:
            return "Top";
        case Property::Width:
            return "Width";
        case Property::Height:
            return "Height";
        case Property::Visible:
            return "Visible";
        case Property::Caption:
            return "Caption";
        case Property::Interval:
            return "Interval";
        case Property::Enabled:
            return "Enabled";
        case Property::ScaleWidth:
            return "ScaleWidth";
        case Property::ScaleHeight:
            return "ScaleHeight";
    }
    return {};
}

constexpr std::string_view variableName(Variable variable) {
    switch (variable) {
        case Variable::KrokX:
            return "KrokX";
        case Variable::KrokY:
            return "KrokY";
        case Variable::Index:
            return "Index";
    }
    return {};
}

std::string screenName(flow::ScreenId id) {
    return std::string(table::screenName(id));
}

std::string objectName(flow::ScreenId id, ObjectRef ref) {
    return ui::objectName(table::screenLayout(id), ref);
}

std::string flag(bool value) {
    return value ? "1" : "0";
}

/// What a dump line holds for an object, in its order: a timer's Interval and Enabled; a shown
/// object's place, size and visibility, and a label's caption after them.
constexpr std::array kTimerProperties = {Property::Interval, Property::Enabled};
constexpr std::array kLabelProperties = {Property::Left,   Property::Top,     Property::Width,
                                         Property::Height, Property::Visible, Property::Caption};

std::span<const Property> dumpedProperties(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Timer:
            return kTimerProperties;
        case ObjectKind::Label:
            return kLabelProperties;
        case ObjectKind::MenuItem:
            return {};
        default:
            return std::span(kLabelProperties).first(kLabelProperties.size() - 1);
    }
}

/// The value of an object's property as answers print it.
std::string objectValue(const ui::Screen& screen, ObjectRef ref, Property property) {
    if (ref.kind == ObjectKind::Timer) {
        const ui::Timer& timer = screen.timers()[std::size_t(ref.index)];
        return property == Property::Interval ? std::to_string(timer.interval())
                                              : flag(timer.enabled());
    }
    const ui::ShownObject& object = *screen.shownObject(ref);
    switch (property) {
        case Property::Left:
            return ui::numberText(object.left());
        case Property::Top:
            return ui::numberText(object.top());
        case Property::Width:
            return ui::numberText(object.width());
        case Property::Height:
            return ui::numberText(object.height());
        case Property::Visible:
            return flag(object.visible());
        case Property::Caption:
            return quoted(screen.labels()[std::size_t(ref.index)].caption());
        default:
            return {};
    }
}

std::string screenValue(const ui::Screen& screen, Property property) {
    switch (property) {
        case Property::ScaleWidth:
            return ui::numberText(screen.scaleWidth());
        case Property::ScaleHeight:
            return ui::numberText(screen.scaleHeight());
        default:
            return ui::numberText(screen.outerWidthTwips());
    }
}

/// A text as a JSON string.
std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    constexpr std::string_view kDigits = "0123456789abcdef";
                    out += "\\u00";
                    out += kDigits[(c >> 4) & 0x0F];
                    out += kDigits[c & 0x0F];
                } else {
                    out += c;
                }
        }
    }
    return out + '"';
}

/// The JSON name of a property: its scenario name with a small first letter.
std::string jsonName(Property property) {
    std::string name(propertyName(property));
    name.front() = char(name.front() - 'A' + 'a');
    return jsonString(name);
}

}  // namespace

std::string quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

std::string commandLine(const Command& command) {
    return std::visit(
        [](const auto& c) -> std::string {
            using T = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<T, command::Menu>) {
                return "menu " + screenName(c.screen) + " " +
                       objectName(c.screen, {ObjectKind::MenuItem, c.item});
            } else if constexpr (std::is_same_v<T, command::Click>) {
                return "click " + screenName(c.screen) + " " + objectName(c.screen, c.object);
            } else if constexpr (std::is_same_v<T, command::Key>) {
                return "key " + screenName(c.screen) + " " + std::to_string(c.code);
            } else if constexpr (std::is_same_v<T, command::Close>) {
                return "close " + screenName(c.screen);
            } else if constexpr (std::is_same_v<T, command::Advance>) {
                return "advance " + std::to_string(c.ms);
            } else if constexpr (std::is_same_v<T, command::Tick>) {
                return "tick " + screenName(c.screen) + " " +
                       objectName(c.screen, {ObjectKind::Timer, c.timer});
            } else if constexpr (std::is_same_v<T, command::Set>) {
                const std::string value =
                    c.property == Property::Caption ? c.caption
                    : c.property == Property::Left || c.property == Property::Top
                        ? ui::numberText(c.position)
                        : flag(c.flag);
                return "set " + screenName(c.screen) + " " + objectName(c.screen, c.object) + " " +
                       std::string(propertyName(c.property)) + " " + value;
            } else if constexpr (std::is_same_v<T, command::SetVariable>) {
                return "set Module1 " + std::string(variableName(c.variable)) + " " +
                       std::to_string(c.value);
            } else if constexpr (std::is_same_v<T, command::GetVariable>) {
                return "get Module1 " + std::string(variableName(c.variable));
            } else if constexpr (std::is_same_v<T, command::Get>) {
                const std::string object =
                    c.object ? objectName(c.screen, *c.object) : screenName(c.screen);
                return "get " + screenName(c.screen) + " " + object + " " +
                       std::string(propertyName(c.property));
            } else if constexpr (std::is_same_v<T, command::GetMissing>) {
                return "get " + screenName(c.screen) + " " + objectName(c.screen, c.object) + " " +
                       c.property;
            } else if constexpr (std::is_same_v<T, command::Dump>) {
                return "dump " + screenName(c.screen);
            } else {
                return "screens";
            }
        },
        command);
}

std::string eventLine(const ui::ShownEvent& event) {
    const std::string at = "@" + std::to_string(event.atMs) + " ";
    if (event.kind == ui::ShownEvent::Kind::End) {
        return at + "end";
    }
    return at + "msgbox title=" + quoted(event.box.title) +
           " icon=information buttons=ok text=" + quoted(event.box.text);
}

std::string answerLine(const command::Get& get, const ui::Screen& screen) {
    const std::string object =
        get.object ? objectName(get.screen, *get.object) : screenName(get.screen);
    const std::string value = get.object ? objectValue(screen, *get.object, get.property)
                                         : screenValue(screen, get.property);
    return screenName(get.screen) + "." + object + "." + std::string(propertyName(get.property)) +
           "=" + value;
}

std::string answerLine(const command::GetVariable& get, const flow::Module1& module1) {
    std::string value;
    switch (get.variable) {
        case Variable::KrokX:
            value = module1.KrokX ? std::to_string(*module1.KrokX) : "";
            break;
        case Variable::KrokY:
            value = module1.KrokY ? std::to_string(*module1.KrokY) : "";
            break;
        case Variable::Index:
            value = std::to_string(module1.Index);
            break;
    }
    return "Module1." + std::string(variableName(get.variable)) + "=" + value;
}

std::string dumpText(flow::ScreenId id, const ui::Screen* screen) {
    if (screen == nullptr) {
        return screenName(id) + " unloaded\n";
    }
    std::string out = screenName(id) + " Caption=" + quoted(screen->caption());
    for (const Property property : {Property::ScaleWidth, Property::ScaleHeight, Property::Width}) {
        out += " " + std::string(propertyName(property)) + "=" + screenValue(*screen, property);
    }
    out += " Visible=" + flag(screen->visible()) + "\n";
    const auto objectLine = [&](ObjectRef ref) {
        out += screenName(id) + "." + objectName(id, ref);
        for (const Property property : dumpedProperties(ref.kind)) {
            out += " " + std::string(propertyName(property)) + "=" +
                   objectValue(*screen, ref, property);
        }
        out += "\n";
    };
    // Bricks, the paddle and the ball, labels, buttons, timers: each group in layout order.
    for (const ui::Button& brick : screen->bricks()) {
        objectLine(brick.ref());
    }
    for (const ui::Shape& shape : screen->shapes()) {
        objectLine(shape.ref());
    }
    for (const ui::Label& label : screen->labels()) {
        objectLine(label.ref());
    }
    for (const ui::Button& button : screen->buttons()) {
        objectLine(button.ref());
    }
    for (const ui::Timer& timer : screen->timers()) {
        objectLine({ObjectKind::Timer, timer.index()});
    }
    return out;
}

std::string screensLine(const flow::Game& game) {
    std::string line;
    for (const flow::ScreenId id : flow::kAllScreens) {
        line += (id == flow::ScreenId::frmCihlolam ? "" : " ") + screenName(id) + "=" +
                std::string(flow::loadStateName(game.state(id)));
    }
    const auto active = game.activeScreen();
    return line + " active=" + (active ? screenName(*active) : std::string("none"));
}

std::string screensJson(const flow::Game* game) {
    std::string out = "{";
    for (const flow::ScreenId id : flow::kAllScreens) {
        const auto state = game ? game->state(id) : flow::LoadState::Unloaded;
        out += (id == flow::ScreenId::frmCihlolam ? "" : ",") + jsonString(screenName(id)) + ":" +
               jsonString(flow::loadStateName(state));
    }
    return out + "}";
}

std::string objectJson(const ui::Screen& screen, ObjectRef ref, std::string_view more) {
    std::string out = "{";
    for (const Property property : dumpedProperties(ref.kind)) {
        std::string value = objectValue(screen, ref, property);
        if (property == Property::Visible) {
            value = value == "1" ? "true" : "false";
        } else if (property == Property::Caption) {
            value = jsonString(screen.labels()[std::size_t(ref.index)].caption());
        }
        out += (out.size() > 1 ? "," : "") + jsonName(property) + ":" + value;
    }
    if (!more.empty()) {
        out += ",";
        out += more;
    }
    return out + "}";
}

}  // namespace kostkolam::scenario
