#pragma once

// Runs the built kostkolam-script as its own process, the way a shell would, so that the tests see
// exactly what a user sees: its exit status, both output streams, and how much memory it held.

#include <functional>
#include <string>
#include <vector>

namespace kostkolam::script::test {

enum class Output {
    Captured,   ///< a file the test reads back
    DevFull,    ///< /dev/full: every write fails with "No space left on device"
    Closed,     ///< no standard output at all
    ClosedPipe  ///< a pipe whose reading end is already closed
};

struct RunnerRun {
    std::vector<std::string> arguments;
    /// Standard input, from a file holding these bytes, unless `inputPath` or `feed` is set.
    std::string input;
    std::string inputPath;
    /// Writes standard input into a pipe, on a thread of its own; a write fails once the runner
    /// has stopped reading and gone.
    std::function<void(int fd)> feed;
    Output output = Output::Captured;
};

struct RunnerResult {
    int status = -1;  ///< the exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
    long peakResidentKb = 0;
};

RunnerResult runRunner(const RunnerRun& run);

/// Writes `bytes` to `fd` until all are written or a write fails.
bool writeAll(int fd, const char* bytes, std::size_t size);

}  // namespace kostkolam::script::test
