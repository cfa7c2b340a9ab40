// Spreadsheet loading: the choice among the three readers, the automation
// reader, sheet names, starting Excel with its add-in, and the register check.
//
// The method is chosen anew on every call from the host's default spreadsheet
// application and the process-wide Excel port and read method (kept with the
// ODBC workbook database): XESS reads the text export; Excel with read method
// 0 reads through the opened port, creating one when none is open; any other
// read method reads through ODBC. The opened port is written here when Excel
// is started or a port is created, and set to -1 when Excel cannot be found
// or started. Ports are never closed here; workbooks opened only to list
// their sheets are closed again.
#include "cvstvshare/sheet_loading.h"

#include "cvstvshare/sheet_gxdb.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"
#include "sheet_internal.h"
#include "workbook_path.h"
#include "util/boundary.h"
#include "util/str_list.h"
#include "util/text_buffer.h"
#include "xess_reader.h"

#include "hx_files.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_spreadsheet.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using cvstv::path_size;

constexpr const char *office_key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office";
constexpr const char *office_key_wow64 = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Office";

bool excel_is_default()
{
    int application = HX_SPREADSHEET_XESS;
    if (HX_ask_default_spreadsheet(&application) != 0)
        return false;
    return application != HX_SPREADSHEET_XESS;
}

bool file_exists(const char *path)
{
    int code = HX_FILE_MISSING;
    return HX_file_exists(path, HX_FILE_TYPE_ANY, &code) == 0 && code == HX_FILE_EXISTS;
}

void information(const char *text)
{
    int response = 0;
    HX_message_dialog("Information", HX_DIALOG_INFORMATION, text, "OK", nullptr, nullptr, &response);
}

void empty_table(sheet_table *table)
{
    table->rows = nullptr;
    table->row_count = table->column_count = 0;
    table->found_row = -1;
}

} // namespace

namespace cvstv {

std::string excel_directory()
{
    struct Place {
        const char *key, *value;
    };
    const Place places[] = {{office_key, "BinDirPath"},
                            {office_key, "Excel\\InstallRoot\\path"},
                            {office_key_wow64, "Excel\\InstallRoot\\path"}};
    for (const Place &p : places) {
        char value[path_size + 1] = "";
        if (HX_CV_read_register(p.key, p.value, value, sizeof value) == 0 && value[0])
            return value;
    }
    return {};
}

} // namespace cvstv

