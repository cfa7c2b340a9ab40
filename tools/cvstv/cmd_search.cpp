// cvstv search: search a sheet held in a tab-separated text file with a
// condition, the way the applications search a catalogue workbook.
//
// The file (one row per line, cells at tabs, an empty line an empty row) is
// handed to the host's spreadsheet as its text export, in a temporary file,
// and read back by the library's XESS reader, which normalises it as every
// reader does; the table is then searched with sheet_search_record. The
// matching values are printed one per line, then the counts; --field prints
// fields of the first matching record.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/sheet.h"
#include "cvstvshare/sheet_loading.h"

#include "vexahost/session.h"
#include "vexahost/xess_export.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace cvstv_cli {

namespace {

const char *const usage = "usage: cvstv search [--field NAME]... FILE CONDITION\n"
                          "\n"
                          "Reads a sheet from a tab-separated text file (one row per line) as the\n"
                          "host spreadsheet's text export, normalised like every sheet the library\n"
                          "reads (comments after ## or //, values filled down through the record\n"
                          "block, empty rows dropped), and searches its records with a condition such\n"
                          "as \"D==8 && MAT==steel\" or \"FIND>=KT_ALL_RECORD\". A cell the export\n"
                          "cannot carry (a leading blank, both '\"' and '=', over 249 characters) is\n"
                          "refused with its position. A condition on a field the sheet does not have\n"
                          "is reported on standard error.\n"
                          "\n"
                          "Prints the matching records' values (consecutive repeats dropped), one per\n"
                          "line, then \"matches: N values: M\".\n"
                          "\n"
                          "  --field NAME   also print NAME=value of the first matching record\n"
                          "                 (repeatable; fails when no record matched or no column has\n"
                          "                 that name)\n"
                          "\n"
                          "Example: cvstv search tests/resources/sheet/screws.tsv \"D==8 && MAT==steel\"\n";

std::vector<std::string> split_tabs(const std::string &line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

// The file's rows of cells; false with error when it cannot be read or holds
// nothing.
bool read_rows(const std::string &path, std::vector<std::vector<std::string>> &rows, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open '" + path + "'";
        return false;
    }
    bool any_cell = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        rows.push_back(line.empty() ? std::vector<std::string>{} : split_tabs(line));
        any_cell = any_cell || !line.empty();
    }
    if (!any_cell) {
        error = "'" + path + "' holds no data";
        return false;
    }
    return true;
}

// A temporary text export, removed when the command returns.
class TemporaryExport {
  public:
    TemporaryExport()
        : path_(std::filesystem::temp_directory_path() /
                ("cvstv_search_" + std::to_string(::getpid()) + ".xs4"))
    {
    }
    ~TemporaryExport()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TemporaryExport(const TemporaryExport &) = delete;
    TemporaryExport &operator=(const TemporaryExport &) = delete;
    std::string path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"field", true}});
    if (!parsed.error.empty())
        return fail("search", parsed.error);
    if (parsed.positional.size() != 2)
        return fail("search", "expected a file and a condition (see cvstv search --help)");
    const std::string &path = parsed.positional[0];
    const std::string &condition = parsed.positional[1];

    std::vector<std::vector<std::string>> rows;
    std::string error;
    if (!read_rows(path, rows, error))
        return fail("search", error);
    TemporaryExport export_file;
    if (vexa::sim::XessStatus written = vexa::sim::write_xess(export_file.path(), {{"Sheet1", rows}});
        !written)
        return fail("search", "'" + path + "' cannot be read as a sheet: " + written.error);

    vexa::sim::set_default_spreadsheet_excel(false);
    TableHolder holder;
    int status =
        CVSTVSHARE_read_spreadsheet(1, vexa::sim::host_path(export_file.path()).c_str(), &holder.table);
    if (status == -2)
        return fail("search", "'" + path + "' holds no data");
    if (status != 0)
        return fail("search", "'" + path + "' cannot be read (status " + std::to_string(status) + ")");

    SearchReport report;
    int result = search_table("search", holder.table, condition, parsed.values("field"), report);
    if (report.matches < 0)
        return result;
    print_report(report);
    return result;
}

} // namespace

const Command search_command = {
    "search", "search the records of a sheet (tab-separated text) with a condition", usage, run};

} // namespace cvstv_cli
