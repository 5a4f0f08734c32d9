// kostkolam-fuzz-events: plays random games from many seeds and reports what it covered, or the
// first broken guarantee with its seed and a scenario that shows it again.
//
//   kostkolam-fuzz-events [FIRST_SEED [SEEDS [EVENTS_PER_SEED]]]

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "fuzz/EventFuzzer.h"

int main(int argc, char** argv) {
    using namespace kostkolam::fuzz;
    const std::uint64_t first = argc > 1 ? std::stoull(argv[1]) : 1;
    const std::uint64_t seeds = argc > 2 ? std::stoull(argv[2]) : 100;
    const std::uint64_t perSeed = argc > 3 ? std::stoull(argv[3]) : 100'000;

    Coverage total;
    std::uint64_t events = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t seed = first; seed < first + seeds; ++seed) {
        const FuzzResult result = fuzz(seed, perSeed);
        events += result.events;
        total.commands += result.coverage.commands;
        total.ticks += result.coverage.ticks;
        total.games += result.coverage.games;
        total.gameOvers += result.coverage.gameOvers;
        total.helpBoxes += result.coverage.helpBoxes;
        for (int i = 0; i < kostkolam::level::kLevelCount; ++i) {
            total.levelsReached[i] += result.coverage.levelsReached[i];
        }
        if (result.violation) {
            std::cout << "seed " << seed << ": " << result.violation->invariant << " ("
                      << result.violation->detail << ")\nscenario:\n";
            for (const std::string& line : minimise(result.script, result.violation->invariant)) {
                std::cout << line << '\n';
            }
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "seeds " << first << ".." << first + seeds - 1 << ": " << events << " events ("
              << total.commands << " commands, " << total.ticks << " timer ticks) in "
              << total.games << " program runs, " << seconds << " s\n"
              << "commands after which level 1/2/3 was shown: " << total.levelsReached[0] << " / "
              << total.levelsReached[1] << " / " << total.levelsReached[2]
              << "; with the end screen shown: " << total.gameOvers
              << "; help boxes: " << total.helpBoxes << "\nno guarantee broken\n";
    return 0;
}
