// Reading .xls workbooks through libfreexl.
//
// FreeXL parses the whole compound file on open and hands out cells of the
// selected worksheet by row and column. Its quirks that matter here: an open
// can report success with a null handle (a workbook whose DIMENSIONS record
// does not cover its cells), and a sheet's dimensions may extend past the last
// cell that holds anything. Every row up to the sheet's last row is kept
// (formatted blank cells, which FreeXL reports as NULL, keep a row in the
// sheet), but each row only up to its last non-empty cell, so a corrupt header
// that claims 65,536 x 256 cells costs little memory here.
#include "workbook/workbook.h"
#include "workbook/xls_format.h"

#include <freexl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace workbook {
namespace {

struct FreexlCloser {
    void operator()(const void *h) const
    {
        if (h)
            freexl_close(h);
    }
};
using FreexlHandle = std::unique_ptr<const void, FreexlCloser>;

std::string describe_freexl_error(int rc)
{
    switch (rc) {
    case FREEXL_FILE_NOT_FOUND:
        return "file not found";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "out of memory";
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return "read error";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
        return "not an .xls workbook (no compound-file header)";
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
        return "corrupt compound file";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return "no workbook stream in the file";
    case FREEXL_BIFF_INVALID_BOF:
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX:
    case FREEXL_BIFF_ILLEGAL_SHEET_INDEX:
    case FREEXL_BIFF_UNSELECTED_SHEET:
    case FREEXL_ILLEGAL_CELL_ROW_COL:
    case FREEXL_ILLEGAL_RK_VALUE:
    case FREEXL_CRAFTED_FILE:
        return "corrupt workbook records";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return "unsupported character set";
    default:
        return "unreadable workbook (FreeXL error " + std::to_string(rc) + ")";
    }
}

Status check_regular_file(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Status::failure(path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        return Status::failure(path + ": not a regular file");
    return {};
}

Status open_workbook(const std::string &path, bool info_only, FreexlHandle &out)
{
    if (Status s = check_regular_file(path); !s)
        return s;
    if (Status s = detail::check_compound_file(path); !s)
        return Status::failure(path + ": " + s.error);
    const void *raw = nullptr;
    int rc = info_only ? freexl_open_info(path.c_str(), &raw) : freexl_open(path.c_str(), &raw);
    FreexlHandle handle(raw);
    if (rc != FREEXL_OK)
        return Status::failure(path + ": " + describe_freexl_error(rc));
    if (!handle)
        return Status::failure(path + ": corrupt workbook (cells outside the sheet dimensions)");
    unsigned int password = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
        password == FREEXL_BIFF_OBFUSCATED)
        return Status::failure(path + ": workbook is password protected");
    out = std::move(handle);
    return {};
}

Status sheet_count(const void *h, const std::string &path, unsigned int &count)
{
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        return Status::failure(path + ": cannot count the sheets");
    return {};
}

Status sheet_name(const void *h, const std::string &path, unsigned short index, std::string &name)
{
    const char *utf8 = nullptr;
    if (freexl_get_worksheet_name(h, index, &utf8) != FREEXL_OK)
        return Status::failure(path + ": cannot read the name of sheet " + std::to_string(index + 1));
    name = utf8 ? utf8 : "";
    return {};
}

Cell to_cell(const FreeXL_CellValue &v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return Cell::make_integer(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return Cell::make_real(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return Cell::make_text(v.value.text_value ? v.value.text_value : "");
    default:
        return {};
    }
}

Status read_sheet(const void *h, const std::string &path, unsigned short index, Sheet &sheet)
{
    if (Status s = sheet_name(h, path, index, sheet.name); !s)
        return s;
    if (freexl_select_active_worksheet(h, index) != FREEXL_OK)
        return Status::failure(path + ": cannot select sheet '" + sheet.name + "'");
    unsigned int rows = 0;
    unsigned short cols = 0;
    if (freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK)
        return Status::failure(path + ": cannot read the dimensions of sheet '" + sheet.name + "'");
    // FreeXL passes DIMENSIONS through unchecked; no .xls sheet is larger.
    if (rows > 65536 || cols > 256)
        return Status::failure(path + ": corrupt workbook (sheet '" + sheet.name + "' claims " + std::to_string(rows) +
                               " rows and " + std::to_string(cols) + " columns)");
    sheet.rows.clear();
    sheet.rows.resize(rows);
    for (unsigned int r = 0; r < rows; ++r) {
        std::vector<Cell> &row = sheet.rows[r];
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK)
                return Status::failure(path + ": unreadable cell in sheet '" + sheet.name + "'");
            if (v.type == FREEXL_CELL_NULL)
                continue;
            if (row.empty())
                row.reserve(cols <= 64 ? cols : 16); // sized to the sheet unless it is very wide
            row.resize(c);
            row.push_back(to_cell(v));
        }
    }
    return {};
}

} // namespace

Status read_workbook(const std::string &path, Workbook &out)
try {
    FreexlHandle handle;
    if (Status s = open_workbook(path, false, handle); !s)
        return s;
    unsigned int count = 0;
    if (Status s = sheet_count(handle.get(), path, count); !s)
        return s;
    Workbook book;
    book.sheets.resize(count);
    for (unsigned int i = 0; i < count; ++i)
        if (Status s = read_sheet(handle.get(), path, static_cast<unsigned short>(i), book.sheets[i]); !s)
            return s;
    out = std::move(book);
    return {};
} catch (const std::bad_alloc &) {
    return Status::failure(path + ": out of memory");
}

Status read_sheet_names(const std::string &path, std::vector<std::string> &names)
{
    FreexlHandle handle;
    if (Status s = open_workbook(path, true, handle); !s)
        return s;
    unsigned int count = 0;
    if (Status s = sheet_count(handle.get(), path, count); !s)
        return s;
    std::vector<std::string> result(count);
    for (unsigned int i = 0; i < count; ++i)
        if (Status s = sheet_name(handle.get(), path, static_cast<unsigned short>(i), result[i]); !s)
            return s;
    names = std::move(result);
    return {};
}

} // namespace workbook
