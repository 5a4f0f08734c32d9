#include "ui/qt/ScreenWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "ui/Units.h"
#include "ui/qt/Accessibility.h"
#include "ui/qt/Appearance.h"
#include "ui/qt/BrickButton.h"
#include "ui/qt/ClientArea.h"
#include "ui/qt/PictureCache.h"

namespace kostkolam::ui::qt {

namespace {

QKeySequence toKeySequence(Shortcut shortcut) {
    switch (shortcut) {
        case Shortcut::F1:
            return QKeySequence(Qt::Key_F1);
        case Shortcut::F2:
            return QKeySequence(Qt::Key_F2);
        case Shortcut::F4:
            return QKeySequence(Qt::Key_F4);
        case Shortcut::F5:
            return QKeySequence(Qt::Key_F5);
        case Shortcut::None:
            break;
    }
    return {};
}

}  // namespace

ScreenWindow::ScreenWindow(Screen& screen, EventSink& sink, PictureCache& pictures,
                           const QFont& defaultFont, const AccessibilityNotifier& accessibility)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      m_screen(&screen),
      m_sink(sink) {
    const WindowLayout& window = screen.layout().window;
    setObjectName(toQString(window.name));
    setWindowTitle(toQString(window.caption));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The player cannot resize a screen: the window is exactly its menu bar and client area.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (!window.menu.empty()) {
        auto* menuBar = new QMenuBar(this);
        // The menu belongs in the window, as on every desktop the game was laid out for.
        menuBar->setNativeMenuBar(false);
        menuBar->setAccessibleName(QStringLiteral("Nabídka"));
        buildMenu(*menuBar);
        layout->setMenuBar(menuBar);
    }
    const QPixmap background = window.picture ? pictures.pixmap(*window.picture) : QPixmap();
    m_client = new ClientArea(screen, background, defaultFont, accessibility, this);
    m_client->setFixedSize(window.clientWidthTwips / kTwipsPerPixel,
                           window.clientHeightTwips / kTwipsPerPixel);
    layout->addWidget(m_client);

    buildBricks(pictures);
    buildButtons();
    adjustSize();

    // Typed characters are watched on the native window, where each key press arrives once and
    // before any control of the window sees it.
    create();
    windowHandle()->installEventFilter(this);
}

void ScreenWindow::buildMenu(QMenuBar& menuBar) {
    const auto items = m_screen->menu();
    QMenu* dropDown = nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItemLayout& item = items[i];
        const QString name = toQString(item.name);
        if (item.depth == 0) {
            QString caption = toQString(item.caption);
            dropDown = menuBar.addMenu(caption);
            dropDown->setObjectName(name);
            // A screen reader names the open list as its item, without the mnemonic's mark.
            dropDown->setAccessibleName(caption.remove(QLatin1Char('&')));
            dropDown->menuAction()->setObjectName(name);
            // An open list takes every key; its window's function keys must still choose.
            dropDown->installEventFilter(this);
            continue;
        }
        if (!dropDown) {
            continue;
        }
        if (item.isSeparator()) {
            dropDown->addSeparator()->setObjectName(name);
            continue;
        }
        QAction* action = dropDown->addAction(toQString(item.caption));
        action->setObjectName(name);
        action->setShortcut(toKeySequence(item.shortcut));
        // Function keys choose the item whenever this window is active, menu open or not.
        action->setShortcutContext(Qt::WindowShortcut);
        if (item.shortcut != Shortcut::None) {
            m_shortcutItems.push_back(action);
        }
        const int index = int(i);
        connect(action, &QAction::triggered, this, [this, index] {
            if (m_screen) {
                m_sink.menuChosen(*m_screen, index);
            }
        });
    }
}

void ScreenWindow::buildBricks(PictureCache& pictures) {
    m_bricks.resize(m_screen->bricks().size(), nullptr);
    for (const Button& brick : m_screen->bricks()) {
        const QPixmap picture =
            brick.layout().picture ? pictures.pixmap(*brick.layout().picture) : QPixmap();
        auto* widget = new BrickButton(picture, m_client);
        widget->setObjectName(QString::fromStdString(ui::objectName(*m_screen, brick.ref())));
        widget->setAccessibleName(brickAccessibleName(brick.ref().index));
        placeChild(*widget, brick);
        m_bricks[std::size_t(brick.ref().index)] = widget;
    }
}

