/*
 * Application entry, menus and toolbars: what happens when a tooling
 * application is switched on or off from its toggle button (its toolbar and
 * drafting palettes appear or disappear, its companion libraries are loaded
 * once per session, the spreadsheet service is started), the handles of the
 * applications' secondary toolbars, translation files and the release check.
 *
 * Toolbar ids are the host's tags; 0 is "no toolbar". All functions run on
 * the host's user-interface thread. Messages go to the host's message box.
 */
#ifndef CVSTVSHARE_APPLICATION_H
#define CVSTVSHARE_APPLICATION_H

#include "cvstvshare_export.h"

CVSTV_BEGIN_DECLS

/* ---- Toggle actions (menu-button callbacks) -------------------------------- */

/* Switches the application on when its toolbar is not shown (toolbar and
 * drafting palettes shown, then its entry called) and off when it is
 * (secondary toolbars, toolbar and palettes taken away). */
CVSTV_API void CV_toggle_button_action(void) CVSTV_NOEXCEPT;
CVSTV_API void STV_toggle_button_action(void) CVSTV_NOEXCEPT;
CVSTV_API void FG_toggle_button_action(void) CVSTV_NOEXCEPT;

/* ---- Entries ------------------------------------------------------------------ */

/* Loads the application's companion libraries from TOOLING_BASE_DIR's
 * "application" directory and calls their entries, then starts the
 * spreadsheet service. 0 at once when an earlier entry succeeded; -1 after
 * the host's text for a failing status is shown (a later call tries again). */
CVSTV_API int CV_MENU_entry(void) CVSTV_NOEXCEPT;
CVSTV_API int STV_MENU_entry(void) CVSTV_NOEXCEPT;
CVSTV_API int FG_MENU_entry(void) CVSTV_NOEXCEPT;

/* Loads a library by host path and calls its named entry with the
 * application's wizard type (Cavora 1, Strivo 2, Fulgo 4): the entry's
 * status, a non-zero host status of the load, or 0 when the host found the
 * library without such an entry. */
CVSTV_API int CV_MENU_load_share_lib(const char *path, const char *entry) CVSTV_NOEXCEPT;
CVSTV_API int STV_MENU_load_share_lib(const char *path, const char *entry) CVSTV_NOEXCEPT;
CVSTV_API int FG_MENU_load_share_lib(const char *path, const char *entry) CVSTV_NOEXCEPT;
/* The same, calling the entry without an argument. */
CVSTV_API int STV_MENU_load_stvshare_lib(const char *path, const char *entry) CVSTV_NOEXCEPT;

/* ---- Secondary toolbars ------------------------------------------------------- */

/* Stores the host toolbar shown by secondary toolbar number 1 to 5 (Strivo
 * number 5 is a host-internal toolbar); other numbers are ignored. */
CVSTV_API void CV_MENU_set_toolbar_id(int number, tag_t toolbar) CVSTV_NOEXCEPT;
CVSTV_API void STV_MENU_set_toolbar_id(int number, tag_t toolbar) CVSTV_NOEXCEPT;
/* The stored toolbar of number 1 to 5; 0 when none, or for other numbers. */
CVSTV_API tag_t CV_MENU_get_toolbar_id(int number) CVSTV_NOEXCEPT;
CVSTV_API tag_t STV_MENU_get_toolbar_id(int number) CVSTV_NOEXCEPT;

/* ---- Translation files, release, registry ------------------------------------ */

/* Loads the application's translation file from its kit's "localization"
 * directory when it exists: "stv.lng" for wizard type 2, "pressa.lng" for 3,
 * "cavora.lng" otherwise. Always 0. */
CVSTV_API int CVSTVSHARE_load_localization_library(int wizard_type) CVSTV_NOEXCEPT;
/* 0 when the host's release begins with the release text cut at its first
 * '.' ("V7.5" matches "V7..."), else -1 (after a line in the tooling log;
 * an empty or null text gives -1 without asking the host). */
CVSTV_API int WIZARD_Release_Match(const char *release) CVSTV_NOEXCEPT;
/* Reads a registry value by key path and value name into result (at least
 * 257 bytes); the host's status (a longer value is refused). */
CVSTV_API int cv_read_register(const char *key, const char *value_name, char *result) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
