/*
 * Host parts: the parts loaded in the session, the work and displayed part,
 * part names and units, and expressions of a part.
 *
 * Parts are host objects named by tag; a part's name is its full host name
 * (a file path, or the PDM name of a managed part). Parts are kept in load
 * order, which the library relies on when it looks for the first loaded
 * part carrying an attribute.
 */
#ifndef CVSTV_HOST_HX_PARTS_H
#define CVSTV_HOST_HX_PARTS_H

#include "hx_common.h"

/* Longest full part name, without terminator. */
#define HX_MAX_FSPEC_SIZE 256

/* Part units as the host reports them. */
enum { HX_PART_METRIC = 1, HX_PART_ENGLISH = 2 };

HX_BEGIN_DECLS

/* The work part; 0 when there is none. */
HX_API tag_t HX_ASSEM_ask_work_part(void);
/* Make a loaded part the work part. */
HX_API int HX_ASSEM_set_work_part(tag_t part);
/* The displayed part; 0 when there is none. */
HX_API tag_t HX_PART_ask_display_part(void);
HX_API int HX_PART_set_display_part(tag_t part);

/* Number of loaded parts, and the index-th of them in load order (0 when
 * index is out of range). */
HX_API int HX_PART_ask_num_parts(void);
HX_API tag_t HX_PART_ask_nth_part(int index);
/* The loaded part of that full name; 0 when none is loaded. */
HX_API tag_t HX_PART_ask_part_tag(const char *name);
/* The full name of a part. */
HX_API int HX_PART_ask_part_name(tag_t part, char name[HX_MAX_FSPEC_SIZE + 1]);
/* The part's units: HX_PART_METRIC or HX_PART_ENGLISH. */
HX_API int HX_PART_ask_units(tag_t part, int *units);

/* The expression of that name in a part: 0 and *expression set, or 0 and
 * *expression 0 when the part has no such expression. */
HX_API int HX_MODL_ask_exp_tag(tag_t part, const char *name, tag_t *expression);
/* The current value of an expression. */
HX_API int HX_MODL_ask_exp_value(tag_t expression, double *value);

HX_END_DECLS

#endif
