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

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace cvstv_cli {

const char *const lookup_usage =
    "usage: cvstv [--kit DIR] lookup [options] WORKBOOK[::SHEET] CONDITION\n"
    "\n"
    "Reads a sheet of a workbook into a table and searches its records with a\n"
    "condition such as \"D==8 && L>=20\" or \"FIND>=KT_ALL_RECORD\". Prints the\n"
    "workbook read, the matching values (consecutive repeats dropped) one per\n"
    "line, \"matches: N values: M\", then NAME=value for each --field.\n"
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
    "                   (default: ODBCSYSINI, else the build's own registration)\n"
    "\n"
    "Example: cvstv --kit build/examples/kit lookup --dir /standard/screws --method odbc \\\n"
    "           --field PART_NUMBER --field DK cap_screw.xls::Steel \"D==8 && L>=20\"\n";

namespace {

struct TableHolder {
    sheet_table table{};
    ~TableHolder() { sheet_release_memo(&table); }
};

std::string status_text(int status)
{
    switch (status) {
    case -1: return "cannot be read (missing file or sheet)";
    case -2: return "holds no data";
    default: return "cannot be read (status " + std::to_string(status) + ")";
    }
}

} // namespace

int run_lookup(const std::vector<std::string> &args)
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
    const std::string &condition = parsed.positional[1];

    TableHolder holder;
    int status = method == ReadMethod::odbc ? GXDB_read_spreadsheet(path.c_str(), &holder.table)
                                            : CVSTVSHARE_read_spreadsheet(1, path.c_str(), &holder.table);
    if (status != 0)
        return fail("lookup", "'" + path + "' " + status_text(status));

    char **list = nullptr;
    int count = 0;
    int matches = sheet_search_record(&holder.table, condition.c_str(), &list, &count);
    std::vector<std::string> values(list, list + (count > 0 ? count : 0));
    sheet_free_mem(list);
    if (matches < 0)
        return fail("lookup", "out of memory while searching");

    int result = 0;
    std::vector<std::pair<std::string, std::string>> fields;
    for (const std::string &field : parsed.values("field")) {
        char value[SHEET_VALUE_SIZE] = "";
        if (sheet_ask_field_value(&holder.table, field.c_str(), value) != 0) {
            result = fail("lookup", matches == 0 ? "no record matched, no field '" + field + "' to print"
                                                 : "no field named '" + field + "'");
            continue;
        }
        fields.emplace_back(field, value);
    }

    if (parsed.has("json")) {
        std::string out = "{\"workbook\": " + json_string(path) + ", \"method\": " +
                          json_string(method_name(method)) + ", \"condition\": " + json_string(condition) +
                          ", \"matches\": " + std::to_string(matches) + ", \"values\": [";
        for (std::size_t i = 0; i < values.size(); ++i)
            out += (i ? ", " : "") + json_string(values[i]);
        out += "], \"fields\": {";
        for (std::size_t i = 0; i < fields.size(); ++i)
            out += (i ? ", " : "") + json_string(fields[i].first) + ": " + json_string(fields[i].second);
        out += "}}";
        std::printf("%s\n", out.c_str());
        return result;
    }
    std::printf("workbook: %s (%s)\n", path.c_str(), method_name(method));
    for (const std::string &v : values)
        std::printf("%s\n", v.c_str());
    std::printf("matches: %d values: %d\n", matches, count);
    for (const auto &[name, value] : fields)
        std::printf("%s=%s\n", name.c_str(), value.c_str());
    return result;
}

} // namespace cvstv_cli
