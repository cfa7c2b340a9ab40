/*
 * Spreadsheet data: the in-memory sheet table, its layout conventions and
 * its condition language.
 *
 * A sheet_table holds a workbook sheet as a grid of text cells. Readers fill
 * it (and normalise it: comments stripped, values filled down through the
 * record block, empty rows removed); sheet_release_memo empties it. Cells,
 * rows and the row array come from the host allocator and belong to the
 * table.
 *
 * Layout of a sheet: a row whose first cell is a keyword (see
 * sheet_keyword) is a keyword row; its other cells are the keyword's value.
 * The rows after a keyword row, up to the next keyword row, form its block,
 * each written as name=value in its first cell. The PARAMETERS row opens the
 * record block: the first non-empty row after it names the fields, the rows
 * after that are records, up to the END row. Without a PARAMETERS row the
 * field names are in the first row.
 *
 * Conditions: a single condition is name, operator, value ("D>=20"); a
 * compound condition joins up to SHEET_MAX_CONDITIONS of them with "&&". The
 * value "KT_ALL_RECORD" accepts every record.
 *
 * String lists handed out are null-terminated arrays from the host allocator,
 * owned by the caller and freed with sheet_free_mem or kt_free_str_list.
 */
#ifndef CVSTVSHARE_SHEET_H
#define CVSTVSHARE_SHEET_H

#include "cvstvshare_export.h"

/* Capacity of sheet_table.file_name, terminator included. */
#define SHEET_FILE_NAME_SIZE 260

typedef struct sheet_table {
    char ***rows; /* row_count rows of column_count cells; a cell is a string or null */
    int row_count;
    int column_count;
    int found_row;                        /* first record matched by the last search, -1 for none */
    char file_name[SHEET_FILE_NAME_SIZE]; /* the workbook path as given to the reader */
} sheet_table;

/* ---- Limits (buffer sizes, terminator included) --------------------------- */

/* A value written by sheet_ask_keyword_value and sheet_ask_field_value: at
 * most 251 characters; longer cells are cut. */
#define SHEET_VALUE_SIZE 252
/* The image file name written by sheet_ask_bitmap: a path of at most 256
 * characters. */
#define SHEET_BITMAP_SIZE 257
/* One slot of sheet_split_condition: at most 99 characters. */
#define SHEET_CONDITION_SIZE 100
/* Number of slots of sheet_split_condition. */
#define SHEET_MAX_CONDITIONS 10
/* A compound condition: at most 511 characters are read. */
#define SHEET_COMPOUND_CONDITION_SIZE 512
/* A single condition for sheet_cond_split, and each of its name and value
 * outputs: at most 259 characters. */
#define SHEET_SINGLE_CONDITION_SIZE 260
/* The first cell of a keyword-block row that sheet_ask_keyword_list splits:
 * at most 255 characters are read. */
#define SHEET_KEYWORD_CELL_SIZE 256

/* ---- Codes ------------------------------------------------------------------ */

/* Keywords of the first cell of a keyword row (matched whole, with case). */
typedef enum sheet_keyword {
    SHEET_KW_NONE = 0,
    SHEET_KW_BITMAP = 1002,            /* "BITMAP" */
    SHEET_KW_PARAMETERS = 1100,        /* "PARAMETERS" */
    SHEET_KW_END = 1101,               /* "END" */
    SHEET_KW_INTER_SHEET = 1102,       /* "INTER_SHEET" */
    SHEET_KW_EXPRESSIONS = 1103,       /* "EXPRESSIONS" */
    SHEET_KW_POSITION = 1104,          /* "POSITION" */
    SHEET_KW_ATTRIBUTES = 1105,        /* "ATTRIBUTES" */
    SHEET_KW_PARENT = 1106,            /* "PARENT" */
    SHEET_KW_INTER_PART = 1107,        /* "INTER_PART" */
    SHEET_KW_SHEET_TYPE = 1108,        /* "SHEET_TYPE" */
    SHEET_KW_COMMENT = 1109,           /* "COMMENT" */
    SHEET_KW_EXTRA_DATA_SHEET = 1110,  /* "EXTRA_DATA_SHEET" */
    SHEET_KW_SEARCH_PATH = 1111,       /* "SEARCH_PATH" */
    SHEET_KW_STANDARD_LIST = 1112,     /* "STANDARD_LIST" */
    SHEET_KW_MATE_CONDITIONS = 1113,   /* "MATE_CONDITIONS" */
    SHEET_KW_INTER_TABLE_VALUE = 1114, /* "INTER_TABLE_VALUE" */
    SHEET_KW_KF_ATTRIBUTES = 1115,     /* "KF_ATTRIBUTES" */
    SHEET_KW_KF_CHILD_RULE = 1116,     /* "KF_CHILD_RULE" */
    SHEET_KW_PRE_CONFIG_LIST = 1117,   /* "PRE_CONFIG_LIST" */
    SHEET_KW_BEFORE_EXP_UPDATE = 1118, /* "BEFORE_EXP_UPDATE" */
    SHEET_KW_AFTER_EXP_UPDATE = 1119   /* "AFTER_EXP_UPDATE" */
} sheet_keyword;

