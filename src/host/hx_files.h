/*
 * Host environment and file services.
 *
 * Paths passed to the host are in its native form with '\' separators. The
 * one place that turns such a path into a path of the local file system is
 * HX_local_path; the library uses it wherever it opens, renames or removes a
 * file itself.
 */
#ifndef CVSTV_HOST_HX_FILES_H
#define CVSTV_HOST_HX_FILES_H

#include "hx_common.h"

/* File types of HX_file_exists. */
enum {
    HX_FILE_TYPE_ANY = 0,      /* any file */
    HX_FILE_TYPE_PART = 1,     /* a part file */
    HX_FILE_TYPE_DIRECTORY = 2 /* a directory */
};

/* Existence codes written by HX_file_exists. */
enum { HX_FILE_EXISTS = 0, HX_FILE_MISSING = 1, HX_FILE_WRONG_TYPE = 2 };

/* File-type codes of HX_CFI_merge_dir_and_name and of the directory
 * listing. */
enum {
    HX_CFI_TYPE_ANY = 0,        /* any file, the name as given */
    HX_CFI_TYPE_PALETTE = 60,   /* a palette file: ".pax" is added when missing */
    HX_CFI_TYPE_DIRECTORY = 100 /* a directory */
};

/* Options of HX_CFI_begin_dir_listing. */
enum {
    HX_CFI_LIST_ALL = 0,     /* files and directories */
    HX_CFI_LIST_FILES = 2048 /* files only */
};

/* Codes of HX_CFI_next_dir_entry. */
enum { HX_CFI_ENTRY = 0, HX_CFI_END = 2 };

/* Longest full file name of the HX_CFI_ services, without terminator. */
#define HX_CFI_NAME_SIZE 256
/* File-type codes of HX_file_split_spec and HX_file_remove_type. */
enum { HX_FILE_CODE_PART = 2 /* part files: ".prt" */ };

/* Longest name HX_unique_file_name writes, without terminator. */
#define HX_UNIQUE_NAME_SIZE 32

HX_BEGIN_DECLS

/* Value of an environment variable: 0 and a host-owned value (null when
 * the variable is unset), or a non-zero status. */
HX_API int HX_translate_variable(const char *name, char **value);
/* Existence of a file of a type: *code is HX_FILE_EXISTS, HX_FILE_MISSING or
 * HX_FILE_WRONG_TYPE. Returns 0 when the test could be made. */
HX_API int HX_file_exists(const char *path, int file_type, int *code);
/* Join a directory and a name into result (capacity bytes). */
HX_API int HX_merge_dir_and_name(const char *directory, const char *name, char *result, size_t capacity);
/* The host's temporary directory, host-owned. */
HX_API int HX_ask_temp_dir(const char **directory);
/* A new unique bare file name (no directory) of at most
 * HX_UNIQUE_NAME_SIZE characters; nothing is created. */
HX_API int HX_unique_file_name(char name[HX_UNIQUE_NAME_SIZE + 1]);
/* Join a directory and a name for a file type (HX_CFI_TYPE_...) into result;
 * HX_ERR_TOO_LONG (result empty) when it does not fit. */
HX_API int HX_CFI_merge_dir_and_name(const char *directory, const char *name, int file_type,
                                     char result[HX_CFI_NAME_SIZE + 1]);
/* Lists a directory: the entries of a file type whose names match a pattern
 * ("*.pax"; '*' and '?' wildcards), in name order. HX_ERR_NOT_FOUND when the
 * directory does not exist. *listing is a host object until ended. */
HX_API int HX_CFI_begin_dir_listing(const char *directory, int option, int file_type, const char *pattern,
                                    tag_t *listing);
/* The next entry's bare name and *code HX_CFI_ENTRY, or an empty name and
 * HX_CFI_END after the last. */
HX_API int HX_CFI_next_dir_entry(tag_t listing, char name[HX_CFI_NAME_SIZE + 1], int *code);
HX_API int HX_CFI_end_dir_listing(tag_t listing);
/* The local file-system path of a host path, into result (capacity bytes).
 * HX_ERR_TOO_LONG when it does not fit; result is then empty. */
HX_API int HX_local_path(const char *host_path, char *result, size_t capacity);
/* Split a file specification at its last separator into directory and
 * name (each at most 256 characters; directory empty when there is none). */
HX_API int HX_file_split_spec(const char *spec, char directory[257], char name[257]);
/* A file name without its type: without ".prt" for HX_FILE_CODE_PART (the
 * name itself when it has another type or none); at most 256 characters. */
HX_API int HX_file_remove_type(const char *name, int file_code, char result[257]);
/* Copies a file (host paths) to a name that does not exist yet: the copy
 * appears whole under its name or not at all. HX_ERR_NOT_FOUND when the
 * source is not a readable file, HX_ERR_EXISTS when the target exists,
 * HX_ERR_IO when it cannot be written. */
HX_API int HX_CFI_copy_file(const char *source, const char *target);

HX_END_DECLS

#endif
