// The stored layouts and their conversion to each screen's own units.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "flow/ScreenId.h"
#include "level/LevelLayouts.h"
#include "table/ScreenTable.h"
#include "ui/Screen.h"
#include "ui/ScreenLayouts.h"

namespace kostkolam {
namespace {

using level::kBrickCount;
using level::levelLayout;

double rounded3(float v) {
    return std::round(double(v) * 1000.0) / 1000.0;
}

struct MovingObject {
    int level;
    const char* name;
    double left, top, width, height;
};

// The moving objects in playfield units, to three decimals.
constexpr MovingObject kMovingObjects[] = {
    {1, "shpPosuvnik", 27.415, 129.882, 24.923, 2.824},
    {2, "shpPosuvnik", 26.917, 130.008, 25.006, 2.824},
    {3, "shpPosuvnik", 26.418, 130.008, 25.006, 2.824},
    {1, "shpKulicka", 37.384, 69.992, 4.985, 5.176},
    {3, "shpKulicka", 37.384, 69.992, 4.985, 5.176},
    {2, "shpKulicka", 3.988, 71.529, 4.985, 5.176},
};

TEST(LevelLayout, MovingObjectsConvertToPlayfieldUnits) {
    for (const MovingObject& expected : kMovingObjects) {
        SCOPED_TRACE(std::string(expected.name) + " on level " + std::to_string(expected.level));
        ui::Screen screen(levelLayout(expected.level), 0);
        const ui::Shape& shape = screen.shape(expected.name);
        EXPECT_DOUBLE_EQ(rounded3(shape.left()), expected.left);
        EXPECT_DOUBLE_EQ(rounded3(shape.top()), expected.top);
        EXPECT_DOUBLE_EQ(rounded3(shape.width()), expected.width);
        EXPECT_DOUBLE_EQ(rounded3(shape.height()), expected.height);
    }
}

TEST(LevelLayout, ClientAreaAndBricksInPlayfieldUnits) {
    for (int n = 1; n <= level::kLevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        ui::Screen screen(levelLayout(n), 0);
        EXPECT_EQ(screen.scaleWidth(), 81.498f);
        EXPECT_EQ(screen.scaleHeight(), 136.0f);
        for (const ui::Button& brick : screen.bricks()) {
            EXPECT_DOUBLE_EQ(rounded3(brick.width()), 11.963);
            EXPECT_EQ(brick.height(), 8.0f);
        }
    }
}

TEST(LevelLayout, BricksAreThirtyFiveInIndexOrderWithOnePicture) {
    for (int n = 1; n <= level::kLevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const auto& bricks = levelLayout(n).bricks;
        ASSERT_EQ(bricks.size(), std::size_t(kBrickCount));
        for (int i = 0; i < kBrickCount; ++i) {
            const ui::ButtonLayout& b = bricks[std::size_t(i)];
            EXPECT_EQ(b.name, "cmdBod");
            EXPECT_EQ(b.arrayIndex, i);
            EXPECT_EQ(b.rect.width, 720);
            EXPECT_EQ(b.rect.height, 255);
            EXPECT_EQ(b.picture, bricks[0].picture);
            EXPECT_NE(b.picture, nullptr);
            EXPECT_FALSE(b.tabStop);
            EXPECT_TRUE(b.caption.empty());
        }
    }
}

TEST(LevelLayout, NoTwoBricksOfOneRowOverlap) {
    for (int n = 1; n <= level::kLevelCount; ++n) {
        SCOPED_TRACE("level " + std::to_string(n));
        const auto& bricks = levelLayout(n).bricks;
        for (const auto& a : bricks) {
            for (const auto& b : bricks) {
                if (&a == &b || a.rect.top != b.rect.top) {
                    continue;
                }
                const bool apart = a.rect.left + a.rect.width <= b.rect.left ||
                                   b.rect.left + b.rect.width <= a.rect.left;
                EXPECT_TRUE(apart) << "bricks " << a.arrayIndex << " and " << b.arrayIndex;
            }
        }
    }
}

TEST(LevelLayout, LevelOneIsAGridOfSevenByFive) {
    const auto& bricks = levelLayout(1).bricks;
    for (int i = 0; i < kBrickCount; ++i) {
        EXPECT_EQ(bricks[std::size_t(i)].rect.left, 720 * (i % 7)) << i;
        EXPECT_EQ(bricks[std::size_t(i)].rect.top, 240 * (i / 7)) << i;
    }
}

TEST(LevelLayout, LevelTwoIsAnHourglassOfNineCentredRows) {
    const auto& bricks = levelLayout(2).bricks;
    std::map<int, std::pair<int, int>> rows;  // Top -> leftmost Left, rightmost right edge
    for (const auto& b : bricks) {
        auto [it, fresh] = rows.try_emplace(b.rect.top, b.rect.left, b.rect.left + b.rect.width);
        it->second.first = std::min(it->second.first, int(b.rect.left));
        it->second.second = std::max(it->second.second, b.rect.left + b.rect.width);
    }
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows.begin()->first, -30);
    for (const auto& [top, span] : rows) {
        const double middle = (span.first + span.second) / 2.0;
        EXPECT_LE(std::abs(middle - 4905 / 2.0), 40.0) << "row at " << top;
    }
    EXPECT_EQ(bricks[14].rect.left, 2070);
    EXPECT_EQ(bricks[14].rect.top, 930);
    EXPECT_EQ(bricks[24].rect.top, -30);
}

TEST(LevelLayout, LevelThreeKeepsLevelOnesTopRows) {
    const auto& first = levelLayout(1).bricks;
    const auto& third = levelLayout(3).bricks;
    for (std::size_t i = 0; i < 14; ++i) {
        EXPECT_EQ(third[i].rect.left, first[i].rect.left) << i;
        EXPECT_EQ(third[i].rect.top, first[i].rect.top) << i;
    }
    // The rightmost brick of the checkerboard reaches past the client edge.
    ui::Screen screen(levelLayout(3), 0);
    const ui::Button& last = screen.bricks()[34];
    EXPECT_DOUBLE_EQ(rounded3(last.left() + last.width()), 83.243);
    EXPECT_GT(last.left() + last.width(), screen.scaleWidth());
}

TEST(LevelLayout, StatusLabelsEndOnTheBottomEdge) {
    for (int n = 1; n <= level::kLevelCount; ++n) {
        ui::Screen screen(levelLayout(n), 0);
        for (const char* name : {"lblZivot", "lblZiv", "lblSkore", "lblSko"}) {
            const ui::Label& label = screen.label(name);
            EXPECT_EQ(label.top() + label.height(), 136.0f) << name << " on level " << n;
            EXPECT_TRUE(label.visible());
        }
        EXPECT_FALSE(screen.label("lblHra").visible());
        EXPECT_FALSE(screen.label("lblOdpocet").visible());
        for (const ui::Timer& timer : screen.timers()) {
            EXPECT_FALSE(timer.enabled());
        }
    }
}

struct TimerInterval {
    int level;
    const char* name;
    int intervalMs;
};

TEST(LevelLayout, TimerIntervals) {
    constexpr TimerInterval kIntervals[] = {
        {1, "tmrHra", 50},       {2, "tmrHra", 75},     {3, "tmrHra", 1},
        {1, "tmrMezihra", 1000}, {2, "tmrZivot", 1000}, {3, "tmrMezihra", 1000},
    };
    for (const TimerInterval& t : kIntervals) {
        ui::Screen screen(levelLayout(t.level), 0);
        EXPECT_EQ(screen.timer(t.name).interval(), t.intervalMs) << t.name << " " << t.level;
    }
}

TEST(ScreenLayout, ClientAreasInEachScreensUnits) {
    struct Expected {
        flow::ScreenId id;
        float width, height;
    };
    constexpr Expected kScreens[] = {
        {flow::ScreenId::frmCihlolam, 327, 289},
        {flow::ScreenId::frmLevel2, 81.498f, 136},
        {flow::ScreenId::frmKonec, 3870, 1950},
    };
    for (const Expected& e : kScreens) {
        ui::Screen screen(table::screenLayout(e.id), 0);
        EXPECT_EQ(screen.scaleWidth(), e.width) << screen.name();
        EXPECT_EQ(screen.scaleHeight(), e.height) << screen.name();
    }
}

TEST(ScreenLayout, NamesResolveToTheirObjects) {
    ui::Screen level(levelLayout(1), 0);
    EXPECT_EQ(level.find("cmdBod(0)"), (ui::ObjectRef{ui::ObjectKind::Brick, 0}));
    EXPECT_EQ(level.find("cmdBod(34)"), (ui::ObjectRef{ui::ObjectKind::Brick, 34}));
    EXPECT_EQ(level.find("cmdBod(35)"), std::nullopt);
    EXPECT_EQ(level.find("cmdBod(07)"), std::nullopt);
    EXPECT_EQ(level.find("cmdBod"), std::nullopt);
    EXPECT_EQ(level.find("mnuNovahra"), std::nullopt);  // the level menu spells it mnuNovaHra
    EXPECT_EQ(level.find("mnuNovaHra")->kind, ui::ObjectKind::MenuItem);
    EXPECT_EQ(level.find("tmrZivot")->kind, ui::ObjectKind::Timer);
    EXPECT_EQ(ui::objectName(level, {ui::ObjectKind::Brick, 7}), "cmdBod(7)");

    ui::Screen end(ui::kEndLayout, 0);
    EXPECT_EQ(end.find("cmdKonec"), (ui::ObjectRef{ui::ObjectKind::Button, 1}));
    EXPECT_EQ(end.label("lblhlaska").caption(), "Hláška");
    EXPECT_EQ(end.label("lblSko").caption(), "");
}

}  // namespace
}  // namespace kostkolam