namespace {

using cvstv::excel_directory;

// Reads a sheet through the port: the host's tooling utilities fill a raw
// grid, which is normalised here like every other reader's.
int read_through_port(int port, const char *path, sheet_table *table)
{
    cvstv::WorkbookPath split = cvstv::split_workbook_path(path);
    std::string file = cvstv::swap_extension(split.file, ".xs4", ".xls");
    cvstv::copy_bounded(table->file_name, sizeof table->file_name, path);
    empty_table(table);
    char ***rows = nullptr;
    int row_count = 0, column_count = 0;
    int status =
        HX_TOOL_read_sheet_grid(port, file.c_str(), split.sheet.c_str(), &rows, &row_count, &column_count);
    if (status != 0) {
        HX_syslog_write(
            cvstv::format("spreadsheet port %d: cannot read %s (status %d)", port, path, status).c_str());
        return -1;
    }
    if (!rows)
        return -2;
    table->rows = rows;
    table->row_count = row_count;
    table->column_count = column_count;
    return sheet_normalize(table);
}

int read_spreadsheet(const char *path, sheet_table *table)
{
    if (!excel_is_default())
        return cvstv::xess::read_spreadsheet(path, table);
    if (CVSTVSHARE_get_xls_read_method() != 0)
        return GXDB_read_spreadsheet(path, table);
    int port = CVSTVSHARE_get_xls_port();
    if (port <= 0) {
        int status = HX_SS_create_port(&port);
        if (status != 0)
            return status;
        if (port <= 0)
            return 0;
        CVSTVSHARE_set_xls_port(port);
    }
    return read_through_port(port, path, table);
}

int ask_sheetnames(const char *path, char ***names, int *count)
{
    *names = nullptr;
    *count = 0;
    if (!excel_is_default()) {
        std::vector<std::string> found;
        if (cvstv::xess::read_sheet_names(path, found) != 0)
            return -1;
        int n = cvstv::append_str_list(names, found);
        if (n < 0)
            return -1;
        *count = n;
        return 0;
    }
    // A sheet suffix names no file: the workbook is the part before it.
    std::string file = cvstv::swap_extension(cvstv::split_workbook_path(path).file, ".xs4", ".xls");
    int port = CVSTVSHARE_get_xls_port();
    if (port <= 0 || CVSTVSHARE_get_xls_read_method() != 0)
        return GXDB_read_sheetnames(file.c_str(), names, count);
    int status = HX_SS_open_file(port, file.c_str());
    if (status != 0)
        return status;
    HX_SS_set_current(port, file.c_str());
    status = HX_TOOL_ask_sheet_names(port, file.c_str(), names, count);
    HX_SS_close_file(port, file.c_str());
    return status;
}

int xls_start()
{
    if (!excel_is_default())
        return 0;
    std::string directory = excel_directory();
    if (directory.empty()) {
        information("Failed to find Microsoft Excel.\n Use XESS spreadsheet method.");
        CVSTVSHARE_set_xls_port(-1);
        return -1;
    }

    int wizard = CVSTWSHARE_get_wizard_type();
    const char *add_in = wizard == 2 ? "stv_add_in.xla" : "cavora_add_in.xla";
    char add_in_path[path_size + 1] = "";
    cvstv::format_bounded(add_in_path, sizeof add_in_path, "%s\\XLStart\\%s", directory.c_str(), add_in);
    bool have_add_in = file_exists(add_in_path);
    if (!have_add_in) {
        char kit_path[path_size + 1] = "";
        int kit_wizard = wizard == 4 ? 1 : wizard;
        if (CVSTVSHARE_ask_mold_fspec(kit_wizard, nullptr, "\\templates", add_in, kit_path) == 0 &&
            file_exists(kit_path)) {
            cvstv::copy_bounded(add_in_path, sizeof add_in_path, kit_path);
            have_add_in = true;
        } else {
            information("Failed to find cavora_add_in.xla.\n Copy the file into Excel XLStart directory.");
        }
    }

    int port = CVSTVSHARE_get_xls_port();
    if (port <= 0) {
        int status = HX_SS_create_port(&port);
        if (status != 0 || port <= 0) {
            information("Failed to start Microsoft Excel.\n Use ODBC method.");
            CVSTVSHARE_set_xls_port(-1);
            return status;
        }
    }
    CVSTVSHARE_set_xls_port(port);
    return have_add_in ? HX_SS_open_file(port, add_in_path) : 0;
}

// Releases a table on every return path.
struct TableGuard {
    sheet_table table{};
    ~TableGuard() { sheet_release_memo(&table); }
};

int check_database(const char *sub_path, const char *register_name, const char *sheet_name)
{
    int wizard = CVSTWSHARE_get_wizard_type();
    char register_path[path_size + 1] = "";
    if (CVSTVSHARE_ask_mold_data_fspec(wizard, sub_path, register_name, register_path) != 0 ||
        !file_exists(register_path)) {
        HX_message_box(HX_SEVERITY_ERROR, "No register file found");
        return -1;
    }
    std::string sheet_path = std::string(register_path) + "::" + (sheet_name ? sheet_name : "");
    TableGuard guard;
    int status = CVSTVSHARE_read_spreadsheet(wizard, sheet_path.c_str(), &guard.table);
    if (status != 0)
        return status;

    const sheet_table &t = guard.table;
    const char *data_sub_path = nullptr, *data_name = nullptr;
    if (t.row_count > 1 && t.column_count > 2) {
        data_sub_path = t.rows[1][1];
        data_name = t.rows[1][2];
    }
    char data_path[path_size + 1] = "";
    if (data_sub_path && *data_sub_path && data_name && *data_name &&
        CVSTVSHARE_ask_mold_data_fspec(wizard, data_sub_path, data_name, data_path) == 0 &&
        file_exists(data_path))
        return 0;
    if (!data_path[0] && data_name)
        cvstv::copy_bounded(data_path, sizeof data_path, data_name);
    std::string message = cvstv::format(HX_TEXT("Cannot find the data file: %s"), data_path);
    HX_message_box(HX_SEVERITY_ERROR, message.c_str());
    return -1;
}

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_get_xs_default_setting(void) noexcept
{
    return cvstv::guarded("CVSTVSHARE_get_xs_default_setting", 0, [] { return excel_is_default() ? 1 : 0; });
}

CVSTV_API int CVSTVSHARE_xls_start(void) noexcept
{
    return cvstv::guarded("CVSTVSHARE_xls_start", -1, [] { return xls_start(); });
}

CVSTV_API int CVSTVSHARE_read_spreadsheet(int wizard_type, const char *path, sheet_table *table) noexcept
{
    (void)wizard_type;
    if (!path || !table)
        return -1;
    return cvstv::guarded(
        "CVSTVSHARE_read_spreadsheet", -1, [&] { return read_spreadsheet(path, table); },
        [&] { sheet_release_memo(table); });
}

CVSTV_API int sheet_ask_sheetnames(const char *path, char ***names, int *count) noexcept
{
    if (!path || !names || !count)
        return -1;
    return cvstv::guarded("sheet_ask_sheetnames", -1, [&] { return ask_sheetnames(path, names, count); });
}

CVSTV_API int CVSTVSHARE_check_database(const char *sub_path, const char *register_name,
                                        const char *sheet_name) noexcept
{
    if (!register_name)
        return -1;
    return cvstv::guarded("CVSTVSHARE_check_database", -1,
                          [&] { return check_database(sub_path, register_name, sheet_name); });
}

} // extern "C"
