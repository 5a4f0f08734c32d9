#pragma once

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <vector>

#include "ui/Screen.h"

namespace kostkolam::ui::qt {

class AccessibilityNotifier;

/// The client area of a screen's window. It paints the background colour and picture, the labels
/// and the shapes straight from the screen's model; the bricks and push buttons are child widgets
/// lying above all of that. Screen readers see the labels and shapes as its children, and hear of
/// every change to them through the notifier.
class ClientArea final : public QWidget {
    Q_OBJECT

  public:
    /// `background` is the screen's picture, or a null pixmap when it has none.
    ClientArea(const Screen& screen, const QPixmap& background, const QFont& defaultFont,
               const AccessibilityNotifier& notifier, QWidget* parent);

    /// A label or shape moved or changed visibility: repaint where it was and where it is.
    void objectChanged(ObjectRef ref, const Geometry& before, bool wasVisible);
    /// A label's caption changed: repaint that label.
    void captionChanged(int label);
    /// The screen is gone: paint only the background from now on.
    void detach();

    /// The live screen, or nullptr once detached.
    const Screen* model() const { return m_screen; }
    /// A label's caption as shown.
    const QString& caption(int label) const { return m_captions[std::size_t(label)]; }
    /// Where an object of the screen lies now, in the area's logical pixels.
    QRect objectRect(const ShownObject& object) const { return pixelRect(object.geometry()); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect pixelRect(const Geometry& geometry) const;
    void paintLabel(QPainter& painter, const Label& label, const QRect& rect) const;
    void paintShape(QPainter& painter, const Shape& shape, const QRect& rect) const;
    void repaintArea(const QRect& rect);

    const Screen* m_screen;
    const AccessibilityNotifier& m_notifier;
    QPixmap m_background;
    QColor m_backgroundColour;
    /// Each label's font, resolved once from its layout.
    std::vector<QFont> m_labelFonts;
    /// Each label's caption, kept as shown so that a change can be told with the text it replaced.
    std::vector<QString> m_captions;
};

}  // namespace kostkolam::ui::qt
