// Read-method choice, workbook resolution, search reports and JSON text for
// the workbook commands of cvstv.
//
// The library chooses its reader from the host's default spreadsheet
// application and the process-wide read method, which is fixed at 0
// (automation whenever the spreadsheet program is the default). A forced
// method is therefore set up as the host would be for it: xess makes XESS the
// default; excel makes the spreadsheet program the default, so reading goes
// through a spreadsheet port; odbc makes it the default with no port open,
// and reading calls the ODBC reader exactly as the library does for a
// non-zero read method.
#include "workbook_access.h"

#include "commands.h"
#include "kit_setup.h"

#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"

#include "vexahost/session.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cvstv_cli {

namespace {

// Names the condition's fields that the sheet lacks: a single condition
// whose field is not in the field-name row matches no record (conditions on
// "KT_ALL_RECORD" name no field).
void report_unknown_fields(const char *command, sheet_table &table, const std::string &condition)
{
    char **names = nullptr;
    int count = sheet_ask_field_name_list(&table, &names);
    std::vector<std::string> known(names, names + (count > 0 ? count : 0));
    kt_free_str_list(&names);

    char parts[SHEET_MAX_CONDITIONS][SHEET_CONDITION_SIZE];
    int n = sheet_split_condition(condition.c_str(), parts);
    for (int i = 0; i < n; ++i) {
        if (std::strstr(parts[i], "KT_ALL_RECORD"))
            continue;
        char name[SHEET_SINGLE_CONDITION_SIZE] = "";
        char value[SHEET_SINGLE_CONDITION_SIZE] = "";
        if (sheet_cond_split(parts[i], name, value) < 0) {
            warn(command, "condition '" + std::string(parts[i] + std::strspn(parts[i], " ")) +
                              "' has no operator; it matches no record");
            continue;
        }
        bool found = false;
        for (const std::string &k : known)
            found = found || k == name;
        if (!found)
            warn(command, "the sheet has no field '" + std::string(name) + "'; condition '" +
                              std::string(parts[i] + std::strspn(parts[i], " ")) + "' matches no record");
    }
}

} // namespace

const char *method_name(ReadMethod method)
{
    switch (method) {
    case ReadMethod::xess: return "xess";
    case ReadMethod::excel: return "excel";
    case ReadMethod::odbc: return "odbc";
    default: return "default";
    }
}

bool parse_method(const ParsedArgs &args, ReadMethod &method, std::string &error)
{
    std::string name = args.value("method").value_or("");
    if (name.empty())
        method = ReadMethod::host_default;
    else if (name == "xess")
        method = ReadMethod::xess;
    else if (name == "excel")
        method = ReadMethod::excel;
    else if (name == "odbc")
        method = ReadMethod::odbc;
    else {
        error = "unknown method '" + name + "' (xess, excel or odbc)";
        return false;
    }
    return true;
}

void prepare_method(const ParsedArgs &args, ReadMethod method)
{
    if (auto dir = args.value("odbc-ini"))
        setenv("ODBCSYSINI", dir->c_str(), 1);
    if (method == ReadMethod::xess)
        vexa::sim::set_default_spreadsheet_excel(false);
    else if (method == ReadMethod::excel || method == ReadMethod::odbc)
        vexa::sim::set_default_spreadsheet_excel(true);
}

bool resolve_workbook(const ParsedArgs &args, const std::string &name, std::string &file, std::string &sheet,
                      std::string &error)
{
    int wizard = 1;
    if (auto w = args.value("wizard")) {
        auto n = parse_int(*w, error);
        if (!n)
            return false;
        wizard = *n;
    }
    CVSTWSHARE_set_wizard_type(wizard);

    std::size_t cut = name.find("::");
    std::string workbook = name.substr(0, cut);
    sheet = cut == std::string::npos ? "" : name.substr(cut + 2);
    if (workbook.find('/') != std::string::npos || workbook.find('\\') != std::string::npos) {
        file = vexa::sim::host_path(workbook);
        return true;
    }
    std::string dir = args.value("dir").value_or("");
    char resolved[257] = "";
    if (CVSTVSHARE_ask_mold_data_fspec(wizard, dir.empty() ? nullptr : dir.c_str(), workbook.c_str(),
                                       resolved) != 0) {
        std::string unset = unset_variables({"CV_STANDARDPARTPATH", kit_variable(wizard)});
        error = "cannot resolve '" + workbook +
                "' in the kit: " + (unset.empty() ? "a .xls or .xs4 name is needed" : unset);
        return false;
    }
    file = resolved;
    return true;
}

int search_table(const char *command, sheet_table &table, const std::string &condition,
                 const std::vector<std::string> &fields, SearchReport &report)
{
    report_unknown_fields(command, table, condition);
    char **list = nullptr;
    int count = 0;
    report.matches = sheet_search_record(&table, condition.c_str(), &list, &count);
    report.values.assign(list, list + (count > 0 ? count : 0));
    kt_free_str_list(&list);
    if (report.matches < 0)
        return fail(command, "out of memory while searching");

    int result = 0;
    for (const std::string &field : fields) {
        char value[SHEET_VALUE_SIZE] = "";
        if (sheet_ask_field_value(&table, field.c_str(), value) != 0) {
            result =
                fail(command, report.matches == 0 ? "no record matched, no field '" + field + "' to print"
                                                  : "no field named '" + field + "'");
            continue;
        }
        report.fields.emplace_back(field, value);
    }
    return result;
}

void print_report(const SearchReport &report)
{
    for (const std::string &v : report.values)
        std::printf("%s\n", v.c_str());
    std::printf("matches: %d values: %zu\n", report.matches, report.values.size());
    for (const auto &[name, value] : report.fields)
        std::printf("%s=%s\n", name.c_str(), value.c_str());
}

std::string json_string(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

} // namespace cvstv_cli

namespace cvstv_cli {

bool prepare_library_read(const ParsedArgs &args, std::string &error)
{
    ReadMethod method;
    if (!parse_method(args, method, error))
        return false;
    if (method == ReadMethod::odbc) {
        error = "--method odbc: the library reads a whole sheet by ODBC only under a non-zero read method, "
                "which it keeps at 0 (use xess or excel; 'cvstv lookup --method odbc' reads a sheet by ODBC)";
        return false;
    }
    prepare_method(args, method);
    return true;
}

std::string json_number(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[40];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    return text;
}

std::string json_number_or_string(const std::string &text)
{
    // JSON's number form: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    std::size_t i = 0, n = text.size();
    auto digits = [&] {
        std::size_t start = i;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < n && text[i] == '-')
        ++i;
    bool ok = i < n && (text[i] == '0' ? (++i, true) : digits() > 0);
    if (ok && i < n && text[i] == '.') {
        ++i;
        ok = digits() > 0;
    }
    if (ok && i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        ok = digits() > 0;
    }
    return ok && i == n ? text : json_string(text);
}

} // namespace cvstv_cli
