/*
 * Host object lists: an ordered list of object tags that the host hands
 * out (the faces of a feature) or takes (objects to work on).
 *
 * A list is an opaque host object reached through its handle. It is created
 * empty, grows at its end and is released with HX_LIST_delete; a handle
 * that was deleted, or never created by the host, is refused.
 */
#ifndef CVSTV_HOST_HX_LISTS_H
#define CVSTV_HOST_HX_LISTS_H

#include "hx_common.h"

typedef struct hx_list_s *hx_list_p_t;

HX_BEGIN_DECLS

/* A new empty list. */
HX_API int HX_LIST_create(hx_list_p_t *list);
/* Append an object (not the null tag). */
HX_API int HX_LIST_append(hx_list_p_t list, tag_t object);
/* Number of items, and the index-th item (0 ... count-1). */
HX_API int HX_LIST_ask_count(hx_list_p_t list, int *count);
HX_API int HX_LIST_ask_item(hx_list_p_t list, int index, tag_t *object);
/* Release a list and set the caller's handle to null; a null handle is a
 * no-op. */
HX_API int HX_LIST_delete(hx_list_p_t *list);

HX_END_DECLS

#endif
