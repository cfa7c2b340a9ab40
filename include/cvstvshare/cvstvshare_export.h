/*
 * Export and linkage macros of the libcvstvshareint public API.
 *
 * Every exported declaration is written as
 * `CVSTV_API type name(args) CVSTV_NOEXCEPT;` between CVSTV_BEGIN_DECLS and
 * CVSTV_END_DECLS. The library is built with hidden visibility, so a
 * function that is not marked CVSTV_API never leaves the shared object. No
 * exported function lets an exception out (a failure is its status), which
 * C++ callers see as noexcept.
 */
#ifndef CVSTVSHARE_EXPORT_H
#define CVSTVSHARE_EXPORT_H

#if defined(CVSTV_BUILDING_LIBRARY)
#define CVSTV_API __attribute__((visibility("default")))
#else
#define CVSTV_API
#endif

#ifdef __cplusplus
#define CVSTV_BEGIN_DECLS extern "C" {
#define CVSTV_END_DECLS }
/* No exception leaves an exported function. */
#define CVSTV_NOEXCEPT noexcept
#else
#define CVSTV_BEGIN_DECLS
#define CVSTV_END_DECLS
#define CVSTV_NOEXCEPT
#endif

/* Exported functions never let an exception escape; C++ callers see that
 * in their declarations. */
#ifdef __cplusplus
#define CVSTV_NOEXCEPT noexcept
#else
#define CVSTV_NOEXCEPT
#endif

/* A host object identifier; 0 is the null tag. */
typedef unsigned int tag_t;

#endif
