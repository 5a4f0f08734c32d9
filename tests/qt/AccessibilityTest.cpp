// What a screen reader finds on each screen: names and roles of windows and shown objects, the
// labels' texts and rectangles, hidden objects, and word of every change while the game runs.

#include <QAccessible>
#include <QAction>
#include <functional>
#include <vector>

#include "QtGame.h"
#include "ui/qt/Appearance.h"
#include "ui/qt/ClientArea.h"

namespace kostkolam::test {
namespace {

using Role = QAccessible::Role;

QString name(const QAccessibleInterface& iface) {
    return iface.text(QAccessible::Name);
}

/// The child of `parent` with the given name, or nullptr.
QAccessibleInterface* childNamed(const QAccessibleInterface& parent, const QString& wanted) {
    for (int i = 0; i < parent.childCount(); ++i) {
        QAccessibleInterface* child = parent.child(i);
        if (child && name(*child) == wanted) {
            return child;
        }
    }
    return nullptr;
}

QAccessibleInterface* clientAreaOf(const ScreenWindow& window) {
    return QAccessible::queryAccessibleInterface(window.clientArea());
}

/// Visits `root` and every interface below it, depth first.
void walk(QAccessibleInterface& root, const std::function<void(QAccessibleInterface&)>& visit) {
    visit(root);
    for (int i = 0; i < root.childCount(); ++i) {
        QAccessibleInterface* child = root.child(i);
        ASSERT_NE(child, nullptr) << "child " << i << " of " << name(root).toStdString();
        // Every child finds its way back to its parent and its own place under it.
        EXPECT_EQ(child->parent(), &root) << name(*child).toStdString();
        EXPECT_EQ(root.indexOfChild(child), i) << name(*child).toStdString();
        walk(*child, visit);
    }
}

/// Events that reached the hook instead of a screen reader.
struct HeardEvent {
    QAccessible::Event type;
    QAccessibleInterface* iface;
    QString removed;
    QString inserted;
};

std::vector<HeardEvent> heardFor(const std::vector<HeardEvent>& heard,
                                 const QAccessibleInterface* iface, QAccessible::Event type) {
    std::vector<HeardEvent> found;
    for (const HeardEvent& e : heard) {
        if (e.iface == iface && e.type == type) {
            found.push_back(e);
        }
    }
    return found;
}

void listen(QtGame& qt, std::vector<HeardEvent>& heard) {
    qt.windows.setAccessibilityHook([&heard](QAccessibleEvent& event) {
        HeardEvent e{event.type(), event.accessibleInterface(), {}, {}};
        if (event.type() == QAccessible::TextUpdated) {
            const auto& update = static_cast<const QAccessibleTextUpdateEvent&>(event);
            e.removed = update.textRemoved();
            e.inserted = update.textInserted();
        }
        heard.push_back(e);
    });
}

struct Spoken {
    const char* name;
    Role role;
};

const std::vector<Spoken> kLevelObjects = {
    {"Životů:", QAccessible::StaticText},  {"Počet životů", QAccessible::StaticText},
    {"Skóre:", QAccessible::StaticText},   {"Skóre", QAccessible::StaticText},
    {"Oznámení", QAccessible::StaticText}, {"Odpočet", QAccessible::StaticText},
    {"Posuvník", QAccessible::Graphic},    {"Kulička", QAccessible::Graphic},
};

TEST(Accessibility, EveryScreenNamesItsWindowAndEachShownObjectWithItsRole) {
    struct Case {
        ScreenId id;
        const char* clientArea;
        std::vector<Spoken> painted;  // labels, then shapes
        int bricks;
        std::vector<const char*> buttons;
    };
    const Case cases[] = {
        {ScreenId::frmCihlolam, "Úvodní obrazovka", {}, 0, {}},
        {ScreenId::frmLevel1, "Hrací plocha", kLevelObjects, level::kBrickCount, {}},
        {ScreenId::frmLevel2, "Hrací plocha", kLevelObjects, level::kBrickCount, {}},
        {ScreenId::frmLevel3, "Hrací plocha", kLevelObjects, level::kBrickCount, {}},
        {ScreenId::frmKonec,
         "Konec hry",
         {{"Skončil jsi v:", QAccessible::StaticText},
          {"Dosažený level", QAccessible::StaticText},
          {"Dosažené skóre:", QAccessible::StaticText},
          {"Skóre", QAccessible::StaticText},
          {"Hodnocení", QAccessible::StaticText}},
         0,
         {"Nová hra", "Konec"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(table::screenName(c.id));
        QtGame qt;
        ScreenWindow* window = qt.openScreen(c.id);
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->role(), QAccessible::Window);
        EXPECT_EQ(name(*root), window->windowTitle());

        // Nothing in the tree is nameless or without a role, but the menus' separator lines.
        walk(*root, [](QAccessibleInterface& iface) {
            EXPECT_NE(iface.role(), QAccessible::NoRole) << name(iface).toStdString();
            if (iface.role() != QAccessible::Separator) {
                EXPECT_FALSE(name(iface).isEmpty()) << "role " << int(iface.role());
            }
        });

        QAccessibleInterface* client = clientAreaOf(*window);
        ASSERT_NE(client, nullptr);
        EXPECT_EQ(client->role(), QAccessible::Client);
        EXPECT_EQ(name(*client), QString::fromUtf8(c.clientArea));
        EXPECT_EQ(client->parent(), root);
        const int painted = int(c.painted.size());
        ASSERT_EQ(client->childCount(), painted + c.bricks + int(c.buttons.size()));

        const ui::Screen& screen = qt.screen(c.id);
        for (int i = 0; i < painted; ++i) {
            SCOPED_TRACE(c.painted[std::size_t(i)].name);
            QAccessibleInterface* child = client->child(i);
            EXPECT_EQ(name(*child), QString::fromUtf8(c.painted[std::size_t(i)].name));
            EXPECT_EQ(child->role(), c.painted[std::size_t(i)].role);
            EXPECT_EQ(child->object(), nullptr);
            const ui::ShownObject& shown =
                i < int(screen.labels().size())
                    ? static_cast<const ui::ShownObject&>(screen.labels()[std::size_t(i)])
                    : screen.shapes()[std::size_t(i) - screen.labels().size()];
            EXPECT_EQ(child->state().invisible, !shown.visible());
            const QRect local = window->clientArea()->objectRect(shown);
            EXPECT_EQ(child->rect(),
                      QRect(window->clientArea()->mapToGlobal(local.topLeft()), local.size()));
            if (shown.ref().kind == ui::ObjectKind::Label) {
                const QString caption =
                    ui::qt::toQString(screen.labels()[std::size_t(i)].caption());
                EXPECT_EQ(child->text(QAccessible::Value), caption);
                ASSERT_NE(child->textInterface(), nullptr);
                EXPECT_EQ(child->textInterface()->text(0, child->textInterface()->characterCount()),
                          caption);
            } else {
                EXPECT_EQ(child->textInterface(), nullptr);
            }
        }
        for (int i = 0; i < c.bricks; ++i) {
            QAccessibleInterface* brick = client->child(painted + i);
            EXPECT_EQ(brick->role(), QAccessible::Button);
            EXPECT_EQ(name(*brick), QStringLiteral("Kostka %1").arg(i + 1));
            EXPECT_EQ(brick->object()->objectName(), QStringLiteral("cmdBod(%1)").arg(i));
        }
        for (std::size_t i = 0; i < c.buttons.size(); ++i) {
            QAccessibleInterface* button = client->child(painted + c.bricks + int(i));
            EXPECT_EQ(button->role(), QAccessible::Button);
            EXPECT_EQ(name(*button), QString::fromUtf8(c.buttons[i]));
        }
    }
}

TEST(Accessibility, WhatLiesOnTopAtAPointIsFoundAsThePlayerSeesIt) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ScreenWindow* level = qt.window(ScreenId::frmLevel1);
    QAccessibleInterface* client = clientAreaOf(*level);
    auto at = [&](const QRect& local) {
        const QPoint p = level->clientArea()->mapToGlobal(local.center());
        QAccessibleInterface* found = client->childAt(p.x(), p.y());
        return found ? name(*found) : QString();
    };
    ui::Screen& screen = qt.screen(ScreenId::frmLevel1);
    const ui::qt::ClientArea& area = *level->clientArea();
    EXPECT_EQ(at(area.objectRect(screen.shape("shpKulicka"))), QStringLiteral("Kulička"));
    EXPECT_EQ(at(area.objectRect(screen.label("lblOdpocet"))), QStringLiteral("Odpočet"));
    EXPECT_EQ(at(area.objectRect(screen.bricks()[4])), QStringLiteral("Kostka 5"));
    // The paddle is drawn over the status line where they meet.
    ui::Shape& paddle = screen.shape("shpPosuvnik");
    const ui::Label& score = screen.label("lblSko");
    paddle.setLeft(score.left());
    paddle.setTop(score.top());
    EXPECT_EQ(at(area.objectRect(paddle) & area.objectRect(score)), QStringLiteral("Posuvník"));
    EXPECT_EQ(at(area.objectRect(screen.label("lblSkore"))), QStringLiteral("Skóre:"));
    // A hidden label is nothing to point at.
    screen.label("lblOdpocet").setVisible(false);
    EXPECT_NE(at(area.objectRect(screen.label("lblOdpocet"))), QStringLiteral("Odpočet"));
}

TEST(Accessibility, ScoreCountdownAndBallChangesAreToldAsTheyHappen) {
    QtGame qt;
    std::vector<HeardEvent> heard;
    listen(qt, heard);
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ui::Screen& screen = qt.screen(ScreenId::frmLevel1);
    QAccessibleInterface* client = clientAreaOf(*qt.window(ScreenId::frmLevel1));
    QAccessibleInterface* score = childNamed(*client, QStringLiteral("Skóre"));
    QAccessibleInterface* digit = childNamed(*client, QStringLiteral("Odpočet"));
    QAccessibleInterface* banner = childNamed(*client, QStringLiteral("Oznámení"));
    QAccessibleInterface* ball = childNamed(*client, QStringLiteral("Kulička"));
    ASSERT_TRUE(score && digit && banner && ball);
    EXPECT_EQ(score->text(QAccessible::Value), QStringLiteral("0"));
    EXPECT_EQ(digit->text(QAccessible::Value), QStringLiteral("3"));
    EXPECT_FALSE(digit->state().invisible);

    // The countdown reads "2", "1", "0", and the serve hides the digit and the banner.
    heard.clear();
    for (int tick = 0; tick < 3; ++tick) {
        qt.game.timerTicked(screen.timer("tmrMezihra"));
    }
    const auto counted = heardFor(heard, digit, QAccessible::TextUpdated);
    ASSERT_EQ(counted.size(), 3u);
    EXPECT_EQ(counted[0].removed, QStringLiteral("3"));
    EXPECT_EQ(counted[0].inserted, QStringLiteral("2"));
    EXPECT_EQ(counted[1].inserted, QStringLiteral("1"));
    EXPECT_EQ(counted[2].inserted, QStringLiteral("0"));
    EXPECT_EQ(digit->text(QAccessible::Value), QStringLiteral("0"));
    EXPECT_TRUE(digit->state().invisible);
    EXPECT_TRUE(banner->state().invisible);
    EXPECT_EQ(heardFor(heard, digit, QAccessible::ObjectHide).size(), 1u);
    EXPECT_EQ(heardFor(heard, banner, QAccessible::ObjectHide).size(), 1u);
    ASSERT_TRUE(screen.timer("tmrHra").enabled());

    // The ball flies up into brick 31 from below: one hit, ten points.
    heard.clear();
    qt.game.module1().KrokX = 1;
    qt.game.module1().KrokY = -1;
    ui::Shape& shape = screen.shape("shpKulicka");
    shape.setLeft(36.5f);
    shape.setTop(37);
    EXPECT_FALSE(heardFor(heard, ball, QAccessible::LocationChanged).empty());
    heard.clear();
    qt.game.timerTicked(screen.timer("tmrHra"));
    EXPECT_EQ(score->text(QAccessible::Value), QStringLiteral("10"));
    EXPECT_EQ(score->textInterface()->text(0, 2), QStringLiteral("10"));
    const auto scored = heardFor(heard, score, QAccessible::TextUpdated);
    ASSERT_EQ(scored.size(), 1u);
    EXPECT_EQ(scored[0].removed, QStringLiteral("0"));
    EXPECT_EQ(scored[0].inserted, QStringLiteral("10"));
    // The score keeps its name; only a label named by its own caption is renamed.
    EXPECT_TRUE(heardFor(heard, score, QAccessible::NameChanged).empty());
    EXPECT_FALSE(heardFor(heard, ball, QAccessible::LocationChanged).empty());
}

TEST(Accessibility, UnloadedScreenLeavesNoLiveInterfacesBehind) {
    QtGame qt;
    ASSERT_NO_FATAL_FAILURE(qt.openLevel1());
    ScreenWindow* old = qt.window(ScreenId::frmLevel1);
    QAccessibleInterface* score = childNamed(*clientAreaOf(*old), QStringLiteral("Skóre"));
    ASSERT_NE(score, nullptr);
    const QAccessible::Id scoreId = QAccessible::uniqueId(score);
    ASSERT_TRUE(score->isValid());

    old->findChild<QAction*>(QStringLiteral("mnuNovaHra"))->trigger();
    // Its window waits for the event loop, but a screen reader no longer reads the dead score.
    EXPECT_FALSE(score->isValid());
    EXPECT_TRUE(score->state().invalid);
    EXPECT_TRUE(score->text(QAccessible::Value).isEmpty());
    EXPECT_TRUE(score->rect().isNull());

    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(QAccessible::accessibleInterface(scoreId), nullptr);
    // The fresh level answers with its own score.
    QAccessibleInterface* fresh =
        childNamed(*clientAreaOf(*qt.window(ScreenId::frmLevel1)), QStringLiteral("Skóre"));
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->isValid());
    EXPECT_EQ(fresh->text(QAccessible::Value), QStringLiteral("0"));
}

}  // namespace
}  // namespace kostkolam::test
