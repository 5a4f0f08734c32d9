// first-picture-probe: how long a desktop program takes from its start to its first drawn picture,
// judged the same way for every program by what the X server holds on screen.
//
//   first-picture-probe reference OUT.ppm SECONDS -- PROGRAM [ARGS...]
//       Starts the program, lets it settle for SECONDS, and stores what its window shows then
//       (the rectangle of the screen that changed since before the start) as the program's
//       picture. Prints the rectangle and the program's resident set size as JSON.
//
//   first-picture-probe time REF.ppm SECONDS -- PROGRAM [ARGS...]
//       Starts the program and reads that rectangle of the screen every 2 ms. The first drawn
//       picture is the first look at which at least 85% of its pixels are those of the stored
//       picture; the settled picture the first with 97%. Prints the milliseconds from the start
//       (fork) to each, and to the moment the window first covered half the rectangle, and the
//       CPU time the program had used by its first drawn picture; then waits SECONDS more and
//       prints the resident set size.
//
// Either way the program and everything it started are ended before the probe returns.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollPeriod = std::chrono::milliseconds(2);
constexpr auto kGiveUpAfter = std::chrono::seconds(60);
/// Share of the rectangle's pixels that must show the stored picture for the first drawn picture:
/// most of the picture, but not a banner that a program shows over it for its first seconds.
constexpr double kPictureShare = 0.85;
/// The same for the settled picture, when the program has drawn all it draws at the start.
constexpr double kSettledShare = 0.97;
/// Share of the rectangle's pixels that must have changed for the window to count as shown.
constexpr double kWindowShare = 0.5;
/// Largest difference in any colour channel for a pixel to count as the stored one.
constexpr int kChannelTolerance = 8;

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

/// A picture of part of the screen, one 0x00RRGGBB value per pixel, row by row.
struct Picture {
    Rect rect;
    std::vector<std::uint32_t> pixels;
};

/// Reads rectangles of the root window through shared memory, fast enough to poll: only the
/// rectangle asked for travels, so the server does little work for each look.
class ScreenReader {
  public:
    ScreenReader() {
        // A display busy with a program that is just ending may turn a connection away.
        for (int attempt = 0; attempt < 20 && !m_display; ++attempt) {
            m_display = XOpenDisplay(nullptr);
            if (!m_display) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
        if (!m_display) {
            m_problem = "cannot open the X display";
            return;
        }
        const int screen = DefaultScreen(m_display);
        m_root = RootWindow(m_display, screen);
        m_width = DisplayWidth(m_display, screen);
        m_height = DisplayHeight(m_display, screen);
        if (!XShmQueryExtension(m_display)) {
            m_problem = "the X display has no MIT-SHM";
        } else if (DefaultDepth(m_display, screen) != 24) {
            m_problem = "the X display is not 24 bits deep";
        }
    }
    ~ScreenReader() {
        release();
        if (m_display) {
            XCloseDisplay(m_display);
        }
    }
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    /// Why the screen cannot be read, or nullptr when it can.
    const char* problem() const { return m_problem; }
    Rect whole() const { return {0, 0, m_width, m_height}; }

    Picture read(const Rect& rect) {
        Picture picture{rect, {}};
        if (!fit(rect)) {
            return picture;
        }
        XShmGetImage(m_display, m_root, m_image, rect.x, rect.y, AllPlanes);
        picture.pixels.reserve(std::size_t(rect.width) * std::size_t(rect.height));
        for (int y = 0; y < rect.height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                m_image->data + std::ptrdiff_t(y) * m_image->bytes_per_line);
            for (int x = 0; x < rect.width; ++x) {
                picture.pixels.push_back(row[x] & 0x00FFFFFFu);
            }
        }
        return picture;
    }

  private:
    /// A shared image of exactly the rectangle's size.
    bool fit(const Rect& rect) {
        if (m_image && m_image->width == rect.width && m_image->height == rect.height) {
            return true;
        }
        release();
        const int screen = DefaultScreen(m_display);
        m_image = XShmCreateImage(m_display, DefaultVisual(m_display, screen),
                                  unsigned(DefaultDepth(m_display, screen)), ZPixmap, nullptr,
                                  &m_shm, unsigned(rect.width), unsigned(rect.height));
        if (!m_image || m_image->bits_per_pixel != 32) {
            return false;
        }
        m_shm.shmid = shmget(IPC_PRIVATE, std::size_t(m_image->bytes_per_line) * rect.height,
                             IPC_CREAT | 0600);
        m_shm.shmaddr = m_image->data = static_cast<char*>(shmat(m_shm.shmid, nullptr, 0));
        m_shm.readOnly = False;
        XShmAttach(m_display, &m_shm);
        XSync(m_display, False);
        // Marked for removal now, so that it goes when both sides have detached.
        shmctl(m_shm.shmid, IPC_RMID, nullptr);
        return true;
    }

