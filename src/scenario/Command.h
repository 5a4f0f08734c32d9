#pragma once

// One scenario line as the game understands it: the command, its screen and object resolved to
// the screen's layout, its number or text read. Every program that reads scenarios (the runner,
// the replay of a recorded game) works on these, and every program that writes them (the
// recorder) writes them from these, so that all agree on what a line means.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "flow/ScreenId.h"
#include "ui/Screen.h"

namespace kostkolam::scenario {

using flow::ScreenId;

/// The shared ball variables a scenario may name: `KrokX` and `KrokY` (settable) and `Index`.
enum class Variable : std::uint8_t { KrokX, KrokY, Index };

/// The properties a scenario reads or writes. A screen has ScaleWidth, ScaleHeight and Width; a
/// shown object Left, Top, Width, Height, Visible and, on a label, Caption; a timer Interval and
/// Enabled.
enum class Property : std::uint8_t {
    Left,
    Top,
    Width,
    Height,
    Visible,
    Caption,
    Interval,
    Enabled,
    ScaleWidth,
    ScaleHeight,
};

namespace command {

/// menu SCREEN ITEM
struct Menu {
    ScreenId screen;
    int item;
    friend bool operator==(const Menu&, const Menu&) = default;
};
/// click SCREEN OBJECT: any object of the screen; only a push button does anything.
struct Click {
    ScreenId screen;
    ui::ObjectRef object;
    friend bool operator==(const Click&, const Click&) = default;
};
/// key SCREEN CODE
struct Key {
    ScreenId screen;
    std::uint16_t code;
    friend bool operator==(const Key&, const Key&) = default;
};
/// close SCREEN
struct Close {
    ScreenId screen;
    friend bool operator==(const Close&, const Close&) = default;
};
/// advance MS
struct Advance {
    std::int64_t ms;
    friend bool operator==(const Advance&, const Advance&) = default;
};
/// tick SCREEN TIMER
struct Tick {
    ScreenId screen;
    int timer;
    friend bool operator==(const Tick&, const Tick&) = default;
};
/// set SCREEN OBJECT PROPERTY VALUE. Left and Top carry `position`, Visible and Enabled `flag`,
/// Caption `caption`; the object's kind allows the property.
struct Set {
    ScreenId screen;
    ui::ObjectRef object;
    Property property;
    float position = 0;
    bool flag = false;
    std::string caption;
    friend bool operator==(const Set&, const Set&) = default;
};
/// set Module1 VARIABLE VALUE
struct SetVariable {
    Variable variable;
    std::int16_t value;
    friend bool operator==(const SetVariable&, const SetVariable&) = default;
};
/// get Module1 VARIABLE
struct GetVariable {
    Variable variable;
    friend bool operator==(const GetVariable&, const GetVariable&) = default;
};
/// get SCREEN OBJECT PROPERTY, or get SCREEN SCREEN PROPERTY when `object` is empty.
struct Get {
    ScreenId screen;
    std::optional<ui::ObjectRef> object;
    Property property;
    friend bool operator==(const Get&, const Get&) = default;
};
/// get SCREEN OBJECT PROPERTY for a shown object without that property. The runner refuses it
/// only once it has found the screen loaded ("not loaded" comes first), so it is a command of its
/// own that the player refuses with `reason`.
struct GetMissing {
    ScreenId screen;
    ui::ObjectRef object;
    std::string property;
    std::string reason;
    friend bool operator==(const GetMissing&, const GetMissing&) = default;
};
/// dump SCREEN
struct Dump {
    ScreenId screen;
    friend bool operator==(const Dump&, const Dump&) = default;
};
/// screens
struct Screens {
    friend bool operator==(const Screens&, const Screens&) = default;
};

}  // namespace command

using Command =
    std::variant<command::Menu, command::Click, command::Key, command::Close, command::Advance,
                 command::Tick, command::Set, command::SetVariable, command::GetVariable,
                 command::Get, command::GetMissing, command::Dump, command::Screens>;

/// A query only answers; it changes nothing in the game.
inline bool isQuery(const Command& command) {
    return std::holds_alternative<command::Get>(command) ||
           std::holds_alternative<command::GetVariable>(command) ||
           std::holds_alternative<command::GetMissing>(command) ||
           std::holds_alternative<command::Dump>(command) ||
           std::holds_alternative<command::Screens>(command);
}

}  // namespace kostkolam::scenario
