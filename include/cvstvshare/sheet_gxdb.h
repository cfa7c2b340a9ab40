/*
 * Workbook database: a workbook read and edited as a database, each
 * worksheet a table whose first row names the columns and whose further rows
 * are records.
 *
 * Two back ends stand behind these functions. The ODBC back end reaches the
 * workbook through the driver manager and the workbook driver ("MICROSOFT
 * EXCEL DRIVER (*.XLS)") with SQL statements built as text. The automation
 * back end goes through the host's spreadsheet port: it is chosen when an
 * opened spreadsheet port exists (CVSTVSHARE_get_xls_port() >= 1) and the
 * read method is 0; the functions that change sheets use it only when a
 * workbook handle from GXDB_Connect_RW_Mode exists as well. Every function
 * evaluates these conditions anew.
 *
 * One connection exists at a time, process-wide; the record functions expect
 * the caller to have connected. The readers (GXDB_read_spreadsheet,
 * GXDB_read_sheetnames, GXDB_debug_database) connect and disconnect by
 * themselves.
 *
 * "^" is the empty-cell mark: an unnamed column in a name list, an empty
 * cell in a record text. Record texts are, for each column from the first,
 * '|' followed by the column's text or by "^".
 *
 * Status codes: 0 success, -1 a refused argument or a failed statement,
 * -2 no data, -100 a workbook that cannot be opened for reading; the
 * functions that say so return the driver's return code. String lists are
 * null-terminated arrays from the host allocator, freed with
 * GXDB_Free_Record_List (the same operation as kt_free_str_list).
 */
#ifndef CVSTVSHARE_SHEET_GXDB_H
#define CVSTVSHARE_SHEET_GXDB_H

#include "cvstvshare_export.h"
#include "sheet.h"

/* ---- Limits (buffer sizes, terminator included) --------------------------- */

/* sGXDB_Field.name and sGXDB_Field.type. */
#define GXDB_FIELD_TEXT_SIZE 100
/* The text member of sGXDB_Field_Value. */
#define GXDB_VALUE_TEXT_SIZE 136
/* The path written by GXDB_Ask_Datafile_Name. */
#define GXDB_PATH_SIZE 257

/* Value types of sGXDB_Field_Value. */
enum { GXDB_VALUE_INTEGER = 0, GXDB_VALUE_REAL = 1, GXDB_VALUE_TEXT = 2 };

/* A column description; arrays of them are passed with a count. */
typedef struct sGXDB_Field {
    char name[GXDB_FIELD_TEXT_SIZE]; /* column name; "^" for an unnamed column */
    char type[GXDB_FIELD_TEXT_SIZE]; /* SQL type name for GXDB_Create_Table */
    int size;                        /* length given to the type when has_size is non-zero */
    int has_size;                    /* non-zero: the column is declared as type(size) */
} sGXDB_Field;

/* One value; arrays of values run parallel to the field arrays. */
typedef struct sGXDB_Field_Value {
    int type; /* GXDB_VALUE_INTEGER, _REAL or _TEXT; other values are skipped where noted */
    union {
        int i;
        double d;
        char s[GXDB_VALUE_TEXT_SIZE];
    } value;
} sGXDB_Field_Value;

CVSTV_BEGIN_DECLS

/* ---- Spreadsheet back-end state ----------------------------------------------- */

/* The opened spreadsheet port: 1 or more a live port, 0 none opened yet,
 * -1 a failure to find or start the spreadsheet program. */
CVSTV_API int CVSTVSHARE_get_xls_port(void) CVSTV_NOEXCEPT;
/* Records the opened spreadsheet port. */
CVSTV_API void CVSTVSHARE_set_xls_port(int port) CVSTV_NOEXCEPT;
/* The read method: always 0, which selects automation whenever a port is
 * open. */
CVSTV_API int CVSTVSHARE_get_xls_read_method(void) CVSTV_NOEXCEPT;

/* ---- Connection ------------------------------------------------------------------ */

/* Connects to a workbook (host path). Automation: opens the file in the port
 * and makes it current, returning the host's status. ODBC: 0; -100 when the
 * file cannot be opened for reading; -1 after a message otherwise. */
