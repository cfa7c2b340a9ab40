/*
 * Host spreadsheet services: the default spreadsheet application, the
 * registry, spreadsheet ports (a separate spreadsheet program reached through
 * the host, here working on .xls files) and the host's tooling utilities that
 * read sheets through a port and change workbooks opened in read-write mode.
 *
 * Grids and lists handed out come from the host allocator (HX_free). A grid
 * is raw: row_count rows of column_count cells, absent rows null, each cell a
 * string or null; the library normalises it.
 */
#ifndef CVSTV_HOST_HX_SPREADSHEET_H
#define CVSTV_HOST_HX_SPREADSHEET_H

#include "hx_common.h"

/* Default spreadsheet applications. */
enum {
    HX_SPREADSHEET_XESS = 0, /* the host's own spreadsheet (text export .xs4) */
    HX_SPREADSHEET_EXCEL = 1 /* the separate spreadsheet program (.xls) */
};

/* A value of a row appended through the tooling utilities. */
typedef struct HX_cell_value {
    int type; /* 0 integer, 1 real, 2 text; any other: empty cell */
    int integer;
    double real;
    const char *text; /* a leading "'" marks text and is not stored */
} HX_cell_value;

HX_BEGIN_DECLS

/* ---- Settings and registry ---------------------------------------------- */

HX_API int HX_ask_default_spreadsheet(int *application);
/* The same setting as the tooling utilities ask it: HX_SPREADSHEET_XESS or
 * another value for the separate spreadsheet program. */
HX_API int HX_kt_ask_default_spreadsheet_format(int *format);
/* A registry value (key such as "HKEY_LOCAL_MACHINE\\SOFTWARE\\...", value
 * name) into value (capacity bytes). 0 when found. */
HX_API int HX_CV_read_register(const char *key, const char *value_name, char *value, size_t capacity);

/* ---- The host's spreadsheet editor ---------------------------------------- */

/* Opens a workbook (host path, without a sheet suffix) in the host's own
 * spreadsheet editor for the user to change; returns once it is open. */
HX_API int HX_sheet_edit(const char *path);

/* ---- Spreadsheet ports ----------------------------------------------------- */

/* Starts the spreadsheet program behind a new port; *port is 1 or more. */
HX_API int HX_SS_create_port(int *port);
/* Open or close a workbook file (host path) in a port; make it current. */
HX_API int HX_SS_open_file(int port, const char *path);
HX_API int HX_SS_close_file(int port, const char *path);
HX_API int HX_SS_set_current(int port, const char *path);

/* ---- Tooling utilities: reading through a port -------------------------------- */

/* Reads a sheet (null or empty sheet: the first) of a workbook through the
 * port into a raw grid. 0; HX_ERR_NOT_FOUND for a missing file or sheet. */
HX_API int HX_TOOL_read_sheet_grid(int port, const char *path, const char *sheet, char ****rows,
                                   int *row_count, int *column_count);
/* The workbook's sheet names in order, as a null-terminated list. */
HX_API int HX_TOOL_ask_sheet_names(int port, const char *path, char ***names, int *count);

/* ---- Tooling utilities: workbooks in read-write mode ------------------------- */

/* Opens the workbook through the port in a mode (non-zero: read-write) and
 * hands back a workbook handle (1 or more). */
HX_API int HX_TOOL_open_workbook(int port, const char *path, int mode, int *workbook);
/* Closes the handle; with save true the workbook is written (whole or not
 * at all) before closing. */
HX_API int HX_TOOL_close_workbook(int workbook, int save);
HX_API int HX_TOOL_add_sheet(int workbook, const char *sheet);
HX_API int HX_TOOL_delete_sheet(int workbook, const char *sheet);
HX_API int HX_TOOL_rename_sheet(int workbook, const char *old_name, const char *new_name);
/* Appends one row after the sheet's last used row. */
HX_API int HX_TOOL_append_row(int workbook, const char *sheet, int count, const HX_cell_value *values);
HX_API int HX_TOOL_append_blank_row(int workbook, const char *sheet, int count);
/* Deletes every row after the first (the records, keeping the names row). */
HX_API int HX_TOOL_delete_all_records(int workbook, const char *sheet);
/* The sheet names of an open read-write workbook. */
HX_API int HX_TOOL_ask_workbook_sheet_names(int workbook, char ***names, int *count);

HX_END_DECLS

#endif
