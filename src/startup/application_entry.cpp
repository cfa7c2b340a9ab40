// Application entries, companion libraries, secondary toolbar slots,
// translation files, the release match and the registry read.
//
// An entry loads the application's companion libraries from the tooling
// base directory ("libcvstv_share.dll", and for Strivo "libstv_share.dll"),
// calls their entries, and on success sets the application's loaded flag and
// starts the spreadsheet service. The loaded flag makes every later entry
// return 0 at once, so the libraries are loaded once per session; a failed
// entry leaves it clear so that the next call tries again. The libraries
// stay loaded by the host, which owns them.
#include "cvstvshare/application.h"
#include "cvstvshare/sheet_loading.h"
#include "cvstvshare/startup.h"
#include "startup/application_state.h"
#include "util/boundary.h"
#include "util/module_state.h"
#include "util/text_buffer.h"

#include "hx_files.h"
#include "hx_library.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_session.h"
#include "hx_spreadsheet.h"

#include <cstring>
#include <optional>

namespace cvstv::startup {

namespace {

constexpr const char *cavora_buttons[secondary_toolbar_count] = {
    "CV_TOOLS_MENU", "CV_DR_HR_MENU", "CV_CPA_MENU", "CV_PARTING_TOOLS_MENU", "CV_COOLING_TOOLS_MENU"};
constexpr const char *strivo_buttons[secondary_toolbar_count] = {"STV_TOOLS_MENU", "STV_DR_HR_MENU",
                                                                 "STV_SM_TOOLS_MENU", "STV_VEXA_TOOLS_MENU",
                                                                 "STV_VALIDATION_TOOLS_MENU"};

const AppConfig configs[] = {
    {1, "CAVORA_DIR", "kr_cavora.tbr", "The CAVORA kit is not found", cavora_buttons},
    {2, "STRIVO_DIR", "kr_strivo.tbr", "The STRIVO kit is not found", strivo_buttons},
    {4, "FULGO_DIR", "kr_fulgo.tbr", "The FULGO kit is not found", nullptr},
};

AppSlots app_slots[3];
bool strivo_options_set = false;

const cvstv::ModuleStateReset application_reset{[] {
    for (AppSlots &s : app_slots)
        s = AppSlots{};
    strivo_options_set = false;
}};

constexpr const char *tooling_variable = "TOOLING_BASE_DIR";
constexpr const char *companion_directory = "/application";
constexpr const char *share_library = "libcvstv_share.dll";
constexpr const char *share_entry = "Wizard_share_entry";
constexpr const char *stv_share_library = "libstv_share.dll";
constexpr const char *stv_share_entry = "STV_udo_class_initiate";

// Loads the library and calls its entry, with the wizard type when given.
int load_and_call(const char *path, const char *entry, std::optional<int> wizard_type)
{
    void *function = nullptr;
    if (int status = HX_load_library(path, entry, &function); status != 0)
        return status;
    if (!function)
        return 0;
    if (wizard_type)
        return reinterpret_cast<int (*)(int)>(function)(*wizard_type);
    return reinterpret_cast<int (*)(void)>(function)();
}

int load_share_lib(App app, const char *path, const char *entry)
{
    return load_and_call(path, entry, config(app).wizard_type);
}

void set_toolbar_id(App app, int number, tag_t toolbar)
{
    if (number >= 1 && number <= secondary_toolbar_count)
        slots(app).secondary[number - 1] = toolbar;
}

tag_t get_toolbar_id(App app, int number)
{
    return number >= 1 && number <= secondary_toolbar_count ? slots(app).secondary[number - 1] : 0;
}

} // namespace

const AppConfig &config(App app)
{
    return configs[static_cast<int>(app)];
}

int ask_menu_fspec(App app, const char *variable, const char *sub_path1, const char *sub_path2, char *result)
{
    switch (app) {
    case App::strivo: return STV_MENU_ask_stv_fspec(variable, sub_path1, sub_path2, result);
    case App::fulgo: return FG_MENU_ask_fg_fspec(variable, sub_path1, sub_path2, result);
    default: return CV_MENU_ask_cv_fspec(variable, sub_path1, sub_path2, result);
    }
}
AppSlots &slots(App app)
{
    return app_slots[static_cast<int>(app)];
}
bool &strivo_assembly_options_set()
{
    return strivo_options_set;
}

int application_entry(App app)
{
    AppSlots &s = slots(app);
    if (s.loaded)
        return 0;
    // The path's status is not checked: a missing variable has been reported
    // and the load of the empty path fails with the host's status.
    char path[path_size + 1] = "";
    ask_menu_fspec(app, tooling_variable, companion_directory, share_library, path);
    int status = load_share_lib(app, path, share_entry);
    if (app == App::strivo && status == 0) {
        char stv_path[path_size + 1] = "";
        ask_menu_fspec(app, tooling_variable, companion_directory, stv_share_library, stv_path);
        status = load_and_call(stv_path, stv_share_entry, std::nullopt);
    }
    if (status != 0) {
        char text[HX_FAIL_MESSAGE_SIZE + 1] = "";
        HX_get_fail_message(status, text);
        HX_message_box(HX_SEVERITY_ERROR, text);
        return -1;
    }
    s.loaded = true;
    CVSTVSHARE_xls_start();
    if (app == App::cavora)
        JA_MODL_PREFS_set_boolean_face_properties(1);
    return 0;
}

} // namespace cvstv::startup

