// Messages of the headless host: translation, message box and dialog,
// status texts, listing window, system log, cue and status line. Everything
// shown goes to the session journal; dialog answers come from the scripted
// queue (the first button when none is queued).
#include "session_state.h"

#include "../src/host/hx_messages.h"

#include <cstdio>
#include <cstring>
#include <string>

using vexa::sim::Entry;
using vexa::sim::record;
using vexa::sim::session;

namespace {

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
    default: return "Host error " + std::to_string(status);
    }
}

} // namespace

extern "C" {

HX_API const char *HX_TEXT(const char *text)
{
    if (!text)
        return "";
    auto &s = session();
    auto it = s.translations.find(text);
    if (it == s.translations.end())
        return text;
    return s.translated_texts.insert_or_assign(text, it->second).first->second.c_str();
}

HX_API int HX_message_box(int severity, const char *text)
{
    if (!text)
        return HX_ERR_BAD_ARGUMENT;
    record(Entry::message_box, severity, "", text);
    return HX_OK;
}

HX_API int HX_message_dialog(const char *title, int kind, const char *text, const char *button1,
                             const char *button2, const char *button3, int *response)
{
    if (!text || !response)
        return HX_ERR_BAD_ARGUMENT;
    int buttons = button3 ? 3 : button2 ? 2 : 1;
    (void)button1;
    auto &answers = session().dialog_answers;
    int answer = 1;
    if (!answers.empty()) {
        answer = answers.front();
        answers.pop_front();
    }
    if (answer < 1 || answer > buttons)
        answer = 1;
    *response = answer;
    record(Entry::message_dialog, kind, title ? title : "", text, answer);
    return HX_OK;
}

HX_API int HX_get_fail_message(int status, char message[HX_FAIL_MESSAGE_SIZE + 1])
{
    if (!message)
        return HX_ERR_BAD_ARGUMENT;
    std::snprintf(message, HX_FAIL_MESSAGE_SIZE + 1, "%s", fail_text(status).c_str());
    return HX_OK;
}

HX_API int HX_listing_window_is_open(int *is_open)
{
    if (!is_open)
        return HX_ERR_BAD_ARGUMENT;
    *is_open = session().listing_is_open ? 1 : 0;
    return HX_OK;
}

HX_API int HX_listing_window_open(void)
{
    session().listing_is_open = true;
    return HX_OK;
}

HX_API int HX_listing_window_write(const char *text)
{
    if (!text)
        return HX_ERR_BAD_ARGUMENT;
    auto &s = session();
    if (!s.listing_is_open)
        return HX_ERR_NOT_FOUND;
    s.listing += text;
    record(Entry::listing, 0, "", text);
    return HX_OK;
}

HX_API int HX_syslog_write(const char *text)
{
    if (!text)
        return HX_ERR_BAD_ARGUMENT;
    record(Entry::syslog, 0, "", text);
    return HX_OK;
}

HX_API int HX_set_cue(const char *text)
{
    record(Entry::cue, 0, "", text ? text : "");
    return HX_OK;
}

HX_API int HX_set_status(const char *text)
{
    record(Entry::status, 0, "", text ? text : "");
    return HX_OK;
}

} // extern "C"
