/*
 * Spreadsheet loading: reading a workbook sheet into a sheet_table by one of
 * three methods, listing a workbook's sheets, starting the spreadsheet
 * program, and checking a register workbook.
 *
 * A workbook path is a file path, optionally followed by "::" and a sheet
 * name (no suffix: the first sheet). The same path may name the ".xls"
 * workbook or the host spreadsheet's ".xs4" text export of it; each reader
 * swaps the extension it needs. The method follows the host's default
 * spreadsheet application: XESS reads the ".xs4" text export; Excel reads the
 * ".xls" workbook through a spreadsheet port (read method 0) or as an ODBC
 * database (any other read method). Every method normalises the sheet the
 * same way, so a workbook gives the same table whichever way it is read.
 *
 * Tables are filled from the host allocator and emptied by the caller with
 * sheet_release_memo; name lists are freed with kt_free_str_list.
 */
#ifndef CVSTVSHARE_SHEET_LOADING_H
#define CVSTVSHARE_SHEET_LOADING_H

#include "cvstvshare_export.h"
#include "sheet.h"

CVSTV_BEGIN_DECLS

/* ---- Spreadsheet application ---------------------------------------------- */

/* 1 when the host's default spreadsheet application is Excel, 0 for XESS. */
CVSTV_API int CVSTVSHARE_get_xs_default_setting(void) CVSTV_NOEXCEPT;

/* Starts Excel behind a spreadsheet port and opens the application's add-in
 * ("cavora_add_in.xla", or "stv_add_in.xla" for wizard type 2) from Excel's
 * XLStart directory or the kit's templates. 0 when XESS is the default or
 * all went well; -1 when Excel cannot be found (port set to -1); the host's
 * status when the port cannot be created or the add-in cannot be opened. */
CVSTV_API int CVSTVSHARE_xls_start(void) CVSTV_NOEXCEPT;

/* ---- Reading --------------------------------------------------------------- */

/* Reads the sheet a workbook path names into table (out; the wizard type is
 * not used). 0; -1 for a missing file, sheet or failed read (a message is
 * shown for a missing file); -2 when the sheet holds no data (table empty);
 * the host's status when no spreadsheet port can be created. */
CVSTV_API int CVSTVSHARE_read_spreadsheet(int wizard_type, const char *path,
                                          sheet_table *table) CVSTV_NOEXCEPT;

/* The workbook's sheet names in workbook order (*names a new list, *count
 * its length). On XESS the path is opened as given. 0 or -1. */
CVSTV_API int sheet_ask_sheetnames(const char *path, char ***names, int *count) CVSTV_NOEXCEPT;

/* ---- Registers --------------------------------------------------------------- */

/* Resolves the register workbook in the kit's sub-path, reads its sheet and
 * checks that the data file named in its second row (second cell sub-path,
 * third cell file name) exists. 0 if it does; -1 after "No register file
 * found" or "Cannot find the data file: %s"; a reading status unchanged. */
CVSTV_API int CVSTVSHARE_check_database(const char *sub_path, const char *register_name,
                                        const char *sheet_name) CVSTV_NOEXCEPT;

/* ---- Editing a workbook ---------------------------------------------------- */

/* Opens a workbook (a "::" sheet suffix is ignored) for the user to change.
 * With the host's default spreadsheet format XESS it goes to the host's
 * spreadsheet editor: 0, or the editor's status. Otherwise the separate
 * spreadsheet program opens the ".xls" workbook (".xs4" is read as ".xls"),
 * copied first from the wizard type's template workbook in the kit's
 * "templates" directory ("stv_template.xls" type 2, "pressa_template.xls"
 * type 3, "cavora_template.xls" otherwise) when it does not exist. The call
 * waits for the program to end when the customer default
 * "CV_ExcelBackground" is 0, and returns once it has started otherwise.
 * -1 after "Failed to find Microsoft Excel" (information dialog) or
 * "Cannot copy the template file into the database directory.
Check if you
 * have write permission to the directory." (error), or without a path; the
 * host's status when the program cannot be started. The workbook path is
 * passed to the program as one argument and never read by a command
 * processor. */
CVSTV_API int CVSTVSHARE_sheet_edit(int wizard_type, const char *path) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
