#pragma once

#include "ui/WindowSystem.h"

namespace kostkolam::screens {

/// The game's help, shown by "Nápověda" on the title screen and on every level screen.
inline constexpr ui::MessageBox kHelpBox{
    .title = "Nápověda",
    .text =
        "Cílem hry je neztratit kuličku z pole. Posuvníkem se pohybujete pomocí kláves A a "
        "D. Pokud kuličku nezachytíte, odečítá se -30 bodů. Za jednu sraženou kostičku "
        "získáváte 10 bodů. Hodně štěstí...",
    .icon = ui::MessageIcon::Information};

}  // namespace kostkolam::screens
