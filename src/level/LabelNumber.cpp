#include "level/LabelNumber.h"

#include <charconv>
#include <cmath>

namespace kostkolam::level {

double labelNumber(std::string_view text) {
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || !std::isfinite(value)) {
        return 0;
    }
    return value;
}

std::string labelText(double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, ec == std::errc() ? end : buffer);
}

}  // namespace kostkolam::level
