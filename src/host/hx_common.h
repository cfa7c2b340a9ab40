/*
 * Common linkage for the host programming interface.
 *
 * The library reaches the host CAD system only through the C functions
 * declared in the hx_*.h headers of this folder. A real host provides these
 * symbols in its process; the headless host (hostsim) provides them for the
 * tests, the command-line front end and the demos. Host calls return 0 on
 * success and a non-zero host status otherwise.
 */
#ifndef CVSTV_HOST_HX_COMMON_H
#define CVSTV_HOST_HX_COMMON_H

#include <stddef.h>

#ifdef __cplusplus
#define HX_BEGIN_DECLS extern "C" {
#define HX_END_DECLS }
#else
#define HX_BEGIN_DECLS
#define HX_END_DECLS
#endif

#if defined(HX_BUILDING_HOST)
#define HX_API __attribute__((visibility("default")))
#else
#define HX_API
#endif

#if defined(__GNUC__)
#define HX_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define HX_PRINTF(fmt, args)
#endif

/* A host object identifier; 0 is the null tag. The same type as the
 * library's public tag_t. */
typedef unsigned int tag_t;
#define HX_NULL_TAG 0u

/*
 * Lifetime of what the host hands out:
 * - memory from the host allocator (hx_memory.h) belongs to the caller, who
 *   gives it back with HX_free;
 * - a host-owned string (a "const char *" result, or a value a call says is
 *   host-owned) stays valid until the host session ends, unless its call
 *   states a shorter life; the caller never frees or changes it;
 * - a tag stays valid until its object is deleted or the session ends; a
 *   stale tag is never reused for another object.
 */

/* Host status codes that callers may test for. */
enum {
    HX_OK = 0,
    HX_ERR_NO_MEMORY = 1101,    /* the allocator could not serve a request */
    HX_ERR_BAD_ARGUMENT = 1102, /* a null or malformed argument */
    HX_ERR_NOT_FOUND = 1103,    /* no such variable, file, entry or object */
    HX_ERR_IO = 1104,           /* a file could not be read or written */
    HX_ERR_LOAD = 1105,         /* a library could not be loaded */
    HX_ERR_NO_ENTRY = 1106,     /* a loaded library lacks the named entry */
    HX_ERR_TOO_LONG = 1107,     /* a result does not fit the caller's buffer */
    HX_ERR_INTERNAL = 1108,     /* the host failed inside a call */
    HX_ERR_BAD_FORMAT = 1109,   /* a file is not in the form the host reads */
    HX_ERR_WRONG_TYPE = 1110    /* a value or object is not of the type or kind the request needs */
};

/* Host status codes of the part model. */
enum {
    HX_ERR_PART_FILE = 1201,        /* a file is not a readable part file */
    HX_ERR_PART_VERSION = 1202,     /* a part file of a format version the host does not read */
    HX_ERR_CYCLE = 1203,            /* a part would contain itself, or expressions refer in a circle */
    HX_ERR_EXPRESSION = 1204,       /* an expression is malformed or names what does not exist */
    HX_ERR_UPDATE = 1205,           /* a feature failed to update */
    HX_ERR_NOT_IN_WORK_PART = 1206, /* the object must belong to the work part */
    HX_ERR_EXISTS = 1207,           /* an object of that name exists already */
    HX_ERR_NOT_FULLY_LOADED = 1208, /* the part is loaded partially */
    HX_ERR_LINK_BROKEN = 1210,      /* a linked feature's source object is gone */
    HX_ERR_PDM = 1211               /* the PDM manager refused the request */
};

#endif
