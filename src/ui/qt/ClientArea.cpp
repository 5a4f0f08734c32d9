#include "ui/qt/ClientArea.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <utility>

#include "ui/qt/Accessibility.h"
#include "ui/qt/Appearance.h"

namespace kostkolam::ui::qt {

namespace {

/// An antialiased outline may reach into the pixels around an object's rectangle.
constexpr int kRepaintMarginPx = 1;

Qt::Alignment toQtAlignment(Alignment alignment) {
    switch (alignment) {
        case Alignment::Right:
            return Qt::AlignRight;
        case Alignment::Centre:
            return Qt::AlignHCenter;
        case Alignment::Left:
            break;
    }
    return Qt::AlignLeft;
}

}  // namespace

ClientArea::ClientArea(const Screen& screen, const QPixmap& background, const QFont& defaultFont,
                       const AccessibilityNotifier& notifier, QWidget* parent)
    : QWidget(parent), m_screen(&screen), m_notifier(notifier), m_background(background) {
    setObjectName(QStringLiteral("clientArea"));
    setAccessibleName(clientAreaAccessibleName(screen));
    setFont(defaultFont);
    // The whole area is painted on every paint event, background included.
    setAttribute(Qt::WA_OpaquePaintEvent);
    const auto& window = screen.layout().window;
    m_backgroundColour = window.background ? toQColor(*window.background, palette())
                                           : palette().color(QPalette::Window);
    m_labelFonts.reserve(screen.labels().size());
    m_captions.reserve(screen.labels().size());
    for (const Label& label : screen.labels()) {
        m_labelFonts.push_back(label.layout().font ? storedFont(*label.layout().font)
                                                   : defaultFont);
        m_captions.push_back(toQString(label.caption()));
    }
}

QRect ClientArea::pixelRect(const Geometry& geometry) const {
    return qt::pixelRect(geometry, *m_screen);
}

void ClientArea::objectChanged(ObjectRef ref, const Geometry& before, bool wasVisible) {
    if (!m_screen) {
        return;
    }
    const ShownObject* object = m_screen->shownObject(ref);
    QRect area;
    if (wasVisible) {
        area = pixelRect(before);
    }
    if (object->visible()) {
        area |= pixelRect(object->geometry());
    }
    repaintArea(area);

    if (!m_notifier.listening()) {
        return;
    }
    QAccessibleInterface* spoken = accessibleObject(*this, ref);
    if (!spoken) {
        return;
    }
    if (object->visible() != wasVisible) {
        QAccessibleEvent event(
            spoken, object->visible() ? QAccessible::ObjectShow : QAccessible::ObjectHide);
        m_notifier.notify(event);
    }
    const Geometry& now = object->geometry();
    if (now.left != before.left || now.top != before.top) {
        QAccessibleEvent event(spoken, QAccessible::LocationChanged);
        m_notifier.notify(event);
    }
}

void ClientArea::captionChanged(int label) {
    if (!m_screen) {
        return;
    }
    const Label& changed = m_screen->labels()[std::size_t(label)];
    QString caption = toQString(changed.caption());
    const QString before = std::exchange(m_captions[std::size_t(label)], caption);
    if (changed.visible()) {
        repaintArea(pixelRect(changed.geometry()));
    }

    if (caption == before || !m_notifier.listening()) {
        return;
    }
    QAccessibleInterface* spoken = accessibleObject(*this, changed.ref());
    if (!spoken) {
        return;
    }
    // Score, lives and the countdown digit are read out as they change.
    QAccessibleTextUpdateEvent update(spoken, 0, before, caption);
    m_notifier.notify(update);
    if (spoken->text(QAccessible::Name) == caption) {
        // The label is named by its caption, so its name changed with it.
        QAccessibleEvent renamed(spoken, QAccessible::NameChanged);
        m_notifier.notify(renamed);
    }
}

void ClientArea::repaintArea(const QRect& rect) {
    if (!rect.isEmpty()) {
        update(rect.adjusted(-kRepaintMarginPx, -kRepaintMarginPx, kRepaintMarginPx,
                             kRepaintMarginPx));
    }
}

void ClientArea::detach() {
    m_screen = nullptr;
}

void ClientArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, m_backgroundColour);
    if (!m_background.isNull()) {
        // At its natural size from the top-left corner, never stretched: a picture taller than the
        // area is cut at the bottom, a narrower one leaves a strip of background at the right.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(0, 0, m_background);
    }
    if (!m_screen) {
        return;
    }
    // Labels first, shapes over them: the paddle passes over the status line at the bottom.
    for (const Label& label : m_screen->labels()) {
        if (label.visible()) {
            const QRect rect = pixelRect(label.geometry());
            if (rect.intersects(dirty)) {
                paintLabel(painter, label, rect);
            }
        }
    }
    for (const Shape& shape : m_screen->shapes()) {
        if (shape.visible()) {
            const QRect rect = pixelRect(shape.geometry());
            if (rect.adjusted(-kRepaintMarginPx, -kRepaintMarginPx, kRepaintMarginPx,
                              kRepaintMarginPx)
                    .intersects(dirty)) {
                paintShape(painter, shape, rect);
            }
        }
    }
}

void ClientArea::paintLabel(QPainter& painter, const Label& label, const QRect& rect) const {
    const LabelLayout& layout = label.layout();
    if (layout.background) {
        painter.fillRect(rect, toQColor(*layout.background, palette()));
    }
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setFont(m_labelFonts[std::size_t(label.ref().index)]);
    painter.setPen(layout.textColour ? toQColor(*layout.textColour, palette())
                                     : palette().color(QPalette::WindowText));
    painter.drawText(rect, int(toQtAlignment(layout.alignment) | Qt::AlignTop) | Qt::TextWordWrap,
                     m_captions[std::size_t(label.ref().index)]);
    painter.restore();
}

void ClientArea::paintShape(QPainter& painter, const Shape& shape, const QRect& rect) const {
    const ShapeLayout& layout = shape.layout();
    const QColor border = toQColor(layout.border, palette());
    const QColor fill = toQColor(layout.fill, palette());
    painter.save();
    if (layout.kind == ShapeKind::Circle) {
        // The largest circle that fits the rectangle, centred in it.
        const int side = std::min(rect.width(), rect.height());
        const QRectF circle(rect.x() + (rect.width() - side) / 2,
                            rect.y() + (rect.height() - side) / 2, side, side);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(border, 1));
        painter.setBrush(fill);
        // Half a pixel in, so that the outline stays inside the circle's square.
        painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
    } else {
        painter.fillRect(rect, fill);
        painter.setPen(QPen(border, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

}  // namespace kostkolam::ui::qt
