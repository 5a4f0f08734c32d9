#pragma once

#include <array>

namespace kostkolam::flow {

/// The five screens of the game, each a single program-wide instance.
enum class ScreenId : int { frmCihlolam, frmLevel1, frmLevel2, frmLevel3, frmKonec };

inline constexpr int kScreenCount = 5;

inline constexpr std::array<ScreenId, kScreenCount> kAllScreens = {
    ScreenId::frmCihlolam, ScreenId::frmLevel1, ScreenId::frmLevel2, ScreenId::frmLevel3,
    ScreenId::frmKonec};

inline constexpr std::array<ScreenId, 3> kLevelScreens = {ScreenId::frmLevel1, ScreenId::frmLevel2,
                                                          ScreenId::frmLevel3};

/// 1, 2 or 3 for a level screen, 0 for the title and end screens.
constexpr int levelNumber(ScreenId id) {
    switch (id) {
        case ScreenId::frmLevel1:
            return 1;
        case ScreenId::frmLevel2:
            return 2;
        case ScreenId::frmLevel3:
            return 3;
        default:
            return 0;
    }
}

constexpr ScreenId levelScreen(int level) {
    return level == 1 ? ScreenId::frmLevel1
                      : (level == 2 ? ScreenId::frmLevel2 : ScreenId::frmLevel3);
}

}  // namespace kostkolam::flow
