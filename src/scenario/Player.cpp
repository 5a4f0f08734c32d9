#include "scenario/Player.h"

#include <type_traits>

#include "scenario/Formatter.h"
#include "scenario/Parser.h"
#include "table/ScreenTable.h"

namespace kostkolam::scenario {

Player::Player(flow::Game& game, ui::EventSink& input, Advance advance, Answer answer)
    : m_game(game), m_input(input), m_advance(std::move(advance)), m_answer(std::move(answer)) {}

ui::Screen& Player::loaded(flow::ScreenId id) const {
    ui::Screen* screen = m_game.screen(id);
    if (screen == nullptr) {
        throw ScenarioError(std::string(table::screenName(id)) + " is not loaded");
    }
    return *screen;
}

void Player::play(const Command& command) {
    std::visit(
        [this](const auto& c) {
            using T = std::decay_t<decltype(c)>;
            constexpr bool event =
                std::is_same_v<T, command::Menu> || std::is_same_v<T, command::Click> ||
                std::is_same_v<T, command::Key> || std::is_same_v<T, command::Close> ||
                std::is_same_v<T, command::Advance> || std::is_same_v<T, command::Tick>;
            if constexpr (event) {
                if (m_game.ended()) {
                    return;
                }
            }
            if constexpr (std::is_same_v<T, command::Menu>) {
                m_input.menuChosen(loaded(c.screen), c.item);
            } else if constexpr (std::is_same_v<T, command::Click>) {
                ui::Screen& screen = loaded(c.screen);
                // Only push buttons have a command; a brick only looks pressed.
                if (c.object.kind == ui::ObjectKind::Button) {
                    m_input.buttonClicked(screen, c.object.index);
                }
            } else if constexpr (std::is_same_v<T, command::Key>) {
                m_input.keyTyped(loaded(c.screen), c.code);
            } else if constexpr (std::is_same_v<T, command::Close>) {
                m_input.closeRequested(loaded(c.screen));
            } else if constexpr (std::is_same_v<T, command::Advance>) {
                m_advance(c.ms);
            } else if constexpr (std::is_same_v<T, command::Tick>) {
                m_input.timerTicked(loaded(c.screen).timers()[std::size_t(c.timer)]);
            } else if constexpr (std::is_same_v<T, command::Set>) {
                ui::Screen& screen = loaded(c.screen);
                switch (c.property) {
                    case Property::Caption:
                        screen.labels()[std::size_t(c.object.index)].setCaption(c.caption);
                        break;
                    case Property::Enabled:
                        screen.timers()[std::size_t(c.object.index)].setEnabled(c.flag);
                        break;
                    case Property::Left:
                        screen.shownObject(c.object)->setLeft(c.position);
                        break;
                    case Property::Top:
                        screen.shownObject(c.object)->setTop(c.position);
                        break;
                    case Property::Visible:
                        screen.shownObject(c.object)->setVisible(c.flag);
                        break;
                    default:
                        break;
                }
            } else if constexpr (std::is_same_v<T, command::SetVariable>) {
                (c.variable == Variable::KrokX ? m_game.module1().KrokX : m_game.module1().KrokY) =
                    c.value;
            } else if constexpr (std::is_same_v<T, command::GetVariable>) {
                m_answer(answerLine(c, m_game.module1()));
            } else if constexpr (std::is_same_v<T, command::Get>) {
                m_answer(answerLine(c, loaded(c.screen)));
            } else if constexpr (std::is_same_v<T, command::GetMissing>) {
                loaded(c.screen);
                throw ScenarioError(c.reason);
            } else if constexpr (std::is_same_v<T, command::Dump>) {
                std::string text = dumpText(c.screen, m_game.screen(c.screen));
                text.pop_back();
                m_answer(text);
            } else {
                m_answer(screensLine(m_game));
            }
        },
        command);
}

}  // namespace kostkolam::scenario
