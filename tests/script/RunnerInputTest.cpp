// kostkolam-script against input that is not a script, output that cannot be written and its
// command line, run as a process of its own.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "RunnerProcess.h"
#include "scenario/ScenarioInput.h"

namespace kostkolam::script::test {
namespace {

using scenario::kLongestLineBytes;

const std::string kTitleOnly =
    "frmCihlolam=shown frmLevel1=unloaded frmLevel2=unloaded frmLevel3=unloaded "
    "frmKonec=unloaded active=frmCihlolam\n";

RunnerResult runInput(const std::string& input) {
    RunnerRun run;
    run.input = input;
    return runRunner(run);
}

/// Feeds `total` bytes made of `pattern` repeated, then stops; the runner may leave long before.
std::function<void(int)> feedRepeated(std::string pattern, std::size_t total) {
    return [pattern = std::move(pattern), total](int fd) {
        std::string chunk;
        while (chunk.size() < 65'536) {
            chunk += pattern;
        }
        for (std::size_t sent = 0; sent < total; sent += chunk.size()) {
            if (!writeAll(fd, chunk.data(), std::min(chunk.size(), total - sent))) {
                return;
            }
        }
    };
}

// ---- Limits: no input makes the runner hold more than one line ----

TEST(RunnerLimits, LineOfTheLongestLengthRunsOneByteMoreDoesNot) {
    const std::string longest(kLongestLineBytes - 2, 'x');
    // A comment of exactly the longest length, also with a carriage return before its line feed.
    EXPECT_EQ(runInput("# " + longest + "\nscreens\n").out, kTitleOnly);
    EXPECT_EQ(runInput("# " + longest + "\r\nscreens\n").status, 0);
    EXPECT_EQ(runInput("screens\n# " + longest).out, kTitleOnly);

    const RunnerResult tooLong = runInput("screens\n# " + longest + "x\nscreens\n");
    EXPECT_EQ(tooLong.status, 2);
    EXPECT_EQ(tooLong.out, kTitleOnly);
    EXPECT_EQ(tooLong.err, "error: line 2: line too long\n");
    // A carriage return that does not end the line counts as one of its bytes.
    EXPECT_EQ(runInput("# " + longest + "\rx\n").err, "error: line 1: line too long\n");

    // A caption of the longest line is kept whole.
    const std::string set = "set frmLevel1 lblHra Caption ";
    const std::string text(kLongestLineBytes - set.size(), 'c');
    const RunnerResult caption =
        runInput("menu frmCihlolam mnuNovahra\n" + set + text + "\nget frmLevel1 lblHra Caption\n");
    EXPECT_EQ(caption.status, 0);
    EXPECT_EQ(caption.out, "frmLevel1.lblHra.Caption=\"" + text + "\"\n");
}

struct BoundedCase {
    const char* name;
    std::string pattern;
    std::size_t totalBytes;
    std::string err;
    int status;
    std::size_t outBytes;
};

void PrintTo(const BoundedCase& c, std::ostream* os) {
    *os << c.name;
}

class RunnerMemory : public testing::TestWithParam<BoundedCase> {};

// Endless or huge input ends in an error, or runs, with the runner's memory no larger than for a
// one-line scenario give or take a few buffers.
TEST_P(RunnerMemory, StaysBounded) {
    const BoundedCase& c = GetParam();
    const RunnerResult small = runInput("screens\n");

    RunnerRun run;
    run.feed = feedRepeated(c.pattern, c.totalBytes);
    run.output = Output::Captured;
    const RunnerResult big = runRunner(run);
    EXPECT_EQ(big.status, c.status);
    EXPECT_EQ(big.err, c.err);
    EXPECT_EQ(big.out.size(), c.outBytes);
    constexpr long kSlackKb = 4096;
    EXPECT_LT(big.peakResidentKb, small.peakResidentKb + kSlackKb)
        << c.name << ": " << big.peakResidentKb << " kB against " << small.peakResidentKb;
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, RunnerMemory,
    testing::Values(
        // The bytes of /dev/zero: a NUL at once.
        BoundedCase{"zeros", std::string(1, '\0'), std::size_t(1) << 30,
                    "error: line 1: NUL byte \\x00 at column 1\n", 2, 0},
        // One line of a gigabyte.
        BoundedCase{"gigabyte_line", "a", std::size_t(1) << 30, "error: line 1: line too long\n", 2,
                    0},
        // A million lines that each print, every one of them run.
        BoundedCase{"million_lines", "get Module1 Index\n", std::size_t(18) * 1'000'000, "", 0,
                    std::size_t(16) * 1'000'000}),
    [](const testing::TestParamInfo<BoundedCase>& info) { return info.param.name; });

// ---- Bad bytes: the first one is named with its column ----

struct BadBytesCase {
    const char* name;
    std::string input;
    std::string err;
};

void PrintTo(const BadBytesCase& c, std::ostream* os) {
    *os << c.name;
}

class RunnerBadBytes : public testing::TestWithParam<BadBytesCase> {};

TEST_P(RunnerBadBytes, NamesTheFirstBadByte) {
    const BadBytesCase& c = GetParam();
    // The line before runs; the bad line stops the runner before anything of it runs.
    const RunnerResult result = runInput("screens\n" + c.input + "\nscreens\n");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, kTitleOnly);
    EXPECT_EQ(result.err, c.err);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Lines, RunnerBadBytes,
    testing::Values(
        BadBytesCase{"nul", "scr\0eens"s, "error: line 2: NUL byte \\x00 at column 4\n"},
        BadBytesCase{"escape", "screens\x1b[31m",
                     "error: line 2: control character \\x1B at column 8\n"},
        BadBytesCase{"delete", "\x7fscreens",
                     "error: line 2: control character \\x7F at column 1\n"},
        BadBytesCase{"carriage_return_inside", "scr\reens",
                     "error: line 2: control character \\x0D at column 4\n"},
        BadBytesCase{"two_carriage_returns", "screens\r\r",
                     "error: line 2: control character \\x0D at column 8\n"},
        BadBytesCase{"c1_control", "screens \xc2\x85",
                     "error: line 2: control character \\xC2\\x85 at column 9\n"},
        BadBytesCase{"in_a_comment",
                     "# kom\x01"
                     "entar",
                     "error: line 2: control character \\x01 at column 6\n"},
        BadBytesCase{"latin1", "set frmCihlolam lblX Caption \xe8",
                     "error: line 2: invalid UTF-8 byte \\xE8 at column 30\n"},
        BadBytesCase{"lone_continuation", "\x80",
                     "error: line 2: invalid UTF-8 byte \\x80 at column 1\n"},
        BadBytesCase{"overlong_slash", "a\xc0\xaf",
                     "error: line 2: invalid UTF-8 byte \\xC0 at column 2\n"},
        BadBytesCase{"overlong_three_bytes", "\xe0\x80\xaf",
                     "error: line 2: invalid UTF-8 byte \\xE0 at column 1\n"},
        BadBytesCase{"surrogate", "ab\xed\xa0\x80",
                     "error: line 2: invalid UTF-8 byte \\xED at column 3\n"},
        BadBytesCase{"beyond_unicode", "\xf4\x90\x80\x80",
                     "error: line 2: invalid UTF-8 byte \\xF4 at column 1\n"},
        BadBytesCase{"unfinished_at_line_end", "# \xc4\x8d\xe2\x82",
                     "error: line 2: invalid UTF-8 byte \\xE2 at column 5\n"},
        BadBytesCase{"broken_by_ascii", "\xc3(",
                     "error: line 2: invalid UTF-8 byte \\xC3 at column 1\n"},
        // Before the limit comes first: the bad byte, not the length, is what is wrong.
        BadBytesCase{"bad_byte_in_a_long_line", "# \x01" + std::string(kLongestLineBytes, 'x'),
                     "error: line 2: control character \\x01 at column 3\n"}),
    [](const testing::TestParamInfo<BadBytesCase>& info) { return info.param.name; });

TEST(RunnerBadBytes, TabsAndFourByteCharactersAreText) {
    const RunnerResult result = runInput(
        "# a tab\there, \xf0\x9f\xa7\xb1 and \xc4\x8d\n"
        "menu frmCihlolam mnuNovahra\n"
        "set frmLevel1 lblHra Caption \t\xf0\x9f\xa7\xb1\n"
        "get frmLevel1 lblHra Caption\n");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "frmLevel1.lblHra.Caption=\"\t\xf0\x9f\xa7\xb1\"\n");
}

