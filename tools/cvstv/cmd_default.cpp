// cvstv default: one customer default as CVSTVSHARE_get_customer_default
// answers it for a wizard type, unit mode and kind of value.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/startup.h"

#include "vexahost/session.h"

#include <cstdio>
#include <string>

namespace cvstv_cli {

namespace {

const char *const usage =
    "usage: cvstv [--kit DIR] [--defaults FILE] default [options] KEY\n"
    "\n"
    "Asks one customer default as the applications do and prints its value. The\n"
    "key is mapped onto the application's name for it (\"CV_...\" for mould design\n"
    "and electrodes, \"STV_...\" for the progressive die, which answers the keys\n"
    "the host does not hold from its settings workbook stv_setting.xs4).\n"
    "\n"
    "  --wizard N       1 mould design (default), 2 progressive die, 3 automotive dies, 4 electrodes\n"
    "  --kind K         0 text (default), 1 integer, 2 length (converted to inches for English\n"
    "                   units from the settings workbook), 3 colour, 4 real, 5 logical,\n"
    "                   6 real by units (key + _MU or _EU), 7 list (joined with \",\")\n"
    "  --units U        work (default: the work part's units), metric or english\n"
    "  --work-part U    make a headless work part of units metric or english first\n"
    "  --method M       how the settings workbook is read: xess or excel\n"
    "                   (default: the host's default spreadsheet setting)\n"
    "  --json           print {\"key\": ..., \"status\": ..., \"value\": ...} (value a number for\n"
    "                   kinds 1 to 6, text for 0 and 7, null when not answered)\n"
    "\n"
    "Exit status 1 when the default is not answered (status 1) or the request fails.\n"
    "\n"
    "Example: cvstv default --wizard 2 --kind 3 CV_PartingLinesColor\n";

bool is_text_kind(int kind)
{
    return kind == CV_DEFAULT_TEXT || kind == CV_DEFAULT_LIST;
}
bool is_real_kind(int kind)
{
    return kind == CV_DEFAULT_REAL || kind == CV_DEFAULT_REAL_AS_IS || kind == CV_DEFAULT_REAL_BY_UNITS;
}

// --units and --work-part take metric or english; 0 for anything else.
int units_named(const std::string &name, bool work_allowed)
{
    if (name == "metric")
        return CV_DEFAULT_UNITS_METRIC;
    if (name == "english")
        return CV_DEFAULT_UNITS_ENGLISH;
    return work_allowed && name == "work" ? CV_DEFAULT_UNITS_WORK_PART : -1;
}

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(args, {{"wizard", true},
                                          {"kind", true},
                                          {"units", true},
                                          {"work-part", true},
                                          {"method", true},
                                          {"json", false}});
    if (!parsed.error.empty())
        return fail("default", parsed.error);
    if (parsed.positional.size() != 1)
        return fail("default", "expected one key (see cvstv default --help)");
    std::string error;
    int wizard = 1, kind = CV_DEFAULT_TEXT;
    if (auto w = parsed.value("wizard")) {
        auto n = parse_int(*w, error);
        if (!n)
            return fail("default", error);
        wizard = *n;
    }
    if (auto k = parsed.value("kind")) {
        auto n = parse_int(*k, error);
        if (!n)
            return fail("default", error);
        kind = *n;
    }
    int unit_mode = units_named(parsed.value("units").value_or("work"), true);
    if (unit_mode < 0)
        return fail("default", "--units takes work, metric or english");
    if (auto part = parsed.value("work-part")) {
        int units = units_named(*part, false);
        if (units < 0)
            return fail("default", "--work-part takes metric or english");
        vexa::sim::set_work_part(vexa::sim::create_part("headless_work_part.prt", units));
    }
    if (!prepare_library_read(parsed, error))
        return fail("default", error);
    CVSTWSHARE_set_wizard_type(wizard);

    const std::string &key = parsed.positional[0];
    char text[CV_DEFAULT_TEXT_SIZE] = "";
    int integer = 0;
    double real = 0;
    void *value = is_text_kind(kind)   ? static_cast<void *>(text)
                  : is_real_kind(kind) ? static_cast<void *>(&real)
                                       : static_cast<void *>(&integer);
    int status = CVSTVSHARE_get_customer_default(wizard, key.c_str(), unit_mode, kind, value);

    std::string shown = is_text_kind(kind)   ? std::string(text)
                        : is_real_kind(kind) ? json_number(real)
                                             : std::to_string(integer);
    if (parsed.has("json")) {
        std::string json_value = status != 0 ? "null" : is_text_kind(kind) ? json_string(text) : shown;
        std::printf("{\"key\": %s, \"status\": %d, \"value\": %s}\n", json_string(key).c_str(), status,
                    json_value.c_str());
        return status == 0 ? 0 : 1;
    }
    if (status != 0)
        return fail("default", key + ": " + (status == 1 ? "not answered" : "failed") + " (status " +
                                   std::to_string(status) + ")");
    std::printf("%s\n", shown.c_str());
    return 0;
}

} // namespace

const Command default_command = {"default", "answer a customer default of a wizard type", usage, run};

} // namespace cvstv_cli
