// Readers of the workbook database: a whole sheet as a sheet_table, the
// sheet names of a workbook, and the trace of a workbook for the listing
// window.
//
// The readers connect and disconnect by themselves, always through ODBC:
// they are the database way of reading a workbook, used when the port is
// not (see the spreadsheet loading), so an open spreadsheet port does not
// turn them into automation. A sheet is built from the library's own view
// of the table (cell texts, never the '|'-record texts), so a cell holding
// '|' or "^" reads as it stands.
//
// A workbook held by another process (an exclusive lock on it) is read from
// a copy: a fresh private directory made in the temporary directory, the
// copy created in it exclusively (an existing file or link is never written
// through), both removed on every return after disconnecting. Concurrent
// readers each have their own copy; the workbook itself is never deleted.
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
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
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

// A copy of a held workbook in a private directory of its own; both are
// removed when the reader returns (declared before the DisconnectGuard, so
// after disconnecting).
class TemporaryCopy {
  public:
    TemporaryCopy() = default;
    ~TemporaryCopy()
    {
        if (!file_.empty())
            ::unlink(file_.c_str());
        if (!directory_.empty())
            ::rmdir(directory_.c_str());
    }
    TemporaryCopy(const TemporaryCopy &) = delete;
    TemporaryCopy &operator=(const TemporaryCopy &) = delete;

    // Copies the workbook (host path) and answers the copy's host path;
    // empty, after the message, when no copy could be made.
    std::string make(const std::string &workbook)
    {
        std::string copy = copy_into_private_directory(workbook);
        if (copy.empty()) {
            char text[1024];
            format_bounded(
                text, sizeof text,
                HX_TEXT("The file (%s) is used by another process, and failed to create temporary file!"),
                workbook.c_str());
            HX_message_box(HX_SEVERITY_ERROR, text);
        }
        return copy;
    }

  private:
    std::string copy_into_private_directory(const std::string &workbook)
    {
        const char *temp_dir = nullptr;
        if (HX_ask_temp_dir(&temp_dir) != HX_OK || !temp_dir || !*temp_dir)
            temp_dir = "/";
        std::string local_temp = local_path(temp_dir);
        std::string source = local_path(workbook);
        if (local_temp.empty() || source.empty())
            return {};
        std::string pattern = local_temp + "/cvstv_copy_XXXXXX";
        if (!::mkdtemp(pattern.data())) // mode 0700: no other user sees the copy
            return {};
        directory_ = pattern;
        std::string directory_name = directory_.substr(directory_.rfind('/') + 1);
        std::string name = workbook.substr(workbook.find_last_of("\\/") + 1);

        char host_directory[4096];
        char host_copy[4096];
        if (HX_merge_dir_and_name(temp_dir, directory_name.c_str(), host_directory, sizeof host_directory) !=
                HX_OK ||
            HX_merge_dir_and_name(host_directory, name.c_str(), host_copy, sizeof host_copy) != HX_OK)
            return {};
        std::string target = local_path(host_copy);
        if (target.empty())
            return {};
        int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out < 0)
            return {};
        file_ = target;
        bool copied = copy_contents(source, out);
        copied = ::close(out) == 0 && copied;
        return copied ? std::string(host_copy) : std::string();
    }

    static bool copy_contents(const std::string &source, int out)
    {
        int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        if (in < 0)
            return false;
        char buffer[1 << 16];
        bool ok = true;
        for (;;) {
            ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            for (ssize_t done = 0; ok && done < n;) {
                ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
                if (w < 0 && errno == EINTR)
                    continue;
                ok = w > 0;
                done += w > 0 ? w : 0;
            }
            if (!ok)
                break;
        }
        ::close(in);
        return ok;
    }

    std::string directory_; // local paths
    std::string file_;
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
        cells_ = static_cast<char ***>(
            HX_zero_allocate_memory(static_cast<std::size_t>(rows_) * sizeof(char **), nullptr));
        return cells_ != nullptr;
    }

    // Fills row r from count cells, cell(c) giving the text of cell c, each
    // without the blanks and tabs around it (a blank cell stays empty); a
    // row of empty cells stays null. False when memory runs out.
    template <typename Cell> bool set_row(int r, int count, Cell cell)
    {
        const int used = std::min(columns_, count);
        char **row = nullptr;
        for (int c = 0; c < used; ++c) {
            std::string_view text = trim_blanks_tabs(cell(c));
            if (text.empty())
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

// The sheet a table stands for: its name without quotes and without the
// "$" that closes it, so that a sheet whose own name holds "$" keeps it;
// a name not closed by "$" is cut at its first "$".
std::string sheet_of_table(const std::string &table)
{
    std::string name = without_quotes(table);
    if (!name.empty() && name.back() == '$')
        name.pop_back();
    else
        name.resize(std::min(name.size(), name.find('$')));
    return name;
}

// Owns a string list handed out by the record functions.
struct ListGuard {
    char **list = nullptr;
    ~ListGuard() { GXDB_Free_Record_List(&list); }
};

void report_out_of_memory()
{
    std::printf("Cannot allocate memory!\n");
    std::fflush(stdout);
}

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
    std::string read_path = wp.path;
    if (held_by_another_process(wp.path)) {
        read_path = copy.make(wp.path);
        if (read_path.empty())
            return -1;
    }

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

    // A column query that fails fails the read: a table without its names
    // row would read as other fields.
    ColumnNames names;
    if (odbc_column_names(chosen.c_str(), names) != 0)
        return -1;
    Records records;
    if (odbc_records(chosen.c_str(), records) != 0 || records.empty())
        return -1;

    // The names row: a name in its own column, unnamed and unreadable
    // columns empty. The grid is as wide as the widest record or the last
    // name, whichever reaches further, within the columns a record holds.
    std::vector<std::string> header;
    int columns = records.widest();
    for (const ColumnName &name : names.columns) {
        header.push_back(name.kind == ColumnName::named ? name.text : std::string());
        if (name.kind == ColumnName::named && !trim_blanks_tabs(name.text).empty())
            columns = std::max(columns, std::min(static_cast<int>(header.size()), max_record_columns));
    }
    const int header_rows = names.columns.empty() ? 0 : 1;
    const int record_count = static_cast<int>(records.size());
    RawGrid grid(header_rows + record_count, columns);
    bool ok = grid.allocate();
    if (ok && header_rows)
        ok = grid.set_row(0, static_cast<int>(header.size()),
                          [&header](int c) { return std::string_view(header[static_cast<std::size_t>(c)]); });
    for (std::size_t r = 0; ok && r < records.size(); ++r)
        ok = grid.set_row(header_rows + static_cast<int>(r), records.cell_count(r),
                          [&records, r](int c) { return records.cell(r, c); });
    if (!ok) {
        report_out_of_memory();
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
            sheets.push_back(sheet_of_table(name));
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
            try {
                return read_sheet(workbook, *table);
            } catch (const std::bad_alloc &) {
                // The normalisation may run out after the grid reached the
                // table: a failed read leaves the table empty.
                sheet_release_memo(table);
                report_out_of_memory();
                return -1;
            }
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
