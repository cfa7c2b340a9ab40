// The scripted user of the headless host: one queue of answers for
// everything a user answers (message dialogs now; dialog items, file boxes,
// selections and point picks as those areas come).
//
// When the host asks the user, it takes the answer at the front of the
// queue if that answer is for this kind of question; otherwise it leaves
// the queue alone and the question gets its default answer (the first
// button of a message dialog). Every question and the answer given go to the
// journal, so a test can check both.
#ifndef VEXAHOST_USER_H
#define VEXAHOST_USER_H

#include "vexahost/common.h"

#include <cstddef>
#include <string>

namespace vexa::sim {

// What an answer is for.
enum class Ask {
    message_dialog, // a message dialog: a button by label or position, or closed
    user_message,   // a message the user may switch off: a button, and whether to hide it
};

struct Answer {
    Ask ask = Ask::message_dialog;
    std::string button; // a button by its label as offered (before translation)
    int position = 0;   // else a button by its position from 1
    bool close = false; // the user closes the dialog without pressing a button
    bool hide = false;  // user_message: tick "Do not show this message again"
};

VEXAHOST_API void push_answer(const Answer &answer);
// Shorthands for message dialogs.
VEXAHOST_API void push_dialog_answer(int position);
VEXAHOST_API void push_dialog_answer(const std::string &button);
VEXAHOST_API void push_dialog_close();
// Shorthand for a message the user may switch off: the button by its
// position from 1, and whether the user ticks "Do not show this message
// again".
VEXAHOST_API void push_user_message_answer(int position, bool hide = false);
// Answers not yet taken.
VEXAHOST_API std::size_t pending_answers();
VEXAHOST_API void clear_answers();

} // namespace vexa::sim

#endif
