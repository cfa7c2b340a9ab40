// cvstv fspec: resolve a kit, data or template file path for a wizard type.
#include "commands.h"
#include "kit_setup.h"
#include "options.h"

#include "cvstvshare/startup.h"

#include "vexahost/session.h"

#include <cstdio>

namespace cvstv_cli {

namespace {

const char *const usage =
    "usage: cvstv [--kit DIR] fspec [--wizard N] [--kind KIND] [--variable NAME] [SUB1 [SUB2]]\n"
    "\n"
    "Resolves a file of an application kit and prints its path.\n"
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

// The variables a kind of resolution reads, in the order it reads them.
std::vector<std::string> variables_read(const std::string &kind, int wizard,
                                        const std::optional<std::string> &variable)
{
    if (kind == "menu")
        return {variable.value_or("")};
    if (kind == "mold" || kind == "data")
        return {variable.value_or("CV_STANDARDPARTPATH"), kit_variable(wizard)};
    if (kind == "mold1")
        return {kit_variable(wizard), "KRAX_BASE_DIR"};
    return {kit_variable(wizard)};
}

int run(const std::vector<std::string> &args)
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
        status =
            CVSTVSHARE_ask_mold_fspec(wizard, variable ? variable->c_str() : nullptr, sub1, sub2, result);
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
    if (status > 0)
        return fail("fspec", "file not found in the kit or under KRAX_BASE_DIR");
    if (status != 0) {
        std::string unset = unset_variables(variables_read(kind, wizard, variable));
        return fail("fspec", unset.empty() ? "the path could not be resolved (too long?)" : unset);
    }
    std::printf("%s\n", vexa::sim::local_path(result).c_str());
    return 0;
}

} // namespace

const Command fspec_command = {"fspec", "resolve a kit, data or template file path", usage, run};

} // namespace cvstv_cli
