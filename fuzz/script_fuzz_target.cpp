// libFuzzer target: any bytes as a scenario for kostkolam-script. Whatever the input, the runner
// must end normally or with one error line and status 2; never crash, hang or trip a sanitizer.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "script/ScriptRunner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    std::ostringstream err;
    kostkolam::script::ScriptRunner runner(out);
    const int status = runner.run(in, err);
    const std::string error = err.str();
    const bool wellFormed = status == 0
                                ? error.empty()
                                : status == 2 && error.starts_with("error: line ") &&
                                      error.ends_with("\n") && error.find('\n') == error.size() - 1;
    if (!wellFormed) {
        __builtin_trap();
    }
    return 0;
}