TEST(RunnerBadBytes, ByteOrderMarkOnlyAtTheVeryStart) {
    EXPECT_EQ(runInput("\xef\xbb\xbfscreens\n").out, kTitleOnly);
    // Anywhere else it is a character like any other, and not a command.
    const RunnerResult later = runInput("screens\n\xef\xbb\xbfscreens\n");
    EXPECT_EQ(later.status, 2);
    EXPECT_EQ(later.err, "error: line 2: unknown command '\xef\xbb\xbfscreens'\n");
    // Cut short, it is not UTF-8.
    EXPECT_EQ(runInput("\xef\xbbscreens\n").err,
              "error: line 1: invalid UTF-8 byte \\xEF at column 1\n");
}

// ---- Read and write failures ----

TEST(RunnerFailures, InputThatCannotBeRead) {
    RunnerRun directory;
    directory.inputPath = "/tmp";
    EXPECT_EQ(runRunner(directory).status, 2);
    EXPECT_EQ(runRunner(directory).err, "error: line 1: cannot read input: Is a directory\n");

    RunnerRun directoryFile;
    directoryFile.arguments = {"/tmp"};
    EXPECT_EQ(runRunner(directoryFile).err, "error: line 1: cannot read input: Is a directory\n");

    RunnerRun missing;
    missing.arguments = {"/nonexistent/scenario.txt"};
    const RunnerResult result = runRunner(missing);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "error: line 1: cannot read input: No such file or directory\n");
}

