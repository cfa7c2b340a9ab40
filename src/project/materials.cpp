// The material list: the names in the first column of the kit's material
// workbook and each one's scale factor, the value beside it. The workbook is
// "cv_material" as ".xls" when that file exists, else ".xs4", looked for in
// the kit root and then in its "templates" directory. Without it the load
// scale becomes 1 and the user is told on the prompt line.
//
// Names and factors are gathered as C++ strings and handed out at the end,
// each list in one pass, so that a failure hands out nothing.
#include "cvstvshare/project_lookups.h"
#include "cvstvshare/sheet.h"
#include "cvstvshare/sheet_loading.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_files.h"
#include "hx_messages.h"
#include "hx_tooling.h"

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char *material_file = "cv_material.xs4";
constexpr const char *no_database = "No material database - the scale factor will be set to 1";
constexpr std::size_t condition_size = 120; // conditions of at most 119 characters
// The factor of a material whose own cannot be found: no shrinkage.
constexpr const char *neutral_scale = "1";

bool exists(const char *path)
{
    int code = HX_FILE_MISSING;
    return HX_file_exists(path, HX_FILE_TYPE_ANY, &code) == 0 && code == HX_FILE_EXISTS;
}

struct Table {
    sheet_table table{};
    ~Table() { sheet_release_memo(&table); }
};

// The values of a search, in a vector; -1 when memory ran out.
int search(sheet_table *table, const char *condition, std::vector<std::string> &values)
{
    char **list = nullptr;
    int count = 0;
    int matches = sheet_search_record(table, condition, &list, &count);
    values.assign(list, list + (count > 0 ? count : 0));
    kt_free_str_list(&list);
    return matches;
}

// The scale factor of a material: the first value of "<field>==<name>", or
// "1" when there is none; nullopt when memory ran out.
std::optional<std::string> scale_of(sheet_table *table, const char *field, const std::string &name)
{
    char condition[condition_size];
    std::vector<std::string> values;
    if (cvstv::format_bounded(condition, sizeof condition, "%s==%s", field, name.c_str())) {
        int matches = search(table, condition, values);
        if (matches < 0)
            return std::nullopt;
        if (matches > 0 && !values.empty())
            return values.front();
    }
    std::string line = cvstv::format("material %s: no scale factor found, 1 used", name.c_str());
    HX_syslog_write(line.c_str());
    return neutral_scale;
}

// The first field name of the table (its own cell), or null.
const char *first_field(sheet_table *table)
{
    char **row = nullptr;
    if (sheet_field_name_list(table, &row) <= 0 || !row)
        return nullptr;
    for (int c = 0; c < table->column_count; ++c)
        if (row[c] && *row[c])
            return row[c];
    return nullptr;
}

int init_read_material(char ***names_out, char ***scales_out)
{
    if (!names_out)
        return -1;
    const int wizard = CVSTWSHARE_get_wizard_type();
    char path[cvstv::path_size + 1] = "";
    if (int status = CVSTVSHARE_ask_mold_data_fspec(wizard, nullptr, material_file, path); status < 0)
        return status;
    if (!exists(path)) {
        if (int status = CVSTVSHARE_ask_mold_data_fspec(wizard, "/templates", material_file, path);
            status < 0)
            return status;
        if (!exists(path)) {
            HX_set_cue(HX_TEXT(no_database));
            CVDES_init_put_load_scale(1.0);
            return 0;
        }
    }

    Table holder;
    if (CVSTVSHARE_read_spreadsheet(wizard, path, &holder.table) != 0) {
        CVDES_init_put_load_scale(1.0);
        return 0;
    }
    char all[condition_size];
    cvstv::format_bounded(all, sizeof all, "FIND>=%s", "KT_ALL_RECORD");
    std::vector<std::string> names, scales;
    int matches = search(&holder.table, all, names);
    if (matches < 0)
        return -1;
    const char *field = first_field(&holder.table);
    if (matches > 0 && field && scales_out)
        for (const std::string &name : names) {
            std::optional<std::string> scale = scale_of(&holder.table, field, name);
            if (!scale)
                return -1;
            scales.push_back(std::move(*scale));
        }

    char **name_list = nullptr;
    if (cvstv::append_str_list(&name_list, names) < 0)
        return -1;
    if (scales_out && !scales.empty() && cvstv::append_str_list(scales_out, scales) < 0) {
        kt_free_str_list(&name_list);
        return -1;
    }
    *names_out = name_list;
    return static_cast<int>(names.size());
}

} // namespace

extern "C" {

CVSTV_API int CVSTVSHARE_init_read_material(char ***names, char ***scales) noexcept
{
    return cvstv::guarded("CVSTVSHARE_init_read_material", -1,
                          [&] { return init_read_material(names, scales); });
}

} // extern "C"
