/*
 * Host model objects: bodies, faces, edges, features and the other objects
 * of a part, with their type and subtype, owning part, name, layer, colour
 * and highlight.
 *
 * The type and subtype answered for other tags: a part is HX_TYPE_PART; a
 * component instance HX_TYPE_COMPONENT / HX_SUBTYPE_INSTANCE; a part
 * occurrence HX_TYPE_COMPONENT / HX_SUBTYPE_PART_OCCURRENCE; an object
 * occurrence the type and subtype of its prototype object.
 */
#ifndef CVSTV_HOST_HX_OBJECTS_H
#define CVSTV_HOST_HX_OBJECTS_H

#include "hx_common.h"

/* Longest object name, without terminator. */
#define HX_OBJ_NAME_SIZE 30

/* Object types and subtypes the library names. */
enum {
    HX_TYPE_POINT = 2,
    HX_TYPE_LINE = 3,
    HX_TYPE_PART = 4,
    HX_TYPE_GROUP = 15,
    HX_TYPE_CSYS = 45,      /* a coordinate system */
    HX_TYPE_COMPONENT = 63, /* component instances and part occurrences */
    HX_TYPE_REFERENCE_SET = 64,
    HX_TYPE_SOLID = 70,         /* solid geometry: bodies, faces, edges */
    HX_TYPE_INTERFERENCE = 190, /* a touching contact found by a clearance analysis */
    HX_TYPE_DATUM_AXIS = 196,
    HX_TYPE_DATUM_PLANE = 197,
    HX_TYPE_FEATURE = 205 /* a feature of a part */
};
enum { HX_SUBTYPE_SOLID_BODY = 0, HX_SUBTYPE_SOLID_FACE = 2, HX_SUBTYPE_SOLID_EDGE = 3 };
enum { HX_SUBTYPE_INSTANCE = 0, HX_SUBTYPE_PART_OCCURRENCE = 1 };

HX_BEGIN_DECLS

HX_API int HX_OBJ_ask_type_and_subtype(tag_t object, int *type, int *subtype);
/* The part that owns the object (a part: itself; an occurrence: the part
 * whose assembly holds it). */
HX_API int HX_OBJ_ask_owning_part(tag_t object, tag_t *part);
/* The object's name (empty when it has none); a component's name for an
 * instance or part occurrence. */
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
/* Delete a model object (a body with its faces and edges) or a component
 * instance; references to it in reference sets and groups go with it. */
HX_API int HX_OBJ_delete(tag_t object);

HX_END_DECLS

#endif
