#include "ui/qt/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>
#include <span>
#include <vector>

#include "ui/qt/Appearance.h"
#include "ui/qt/ClientArea.h"
#include "ui/qt/ScreenWindow.h"

namespace kostkolam::ui::qt {

namespace {

/// Spoken names, by layout name; none of them is ever shown on a screen.
struct SpokenName {
    std::string_view object;
    std::string_view name;
};

constexpr SpokenName kClientAreaNames[] = {
    {.object = "frmCihlolam", .name = "Úvodní obrazovka"},
    {.object = "frmLevel1", .name = "Hrací plocha"},
    {.object = "frmLevel2", .name = "Hrací plocha"},
    {.object = "frmLevel3", .name = "Hrací plocha"},
    {.object = "frmKonec", .name = "Konec hry"},
};

/// The labels that hold a value get a name of their own, so that the reader says "Skóre, 10";
/// the labels that only name the value next to them ("Skóre:") are called by their caption.
constexpr SpokenName kShownObjectNames[] = {
    {.object = "lblZiv", .name = "Počet životů"},   {.object = "lblSko", .name = "Skóre"},
    {.object = "lblHra", .name = "Oznámení"},       {.object = "lblOdpocet", .name = "Odpočet"},
    {.object = "lblLev", .name = "Dosažený level"}, {.object = "lblhlaska", .name = "Hodnocení"},
    {.object = "shpPosuvnik", .name = "Posuvník"},  {.object = "shpKulicka", .name = "Kulička"},
};

QString spokenName(std::span<const SpokenName> names, std::string_view object) {
    const auto found = std::find_if(names.begin(), names.end(),
                                    [object](const SpokenName& n) { return n.object == object; });
    return found != names.end() ? toQString(found->name) : QString();
}

class ClientAreaAccessible;

/// A label or shape of a client area: a static text that reads out its caption, or a graphic.
/// It holds no pointer into the screen's model; every answer goes through the client area, so it
/// turns invalid the moment the screen is unloaded or the area goes.
class ShownObjectAccessible final : public QAccessibleInterface, public QAccessibleTextInterface {
  public:
    ShownObjectAccessible(ClientAreaAccessible& parent, ObjectRef ref, QString name)
        : m_parent(&parent), m_ref(ref), m_name(std::move(name)) {}

    bool isValid() const override { return shown() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override {
        return isLabel() ? QAccessible::StaticText : QAccessible::Graphic;
    }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface && isLabel()) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return nullptr;
    }