/* Value types of a text (sheet_field_type), which decide how it compares. */
typedef enum sheet_value_type {
    SHEET_TYPE_INVALID = -1,     /* null or empty */
    SHEET_TYPE_NUMBER = 10,      /* digits . + - / and white space: 12, 0.5, 1+1/2 */
    SHEET_TYPE_NUMBER_LIST = 11, /* numbers separated by ',': 6,8,10 */
    SHEET_TYPE_RANGE = 12,       /* lo~hi: 10~20 */
    SHEET_TYPE_TEXT = 13,        /* anything else */
    SHEET_TYPE_TEXT_LIST = 14,   /* words separated by ',' (no ':') */
    SHEET_TYPE_KEYED_LIST = 15   /* key:value items separated by ',' */
} sheet_value_type;

/* Operators of a single condition (sheet_cond_split). */
typedef enum sheet_operator {
    SHEET_OP_NONE = -1,
    SHEET_OP_EQ = 0, /* "=" or "==" */
    SHEET_OP_GT = 1, /* ">" */
    SHEET_OP_GE = 2, /* ">=" */
    SHEET_OP_LT = 3, /* "<" */
    SHEET_OP_LE = 4  /* "<=" */
} sheet_operator;

CVSTV_BEGIN_DECLS

/* ---- Freeing ------------------------------------------------------------------ */

/* Frees every cell, row and the row array; rows becomes null, row_count and
 * column_count 0 (found_row and file_name stay). A table whose rows is null,
 * or a null table, is left alone. Returns 0. */
CVSTV_API int sheet_release_memo(sheet_table *table) CVSTV_NOEXCEPT;
/* Frees every string of a list up to its terminator, then the array. A null
 * list is left alone. Returns 0. */
CVSTV_API int sheet_free_mem(char **list) CVSTV_NOEXCEPT;

/* ---- Texts ---------------------------------------------------------------------- */

/* Removes leading blanks (the space character only) in place. Returns 0 if
 * text remains, -1 if the text was null, empty or only blanks. */
CVSTV_API int cell_string_validate(char *text) CVSTV_NOEXCEPT;
/* The sheet_keyword code of a text; 0 when it is no keyword. */
CVSTV_API int sheet_str_is_keyword(const char *text) CVSTV_NOEXCEPT;
/* The sheet_value_type code of a text. */
CVSTV_API int sheet_field_type(const char *text) CVSTV_NOEXCEPT;
/* The number a cell text denotes: a decimal number, a mixed number (1+1/2 is
 * 1.5, 1-1/2 is 0.5) or a fraction (3/4). 0.0 for null. */
CVSTV_API double sheet_str_double(const char *text) CVSTV_NOEXCEPT;

/* ---- Keyword look-ups --------------------------------------------------------- */

/* Copies the second cell of the first row of the keyword into value
 * (SHEET_VALUE_SIZE bytes). 0; -1 if there is no such row or the cell is
 * empty. */
CVSTV_API int sheet_ask_keyword_value(sheet_table *table, int keyword, char *value) CVSTV_NOEXCEPT;
/* The cells after the keyword in its first row, up to the first empty cell,
 * as a new list in *list. 0; -1 (list untouched) if there is no such row or
 * its second cell is empty. */
