// Readers of the workbook database: a whole sheet as a sheet_table, the
// sheet names of a workbook, and the trace of a workbook for the listing
// window.
//
// The readers connect and disconnect by themselves, always through ODBC:
// they are the database way of reading a workbook, used when the port is
// not (see the spreadsheet loading), so an open spreadsheet port does not
// turn them into automation. A workbook held by another process (another
// process has an exclusive lock on it) is read from a copy in the temporary
// directory, which is deleted on every return after disconnecting; the
// workbook itself is never deleted.
#include "gxdb_internal.h"
#include "util/boundary.h"
#include "workbook_path.h"
#include "sheet_internal.h"

#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_files.h"
#include "hx_memory.h"
#include "hx_messages.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace cvstv::gxdb {

namespace {

constexpr int debug_record_count = 13;

// The workbook path with its "::" suffix split off, and ".xs4" swapped for
// ".xls" (the first ".xs4" and what follows it are replaced).
struct WorkbookPath {
    std::string path;
    std::string sheet;
    bool has_sheet = false;
};

WorkbookPath split_workbook_path(const std::string &text)
{
    cvstv::WorkbookPath split = cvstv::split_workbook_path(text);
    WorkbookPath out;
    out.path = cvstv::swap_extension(split.file, ".xs4", ".xls");
    out.has_sheet = !split.sheet.empty();
    out.sheet = std::move(split.sheet);
    return out;
}

// Disconnects when a reader returns.
struct DisconnectGuard {
    ~DisconnectGuard() { odbc_disconnect(); }
};

// A copy of a held workbook in the temporary directory; removed when the
// reader returns (declared before the DisconnectGuard, so after
// disconnecting).
class TemporaryCopy {
public:
    TemporaryCopy() = default;
    ~TemporaryCopy()
    {
        if (!local_.empty()) {
            std::error_code ignored;
            std::filesystem::remove(local_, ignored);
        }
    }
    TemporaryCopy(const TemporaryCopy &) = delete;
    TemporaryCopy &operator=(const TemporaryCopy &) = delete;

    // Makes the copy of the workbook (host path) and answers the path to
    // read: the copy's host path. A failed copy is reported and the copy's
    // path is answered all the same.
    std::string make(const std::string &workbook)
    {
        const char *temp_dir = nullptr;
        if (HX_ask_temp_dir(&temp_dir) != HX_OK || !temp_dir || !*temp_dir)
            temp_dir = "/";
        std::size_t slash = workbook.find_last_of("\\/");
        std::string name = slash == std::string::npos ? workbook : workbook.substr(slash + 1);
        char copy_path[4096];
        if (HX_merge_dir_and_name(temp_dir, name.c_str(), copy_path, sizeof copy_path) != HX_OK)
            copy_path[0] = '\0';
        std::string source = local_path(workbook);
        std::string target = copy_path[0] ? local_path(copy_path) : std::string();
        std::error_code ec;
        if (!target.empty() && std::filesystem::equivalent(source, target, ec))
            return workbook; // the workbook already lies there: read it, never remove it
        bool copied = !target.empty() &&
                      std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, ec);
        if (!target.empty())
            local_ = target;
        if (!copied) {
            char text[1024];
            format_bounded(text, sizeof text,
                           HX_TEXT("The file (%s) is used by another process, and failed to create temporary file!"),
                           workbook.c_str());
            HX_message_box(HX_SEVERITY_ERROR, text);
        }
        return copy_path;
    }

private:
    std::string local_;
};

