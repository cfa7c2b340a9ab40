/*
 * Host model objects: bodies, faces, edges, features and the other objects
 * of a part, with their type and subtype, owning part, name, layer, colour
 * and highlight.
 */
#ifndef CVSTV_HOST_HX_OBJECTS_H
#define CVSTV_HOST_HX_OBJECTS_H

#include "hx_common.h"

/* Longest object name, without terminator. */
#define HX_OBJ_NAME_SIZE 30

/* Object types and subtypes the library names. */
enum {
    HX_TYPE_POINT = 2,      /* a point */
    HX_TYPE_COMPONENT = 63, /* a component: subtype 1 is a part occurrence */
    HX_TYPE_SOLID = 70,     /* solid geometry: bodies, faces, edges */
    HX_TYPE_FEATURE = 205   /* a feature of a part */
};
enum { HX_SUBTYPE_SOLID_BODY = 0, HX_SUBTYPE_SOLID_FACE = 2, HX_SUBTYPE_SOLID_EDGE = 3 };
enum { HX_SUBTYPE_PART_OCCURRENCE = 1 };

HX_BEGIN_DECLS

HX_API int HX_OBJ_ask_type_and_subtype(tag_t object, int *type, int *subtype);
/* The part that owns the object. */
HX_API int HX_OBJ_ask_owning_part(tag_t object, tag_t *part);
/* The object's name (empty when it has none). */
HX_API int HX_OBJ_ask_name(tag_t object, char name[HX_OBJ_NAME_SIZE + 1]);
/* Name an object; a name longer than HX_OBJ_NAME_SIZE is refused. */
HX_API int HX_OBJ_set_name(tag_t object, const char *name);
/* Layer (1-256) and colour of an object. */
HX_API int HX_OBJ_ask_layer(tag_t object, int *layer);
HX_API int HX_OBJ_set_layer(tag_t object, int layer);
HX_API int HX_OBJ_set_color(tag_t object, int colour);
/* Highlight an object (non-zero) or take the highlight off (0). */
HX_API int HX_OBJ_set_highlight(tag_t object, int on);
/* The next object of a part after *object (0: from the first) whose type is
 * type (0: any type), in creation order; *object becomes 0 after the last. */
HX_API int HX_OBJ_cycle_objs_in_part(tag_t part, int type, tag_t *object);
/* Delete an object of a part (its tag is never used again). */
HX_API int HX_OBJ_delete_object(tag_t object);

/* Occurrences: an object seen in an assembly stands for its prototype, the
 * object of the component part. Is it an occurrence; its prototype (0 for
 * an object that is no occurrence); the occurrences of an object, as a new
 * array from the host allocator (null when there are none). */
HX_API int HX_ASSEM_is_occurrence(tag_t object);
HX_API tag_t HX_ASSEM_ask_prototype_of_occ(tag_t occurrence);
HX_API int HX_ASSEM_ask_occs_of_entity(tag_t object, int *count, tag_t **occurrences);

HX_END_DECLS

#endif
