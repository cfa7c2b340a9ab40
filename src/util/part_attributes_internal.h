// Internal parts of the attribute functions shared with the project- and
// product-part searches and the assembly queries.
#ifndef CVSTV_UTIL_PART_ATTRIBUTES_INTERNAL_H
#define CVSTV_UTIL_PART_ATTRIBUTES_INTERNAL_H

#include "hx_common.h"

#include <cstdarg>
#include <string>

namespace cvstv {

// kt_ask_part_str_attr into a string: 0, or -1 when the part or the
// attribute is not found.
int part_attribute_text(const char *part_name, const char *title, std::string &text);

// kt_ask_attr_part into strings (either may be null).
int find_attr_part(const char *title, std::string *name, std::string *value);

// The loaded part of that name made the work part when it is the displayed
// part or in the displayed assembly; 0 otherwise or when the host refuses.
tag_t make_work_part_by_name(const std::string &name);

} // namespace cvstv

extern "C" {

// The attribute value scanner: "%s" alone copies the whole value into the
// first pointer; otherwise the letter after each '%' converts the value's
// tokens (split at commas and blanks) in turn: "d" an int, "f" a double, "s"
// a copy of the token, any other letter skips a token and a pointer.
// Scanning stops when the letters or the tokens run out. The caller
// guarantees that text pointers hold as many bytes as the value. 0, or -1
// for a null value or format.
int kt_scan_attr_value(const char *value, const char *format, va_list args);

} // extern "C"

#endif