struct WriteFailureCase {
    const char* name;
    Output output;
    std::string input;
    std::string err;
};

void PrintTo(const WriteFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class RunnerWriteFailure : public testing::TestWithParam<WriteFailureCase> {};

TEST_P(RunnerWriteFailure, EndsWithStatusOne) {
    const WriteFailureCase& c = GetParam();
    RunnerRun run;
    run.input = c.input;
    run.output = c.output;
    const RunnerResult result = runRunner(run);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Output, RunnerWriteFailure,
    testing::Values(WriteFailureCase{"full_disk", Output::DevFull, "screens\n",
                                     "error: cannot write output: No space left on device\n"},
                    WriteFailureCase{"closed", Output::Closed, "screens\n",
                                     "error: cannot write output: Bad file descriptor\n"},
                    WriteFailureCase{"closed_pipe", Output::ClosedPipe, "screens\n",
                                     "error: cannot write output: Broken pipe\n"},
                    // Output lost before a script error outweighs the error.
                    WriteFailureCase{"before_an_error", Output::DevFull, "screens\nbogus\n",
                                     "error: cannot write output: No space left on device\n"},
                    // More output than any buffer: the runner stops at the first failed write.
                    WriteFailureCase{"long_run", Output::ClosedPipe,
                                     [] {
                                         std::string lines;
                                         for (int i = 0; i < 100'000; ++i) {
                                             lines += "screens\n";
                                         }
                                         return lines;
                                     }(),
                                     "error: cannot write output: Broken pipe\n"}),
    [](const testing::TestParamInfo<WriteFailureCase>& info) { return info.param.name; });

TEST(RunnerFailures, NothingToPrintWritesNothing) {
    RunnerRun run;
    run.input = "# nothing printed\nadvance 10\n";
    run.output = Output::DevFull;
    EXPECT_EQ(runRunner(run).status, 0);
}

// ---- The command line ----

struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    std::string outStart;
    std::string errStart;
};

