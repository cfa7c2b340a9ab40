// Spreadsheet ports of the headless host and the tooling utilities that
// work through them.
//
// A port stands for a separate spreadsheet program started by the host; here
// that program reads and writes .xls files through workbook/. Ports are
// objects of the host's object table (the port number is the object's tag)
// and live until the session is reset. A port keeps the workbook files open
// in it (in opening order) and the current one; opening a file checks that
// it is a readable workbook.
//
// The tooling utilities read a sheet of a workbook file through a port into a
// raw grid (cells as text, numbers in their shortest form, absent rows null;
// the library normalises it), list sheet names, and edit a workbook opened
// in read-write mode: the workbook is held in memory under a handle (its tag
// in the object table) and written back, whole or not at all, when the
// handle is closed with save. A text value whose first character is "'" is
// text and is stored without that mark; any other text becomes what
// workbook::typed_cell makes of it (a number when it reads as one), as the
// spreadsheet program does with what is typed into it.
#include "session_state.h"

#include "hx_files.h"
#include "hx_memory.h"
#include "hx_spreadsheet.h"

#include "workbook/workbook.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace vexa::sim {

struct SpreadsheetPort : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::spreadsheet_port;
    std::vector<std::string> open_files; // host paths, in opening order
    std::string current;
};

struct OpenWorkbook : HostObject {
    static constexpr ObjectKind object_kind = ObjectKind::open_workbook;
    std::string path;  // host path
    std::string local; // local file-system path
    int mode = 0;      // 0 read-only, else read-write
    bool changed = false;
    workbook::Workbook book;
};

} // namespace vexa::sim

using vexa::sim::host_call;
using vexa::sim::OpenWorkbook;
using vexa::sim::SpreadsheetPort;

