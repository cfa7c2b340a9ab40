// Messages of the headless host: translation, message box and dialogs,
// status texts, listing window, system log, cue and status line. Everything
// shown goes to the session journal with the buttons offered and the answer
// given; answers come from the scripted user (the first button when none is
// queued for a message dialog).
//
// A translated text handed out by HX_TEXT stays valid until the session is
// reset (one copy per distinct translation, kept when a later translation
// file changes the table).
//
// A message the user may switch off is answered by the scripted user; once
// the user ticked "Do not show this message again", the message's key is
// remembered with the answer given, and later messages of that key answer
// it without being shown.
#include "model.h"
#include "session_state.h"

#include "hx_dialogs.h"
#include "hx_messages.h"

#include "vexahost/text_files.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

using vexa::sim::Entry;
using vexa::sim::host_call;
using vexa::sim::host_value_call;
using vexa::sim::record;

namespace {

struct MessagesState {
    std::map<std::string, std::string> translations;
    std::set<std::string> translated_texts; // every translation handed out, at a stable address
    std::vector<std::string> translation_files;
    std::map<std::string, int> hidden_user_messages; // key -> the answer then given
    bool listing_is_open = false;
    std::string listing;
};

constexpr std::size_t max_translation_file = 1 << 20;

vexa::sim::AreaState<MessagesState> messages{"messages"};

// The button the scripted user presses among `labels` (those offered, in
// order): its index, or -1 when the user closes the dialog. A button named
// by a label that is not offered, or a position out of range, presses the
// first button, as a user dismissing the dialog with Enter would.
int choose_button(const std::vector<std::string> &labels)
{
    auto answer = vexa::sim::take_answer(vexa::sim::Ask::message_dialog);
    if (!answer)
        return 0;
    if (answer->close)
        return -1;
    if (!answer->button.empty()) {
        for (std::size_t i = 0; i < labels.size(); ++i)
            if (labels[i] == answer->button)
                return static_cast<int>(i);
        return 0;
    }
    if (answer->position >= 1 && answer->position <= static_cast<int>(labels.size()))
        return answer->position - 1;
    return 0;
}

std::string translated(const char *text, bool translate)
{
    if (!text)
        return {};
    if (!translate)
        return text;
    auto it = messages->translations.find(text);
    return it == messages->translations.end() ? std::string(text) : it->second;
}

std::string fail_text(int status)
{
    switch (status) {
    case HX_OK: return "No error";
    case HX_ERR_NO_MEMORY: return "Host memory could not be allocated";
    case HX_ERR_BAD_ARGUMENT: return "Invalid argument";
    case HX_ERR_NOT_FOUND: return "Object or file not found";
    case HX_ERR_IO: return "File could not be read or written";
    case HX_ERR_LOAD: return "Library could not be loaded";
    case HX_ERR_NO_ENTRY: return "Entry point not found in library";
    case HX_ERR_TOO_LONG: return "Result too long for its buffer";
    case HX_ERR_INTERNAL: return "Internal error of the host";
    case HX_ERR_BAD_FORMAT: return "File is not in the expected form";
    case HX_ERR_WRONG_TYPE: return "Value or object is not of the type needed";
    case HX_STYLER_ERR_NO_DIALOG: return "No such dialog is open";
    case HX_STYLER_ERR_NO_ITEM: return "The dialog has no such item";
    case HX_STYLER_ERR_BAD_ATTRIBUTE: return "The dialog item has no such attribute";
    case HX_STYLER_ERR_BAD_VALUE: return "Invalid value for the dialog item";
    case HX_STYLER_ERR_DIALOG_FILE: return "The dialog file cannot be read";
    default:
        if (std::string model = vexa::sim::part_model_fail_text(status); !model.empty())
            return model;
        return "Host error " + std::to_string(status);
    }
}

} // namespace

namespace vexa::sim {

void set_translation(const std::string &text, const std::string &translated_text)
{
    messages->translations[text] = translated_text;
}

std::vector<std::string> translation_files()
{
    return messages->translation_files;
}

bool listing_open()
{
    return messages->listing_is_open;
}
void set_listing_open(bool open)
{
    messages->listing_is_open = open;
}
std::string listing_text()
{
    return messages->listing;
}

} // namespace vexa::sim

