/*
 * Host memory services.
 *
 * Everything the library hands to a caller (strings, string lists, tables)
 * comes from this allocator and goes back to it through HX_free. The host
 * may refuse a request: then the result is null and *status is non-zero.
 */
#ifndef CVSTV_HOST_HX_MEMORY_H
#define CVSTV_HOST_HX_MEMORY_H

#include "hx_common.h"

HX_BEGIN_DECLS

/* Allocate size bytes (uninitialised). status may be null. */
HX_API void *HX_allocate_memory(size_t size, int *status);
/* Allocate size bytes set to zero. status may be null. */
HX_API void *HX_zero_allocate_memory(size_t size, int *status);
/* Resize a block from this allocator (null allocates). On failure the old
 * block is left as it was and null is returned. status may be null. */
HX_API void *HX_reallocate_memory(void *block, size_t size, int *status);
/* Give a block back; null is a no-op. */
HX_API void HX_free(void *block);
/* A copy of text from the allocator; null for null text or no memory. */
HX_API char *HX_strdup(const char *text);
/* printf into a new string from the allocator; null on failure. */
HX_API char *HX_sprintf(const char *format, ...) HX_PRINTF(1, 2);

HX_END_DECLS

#endif
