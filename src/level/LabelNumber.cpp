#include "level/LabelNumber.h"

#include <cmath>
#include <system_error>

#include "ui/Numbers.h"

namespace kostkolam::level {

double labelNumber(std::string_view text) {
    double value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, ec] = ui::parseNumber(first, last, value);
    if (ec != std::errc() || end != last || !std::isfinite(value)) {
        return 0;
    }
    return value;
}

std::string labelText(double value) {
    return ui::numberText(value);
}

}  // namespace kostkolam::level