// True when another process holds an exclusive lock on the file.
bool held_by_another_process(const std::string &workbook)
{
    std::string local = local_path(workbook);
    if (local.empty())
        return false;
    int fd = ::open(local.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // releases our shared lock, if we took it
    return held;
}

// Connects through ODBC for a reader; on a failure other than an unreadable
// file the driver's last error goes to the listing window.
bool reader_connect(const std::string &path)
{
    int rc = odbc_connect(path.c_str());
    if (rc == 0)
        return true;
    if (rc != -100) {
        std::string text = last_error_text();
        if (!text.empty())
            GXDB_Display_Infor("%s", text.c_str());
    }
    return false;
}

std::string_view trimmed(std::string_view text) { return trim_blanks_tabs(text); }

// The cells of a record text: the pieces after each '|' (none when the
// text does not start with '|').
void record_fields(std::string_view record, std::vector<std::string_view> &fields)
{
    fields.clear();
    if (record.empty() || record.front() != '|')
        return;
    std::size_t pos = 1;
    for (;;) {
        std::size_t end = record.find('|', pos);
        fields.push_back(record.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
}

// The raw grid of a sheet, built from the host allocator; null rows for rows
// without data.
class RawGrid {
public:
    RawGrid(int rows, int columns) : rows_(rows), columns_(columns) {}
    ~RawGrid() { release(); }
    RawGrid(const RawGrid &) = delete;
    RawGrid &operator=(const RawGrid &) = delete;

    bool allocate()
    {
        cells_ = static_cast<char ***>(HX_zero_allocate_memory(static_cast<std::size_t>(rows_) * sizeof(char **), nullptr));
        return cells_ != nullptr;
    }

    // Fills row r from the given cells ("^" and blanks stay empty); a row of
    // empty cells stays null. False when memory runs out.
    bool set_row(int r, const std::vector<std::string_view> &cells)
    {
        const int used = std::min(columns_, static_cast<int>(cells.size()));
        char **row = nullptr;
        for (int c = 0; c < used; ++c) {
            std::string_view text = trimmed(cells[static_cast<std::size_t>(c)]);
            if (text.empty() || text == "^")
                continue;
            if (!row) {
                row = static_cast<char **>(
                    HX_zero_allocate_memory(static_cast<std::size_t>(columns_) * sizeof(char *), nullptr));
                if (!row)
                    return false;
                cells_[r] = row;
            }
            auto *copy = static_cast<char *>(HX_allocate_memory(text.size() + 1, nullptr));
            if (!copy)
                return false;
            std::memcpy(copy, text.data(), text.size());
            copy[text.size()] = '\0';
            row[c] = copy;
        }
        return true;
    }

    // Hands the grid to the table.
    void move_into(sheet_table &table)
    {
        table.rows = cells_;
        table.row_count = rows_;
        table.column_count = columns_;
        cells_ = nullptr;
    }

private:
    void release()
    {
        if (!cells_)
            return;
        for (int r = 0; r < rows_; ++r) {
            if (!cells_[r])
                continue;
            for (int c = 0; c < columns_; ++c)
                HX_free(cells_[r][c]);
            HX_free(cells_[r]);
        }
        HX_free(cells_);
        cells_ = nullptr;
    }

    int rows_;
    int columns_;
    char ***cells_ = nullptr;
};

std::string without_quotes(const std::string &name)
{
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'')
        return name.substr(1, name.size() - 2);
    return name;
}

// Owns a string list handed out by the record functions.
struct ListGuard {
    char **list = nullptr;
    ~ListGuard() { GXDB_Free_Record_List(&list); }
};

int read_sheet(const std::string &given, sheet_table &table)
{
    WorkbookPath wp = split_workbook_path(given);
    std::string sheet = wp.sheet + "$";
    for (char &c : sheet)
        if (c == '/')
            c = '_';

    int exists = HX_FILE_MISSING;
    if (HX_file_exists(wp.path.c_str(), HX_FILE_TYPE_ANY, &exists) != HX_OK || exists != HX_FILE_EXISTS) {
        char text[1024];
        format_bounded(text, sizeof text, HX_TEXT("%s file is not found."), wp.path.c_str());
        HX_message_box(HX_SEVERITY_ERROR, text);
        return -1;
    }

    TemporaryCopy copy;
    std::string read_path = held_by_another_process(wp.path) ? copy.make(wp.path) : wp.path;

    DisconnectGuard disconnect;
    if (!reader_connect(read_path))
        return -1;

    std::vector<std::string> tables;
    if (odbc_table_names(tables) != 0 || tables.empty())
        return -1;
    std::string chosen;
    if (wp.has_sheet) {
        for (const std::string &name : tables) {
            if (name == sheet || without_quotes(name) == sheet) {
                chosen = name;
                break;
            }
        }
        if (chosen.empty())
            return -1;
    } else {
        chosen = tables.front();
    }

    // A column query that fails (the driver, or memory for the list) fails
    // the read: a table without its names row would read as other fields.
    ListGuard names;
    int name_count = 0;
    if (GXDB_Query_Column_Names(chosen.c_str(), &name_count, &names.list) != 0)
        return -1;
    ListGuard records;
    int record_count = 0;
    int columns = 0;
    if (GXDB_Query_All_Records_In_Table(chosen.c_str(), &record_count, &columns, &records.list) != 0 ||
        record_count == 0)
        return -1;

    int listed_names = str_list_count(names.list);
    int header = listed_names > 0 ? 1 : 0;
    RawGrid grid(header + record_count, columns);
    bool ok = grid.allocate();
    if (ok && header) {
        std::vector<std::string_view> cells(names.list, names.list + listed_names);
        ok = grid.set_row(0, cells);
    }
    std::vector<std::string_view> fields;
    for (int r = 0; ok && r < record_count; ++r) {
        record_fields(records.list[r], fields);
        ok = grid.set_row(header + r, fields);
    }
    if (!ok) {
        std::printf("Cannot allocate memory!\n");
        std::fflush(stdout);
        return -1;
    }
    odbc_disconnect();
    grid.move_into(table);
    return sheet_normalize(&table);
}

} // namespace

} // namespace cvstv::gxdb

