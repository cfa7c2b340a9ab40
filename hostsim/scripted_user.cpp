// The scripted user (user.h): one queue of answers, taken from the front by
// the question they are for.
#include "session_state.h"

#include <deque>

namespace vexa::sim {

namespace {

struct UserState {
    std::deque<Answer> answers;
};

AreaState<UserState> user{"user"};

} // namespace

void push_answer(const Answer &answer)
{
    user->answers.push_back(answer);
}

void push_dialog_answer(int position)
{
    Answer a;
    a.position = position;
    push_answer(a);
}

void push_dialog_answer(const std::string &button)
{
    Answer a;
    a.button = button;
    push_answer(a);
}

void push_dialog_close()
{
    Answer a;
    a.close = true;
    push_answer(a);
}

void push_user_message_answer(int position, bool hide)
{
    Answer a;
    a.ask = Ask::user_message;
    a.position = position;
    a.hide = hide;
    push_answer(a);
}

namespace {

Answer dialog_action(DialogAction action, const std::string &item)
{
    Answer a;
    a.ask = Ask::dialog;
    a.action = action;
    a.item = item;
    return a;
}

} // namespace

void push_item_value(const std::string &item, double number)
{
    Answer a = dialog_action(DialogAction::set_value, item);
    a.number = number;
    push_answer(a);
}

void push_item_text(const std::string &item, const std::string &text)
{
    Answer a = dialog_action(DialogAction::set_value, item);
    a.text = text;
    push_answer(a);
}

void push_item_lines(const std::string &item, const std::vector<std::string> &lines)
{
    Answer a = dialog_action(DialogAction::set_value, item);
    a.lines = lines;
    push_answer(a);
}

void push_item_choice(const std::string &item, const std::vector<int> &indices)
{
    Answer a = dialog_action(DialogAction::set_value, item);
    a.indices = indices;
    push_answer(a);
}

void push_item_press(const std::string &item)
{
    push_answer(dialog_action(DialogAction::press, item));
}

void push_item_double_click(const std::string &item, int index)
{
    Answer a = dialog_action(DialogAction::double_click, item);
    a.indices = {index};
    push_answer(a);
}

void push_dialog_navigate(int nav)
{
    Answer a = dialog_action(DialogAction::navigate, "");
    a.nav = nav;
    push_answer(a);
}

void push_selection(const std::vector<tag_t> &objects, Pick how)
{
    Answer a;
    a.ask = Ask::selection;
    a.pick = how;
    a.objects = objects;
    push_answer(a);
}

void push_selection_end(Pick how)
{
    push_selection({}, how);
}

void push_point(double x, double y, double z, int method)
{
    Answer a;
    a.ask = Ask::point;
    a.point = {x, y, z};
    a.method = method;
    push_answer(a);
}

void push_point_end(Pick how)
{
    Answer a;
    a.ask = Ask::point;
    a.pick = how;
    push_answer(a);
}

std::size_t pending_answers()
{
    return user->answers.size();
}

void clear_answers()
{
    user->answers.clear();
}

std::optional<Answer> take_answer(Ask ask)
{
    auto &answers = user->answers;
    if (answers.empty() || answers.front().ask != ask)
        return std::nullopt;
    Answer a = std::move(answers.front());
    answers.pop_front();
    return a;
}

} // namespace vexa::sim
