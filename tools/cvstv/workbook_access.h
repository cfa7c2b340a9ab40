// What cvstv lookup and cvstv sheets share: choosing the read method,
// resolving a workbook on the kit, and writing JSON text.
#ifndef CVSTV_TOOLS_WORKBOOK_ACCESS_H
#define CVSTV_TOOLS_WORKBOOK_ACCESS_H

#include "options.h"

#include <string>

namespace cvstv_cli {

// How a workbook is read: the host's default spreadsheet setting, or one of
// the three methods forced.
enum class ReadMethod { host_default, xess, excel, odbc };

const char *method_name(ReadMethod method);

// Parses --method (absent: host_default); false with error set when unknown.
bool parse_method(const ParsedArgs &args, ReadMethod &method, std::string &error);

// Sets the host session up for the method: the default spreadsheet
// application, and ODBCSYSINI (when unset) from --odbc-ini or the build's
// driver registration, so the workbook driver is found from a build tree.
void prepare_method(const ParsedArgs &args, ReadMethod method);

// The workbook's host path and sheet from "NAME[::SHEET]": a NAME holding a
// path separator is taken as a file path; otherwise it is resolved in the
// kit of the wizard type (--dir sub-path, .xls when it exists, else .xs4).
// The wizard type (--wizard) also becomes the current one. False with error.
bool resolve_workbook(const ParsedArgs &args, const std::string &name, std::string &file, std::string &sheet,
                      std::string &error);

// text as a JSON string literal, quotes included.
std::string json_string(const std::string &text);

} // namespace cvstv_cli

#endif