using namespace cvstv::gxdb;

extern "C" {

CVSTV_API int GXDB_read_sheetnames(const char *workbook, char ***names, int *count) noexcept
{
    return cvstv::guarded("GXDB_read_sheetnames", -1, [&]() -> int {
        if (!names || !count)
            return -1;
        *names = nullptr;
        *count = 0;
        if (!workbook)
            return -1;
        WorkbookPath wp = split_workbook_path(workbook);
        DisconnectGuard disconnect;
        if (!reader_connect(wp.path))
            return -1;
        std::vector<std::string> tables;
        if (odbc_table_names(tables) != 0)
            return -1;
        std::vector<std::string> sheets;
        for (const std::string &name : tables)
            sheets.push_back(name.substr(0, name.find('$')));
        char **list = nullptr;
        if (cvstv::append_str_list(&list, sheets) < 0)
            return -1;
        *names = list;
        *count = cvstv::str_list_count(list);
        return 0;
    });
}

CVSTV_API int GXDB_read_spreadsheet(const char *workbook, sheet_table *table) noexcept
{
    if (!table)
        return -1;
    table->rows = nullptr;
    table->row_count = 0;
    table->column_count = 0;
    table->found_row = -1;
    table->file_name[0] = '\0';
    if (!workbook)
        return -1;
    return cvstv::guarded(
        "GXDB_read_spreadsheet", -1,
        [&] {
            cvstv::copy_bounded(table->file_name, sizeof table->file_name, workbook);
            return read_sheet(workbook, *table);
        },
        [&] { sheet_release_memo(table); });
}

CVSTV_API int GXDB_debug_database(const char *workbook) noexcept
{
    return cvstv::guarded("GXDB_debug_database", -1, [&]() -> int {
        if (!workbook)
            return -1;
        GXDB_Display_Infor("\n ----------------------- %s ------------------\n", "Begin here ");
        DisconnectGuard disconnect;
        if (odbc_connect(workbook) != 0) {
            std::string text = last_error_text();
            if (!text.empty())
                HX_message_box(HX_SEVERITY_ERROR, text.c_str());
            return -1;
        }
        GXDB_Get_Sql_Infor();
        std::vector<std::string> tables;
        odbc_table_names(tables);
        for (std::size_t i = 0; i < tables.size(); ++i)
            GXDB_Display_Infor("\nReturn Tables[%d]: %s", static_cast<int>(i), tables[i].c_str());
        GXDB_Display_Infor("\nTable number: %d", static_cast<int>(tables.size()));
        if (!tables.empty()) {
            GXDB_Display_Infor("\nQuery table : %s", tables.front().c_str());
            ListGuard records;
            int rows = 0;
            int columns = 0;
            GXDB_Query_All_Records_In_Table(tables.front().c_str(), &rows, &columns, &records.list);
            GXDB_Display_Infor("\nRecord Rows = %d, cols =%d", rows, columns);
            for (int i = 0; i < rows && i < debug_record_count; ++i)
                GXDB_Display_Infor("\nRecord Rows = %d, %s", i, records.list[i]);
        }
        GXDB_Display_Infor("\n ----------------------- %s ------------------\n\n", "End here ");
        return 0;
    });
}

} // extern "C"
