/*
 * The host's user-interface shell: toolbars loaded from toolbar files, the
 * menu buttons they define with their toggle states, and the entries of the
 * resource palette.
 *
 * A toolbar file named without a directory is looked up in the host's
 * application directories; the file forms (toolbar ".tbr", palette ".pax")
 * are the host's own. Toolbars and menu buttons are host objects named by
 * tag: a toolbar's buttons live as long as the toolbar. Besides the toolbars
 * loaded from files the host has toolbars of its own (host-internal), which
 * can be hidden but not removed.
 */
#ifndef CVSTV_HOST_HX_UI_SHELL_H
#define CVSTV_HOST_HX_UI_SHELL_H

#include "hx_common.h"

/* Modes of HX_UI_create_toolbar. */
enum {
    HX_UI_TOOLBAR_LOAD = 1,         /* load it, hidden until HX_UI_set_toolbar_vis */
    HX_UI_TOOLBAR_LOAD_AND_SHOW = 2 /* load it and show it */
};

/* Toggle states of a menu button (HX_MB_set_toggle_state). */
enum { HX_MB_TOGGLE_OFF = 1, HX_MB_TOGGLE_ON = 2 };

HX_BEGIN_DECLS

/* ---- Toolbars ---------------------------------------------------------------- */

/* Loads the toolbar of a toolbar file (a bare name is looked up in the
 * application directories) and defines its buttons. *toolbar is the new
 * toolbar, or 0 when none was created: HX_ERR_NOT_FOUND for a file found
 * nowhere, HX_ERR_IO for one that cannot be read, HX_ERR_BAD_FORMAT for one
 * that is not a toolbar file (the reason goes to the system log), and
 * HX_ERR_BAD_ARGUMENT when one of its buttons is already defined. */
HX_API int HX_UI_create_toolbar(const char *file, int mode, tag_t *toolbar);
/* Shows (non-zero) or hides (0) a toolbar. */
HX_API int HX_UI_set_toolbar_vis(tag_t toolbar, int visible);
/* Removes a toolbar loaded from a file, with its buttons. A host-internal
 * toolbar cannot be removed (HX_ERR_BAD_ARGUMENT). */
HX_API int HX_UI_remove_toolbar(tag_t toolbar);
/* Hides any toolbar, host-internal ones included. */
HX_API int MT_hide_toolbar(tag_t toolbar);

/* ---- Menu buttons ----------------------------------------------------------- */

/* The menu button of that name: 0 and its tag, or 0 and *button 0 when no
 * such button is defined. */
HX_API int HX_MB_ask_button_id(const char *name, tag_t *button);
/* Sets a toggle button's state: HX_MB_TOGGLE_OFF or HX_MB_TOGGLE_ON. */
HX_API int HX_MB_set_toggle_state(tag_t button, int state);
/* *defined: non-zero when a menu button of that name exists. */
HX_API int MB_is_defined_button(const char *name, int *defined);
/* Sets the toggle of the button of that name: on (non-zero) or off (0). */
HX_API int MB_main_set_toggle_state(const char *name, int on);

/* ---- Resource palette ----------------------------------------------------- */

/* Adds the palette of a palette file (full host path) to the resource
 * palette, or takes it off. Adding a palette already there, or taking off
 * one that is not, changes nothing and returns 0. A file that cannot be read
 * or is not a palette file is refused (HX_ERR_IO, HX_ERR_BAD_FORMAT; the
 * reason goes to the system log). */
HX_API int HX_CV_add_palette_entry(const char *palette_file);
HX_API int HX_CV_delete_palette_entry(const char *palette_file);

HX_END_DECLS

#endif
