// The module state of the applications' entries and toolbars, shared by the
// entries (application_entry.cpp) and the toggle actions
// (application_toggle.cpp).
//
// Per application: the main toolbar slot (0 when the application is off;
// set means a toggle switches it off), secondary toolbar slots 1 to 5
// (filled only by the applications, emptied only by switching off) and the
// loaded flag (false until the first entry succeeds, then true for the life
// of the library). Strivo also keeps whether its assembly options were set
// this session. Plain data on the host's user-interface thread; reset as
// one with the library's module state.
#ifndef CVSTV_STARTUP_APPLICATION_STATE_H
#define CVSTV_STARTUP_APPLICATION_STATE_H

#include "cvstvshare/cvstvshare_export.h"

namespace cvstv::startup {

enum class App { cavora, strivo, fulgo };

inline constexpr int secondary_toolbar_count = 5;

struct AppSlots {
    tag_t main_toolbar = 0;
    tag_t secondary[secondary_toolbar_count] = {}; // number n is secondary[n - 1]
    bool loaded = false;
};

struct AppConfig {
    int wizard_type;            // passed to the companion entry
    const char *kit_variable;   // "CAVORA_DIR" ...
    const char *toolbar_file;   // "kr_cavora.tbr" ...
    const char *not_found;      // the message when the toolbar cannot be created
    const char *const *buttons; // menu buttons of secondary toolbars 1 to 5; null: none
};

const AppConfig &config(App app);
AppSlots &slots(App app);
// Whether the Strivo assembly options were set this session.
bool &strivo_assembly_options_set();

// The application's own kit-path operation (CV_MENU_ask_cv_fspec and its
// twins).
int ask_menu_fspec(App app, const char *variable, const char *sub_path1, const char *sub_path2, char *result);

// The entry of an application (CV_MENU_entry and its twins).
int application_entry(App app);

} // namespace cvstv::startup

#endif
