// Point picking, with the confirmation decided by the caller: the steps of
// CVSTVSHARE_pick_point once the customer default has been read.
#ifndef CVSTV_UI_POINT_PICK_H
#define CVSTV_UI_POINT_PICK_H

#include "hx_common.h"

namespace cvstv::ui {

// The user picks a point (prompt), and with confirm picks again
// ("Confirm: <prompt>.") until two picks in a row agree. 0 with the point
// object and its coordinates; 1 when the user cancels or backs out; else the
// host's status. Point objects made but not handed back are deleted.
int pick_point(const char *prompt, bool confirm, tag_t *point, double coordinates[3]);

} // namespace cvstv::ui

#endif