    void release() {
        if (m_image) {
            XShmDetach(m_display, &m_shm);
            XDestroyImage(m_image);
            shmdt(m_shm.shmaddr);
            m_image = nullptr;
        }
    }

    Display* m_display = nullptr;
    Window m_root = 0;
    int m_width = 0;
    int m_height = 0;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_shm{};
    const char* m_problem = nullptr;
};

bool closeEnough(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = int((a >> shift) & 0xFFu);
        const int cb = int((b >> shift) & 0xFFu);
        if (std::abs(ca - cb) > kChannelTolerance) {
            return false;
        }
    }
    return true;
}

/// Share of pixels of `a` that match `b`; none when the two are not of one rectangle.
double matchingShare(const Picture& a, const Picture& b) {
    if (a.pixels.size() != b.pixels.size()) {
        return 0.0;
    }
    std::size_t same = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        same += closeEnough(a.pixels[i], b.pixels[i]) ? 1 : 0;
    }
    return a.pixels.empty() ? 0.0 : double(same) / double(a.pixels.size());
}

/// The smallest rectangle holding every pixel that differs between two pictures of the screen.
std::optional<Rect> changedRect(const Picture& before, const Picture& after) {
    int left = after.rect.width;
    int top = after.rect.height;
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < after.rect.height; ++y) {
        for (int x = 0; x < after.rect.width; ++x) {
            const std::size_t i = std::size_t(y) * std::size_t(after.rect.width) + std::size_t(x);
            if (before.pixels[i] != after.pixels[i]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return std::nullopt;
    }
    return Rect{left, top, right - left + 1, bottom - top + 1};
}

Picture crop(const Picture& picture, const Rect& rect) {
    Picture part{rect, {}};
    for (int y = rect.y; y < rect.y + rect.height; ++y) {
        for (int x = rect.x; x < rect.x + rect.width; ++x) {
            part.pixels.push_back(
                picture.pixels[std::size_t(y) * std::size_t(picture.rect.width) + std::size_t(x)]);
        }
    }
    return part;
}

/// Binary PPM with the rectangle's place on the screen in a comment line.
bool writePicture(const std::string& path, const Picture& picture) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n# at " << picture.rect.x << ' ' << picture.rect.y << '\n'
        << picture.rect.width << ' ' << picture.rect.height << "\n255\n";
    for (const std::uint32_t pixel : picture.pixels) {
        const char rgb[3] = {char((pixel >> 16) & 0xFFu), char((pixel >> 8) & 0xFFu),
                             char(pixel & 0xFFu)};
        out.write(rgb, 3);
    }
    return bool(out);
}

std::optional<Picture> readPicture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    std::string hash;
    std::string at;
    Picture picture;
    int maxValue = 0;
    in >> magic >> hash >> at >> picture.rect.x >> picture.rect.y >> picture.rect.width >>
        picture.rect.height >> maxValue;
    if (!in || magic != "P6" || hash != "#" || at != "at" || maxValue != 255) {
        return std::nullopt;
    }
    in.get();
    const std::size_t count = std::size_t(picture.rect.width) * std::size_t(picture.rect.height);
    std::vector<unsigned char> rgb(count * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()));
    if (!in) {
        return std::nullopt;
    }
    picture.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        picture.pixels[i] = (std::uint32_t(rgb[3 * i]) << 16) |
                            (std::uint32_t(rgb[3 * i + 1]) << 8) | std::uint32_t(rgb[3 * i + 2]);
    }
    return picture;
}

