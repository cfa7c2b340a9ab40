/*
 * Host features: the features of a part (objects of type HX_TYPE_FEATURE,
 * cycled with HX_OBJ_cycle_objs_in_part) with their feature type, name and
 * faces.
 */
#ifndef CVSTV_HOST_HX_FEATURES_H
#define CVSTV_HOST_HX_FEATURES_H

#include "hx_common.h"
#include "hx_lists.h"

HX_BEGIN_DECLS

/* The feature type ("BLOCK", "SKETCH", "BLEND" ...) and the feature's name,
 * each as a new string from the host allocator. */
HX_API int HX_MODL_ask_feat_type(tag_t feature, char **type);
HX_API int HX_MODL_ask_feat_name(tag_t feature, char **name);
/* The faces of a feature as a new list (released with HX_LIST_delete). */
HX_API int HX_MODL_ask_feat_faces(tag_t feature, hx_list_p_t *faces);

HX_END_DECLS

#endif
