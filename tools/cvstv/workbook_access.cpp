// Read-method choice, workbook resolution and JSON text for the workbook
// commands of cvstv.
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

#include "cvstvshare/startup.h"

#include "vexahost/session.h"

#include <cstdio>
#include <cstdlib>

#ifndef CVSTV_ODBCSYSINI_DIR
#define CVSTV_ODBCSYSINI_DIR ""
#endif

namespace cvstv_cli {

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
    else if (!std::getenv("ODBCSYSINI") && *CVSTV_ODBCSYSINI_DIR)
        setenv("ODBCSYSINI", CVSTV_ODBCSYSINI_DIR, 1);
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
        file = workbook;
        for (char &c : file)
            if (c == '/')
                c = '\\';
        return true;
    }
    std::string dir = args.value("dir").value_or("");
    char resolved[257] = "";
    if (CVSTVSHARE_ask_mold_data_fspec(wizard, dir.empty() ? nullptr : dir.c_str(), workbook.c_str(), resolved) != 0) {
        error = "cannot resolve '" + workbook + "' in the kit (a .xls or .xs4 name is needed)";
        return false;
    }
    file = resolved;
    return true;
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