extern "C" {

HX_API const char *HX_TEXT(const char *text)
{
    return host_value_call("HX_TEXT", text ? text : "", [&]() -> const char * {
        if (!text)
            return "";
        auto it = messages->translations.find(text);
        if (it == messages->translations.end())
            return text;
        return messages->translated_texts.insert(it->second).first->c_str();
    });
}

HX_API int HX_message_box(int severity, const char *text)
{
    return host_call("HX_message_box", [&]() -> int {
        if (!text)
            return HX_ERR_BAD_ARGUMENT;
        record(Entry::message_box, severity, "", text);
        return HX_OK;
    });
}

HX_API int HX_message_dialog(const char *title, int kind, const char *text, const char *button1,
                             const char *button2, const char *button3, int *response)
{
    return host_call("HX_message_dialog", [&]() -> int {
        if (!text || !response)
            return HX_ERR_BAD_ARGUMENT;
        // Buttons are the given labels up to the first null one; a dialog always
        // has at least its first button (a null first label reads "OK").
        std::vector<std::string> labels{button1 ? button1 : "OK"};
        if (button1 && button2) {
            labels.emplace_back(button2);
            if (button3)
                labels.emplace_back(button3);
        }
        int chosen = choose_button(labels);
        // This dialog has no answer for "closed": closing it is its first button.
        if (chosen < 0)
            chosen = 0;
        *response = chosen + 1;
        vexa::sim::JournalEntry entry;
        entry.kind = Entry::message_dialog;
        entry.severity = kind;
        entry.title = title ? title : "";
        entry.text = text;
        entry.response = *response;
        entry.buttons = labels;
        entry.answer = labels[static_cast<std::size_t>(chosen)];
        record(std::move(entry));
        return HX_OK;
    });
}

HX_API int HX_UI_user_controlled_message(const char *key, int type, const char *title, const char *text,
                                         int user_can_hide, int default_button, int *answer)
{
    return host_call("HX_UI_user_controlled_message", [&]() -> int {
        if (!key || !*key || !text || !answer)
            return HX_ERR_BAD_ARGUMENT;
        std::vector<std::string> labels;
        if (type == HX_UI_USER_MESSAGE_INFORMATION)
            labels = {"OK"};
        else if (type == HX_UI_USER_MESSAGE_QUESTION)
            labels = {"OK", "Cancel"};
        else
            return HX_ERR_BAD_ARGUMENT;
        if (default_button < 1 || default_button > static_cast<int>(labels.size()))
            return HX_ERR_BAD_ARGUMENT;
        if (auto hidden = messages->hidden_user_messages.find(key);
            hidden != messages->hidden_user_messages.end()) {
            *answer = hidden->second;
            return HX_OK;
        }
        // The scripted user's answer, else the default button.
        int chosen = default_button - 1;
        bool hide = false;
        if (auto a = vexa::sim::take_answer(vexa::sim::Ask::user_message)) {
            if (a->close)
                chosen = -1;
            else if (a->position >= 1 && a->position <= static_cast<int>(labels.size()))
                chosen = a->position - 1;
            else if (!a->button.empty())
                for (std::size_t i = 0; i < labels.size(); ++i)
                    if (labels[i] == a->button)
                        chosen = static_cast<int>(i);
            hide = a->hide && user_can_hide;
        }
        *answer = chosen < 0 ? HX_UI_USER_MESSAGE_CLOSED : -(chosen + 2);
        if (hide)
            messages->hidden_user_messages[key] = *answer;
        vexa::sim::JournalEntry entry;
        entry.kind = Entry::user_message;
        entry.severity = type;
        entry.title = title ? title : "";
        entry.text = text;
        entry.response = *answer;
        entry.buttons = labels;
        entry.answer = chosen < 0 ? "" : labels[static_cast<std::size_t>(chosen)];
        record(std::move(entry));
        return HX_OK;
    });
}

HX_API int HX_get_fail_message(int status, char message[HX_FAIL_MESSAGE_SIZE + 1])
{
    return host_call("HX_get_fail_message", [&]() -> int {
        if (!message)
            return HX_ERR_BAD_ARGUMENT;
        std::snprintf(message, HX_FAIL_MESSAGE_SIZE + 1, "%s", fail_text(status).c_str());
        return HX_OK;
    });
}

HX_API int HX_listing_window_is_open(int *is_open)
{
    return host_call("HX_listing_window_is_open", [&]() -> int {
        if (!is_open)
            return HX_ERR_BAD_ARGUMENT;
        *is_open = messages->listing_is_open ? 1 : 0;
        return HX_OK;
    });
}

HX_API int HX_listing_window_open(void)
{
    return host_call("HX_listing_window_open", [&]() -> int {
        messages->listing_is_open = true;
        return HX_OK;
    });
}

HX_API int HX_listing_window_write(const char *text)
{
    return host_call("HX_listing_window_write", [&]() -> int {
        if (!text)
            return HX_ERR_BAD_ARGUMENT;
        if (!messages->listing_is_open)
            return HX_ERR_NOT_FOUND;
        messages->listing += text;
        record(Entry::listing, 0, "", text);
        return HX_OK;
    });
}

HX_API int HX_syslog_write(const char *text)
{
    return host_call("HX_syslog_write", [&]() -> int {
        if (!text)
            return HX_ERR_BAD_ARGUMENT;
        record(Entry::syslog, 0, "", text);
        return HX_OK;
    });
}

HX_API int HX_set_cue(const char *text)
{
    return host_call("HX_set_cue", [&]() -> int {
        record(Entry::cue, 0, "", text ? text : "");
        return HX_OK;
    });
}

HX_API int HX_set_status(const char *text)
{
    return host_call("HX_set_status", [&]() -> int {
        record(Entry::status, 0, "", text ? text : "");
        return HX_OK;
    });
}

HX_API int HX_kt_lprintf(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int status = host_call("HX_kt_lprintf", [&]() -> int {
        if (!format)
            return HX_ERR_BAD_ARGUMENT;
        va_list copy;
        va_copy(copy, args);
        int n = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        if (n < 0)
            return HX_ERR_BAD_ARGUMENT;
        std::string text(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(n));
        record(Entry::tooling_log, 0, "", std::move(text));
        return HX_OK;
    });
    va_end(args);
    return status;
}

HX_API int NLM_load_translation_file(const char *path)
{
    return host_call("NLM_load_translation_file", [&]() -> int {
        if (!path || !*path)
            return HX_ERR_BAD_ARGUMENT;
        std::string text;
        int status = vexa::sim::read_host_file(path, text, max_translation_file);
        if (status == HX_ERR_IO)
            record(Entry::syslog, 0, "",
                   std::string("NLM_load_translation_file: ") + path + ": cannot be read");
        if (status != HX_OK)
            return status;
        vexa::sim::Translations loaded;
        vexa::sim::TextFileError error;
        if (!vexa::sim::parse_translation_file(text, loaded, error)) {
            std::string where = error.line > 0 ? ": line " + std::to_string(error.line) : std::string();
            record(Entry::syslog, 0, "",
                   std::string("NLM_load_translation_file: ") + path + where + ": " + error.reason);
            return HX_ERR_BAD_FORMAT;
        }
        for (auto &[source, translation] : loaded)
            messages->translations[source] = std::move(translation);
        messages->translation_files.emplace_back(path);
        record(Entry::shell, 0, "",
               "translation file " + std::string(path) + " loaded (" + std::to_string(loaded.size()) +
                   " texts)");
        return HX_OK;
    });
}

} // extern "C"

