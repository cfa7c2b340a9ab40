/*
 * Host library loading.
 */
#ifndef CVSTV_HOST_HX_LIBRARY_H
#define CVSTV_HOST_HX_LIBRARY_H

#include "hx_common.h"

HX_BEGIN_DECLS

/* Load the shared library at path (a host path) and look up its entry
 * point by name; *function receives it. The library stays loaded. */
HX_API int HX_load_library(const char *path, const char *entry, void **function);

HX_END_DECLS

#endif
