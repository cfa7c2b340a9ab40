// The host spreadsheet's text export (".xs4"): writing a workbook, given as
// sheets of text cells, in the line forms the library's XESS reader accepts.
//
// Layout written: the sheet-name lines of every sheet, then for every sheet
// an extent line sized to its used range, its sheet-data line and one line
// per non-empty cell, row by row. Numbers are written as value cells,
// other texts as text cells; a "BITMAP" cell followed by a file name becomes
// a picture. Whatever is written reads back as the same grid of texts. A
// cell the text form cannot carry exactly is refused with an error naming the
// sheet, the cell and the reason: a text that begins with a blank, holds a
// line break, holds both a double-quote character and '=', or is too long for
// the export's 249-character lines.
#ifndef VEXAHOST_XESS_EXPORT_H
#define VEXAHOST_XESS_EXPORT_H

#include "vexahost/session.h"

#include <string>
#include <vector>

namespace vexa::sim {

struct XessSheet {
    std::string name;                            // non-empty, unique in the workbook
    std::vector<std::vector<std::string>> cells; // cells[row][column], rows may be ragged
};

struct XessStatus {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
};

// The export text of the sheets, into text (left empty on failure).
VEXAHOST_API XessStatus format_xess(const std::vector<XessSheet> &sheets, std::string &text);
// Writes the export to a local file, whole or not at all (a temporary file in
// the same directory, flushed and renamed over the target).
VEXAHOST_API XessStatus write_xess(const std::string &local_path, const std::vector<XessSheet> &sheets);

// The sheets of a workbook (anything shaped like workbook::Workbook: sheets
// with a name and rows of cells offering empty() and as_text()), as text.
template <class Workbook> std::vector<XessSheet> xess_sheets_of(const Workbook &book)
{
    std::vector<XessSheet> sheets;
    for (const auto &sheet : book.sheets) {
        XessSheet out;
        out.name = sheet.name;
        for (const auto &row : sheet.rows) {
            std::vector<std::string> cells;
            for (const auto &cell : row)
                cells.push_back(cell.empty() ? std::string() : cell.as_text());
            out.cells.push_back(std::move(cells));
        }
        sheets.push_back(std::move(out));
    }
    return sheets;
}

} // namespace vexa::sim

#endif
