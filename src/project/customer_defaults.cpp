// Customer defaults: mapping the caller's key onto the name the setting is
// held under, and reading it from the host's preference store by kind.
//
// A request is answered (0) only when a value was written. The host holding
// no such key, an empty list or a kind outside the eight gives 1 with the
// value untouched, so that the caller keeps its own default; any other
// failure of the store gives its host status and a line in the system log
// under this module's source name, cvstvshare_kt_share.
#include "cvstvshare/customer_defaults.h"
#include "project/customer_defaults_internal.h"
#include "util/boundary.h"
#include "util/text_buffer.h"

#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_parts.h"
#include "hx_prefs.h"

#include <algorithm>
#include <cstring>

namespace cvstv::project {

namespace {

constexpr const char *source_name = "cvstvshare_kt_share";

// The progressive die's keys that the host's preference store holds, in the
// applications' order.
constexpr std::string_view strivo_held_keys[] = {
    "STV_CAVITY_HEIGHT",
    "STV_CAVITY_TAPE_ANGLE",
    "STV_DISPLAY_RENAME_DIALOG",
    "STV_DRAWING_AUTOVIEWS",
    "STV_DRAWING_SECTIONVIEWNAMES",
    "STV_PDMX_NAME_METHOD",
    "STV_LOAD_ZOLT_DATA",
    "STV_LOAD_MIXED_UNIT",
    "STV_PROJECTNAMEDELIMITER",
    "STV_PART_NAME_RULE",
    "STV_PUNCH_DIE_CLEARANCE",
    "STV_PUNCH_PENETRATION",
    "STV_MACHINE_STROKE",
    "STV_NAME_PDMX_NUMBER",
    "STV_SHUT_HEIGHT",
    "STV_STRIP_LIFT_HEIGHT",
    "STV_PUNCH_LEN_EU",
    "STV_PUNCH_LEN_MU",
    "STV_POCKET_CLEARANCEASSOCITIVE",
    "STV_POCKET_THREADMETHOD",
    "STV_REMOVE_SUPPRESSED_FILES",
    "STV_STANDARDPARTPATH",
    "STV_SLUG_HOLE_C1",
    "STV_SLUG_HOLE_C2",
    "STV_INSERT_LEN_ROUND",
    "STV_STANDARDPOSITIONXINCREMENT",
    "STV_STANDARDPOSITIONYINCREMENT",
    "STV_STANDARDDEFAULTREFSET",
    "STV_STANDARDPARENT",
    "STV_STANDARDPOINTCONFIRM",
    "STV_STANDARDPLANEVIEW",
    "STV_STANDARDASSOCIATIONPOINTPOSITION",
    "STV_STANDARDASSOCIATIONPOSITION",
    "STV_STANDARDCATALOGORDER",
    "STV_VIEW_DLG_WIDTH",
    "STV_VIEW_DLG_HEIGHT",
    "STV_WIZARD_VIEW_MANAGER",
    "STV_RESERVE_CLONE_LOGFILE",
    "STV_DRAWING_COMPONENTTYPES1",
    "STV_DRAWING_COMPONENTTYPES2",
    "STV_VIEW_NAME_SET",
    "STV_POCKET_THREADPARAMETERMETHOD",
    "STV_POCKET_THREADFORM",
    "STV_POCKET_THREADOFFSETCOLOR",
    "STV_POCKET_ALLOWASSOCIATIVE",
    "STV_POCKET_TEMPORARY_LAYER",
    "STV_NAME_MAP_TEMPLATE_FILE",
    "STV_CLONE_DRY_RUN",
    "STV_SET_REBUILD_METHOD",
    "STV_CLEARANCE_ZONE",
    "STV_STANDARDCORRECTREFSET",
    "STV_TOOLSALLOWNONASSOCIATIVE",
    "STV_TOOLSTOLERANCE",
    "STV_TOOLSENLARGETYPE",
    "STV_TOOLSCUTBOUNDARY",
    "STV_TOOLSENLARGEMAXVALUE",
    "STV_MOLDTOOLSSPLITSOLIDFACEOPTION",
    "STV_EXCEL_READ_METHOD",
    "STV_STRIP_LAYOUT_VIEW",
    "STV_STOCKSIZE_DECIMAL_PLACES",
    "STV_DIRECTUNFOLD_K_PRECISION_MU",
    "STV_DIRECTUNFOLD_DEVLENGTH_PRECISION_MU",
    "STV_DIRECTUNFOLD_K_PRECISION_EU",
    "STV_DIRECTUNFOLD_DEVLENGTH_PRECISION_EU",
    "STV_PART_INSTALLATION_METHOD",
    "STV_CONCEPTDESIGNLAYER",
    "STV_CURRENT_PARENT",
    "STV_PDMX_FIND_FOLDER",
};
static_assert(std::size(strivo_held_keys) == 68);

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// A failure of the preference store other than "no such key".
int report_store_failure(const std::string &key, int status)
{
    char text[HX_FAIL_MESSAGE_SIZE + 1] = "";
    HX_get_fail_message(status, text);
    std::string line =
        cvstv::format("%s: customer default %s: %s (status %d)", source_name, key.c_str(), text, status);
    HX_syslog_write(line.c_str());
    return status;
}

// "_EU" or "_MU" for a real read by units; empty when the units are unknown.
const char *unit_suffix(int unit_mode)
{
    int units = unit_mode == 0 ? work_part_units() : unit_mode;
    return units == 2 ? "_EU" : units == 1 ? "_MU" : "";
}

int read_list(const std::string &key, void *value)
{
    char **list = nullptr;
    int count = 0;
    if (int status = PMAN_ask_string_list(key.c_str(), &list, &count); status != 0)
        return status;
    std::string joined;
    for (int i = 0; i < count; ++i) {
        if (list[i])
            joined += (i ? "," : "") + std::string(list[i]);
        HX_free(list[i]);
    }
    HX_free(list);
    if (count <= 0)
        return 1;
    return store_text(key, joined, value) ? 0 : -1;
}

int read_text(const std::string &key, void *value)
{
    char *text = nullptr;
    if (int status = PMAN_ask_string(key.c_str(), &text); status != 0)
        return status;
    if (!text)
        return 1;
    bool stored = store_text(key, text, value);
    HX_free(text);
    return stored ? 0 : -1;
}

// Reads a key from the host's preference store into the value by kind.
int read_host_preference(const std::string &key, int kind, int unit_mode, void *value)
{
    int status = 0;
    std::string asked = key;
    switch (kind) {
    case CV_DEFAULT_TEXT: status = read_text(key, value); break;
    case CV_DEFAULT_INT:
    case CV_DEFAULT_COLOUR: status = PMAN_ask_int(key.c_str(), static_cast<int *>(value)); break;
    case CV_DEFAULT_REAL:
    case CV_DEFAULT_REAL_AS_IS: status = PMAN_ask_real(key.c_str(), static_cast<double *>(value)); break;
    case CV_DEFAULT_LOGICAL: {
        int flag = 0;
        status = PMAN_ask_logical(key.c_str(), &flag);
        if (status == 0)
            *static_cast<int *>(value) = flag ? 1 : 0;
        break;
    }
    case CV_DEFAULT_REAL_BY_UNITS:
        asked += unit_suffix(unit_mode);
        status = PMAN_ask_real(asked.c_str(), static_cast<double *>(value));
        break;
    case CV_DEFAULT_LIST: status = read_list(key, value); break;
    default: return 1;
    }
    if (status == HX_ERR_NOT_FOUND)
        return 1;
    if (status > 1)
        return report_store_failure(asked, status);
    return status;
}

int get_customer_default(int wizard_type, const char *key, int unit_mode, int kind, void *value)
{
    if (!key || !value)
        return -1;
    if (kind < CV_DEFAULT_TEXT || kind > CV_DEFAULT_LIST)
        return 1;
    std::optional<std::string> mapped = map_key(wizard_type, key);
    if (!mapped)
        return 1;
    if (mapped->size() > CV_DEFAULT_KEY_SIZE) {
        std::string line =
            cvstv::format("%s: customer default key longer than %d characters refused: %.40s...", source_name,
                          CV_DEFAULT_KEY_SIZE, mapped->c_str());
        HX_syslog_write(line.c_str());
        return -1;
    }
    if (wizard_type == 2) {
        std::string held = upper(*mapped);
        if (!strivo_host_held(held))
            return answer_from_strivo_settings(key, unit_mode, kind, value);
        return read_host_preference(held, kind, unit_mode, value);
    }
    return read_host_preference(*mapped, kind, unit_mode, value);
}

} // namespace

std::optional<std::string> map_key(int wizard_type, std::string_view key)
{
    if (wizard_type == 3)
        return std::string(key);
    if (wizard_type != 1 && wizard_type != 2 && wizard_type != 4)
        return std::nullopt;
    std::string_view rest = key;
    if (std::size_t at = key.find("STV_"); at != std::string_view::npos)
        rest = key.substr(at + 4);
    else if (std::size_t cv = key.find("CV_"); cv != std::string_view::npos)
        rest = key.substr(cv + 3);
    std::string mapped = (wizard_type == 2 ? "STV_" : "CV_") + std::string(rest);
    if (wizard_type == 4 && mapped.find("CV_FG") != std::string::npos)
        mapped = upper(mapped);
    return mapped;
}

bool strivo_host_held(std::string_view upper_key)
{
    return std::find(std::begin(strivo_held_keys), std::end(strivo_held_keys), upper_key) !=
           std::end(strivo_held_keys);
}

bool store_text(std::string_view key, std::string_view text, void *value)
{
    if (text.size() > text_value_size) {
        std::string line = cvstv::format(
            "%s: customer default %.*s: a text of %zu characters refused (at most %zu)", source_name,
            static_cast<int>(key.size()), key.data(), text.size(), text_value_size);
        HX_syslog_write(line.c_str());
        return false;
    }
    cvstv::copy_bounded(static_cast<char *>(value), text_value_size + 1, text);
    return true;
}

int work_part_units()
{
    tag_t part = HX_ASSEM_ask_work_part();
    int units = 0;
    if (part == 0 || HX_PART_ask_units(part, &units) != 0)
        return 0;
    return units;
}

} // namespace cvstv::project

extern "C" {

CVSTV_API int CVSTVSHARE_get_customer_default(int wizard_type, const char *key, int unit_mode, int kind,
                                              void *value) noexcept
{
    return cvstv::guarded("CVSTVSHARE_get_customer_default", -1, [&] {
        return cvstv::project::get_customer_default(wizard_type, key, unit_mode, kind, value);
    });
}

} // extern "C"
