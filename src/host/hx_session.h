/*
 * Host session: the host's release, and the switches of the session that the
 * applications read or change when they are switched on: the PDM manager,
 * the delay of inter-part updates, the modelling preferences and the
 * assembly options record.
 */
#ifndef CVSTV_HOST_HX_SESSION_H
#define CVSTV_HOST_HX_SESSION_H

#include "hx_common.h"

/* Number of integer members of the assembly options record. */
#define HX_ASSY_OPTION_COUNT 16

/* The assembly options of the session. Member n (counted from 1, as the
 * applications name them) is value[n - 1]; what each member means is the
 * host's. Member 1 is the load method. */
typedef struct HX_ASSY_options_s {
    int value[HX_ASSY_OPTION_COUNT];
} HX_ASSY_options_s;

HX_BEGIN_DECLS

/* The host's release text ("V7.5.2"), a copy from the host allocator that
 * the caller frees with HX_free. */
HX_API int HX_get_release(char **release);

/* *active: non-zero when the PDM manager is active in this session. */
HX_API int HX_is_krmanager_active(int *active);

/* The delay of inter-part updates: *delayed non-zero when the session
 * delays them; DUC_undelay_session ends the delay; HX_ZOLT_set_session_delay
 * sets it (0 off, non-zero on). All three act on the same switch. */
HX_API int DUC_is_session_delayed(int *delayed);
HX_API int DUC_undelay_session(void);
HX_API int HX_ZOLT_set_session_delay(int delay);

/* Modelling preference: faces made by a boolean inherit the properties of
 * the faces they come from (non-zero) or not (0). */
HX_API int JA_MODL_PREFS_set_boolean_face_properties(int inherit);

/* The session's assembly options record: read it, or replace it whole. */
HX_API int ASSY_ask_assy_options(HX_ASSY_options_s *options);
HX_API int ASSY_set_assy_options(const HX_ASSY_options_s *options);

HX_END_DECLS

#endif
