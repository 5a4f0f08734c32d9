#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace kostkolam::ui::qt {

/// A brick: a raised button face showing the brick picture, centred and cut to the face. The game
/// gives it no command; clicking it only shows the pressed look.
class BrickButton final : public QAbstractButton {
    Q_OBJECT

  public:
    BrickButton(const QPixmap& picture, QWidget* parent);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap m_picture;
};

}  // namespace kostkolam::ui::qt
