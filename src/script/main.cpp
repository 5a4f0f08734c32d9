// kostkolam-script: plays a scenario from a file or standard input against the headless game.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "scenario/ScenarioInput.h"
#include "script/FileOutput.h"
#include "script/ScriptRunner.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: kostkolam-script [FILE]\n"
    "Plays a Kostkolam scenario against the game without windows, under a virtual clock, and\n"
    "prints what the scenario asks for. The scenario is read from FILE, or from standard input\n"
    "when FILE is missing or '-'.\n"
    "\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "Exit status: 0 at the end of the scenario; 1 when the output could not be written; 2 for an\n"
    "error in the scenario (one line on standard error) or on the command line.\n"
    "The commands are described in the manual page kostkolam-script(1).\n";

int usageError(const std::string& problem) {
    std::cerr << "kostkolam-script: " << problem << '\n' << kUsage;
    return 2;
}

/// Prints one of the command line's own answers; lost output is an error there too.
int answer(std::string_view text, kostkolam::script::FileOutput& buffer) {
    std::ostream out(&buffer);
    out << text;
    out.flush();
    if (!out) {
        std::cerr << "error: cannot write output: " << buffer.failure() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kostkolam::script;
    using kostkolam::scenario::FileSource;
    using kostkolam::scenario::quoteWord;
    std::ios::sync_with_stdio(false);
    // A reader that went away is lost output, reported as such, not a silent death by signal.
    std::signal(SIGPIPE, SIG_IGN);
    FileOutput standardOutput(STDOUT_FILENO);

    std::optional<std::string_view> file;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (options && argument == "--") {
            options = false;
        } else if (options && argument == "--help") {
            return answer(kUsage, standardOutput);
        } else if (options && argument == "--version") {
            return answer("kostkolam-script " KOSTKOLAM_VERSION "\n", standardOutput);
        } else if (options && argument.size() > 1 && argument.front() == '-') {
            return usageError("unknown option " + quoteWord(argument));
        } else if (file) {
            return usageError("more than one FILE");
        } else {
            file = argument;
        }
    }

    int fd = STDIN_FILENO;
    if (file && *file != "-") {
        const std::string path(*file);
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::cerr << "error: line 1: cannot read input: " << std::strerror(errno) << '\n';
            return 2;
        }
    }
    FileSource input(fd);
    std::ostream out(&standardOutput);
    ScriptRunner runner(out);
    runner.setWriteFailureReason([&standardOutput] { return standardOutput.failure(); });
    return runner.run(input, std::cerr);
}
