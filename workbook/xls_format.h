// Internal pieces of the .xls writer: the BIFF8 Workbook stream, the compound
// file around it, and the all-or-nothing file write. Not part of the API.
#ifndef CVSTV_WORKBOOK_XLS_FORMAT_H
#define CVSTV_WORKBOOK_XLS_FORMAT_H

#include "workbook/workbook.h"

#include <cstdint>
#include <string>
#include <vector>

namespace workbook::detail {

using Bytes = std::vector<std::uint8_t>;

using workbook::utf8_to_utf16;

// The BIFF8 Workbook stream of the whole book (globals, then every sheet),
// padded with zeros to at least 4096 bytes so that it lives in regular
// sectors rather than the mini stream.
Status build_workbook_stream(const Workbook &book, Bytes &stream);

// A version-3 compound file holding `stream` as its only stream, "Workbook".
Bytes wrap_in_compound_file(const Bytes &stream);

// Checks the compound-file structure FreeXL relies on without checking it
// (sector chains, directory entries); a failure names what is wrong.
Status check_compound_file(const std::string &path);

// Writes `bytes` to a new file beside `path`, syncs it and renames it over
// `path`; on any failure the new file is removed and `path` is untouched.
Status write_file_atomically(const std::string &path, const Bytes &bytes);

} // namespace workbook::detail

#endif
