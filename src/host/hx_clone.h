/*
 * Host clone operation, as far as numbered copies go: one operation at a
 * time copies the parts added to it under new names made by a naming rule,
 * into the default folder of the operation (PDM parts) or beside their
 * source (part files), and opens the copies quietly.
 *
 * Sequence: HX_CLONE_initialise, HX_CLONE_set_default_folder (PDM),
 * HX_CLONE_add_part, HX_CLONE_set_name_rule, HX_CLONE_set_def_naming,
 * HX_CLONE_perform, and HX_CLONE_terminate, which ends the operation
 * whatever happened before (and answers HX_OK when none is in progress).
 */
#ifndef CVSTV_HOST_HX_CLONE_H
#define CVSTV_HOST_HX_CLONE_H

#include "hx_common.h"

/* Operation classes. */
enum { HX_CLONE_CLONE_OPERATION = 0, HX_CLONE_EXPORT_OPERATION = 2, HX_CLONE_IMPORT_OPERATION = 3 };
/* Naming rules: put the new string in front of names that begin with the
 * base string; replace the base string in names by the new string. */
enum { HX_CLONE_PREFIX_RULE = 0, HX_CLONE_REPLACE_RULE = 1 };
/* Naming techniques: by the naming rule; by names given per part. */
enum { HX_CLONE_NAMING_RULE = 2, HX_CLONE_USER_NAME = 3 };

HX_BEGIN_DECLS

/* Starts an operation; HX_ERR_EXISTS while one is in progress. */
HX_API int HX_CLONE_initialise(int operation_class);
/* The PDM folder the copies are filed in: user id + ":" + folder path. */
HX_API int HX_CLONE_set_default_folder(const char *folder);
/* Adds a part by file name, command-line or encoded PDM name; it need not
 * be loaded. HX_ERR_NOT_FOUND when no such part exists. */
HX_API int HX_CLONE_add_part(const char *name);
HX_API int HX_CLONE_set_name_rule(int rule, const char *base, const char *new_string);
HX_API int HX_CLONE_set_def_naming(int technique);
/* Copies every part added and opens the copies. HX_ERR_EXISTS when a new
 * name is taken (a loaded part, a PDM item or a file), HX_ERR_BAD_ARGUMENT
 * when the naming leaves a name unchanged or makes one the PDM cannot hold;
 * nothing is copied then. */
HX_API int HX_CLONE_perform(void);
HX_API int HX_CLONE_terminate(void);

HX_END_DECLS

#endif
