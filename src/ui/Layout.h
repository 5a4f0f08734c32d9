#pragma once

// The constant descriptions of the game's screens: every window, label, shape, button, timer and
// menu item as stored, in twips (the title screen in pixels). Nothing here changes at run time.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kostkolam::ui {

/// Left, Top, Width, Height in the screen's stored unit (twips; pixels on the title screen).
struct Rectangle {
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
};

/// 0x00BBGGRR for an RGB colour; 0x80000000 + n for the desktop's system colour n.
using Colour = std::uint32_t;

inline constexpr Colour kSystemColourFlag = 0x80000000u;
inline constexpr Colour kTooltipBackground = 0x80000018u;

/// The colours the layouts share: the lives and the score labels are light orange and light red
/// on the level screens' status line and on the end screen alike.
inline constexpr Colour kLightOrange = 0x0080C0FFu;
inline constexpr Colour kLightRed = 0x008080FFu;
inline constexpr Colour kBlack = 0x00000000u;
inline constexpr Colour kWhite = 0x00FFFFFFu;

constexpr bool isSystemColour(Colour c) {
    return (c & kSystemColourFlag) != 0;
}
constexpr std::uint8_t red(Colour c) {
    return c & 0xFFu;
}
constexpr std::uint8_t green(Colour c) {
    return (c >> 8) & 0xFFu;
}
constexpr std::uint8_t blue(Colour c) {
    return (c >> 16) & 0xFFu;
}

inline constexpr std::uint16_t kCentralEuropeanCharset = 238;

/// The face every stored font asks for; the backend substitutes a sans-serif face that has the
/// Czech letters.
inline constexpr std::string_view kStoredFontFace = "MS Sans Serif";

struct FontSpec {
    std::string_view face;
    float sizePt = 8.25f;
    std::uint16_t weight = 400;
    std::uint16_t charset = kCentralEuropeanCharset;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
};

enum class PictureFormat : std::uint8_t { Bmp, Jpeg };

/// A picture built into the program, addressed by its resource path.
struct PictureAsset {
    std::string_view name;
    PictureFormat format = PictureFormat::Jpeg;
    int widthPx = 0;
    int heightPx = 0;
    int depthBits = 24;
    std::string_view resource;
};

/// The coordinate system a screen's objects are measured in while it runs.
enum class ScaleMode : std::uint8_t { Playfield, Pixels, Twips };

enum class Shortcut : std::uint8_t { None, F1, F2, F4, F5 };

struct MenuItemLayout {
    std::string_view name;
    /// '&' marks the mnemonic; "-" alone makes a separator line.
    std::string_view caption;
    Shortcut shortcut = Shortcut::None;
    /// 0 for an item of the menu bar, 1 for an item in the drop-down list of the item above it.
    int depth = 0;

    constexpr bool isSeparator() const { return caption == "-"; }
};

/// The client area of the title screen and of every level screen, in twips.
inline constexpr int kGameClientWidthTwips = 4905;
inline constexpr int kGameClientHeightTwips = 4335;

struct WindowLayout {
    std::string_view name;
    std::string_view caption;
    int clientWidthTwips = 0;
    int clientHeightTwips = 0;
    /// Absent: the desktop's default window colour.
    std::optional<Colour> background;
    const PictureAsset* picture = nullptr;
    ScaleMode scaleMode = ScaleMode::Twips;
    /// Every typed character goes to the window's key handler before any control sees it.
    bool keysToWindowFirst = false;
    std::span<const MenuItemLayout> menu;
    // Every screen of the game has a fixed single border, no minimize or maximize button and
    // opens centred on the desktop, so these are not stored per window.
};

enum class Alignment : std::uint8_t { Left = 0, Right = 1, Centre = 2 };

struct LabelLayout {
    std::string_view name;
    std::string_view caption;
    Rectangle rect;
    /// Absent: the label lets the window's colour show.
    std::optional<Colour> background;
    /// Absent: the desktop's default text colour.
    std::optional<Colour> textColour;
    Alignment alignment = Alignment::Left;
    /// Absent: the window's default font.
    std::optional<FontSpec> font;
    bool visible = true;
    /// A screen reader hears the label's text when its window opens and whenever the text changes
    /// while its window is the active one: the lives, the score, the countdown, how a game ended.
    bool announced = false;
    /// The label beside it whose text says what this one shows ("Životů:" before the lives),
    /// heard just before it; empty for none.
    std::string_view namedBy;
};

enum class ShapeKind : std::uint8_t { Rectangle, Circle };

struct ShapeLayout {
    std::string_view name;
    ShapeKind kind = ShapeKind::Rectangle;
    Rectangle rect;
    Colour border = 0;
    Colour fill = 0;
};

struct ButtonLayout {
    std::string_view name;
    /// Index in the control array (the bricks), or -1 for a single button.
    int arrayIndex = -1;
    std::string_view caption;
    Rectangle rect;
    const PictureAsset* picture = nullptr;
    bool tabStop = true;
    int tabIndex = 0;
};

struct TimerLayout {
    std::string_view name;
    std::int32_t intervalMs = 0;
    bool enabled = false;
};

/// Everything a screen is built from. The title and end screens have no bricks, shapes or
/// timers; the level screens have no push buttons.
struct ScreenLayout {
    WindowLayout window;
    std::span<const ButtonLayout> bricks;
    std::span<const ShapeLayout> shapes;
    std::span<const LabelLayout> labels;
    std::span<const ButtonLayout> buttons;
    std::span<const TimerLayout> timers;
};

}  // namespace kostkolam::ui
