// The check before an application's command: the library's use of the host
// interface is opened, the host must be in a state the command can run in
// (a work part where one is required, the modelling or assemblies module),
// the work part is prepared (its model shown rather than a drawing sheet,
// its inter-part link parents loaded) and, unless the PDM manager keeps the
// parts, the project's directory becomes the default directory of part
// files.
//
// The use of the interface opened here stays open on every path that
// returns 0, for the command that follows; every path that refuses the
// command after opening it ends it again.
#include "cvstvshare/assembly.h"
#include "cvstvshare/part_attributes.h"
#include "cvstvshare/startup.h"
#include "util/boundary.h"
#include "util/text_buffer.h"

#include "hx_files.h"
#include "hx_messages.h"
#include "hx_parts.h"
#include "hx_session.h"

namespace {

// Refuses the command: the message (when there is one) in the message box
// as an error, and the use of the interface ended.
int refuse(const char *message)
{
    if (message)
        HX_message_box(HX_SEVERITY_ERROR, HX_TEXT(message));
    HX_terminate();
    return -1;
}

// The string attribute that marks the project's top part of a wizard type.
const char *top_part_title(int wizard_type)
{
    switch (wizard_type) {
    case 2: return "STV_PROJECT";
    case 3: return "STAMPING_PROJECT";
    default: return "KT_TOP";
    }
}

// The full name of the project's top part: the first loaded part carrying
// the top-part attribute, else the displayed part. Empty when neither is
// there.
bool project_part_name(int wizard_type, char name[HX_MAX_FSPEC_SIZE + 1])
{
    name[0] = '\0';
    char found[KT_NAME_BUFFER_SIZE] = "";
    if (kt_ask_attr_part(top_part_title(wizard_type), found, nullptr) == 0 && found[0]) {
        cvstv::copy_bounded(name, HX_MAX_FSPEC_SIZE + 1, found);
        return true;
    }
    tag_t display = HX_PART_ask_display_part();
    return display != HX_NULL_TAG && HX_PART_ask_part_name(display, name) == 0 && name[0];
}

// Points the host's default directory of part files at the project's
// directory. Nothing changes when there is no project part or its name has
// no directory.
void use_project_directory(int wizard_type)
{
    char spec[HX_MAX_FSPEC_SIZE + 1];
    if (!project_part_name(wizard_type, spec))
        return;
    char directory[257] = "", name[257] = "";
    if (HX_file_split_spec(spec, directory, name) == 0 && directory[0])
        HX_PART_set_default_directory(directory);
}

int init_all_module(int wizard_type, int flag)
{
    if (HX_initialize() != 0)
        return -1;
    tag_t work = HX_ASSEM_ask_work_part();
    if (work == HX_NULL_TAG) {
        if (flag == 0)
            return 0;
        return refuse("No active part");
    }
    int module = 0;
    if (HX_ask_application_module(&module) != 0)
        return refuse(nullptr);
    if (module != HX_APP_MODELING && module != HX_APP_ASSEMBLIES)
        return refuse("To use this command, change application to Lobbin.");

    // A work part shown as a drawing sheet is shown as its model again.
    int state = 0;
    if (HX_PART_ask_display_part() == work && HX_DRAW_ask_display_state(&state) == 0 &&
        state != HX_DRAW_MODEL_VIEW)
        HX_DRAW_set_display_state(HX_DRAW_MODEL_VIEW);

    CVSTVSHARE_zolt_load_parents(wizard_type);
    if (kt_krmgr_is_active())
        return 0;
    use_project_directory(wizard_type);
    return 0;
}

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_init_all_module(int wizard_type, int flag) noexcept
{
    return cvstv::guarded("CVSTVSHARE_init_all_module", -1,
                          [&] { return init_all_module(wizard_type, flag); });
}

} // extern "C"
