// libFuzzer target: any bytes as a scenario for kostkolam-script. Whatever the input, the runner
// must end normally with nothing on standard error, or with status 2 and one short error line that
// quotes only printable text; never crash, hang or trip a sanitizer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "scenario/ScenarioInput.h"
#include "script/ScriptRunner.h"

namespace {

/// An error line longer than this is no longer a short line: a quoted word is cut at 60
/// characters, at most four bytes each, and the rest of a reason is a few words.
constexpr std::size_t kLongestErrorLineBytes = 512;

/// Printable: UTF-8 without any control character, not even a tab.
bool printable(std::string_view text) {
    if (std::any_of(text.begin(), text.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        })) {
        return false;
    }
    try {
        kostkolam::scenario::checkLineText(text);
    } catch (const kostkolam::scenario::InputError&) {
        return false;
    }
    return true;
}

bool wellFormedError(std::string_view error) {
    if (!error.starts_with("error: line ") || !error.ends_with('\n') ||
        error.size() > kLongestErrorLineBytes) {
        return false;
    }
    const std::string_view line = error.substr(0, error.size() - 1);
    return line.find('\n') == std::string_view::npos && printable(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    std::ostringstream err;
    kostkolam::script::ScriptRunner runner(out);
    const int status = runner.run(in, err);
    const std::string error = err.str();
    const bool wellFormed = status == 0 ? error.empty() : status == 2 && wellFormedError(error);
    if (!wellFormed) {
        __builtin_trap();
    }
    return 0;
}
