#include "ui/ScreenLayouts.h"

#include "ui/Pictures.h"

namespace kostkolam::ui {

namespace {

constexpr MenuItemLayout kTitleMenu[] = {
    {.name = "mnuHra", .caption = "&Hra"},
    {.name = "mnuNovahra", .caption = "Nová hra", .shortcut = Shortcut::F2, .depth = 1},
    {.name = "mnuHrapomlka", .caption = "-", .depth = 1},
    {.name = "mnuKonec", .caption = "Konec", .shortcut = Shortcut::F4, .depth = 1},
    {.name = "mnuHelp", .caption = "H&elp"},
    {.name = "mnuNapoveda", .caption = "Nápověda", .shortcut = Shortcut::F1, .depth = 1},
};

constexpr FontSpec kLargeFont{.face = kStoredFontFace, .sizePt = 13.5f, .weight = 400};
constexpr FontSpec kVerdictFont{.face = kStoredFontFace, .sizePt = 9.75f, .weight = 700};

constexpr LabelLayout kEndLabels[] = {
    {.name = "lblLevel",
     .caption = "Skončil jsi v:",
     .rect = {0, 0, 1545, 375},
     .alignment = Alignment::Left,
     .font = kLargeFont},
    {.name = "lblLev",
     .caption = "level",
     .rect = {2190, 0, 1065, 360},
     .background = kLightOrange,
     .alignment = Alignment::Right,
     .font = kLargeFont,
     .announced = true,
     .namedBy = "lblLevel"},
    {.name = "lblSkore",
     .caption = "Dosažené skóre:",
     .rect = {0, 300, 2115, 360},
     .alignment = Alignment::Left,
     .font = kLargeFont},
    {.name = "lblSko",
     .caption = "",
     .rect = {2805, 270, 450, 360},
     .background = kLightRed,
     .alignment = Alignment::Right,
     .font = kLargeFont,
     .announced = true,
     .namedBy = "lblSkore"},
    {.name = "lblhlaska",
     .caption = "Hláška",
     .rect = {105, 780, 3675, 600},
     .textColour = 0x0000C000u,
     .alignment = Alignment::Centre,
     .font = kVerdictFont,
     .announced = true},
};

constexpr ButtonLayout kEndButtons[] = {
    {.name = "cmdNovahra", .caption = "Nová hra", .rect = {540, 1440, 1275, 375}, .tabIndex = 0},
    {.name = "cmdKonec", .caption = "Konec", .rect = {2220, 1440, 1275, 375}, .tabIndex = 1},
};

}  // namespace

const ScreenLayout kTitleLayout{
    .window = {.name = "frmCihlolam",
               .caption = "Kostkolam - the game",
               .clientWidthTwips = kGameClientWidthTwips,
               .clientHeightTwips = kGameClientHeightTwips,
               .picture = &kTitleBackground,
               .scaleMode = ScaleMode::Pixels,
               .menu = kTitleMenu},
};

const ScreenLayout kEndLayout{
    .window = {.name = "frmKonec",
               .caption = "Kostkolam - End game",
               .clientWidthTwips = 3870,
               .clientHeightTwips = 1950,
               .scaleMode = ScaleMode::Twips},
    .labels = kEndLabels,
    .buttons = kEndButtons,
};

}  // namespace kostkolam::ui
