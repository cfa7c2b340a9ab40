// The C form of the headless host's setup API (vexahost/setup.h): each call
// forwards to the C++ setup API inside the host calls' exception guard, so
// no exception reaches a C caller. Setup calls are not host calls: they are
// not counted and take no injected fault.
#include "session_state.h"

#include "vexahost/programs.h"
#include "vexahost/setup.h"

#include "hx_spreadsheet.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using vexa::sim::guarded_call;
using vexa::sim::JournalEntry;

vexahost_entry_kind c_kind(vexa::sim::Entry kind)
{
    using vexa::sim::Entry;
    switch (kind) {
    case Entry::message_box: return VEXAHOST_MESSAGE_BOX;
    case Entry::message_dialog: return VEXAHOST_MESSAGE_DIALOG;
    case Entry::listing: return VEXAHOST_LISTING;
    case Entry::syslog: return VEXAHOST_SYSLOG;
    case Entry::cue: return VEXAHOST_CUE;
    case Entry::status: return VEXAHOST_STATUS;
    case Entry::user_message: return VEXAHOST_USER_MESSAGE;
    case Entry::tooling_log: return VEXAHOST_TOOLING_LOG;
    case Entry::shell: return VEXAHOST_SHELL;
    case Entry::dialog_open: return VEXAHOST_DIALOG_OPEN;
    case Entry::dialog_action: return VEXAHOST_DIALOG_ACTION;
    case Entry::dialog_close: return VEXAHOST_DIALOG_CLOSE;
    case Entry::selection: return VEXAHOST_SELECTION;
    case Entry::point: return VEXAHOST_POINT;
    case Entry::spawn: return VEXAHOST_SPAWN;
    case Entry::sheet_edit: return VEXAHOST_SHEET_EDIT;
    }
    return VEXAHOST_SYSLOG;
}

// The C view of an entry; its strings point into e.
vexahost_journal_entry c_entry(const JournalEntry &e)
{
    vexahost_journal_entry out{};
    out.kind = c_kind(e.kind);
    out.severity = e.severity;
    out.title = e.title.c_str();
    out.text = e.text.c_str();
    out.response = e.response;
    out.button_count = static_cast<int>(std::min<std::size_t>(e.buttons.size(), VEXAHOST_MAX_BUTTONS));
    for (int i = 0; i < out.button_count; ++i)
        out.buttons[i] = e.buttons[static_cast<std::size_t>(i)].c_str();
    out.answer = e.answer.c_str();
    return out;
}

// A C command (count words, the first a non-empty program) as words; false
// when it is malformed. A count of 0 is the empty command.
bool command_words(const char *const *command, int count, std::vector<std::string> &words)
{
    if (count < 0 || (count > 0 && (!command || !command[0] || !*command[0])))
        return false;
    for (int i = 0; i < count; ++i) {
        if (!command[i])
            return false;
        words.emplace_back(command[i]);
    }
    return true;
}

} // namespace

extern "C" {

HX_API void vexahost_reset(void)
{
    guarded_call("vexahost_reset", [] {
        vexa::sim::reset();
        return HX_OK;
    });
}

HX_API size_t vexahost_live_blocks(void)
{
    return vexa::sim::live_blocks();
}

HX_API int vexahost_set_default_spreadsheet(int application)
{
    return guarded_call("vexahost_set_default_spreadsheet", [&]() -> int {
        if (application != HX_SPREADSHEET_XESS && application != HX_SPREADSHEET_EXCEL)
            return HX_ERR_BAD_ARGUMENT;
        vexa::sim::set_default_spreadsheet_excel(application == HX_SPREADSHEET_EXCEL);
        return HX_OK;
    });
}

HX_API int vexahost_set_env(const char *name, const char *value)
{
    return guarded_call("vexahost_set_env", [&]() -> int {
        if (!name || !*name)
            return HX_ERR_BAD_ARGUMENT;
        if (value)
            vexa::sim::set_env(name, value);
        else
            vexa::sim::unset_env(name);
        return HX_OK;
    });
}

HX_API void vexahost_clear_env_overrides(void)
{
    guarded_call("vexahost_clear_env_overrides", [] {
        vexa::sim::clear_env_overrides();
        return HX_OK;
    });
}

HX_API int vexahost_push_dialog_button(const char *label)
{
    return guarded_call("vexahost_push_dialog_button", [&]() -> int {
        if (!label)
            return HX_ERR_BAD_ARGUMENT;
        vexa::sim::push_dialog_answer(std::string(label));
        return HX_OK;
    });
}

HX_API void vexahost_push_dialog_position(int position)
{
    guarded_call("vexahost_push_dialog_position", [&] {
        if (position == 0)
            vexa::sim::push_dialog_close();
        else
            vexa::sim::push_dialog_answer(position);
        return HX_OK;
    });
}

HX_API void vexahost_clear_answers(void)
{
    guarded_call("vexahost_clear_answers", [] {
        vexa::sim::clear_answers();
        return HX_OK;
    });
}

HX_API int vexahost_set_program(const char *name, const char *const *command, int count)
{
    return guarded_call("vexahost_set_program", [&]() -> int {
        std::vector<std::string> words;
        if (!name || !*name || !command_words(command, count, words))
            return HX_ERR_BAD_ARGUMENT;
        vexa::sim::set_program(name, words);
        return HX_OK;
    });
}

HX_API int vexahost_install_spreadsheet_program(const char *const *command, int count)
{
    return guarded_call("vexahost_install_spreadsheet_program", [&]() -> int {
        std::vector<std::string> words;
        if (count < 1 || !command_words(command, count, words))
            return HX_ERR_BAD_ARGUMENT;
        vexa::sim::install_spreadsheet_program(words);
        return HX_OK;
    });
}

HX_API int vexahost_wait_for_programs(void)
{
    int waited = 0;
    guarded_call("vexahost_wait_for_programs", [&] {
        waited = vexa::sim::wait_for_programs();
        return HX_OK;
    });
    return waited;
}

HX_API int vexahost_journal_count(void)
{
    return static_cast<int>(vexa::sim::journal().size());
}

HX_API int vexahost_journal_entry_at(int index, vexahost_journal_entry *entry)
{
    return guarded_call("vexahost_journal_entry_at", [&]() -> int {
        const JournalEntry *e =
            index >= 0 ? vexa::sim::stable_journal_entry(static_cast<std::size_t>(index)) : nullptr;
        if (!entry || !e)
            return HX_ERR_BAD_ARGUMENT;
        *entry = c_entry(*e);
        return HX_OK;
    });
}

HX_API void vexahost_clear_journal(void)
{
    guarded_call("vexahost_clear_journal", [] {
        vexa::sim::clear_journal();
        return HX_OK;
    });
}

HX_API void vexahost_set_journal_callback(vexahost_journal_callback callback, void *context)
{
    guarded_call("vexahost_set_journal_callback", [&] {
        if (!callback)
            vexa::sim::set_journal_sink(nullptr);
        else
            vexa::sim::set_journal_sink([callback, context](const JournalEntry &e) {
                vexahost_journal_entry c = c_entry(e);
                callback(&c, context);
            });
        return HX_OK;
    });
}

} // extern "C"
