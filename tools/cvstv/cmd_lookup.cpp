// cvstv lookup: a catalogue look-up as the applications make it. The
// workbook path (with its "::" sheet suffix) is resolved on the kit, the
// sheet is read by the chosen method into a sheet_table, searched with a
// condition, and the matching values and fields of the found record printed.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/sheet.h"
#include "cvstvshare/sheet_gxdb.h"
#include "cvstvshare/sheet_loading.h"

#include "vexahost/session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cvstv_cli {

namespace {

const char *const usage =
    "usage: cvstv [--kit DIR] lookup [options] WORKBOOK[::SHEET] CONDITION\n"
    "\n"
    "Reads a sheet of a workbook into a table and searches its records with a\n"
    "condition such as \"D==8 && L>=20\" or \"FIND>=KT_ALL_RECORD\". Prints the\n"
    "workbook read, the matching values (consecutive repeats dropped) one per\n"
    "line, \"matches: N values: M\", then NAME=value for each --field. A\n"
    "condition on a field the sheet does not have is reported on standard error.\n"
    "\n"
    "WORKBOOK is a .xls or .xs4 name resolved in the kit of the wizard type (the\n"
    ".xls when it exists, else the .xs4), or a file path when it holds a '/'.\n"
    "Without ::SHEET the first sheet is read.\n"
    "\n"
    "  --dir SUB        kit sub-directory of the workbook (default: the kit root)\n"
    "  --wizard N       1 mould design (default), 2 progressive die, 3 automotive dies, 4 electrodes\n"
    "  --method M       xess: the host spreadsheet's .xs4 text export\n"
    "                   excel: the .xls through a spreadsheet port\n"
    "                   odbc: the .xls through the workbook ODBC driver\n"
    "                   (default: the host's default spreadsheet setting)\n"
    "  --field NAME     print NAME=value of the first matching record (repeatable)\n"
    "  --json           print one JSON object instead\n"
    "  --odbc-ini DIR   directory of the odbcinst.ini registering the workbook driver\n"
    "                   (default: ODBCSYSINI, else the registration shipped with cvstv)\n"
    "\n"
    "Example: cvstv lookup --dir /standard/screws --method odbc \\\n"
    "           --field PART_NUMBER --field DK cap_screw.xls::Steel \"D==8 && L>=20\"\n";

std::string status_text(int status)
{
    switch (status) {
    case -1: return "cannot be read (missing file or sheet)";
    case -2: return "holds no data";
    default: return "cannot be read (status " + std::to_string(status) + ")";
    }
}

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"dir", true},
                                          {"wizard", true},
                                          {"method", true},
                                          {"field", true},
                                          {"json", false},
                                          {"odbc-ini", true}});
    if (!parsed.error.empty())
        return fail("lookup", parsed.error);
    if (parsed.positional.size() != 2)
        return fail("lookup", "expected a workbook and a condition (see cvstv lookup --help)");
    ReadMethod method;
    std::string error, file, sheet;
    if (!parse_method(parsed, method, error))
        return fail("lookup", error);
    if (!resolve_workbook(parsed, parsed.positional[0], file, sheet, error))
        return fail("lookup", error);
    prepare_method(parsed, method);
    std::string path = sheet.empty() ? file : file + "::" + sheet;
    std::string shown = vexa::sim::local_path(path);
    const std::string &condition = parsed.positional[1];

    TableHolder holder;
    int status = method == ReadMethod::odbc ? GXDB_read_spreadsheet(path.c_str(), &holder.table)
                                            : CVSTVSHARE_read_spreadsheet(1, path.c_str(), &holder.table);
    if (status != 0)
        return fail("lookup", "'" + shown + "' " + status_text(status));

    SearchReport report;
    int result = search_table("lookup", holder.table, condition, parsed.values("field"), report);
    if (report.matches < 0)
        return result;

    if (parsed.has("json")) {
        std::string out = "{\"workbook\": " + json_string(shown) +
                          ", \"method\": " + json_string(method_name(method)) +
                          ", \"condition\": " + json_string(condition) +
                          ", \"matches\": " + std::to_string(report.matches) + ", \"values\": [";
        for (std::size_t i = 0; i < report.values.size(); ++i)
            out += (i ? ", " : "") + json_string(report.values[i]);
        out += "], \"fields\": {";
        for (std::size_t i = 0; i < report.fields.size(); ++i)
            out += (i ? ", " : "") + json_string(report.fields[i].first) + ": " +
                   json_string(report.fields[i].second);
        out += "}}";
        std::printf("%s\n", out.c_str());
        return result;
    }
    std::printf("workbook: %s (%s)\n", shown.c_str(), method_name(method));
    print_report(report);
    return result;
}

} // namespace

const Command lookup_command = {"lookup", "read a kit workbook's sheet by a read method and search it", usage,
                                run};

} // namespace cvstv_cli
