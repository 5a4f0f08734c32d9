// A thousand games in a row and ten thousand walks through every screen, on both window systems:
// nothing of a finished game or an unloaded screen may stay behind, and the memory the process
// holds after many rounds is what it held after the first few.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "GameDriver.h"
#include "HeadlessDriver.h"
#include "ProcessMemory.h"

#if defined(KOSTKOLAM_RELIABILITY_QT)
#include "QtDriver.h"
#endif

namespace kostkolam::reliability {
namespace {

constexpr int kGames = 1'000;
constexpr int kGamesBeforeBaseline = 100;
constexpr int kScreenRounds = 10'000;
constexpr int kScreenRoundsBeforeBaseline = 1'000;
/// Every tenth game opens the help box at its game over.
constexpr int kHelpEveryGames = 10;

/// How much the resident set may grow between the early and the late point.
constexpr std::size_t kResidentSlackBytes = 1024 * 1024;
/// How much more heap may be in use at the late point. A game or a round that left 300 bytes
/// behind would pass it within the 900 games or 9,000 rounds in between; the toolkit's own caches
/// settle well inside it.
constexpr std::size_t kHeapSlackBytes = 256 * 1024;

struct Backend {
    const char* name;
    std::function<std::unique_ptr<GameDriver>()> make;
};

/// What the process holds at one point of a long run.
struct Census {
    std::size_t residentBytes = 0;
    std::size_t heapBytes = 0;
    std::size_t objects = 0;
};

Census takeCensus(GameDriver& driver) {
    driver.settle();
    driver.dropCaches();
    releaseFreeMemory();
    return {residentBytes(), liveHeapBytes(), driver.objectCount()};
}

void expectNoGrowth(const Census& early, const Census& late) {
    ::testing::Test::RecordProperty("resident_kib_early",
                                    std::to_string(early.residentBytes / 1024));
    ::testing::Test::RecordProperty("resident_kib_late", std::to_string(late.residentBytes / 1024));
    ::testing::Test::RecordProperty("heap_bytes_early", std::to_string(early.heapBytes));
    ::testing::Test::RecordProperty("heap_bytes_late", std::to_string(late.heapBytes));
    ::testing::Test::RecordProperty("objects", std::to_string(late.objects));
    EXPECT_EQ(late.objects, early.objects) << "objects of the window system";
    EXPECT_LE(late.heapBytes, early.heapBytes + kHeapSlackBytes)
        << "heap in use grew from " << early.heapBytes << " to " << late.heapBytes << " bytes";
    // The sanitizer's quarantine of freed blocks makes the resident set meaningless; its leak
    // check at exit and the heap count above still hold there.
    if (!kUnderAddressSanitizer) {
        EXPECT_LE(late.residentBytes, early.residentBytes + kResidentSlackBytes)
            << "resident set grew from " << early.residentBytes / 1024 << " KiB to "
            << late.residentBytes / 1024 << " KiB";
    }
}

void PrintTo(const Backend& backend, std::ostream* out) {
    *out << backend.name;
}

class LongRun : public ::testing::TestWithParam<Backend> {};

TEST_P(LongRun, ThousandGamesInARow) {
    const auto driver = GetParam().make();
    ASSERT_TRUE(driver->quiet()) << "before the run";
    flow::Game& game = driver->game();
    game.start();
    driver->chooseMenu(ScreenId::frmCihlolam, "mnuNovahra");

    Census early;
    for (int played = 1; played <= kGames; ++played) {
        SCOPED_TRACE("game " + std::to_string(played));
        // Four kinds of game in turn: lost on level 1, 2 or 3, or won by clearing level 3.
        ASSERT_NO_FATAL_FAILURE(playGame(*driver, (played - 1) % 4, played % kHelpEveryGames == 0));
        driver->clickButton(ScreenId::frmKonec, "cmdNovahra");
        for (const ScreenId id : flow::kAllScreens) {
            ASSERT_EQ(game.state(id),
                      id == ScreenId::frmLevel1 ? LoadState::Shown : LoadState::Unloaded)
                << table::screenName(id);
        }
        driver->settle();
        ASSERT_TRUE(driver->holdsOnlyLoadedScreens());
        if (played == kGamesBeforeBaseline) {
            early = takeCensus(*driver);
        }
    }
    RecordProperty("game_minutes", std::to_string(driver->gameTimeMs() / 60'000));
    EXPECT_EQ(driver->helpBoxesShown(), kGames / kHelpEveryGames);
    expectNoGrowth(early, takeCensus(*driver));
    EXPECT_FALSE(game.ended());
    EXPECT_TRUE(driver->quiet());
}

TEST_P(LongRun, EveryScreenTenThousandTimes) {
    const auto driver = GetParam().make();
    ASSERT_TRUE(driver->quiet()) << "before the run";
    driver->game().start();

    Census early;
    for (int round = 1; round <= kScreenRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_NO_FATAL_FAILURE(visitEveryScreen(*driver));
        driver->settle();
        ASSERT_TRUE(driver->holdsOnlyLoadedScreens());
        if (round == kScreenRoundsBeforeBaseline) {
            early = takeCensus(*driver);
        }
    }
    expectNoGrowth(early, takeCensus(*driver));
    EXPECT_TRUE(driver->quiet());
}

const Backend kBackends[] = {
    {"Headless", [] { return std::make_unique<HeadlessDriver>(); }},
#if defined(KOSTKOLAM_RELIABILITY_QT)
    {"Qt", [] { return std::make_unique<QtDriver>(); }},
#endif
};

INSTANTIATE_TEST_SUITE_P(Backends, LongRun, ::testing::ValuesIn(kBackends),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace kostkolam::reliability
