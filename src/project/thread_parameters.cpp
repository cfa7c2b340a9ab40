// Thread data of a tapped hole: the record of the kit's thread-standard
// workbook for a part's screw diameter and pitch, in a thread form's sheet,
// converted to the units of the displayed assembly.
//
// Units. Callers give the part's units as 0 metric and 1 English; the host
// reports part units as 1 metric and 2 English. The two are compared as
// (host units - 1), so both encodings keep their meaning: a caller's 0 is
// the host's 1. Any other caller value is refused.
//
// The search uses the part's expression values as they are (printed "%f");
// the sheet's values are converted: inch values (form "Unified") into a
// metric assembly multiplied by 25.4, millimetre values (form "Metric") into
// an English assembly divided by 25.4 (the exact conversion; multiplying by
// a rounded reciprocal can print one unit less in the sixth decimal),
// otherwise taken as they read. The work and displayed
// part change only for the two expression reads and are restored on every
// path.
#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/project_lookups.h"
#include "cvstvshare/sheet.h"
#include "cvstvshare/sheet_loading.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/text_buffer.h"
#include "util/work_part_guard.h"

#include "hx_files.h"
#include "hx_memory.h"
#include "hx_parts.h"
#include "hx_thread.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>

namespace {

constexpr const char *thread_workbook = "thread_standard_dat.xls";
constexpr std::size_t form_size = 49;
constexpr std::size_t field_value_size = 1024;
constexpr double millimetres_per_inch = 25.4;

enum class Conversion { none, inch_to_mm, mm_to_inch };

struct Table {
    sheet_table table{};
    ~Table() { sheet_release_memo(&table); }
};

struct List {
    char **items = nullptr;
    ~List() { kt_free_str_list(&items); }
};

bool exists(const char *path)
{
    int code = HX_FILE_MISSING;
    return HX_file_exists(path, HX_FILE_TYPE_ANY, &code) == 0 && code == HX_FILE_EXISTS;
}

// The value of a part's expression, or nullopt when it has none.
std::optional<double> expression_value(tag_t part, const char *name)
{
    tag_t expression = 0;
    double value = 0;
    if (HX_MODL_ask_exp_tag(part, name, &expression) != 0 || !expression ||
        HX_MODL_ask_exp_value(expression, &value) != 0)
        return std::nullopt;
    return value;
}

bool has_expression(tag_t part, const char *name)
{
    tag_t expression = 0;
    return HX_MODL_ask_exp_tag(part, name, &expression) == 0 && expression != 0;
}

// The thread workbook in the kit root, else in its "templates"; empty when
// it is in neither.
std::string thread_workbook_path(int wizard)
{
    char path[cvstv::path_size + 1] = "";
    if (CVSTVSHARE_ask_mold_fspec0(wizard, nullptr, thread_workbook, path) < 0)
        return {};
    if (exists(path))
        return path;
    if (CVSTVSHARE_ask_mold_fspec0(wizard, "/templates", thread_workbook, path) < 0 || !exists(path))
        return {};
    return path;
}

// The form by the customer default: 0 Unified, 1 Metric, 2 by the assembly's
// units; nullopt when the default is not answered.
std::optional<std::string> form_by_default(int wizard, int assembly_units)
{
    std::string key = "CV_Pocket_ThreadForm";
    if (wizard == 2)
        STV_str_toupper(key.data());
    int value = 0;
    if (CVSTVSHARE_get_customer_default(wizard, key.c_str(), CV_DEFAULT_UNITS_WORK_PART, CV_DEFAULT_INT,
                                        &value) != 0)
        return std::nullopt;
    if (value == 1 || (value == 2 && assembly_units == CV_THREAD_UNITS_METRIC))
        return "Metric";
    return "Unified";
}

void clear(HX_MODL_symb_thread_data_s &r)
{
    for (char **member :
         {&r.length, &r.form, &r.callout, &r.major_dia, &r.minor_dia, &r.tapped_dia, &r.pitch})
        *member = nullptr;
}

void release(HX_MODL_symb_thread_data_s &r)
{
    for (char **member :
         {&r.length, &r.form, &r.callout, &r.major_dia, &r.minor_dia, &r.tapped_dia, &r.pitch}) {
        HX_free(*member);
        *member = nullptr;
    }
}

// A field of the found record as the record holds it: converted and printed
// "%f", or as read; an empty text when the sheet has no such field.
char *field_text(sheet_table *table, const char *field, Conversion conversion)
{
    char value[field_value_size] = "";
    if (sheet_ask_field_value(table, field, value) != 0)
        return HX_strdup("");
    if (conversion == Conversion::none)
        return HX_strdup(value);
    double read = std::strtod(value, nullptr);
    return HX_sprintf("%f", conversion == Conversion::inch_to_mm ? read * millimetres_per_inch
                                                                 : read / millimetres_per_inch);
}

int fill(sheet_table *table, const std::string &form, Conversion conversion, HX_MODL_symb_thread_data_s &r)
{
    r.form = HX_strdup(form.c_str());
    r.callout = field_text(table, "CALLOUT", Conversion::none);
    r.major_dia = field_text(table, "MAJOR_DIA", conversion);
    r.minor_dia = field_text(table, "MINOR_DIA", conversion);
    r.pitch = field_text(table, "PITCH", conversion);
    r.tapped_dia = field_text(table, "TAP_DRILL_DIA", conversion);
    r.length = field_text(table, "DEPTH", conversion);
    if (r.form && r.callout && r.major_dia && r.minor_dia && r.pitch && r.tapped_dia && r.length)
        return 0;
    release(r);
    return -1;
}

int get_thread_parameters(int units, tag_t part, int use_given_form, const char *given_form,
                          HX_MODL_symb_thread_data_s *record)
{
    if (!record)
        return -1;
    clear(*record);
    if ((units != CV_THREAD_UNITS_METRIC && units != CV_THREAD_UNITS_ENGLISH) || !part ||
        !has_expression(part, "SCREW_DIA") || !has_expression(part, "THREAD_PITCH") ||
        (use_given_form && !given_form))
        return -1;

    std::optional<double> diameter, pitch;
    int assembly_units = units;
    {
        cvstv::WorkPartGuard guard;
        // The root of the displayed assembly is the displayed part; without
        // one, the part's own units stand for the assembly's.
        tag_t root = guard.display() ? guard.display() : part;
        int host_units = 0;
        if (HX_PART_ask_units(root, &host_units) != 0)
            return -1;
        assembly_units = host_units - 1;
        int status = units == assembly_units ? HX_ASSEM_set_work_part(part) : HX_PART_set_display_part(part);
        if (status != 0)
            return -1;
        diameter = expression_value(part, "SCREW_DIA");
        pitch = expression_value(part, "THREAD_PITCH");
    }
    if (!diameter || !pitch)
        return -1;
    std::string diameter_text = cvstv::format("%f", *diameter);
    std::string pitch_text = cvstv::format("%f", *pitch);

    const int wizard = CVSTWSHARE_get_wizard_type();
    std::string path = thread_workbook_path(wizard);
    if (path.empty())
        return -1;
    std::string form;
    if (use_given_form) {
        form.assign(given_form, ::strnlen(given_form, form_size));
    } else if (auto chosen = form_by_default(wizard, assembly_units)) {
        form = *chosen;
    } else {
        return -1;
    }
    Conversion conversion = Conversion::none;
    if (assembly_units == CV_THREAD_UNITS_METRIC && form == "Unified")
        conversion = Conversion::inch_to_mm;
    else if (assembly_units == CV_THREAD_UNITS_ENGLISH && form == "Metric")
        conversion = Conversion::mm_to_inch;

    Table holder;
    std::string sheet_path = path + "::" + form;
    if (CVSTVSHARE_read_spreadsheet(wizard, sheet_path.c_str(), &holder.table) != 0)
        return -1;
    sheet_table *table = &holder.table;
    List all, fields;
    int count = 0;
    int matches = sheet_search_record(table, "FIND>=KT_ALL_RECORD", &all.items, &count);
    if (matches < 0)
        return -1;
    if (matches == 0)
        return 0;
    if (sheet_ask_field_name_list(table, &fields.items) < 2)
        return -1;
    const char *dia_field = fields.items[0];
    const char *pitch_field = fields.items[1];
    char condition[SHEET_COMPOUND_CONDITION_SIZE];
    List found;
    if (!cvstv::format_bounded(condition, sizeof condition, "%s==%s && %s==%s", dia_field,
                               diameter_text.c_str(), pitch_field, pitch_text.c_str()))
        return -1;
    matches = sheet_search_record(table, condition, &found.items, &count);
    if (matches == 0) {
        kt_free_str_list(&found.items);
        if (!cvstv::format_bounded(condition, sizeof condition, "%s==%s", dia_field, diameter_text.c_str()))
            return -1;
        matches = sheet_search_record(table, condition, &found.items, &count);
    }
    if (matches <= 0)
        return -1;
    return fill(table, form, conversion, *record);
}

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_get_thread_parameters(int units, tag_t part, int use_given_form, const char *form,
                                               struct HX_MODL_symb_thread_data_s *thread) noexcept
{
    return cvstv::guarded("CVSTVSHARE_get_thread_parameters", -1,
                          [&] { return get_thread_parameters(units, part, use_given_form, form, thread); });
}

} // extern "C"
