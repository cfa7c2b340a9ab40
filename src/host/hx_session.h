/*
 * Host session: the host's release, and the switches of the session that the
 * applications read or change when they are switched on: the PDM manager,
 * the delay of inter-part updates and the modelling preferences.
 */
#ifndef CVSTV_HOST_HX_SESSION_H
#define CVSTV_HOST_HX_SESSION_H

#include "hx_common.h"

HX_BEGIN_DECLS

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
