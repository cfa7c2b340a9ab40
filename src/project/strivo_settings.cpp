// The progressive die's settings workbook: "stv_setting.xs4" in the
// "configuration" directory of the Strivo kit, read whole on each request
// through the spreadsheet readers (on a system whose default spreadsheet is
// Excel they read the ".xls" form). Each row is one setting: the key in its
// first cell, exactly as callers ask it, and the value as text in the
// second. The first row whose key matches answers.
#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/sheet.h"
#include "cvstvshare/sheet_loading.h"
#include "cvstvshare/startup.h"
#include "project/customer_defaults_internal.h"
#include "util/path_util.h"

#include "hx_files.h"
#include "hx_messages.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace cvstv::project {

namespace {

constexpr const char *settings_directory = "\\configuration";
constexpr const char *settings_file = "stv_setting.xs4";
// Millimetres become inches by dividing by 25.4 rather than multiplying by
// its rounded reciprocal, so that whole inches come out whole (25.4 -> 1).
constexpr double millimetres_per_inch = 25.4;

// The leading decimal integer of a text (blanks and a sign allowed before
// the digits), 0 when there are no digits; clamped to the range of int.
int leading_integer(const char *text)
{
    errno = 0;
    long long v = std::strtoll(text, nullptr, 10);
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

double leading_real(const char *text)
{
    return std::strtod(text, nullptr);
}

// The value of the row whose first cell is the key, or null.
const char *setting_value(const sheet_table &table, std::string_view key, bool &found)
{
    found = false;
    for (int r = 0; r < table.row_count; ++r) {
        char **row = table.rows[r];
        if (row && row[0] && key == row[0]) {
            found = true;
            return table.column_count > 1 && row[1] ? row[1] : "";
        }
    }
    return nullptr;
}

int convert(std::string_view key, const char *text, int unit_mode, int units, int kind, void *value)
{
    switch (kind) {
    case CV_DEFAULT_TEXT: {
        char expanded[path_size + 1] = "";
        kt_expand_env_path(text, expanded);
        return store_text(key, expanded, value) ? 0 : -1;
    }
    case CV_DEFAULT_INT: *static_cast<int *>(value) = leading_integer(text); return 0;
    case CV_DEFAULT_REAL: {
        bool english =
            unit_mode == CV_DEFAULT_UNITS_ENGLISH || (unit_mode == CV_DEFAULT_UNITS_WORK_PART && units == 2);
        double real = leading_real(text);
        *static_cast<double *>(value) = english ? real / millimetres_per_inch : real;
        return 0;
    }
    case CV_DEFAULT_REAL_AS_IS: *static_cast<double *>(value) = leading_real(text); return 0;
    case CV_DEFAULT_COLOUR: *static_cast<int *>(value) = kt_color_name_to_index(text); return 0;
    default: return 1;
    }
}

struct Table {
    sheet_table table{};
    ~Table() { sheet_release_memo(&table); }
};

} // namespace

int answer_from_strivo_settings(std::string_view key, int unit_mode, int kind, void *value)
{
    if (kind != CV_DEFAULT_TEXT && kind != CV_DEFAULT_INT && kind != CV_DEFAULT_REAL &&
        kind != CV_DEFAULT_REAL_AS_IS && kind != CV_DEFAULT_COLOUR)
        return 1;
    char path[path_size + 1] = "";
    if (kt_ask_strivo_kit_file(settings_directory, settings_file, path) != 0)
        return -1;
    int code = HX_FILE_MISSING;
    int status = HX_file_exists(path, HX_FILE_TYPE_ANY, &code);
    if (status != 0 || code != HX_FILE_EXISTS) {
        HX_message_box(HX_SEVERITY_ERROR, HX_TEXT("STV settings file is not found."));
        return status != 0 ? status : code;
    }
    int units = work_part_units();

    Table holder;
    int read = CVSTVSHARE_read_spreadsheet(CVSTWSHARE_get_wizard_type(), path, &holder.table);
    if (read == -2)
        return 1;
    if (read != 0)
        return read;
    bool found = false;
    const char *text = setting_value(holder.table, key, found);
    if (!found)
        return 1;
    return convert(key, text, unit_mode, units, kind, value);
}

} // namespace cvstv::project