using cvstv::startup::App;
using cvstv::startup::application_entry;
using cvstv::startup::get_toolbar_id;
using cvstv::startup::load_and_call;
using cvstv::startup::load_share_lib;
using cvstv::startup::set_toolbar_id;

namespace {

constexpr std::size_t release_text_size = 247;

int load_localization(int wizard_type)
{
    const char *file = wizard_type == 2 ? "stv.lng" : wizard_type == 3 ? "pressa.lng" : "cavora.lng";
    char path[cvstv::path_size + 1] = "";
    if (CVSTVSHARE_ask_mold_fspec0(wizard_type, "/localization", file, path) != 0)
        return 0;
    int code = HX_FILE_MISSING;
    if (HX_file_exists(path, HX_FILE_TYPE_ANY, &code) == 0 && code == HX_FILE_EXISTS)
        NLM_load_translation_file(path);
    return 0;
}

int release_match(const char *release)
{
    if (!release || !*release)
        return -1;
    char *host_release = nullptr;
    if (HX_get_release(&host_release) != 0 || !host_release)
        return -1;
    char wanted[release_text_size + 1];
    cvstv::copy_bounded(wanted, sizeof wanted, release);
    if (char *dot = std::strchr(wanted, '.'))
        *dot = '\0';
    // A text that begins with '.' names no release: it matches none.
    bool matches = *wanted && std::strncmp(host_release, wanted, std::strlen(wanted)) == 0;
    if (!matches)
        HX_kt_lprintf("The Wizard release does not support the Vexa release. \n\n");
    HX_free(host_release);
    return matches ? 0 : -1;
}

} // namespace

extern "C" {

CVSTV_API int CV_MENU_entry(void) noexcept
{
    return cvstv::guarded("CV_MENU_entry", -1, [] { return application_entry(App::cavora); });
}

CVSTV_API int STV_MENU_entry(void) noexcept
{
    return cvstv::guarded("STV_MENU_entry", -1, [] { return application_entry(App::strivo); });
}

CVSTV_API int FG_MENU_entry(void) noexcept
{
    return cvstv::guarded("FG_MENU_entry", -1, [] { return application_entry(App::fulgo); });
}

CVSTV_API int CV_MENU_load_share_lib(const char *path, const char *entry) noexcept
{
    return cvstv::guarded("CV_MENU_load_share_lib", -1,
                          [&] { return load_share_lib(App::cavora, path, entry); });
}

CVSTV_API int STV_MENU_load_share_lib(const char *path, const char *entry) noexcept
{
    return cvstv::guarded("STV_MENU_load_share_lib", -1,
                          [&] { return load_share_lib(App::strivo, path, entry); });
}

CVSTV_API int FG_MENU_load_share_lib(const char *path, const char *entry) noexcept
{
    return cvstv::guarded("FG_MENU_load_share_lib", -1,
                          [&] { return load_share_lib(App::fulgo, path, entry); });
}

CVSTV_API int STV_MENU_load_stvshare_lib(const char *path, const char *entry) noexcept
{
    return cvstv::guarded("STV_MENU_load_stvshare_lib", -1,
                          [&] { return load_and_call(path, entry, std::nullopt); });
}

CVSTV_API void CV_MENU_set_toolbar_id(int number, tag_t toolbar) noexcept
{
    cvstv::guarded_void("CV_MENU_set_toolbar_id", [&] { set_toolbar_id(App::cavora, number, toolbar); });
}

CVSTV_API void STV_MENU_set_toolbar_id(int number, tag_t toolbar) noexcept
{
    cvstv::guarded_void("STV_MENU_set_toolbar_id", [&] { set_toolbar_id(App::strivo, number, toolbar); });
}

CVSTV_API tag_t CV_MENU_get_toolbar_id(int number) noexcept
{
    return cvstv::guarded("CV_MENU_get_toolbar_id", tag_t{0},
                          [&] { return get_toolbar_id(App::cavora, number); });
}

CVSTV_API tag_t STV_MENU_get_toolbar_id(int number) noexcept
{
    return cvstv::guarded("STV_MENU_get_toolbar_id", tag_t{0},
                          [&] { return get_toolbar_id(App::strivo, number); });
}

CVSTV_API int CVSTVSHARE_load_localization_library(int wizard_type) noexcept
{
    return cvstv::guarded("CVSTVSHARE_load_localization_library", 0,
                          [&] { return load_localization(wizard_type); });
}

CVSTV_API int WIZARD_Release_Match(const char *release) noexcept
{
    return cvstv::guarded("WIZARD_Release_Match", -1, [&] { return release_match(release); });
}

CVSTV_API int cv_read_register(const char *key, const char *value_name, char *result) noexcept
{
    return cvstv::guarded("cv_read_register", -1,
                          [&] { return HX_CV_read_register(key, value_name, result, cvstv::path_size + 1); });
}

} // extern "C"
