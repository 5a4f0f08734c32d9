// The window default font's fitting, shared by the desktop windows and the page, against fonts
// whose measures the test chooses: where the real faces never lead (a line that no readable size
// fits, a desktop font larger than the status line), the choice must still follow its order.

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string_view>

#include "ui/DefaultFont.h"
#include "ui/Units.h"

namespace kostkolam {
namespace {

using ui::UiFont;

/// A face whose line is `lineExtraPx` taller than its size, or twice its size; each letter is
/// 0.6 of the size wide, 0.5 in the semi-condensed cut.
class ChosenMetrics final : public ui::FontMetrics {
  public:
    ChosenMetrics(int lineExtraPx, bool doubleLines)
        : m_lineExtraPx(lineExtraPx), m_doubleLines(doubleLines) {}
    int lineHeightPx(UiFont font) const override {
        return m_doubleLines ? 2 * font.pixelSize : font.pixelSize + m_lineExtraPx;
    }
    double textWidthPx(UiFont font, std::string_view text) const override {
        return double(text.size()) * font.pixelSize * (font.semiCondensed ? 0.5 : 0.6);
    }

  private:
    int m_lineExtraPx;
    bool m_doubleLines;
};

constexpr ui::Rectangle pixels(int widthPx, int heightPx) {
    return {0, 0, std::int16_t(widthPx * ui::kTwipsPerPixel),
            std::int16_t(heightPx * ui::kTwipsPerPixel)};
}

TEST(DefaultFont, FitsTheStatusLineInItsOrderOfChoices) {
    // A status label 13 px high holding "abcd"; the banner above it has a font of its own, taller
    // and narrower, and must not count.
    const auto status = [](int widthPx) {
        return std::array{
            ui::LabelLayout{.name = "lblBanner",
                            .caption = "a much longer banner",
                            .rect = pixels(20, 40),
                            .font = ui::FontSpec{}},
            ui::LabelLayout{.name = "lblStatus", .caption = "abcd", .rect = pixels(widthPx, 13)},
        };
    };
    struct Case {
        const char* what;
        int desktopPx;
        int labelWidthPx;
        ChosenMetrics metrics;
        UiFont expected;
    };
    const Case cases[] = {
        {"the desktop's size fits", 12, 30, {1, false}, {12, false}},
        {"a desktop font larger than the line shrinks to it", 24, 30, {1, false}, {12, false}},
        {"a larger desktop font at the line's own height", 24, 30, {0, false}, {13, true}},
        {"the semi-condensed cut before a smaller size", 12, 25, {1, false}, {12, true}},
        {"a smaller size where neither cut fits", 12, 22, {1, false}, {11, true}},
        {"no readable size fits the width: the height alone", 12, 10, {1, false}, {12, false}},
        {"nothing above the smallest size fits the height", 12, 30, {0, true}, {6, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto labels = status(c.labelWidthPx);
        EXPECT_EQ(ui::fitDefaultFont(c.desktopPx, labels, c.metrics), std::optional(c.expected));
    }
}

TEST(DefaultFont, AScreenWithoutALabelInTheDefaultFontKeepsTheFontChosenBefore) {
    const std::array labels{
        ui::LabelLayout{
            .name = "lblSko", .caption = "0", .rect = pixels(30, 13), .font = ui::FontSpec{}},
    };
    EXPECT_EQ(ui::fitDefaultFont(12, labels, ChosenMetrics(1, false)), std::nullopt);
}

}  // namespace
}  // namespace kostkolam
