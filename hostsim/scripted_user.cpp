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
