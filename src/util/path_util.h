// Path joining and expansion used across the library. Paths are kept in the
// host's form with '\' separators, in buffers of 256 characters plus the
// terminator.
#ifndef CVSTV_UTIL_PATH_UTIL_H
#define CVSTV_UTIL_PATH_UTIL_H

#include "util/text_buffer.h"

#include <cstddef>

extern "C" {

// Joins directory and name into result (capacity bytes, 257 by default):
// a null directory gives a copy of name, a null name a copy of directory;
// one trailing '/' or '\' is removed from the directory itself, then the
// two are joined with one '\' unless name begins with a separator. Returns
// 0, or -1 with result emptied when the joined path does not fit.
int kt_combine_path(char *directory, const char *name, char *result,
                    std::size_t capacity = cvstv::path_size + 1);

// Replaces the first "${NAME}" reference of a path by the variable's value
// (every occurrence of that reference), then '/' by '\'. result holds 256
// bytes and was emptied by the caller. 0, or -1 when the variable is not set
// (after a message; result is then a copy of path).
int kt_expand_env_path(const char *path, char *result);

// The full name of a file of the progressive-die kit (STRIVO_DIR, sub-
// directory, optional file name) into result (257 bytes). 0, or -1 after
// "No STRIVO_DIR environment variable." when the variable is not set.
int kt_ask_strivo_kit_file(const char *subdirectory, const char *file_name, char *result);

// A host colour number from 1 to 15 for a colour name or number; 0 if none.
int kt_color_name_to_index(const char *text);

} // extern "C"

#endif