CVSTV_API int sheet_ask_keyword_line(sheet_table *table, int keyword, char ***list) CVSTV_NOEXCEPT;
/* The name=value rows of the keyword's block as two new lists of the same
 * length (a row without "=" gives the value "Empty"). Returns the number of
 * pairs; 0 with both lists untouched if the keyword is not found or its
 * block is empty; -1 if memory runs out. */
CVSTV_API int sheet_ask_keyword_list(sheet_table *table, int keyword, char ***names,
                                     char ***values) CVSTV_NOEXCEPT;
/* The image file name after the last "BITMAP" cell that has one, copied to
 * file (SHEET_BITMAP_SIZE bytes). 0; -1 (file untouched) if there is none. */
CVSTV_API int sheet_ask_bitmap(sheet_table *table, char *file) CVSTV_NOEXCEPT;

/* ---- Fields ---------------------------------------------------------------------- */

/* Index of the field-name row: the first non-empty row after the PARAMETERS
 * row, or from row 0 without one. row_count when there is none. */
CVSTV_API int sheet_ask_field_start_no(sheet_table *table) CVSTV_NOEXCEPT;
/* Points *row at the table's own field-name row (not a copy: do not free or
 * change it; null when there is none). Returns its number of non-empty
 * cells; 0 if the table has no rows or no field-name row. */
CVSTV_API int sheet_field_name_list(sheet_table *table, char ***row) CVSTV_NOEXCEPT;
/* The non-empty field names, left to right, as a new list in *list (set only
 * when the result is above 0). Returns their number; -1 if there is no
 * field-name row; 0 if the table has no rows or no columns. */
CVSTV_API int sheet_ask_field_name_list(sheet_table *table, char ***list) CVSTV_NOEXCEPT;
/* Copies the field's cell of the record found by the last search into value
 * (SHEET_VALUE_SIZE bytes); an empty cell gives "Hide". 0; -1 if the last
 * search found nothing or no column has that name. */
CVSTV_API int sheet_ask_field_value(sheet_table *table, const char *field, char *value) CVSTV_NOEXCEPT;

/* ---- Conditions -------------------------------------------------------------------- */

/* Splits a single condition into name and value (SHEET_SINGLE_CONDITION_SIZE
 * bytes each; leading blanks removed, trailing blanks kept; a missing part is
 * left unwritten). Returns the sheet_operator code, -1 without operator. */
CVSTV_API int sheet_cond_split(const char *condition, char *name, char *value) CVSTV_NOEXCEPT;
/* Splits a compound condition at '&' into at most SHEET_MAX_CONDITIONS
 * slots. The second '&' of "&&" becomes a blank at the start of the next
 * condition. Returns the number of conditions, 0 for an empty text. */
CVSTV_API int
sheet_split_condition(const char *condition,
                      char conditions[SHEET_MAX_CONDITIONS][SHEET_CONDITION_SIZE]) CVSTV_NOEXCEPT;
/* 0 if "value op condition_value" holds, -1 if not or if either is null.
 * Two numbers compare with a tolerance of 0.0001 for =, > and <; anything
 * else compares as text. */
CVSTV_API int sheet_value_compare(const char *value, int op, const char *condition_value) CVSTV_NOEXCEPT;
/* As sheet_value_compare, where a number-list cell holds when one of its
 * numbers does and a range cell lo~hi when the number lies in it. 0 at once
 * for the condition value "KT_ALL_RECORD". */
CVSTV_API int sheet_field_compare(const char *cell, int op, const char *condition_value) CVSTV_NOEXCEPT;
/* The operator code if the record in row satisfies the single condition;
 * -1 if not, if the condition has no operator or no column has its name. */
CVSTV_API int sheet_record_compare(sheet_table *table, int row, const char *condition) CVSTV_NOEXCEPT;

/* ---- Search ---------------------------------------------------------------------------- */

/* Finds the records that satisfy every condition of a compound condition.
 * Returns the number of matching records (-1 if memory runs out). *list
 * holds their result values with consecutive repeats dropped (null when
 * there are none) and *count its length. found_row becomes the first
 * matching row, -1 for none. */
CVSTV_API int sheet_search_record(sheet_table *table, const char *condition, char ***list,
                                  int *count) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