void ScreenWindow::buildButtons() {
    const auto& buttons = m_screen->buttons();
    m_buttons.resize(buttons.size(), nullptr);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const Button& button = buttons[i];
        auto* widget = new QPushButton(toQString(button.layout().caption), m_client);
        widget->setObjectName(toQString(button.layout().name));
        widget->setFocusPolicy(button.layout().tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        // Enter and Return press the focused button, as Space does.
        widget->setAutoDefault(true);
        placeChild(*widget, button);
        const int index = int(i);
        connect(widget, &QPushButton::clicked, this, [this, index] {
            if (m_screen) {
                m_sink.buttonClicked(*m_screen, index);
            }
        });
        m_buttons[i] = widget;
    }
    std::vector<const Button*> tabOrder;
    for (const Button& button : buttons) {
        if (button.layout().tabStop) {
            tabOrder.push_back(&button);
        }
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(), [](const Button* a, const Button* b) {
        return a->layout().tabIndex < b->layout().tabIndex;
    });
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        QWidget::setTabOrder(m_buttons[std::size_t(tabOrder[i - 1]->ref().index)],
                             m_buttons[std::size_t(tabOrder[i]->ref().index)]);
    }
    // The first button in the tab order has the keyboard focus when the window opens.
    if (!tabOrder.empty()) {
        m_buttons[std::size_t(tabOrder.front()->ref().index)]->setFocus();
    }
}

void ScreenWindow::placeChild(QWidget& child, const ShownObject& object) {
    child.setGeometry(pixelRect(object.geometry(), *m_screen));
    child.setVisible(object.visible());
}

void ScreenWindow::showInFront() {
    if (!m_placed) {
        m_placed = true;
        centreOnDesktop();
    }
    show();
    raise();
    activateWindow();
}

void ScreenWindow::centreOnDesktop() {
    const QScreen* desktop = screen();
    if (!desktop) {
        return;
    }
    const QRect area = desktop->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

void ScreenWindow::detach() {
    m_screen = nullptr;
    m_client->detach();
    hide();
}

void ScreenWindow::objectChanged(ObjectRef ref, const Geometry& before, bool wasVisible) {
    if (!m_screen) {
        return;
    }
    switch (ref.kind) {
        case ObjectKind::Label:
        case ObjectKind::Shape:
            m_client->objectChanged(ref, before, wasVisible);
            break;
        case ObjectKind::Brick:
            placeChild(*m_bricks[std::size_t(ref.index)], *m_screen->shownObject(ref));
            break;
        case ObjectKind::Button:
            placeChild(*m_buttons[std::size_t(ref.index)], *m_screen->shownObject(ref));
            break;
        case ObjectKind::Timer:
        case ObjectKind::MenuItem:
            break;
    }
}

void ScreenWindow::captionChanged(int label) {
    m_client->captionChanged(label);
}

void ScreenWindow::closeEvent(QCloseEvent* event) {
    // The game decides what the close box does: the end screen closes alone, any other screen
    // ends the game.
    event->ignore();
    if (m_screen) {
        m_sink.closeRequested(*m_screen);
    }
}

bool ScreenWindow::chooseByShortcut(const QKeyEvent& key) {
    const QKeySequence pressed(key.keyCombination());
    for (QAction* action : m_shortcutItems) {
        if (action->shortcut() == pressed && action->isEnabled()) {
            // The open list and the menu bar's highlight go first, as when an item is clicked;
            // then the item's command runs (it may open the help box or end the game).
            while (QWidget* popup = QApplication::activePopupWidget()) {
                popup->close();
            }
            action->trigger();
            return true;
        }
    }
    return false;
}

bool ScreenWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QMenu*>(watched)) {
        // A drop-down list of this window is open and holds the keyboard: the window's own
        // shortcut map is not asked, so its function keys are looked up here.
        return chooseByShortcut(*static_cast<const QKeyEvent*>(event)) ||
               QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress && watched == windowHandle() && m_screen &&
        m_screen->layout().window.keysToWindowFirst) {
        // Each character reaches the level before the focused control (a brick, say) sees the
        // key, which then goes on to that control as usual. Function keys carry no text and
        // work through the menu's shortcuts.
        const QString text = static_cast<const QKeyEvent*>(event)->text();
        for (const QChar unit : text) {
            if (!m_screen) {
                break;
            }
            m_sink.keyTyped(*m_screen, unit.unicode());
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kostkolam::ui::qt