CVSTV_API int GXDB_Connect(const char *workbook) CVSTV_NOEXCEPT;
/* As GXDB_Connect; in automation a non-zero mode opens the workbook through
 * the host's tooling utilities in that mode and keeps the workbook handle
 * that the sheet-changing functions use. */
CVSTV_API int GXDB_Connect_RW_Mode(const char *workbook, int mode) CVSTV_NOEXCEPT;
/* Releases the connection and every handle; 0. Nothing to do in
 * automation. */
CVSTV_API int GXDB_Disconnect(void) CVSTV_NOEXCEPT;
/* Automation: a non-zero mode saves and closes the workbook handle, mode 0
 * closes the file in the port; the host's status. ODBC: as GXDB_Disconnect. */
CVSTV_API int GXDB_Disconnect_RW_Mode(const char *workbook, int mode) CVSTV_NOEXCEPT;

/* ---- Tables and records ------------------------------------------------------------ */

/* Creates a table (worksheet) with the fields as its columns. A name that
 * contains "$" loses its last character first, in the caller's buffer too.
 * 0 or -1. */
CVSTV_API int GXDB_Create_Table(char *table, int count, const sGXDB_Field *fields) CVSTV_NOEXCEPT;
/* Drops a table. 0 or -1. */
CVSTV_API int GXDB_Delete_Table(const char *table) CVSTV_NOEXCEPT;
/* Appends a record of count values; fields (may be null) name the columns.
 * Texts reach the sheet as given, quotes included (the statement doubles a
 * single quote itself: do not double it); reals are written as "%f" writes
 * them in the C locale, whatever LC_NUMERIC says. In automation each
 * non-empty text value gets a leading "'" in place (at most 132
 * characters). 0 or -1. */
CVSTV_API int GXDB_Add_Record(const char *table, int count, const sGXDB_Field *fields,
                              sGXDB_Field_Value *values) CVSTV_NOEXCEPT;
/* Appends a record of count empty cells; the driver's return code (the
 * host's status in automation). */
CVSTV_API int GXDB_Add_Blank_Record(const char *table, int count) CVSTV_NOEXCEPT;
/* Deletes every record of a table. 0 (also when it had none) or -1. */
CVSTV_API int GXDB_Delete_All_Record(const char *table) CVSTV_NOEXCEPT;
/* Deletes the records whose key field (1-based index into fields and
 * values) equals the key value. ODBC only. 0 (also when none does) or -1. */
CVSTV_API int GXDB_Delete_Record(const char *table, int key, const sGXDB_Field *fields,
                                 const sGXDB_Field_Value *values) CVSTV_NOEXCEPT;
/* Sets every field but the key of the records whose key field equals the
 * key value. ODBC only. 0 (also when none does) or -1. */
CVSTV_API int GXDB_Update_Record(const char *table, int count, int key, const sGXDB_Field *fields,
                                 const sGXDB_Field_Value *values) CVSTV_NOEXCEPT;
/* Reads every field but the key of the first record whose key field equals
 * the key value into values (integers, reals, texts of at most 99
 * characters; other types are left alone). An empty (NULL) cell leaves an
 * integer or real value as the caller set it, so a default set beforehand
 * stands; an empty text cell reads as the empty text. ODBC only. 0, or -1
 * also when no record matches. */
CVSTV_API int GXDB_Query_Record(const char *table, int count, int key, const sGXDB_Field *fields,
                                sGXDB_Field_Value *values) CVSTV_NOEXCEPT;
/* Renames a table (worksheet); the driver's return code (the host's status
 * in automation). */
CVSTV_API int GXDB_Change_Table_Names(const char *old_name, const char *new_name) CVSTV_NOEXCEPT;

/* ---- Queries ---------------------------------------------------------------------- */

/* The table names of the connected workbook that contain "$" (ODBC), or its
 * sheet names (automation), in workbook order. 0 or -1. */
