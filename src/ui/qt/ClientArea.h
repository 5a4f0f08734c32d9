#pragma once

#include <QFont>
#include <QPixmap>
#include <QWidget>
#include <vector>

#include "ui/Screen.h"

namespace kostkolam::ui::qt {

/// The client area of a screen's window. It paints the background colour and picture, the labels
/// and the shapes straight from the screen's model; the bricks and push buttons are child widgets
/// lying above all of that.
class ClientArea final : public QWidget {
    Q_OBJECT

  public:
    /// `background` is the screen's picture, or a null pixmap when it has none.
    ClientArea(const Screen& screen, const QPixmap& background, const QFont& defaultFont,
               QWidget* parent);

    /// A label or shape moved or changed visibility: repaint where it was and where it is.
    void objectChanged(ObjectRef ref, const Geometry& before, bool wasVisible);
    /// A label's caption changed: repaint that label.
    void captionChanged(int label);
    /// The screen is gone: paint only the background from now on.
    void detach();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect pixelRect(const Geometry& geometry) const;
    void paintLabel(QPainter& painter, const Label& label, const QRect& rect) const;
    void paintShape(QPainter& painter, const Shape& shape, const QRect& rect) const;
    void repaintArea(const QRect& rect);

    const Screen* m_screen;
    QPixmap m_background;
    QColor m_backgroundColour;
    /// Each label's font, resolved once from its layout.
    std::vector<QFont> m_labelFonts;
};

}  // namespace kostkolam::ui::qt