namespace {

constexpr std::size_t max_sheet_name = 31;

SpreadsheetPort *find_port(int port)
{
    return port > 0 ? vexa::sim::objects().find<SpreadsheetPort>(static_cast<vexa::sim::tag_t>(port))
                    : nullptr;
}

OpenWorkbook *find_workbook(int handle)
{
    return handle > 0 ? vexa::sim::objects().find<OpenWorkbook>(static_cast<vexa::sim::tag_t>(handle))
                      : nullptr;
}

bool to_local(const char *host_path, std::string &local)
{
    if (!host_path || !*host_path)
        return false;
    char buf[4096];
    if (HX_local_path(host_path, buf, sizeof buf) != HX_OK)
        return false;
    local = buf;
    return true;
}

bool file_exists(const std::string &local)
{
    struct stat st;
    return ::stat(local.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Status of a workbook file that could not be read.
int read_failure(const std::string &local)
{
    return file_exists(local) ? HX_ERR_IO : HX_ERR_NOT_FOUND;
}

int read_book(const char *path, workbook::Workbook &book)
{
    std::string local;
    if (!to_local(path, local))
        return HX_ERR_BAD_ARGUMENT;
    if (!workbook::read_workbook(local, book))
        return read_failure(local);
    return HX_OK;
}

const workbook::Sheet *choose_sheet(const workbook::Workbook &book, const char *sheet)
{
    if (!sheet || !*sheet)
        return book.sheets.empty() ? nullptr : &book.sheets.front();
    for (const auto &s : book.sheets)
        if (s.name == sheet)
            return &s;
    return nullptr;
}

bool row_is_empty(const std::vector<workbook::Cell> &row)
{
    return std::all_of(row.begin(), row.end(), [](const workbook::Cell &c) { return c.empty(); });
}

// A host-allocated null-terminated list of the names.
int hand_out_names(const std::vector<std::string> &names, char ***list, int *count)
{
    auto **array =
        static_cast<char **>(HX_zero_allocate_memory((names.size() + 1) * sizeof(char *), nullptr));
    if (!array)
        return HX_ERR_NO_MEMORY;
    std::size_t n = 0;
    for (const std::string &name : names) {
        if (name.empty())
            continue;
        array[n] = HX_strdup(name.c_str());
        if (!array[n]) {
            for (std::size_t i = 0; i < n; ++i)
                HX_free(array[i]);
            HX_free(array);
            return HX_ERR_NO_MEMORY;
        }
        ++n;
    }
    if (n == 0) {
        HX_free(array);
        array = nullptr;
    }
    *list = array;
    *count = static_cast<int>(n);
    return HX_OK;
}

void free_grid(char ***rows, int row_count, int column_count)
{
    if (!rows)
        return;
    for (int r = 0; r < row_count; ++r) {
        if (!rows[r])
            continue;
        for (int c = 0; c < column_count; ++c)
            HX_free(rows[r][c]);
        HX_free(rows[r]);
    }
    HX_free(rows);
}

// The grid of a sheet: rows up to the last one with data, columns up to the
// last one with data in any row.
int build_grid(const workbook::Sheet &sheet, char ****out, int *row_count, int *column_count)
{
    std::size_t rows = 0;
    std::size_t columns = 0;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto &row = sheet.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (!row[c].empty()) {
                rows = r + 1;
                columns = std::max(columns, c + 1);
            }
        }
    }
    if (rows == 0) {
        *out = nullptr;
        *row_count = 0;
        *column_count = 0;
        return HX_OK;
    }
    // Freed on every way out (a cell's text may run out of memory as an
    // exception) until it is handed out.
    struct GridOwner {
        char ***grid;
        int rows, columns;
        ~GridOwner() { free_grid(grid, rows, columns); }
    } owner{static_cast<char ***>(HX_zero_allocate_memory(rows * sizeof(char **), nullptr)),
            static_cast<int>(rows), static_cast<int>(columns)};
    char ***grid = owner.grid;
    if (!grid)
        return HX_ERR_NO_MEMORY;
    int nr = owner.rows;
    int nc = owner.columns;
    for (std::size_t r = 0; r < rows; ++r) {
        const auto &row = sheet.rows[r];
        if (row_is_empty(row))
            continue;
        grid[r] = static_cast<char **>(HX_zero_allocate_memory(columns * sizeof(char *), nullptr));
        if (!grid[r])
            return HX_ERR_NO_MEMORY;
        for (std::size_t c = 0; c < row.size() && c < columns; ++c) {
            if (row[c].empty())
                continue;
            grid[r][c] = HX_strdup(row[c].as_text().c_str());
            if (!grid[r][c])
                return HX_ERR_NO_MEMORY;
        }
    }
    owner.grid = nullptr;
    *out = grid;
    *row_count = nr;
    *column_count = nc;
    return HX_OK;
}

workbook::Cell cell_of(const HX_cell_value &value)
{
    switch (value.type) {
    case 0: return workbook::Cell::make_integer(value.integer);
    case 1: return workbook::Cell::make_real(value.real);
    case 2: {
        if (!value.text || !*value.text)
            return {};
        if (value.text[0] == '\'')
            return value.text[1] ? workbook::Cell::make_text(value.text + 1) : workbook::Cell{};
        return workbook::typed_cell(value.text);
    }
    default: return {};
    }
}

// A sheet of a workbook open for writing, or the status why not.
int writable_sheet(int handle, const char *name, OpenWorkbook *&book, workbook::Sheet *&sheet)
{
    book = find_workbook(handle);
    if (!book)
        return HX_ERR_NOT_FOUND;
    if (book->mode == 0 || !name)
        return HX_ERR_BAD_ARGUMENT;
    sheet = book->book.find_sheet(name);
    return sheet ? HX_OK : HX_ERR_NOT_FOUND;
}

// Drops the empty rows at the end of a sheet, so that an appended row
// follows the last used row.
void trim_trailing_empty_rows(workbook::Sheet &sheet)
{
    while (!sheet.rows.empty() && row_is_empty(sheet.rows.back()))
        sheet.rows.pop_back();
}

bool valid_sheet_name(const char *name)
{
    return name && *name && std::strlen(name) <= max_sheet_name;
}

} // namespace

namespace vexa::sim {

void fail_port_creation(int status)
{
    fail_call("HX_SS_create_port", status);
}

int create_port()
{
    return static_cast<int>(objects().create<SpreadsheetPort>().tag);
}

std::vector<std::string> open_workbooks(int port)
{
    const SpreadsheetPort *p = find_port(port);
    return p ? p->open_files : std::vector<std::string>{};
}

} // namespace vexa::sim

