/*
 * Common utilities: string lists, in-place text editing, small text
 * functions, temporary file names and diagnostics.
 *
 * A string list is a null-terminated array of strings (char **): the null
 * pointer is the empty list, entries are never empty, the count excludes the
 * terminator. The array and its entries come from the host allocator; the
 * owner releases a list with kt_free_str_list, which nulls its pointer.
 */
#ifndef CVSTVSHARE_UTIL_H
#define CVSTVSHARE_UTIL_H

#include "cvstvshare_export.h"

CVSTV_BEGIN_DECLS

/* ---- String lists ------------------------------------------------------ */

/* Appends a copy of str; returns the new count, or -1 (list unchanged) for a
 * null or empty string. A null list becomes a one-entry list. Every addition
 * allocates a new array: pointers to the array are invalid afterwards,
 * pointers to entries stay valid. */
CVSTV_API int kt_add_str_list(char ***list, const char *str) CVSTV_NOEXCEPT;
/* Number of entries; 0 for the null list. */
CVSTV_API int kt_ask_str_list_count(char **list) CVSTV_NOEXCEPT;
/* Index of the first entry equal to str (with case), or -1. */
CVSTV_API int kt_is_str_in_list(char **list, const char *str) CVSTV_NOEXCEPT;
/* Appends every entry of source to *destination; 0, or -1 (nothing done)
 * when source is null or is the destination array itself. */
CVSTV_API int kt_copy_str_list(char **source, char ***destination) CVSTV_NOEXCEPT;
/* Replaces entry index by a copy of str (which may be empty); 0, or -1 for
 * a null list or string or an index outside 0..count-1. */
CVSTV_API int kt_replace_str_in_list(char **list, int index, const char *str) CVSTV_NOEXCEPT;
/* Frees every entry and the array, and sets *list to null. */
CVSTV_API void kt_free_str_list(char ***list) CVSTV_NOEXCEPT;
/* Splits text at runs of delimiter characters into trimmed, non-empty
 * entries of a new list (*list, set to null first). A text of delimiters
 * only becomes the one entry. 0, or -1 for a null or empty text or
 * delimiter set. */
CVSTV_API int kt_decompose_str(const char *text, const char *delimiters, char ***list) CVSTV_NOEXCEPT;

/* ---- In-place editing ---------------------------------------------------- */

/* Removes the first character when it is c (once). */
CVSTV_API void kt_remove_beginning_char(char *str, char c) CVSTV_NOEXCEPT;
/* Cuts str at its first line feed; -1 for a null or empty string, else 0. */
CVSTV_API int kt_remove_enter_char(char *str) CVSTV_NOEXCEPT;
/* Removes leading and trailing blanks and tabs; returns 0. */
CVSTV_API int kt_remove_space_string(char *str) CVSTV_NOEXCEPT;
/* Replaces every occurrence of pattern by replacement, left to right, never
 * rescanning inserted text. The text is rewritten in place; its buffer must
 * hold 256 bytes (the result is cut at 255 characters, or at the text's own
 * length when that is longer). An empty pattern changes nothing. Returns 0. */
CVSTV_API int kt_replace_substr(char *text, const char *pattern, const char *replacement) CVSTV_NOEXCEPT;
/* Lower- or upper-cases str in place; returns str (null for null). */
CVSTV_API char *STV_str_tolower(char *str) CVSTV_NOEXCEPT;
CVSTV_API char *STV_str_toupper(char *str) CVSTV_NOEXCEPT;
/* Reverses str in place; returns str. */
CVSTV_API char *strrev1(char *str) CVSTV_NOEXCEPT;

/* ---- Other text functions -------------------------------------------------- */

/* Case-blind comparison: -1, 0 or 1; -1 when either string is null. */
CVSTV_API int strcmp_upr(const char *a, const char *b) CVSTV_NOEXCEPT;
/* The first two tokens of text as two new strings (*first, *second; the
 * caller frees each with the host allocator's HX_free, headless:
 * <vexahost/hx_memory.h>). 0, or -1 with both null. */
CVSTV_API int STV_split_string(const char *text, const char *delimiters, char **first,
                               char **second) CVSTV_NOEXCEPT;
/* Rounds to a whole number on a grid of 5 (12.7 -> 10, 13 -> 15, 19 -> 20). */
CVSTV_API double kt_round_double(double value) CVSTV_NOEXCEPT;

/* ---- Files and diagnostics -------------------------------------------------- */

/* A new temporary file name in the directory of KRAX_TMP_DIR, written to path
 * (at least 257 bytes). Returns the host's status of the unique-name request;
 * 0 with path untouched when KRAX_TMP_DIR is not set. Creates nothing. */
CVSTV_API int KT_FILE_create_temp_file(char *path) CVSTV_NOEXCEPT;
/* Writes printf-formatted text (at most 399 characters) to the listing
 * window when it is open; otherwise does nothing. */
CVSTV_API void kt_debug_infor(const char *format, ...) CVSTV_NOEXCEPT __attribute__((format(printf, 1, 2)));
/* Returns status. A non-zero status is shown in the host's message dialog
 * with the host's text for it, the line, the source file and the call text. */
CVSTV_API int kt_report_error(const char *file, int line, const char *call, int status) CVSTV_NOEXCEPT;

CVSTV_END_DECLS

#endif
