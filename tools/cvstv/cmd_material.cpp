// cvstv material: the material list of the kit's material workbook with
// each material's shrinkage scale factor, as CVSTVSHARE_init_read_material
// answers it.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/project_lookups.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"

#include "vexahost/session.h"

#include <cstdio>
#include <string>

namespace cvstv_cli {

namespace {

const char *const usage =
    "usage: cvstv [--kit DIR] [--defaults FILE] material [--wizard N] [--method M] [--json]\n"
    "\n"
    "Reads the material list of the kit's material workbook (cv_material.xls or\n"
    ".xs4, in the kit root or its templates directory) and prints each material\n"
    "with its scale factor, then the count. Without a material workbook the count\n"
    "is 0 and the load scale is set to 1.\n"
    "\n"
    "  --wizard N   1 mould design (default), 2 progressive die, 3 automotive dies, 4 electrodes\n"
    "  --method M   xess or excel (default: the host's default spreadsheet setting)\n"
    "  --json       print {\"count\": N, \"materials\": [{\"name\": ..., \"scale\": ...}, ...]}\n"
    "\n"
    "Example: cvstv material --method excel\n";

struct Lists {
    char **names = nullptr;
    char **scales = nullptr;
    ~Lists()
    {
        kt_free_str_list(&names);
        kt_free_str_list(&scales);
    }
};

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"wizard", true}, {"method", true}, {"json", false}});
    if (!parsed.error.empty())
        return fail("material", parsed.error);
    if (!parsed.positional.empty())
        return fail("material", "no arguments expected (see cvstv material --help)");
    std::string error;
    int wizard = 1;
    if (auto w = parsed.value("wizard")) {
        auto n = parse_int(*w, error);
        if (!n)
            return fail("material", error);
        wizard = *n;
    }
    if (!prepare_library_read(parsed, error))
        return fail("material", error);
    CVSTWSHARE_set_wizard_type(wizard);

    Lists lists;
    int count = CVSTVSHARE_init_read_material(&lists.names, &lists.scales);
    if (count < 0)
        return fail("material",
                    "the material workbook cannot be resolved (status " + std::to_string(count) + ")");
    int scales = kt_ask_str_list_count(lists.scales);
    auto scale_of = [&](int i) { return i < scales ? std::string(lists.scales[i]) : std::string(); };

    if (parsed.has("json")) {
        std::string out = "{\"count\": " + std::to_string(count) + ", \"materials\": [";
        for (int i = 0; i < count; ++i)
            out += std::string(i ? ", " : "") + "{\"name\": " + json_string(lists.names[i]) +
                   ", \"scale\": " + (i < scales ? json_number_or_string(scale_of(i)) : "null") + "}";
        std::printf("%s]}\n", out.c_str());
        return 0;
    }
    for (int i = 0; i < count; ++i)
        std::printf("%s\t%s\n", lists.names[i], scale_of(i).c_str());
    std::printf("materials: %d\n", count);
    if (count == 0)
        for (const std::string &cue : vexa::sim::texts(vexa::sim::Entry::cue))
            std::printf("%s\n", cue.c_str());
    return 0;
}

} // namespace

const Command material_command = {"material", "list the kit's materials with their shrinkage scale factors",
                                  usage, run};

} // namespace cvstv_cli
