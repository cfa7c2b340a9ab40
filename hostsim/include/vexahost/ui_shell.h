// The headless host's user-interface shell: toolbars loaded from toolbar
// files with the menu buttons they define, host-internal toolbars, the
// resource palette, and the application directories where a toolbar file
// named without a directory is looked up.
//
// Application directories, in order: "<value>\application" for each of
// CAVORA_DIR, STRIVO_DIR, FULGO_DIR, KRPRESDES_DIR and TOOLING_BASE_DIR that
// is set in the session, then the directories added here.
#ifndef VEXAHOST_UI_SHELL_H
#define VEXAHOST_UI_SHELL_H

#include "vexahost/common.h"

#include <string>
#include <vector>

namespace vexa::sim {

struct ButtonInfo {
    std::string name;
    std::string label;
    bool toggle = false;
    bool on = false; // toggle buttons: pressed
};

struct ToolbarInfo {
    tag_t tag = 0;
    std::string name; // as its file names it
    std::string title;
    std::string file; // host path of the toolbar file; empty for a host-internal toolbar
    bool visible = false;
    bool internal = false;
    std::vector<ButtonInfo> buttons; // in file order
};

// The toolbars that exist, in creation order.
VEXAHOST_API std::vector<ToolbarInfo> toolbars();
// A host-internal toolbar (one of the host's own, which the applications can
// hide but not remove) defining the named buttons; 0 when a button name is
// already defined.
VEXAHOST_API tag_t create_internal_toolbar(const std::string &name, const std::vector<std::string> &buttons,
                                           bool visible = true);
// The toggle state of a defined button (HX_MB_TOGGLE_OFF or _ON), 0 when no
// button of that name exists.
VEXAHOST_API int toggle_state(const std::string &button);
// Presses a toggle button as the user would (on when off, off when on);
// false when no such button.
VEXAHOST_API bool press_toggle(const std::string &button);
// The palette files on the resource palette (host paths), in the order
// they were added.
VEXAHOST_API std::vector<std::string> palette_entries();
// Adds a host directory to search for toolbar files, after the kits' own.
VEXAHOST_API void add_application_directory(const std::string &host_directory);
VEXAHOST_API std::vector<std::string> application_directories();

} // namespace vexa::sim

#endif
