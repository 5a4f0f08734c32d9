#include "RunnerProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kostkolam::script::test {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// A scratch file that is removed again.
class ScratchFile {
  public:
    ScratchFile() {
        char name[] = "/tmp/kostkolam-script-test-XXXXXX";
        m_fd = ::mkstemp(name);
        if (m_fd < 0) {
            throw std::runtime_error("mkstemp failed");
        }
        m_path = name;
    }
    ~ScratchFile() {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }

  private:
    int m_fd = -1;
    std::string m_path;
};

}  // namespace

bool writeAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= std::size_t(written);
    }
    return true;
}

RunnerResult runRunner(const RunnerRun& run) {
    // The feeding thread must see a failed write, not die of SIGPIPE, when the runner stops
    // reading; the runner itself gets the default disposition back below.
    std::signal(SIGPIPE, SIG_IGN);

    ScratchFile input;
    ScratchFile out;
    ScratchFile err;
    if (!run.feed && !writeAll(input.fd(), run.input.data(), run.input.size())) {
        throw std::runtime_error("cannot write the scenario");
    }

    int feedPipe[2] = {-1, -1};
    if (run.feed && ::pipe2(feedPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    int outPipe[2] = {-1, -1};
    if (run.output == Output::ClosedPipe) {
        if (::pipe2(outPipe, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        ::close(outPipe[0]);
    }
    const std::string inputPath = run.inputPath.empty() ? input.path() : run.inputPath;

    std::vector<std::string> arguments = {KOSTKOLAM_SCRIPT_RUNNER};
    arguments.insert(arguments.end(), run.arguments.begin(), run.arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    // Under AddressSanitizer freed blocks wait in a quarantine of up to 256 MB, which would hide
    // what the runner itself holds; without the sanitizer the option is never read.
    std::vector<std::string> environment;
    bool sanitizerOptions = false;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.emplace_back(*variable);
        if (environment.back().starts_with("ASAN_OPTIONS=")) {
            environment.back() += ":quarantine_size_mb=0";
            sanitizerOptions = true;
        }
    }
    if (!sanitizerOptions) {
        environment.emplace_back("ASAN_OPTIONS=quarantine_size_mb=0");
    }
    std::vector<char*> envp;
    for (std::string& variable : environment) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Only calls that are safe between fork and exec from here on.
        const int in = run.feed ? feedPipe[0] : ::open(inputPath.c_str(), O_RDONLY);
        if (in < 0 || ::dup2(in, STDIN_FILENO) < 0 || ::dup2(err.fd(), STDERR_FILENO) < 0) {
            ::_exit(127);
        }
        switch (run.output) {
            case Output::Captured:
                ::dup2(out.fd(), STDOUT_FILENO);
                break;
            case Output::DevFull:
                ::dup2(::open("/dev/full", O_WRONLY), STDOUT_FILENO);
                break;
            case Output::Closed:
                ::close(STDOUT_FILENO);
                break;
            case Output::ClosedPipe:
                ::dup2(outPipe[1], STDOUT_FILENO);
                break;
        }
        std::signal(SIGPIPE, SIG_DFL);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }

    std::thread feeder;
    if (run.feed) {
        ::close(feedPipe[0]);
        feeder = std::thread([&run, fd = feedPipe[1]] {
            run.feed(fd);
            ::close(fd);
        });
    }
    if (run.output == Output::ClosedPipe) {
        ::close(outPipe[1]);
    }

    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (feeder.joinable()) {
        feeder.join();
    }

    RunnerResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readFile(out.path());
    result.err = readFile(err.path());
    result.peakResidentKb = usage.ru_maxrss;
    return result;
}

}  // namespace kostkolam::script::test
