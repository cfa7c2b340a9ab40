// The toggle actions of the applications' menu buttons: switching an
// application on (toolbar, drafting palettes, session settings, entry) or
// off (secondary toolbars, toolbar and palettes taken away).
//
// The main toolbar slot decides the direction: empty switches on, set
// switches off. The drafting palettes are the "*.pax" files of the kit's
// drafting\assembly_drawing directory, at most 100 of them, listed afresh
// by each toggle (not at all while the PDM manager is active).
#include "cvstvshare/application.h"
#include "startup/application_state.h"
#include "util/boundary.h"
#include "util/text_buffer.h"

#include "hx_assem.h"
#include "hx_files.h"
#include "hx_messages.h"
#include "hx_pdm.h"
#include "hx_session.h"
#include "hx_ui_shell.h"

#include <string>
#include <vector>

namespace cvstv::startup {

namespace {

constexpr std::size_t max_palettes = 100;
constexpr const char *palette_directory = "assembly_drawing";
constexpr const char *palette_pattern = "*.pax";

// Secondary toolbars in the order switching off takes them away; Strivo's
// number 5 is host-internal and handled after them.
constexpr int cavora_off_order[] = {1, 3, 4, 5, 2};
constexpr int strivo_off_order[] = {1, 3, 4, 2};
constexpr const char *strivo_internal_button = "STV_VALIDATION_TOOLS_MENU";

constexpr const char *delay_key = "CAVORA_delay_interpart_set";
constexpr const char *delay_title = "Delay Interpart";
constexpr const char *delay_text = "Cavora turns off Delay Interpart. Accept or not?";
constexpr int delay_accepted = -2;

// Assembly options Strivo sets on its first switch-on (members 6, 9, 10).
constexpr int strivo_assembly_members[] = {6, 9, 10};

std::vector<std::string> palette_files(App app)
{
    std::vector<std::string> files;
    int active = 0;
    if (HX_is_krmanager_active(&active) == 0 && active)
        return files;
    char drafting[path_size + 1] = "";
    char directory[HX_CFI_NAME_SIZE + 1] = "";
    if (ask_menu_fspec(app, config(app).kit_variable, "/drafting", nullptr, drafting) != 0 ||
        HX_CFI_merge_dir_and_name(drafting, palette_directory, HX_CFI_TYPE_DIRECTORY, directory) != 0)
        return files;
    tag_t listing = 0;
    if (HX_CFI_begin_dir_listing(directory, HX_CFI_LIST_FILES, HX_CFI_TYPE_PALETTE, palette_pattern,
                                 &listing) != 0)
        return files;
    while (files.size() < max_palettes) {
        char name[HX_CFI_NAME_SIZE + 1] = "";
        int code = HX_CFI_END;
        if (HX_CFI_next_dir_entry(listing, name, &code) != 0 || code == HX_CFI_END)
            break;
        if (!*name)
            continue;
        char full[HX_CFI_NAME_SIZE + 1] = "";
        if (HX_CFI_merge_dir_and_name(directory, name, HX_CFI_TYPE_PALETTE, full) != 0)
            break;
        files.emplace_back(full);
    }
    HX_CFI_end_dir_listing(listing);
    return files;
}

// Takes a secondary toolbar away: its menu button's toggle goes off, the
// toolbar is removed and the slot cleared.
void remove_secondary(App app, int number)
{
    tag_t &slot = slots(app).secondary[number - 1];
    if (!slot)
        return;
    tag_t button = 0;
    if (HX_MB_ask_button_id(config(app).buttons[number - 1], &button) == 0 && button)
        HX_MB_set_toggle_state(button, HX_MB_TOGGLE_OFF);
    HX_UI_remove_toolbar(slot);
    slot = 0;
}

void switch_off(App app, const std::vector<std::string> &palettes)
{
    AppSlots &s = slots(app);
    if (app == App::cavora)
        for (int n : cavora_off_order)
            remove_secondary(app, n);
    if (app == App::strivo) {
        for (int n : strivo_off_order)
            remove_secondary(app, n);
        if (tag_t &internal = s.secondary[4]) {
            int defined = 0;
            if (MB_is_defined_button(strivo_internal_button, &defined) == 0 && defined)
                MB_main_set_toggle_state(strivo_internal_button, 0);
            MT_hide_toolbar(internal);
            internal = 0;
        }
    }
    HX_UI_remove_toolbar(s.main_toolbar);
    s.main_toolbar = 0;
    for (const std::string &file : palettes)
        HX_CV_delete_palette_entry(file.c_str());
}

// Cavora asks before it ends a delay of inter-part updates.
void ask_to_end_delay()
{
    int delayed = 0;
    if (DUC_is_session_delayed(&delayed) != 0 || !delayed)
        return;
    int answer = 0;
    if (HX_UI_user_controlled_message(delay_key, HX_UI_USER_MESSAGE_QUESTION, HX_TEXT(delay_title),
                                      HX_TEXT(delay_text), 1, 1, &answer) == 0 &&
        answer == delay_accepted)
        DUC_undelay_session();
}

// Strivo sets its assembly options once per session; a record it could not
// read is not written back.
void set_strivo_assembly_options()
{
    bool &done = strivo_assembly_options_set();
    if (done)
        return;
    ASSY_assy_options_t options{};
    if (ASSY_ask_assy_options(&options) != 0)
        return;
    for (int member : strivo_assembly_members)
        options.option[member - 1] = 1;
    if (ASSY_set_assy_options(&options) == 0)
        done = true;
}

void switch_on(App app, const std::vector<std::string> &palettes)
{
    AppSlots &s = slots(app);
    tag_t toolbar = 0;
    HX_UI_create_toolbar(config(app).toolbar_file, HX_UI_TOOLBAR_LOAD, &toolbar);
    s.main_toolbar = toolbar;
    if (!toolbar) {
        HX_message_box(HX_SEVERITY_ERROR, HX_TEXT(config(app).not_found));
        return;
    }
    HX_UI_set_toolbar_vis(toolbar, 1);
    for (const std::string &file : palettes)
        HX_CV_add_palette_entry(file.c_str());
    switch (app) {
    case App::cavora: ask_to_end_delay(); break;
    case App::strivo:
        set_strivo_assembly_options();
        HX_ZOLT_set_session_delay(0);
        break;
    case App::fulgo: HX_ZOLT_set_session_delay(0); break;
    }
    application_entry(app);
}

void toggle(App app)
{
    std::vector<std::string> palettes = palette_files(app);
    if (slots(app).main_toolbar)
        switch_off(app, palettes);
    else
        switch_on(app, palettes);
}

} // namespace

} // namespace cvstv::startup

extern "C" {

CVSTV_API void CV_toggle_button_action(void) noexcept
{
    cvstv::guarded_void("CV_toggle_button_action",
                        [] { cvstv::startup::toggle(cvstv::startup::App::cavora); });
}

CVSTV_API void STV_toggle_button_action(void) noexcept
{
    cvstv::guarded_void("STV_toggle_button_action",
                        [] { cvstv::startup::toggle(cvstv::startup::App::strivo); });
}

CVSTV_API void FG_toggle_button_action(void) noexcept
{
    cvstv::guarded_void("FG_toggle_button_action",
                        [] { cvstv::startup::toggle(cvstv::startup::App::fulgo); });
}

} // extern "C"
