// cvstv fspec: resolve a kit, data or template file path for a wizard type.
#include "commands.h"
#include "options.h"

#include "cvstvshare/startup.h"

#include <cstdio>

namespace cvstv_cli {

const char *const fspec_usage =
    "usage: cvstv [--kit DIR] fspec [--wizard N] [--kind KIND] [--variable NAME] [SUB1 [SUB2]]\n"
    "\n"
    "Resolves a file of an application kit and prints its host path.\n"
    "\n"
    "  --wizard N       1 mould design (default), 2 progressive die, 3 automotive dies, 4 electrodes\n"
    "  --kind KIND      how to resolve:\n"
    "                     mold1  kit, then KRAX_BASE_DIR fallback, tested for existence (default)\n"
    "                     mold   CV_STANDARDPARTPATH or --variable first, then the kit variable\n"
    "                     mold0  the kit variable of the wizard type\n"
    "                     data   a workbook as .xls when it exists, else .xs4 (SUB1 sub-path, SUB2 file)\n"
    "                     menu   the variable named by --variable (application-menu family)\n"
    "  --variable NAME  environment variable for the mold and menu kinds\n"
    "\n"
    "Example: cvstv --kit examples/kit fspec --wizard 2 /templates stv_add_in.xla\n";

int run_fspec(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"wizard", true}, {"kind", true}, {"variable", true}});
    if (!parsed.error.empty())
        return fail("fspec", parsed.error);
    if (parsed.positional.size() > 2)
        return fail("fspec", "at most two sub-paths are accepted");

    int wizard = 1;
    if (auto w = parsed.value("wizard")) {
        std::string error;
        auto n = parse_int(*w, error);
        if (!n)
            return fail("fspec", error);
        wizard = *n;
    }
    std::string kind = parsed.value("kind").value_or("mold1");
    std::optional<std::string> variable = parsed.value("variable");
    const char *sub1 = parsed.positional.size() > 0 ? parsed.positional[0].c_str() : nullptr;
    const char *sub2 = parsed.positional.size() > 1 ? parsed.positional[1].c_str() : nullptr;

    char result[257] = "";
    int status;
    if (kind == "mold1") {
        status = CVSTVSHARE_ask_mold_fspec1(wizard, sub1, sub2, result);
    } else if (kind == "mold") {
        status = CVSTVSHARE_ask_mold_fspec(wizard, variable ? variable->c_str() : nullptr, sub1, sub2, result);
    } else if (kind == "mold0") {
        status = CVSTVSHARE_ask_mold_fspec0(wizard, sub1, sub2, result);
    } else if (kind == "data") {
        if (!sub2)
            return fail("fspec", "the data kind needs a sub-path and a workbook file name");
        status = CVSTVSHARE_ask_mold_data_fspec(wizard, sub1, sub2, result);
    } else if (kind == "menu") {
        if (!variable)
            return fail("fspec", "the menu kind needs --variable");
        status = CV_MENU_ask_cv_fspec(variable->c_str(), sub1, sub2, result);
    } else {
        return fail("fspec", "unknown kind '" + kind + "'");
    }
    if (status != 0)
        return fail("fspec", status > 0 ? "file not found in the kit or under KRAX_BASE_DIR"
                                        : "path could not be resolved");
    std::printf("%s\n", result);
    return 0;
}

} // namespace cvstv_cli
