#include "level/LevelLayouts.h"

#include <array>

#include "ui/Pictures.h"

namespace kostkolam::level {

namespace {

using ui::Alignment;
using ui::ButtonLayout;
using ui::FontSpec;
using ui::LabelLayout;
using ui::MenuItemLayout;
using ui::Rectangle;
using ui::ShapeKind;
using ui::ShapeLayout;
using ui::Shortcut;
using ui::TimerLayout;

constexpr std::int16_t kBrickWidthTwips = 720;
constexpr std::int16_t kBrickHeightTwips = 255;

/// Where each brick of a level stands, in twips.
struct BrickPlace {
    std::int16_t left;
    std::int16_t top;
};

using BrickPlaces = std::array<BrickPlace, kBrickCount>;
using Bricks = std::array<ButtonLayout, kBrickCount>;

constexpr Bricks makeBricks(const BrickPlaces& places) {
    Bricks bricks{};
    for (int i = 0; i < kBrickCount; ++i) {
        const BrickPlace p = places[std::size_t(i)];
        bricks[std::size_t(i)] =
            ButtonLayout{.name = "cmdBod",
                         .arrayIndex = i,
                         .caption = "",
                         .rect = {p.left, p.top, kBrickWidthTwips, kBrickHeightTwips},
                         .picture = &ui::kBrickPicture,
                         .tabStop = false,
                         .tabIndex = i};
    }
    return bricks;
}

/// Level 1: five rows of seven, brick i in column i mod 7 and row i div 7.
constexpr BrickPlaces gridPlaces() {
    BrickPlaces places{};
    for (int i = 0; i < kBrickCount; ++i) {
        places[std::size_t(i)] = {std::int16_t(720 * (i % 7)), std::int16_t(240 * (i / 7))};
    }
    return places;
}

/// Level 2: an hourglass of nine rows, each roughly centred on the playfield.
constexpr BrickPlaces kHourglassPlaces{{
    {630, 1890},   // 0
    {1350, 1890},  // 1
    {2070, 1890},  // 2
    {2790, 1890},  // 3
    {3510, 1890},  // 4
    {990, 1650},   // 5
    {1710, 1650},  // 6
    {2430, 1650},  // 7
    {3150, 1650},  // 8
    {1350, 1410},  // 9
    {2070, 1410},  // 10
    {2790, 1410},  // 11
    {1710, 1170},  // 12
    {2430, 1170},  // 13
    {2070, 930},   // 14
    {1740, 690},   // 15
    {2460, 690},   // 16
    {1380, 450},   // 17
    {2100, 450},   // 18
    {2820, 450},   // 19
    {1020, 210},   // 20
    {1740, 210},   // 21
    {2460, 210},   // 22
    {3180, 210},   // 23
    {660, -30},    // 24
    {1380, -30},   // 25
    {2100, -30},   // 26
    {2820, -30},   // 27
    {3540, -30},   // 28
    {1350, 930},   // 29
    {2790, 930},   // 30
    {660, 690},    // 31
    {3510, 690},   // 32
    {630, 1170},   // 33
    {3480, 1170},  // 34
}};

/// Level 3: the two top rows of level 1 over a checkerboard.
constexpr BrickPlaces kCheckerboardPlaces{{
    {0, 0},        // 0
    {720, 0},      // 1
    {1440, 0},     // 2
    {2160, 0},     // 3
    {2880, 0},     // 4
    {3600, 0},     // 5
    {4320, 0},     // 6
    {0, 240},      // 7
    {720, 240},    // 8
    {1440, 240},   // 9
    {2160, 240},   // 10
    {2880, 240},   // 11
    {3600, 240},   // 12
    {4320, 240},   // 13
    {0, 480},      // 14
    {720, 720},    // 15
    {1440, 480},   // 16
    {2160, 690},   // 17
    {2880, 480},   // 18
    {3600, 720},   // 19
    {4320, 480},   // 20
    {0, 960},      // 21
    {720, 1410},   // 22
    {1440, 960},   // 23
    {2130, 1440},  // 24
    {2880, 930},   // 25
    {3570, 1440},  // 26
    {4320, 960},   // 27
    {0, 1680},     // 28
    {720, 1920},   // 29
    {1440, 1680},  // 30
    {2130, 1920},  // 31
    {2850, 1680},  // 32
    {3570, 1920},  // 33
    {4290, 1680},  // 34
}};

constexpr Bricks kGridBricks = makeBricks(gridPlaces());
constexpr Bricks kHourglassBricks = makeBricks(kHourglassPlaces);
constexpr Bricks kCheckerboardBricks = makeBricks(kCheckerboardPlaces);

constexpr MenuItemLayout kLevelMenu[] = {
    {.name = "mnuHra", .caption = "&Hra"},
    {.name = "mnuNovaHra", .caption = "&Nová hra", .shortcut = Shortcut::F2, .depth = 1},
    {.name = "mnuPausa", .caption = "&Pausa", .shortcut = Shortcut::F5, .depth = 1},
    {.name = "mnuOddelovacHra", .caption = "-", .depth = 1},
    {.name = "mnuKonec", .caption = "&Konec", .shortcut = Shortcut::F4, .depth = 1},
    {.name = "mnuHelp", .caption = "H&elp"},
    {.name = "mnuNapoveda", .caption = "&Nápověda", .shortcut = Shortcut::F1, .depth = 1},
};

using ui::kBlack;
using ui::kLightOrange;
using ui::kLightRed;
using ui::kWhite;

constexpr FontSpec kBannerFont{.face = ui::kStoredFontFace, .sizePt = 8.25f, .weight = 700};
constexpr FontSpec kDigitFont{.face = ui::kStoredFontFace, .sizePt = 13.5f, .weight = 400};

/// The six labels; only the banner and the countdown digit differ between the levels.
constexpr std::array<LabelLayout, 6> levelLabels(Rectangle banner, Rectangle digit) {
    return {{
        {.name = "lblZivot",
         .caption = "Životů:",
         .rect = {0, 4140, 495, 195},
         .background = kLightOrange,
         .alignment = Alignment::Left},
        {.name = "lblZiv",
         .caption = "0",
         .rect = {480, 4140, 315, 195},
         .background = kLightOrange,
         .alignment = Alignment::Centre,
         .announced = true,
         .namedBy = "lblZivot"},
        {.name = "lblSkore",
         .caption = "Skóre:",
         .rect = {780, 4140, 495, 195},
         .background = kLightRed,
         .alignment = Alignment::Left},
        {.name = "lblSko",
         .caption = "0",
         .rect = {1260, 4140, 315, 195},
         .background = kLightRed,
         .alignment = Alignment::Centre,
         .announced = true,
         .namedBy = "lblSkore"},
        {.name = "lblHra",
         .caption = "Nová hra",
         .rect = banner,
         .background = kBlack,
         .textColour = kWhite,
         .alignment = Alignment::Centre,
         .font = kBannerFont,
         .visible = false},
        {.name = "lblOdpocet",
         .caption = "3",
         .rect = digit,
         .background = kBlack,
         .textColour = kWhite,
         .alignment = Alignment::Centre,
         .font = kDigitFont,
         .visible = false,
         .announced = true,
         .namedBy = "lblHra"},
    }};
}

/// The paddle, then the ball.
constexpr std::array<ShapeLayout, 2> levelShapes(Rectangle paddle, Rectangle ball) {
    return {{
        {.name = "shpPosuvnik",
         .kind = ShapeKind::Rectangle,
         .rect = paddle,
         .border = 0x00C0FFC0u,
         .fill = 0x0000FF00u},
        {.name = "shpKulicka",
         .kind = ShapeKind::Circle,
         .rect = ball,
         .border = 0x000000FFu,
         .fill = 0x00FFFFFFu},
    }};
}

constexpr std::array<TimerLayout, 3> levelTimers(std::int32_t gameTickMs) {
    return {{
        {.name = "tmrHra", .intervalMs = gameTickMs},
        {.name = "tmrMezihra", .intervalMs = 1000},
        {.name = "tmrZivot", .intervalMs = 1000},
    }};
}

constexpr auto kLabels1 = levelLabels({2085, 2550, 825, 195}, {2310, 2670, 195, 345});
constexpr auto kLabels2 = levelLabels({2010, 2550, 795, 195}, {2220, 2670, 225, 345});
constexpr auto kLabels3 = levelLabels({2070, 2550, 795, 195}, {2250, 2700, 225, 375});

constexpr auto kShapes1 = levelShapes({1650, 4140, 1500, 90}, {2250, 2231, 300, 165});
constexpr auto kShapes2 = levelShapes({1620, 4144, 1505, 90}, {240, 2280, 300, 165});
constexpr auto kShapes3 = levelShapes({1590, 4144, 1505, 90}, {2250, 2231, 300, 165});

constexpr auto kTimers1 = levelTimers(50);
constexpr auto kTimers2 = levelTimers(75);
constexpr auto kTimers3 = levelTimers(1);

constexpr ui::WindowLayout levelWindow(std::string_view name, std::string_view caption,
                                       const ui::PictureAsset& picture) {
    return {.name = name,
            .caption = caption,
            .clientWidthTwips = ui::kGameClientWidthTwips,
            .clientHeightTwips = ui::kGameClientHeightTwips,
            .background = ui::kTooltipBackground,
            .picture = &picture,
            .scaleMode = ui::ScaleMode::Playfield,
            .keysToWindowFirst = true,
            .menu = kLevelMenu};
}

const ui::ScreenLayout kLevels[kLevelCount] = {
    {.window = levelWindow("frmLevel1", "Kostkolam - Level 1", ui::kLevel1Background),
     .bricks = kGridBricks,
     .shapes = kShapes1,
     .labels = kLabels1,
     .timers = kTimers1},
    {.window = levelWindow("frmLevel2", "Kostkolam - Level 2", ui::kLevel2Background),
     .bricks = kHourglassBricks,
     .shapes = kShapes2,
     .labels = kLabels2,
     .timers = kTimers2},
    {.window = levelWindow("frmLevel3", "Kostkolam - Level 3", ui::kLevel3Background),
     .bricks = kCheckerboardBricks,
     .shapes = kShapes3,
     .labels = kLabels3,
     .timers = kTimers3},
};

}  // namespace

const ui::ScreenLayout& levelLayout(int level) {
    return kLevels[level - 1];
}

}  // namespace kostkolam::level
