// The selection of a dialog, shared by the feature display and the
// selection functions: read its handle, empty it.
#ifndef CVSTV_UI_DIALOG_SELECTION_H
#define CVSTV_UI_DIALOG_SELECTION_H

#include "hx_common.h"

#include <vector>

namespace cvstv::ui {

// The dialog's selection (attribute 16 of the dialog); the host's status.
int ask_dialog_selection(int dialog_id, tag_t &selection);
// The objects in a selection; the host's status.
int selection_objects(tag_t selection, std::vector<tag_t> &objects);
// Removes everything from the dialog's selection, unhighlighting it; the
// host's status.
int clear_dialog_selection(int dialog_id);

// The object a feature met as an occurrence stands for (itself otherwise).
tag_t prototype_of(tag_t object);

} // namespace cvstv::ui

#endif
