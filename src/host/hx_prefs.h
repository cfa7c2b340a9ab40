/*
 * The host's preference store: the site's customer defaults, held by key
 * with a type (string, integer, real, logical, list of strings).
 *
 * A value is answered in the type asked for when it can be read so: an
 * integer or logical asked of a text that holds one, a logical of an integer
 * (non-zero is true), a list of a text (split at ','), a string of any value
 * (its text as written). HX_ERR_NOT_FOUND: the store holds no such key;
 * HX_ERR_WRONG_TYPE: it holds the key with a value that cannot answer.
 * On any failure the outputs are left as they were.
 */
#ifndef CVSTV_HOST_HX_PREFS_H
#define CVSTV_HOST_HX_PREFS_H

#include "hx_common.h"

HX_BEGIN_DECLS

/* The value as text: a copy from the host allocator (HX_free). */
HX_API int PMAN_ask_string(const char *key, char **value);
HX_API int PMAN_ask_int(const char *key, int *value);
HX_API int PMAN_ask_real(const char *key, double *value);
/* *value is 1 for true, 0 for false. */
HX_API int PMAN_ask_logical(const char *key, int *value);
/* The value as a list of *count non-empty strings, in order; the array and
 * each string come from the host allocator (HX_free each, then the array).
 * An empty list is a null array and a count of 0. */
HX_API int PMAN_ask_string_list(const char *key, char ***list, int *count);

HX_END_DECLS

#endif
