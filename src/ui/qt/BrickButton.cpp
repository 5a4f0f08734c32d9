#include "ui/qt/BrickButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace kostkolam::ui::qt {

BrickButton::BrickButton(const QPixmap& picture, QWidget* parent)
    : QAbstractButton(parent), m_picture(picture) {
    // Bricks are no tab stops: the keyboard never walks over them, but a click focuses one.
    setFocusPolicy(Qt::ClickFocus);
}

QSize BrickButton::sizeHint() const {
    return m_picture.deviceIndependentSize().toSize();
}

void BrickButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.features = QStyleOptionButton::None;
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    // The picture lies centred on the face inside the bevel; a picture larger than the face (the
    // 64 x 50 brick on a 48 x 17 button) shows only its middle part.
    const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    QPoint shift;
    if (isDown()) {
        shift = {style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                 style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this)};
    }
    const QSize pictureSize = m_picture.deviceIndependentSize().toSize();
    const QPoint origin = face.topLeft() + shift +
                          QPoint((face.width() - pictureSize.width()) / 2,
                                 (face.height() - pictureSize.height()) / 2);
    painter.setClipRect(face);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(origin, m_picture);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = face;
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace kostkolam::ui::qt
