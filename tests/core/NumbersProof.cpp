// numbers_proof: the long run of the number texts' comparison with std::to_chars /
// std::from_chars, run by hand (minutes to hours); NumbersTest runs the same checks on a sample.
//
//   numbers_proof all-floats            every one of the 2^32 float bit patterns
//   numbers_proof floats FROM TO        every float whose bits are in [FROM, TO) (hex)
//   numbers_proof random-doubles N      N doubles of random bits
//   numbers_proof halfway N             N float and N double midpoints, exactly and just above
//   numbers_proof texts N               N random decimal texts and N random odd texts
//
// Prints the checks made, the disagreements (the first few in full) and the time taken; exits 1
// on any disagreement.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "NumberAgreement.h"

namespace {

using kostkolam::numbers_check::Tally;

void floats(std::uint64_t from, std::uint64_t to, Tally& tally) {
    for (std::uint64_t bits = from; bits < to; ++bits) {
        kostkolam::numbers_check::compareValue(kostkolam::numbers_check::fromBits<float>(bits),
                                               tally);
    }
}

int usage() {
    std::fprintf(
        stderr,
        "usage: numbers_proof all-floats | floats FROM TO | random-doubles N | halfway N | "
        "texts N\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string_view mode = argv[1];
    const std::uint64_t count = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 0;
    const auto start = std::chrono::steady_clock::now();
    Tally tally;
    if (mode == "all-floats") {
        floats(0, std::uint64_t(1) << 32, tally);
    } else if (mode == "floats" && argc == 4) {
        floats(std::strtoull(argv[2], nullptr, 16), std::strtoull(argv[3], nullptr, 16), tally);
    } else if (mode == "random-doubles" && count > 0) {
        kostkolam::numbers_check::randomBitPatterns<double>(count, 20, tally);
    } else if (mode == "halfway" && count > 0) {
        kostkolam::numbers_check::halfwayCases<float>(count, 21, tally);
        kostkolam::numbers_check::halfwayCases<double>(count, 22, tally);
    } else if (mode == "texts" && count > 0) {
        kostkolam::numbers_check::randomDecimalTexts(count, 23, tally);
        kostkolam::numbers_check::randomOddTexts(count, 24, tally);
    } else {
        return usage();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %llu checks, %llu disagreements, %.1f s\n%s", std::string(mode).c_str(),
                (unsigned long long)tally.checks, (unsigned long long)tally.mismatches, seconds,
                tally.firstMismatches.c_str());
    return tally.mismatches == 0 ? 0 : 1;
}