void PrintTo(const CommandLineCase& c, std::ostream* os) {
    *os << c.name;
}

class RunnerCommandLine : public testing::TestWithParam<CommandLineCase> {};

TEST_P(RunnerCommandLine, Answers) {
    const CommandLineCase& c = GetParam();
    RunnerRun run;
    run.arguments = c.arguments;
    run.input = "screens\n";
    const RunnerResult result = runRunner(run);
    EXPECT_EQ(result.status, c.status);
    EXPECT_TRUE(result.out.starts_with(c.outStart)) << result.out;
    EXPECT_TRUE(result.err.starts_with(c.errStart)) << result.err;
    EXPECT_EQ(result.out.empty(), c.outStart.empty()) << result.out;
    EXPECT_EQ(result.err.empty(), c.errStart.empty()) << result.err;
}

const std::string kUsageStart = "Usage: kostkolam-script [FILE]\n";

INSTANTIATE_TEST_SUITE_P(
    Arguments, RunnerCommandLine,
    testing::Values(
        CommandLineCase{"standard_input", {}, 0, kTitleOnly, ""},
        CommandLineCase{"dash_is_standard_input", {"-"}, 0, kTitleOnly, ""},
        CommandLineCase{"help", {"--help"}, 0, kUsageStart, ""},
        CommandLineCase{"help_after_a_file", {"some.txt", "--help"}, 0, kUsageStart, ""},
        CommandLineCase{"unknown_option",
                        {"--verbose"},
                        2,
                        "",
                        "kostkolam-script: unknown option '--verbose'\n" + kUsageStart},
        CommandLineCase{
            "short_option", {"-h"}, 2, "", "kostkolam-script: unknown option '-h'\n" + kUsageStart},
        CommandLineCase{"two_files",
                        {"a.txt", "b.txt"},
                        2,
                        "",
                        "kostkolam-script: more than one FILE\n" + kUsageStart},
        CommandLineCase{"dash_and_a_file",
                        {"-", "a.txt"},
                        2,
                        "",
                        "kostkolam-script: more than one FILE\n" + kUsageStart}),
    [](const testing::TestParamInfo<CommandLineCase>& info) { return info.param.name; });

TEST(RunnerCommandLine, Version) {
    RunnerRun run;
    run.arguments = {"--version"};
    const RunnerResult result = runRunner(run);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "kostkolam-script " KOSTKOLAM_VERSION "\n");
    EXPECT_EQ(result.err, "");
}

TEST(RunnerCommandLine, ReadsTheFileNotStandardInput) {
    char path[] = "/tmp/kostkolam-scenario-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string scenario = "menu frmCihlolam mnuNovahra\nget Module1 Index\n";
    ASSERT_TRUE(writeAll(fd, scenario.data(), scenario.size()));
    ::close(fd);

    RunnerRun run;
    run.arguments = {path};
    run.input = "bogus\n";
    const RunnerResult result = runRunner(run);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Module1.Index=0\n");

    ::unlink(path);

    // After "--" a name that starts with a dash is a file's.
    run.arguments = {"--", "--help"};
    const RunnerResult dashed = runRunner(run);
    EXPECT_EQ(dashed.status, 2);
    EXPECT_EQ(dashed.err, "error: line 1: cannot read input: No such file or directory\n");
}

TEST(RunnerCommandLine, HelpThatCannotBeWritten) {
    RunnerRun run;
    run.arguments = {"--help"};
    run.output = Output::DevFull;
    const RunnerResult result = runRunner(run);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "error: cannot write output: No space left on device\n");
}

}  // namespace
}  // namespace kostkolam::script::test