extern "C" HX_API int HX_UI_message_dialog(const char *title, HX_UI_MESSAGE_DIALOG_TYPE type,
                                           const char *const *lines, int line_count,
                                           const HX_UI_message_buttons *buttons, int translate, int *response)
{
    return host_call("HX_UI_message_dialog", [&]() -> int {
        if (!response || line_count < 0 || (line_count > 0 && !lines))
            return HX_ERR_BAD_ARGUMENT;
        bool tr = translate != 0;
        vexa::sim::JournalEntry entry;
        entry.kind = Entry::message_dialog;
        entry.severity = type;
        entry.title = translated(title, tr);
        for (int i = 0; i < line_count; ++i) {
            if (i > 0)
                entry.text += '\n';
            entry.text += translated(lines[i], tr);
        }
        // The buttons shown, in order, with their labels as given (a scripted
        // answer names a button by these) and their responses.
        std::vector<std::string> given;
        std::vector<int> responses;
        for (int i = 0; buttons && i < 3; ++i) {
            if (!buttons->label[i])
                continue;
            given.emplace_back(buttons->label[i]);
            entry.buttons.push_back(translated(buttons->label[i], tr));
            responses.push_back(buttons->response[i]);
        }
        // A dialog without buttons can only be closed (an answer queued for it
        // is taken all the same).
        int chosen = choose_button(given);
        if (given.empty())
            chosen = -1;
        if (chosen < 0) {
            *response = HX_UI_RESPONSE_CLOSED;
        } else {
            *response = responses[static_cast<std::size_t>(chosen)];
            entry.answer = entry.buttons[static_cast<std::size_t>(chosen)];
        }
        entry.response = *response;
        record(std::move(entry));
        return HX_OK;
    });
}