CVSTV_API int GXDB_Query_Table_Names(int *count, char ***names) CVSTV_NOEXCEPT;
/* The column names of exactly that table (its name is no search pattern:
 * "M_10$" never lists the columns of "M110$"; a sheet name without "$"
 * names its table) in order, "^" for an unnamed column (a generated name, or
 * any name beginning with "F"). 0 or -1. */
CVSTV_API int GXDB_Query_Column_Names(const char *table, int *count, char ***names) CVSTV_NOEXCEPT;
/* Every record of a table that holds data, as a record text; rows is the
 * number listed, columns the highest column number that held data. 0 or -1. */
CVSTV_API int GXDB_Query_All_Records_In_Table(const char *table, int *rows, int *columns,
                                              char ***records) CVSTV_NOEXCEPT;
/* The workbook path of a table (the catalogue name followed by ".xls") into
 * path (GXDB_PATH_SIZE bytes). 0, or the driver's code after a message. */
CVSTV_API int GXDB_Ask_Datafile_Name(const char *table, char *path) CVSTV_NOEXCEPT;
/* The sheet names of a workbook path (a "::" suffix is ignored, ".xs4" is
 * read as ".xls"): each sheet table's name without the "$" that closes it.
 * *names is null until the list is complete. 0 or -1. */
CVSTV_API int GXDB_read_sheetnames(const char *workbook, char ***names, int *count) CVSTV_NOEXCEPT;
/* Reads a sheet (the one named after "::", else the first) into table,
 * normalised: every cell as the sheet holds it ('|' and "^" included),
 * without the blanks around it, at most 255 characters, in the first 83
 * columns. A workbook another process holds locked is read from a copy in a
 * private directory of the temporary directory, removed afterwards. 0; -1
 * for a missing workbook, sheet or failure; -2 when no row remains. Release
 * the table with sheet_release_memo. */
CVSTV_API int GXDB_read_spreadsheet(const char *workbook, sheet_table *table) CVSTV_NOEXCEPT;

/* ---- Diagnostics ------------------------------------------------------------------ */

/* The driver's diagnostic records of the statement, the connection and the
 * environment, each as "message, SQLSTATE=state\n"; *text receives the last
 * one (null when there is none), which the caller frees with the host
 * allocator's HX_free (headless: <vexahost/hx_memory.h>). Returns -1. */
CVSTV_API int GXDB_Errors(char **text) CVSTV_NOEXCEPT;
/* Shows the first diagnostic record of a statement handle (SQLHSTMT) in the
 * message box as "state: message", or "SQL handle error.". */
CVSTV_API void GXDB_Display_Err_Msg(void *statement) CVSTV_NOEXCEPT;
/* Writes printf-formatted text (at most 511 characters) to the listing
 * window, opening it first when it is closed. */
CVSTV_API void GXDB_Display_Infor(const char *format, ...) CVSTV_NOEXCEPT
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
/* Writes the driver's facts of the connection to the listing window. 0, or
 * -1 when there is no connection or the facts cannot be read. */
CVSTV_API int GXDB_Get_Sql_Infor(void) CVSTV_NOEXCEPT;
/* Writes a trace of a workbook (driver facts, tables, the first records of
 * the first table) to the listing window. 0 or -1. */
CVSTV_API int GXDB_debug_database(const char *workbook) CVSTV_NOEXCEPT;

/* ---- Record lists ------------------------------------------------------------------ */

/* 1 if record is null or is a record of empty cells (every character at the
 * odd positions below length is "^"), else 0. */
CVSTV_API int GXDB_Check_Empty_Row(int length, const char *record) CVSTV_NOEXCEPT;
/* As kt_add_str_list: the new count, or -1 for a null or empty text or when
 * memory runs out. */
CVSTV_API int GXDB_Add_To_Record_List(char ***list, const char *text) CVSTV_NOEXCEPT;
/* Frees every entry and the array, and sets *list to null. */
CVSTV_API void GXDB_Free_Record_List(char ***list) CVSTV_NOEXCEPT;
/* Frees an array of values handed out by the host's tooling utilities and
 * sets *values to null. */
CVSTV_API void GXDB_Free_Field_Value(sGXDB_Field_Value **values) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
