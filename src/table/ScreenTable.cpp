#include "table/ScreenTable.h"

#include "level/Level.h"
#include "level/LevelLayouts.h"
#include "screens/EndScreen.h"
#include "screens/TitleScreen.h"
#include "ui/ScreenLayouts.h"

namespace kostkolam::table {

namespace {

using flow::ScreenId;

template <int Number>
std::unique_ptr<ui::ScreenLogic> makeLevel(flow::ScreenFlow& flow, flow::Module1& module1,
                                           ui::Screen& screen) {
    return std::make_unique<level::Level>(flow, module1, screen, Number);
}

std::unique_ptr<ui::ScreenLogic> makeTitle(flow::ScreenFlow& flow, flow::Module1& /*module1*/,
                                           ui::Screen& screen) {
    return std::make_unique<screens::TitleScreen>(flow, screen);
}

std::unique_ptr<ui::ScreenLogic> makeEnd(flow::ScreenFlow& flow, flow::Module1& /*module1*/,
                                         ui::Screen& screen) {
    return std::make_unique<screens::EndScreen>(flow, screen);
}

}  // namespace

const flow::ScreenTable& screens() {
    static const flow::ScreenTable table = {{
        {&ui::kTitleLayout, &makeTitle},
        {&level::levelLayout(1), &makeLevel<1>},
        {&level::levelLayout(2), &makeLevel<2>},
        {&level::levelLayout(3), &makeLevel<3>},
        {&ui::kEndLayout, &makeEnd},
    }};
    return table;
}

std::string_view screenName(ScreenId id) {
    return screenLayout(id).window.name;
}

std::optional<ScreenId> screenByName(std::string_view name) {
    for (ScreenId id : flow::kAllScreens) {
        if (screenName(id) == name) {
            return id;
        }
    }
    return std::nullopt;
}

const ui::ScreenLayout& screenLayout(ScreenId id) {
    return *screens()[std::size_t(id)].layout;
}

}  // namespace kostkolam::table
