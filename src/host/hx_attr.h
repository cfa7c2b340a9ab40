/*
 * Host attributes: typed title/value attributes on any object (parts,
 * components, bodies, features ...), and the attributes of a part file read
 * without loading the part.
 *
 * An object holds at most one attribute of a title. A part occurrence
 * carries its component's attributes; a root occurrence its part's; an
 * object occurrence its object's. Titles hold at most HX_ATTR_TITLE_SIZE
 * characters, string values at most HX_ATTR_STRING_SIZE. Attributes of
 * parts, components and objects are saved with their part.
 */
#ifndef CVSTV_HOST_HX_ATTR_H
#define CVSTV_HOST_HX_ATTR_H

#include "hx_common.h"

#define HX_ATTR_TITLE_SIZE 50
#define HX_ATTR_STRING_SIZE 132

/* Attribute types; HX_ATTR_ANY asks for whatever type an attribute has. */
enum {
    HX_ATTR_INTEGER = 1,
    HX_ATTR_REAL = 2,
    HX_ATTR_TIME = 3,
    HX_ATTR_STRING = 5,
    HX_ATTR_ANY = 6,
    HX_ATTR_REFERENCE = 7
};

/* A value read. type is 0 when the object has no attribute of that title
 * and type. A string value is host-allocated and freed by the caller with
 * HX_free. */
typedef struct HX_ATTR_value_s {
    int type;
    union {
        int integer;
        double real;
        long time; /* seconds since 1970 */
        char *string;
        tag_t reference;
    } value;
} HX_ATTR_value_t;

/* An attribute of a part file: its title, type and value as text (integers
 * "%d", reals "%.17g", times in seconds, references empty). */
typedef struct HX_ATTR_part_attr_s {
    char title[HX_ATTR_TITLE_SIZE + 1];
    int type;
    char value[HX_ATTR_STRING_SIZE + 1];
} HX_ATTR_part_attr_t;

HX_BEGIN_DECLS

/* Assign an attribute, replacing one of the same title whatever its type.
 * HX_ERR_TOO_LONG for a title or string beyond its size, HX_ERR_BAD_ARGUMENT
 * for an empty title. */
HX_API int HX_ATTR_assign_string(tag_t object, const char *title, const char *value);
HX_API int HX_ATTR_assign_integer(tag_t object, const char *title, int value);
HX_API int HX_ATTR_assign_real(tag_t object, const char *title, double value);
HX_API int HX_ATTR_assign_time(tag_t object, const char *title, long value);
HX_API int HX_ATTR_assign_reference(tag_t object, const char *title, tag_t value);
/* *found_type is the type of the object's attribute of that title when it
 * is of the type asked (or type is HX_ATTR_ANY), else 0. */
HX_API int HX_ATTR_find_attribute(tag_t object, int type, const char *title, int *found_type);
/* Read an attribute of a type (or HX_ATTR_ANY); value->type 0 when there is
 * none of that type. */
HX_API int HX_ATTR_read_value(tag_t object, const char *title, int type, HX_ATTR_value_t *value);
/* Delete an attribute of a type (or HX_ATTR_ANY); 0 also when there is none. */
HX_API int HX_ATTR_delete(tag_t object, int type, const char *title);
/* The number of attributes of a type (or HX_ATTR_ANY) of an object. */
HX_API int HX_ATTR_count_attributes(tag_t object, int type, int *count);
/* The attributes of an object in order: *index starts at 0 and is set to
 * the next index, or to 0 after the last; title and value as by
 * HX_ATTR_read_value. */
HX_API int HX_ATTR_cycle(tag_t object, int *index, int type, char title[HX_ATTR_TITLE_SIZE + 1],
                         HX_ATTR_value_t *value);
/* The attributes stored in a part file, in order, read without loading the
 * part; *attributes is host-allocated (HX_free; null when *count is 0).
 * HX_ERR_NOT_FOUND for a missing file, HX_ERR_PART_FILE or
 * HX_ERR_PART_VERSION for one that cannot be read. */
HX_API int HX_ATTR_ask_part_attrs_in_file(const char *file_name, int *count,
                                          HX_ATTR_part_attr_t **attributes);

HX_END_DECLS

#endif
