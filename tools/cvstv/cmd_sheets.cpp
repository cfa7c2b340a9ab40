// cvstv sheets: the sheet names of a workbook, by the chosen method.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/sheet_gxdb.h"
#include "cvstvshare/sheet_loading.h"
#include "cvstvshare/util.h"

#include "vexahost/session.h"

#include <cstdio>
#include <string>

namespace cvstv_cli {

namespace {

const char *const usage = "usage: cvstv [--kit DIR] sheets [options] WORKBOOK\n"
                          "\n"
                          "Lists the sheet names of a workbook in workbook order, one per line.\n"
                          "WORKBOOK is resolved as by 'cvstv lookup' (a '::' suffix is ignored).\n"
                          "\n"
                          "  --dir SUB        kit sub-directory of the workbook (default: the kit root)\n"
                          "  --wizard N       wizard type of the kit (default 1)\n"
                          "  --method M       xess: the names in the .xs4 text export\n"
                          "                   excel: through a spreadsheet port\n"
                          "                   odbc: the workbook ODBC driver (no port open)\n"
                          "                   (default: the host's default spreadsheet setting)\n"
                          "  --json           print a JSON object instead\n"
                          "  --odbc-ini DIR   directory of the odbcinst.ini registering the workbook driver\n"
                          "\n"
                          "Example: cvstv sheets --method excel thread_standard_dat.xls\n";

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(
        args, {{"dir", true}, {"wizard", true}, {"method", true}, {"json", false}, {"odbc-ini", true}});
    if (!parsed.error.empty())
        return fail("sheets", parsed.error);
    if (parsed.positional.size() != 1)
        return fail("sheets", "expected one workbook (see cvstv sheets --help)");
    ReadMethod method;
    std::string error, file, sheet;
    if (!parse_method(parsed, method, error))
        return fail("sheets", error);
    if (!resolve_workbook(parsed, parsed.positional[0], file, sheet, error))
        return fail("sheets", error);
    prepare_method(parsed, method);

    // On XESS the library opens the path as given, so the text export is
    // named here; the spreadsheet program reads the .xls itself.
    if (!CVSTVSHARE_get_xs_default_setting()) {
        if (std::size_t at = file.find(".xls"); at != std::string::npos)
            file = file.substr(0, at) + ".xs4";
    } else if (method == ReadMethod::excel) {
        // The spreadsheet program started by the user of the host, its port
        // handed to the library: the sheets are listed through it.
        CVSTVSHARE_set_xls_port(vexa::sim::create_port());
    }

    char **names = nullptr;
    int count = 0;
    int status = sheet_ask_sheetnames(file.c_str(), &names, &count);
    if (status != 0) {
        kt_free_str_list(&names);
        return fail("sheets", "'" + vexa::sim::local_path(file) + "' cannot be read (status " +
                                  std::to_string(status) + ")");
    }
    if (parsed.has("json")) {
        std::string out = "{\"workbook\": " + json_string(vexa::sim::local_path(file)) +
                          ", \"method\": " + json_string(method_name(method)) + ", \"sheets\": [";
        for (int i = 0; i < count; ++i)
            out += (i ? ", " : "") + json_string(names[i]);
        std::printf("%s]}\n", out.c_str());
    } else {
        for (int i = 0; i < count; ++i)
            std::printf("%s\n", names[i]);
    }
    kt_free_str_list(&names);
    return 0;
}

} // namespace

const Command sheets_command = {"sheets", "list the sheets of a kit workbook", usage, run};

} // namespace cvstv_cli
