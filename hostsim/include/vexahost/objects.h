// Inspecting the headless host's object table: every object the host hands
// out a tag for lives in one table keyed by that tag (see hostsim's
// object_table.h for the invariants).
#ifndef VEXAHOST_OBJECTS_H
#define VEXAHOST_OBJECTS_H

#include "vexahost/common.h"

#include <cstddef>

namespace vexa::sim {

// What an entry of the object table is.
enum class ObjectKind {
    none,             // no such object
    spreadsheet_port, // a separate spreadsheet program behind a port
    open_workbook,    // a workbook opened through the tooling utilities
    part,             // a part (file) loaded in the session
    expression,       // an expression of a part
    model_object,     // a body, face, edge, line, point, feature ... of a part
    toolbar,          // a toolbar of the user-interface shell
    menu_button,      // a menu button defined by a toolbar
    palette,          // an entry of the resource palette
    dir_listing,      // a directory listing in progress
    layer_category,   // a named layer category
    dialog,           // an open dialog; its tag is its dialog id
    selection,        // the selection of a dialog
    instance,         // a component of a part: a child part placed in it
    occurrence,       // a part or object seen through an assembly
    xform,            // a transformation between two occurrences' contexts
    clearance_set,    // a clearance analysis dataset of a part
    pdm_folder,       // a folder of the PDM
};

// Number of live objects in the table.
VEXAHOST_API std::size_t object_count();
// The kind of the object under tag (none for 0, an unknown or a deleted tag).
VEXAHOST_API ObjectKind kind_of(tag_t tag);

} // namespace vexa::sim

#endif
