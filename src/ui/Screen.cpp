#include "ui/Screen.h"

#include <charconv>
#include <stdexcept>

#include "ui/Units.h"
#include "ui/WindowSystem.h"

namespace kostkolam::ui {

namespace {

Geometry convert(const Rectangle& r, UnitSize twips) {
    return {twipsToUnits(r.left, twips.x), twipsToUnits(r.top, twips.y),
            twipsToUnits(r.width, twips.x), twipsToUnits(r.height, twips.y)};
}

/// A layout name taken apart: "cmdBod(7)" is the control array "cmdBod" at index 7, "lblSko" a
/// plain name without an index.
struct NameParts {
    std::string_view base;
    std::optional<int> index;
};

/// Nothing for a control array name whose index is not a plain decimal number ("cmdBod(07)",
/// "cmdBod(x)", "cmdBod(-1)").
std::optional<NameParts> splitArrayName(std::string_view name) {
    if (name.size() < 4 || name.back() != ')') {
        return NameParts{name, std::nullopt};
    }
    const auto open = name.find('(');
    if (open == std::string_view::npos || open == 0) {
        return NameParts{name, std::nullopt};
    }
    const std::string_view digits = name.substr(open + 1, name.size() - open - 2);
    int index = -1;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        (digits.size() > 1 && digits.front() == '0') || index < 0) {
        return std::nullopt;
    }
    return NameParts{name.substr(0, open), index};
}

}  // namespace

// The handlers a screen's logic leaves out do nothing. They are defined here, out of line, so
// that code calling them through a ScreenLogic never guesses at this do-nothing version.
ScreenLogic::~ScreenLogic() = default;
void ScreenLogic::startUp() {}
void ScreenLogic::menuChosen(int /*item*/) {}
void ScreenLogic::buttonClicked(int /*button*/) {}
void ScreenLogic::keyTyped(std::uint16_t /*code*/) {}
void ScreenLogic::timerTicked(int /*timer*/) {}
void ScreenLogic::captionChanged(int /*label*/) {}

void ShownObject::setLeft(float left) {
    const Geometry before = m_geometry;
    m_geometry.left = left;
    changed(before, m_visible);
}

void ShownObject::setTop(float top) {
    const Geometry before = m_geometry;
    m_geometry.top = top;
    changed(before, m_visible);
}

void ShownObject::setVisible(bool visible) {
    const bool was = m_visible;
    m_visible = visible;
    changed(m_geometry, was);
}

void ShownObject::changed(const Geometry& before, bool wasVisible) {
    if (ScreenView* view = m_screen->view()) {
        view->objectChanged(m_ref, before, wasVisible);
    }
}

Label::Label(Screen& screen, int index, const LabelLayout& layout, Geometry geometry)
    : ShownObject(screen, {ObjectKind::Label, index}, geometry, layout.visible),
      m_layout(&layout),
      m_caption(layout.caption) {}

void Label::setCaption(std::string caption) {
    m_caption = std::move(caption);
    if (ScreenView* view = m_screen->view()) {
        view->captionChanged(m_ref.index);
    }
    if (ScreenLogic* logic = m_screen->logic()) {
        logic->captionChanged(m_ref.index);
    }
}

void Timer::start() {
    if (m_enabled || !m_screen->alive()) {
        return;
    }
    m_enabled = true;
    if (TimerService* service = m_screen->timerService()) {
        service->start(*this);
    }
}

void Timer::stop() {
    if (!m_enabled) {
        return;
    }
    m_enabled = false;
    if (TimerService* service = m_screen->timerService()) {
        service->stop(*this);
    }
}

Screen::Screen(const ScreenLayout& layout, int tag) : m_layout(&layout), m_tag(tag) {
    const UnitSize twips = twipsPerUnit(layout.window.scaleMode);
    m_twipsPerUnitX = twips.x;
    m_twipsPerUnitY = twips.y;
    m_scaleWidth = twipsToUnits(layout.window.clientWidthTwips, twips.x);
    m_scaleHeight = twipsToUnits(layout.window.clientHeightTwips, twips.y);

    m_bricks.reserve(layout.bricks.size());
    for (const ButtonLayout& b : layout.bricks) {
        m_bricks.emplace_back(*this, ObjectRef{ObjectKind::Brick, b.arrayIndex}, b,
                              convert(b.rect, twips));
    }
    m_shapes.reserve(layout.shapes.size());
    for (const ShapeLayout& s : layout.shapes) {
        m_shapes.emplace_back(*this, int(m_shapes.size()), s, convert(s.rect, twips));
    }
    m_labels.reserve(layout.labels.size());
    for (const LabelLayout& l : layout.labels) {
        m_labels.emplace_back(*this, int(m_labels.size()), l, convert(l.rect, twips));
    }
    m_buttons.reserve(layout.buttons.size());
    for (const ButtonLayout& b : layout.buttons) {
        m_buttons.emplace_back(*this, ObjectRef{ObjectKind::Button, int(m_buttons.size())}, b,
                               convert(b.rect, twips));
    }
    m_timers.reserve(layout.timers.size());
    for (const TimerLayout& t : layout.timers) {
        m_timers.emplace_back(*this, int(m_timers.size()), t);
    }
}

