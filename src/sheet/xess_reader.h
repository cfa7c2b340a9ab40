// The XESS text reader: the host spreadsheet keeps every workbook beside a
// text export (".xs4"), one record per line. This reader turns one sheet of
// that export into a sheet_table, and lists the export's sheet names.
//
// Line forms (at most xess_line_length characters are read of each line; the
// rest of a longer line is dropped, so it can never be taken for a line of
// its own):
//   X::...               extent: the grid's column and row counts
//   Sn::<n>/<name>       a sheet's number and name
//   Sd::<n>              the cell lines of sheet n follow
//   TT@<ref>:...=...     value cell (the line holds ":=")
//   TT@<ref>:"...        text cell, or a picture when it is an image name in A
//   ..Cib@<ref>:...      picture
// Any other line is ignored.
#ifndef CVSTV_SHEET_XESS_READER_H
#define CVSTV_SHEET_XESS_READER_H

#include "cvstvshare/sheet.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cvstv::xess {

// Characters read of each line, after its line feed and carriage return.
inline constexpr std::size_t xess_line_length = 249;
// The largest grid an extent may ask for; a larger one is refused.
inline constexpr int xess_max_columns = 16384;
inline constexpr int xess_max_rows = 1048576;
// Counts used when the extent's reference gives none.
inline constexpr int xess_default_columns = 100;
inline constexpr int xess_default_rows = 2000;

// parse_sheet's answer for a sheet asked for by a name that no sheet-name
// line carries.
inline constexpr int xess_missing_sheet = -3;

// Parses export text into the table's raw grid (rows, row_count,
// column_count; not normalised, found_row and file_name untouched). sheet
// null or empty reads the first sheet. Returns 0; xess_missing_sheet when
// the named sheet is not in the export; -2 when the text holds no extent
// line; -1 when memory runs out or the extent is beyond the limits. The
// table is left empty unless 0 is returned.
int parse_sheet(std::string_view text, const char *sheet, sheet_table *table);

// The names of the sheet-name lines, in file order (empty names left out).
std::vector<std::string> parse_sheet_names(std::string_view text);

// The whole reader on a host path with an optional "::" sheet suffix: the
// path goes into file_name, ".xls" becomes ".xs4", the sheet is parsed and
// normalised. 0, -1 (file missing: "Cannot find spreadsheet = %s\n" shown;
// no such sheet; out of memory) or -2 (no data).
int read_spreadsheet(const char *path, sheet_table *table);

// Sheet names of the export at a host path opened as given. 0, or -1 after
// "Cannot find spreadsheet = %s\n".
int read_sheet_names(const char *path, std::vector<std::string> &names);

// Column (A=1 ... Z=26, AA=27) and row (from 1) of a cell reference: its
// letters and its digits, whatever their order; 0 when a part is missing.
// Counts beyond the limits above saturate just past them.
void split_cell_reference(std::string_view reference, int &column, int &row);

} // namespace cvstv::xess

#endif
