#pragma once

// The five pictures the game shows, built into the program as resources.

#include "ui/Layout.h"

namespace kostkolam::ui {

inline constexpr PictureAsset kBrickPicture{.name = "brick",
                                            .format = PictureFormat::Bmp,
                                            .widthPx = 64,
                                            .heightPx = 50,
                                            .depthBits = 8,
                                            .resource = ":/pictures/brick.bmp"};

inline constexpr PictureAsset kTitleBackground{.name = "title background",
                                               .format = PictureFormat::Jpeg,
                                               .widthPx = 325,
                                               .heightPx = 300,
                                               .depthBits = 24,
                                               .resource = ":/pictures/bg_title_rocket.jpg"};

inline constexpr PictureAsset kLevel1Background{.name = "level 1 background",
                                                .format = PictureFormat::Jpeg,
                                                .widthPx = 325,
                                                .heightPx = 300,
                                                .depthBits = 24,
                                                .resource = ":/pictures/bg_level1_coffee.jpg"};

inline constexpr PictureAsset kLevel2Background{.name = "level 2 background",
                                                .format = PictureFormat::Jpeg,
                                                .widthPx = 325,
                                                .heightPx = 300,
                                                .depthBits = 24,
                                                .resource = ":/pictures/bg_level2_chelsea.jpg"};

inline constexpr PictureAsset kLevel3Background{.name = "level 3 background",
                                                .format = PictureFormat::Jpeg,
                                                .widthPx = 325,
                                                .heightPx = 300,
                                                .depthBits = 24,
                                                .resource = ":/pictures/bg_level3_dandelions.jpg"};

}  // namespace kostkolam::ui