Screen::~Screen() {
    kill();
}

float Screen::outerWidthTwips() const {
    return m_view ? m_view->outerWidthTwips() : float(m_layout->window.clientWidthTwips);
}

void Screen::setView(std::unique_ptr<ScreenView> view) {
    m_view = std::move(view);
}

void Screen::show() {
    m_visible = true;
    if (m_view) {
        m_view->setVisible(true);
    }
}

void Screen::hide() {
    m_visible = false;
    if (m_view) {
        m_view->setVisible(false);
    }
}

void Screen::kill() {
    if (!m_alive) {
        return;
    }
    for (Timer& t : m_timers) {
        t.stop();
    }
    m_alive = false;
    m_visible = false;
    if (m_view) {
        m_view->unloaded();
    }
}

std::optional<ObjectRef> Screen::find(std::string_view name) const {
    return findObject(*m_layout, name);
}

namespace {

template <typename T>
T& expect(std::vector<T>& group, const std::optional<ObjectRef>& ref, ObjectKind kind,
          std::string_view name) {
    if (!ref || ref->kind != kind) {
        throw std::logic_error("layout has no object " + std::string(name));
    }
    return group[std::size_t(ref->index)];
}

}  // namespace

Label& Screen::label(std::string_view name) {
    return expect(m_labels, find(name), ObjectKind::Label, name);
}

Shape& Screen::shape(std::string_view name) {
    return expect(m_shapes, find(name), ObjectKind::Shape, name);
}

Timer& Screen::timer(std::string_view name) {
    return expect(m_timers, find(name), ObjectKind::Timer, name);
}

Button& Screen::button(std::string_view name) {
    return expect(m_buttons, find(name), ObjectKind::Button, name);
}

int Screen::menuItem(std::string_view name) const {
    const auto ref = find(name);
    if (!ref || ref->kind != ObjectKind::MenuItem) {
        throw std::logic_error("layout has no menu item " + std::string(name));
    }
    return ref->index;
}

const ShownObject* Screen::shownObject(ObjectRef ref) const {
    return const_cast<Screen*>(this)->shownObject(ref);
}

ShownObject* Screen::shownObject(ObjectRef ref) {
    const auto i = std::size_t(ref.index);
    switch (ref.kind) {
        case ObjectKind::Brick:
            return &m_bricks[i];
        case ObjectKind::Shape:
            return &m_shapes[i];
        case ObjectKind::Label:
            return &m_labels[i];
        case ObjectKind::Button:
            return &m_buttons[i];
        case ObjectKind::Timer:
        case ObjectKind::MenuItem:
            break;
    }
    return nullptr;
}

std::optional<ObjectRef> findObject(const ScreenLayout& layout, std::string_view name) {
    const std::optional<NameParts> parts = splitArrayName(name);
    if (!parts) {
        return std::nullopt;
    }
    if (parts->index) {
        for (const ButtonLayout& b : layout.bricks) {
            if (b.name == parts->base && b.arrayIndex == *parts->index) {
                return ObjectRef{ObjectKind::Brick, b.arrayIndex};
            }
        }
        return std::nullopt;
    }
    // The groups in the order a screen builds them, each object numbered within its group.
    const auto inGroup = [name](auto group, ObjectKind kind) -> std::optional<ObjectRef> {
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (group[i].name == name) {
                return ObjectRef{kind, int(i)};
            }
        }
        return std::nullopt;
    };
    if (auto found = inGroup(layout.shapes, ObjectKind::Shape)) {
        return found;
    }
    if (auto found = inGroup(layout.labels, ObjectKind::Label)) {
        return found;
    }
    if (auto found = inGroup(layout.buttons, ObjectKind::Button)) {
        return found;
    }
    if (auto found = inGroup(layout.timers, ObjectKind::Timer)) {
        return found;
    }
    return inGroup(layout.window.menu, ObjectKind::MenuItem);
}

std::string objectName(const ScreenLayout& layout, ObjectRef ref) {
    const auto i = std::size_t(ref.index);
    switch (ref.kind) {
        case ObjectKind::Brick:
            return std::string(layout.bricks[i].name) + "(" + std::to_string(ref.index) + ")";
        case ObjectKind::Shape:
            return std::string(layout.shapes[i].name);
        case ObjectKind::Label:
            return std::string(layout.labels[i].name);
        case ObjectKind::Button:
            return std::string(layout.buttons[i].name);
        case ObjectKind::Timer:
            return std::string(layout.timers[i].name);
        case ObjectKind::MenuItem:
            return std::string(layout.window.menu[i].name);
    }
    return {};
}

std::string objectName(const Screen& screen, ObjectRef ref) {
    return objectName(screen.layout(), ref);
}

}  // namespace kostkolam::ui
