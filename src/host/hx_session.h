/*
 * Host session: the library's use of the host interface, the host's release
 * and current application module, the drawing display state, and the
 * switches of the session that the applications read or change when they
 * are switched on: the PDM manager, the delay of inter-part updates and the
 * modelling preferences.
 */
#ifndef CVSTV_HOST_HX_SESSION_H
#define CVSTV_HOST_HX_SESSION_H

#include "hx_common.h"

/* Application modules of HX_ask_application_module. */
enum {
    HX_APP_DRAFTING = 1,    /* drawings */
    HX_APP_ASSEMBLIES = 40, /* assemblies */
    HX_APP_MODELING = 48    /* modelling: where the session starts */
};

/* Drawing display states of HX_DRAW_ask_display_state: the displayed part
 * shows its model, or one of its drawing sheets. */
enum { HX_DRAW_MODEL_VIEW = 1, HX_DRAW_SHEET_VIEW = 2 };

HX_BEGIN_DECLS

/* Opens the caller's use of the host interface. Uses nest: each successful
 * HX_initialize is matched by one HX_terminate, and a use left open stays
 * open until the session ends. */
HX_API int HX_initialize(void);
/* Ends one use opened by HX_initialize; HX_ERR_BAD_ARGUMENT when none is
 * open. */
HX_API int HX_terminate(void);
/* The application module the user is in (HX_APP_...; other codes are other
 * modules of the host). */
HX_API int HX_ask_application_module(int *module);
/* The displayed part's drawing display state (HX_DRAW_...);
 * HX_ERR_NOT_FOUND without a displayed part. */
HX_API int HX_DRAW_ask_display_state(int *state);
/* Shows the displayed part's model (HX_DRAW_MODEL_VIEW) or its current
 * drawing sheet (HX_DRAW_SHEET_VIEW); HX_ERR_BAD_ARGUMENT for another state,
 * HX_ERR_NOT_FOUND without a displayed part. */
HX_API int HX_DRAW_set_display_state(int state);

/* The host's release text ("V7.5.2"), a copy from the host allocator that
 * the caller frees with HX_free. */
HX_API int HX_get_release(char **release);

/* The PDM manager's switch (HX_is_krmanager_active) is declared with the
 * PDM calls (hx_pdm.h), the assembly options record (ASSY_ask_assy_options) with the
 * assembly calls (hx_assem.h). */

/* The delay of inter-part updates: *delayed non-zero when the session
 * delays them; DUC_undelay_session ends the delay; HX_ZOLT_set_session_delay
 * sets it (0 off, non-zero on). All three act on the same switch. */
HX_API int DUC_is_session_delayed(int *delayed);
HX_API int DUC_undelay_session(void);
HX_API int HX_ZOLT_set_session_delay(int delay);

/* Modelling preference: faces made by a boolean inherit the properties of
 * the faces they come from (non-zero) or not (0). */
HX_API int JA_MODL_PREFS_set_boolean_face_properties(int inherit);

HX_END_DECLS

#endif
