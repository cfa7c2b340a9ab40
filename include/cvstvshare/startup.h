/*
 * Start-up and kit location: full file specifications of kit, data and
 * template files from the kit environment variables, and the current wizard
 * type and module id that every other area reads.
 *
 * Wizard types: 1 mould design, 2 progressive die, 3 automotive dies,
 * 4 electrodes; the kit functions treat any other value as 1.
 * Results are host paths with '\' separators written to the caller's buffer
 * of at least 257 bytes. Each function returns 0 on success and -1 on
 * failure unless it says otherwise; the result is never half-written.
 */
#ifndef CVSTVSHARE_STARTUP_H
#define CVSTVSHARE_STARTUP_H

#include "cvstvshare_export.h"

CVSTV_BEGIN_DECLS

/* ---- Application-menu family: the caller names the variable ------------- */

/* The variable's directory joined with the optional first and second
 * sub-paths. -1 after "No <name> environment variable" when it is unset.
 * With both sub-paths null the result is left as it was. */
CVSTV_API int CV_MENU_ask_cv_fspec(const char *variable, const char *sub_path1, const char *sub_path2,
                                   char *result) CVSTV_NOEXCEPT;
CVSTV_API int FG_MENU_ask_fg_fspec(const char *variable, const char *sub_path1, const char *sub_path2,
                                   char *result) CVSTV_NOEXCEPT;
CVSTV_API int STV_MENU_ask_stv_fspec(const char *variable, const char *sub_path1, const char *sub_path2,
                                     char *result) CVSTV_NOEXCEPT;

/* ---- Kit family: the variable follows the wizard type ------------------- */

/* Tries the named variable (null: "CV_STANDARDPARTPATH") first, then the
 * kit variable of the wizard type. */
CVSTV_API int CVSTVSHARE_ask_mold_fspec(int wizard_type, const char *variable, const char *sub_path1,
                                        const char *sub_path2, char *result) CVSTV_NOEXCEPT;
/* Always the kit variable of the wizard type. */
CVSTV_API int CVSTVSHARE_ask_mold_fspec0(int wizard_type, const char *sub_path1, const char *sub_path2,
                                         char *result) CVSTV_NOEXCEPT;
/* Resolves in the kit, then under KRAX_BASE_DIR, and tests for existence
 * (a "::" suffix is not part of the tested file). 0 when found; the host's
 * non-zero existence code (result empty) when found nowhere; -1 when a
 * variable is not set. */
CVSTV_API int CVSTVSHARE_ask_mold_fspec1(int wizard_type, const char *sub_path1, const char *sub_path2,
                                         char *result) CVSTV_NOEXCEPT;
/* A workbook that may exist as ".xls" or as ".xs4": the ".xls" path when
 * that file exists, else the ".xs4" path. -1 for a name with neither
 * extension or a failed resolution. */
CVSTV_API int CVSTVSHARE_ask_mold_data_fspec(int wizard_type, const char *sub_path, const char *file_name,
                                             char *result) CVSTV_NOEXCEPT;

/* ---- Current wizard type and module id ---------------------------------- */

CVSTV_API void CVSTWSHARE_set_wizard_type(int wizard_type) CVSTV_NOEXCEPT;
/* 0 until an application sets it. */
CVSTV_API int CVSTWSHARE_get_wizard_type(void) CVSTV_NOEXCEPT;
/* Stores the module id; returns 0. */
CVSTV_API int kt_set_module_id(int module_id) CVSTV_NOEXCEPT;
/* -1 until set. */
CVSTV_API int kt_ask_module_id(void) CVSTV_NOEXCEPT;

/* ---- Before a command ------------------------------------------------------ */

/* Prepares the host for a command of the application of a wizard type:
 * opens the library's use of the host interface, requires a work part when
 * flag is non-zero ("No active part") and the modelling or assemblies
 * module ("To use this command, change application to Lobbin."), shows the
 * work part's model instead of a drawing sheet, loads its inter-part link
 * parents and, without the PDM manager, makes the project's directory (the
 * directory of the first loaded part carrying "STV_PROJECT" for type 2,
 * "STAMPING_PROJECT" for type 3, "KT_TOP" otherwise, else of the displayed
 * part) the default directory of part files. 0, with the use of the
 * interface left open for the command; -1 (after the message, if any) with
 * it ended. Without a work part and with flag 0: 0 at once. */
CVSTV_API int CVSTVSHARE_init_all_module(int wizard_type, int flag) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
