// cvstv thread: the tapped-hole data CVSTVSHARE_get_thread_parameters
// answers for a screw diameter and pitch. A headless part of the units asked
// for carries the expressions "SCREW_DIA" and "THREAD_PITCH" and is made the
// work and displayed part, so the assembly's units are the part's.
#include "commands.h"
#include "options.h"
#include "workbook_access.h"

#include "cvstvshare/project_lookups.h"
#include "cvstvshare/startup.h"

#include "vexahost/session.h"

#include "hx_memory.h"
#include "hx_thread.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace cvstv_cli {

namespace {

const char *const usage =
    "usage: cvstv [--kit DIR] [--defaults FILE] thread [options] DIA PITCH\n"
    "\n"
    "Looks up the tapped-hole data of a screw diameter and pitch in the kit's\n"
    "thread-standard workbook (thread_standard_dat.xls), in the sheet of the thread\n"
    "form, converted to the part's units (inch values of \"Unified\" into a metric\n"
    "part, millimetre values of \"Metric\" into an English part). DIA and PITCH are\n"
    "in the units of the form's sheet. Without --form the form follows the\n"
    "customer default CV_Pocket_ThreadForm (0 Unified, 1 Metric, 2 by the units).\n"
    "\n"
    "  --units U    metric (default) or english: the part's units\n"
    "  --form F     the thread form to use (Metric, Unified, ...)\n"
    "  --wizard N   1 mould design (default), 2 progressive die, 3 automotive dies, 4 electrodes\n"
    "  --method M   xess or excel (default: the host's default spreadsheet setting)\n"
    "  --json       print {\"status\": ..., \"form\": ..., \"callout\": ..., \"major_dia\": ...,\n"
    "               \"minor_dia\": ..., \"pitch\": ..., \"tap_drill_dia\": ..., \"length\": ...}\n"
    "               with the record's texts as filled (null for a member not filled)\n"
    "\n"
    "Example: cvstv thread --units metric --form Unified 0.25 0.05\n";

std::optional<double> parse_real(const std::string &text)
{
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || errno != 0 || !std::isfinite(v))
        return std::nullopt;
    return v;
}

struct Record {
    HX_MODL_symb_thread_data_s r{};
    ~Record()
    {
        for (char *m : {r.length, r.form, r.callout, r.major_dia, r.minor_dia, r.tapped_dia, r.pitch})
            HX_free(m);
    }
};

std::string json_text(const char *member)
{
    return member ? json_string(member) : "null";
}

int run(const std::vector<std::string> &args)
{
    ParsedArgs parsed = parse_args(
        args, {{"units", true}, {"form", true}, {"wizard", true}, {"method", true}, {"json", false}});
    if (!parsed.error.empty())
        return fail("thread", parsed.error);
    if (parsed.positional.size() != 2)
        return fail("thread", "expected a screw diameter and a pitch (see cvstv thread --help)");
    auto diameter = parse_real(parsed.positional[0]);
    auto pitch = parse_real(parsed.positional[1]);
    if (!diameter || !pitch)
        return fail("thread", "the diameter and the pitch are numbers");
    std::string units = parsed.value("units").value_or("metric");
    if (units != "metric" && units != "english")
        return fail("thread", "--units takes metric or english");
    std::string error;
    int wizard = 1;
    if (auto w = parsed.value("wizard")) {
        auto n = parse_int(*w, error);
        if (!n)
            return fail("thread", error);
        wizard = *n;
    }
    if (!prepare_library_read(parsed, error))
        return fail("thread", error);
    CVSTWSHARE_set_wizard_type(wizard);

    bool english = units == "english";
    vexa::sim::tag_t part = vexa::sim::create_part("headless_screw.prt", english ? vexa::sim::units_english
                                                                                 : vexa::sim::units_metric);
    vexa::sim::set_work_part(part);
    vexa::sim::set_display_part(part);
    vexa::sim::set_expression(part, "SCREW_DIA", *diameter);
    vexa::sim::set_expression(part, "THREAD_PITCH", *pitch);

    std::optional<std::string> form = parsed.value("form");
    Record record;
    int status =
        CVSTVSHARE_get_thread_parameters(english ? CV_THREAD_UNITS_ENGLISH : CV_THREAD_UNITS_METRIC, part,
                                         form ? 1 : 0, form ? form->c_str() : nullptr, &record.r);
    const HX_MODL_symb_thread_data_s &r = record.r;
    if (parsed.has("json")) {
        std::printf("{\"status\": %d, \"form\": %s, \"callout\": %s, \"major_dia\": %s, \"minor_dia\": %s, "
                    "\"pitch\": %s, \"tap_drill_dia\": %s, \"length\": %s}\n",
                    status, json_text(r.form).c_str(), json_text(r.callout).c_str(),
                    json_text(r.major_dia).c_str(), json_text(r.minor_dia).c_str(),
                    json_text(r.pitch).c_str(), json_text(r.tapped_dia).c_str(), json_text(r.length).c_str());
        return status == 0 ? 0 : 1;
    }
    if (status != 0)
        return fail("thread", "no thread data for diameter " + parsed.positional[0] + " and pitch " +
                                  parsed.positional[1] + " (status " + std::to_string(status) + ")");
    if (!r.form) {
        std::printf("the thread sheet holds no records\n");
        return 0;
    }
    std::printf(
        "form: %s\ncallout: %s\nmajor_dia: %s\nminor_dia: %s\npitch: %s\ntap_drill_dia: %s\nlength: %s\n",
        r.form, r.callout, r.major_dia, r.minor_dia, r.pitch, r.tapped_dia, r.length);
    return 0;
}

} // namespace

const Command thread_command = {"thread", "look up tapped-hole data for a screw diameter and pitch", usage,
                                run};

} // namespace cvstv_cli