    // A label's caption as read-only text, without a cursor or a selection.
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override {
        const QString all = caption();
        const int start = std::clamp(startOffset, 0, int(all.size()));
        const int end = std::clamp(endOffset, start, int(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(caption().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

  private:
    bool isLabel() const { return m_ref.kind == ObjectKind::Label; }
    const ClientArea* area() const;
    const ShownObject* shown() const;
    QString caption() const;

    ClientAreaAccessible* m_parent;
    ObjectRef m_ref;
    /// Empty: the label's caption is its name.
    QString m_name;
};

/// A client area: its labels and shapes in the model's order, then its bricks and buttons.
class ClientAreaAccessible final : public QAccessibleWidget {
  public:
    explicit ClientAreaAccessible(ClientArea* area) : QAccessibleWidget(area, QAccessible::Client) {
        const Screen* screen = area->model();
        if (!screen) {
            return;
        }
        for (const Label& label : screen->labels()) {
            addPart(label.ref(), shownObjectAccessibleName(label.layout().name));
        }
        for (const Shape& shape : screen->shapes()) {
            addPart(shape.ref(), shownObjectAccessibleName(shape.layout().name));
        }
        m_labelCount = int(screen->labels().size());
    }

    ~ClientAreaAccessible() override {
        for (const QAccessible::Id id : m_parts) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    ClientAreaAccessible(const ClientAreaAccessible&) = delete;
    ClientAreaAccessible& operator=(const ClientAreaAccessible&) = delete;

    /// The client area, or nullptr once it is being destroyed.
    const ClientArea* area() const { return qobject_cast<const ClientArea*>(object()); }

    QAccessibleInterface* part(ObjectRef ref) const {
        int index = ref.index;
        if (ref.kind == ObjectKind::Shape) {
            index += m_labelCount;
        } else if (ref.kind != ObjectKind::Label) {
            return nullptr;
        }
        return index >= 0 && index < int(m_parts.size())
                   ? QAccessible::accessibleInterface(m_parts[std::size_t(index)])
                   : nullptr;
    }

    int childCount() const override {
        return int(m_parts.size()) + QAccessibleWidget::childCount();
    }

    QAccessibleInterface* child(int index) const override {
        if (index < 0) {
            return nullptr;
        }
        if (index < int(m_parts.size())) {
            return QAccessible::accessibleInterface(m_parts[std::size_t(index)]);
        }
        return QAccessibleWidget::child(index - int(m_parts.size()));
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < m_parts.size(); ++i) {
            if (QAccessible::accessibleInterface(m_parts[i]) == child) {
                return int(i);
            }
        }
        const int widgetIndex = QAccessibleWidget::indexOfChild(child);
        return widgetIndex < 0 ? -1 : widgetIndex + int(m_parts.size());
    }

    /// What lies on top at a point of the desktop: buttons above shapes above labels, in the
    /// order the client area paints them.
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = childCount() - 1; i >= 0; --i) {
            QAccessibleInterface* candidate = child(i);
            if (candidate && candidate->isValid() && !candidate->state().invisible &&
                candidate->rect().contains(x, y)) {
                return candidate;
            }
        }
        return nullptr;
    }

  private:
    void addPart(ObjectRef ref, QString name) {
        m_parts.push_back(QAccessible::registerAccessibleInterface(
            new ShownObjectAccessible(*this, ref, std::move(name))));
    }

    std::vector<QAccessible::Id> m_parts;
    int m_labelCount = 0;
};

QWindow* ShownObjectAccessible::window() const {
    return m_parent->window();
}

QAccessibleInterface* ShownObjectAccessible::parent() const {
    return m_parent;
}

const ClientArea* ShownObjectAccessible::area() const {
    return m_parent->area();
}

const ShownObject* ShownObjectAccessible::shown() const {
    const ClientArea* owner = area();
    const Screen* screen = owner ? owner->model() : nullptr;
    return screen ? screen->shownObject(m_ref) : nullptr;
}

QString ShownObjectAccessible::caption() const {
    return isLabel() && isValid() ? area()->caption(m_ref.index) : QString();
}

QString ShownObjectAccessible::text(QAccessible::Text t) const {
    switch (t) {
        case QAccessible::Name:
            return m_name.isEmpty() ? caption() : m_name;
        case QAccessible::Value:
            return caption();
        default:
            return {};
    }
}

QRect ShownObjectAccessible::rect() const {
    const ShownObject* object = shown();
    if (!object) {
        return {};
    }
    const QRect local = area()->objectRect(*object);
    return {area()->mapToGlobal(local.topLeft()), local.size()};
}

QAccessible::State ShownObjectAccessible::state() const {
    QAccessible::State state;
    const ShownObject* object = shown();
    if (!object) {
        state.invalid = true;
        return state;
    }
    state.invisible = !object->visible();
    state.readOnly = isLabel();
    return state;
}

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(ClientArea::staticMetaObject.className())) {
        return new ClientAreaAccessible(static_cast<ClientArea*>(object));
    }
    if (className == QLatin1String(ScreenWindow::staticMetaObject.className())) {
        // Named by its caption, as every window is.
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

bool AccessibilityNotifier::listening() const {
    return m_hook || QAccessible::isActive();
}

void AccessibilityNotifier::notify(QAccessibleEvent& event) const {
    if (m_hook) {
        m_hook(event);
    } else {
        QAccessible::updateAccessibility(&event);
    }
}

void installAccessibleFactory() {
    QAccessible::installFactory(accessibleFactory);
}

QAccessibleInterface* accessibleObject(ClientArea& area, ObjectRef ref) {
    const auto* iface =
        dynamic_cast<ClientAreaAccessible*>(QAccessible::queryAccessibleInterface(&area));
    return iface ? iface->part(ref) : nullptr;
}

QString brickAccessibleName(int index) {
    return QStringLiteral("Kostka %1").arg(index + 1);
}

QString clientAreaAccessibleName(const Screen& screen) {
    return spokenName(kClientAreaNames, screen.name());
}

QString shownObjectAccessibleName(std::string_view objectName) {
    return spokenName(kShownObjectNames, objectName);
}

}  // namespace kostkolam::ui::qt
