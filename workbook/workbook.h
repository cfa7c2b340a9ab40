// Legacy .xls workbooks (BIFF8 in an OLE2 compound file): reading through
// libfreexl and writing with the project's own BIFF8 writer.
//
// A Workbook is held whole in memory: sheets in workbook order, each a grid of
// typed cells. Writing is all or nothing: the file is written to a new file in
// the same directory, flushed and renamed over the target, so a failure leaves
// the previous workbook intact. Paths here are local file-system paths.
#ifndef CVSTV_WORKBOOK_WORKBOOK_H
#define CVSTV_WORKBOOK_WORKBOOK_H

#include "workbook/number_text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace workbook {

enum class CellType { empty, integer, real, text };

struct Cell {
    CellType type = CellType::empty;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string text; // UTF-8

    static Cell make_text(std::string t) { Cell c; c.type = CellType::text; c.text = std::move(t); return c; }
    static Cell make_integer(std::int64_t v) { Cell c; c.type = CellType::integer; c.integer = v; return c; }
    static Cell make_real(double v) { Cell c; c.type = CellType::real; c.real = v; return c; }
    bool empty() const { return type == CellType::empty || (type == CellType::text && text.empty()); }
    // The cell as text: integers in decimal, reals in the shortest form that
    // reads back to the same double ("2.5", "0.1", "12"), empty cells as "".
    std::string as_text() const;
};

// Writes an integer or real cell exactly as Cell::as_text does into `buf`
// (not NUL-terminated) and returns its length; 0 for other cells.
std::size_t number_text(const Cell &cell, char (&buf)[number_text_size]);

// The cell a text typed into a spreadsheet becomes: a number when
// read_number reads it (an integer cell when it is whole and below 1e15 in
// magnitude, a real cell otherwise), an empty cell for an empty text, and
// a text cell for everything else ("0x1A", "1,5").
Cell typed_cell(std::string_view text);

struct Sheet {
    std::string name;                   // at most 31 characters
    std::vector<std::vector<Cell>> rows; // rows[r][c]; rows may be ragged
    // Number of columns in the widest row.
    std::size_t column_count() const;
    const Cell *cell(std::size_t row, std::size_t col) const;
};

struct Workbook {
    std::vector<Sheet> sheets;
    Sheet *find_sheet(const std::string &name);
};

// Outcome of reading or writing: ok, or a reason a person can act on.
struct Status {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
    static Status failure(std::string why) { return {false, std::move(why)}; }
};

// Reads every sheet of an .xls file. A missing, truncated, corrupt or non-.xls
// file gives a failure, never a crash.
Status read_workbook(const std::string &path, Workbook &out);
// Only the sheet names, in workbook order.
Status read_sheet_names(const std::string &path, std::vector<std::string> &names);
// Writes the workbook atomically (temporary file in the same directory,
// flush, rename). At least one sheet is written (an empty one named "Sheet1"
// when there is none).
Status write_workbook(const std::string &path, const Workbook &book);
// The bytes write_workbook would write, without touching the file system.
Status encode_xls(const Workbook &book, std::vector<std::uint8_t> &bytes);

// UTF-8 to UTF-16 code units; malformed sequences become U+FFFD.
std::u16string utf8_to_utf16(const std::string &utf8);

} // namespace workbook

#endif