extern "C" {

// ---- Ports -------------------------------------------------------------------

HX_API int HX_SS_create_port(int *port)
{
    if (port)
        *port = 0; // also when a failure is injected
    return host_call("HX_SS_create_port", [&]() -> int {
        if (!port)
            return HX_ERR_BAD_ARGUMENT;
        *port = vexa::sim::create_port();
        return HX_OK;
    });
}

HX_API int HX_SS_open_file(int port, const char *path)
{
    return host_call("HX_SS_open_file", [&]() -> int {
        SpreadsheetPort *p = find_port(port);
        std::string local;
        if (!p || !to_local(path, local))
            return HX_ERR_BAD_ARGUMENT;
        std::vector<std::string> names;
        if (!workbook::read_sheet_names(local, names))
            return read_failure(local);
        if (std::find(p->open_files.begin(), p->open_files.end(), path) == p->open_files.end())
            p->open_files.push_back(path);
        p->current = path;
        return HX_OK;
    });
}

HX_API int HX_SS_close_file(int port, const char *path)
{
    return host_call("HX_SS_close_file", [&]() -> int {
        SpreadsheetPort *p = find_port(port);
        if (!p || !path)
            return HX_ERR_BAD_ARGUMENT;
        auto it = std::find(p->open_files.begin(), p->open_files.end(), path);
        if (it == p->open_files.end())
            return HX_ERR_NOT_FOUND;
        p->open_files.erase(it);
        if (p->current == path)
            p->current.clear();
        return HX_OK;
    });
}

HX_API int HX_SS_set_current(int port, const char *path)
{
    return host_call("HX_SS_set_current", [&]() -> int {
        SpreadsheetPort *p = find_port(port);
        if (!p || !path)
            return HX_ERR_BAD_ARGUMENT;
        if (std::find(p->open_files.begin(), p->open_files.end(), path) == p->open_files.end())
            return HX_ERR_NOT_FOUND;
        p->current = path;
        return HX_OK;
    });
}

// ---- Reading through a port ----------------------------------------------------

HX_API int HX_TOOL_read_sheet_grid(int port, const char *path, const char *sheet, char ****rows,
                                   int *row_count, int *column_count)
{
    return host_call("HX_TOOL_read_sheet_grid", [&]() -> int {
        if (!rows || !row_count || !column_count)
            return HX_ERR_BAD_ARGUMENT;
        *rows = nullptr;
        *row_count = 0;
        *column_count = 0;
        if (!find_port(port))
            return HX_ERR_BAD_ARGUMENT;
        workbook::Workbook book;
        int status = read_book(path, book);
        if (status != HX_OK)
            return status;
        const workbook::Sheet *chosen = choose_sheet(book, sheet);
        if (!chosen)
            return HX_ERR_NOT_FOUND;
        return build_grid(*chosen, rows, row_count, column_count);
    });
}

HX_API int HX_TOOL_ask_sheet_names(int port, const char *path, char ***names, int *count)
{
    return host_call("HX_TOOL_ask_sheet_names", [&]() -> int {
        if (!names || !count)
            return HX_ERR_BAD_ARGUMENT;
        *names = nullptr;
        *count = 0;
        std::string local;
        if (!find_port(port) || !to_local(path, local))
            return HX_ERR_BAD_ARGUMENT;
        std::vector<std::string> sheet_names;
        if (!workbook::read_sheet_names(local, sheet_names))
            return read_failure(local);
        return hand_out_names(sheet_names, names, count);
    });
}

// ---- Workbooks in read-write mode -----------------------------------------------

HX_API int HX_TOOL_open_workbook(int port, const char *path, int mode, int *workbook_handle)
{
    return host_call("HX_TOOL_open_workbook", [&]() -> int {
        if (!workbook_handle)
            return HX_ERR_BAD_ARGUMENT;
        *workbook_handle = 0;
        OpenWorkbook book;
        if (!find_port(port) || !to_local(path, book.local))
            return HX_ERR_BAD_ARGUMENT;
        if (!workbook::read_workbook(book.local, book.book))
            return read_failure(book.local);
        book.path = path;
        book.mode = mode;
        for (auto &sheet : book.book.sheets)
            trim_trailing_empty_rows(sheet);
        *workbook_handle = static_cast<int>(vexa::sim::objects().create<OpenWorkbook>(std::move(book)).tag);
        return HX_OK;
    });
}

HX_API int HX_TOOL_close_workbook(int workbook_handle, int save)
{
    return host_call("HX_TOOL_close_workbook", [&]() -> int {
        OpenWorkbook *found = find_workbook(workbook_handle);
        if (!found)
            return HX_ERR_NOT_FOUND;
        // The handle is gone whatever the write does, as the program closes the
        // workbook even when saving fails.
        OpenWorkbook book = std::move(*found);
        vexa::sim::objects().erase(book.tag);
        if (save && book.mode != 0 && book.changed && !workbook::write_workbook(book.local, book.book))
            return HX_ERR_IO;
        return HX_OK;
    });
}

HX_API int HX_TOOL_add_sheet(int workbook_handle, const char *sheet)
{
    return host_call("HX_TOOL_add_sheet", [&]() -> int {
        OpenWorkbook *book = find_workbook(workbook_handle);
        if (!book)
            return HX_ERR_NOT_FOUND;
        if (book->mode == 0 || !valid_sheet_name(sheet) || book->book.find_sheet(sheet))
            return HX_ERR_BAD_ARGUMENT;
        workbook::Sheet added;
        added.name = sheet;
        book->book.sheets.push_back(std::move(added));
        book->changed = true;
        return HX_OK;
    });
}

HX_API int HX_TOOL_delete_sheet(int workbook_handle, const char *sheet)
{
    return host_call("HX_TOOL_delete_sheet", [&]() -> int {
        OpenWorkbook *book = nullptr;
        workbook::Sheet *found = nullptr;
        int status = writable_sheet(workbook_handle, sheet, book, found);
        if (status != HX_OK)
            return status;
        auto &sheets = book->book.sheets;
        sheets.erase(sheets.begin() + (found - sheets.data()));
        book->changed = true;
        return HX_OK;
    });
}

HX_API int HX_TOOL_rename_sheet(int workbook_handle, const char *old_name, const char *new_name)
{
    return host_call("HX_TOOL_rename_sheet", [&]() -> int {
        OpenWorkbook *book = nullptr;
        workbook::Sheet *found = nullptr;
        int status = writable_sheet(workbook_handle, old_name, book, found);
        if (status != HX_OK)
            return status;
        if (!valid_sheet_name(new_name))
            return HX_ERR_BAD_ARGUMENT;
        const workbook::Sheet *other = book->book.find_sheet(new_name);
        if (other && other != found)
            return HX_ERR_BAD_ARGUMENT;
        found->name = new_name;
        book->changed = true;
        return HX_OK;
    });
}

HX_API int HX_TOOL_append_row(int workbook_handle, const char *sheet, int count, const HX_cell_value *values)
{
    return host_call("HX_TOOL_append_row", [&]() -> int {
        OpenWorkbook *book = nullptr;
        workbook::Sheet *found = nullptr;
        int status = writable_sheet(workbook_handle, sheet, book, found);
        if (status != HX_OK)
            return status;
        if (count < 0 || (count > 0 && !values))
            return HX_ERR_BAD_ARGUMENT;
        std::vector<workbook::Cell> row;
        for (int i = 0; i < count; ++i)
            row.push_back(cell_of(values[i]));
        // The rows end at the last used row (trailing empty rows were dropped
        // when the workbook was opened); a blank row appended since stays.
        found->rows.push_back(std::move(row));
        book->changed = true;
        return HX_OK;
    });
}

HX_API int HX_TOOL_append_blank_row(int workbook_handle, const char *sheet, int count)
{
    return host_call("HX_TOOL_append_blank_row", [&]() -> int {
        OpenWorkbook *book = nullptr;
        workbook::Sheet *found = nullptr;
        int status = writable_sheet(workbook_handle, sheet, book, found);
        if (status != HX_OK)
            return status;
        if (count < 0)
            return HX_ERR_BAD_ARGUMENT;
        // The blank row is kept in memory, so a row appended after it leaves it
        // as a gap; at the end of a sheet it holds nothing a file could keep.
        found->rows.emplace_back(static_cast<std::size_t>(count));
        book->changed = true;
        return HX_OK;
    });
}

HX_API int HX_TOOL_delete_all_records(int workbook_handle, const char *sheet)
{
    return host_call("HX_TOOL_delete_all_records", [&]() -> int {
        OpenWorkbook *book = nullptr;
        workbook::Sheet *found = nullptr;
        int status = writable_sheet(workbook_handle, sheet, book, found);
        if (status != HX_OK)
            return status;
        if (found->rows.size() > 1)
            found->rows.resize(1);
        book->changed = true;
        return HX_OK;
    });
}

HX_API int HX_TOOL_ask_workbook_sheet_names(int workbook_handle, char ***names, int *count)
{
    return host_call("HX_TOOL_ask_workbook_sheet_names", [&]() -> int {
        if (!names || !count)
            return HX_ERR_BAD_ARGUMENT;
        *names = nullptr;
        *count = 0;
        const OpenWorkbook *book = find_workbook(workbook_handle);
        if (!book)
            return HX_ERR_NOT_FOUND;
        std::vector<std::string> sheet_names;
        for (const auto &sheet : book->book.sheets)
            sheet_names.push_back(sheet.name);
        return hand_out_names(sheet_names, names, count);
    });
}

} // extern "C"
