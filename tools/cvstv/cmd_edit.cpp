// cvstv edit: opens a kit workbook for editing as the applications do
// (CVSTVSHARE_sheet_edit), making it from the application's template
// workbook when it does not exist yet.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/sheet_loading.h"

#include "vexahost/session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace cvstv_cli {

namespace {

const char *const usage = "usage: cvstv [--kit DIR] [--defaults FILE] edit [options] WORKBOOK\n"
                          "\n"
                          "Opens a workbook for editing as the applications do. With the spreadsheet\n"
                          "program (the default) a workbook that does not exist yet is first copied from\n"
                          "the application's template workbook in the kit (cavora_template.xls,\n"
                          "stv_template.xls for wizard type 2, pressa_template.xls for type 3); the\n"
                          "program then gets the .xls workbook as its one argument, never through a\n"
                          "shell. WORKBOOK is resolved as by 'cvstv lookup' (a '::' suffix is ignored).\n"
                          "\n"
                          "  --dir SUB        kit sub-directory of the workbook (default: the kit root)\n"
                          "  --wizard N       wizard type of the kit and template (default 1)\n"
                          "  --method M       excel: the spreadsheet program (default)\n"
                          "                   xess: the host's own spreadsheet editor gets the path\n"
                          "  --program PROG   the local program started as the spreadsheet program\n"
                          "                   (default: $CVSTV_SPREADSHEET_PROGRAM, else xdg-open)\n"
                          "  --wait           wait until the program ends (the customer default\n"
                          "                   CV_ExcelBackground = 0); otherwise the site's default decides\n"
                          "  --json           print {\"workbook\": ..., \"created\": ..., \"status\": ...}\n"
                          "\n"
                          "Example: cvstv edit --dir /standard/screws --program gnumeric cap_screw.xls\n";

// The program to start: --program, else the environment's, else xdg-open.
std::string spreadsheet_program(const ParsedArgs &parsed)
{
    if (auto p = parsed.value("program"))
        return *p;
    if (const char *env = std::getenv("CVSTV_SPREADSHEET_PROGRAM"); env && *env)
        return env;
    return "xdg-open";
}

bool exists(const std::string &local)
{
    std::error_code ec;
    return std::filesystem::exists(local, ec);
}

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"dir", true},
                                          {"wizard", true},
                                          {"method", true},
                                          {"program", true},
                                          {"wait", false},
                                          {"json", false}});
    if (!parsed.error.empty())
        return fail("edit", parsed.error);
    if (parsed.positional.size() != 1)
        return fail("edit", "expected one workbook (see cvstv edit --help)");
    std::string method = parsed.value("method").value_or("excel");
    if (method != "excel" && method != "xess")
        return fail("edit", "--method takes excel or xess");
    std::string error, file, sheet;
    if (!resolve_workbook(parsed, parsed.positional[0], file, sheet, error))
        return fail("edit", error);
    int wizard = std::atoi(parsed.value("wizard").value_or("1").c_str());

    bool excel = method == "excel";
    vexa::sim::set_default_spreadsheet_excel(excel);
    std::string workbook = file;
    if (excel) {
        vexa::sim::install_spreadsheet_program({spreadsheet_program(parsed)});
        if (std::size_t at = workbook.find(".xs4"); at != std::string::npos)
            workbook = workbook.substr(0, at) + ".xls";
    }
    if (parsed.has("wait"))
        vexa::sim::set_int_preference("CV_ExcelBackground", 0);

    std::string local = vexa::sim::local_path(workbook);
    bool existed = exists(local);
    int status = CVSTVSHARE_sheet_edit(wizard, file.c_str());
    bool created = excel && !existed && exists(local);
    if (parsed.has("json")) {
        std::printf("{\"workbook\": %s, \"created\": %s, \"status\": %d}\n", json_string(local).c_str(),
                    created ? "true" : "false", status);
        return status == 0 ? 0 : 1;
    }
    if (status != 0)
        return fail("edit", "'" + local + "' was not opened (status " + std::to_string(status) + ")");
    std::printf("%s%s\n", local.c_str(), created ? " (created from the template)" : "");
    return 0;
}

} // namespace

const Command edit_command = {"edit", "open a kit workbook for editing, made from the template when missing",
                              usage, run};

} // namespace cvstv_cli
