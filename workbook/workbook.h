// Legacy .xls workbooks (BIFF8 in an OLE2 compound file): reading and
// writing with the project's own BIFF8 reader and writer.
//
// A Workbook is held whole in memory: sheets in workbook order, each a grid of
// typed cells. A workbook read from a file remembers that file (its source):
// writing it back changes only what changed in memory and keeps every other
// record of the file as it was (fonts, formats, column widths, merged
// cells, formulas, other sheets, other streams of the container). Writing
// is all or nothing: the file is written to a new file in the same
// directory, flushed and renamed over the target, so a failure leaves the
// previous workbook intact. Paths here are local file-system paths.
#ifndef CVSTV_WORKBOOK_WORKBOOK_H
#define CVSTV_WORKBOOK_WORKBOOK_H

#include "workbook/number_text.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace workbook {

// What a cell holds. Dates and times are numbers whose format shows them as
// a date (day), a time of day, or both; they hold a serial day number of
// the 1900 date system in `real` (day 1 is 1900-01-01, fractions are the
// time of day), whatever date system the file uses.
enum class CellType : std::uint8_t { empty, integer, real, text, boolean, error, date, time, datetime };

// The XF (cell format) index of a cell that was never in a file.
constexpr std::uint16_t no_xf = 0xFFFF;

struct Cell {
    CellType type = CellType::empty;
    // The cell's format record in the workbook it was read from; no_xf for
    // a cell made in memory, which then takes the format of the cell it
    // replaces, or of its column or row, when it is written.
    std::uint16_t xf = no_xf;
    std::int64_t integer = 0; // integer; boolean 0 or 1; error code
    double real = 0.0;        // real; date and time serial
    std::string text;         // UTF-8

    static Cell make_text(std::string t)
    {
        Cell c;
        c.type = CellType::text;
        c.text = std::move(t);
        return c;
    }
    static Cell make_integer(std::int64_t v)
    {
        Cell c;
        c.type = CellType::integer;
        c.integer = v;
        return c;
    }
    static Cell make_real(double v)
    {
        Cell c;
        c.type = CellType::real;
        c.real = v;
        return c;
    }
    static Cell make_boolean(bool v)
    {
        Cell c;
        c.type = CellType::boolean;
        c.integer = v ? 1 : 0;
        return c;
    }
    // Error codes as stored: 0x00 #NULL!, 0x07 #DIV/0!, 0x0F #VALUE!, 0x17
    // #REF!, 0x1D #NAME?, 0x24 #NUM!, 0x2A #N/A.
    static Cell make_error(std::uint8_t code)
    {
        Cell c;
        c.type = CellType::error;
        c.integer = code;
        return c;
    }
    // `kind` is date, time or datetime.
    static Cell make_serial(CellType kind, double serial)
    {
        Cell c;
        c.type = kind;
        c.real = serial;
        return c;
    }
    bool empty() const { return type == CellType::empty || (type == CellType::text && text.empty()); }
    bool is_number() const { return type == CellType::integer || type == CellType::real; }
    bool is_temporal() const
    {
        return type == CellType::date || type == CellType::time || type == CellType::datetime;
    }
    // The cell as text: integers in decimal, reals in the shortest form that
    // reads back to the same double ("2.5", "0.1", "12"), booleans as
    // "TRUE" and "FALSE", errors as shown ("#DIV/0!"), dates as
    // "2024-01-31", times as "13:45:30", both as "2024-01-31 13:45:30"
    // (to the nearest second), empty cells as "".
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

// A calendar date and time of day, as dates and times are exchanged.
struct DateTime {
    int year = 1900, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};
// The date and time of a 1900-system serial (rounded to the second); false
// for serials before day 0 or past the year 9999.
bool date_of_serial(double serial, DateTime &out);
// The serial of a date and time; false for dates before 1900-01-01 or after
// 9999-12-31 and for impossible fields.
bool serial_of_date(const DateTime &when, double &serial);

struct Sheet {
    Sheet(std::string name_ = {}, std::vector<std::vector<Cell>> rows_ = {})
        : name(std::move(name_)), rows(std::move(rows_))
    {
    }
    std::string name;                    // at most 31 characters
    std::vector<std::vector<Cell>> rows; // rows[r][c]; rows may be ragged
    // Which sheet of the source workbook this one was read from; -1 for a
    // sheet made in memory. Kept by copies and renames.
    int source_index = -1;
    // Number of columns in the widest row.
    std::size_t column_count() const;
    const Cell *cell(std::size_t row, std::size_t col) const;
};

namespace detail {
struct Source;
}

struct Workbook {
    Workbook(std::vector<Sheet> sheets_ = {}) : sheets(std::move(sheets_)) {}
    std::vector<Sheet> sheets;
    // The file this workbook was read from (null for one made in memory);
    // shared by copies, never changed.
    std::shared_ptr<const detail::Source> source;
    Sheet *find_sheet(const std::string &name);
};

// Outcome of reading or writing: ok, or a reason a person can act on.
struct Status {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
    static Status failure(std::string why) { return {false, std::move(why)}; }
};

// Reads every worksheet of an .xls (BIFF8) file: numbers, texts, booleans,
// errors, dates and times, and the cached results of formulas. Rows run to
// the last row that has a cell record; each row to its last cell with a
// value. A missing, truncated, corrupt, encrypted or non-BIFF8 file gives a
// failure, never a crash.
Status read_workbook(const std::string &path, Workbook &out);
// Only the worksheet names, in workbook order.
Status read_sheet_names(const std::string &path, std::vector<std::string> &names);
// Writes the workbook atomically (temporary file in the same directory,
// flush, rename). At least one sheet is written (an empty one named "Sheet1"
// when there is none). A workbook with a source keeps every record of it
// that the changes do not replace; see biff8_edit.cpp for what changes.
Status write_workbook(const std::string &path, const Workbook &book);
// The bytes write_workbook would write, without touching the file system.
Status encode_xls(const Workbook &book, std::vector<std::uint8_t> &bytes);

// UTF-8 to UTF-16 code units; malformed sequences become U+FFFD.
std::u16string utf8_to_utf16(const std::string &utf8);
// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
void append_utf8(std::u16string_view utf16, std::string &out);

} // namespace workbook

#endif
