// What the workbook commands of cvstv share: choosing the read method,
// resolving a workbook on the kit, holding a table, reporting a search and
// writing JSON text.
#ifndef CVSTV_TOOLS_WORKBOOK_ACCESS_H
#define CVSTV_TOOLS_WORKBOOK_ACCESS_H

#include "options.h"

#include "cvstvshare/sheet.h"

#include <string>
#include <utility>
#include <vector>

namespace cvstv_cli {

// How a workbook is read: the host's default spreadsheet setting, or one of
// the three methods forced.
enum class ReadMethod { host_default, xess, excel, odbc };

const char *method_name(ReadMethod method);

// Parses --method (absent: host_default); false with error set when unknown.
bool parse_method(const ParsedArgs &args, ReadMethod &method, std::string &error);

// Sets the host session up for the method (the default spreadsheet
// application), and ODBCSYSINI from --odbc-ini when given.
void prepare_method(const ParsedArgs &args, ReadMethod method);

// The workbook's host path and sheet from "NAME[::SHEET]": a NAME holding a
// path separator is taken as a file path; otherwise it is resolved in the
// kit of the wizard type (--dir sub-path, .xls when it exists, else .xs4).
// The wizard type (--wizard) also becomes the current one. False with error
// (naming a kit variable that is not set).
bool resolve_workbook(const ParsedArgs &args, const std::string &name, std::string &file, std::string &sheet,
                      std::string &error);

// Owns a table for a command's duration.
struct TableHolder {
    sheet_table table{};
    TableHolder() = default;
    TableHolder(const TableHolder &) = delete;
    TableHolder &operator=(const TableHolder &) = delete;
    ~TableHolder() { sheet_release_memo(&table); }
};

// What a search of a table found: the counts, the values and the --field
// values of the first matching record.
struct SearchReport {
    int matches = 0;
    std::vector<std::string> values;
    std::vector<std::pair<std::string, std::string>> fields;
};

// Searches the table with the condition and reads the requested fields of
// the record found. A condition naming a field the sheet lacks is reported
// on standard error (the search keeps its result). Returns 0, or 1 after a
// message (out of memory, a field that cannot be printed).
int search_table(const char *command, sheet_table &table, const std::string &condition,
                 const std::vector<std::string> &fields, SearchReport &report);

// The plain-text report: the values one per line, "matches: N values: M",
// then NAME=value per field.
void print_report(const SearchReport &report);

// text as a JSON string literal, quotes included.
std::string json_string(const std::string &text);

} // namespace cvstv_cli

#endif