/// The started program, in a process group of its own so that its helpers end with it.
class Program {
  public:
    explicit Program(char** argv) {
        m_pid = fork();
        if (m_pid == 0) {
            setpgid(0, 0);
            // The program's own messages stay out of the probe's report.
            const int quiet = open("/dev/null", O_WRONLY);
            if (quiet >= 0) {
                dup2(quiet, STDOUT_FILENO);
                dup2(quiet, STDERR_FILENO);
                close(quiet);
            }
            execvp(argv[0], argv);
            std::perror("first-picture-probe: exec");
            _exit(127);
        }
        if (m_pid > 0) {
            setpgid(m_pid, m_pid);
            m_group = m_pid;
        }
    }
    ~Program() { end(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return m_pid > 0; }
    bool running() {
        if (m_pid <= 0) {
            return false;
        }
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        return true;
    }
    /// CPU time so far of every thread of the program, in milliseconds, from the scheduler's
    /// nanosecond counts; -1 when unreadable.
    double cpuMs() const {
        const std::string tasks = "/proc/" + std::to_string(m_pid) + "/task";
        DIR* dir = opendir(tasks.c_str());
        if (!dir) {
            return -1;
        }
        double total = 0;
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') {
                continue;
            }
            std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
            double onCpuNs = 0;
            if (schedstat >> onCpuNs) {
                total += onCpuNs;
            }
        }
        closedir(dir);
        return total / 1e6;
    }
    /// VmRSS in KiB, or -1.
    long residentKib() const {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmRSS:", 0) == 0) {
                return std::stol(line.substr(6));
            }
        }
        return -1;
    }
    void end() {
        if (m_pid <= 0) {
            return;
        }
        kill(-m_group, SIGTERM);
        for (int i = 0; i < 300 && running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // Whatever is left of the group goes now, helpers included.
        kill(-m_group, SIGKILL);
        if (m_pid > 0) {
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    pid_t pid() const { return m_pid; }

  private:
    pid_t m_pid = -1;
    pid_t m_group = -1;
};

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

int takeReference(ScreenReader& reader, const std::string& path, double settleSeconds,
                  char** argv) {
    const Picture before = reader.read(reader.whole());
    Program program(argv);
    if (!program.started()) {
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(settleSeconds));
    if (!program.running()) {
        std::fprintf(stderr, "first-picture-probe: %s ended before it settled\n", argv[0]);
        return 1;
    }
    const long rss = program.residentKib();
    const Picture after = reader.read(reader.whole());
    const auto rect = changedRect(before, after);
    if (!rect) {
        std::fprintf(stderr, "first-picture-probe: %s drew nothing\n", argv[0]);
        return 1;
    }
    if (!writePicture(path, crop(after, *rect))) {
        return 1;
    }
    std::printf("{\"x\":%d,\"y\":%d,\"width\":%d,\"height\":%d,\"rss_kib\":%ld}\n", rect->x,
                rect->y, rect->width, rect->height, rss);
    return 0;
}

int timeFirstPicture(ScreenReader& reader, const std::string& path, double rssAfterSeconds,
                     char** argv) {
    const auto stored = readPicture(path);
    if (!stored) {
        std::fprintf(stderr, "first-picture-probe: cannot read %s\n", path.c_str());
        return 1;
    }
    const Picture empty = reader.read(stored->rect);
    if (matchingShare(empty, *stored) >= kPictureShare) {
        std::fprintf(stderr, "first-picture-probe: the picture is on screen before the start\n");
        return 1;
    }
    const auto start = Clock::now();
    Program program(argv);
    if (!program.started()) {
        return 1;
    }
    std::optional<double> windowMs;
    std::optional<double> pictureMs;
    std::optional<double> settledMs;
    double cpuMs = -1;
    double share = 0;
    while (Clock::now() - start < kGiveUpAfter) {
        const auto seen = Clock::now();
        const Picture now = reader.read(stored->rect);
        if (!windowMs && 1.0 - matchingShare(now, empty) >= kWindowShare) {
            windowMs = milliseconds(seen - start);
        }
        share = matchingShare(now, *stored);
        if (!pictureMs && share >= kPictureShare) {
            pictureMs = milliseconds(seen - start);
            cpuMs = program.cpuMs();
        }
        if (share >= kSettledShare) {
            settledMs = milliseconds(seen - start);
            break;
        }
        if (!program.running()) {
            break;
        }
        std::this_thread::sleep_for(kPollPeriod);
    }
    if (!pictureMs || !settledMs) {
        std::fprintf(stderr, "first-picture-probe: %s never showed its picture (best %.3f)\n",
                     argv[0], share);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(rssAfterSeconds));
    std::printf(
        "{\"first_picture_ms\":%.1f,\"window_ms\":%.1f,\"settled_ms\":%.1f,\"cpu_ms\":%.1f,"
        "\"rss_kib\":%ld}\n",
        *pictureMs, windowMs.value_or(*pictureMs), *settledMs, cpuMs, program.residentKib());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6 || std::string_view(argv[4]) != "--") {
        std::fprintf(stderr,
                     "usage: first-picture-probe reference|time PICTURE.ppm SECONDS -- PROGRAM "
                     "[ARGS...]\n");
        return 2;
    }
    const std::string_view mode = argv[1];
    const std::string_view secondsText = argv[3];
    double seconds = 0;
    if (std::from_chars(secondsText.data(), secondsText.data() + secondsText.size(), seconds).ec !=
            std::errc() ||
        seconds < 0) {
        std::fprintf(stderr, "first-picture-probe: bad SECONDS\n");
        return 2;
    }
    ScreenReader reader;
    if (reader.problem()) {
        std::fprintf(stderr, "first-picture-probe: %s\n", reader.problem());
        return 1;
    }
    if (mode == "reference") {
        return takeReference(reader, argv[2], seconds, argv + 5);
    }
    if (mode == "time") {
        return timeFirstPicture(reader, argv[2], seconds, argv + 5);
    }
    std::fprintf(stderr, "first-picture-probe: unknown mode\n");
    return 2;
}
