#include "ui/qt/Appearance.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "ui/DefaultFont.h"
#include "ui/Pixels.h"
#include "ui/Units.h"

namespace kostkolam::ui::qt {

namespace {

/// The desktop's font at the sizes and cuts the fitting asks about, measured by Qt.
class QtFontMetrics final : public FontMetrics {
  public:
    explicit QtFontMetrics(const QFont& desktopFont) : m_desktopFont(desktopFont) {}

    QFont font(UiFont chosen) const {
        QFont font = m_desktopFont;
        font.setPixelSize(chosen.pixelSize);
        font.setStretch(chosen.semiCondensed ? QFont::SemiCondensed : QFont::Unstretched);
        return font;
    }
    int lineHeightPx(UiFont chosen) const override { return QFontMetrics(font(chosen)).height(); }
    double textWidthPx(UiFont chosen, std::string_view text) const override {
        return QFontMetrics(font(chosen)).horizontalAdvance(toQString(text));
    }

  private:
    QFont m_desktopFont;
};

}  // namespace

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QColor toQColor(Colour colour, const QPalette& palette) {
    if (isSystemColour(colour)) {
        // The only system colour the layouts use is the tooltip background; any other falls back
        // to the window colour rather than to some arbitrary RGB value.
        return palette.color(colour == kTooltipBackground ? QPalette::ToolTipBase
                                                          : QPalette::Window);
    }
    return QColor(red(colour), green(colour), blue(colour));
}

QRect pixelRect(const Geometry& geometry, const Screen& screen) {
    const PixelRect rect = ui::pixelRect(geometry, screen);
    return {rect.left, rect.top, rect.width, rect.height};
}

QFont storedFont(const FontSpec& stored) {
    QFont font;
    // Every stored font asks for "MS Sans Serif", which Linux desktops lack; these faces carry the
    // Czech letters (ě, ř, ů) the game's texts need. DejaVu Sans runs wider than the face the
    // labels were measured for, so its semi-condensed cut is asked for: with it "Skončil jsi v:"
    // stays on one line of the end screen and "Nová hra" fits the level's banner.
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setStretch(QFont::SemiCondensed);
    font.setPixelSize(fontPixelSize(stored));
    font.setWeight(QFont::Weight(stored.weight));
    font.setItalic(stored.italic);
    font.setUnderline(stored.underline);
    font.setStrikeOut(stored.strikeout);
    return font;
}

QFont windowDefaultFont(const QFont& desktopFont, std::span<const LabelLayout> labels) {
    const QtFontMetrics metrics(desktopFont);
    const auto fitted = fitDefaultFont(QFontInfo(desktopFont).pixelSize(), labels, metrics);
    return fitted ? metrics.font(*fitted) : desktopFont;
}

}  // namespace kostkolam::ui::qt
