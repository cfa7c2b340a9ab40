// PDM folders and part file names (cvstvshare/pdm_names.h), on the host's
// PDM calls (hx_pdm.h). Each function degrades to plain file names when the
// PDM manager is not active.
//
// Module state: the folder path and tag found by the last folder search,
// reset with the library's module state.
#include "cvstvshare/pdm_names.h"
#include "cvstvshare/customer_defaults.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/module_state.h"
#include "util/part_query.h"
#include "util/str_list.h"
#include "util/text_buffer.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t name_capacity = KT_PDM_NAME_BUFFER_SIZE;
constexpr const char *default_folder = KT_PDM_DEFAULT_FOLDER;
// Deepest folder nesting searched; deeper trees are not followed.
constexpr int max_folder_depth = 256;

// The last folder search's result.
std::optional<std::string> remembered_path;
tag_t remembered_folder = 0;
const cvstv::ModuleStateReset folder_reset{[] {
    remembered_path.reset();
    remembered_folder = 0;
}};

bool pdm_on()
{
    return cvstv::pdm_active();
}

// A host list of names as strings; the list is freed.
std::vector<std::string> take_names(int count, char **names)
{
    std::vector<std::string> out;
    for (int i = 0; i < count && names; ++i) {
        out.emplace_back(names[i] ? names[i] : "");
        HX_free(names[i]);
    }
    HX_free(names);
    return out;
}

// Hands the host's list of a PDM call (its status s) on to the caller as a
// string list; the host's list is freed. 0, s, or -1 when memory runs out.
int hand_on(int s, int n, char **host_list, int *count, char ***list)
{
    auto names = take_names(n, host_list);
    if (s != 0)
        return s;
    if (cvstv::append_str_list(list, names) < 0)
        return -1;
    *count = cvstv::str_list_count(*list);
    return 0;
}

char *new_string(const std::string &text)
{
    return HX_strdup(text.c_str());
}

std::string join(const std::vector<std::string> &pieces, char by)
{
    std::string out;
    for (const auto &p : pieces)
        out += (out.empty() ? "" : std::string(1, by)) + p;
    return out;
}

std::vector<std::string> path_pieces(std::string_view path)
{
    std::vector<std::string> out;
    for (auto piece : cvstv::tokenize(path, ":"))
        out.emplace_back(piece);
    return out;
}

// The decoded part number of an encoded name, or the status.
int decode_number(const char *encoded, std::string &number)
{
    char n[HX_PDM_NUMBER_SIZE + 1] = "", r[HX_PDM_REVISION_SIZE + 1] = "";
    char t[HX_PDM_TYPE_SIZE + 1] = "", f[HX_PDM_FILE_NAME_SIZE + 1] = "";
    int s = HX_KRMGR_decode_part_filename(encoded, n, r, t, f);
    number = s == 0 ? n : "";
    return s;
}

// The initial revision of a part type (empty when the PDM assigns none).
std::string initial_revision(const std::string &type)
{
    char initial[HX_PDM_REVISION_SIZE + 1] = "";
    HX_KRMGR_assign_initial_revision(type.c_str(), initial);
    return initial;
}

std::string default_part_type_or_item()
{
    char type[HX_PDM_TYPE_SIZE + 1] = "";
    HX_KRMGR_ask_default_part_type(type);
    return *type ? type : "Item";
}

// The latest revision of a number, else the initial revision of `type`, else
// "A" (the PDM's status when listing fails; `revision` empty then).
int latest_or_initial(const std::string &number, const std::string &type, std::string &revision)
{
    char latest[HX_PDM_REVISION_SIZE + 1] = "";
    if (int s = HX_KRMGR_ask_latest_revision(number.c_str(), latest)) {
        revision.clear();
        return s;
    }
    revision = latest;
    if (revision.empty()) {
        revision = initial_revision(type);
        if (revision.empty())
            revision = "A";
    }
    return 0;
}

int encode(const std::string &number, const std::string &revision, const char *file_type,
           const std::string &file, char *encoded)
{
    char out[HX_MAX_FSPEC_SIZE + 1] = "";
    int s = HX_KRMGR_encode_part_filename(number.c_str(), revision.c_str(), file_type, file.c_str(), out);
    cvstv::copy_bounded(encoded, name_capacity, s == 0 ? out : "");
    return s;
}

// The user's folder, or the PDM root when the user has none (0: neither).
tag_t start_folder(std::string &user)
{
    char id[HX_PDM_NAME_SIZE + 1] = "";
    HX_KRMGR_ask_user_id(id);
    user = id;
    tag_t folder = 0;
    if (*id && HX_KRMGR_ask_user_folder(id, &folder) == 0 && folder)
        return folder;
    folder = 0;
    HX_KRMGR_ask_root_folder(&folder);
    return folder;
}

struct FolderEntries {
    int count = 0;
    HX_KRMGR_entry_t *entries = nullptr;
    explicit FolderEntries(tag_t folder) { HX_KRMGR_ask_folder_contents(folder, &count, &entries); }
    ~FolderEntries() { HX_free(entries); }
    FolderEntries(const FolderEntries &) = delete;
    FolderEntries &operator=(const FolderEntries &) = delete;
};

// Depth-first search below `folder` for the number; on success `names` holds
// the folder names below the start down to the holder and `found` its tag.
bool find_part_folder(tag_t folder, const std::string &number, std::vector<std::string> &names, tag_t &found,
                      int depth)
{
    if (depth > max_folder_depth)
        return false;
    FolderEntries list(folder);
    for (int i = 0; i < list.count; ++i) {
        const auto &e = list.entries[i];
        if (e.type == HX_PDM_FOLDER_ENTRY) {
            names.emplace_back(e.name);
            if (find_part_folder(e.folder, number, names, found, depth + 1))
                return true;
            names.pop_back();
        } else if (e.type == HX_PDM_PART_ENTRY && number == e.name) {
            found = folder;
            return true;
        }
    }
    return false;
}

// The part number of the displayed part, or the status.
int display_part_number(std::string &number)
{
    tag_t display = HX_PART_ask_display_part();
    if (display == 0)
        return -1;
    char name[HX_MAX_FSPEC_SIZE + 1] = "";
    if (int s = HX_PART_ask_part_name(display, name))
        return s;
    return decode_number(name, number);
}

// Folder search with the remembered result (kt_get_pdmx_folder).
int pdmx_folder(const char *given, tag_t &folder, std::string &path)
{
    folder = 0;
    if (!pdm_on()) {
        path = default_folder;
        return 0;
    }
    if (CV_ask_find_pdmx_folder_method() == 0) {
        tag_t container = 0;
        int s = HX_KRMGR_ask_default_container(&container);
        int count = 0;
        char **names = nullptr;
        if (s == 0 && container)
            s = HX_KRMGR_ask_folder_path(container, &count, &names);
        auto pieces = take_names(count, names);
        folder = s == 0 ? container : 0;
        path = s == 0 && !pieces.empty() ? join(pieces, ':') : default_folder;
        return s;
    }
    if (remembered_folder == 0 && remembered_path) {
        path = *remembered_path;
        return 0;
    }
    std::string number;
    int status = 0;
    if (given)
        number = given;
    else
        status = display_part_number(number);
    std::vector<std::string> names;
    std::string user;
    tag_t start = status == 0 ? start_folder(user) : 0;
    if (status == 0 && start && find_part_folder(start, number, names, folder, 0) && !names.empty())
        path = user.empty() ? join(names, ':') : user + ":" + join(names, ':');
    else
        path = default_folder;
    remembered_path = path;
    remembered_folder = folder;
    return status;
}

int prefix_of_number(const std::string &number, char *prefix)
{
    auto cut = number.rfind('_');
    std::string p = cut == std::string::npos ? number : number.substr(0, cut + 1);
    return cvstv::copy_bounded(prefix, name_capacity, p) ? 0 : -1;
}

} // namespace

extern "C" {

CVSTV_API int CV_ask_max_part_no_size(void) noexcept
{
    return cvstv::guarded("CV_ask_max_part_no_size", 32, []() -> int {
        if (!pdm_on())
            return 128;
        int long_ids = 0;
        return HX_KRMGR_ask_long_ids(&long_ids) == 0 && long_ids ? 128 : 32;
    });
}

CVSTV_API int CV_ask_find_pdmx_folder_method(void) noexcept
{
    return cvstv::guarded("CV_ask_find_pdmx_folder_method", 1, []() -> int {
        int method = 1;
        CVSTVSHARE_get_customer_default(CVSTWSHARE_get_wizard_type(), "CV_PDMX_FIND_FOLDER",
                                        CV_DEFAULT_UNITS_WORK_PART, CV_DEFAULT_INT, &method);
        return method;
    });
}

CVSTV_API tag_t CV_KRMGR_ask_default_container(void) noexcept
{
    return cvstv::guarded("CV_KRMGR_ask_default_container", tag_t{0}, []() -> tag_t {
        tag_t container = 0;
        return pdm_on() && HX_KRMGR_ask_default_container(&container) == 0 ? container : 0;
    });
}

CVSTV_API char *CV_KRMGR_ask_part_rev_prefix(void) noexcept
{
    return cvstv::guarded("CV_KRMGR_ask_part_rev_prefix", static_cast<char *>(nullptr), []() -> char * {
        char separator[HX_PDM_TYPE_SIZE + 1] = "";
        if (pdm_on())
            HX_KRMGR_ask_revision_separator(separator);
        return new_string(*separator ? separator : "/");
    });
}

CVSTV_API char *CV_KRMGR_ask_default_part_type(void) noexcept
{
    return cvstv::guarded("CV_KRMGR_ask_default_part_type", static_cast<char *>(nullptr), []() -> char * {
        char type[HX_PDM_TYPE_SIZE + 1] = "";
        if (!pdm_on() || HX_KRMGR_ask_default_part_type(type) != 0 || !*type)
            return nullptr;
        return new_string(type);
    });
}

CVSTV_API int CV_KRMGR_ask_item_types(int *count, char ***types) noexcept
{
    return cvstv::guarded("CV_KRMGR_ask_item_types", -1, [&]() -> int {
        if (!count || !types)
            return -1;
        *count = 0;
        *types = nullptr;
        if (!pdm_on())
            return 0;
        int n = 0;
        char **names = nullptr;
        int s = HX_KRMGR_ask_item_types(&n, &names);
        return hand_on(s, n, names, count, types);
    });
}

CVSTV_API int CV_KRMGR_ask_seed_parts(const char *type, int *count, char ***names) noexcept
{
    return cvstv::guarded("CV_KRMGR_ask_seed_parts", -1, [&]() -> int {
        if (!count || !names)
            return -1;
        *count = 0;
        *names = nullptr;
        if (!type || !pdm_on())
            return 0;
        int n = 0;
        char **seeds = nullptr;
        int s = HX_KRMGR_ask_seed_parts(type, &n, &seeds);
        return hand_on(s, n, seeds, count, names);
    });
}

CVSTV_API int kt_encode_part_file_name(const char *name, char *encoded) noexcept
{
    return cvstv::guarded("kt_encode_part_file_name", -1, [&]() -> int {
        if (!encoded)
            return -1;
        encoded[0] = '\0';
        if (!name)
            return -1;
        if (!pdm_on())
            return cvstv::copy_bounded(encoded, name_capacity, name) ? 0 : -1;
        std::string number = name, revision;
        if (auto slash = number.find('/'); slash != std::string::npos) {
            revision = number.substr(slash + 1);
            number.resize(slash);
        } else if (int s = latest_or_initial(number, default_part_type_or_item(), revision)) {
            return s;
        }
        if (number.size() > static_cast<std::size_t>(CV_ask_max_part_no_size()))
            return -1;
        return encode(number, revision, "master", "", encoded);
    });
}

CVSTV_API int kt_convert_part_number_to_cli(const char *number, char *cli) noexcept
{
    return cvstv::guarded("kt_convert_part_number_to_cli", -1, [&]() -> int {
        if (!cli)
            return -1;
        cli[0] = '\0';
        if (!number || !pdm_on())
            return -1;
        char encoded[KT_PDM_NAME_BUFFER_SIZE] = "";
        if (int s = kt_encode_part_file_name(number, encoded))
            return s;
        char out[HX_MAX_FSPEC_SIZE + 1] = "";
        if (int s = HX_KRMGR_convert_name_to_cli(encoded, out))
            return s;
        return cvstv::copy_bounded(cli, name_capacity, out) ? 0 : -1;
    });
}

CVSTV_API int kt_convert_cli_to_part_number(const char *cli, char *number) noexcept
{
    return cvstv::guarded("kt_convert_cli_to_part_number", -1, [&]() -> int {
        if (number)
            number[0] = '\0';
        if (!cli || !number || !pdm_on())
            return -1;
        char encoded[HX_MAX_FSPEC_SIZE + 1] = "";
        std::string n;
        if (HX_KRMGR_convert_cli_to_name(cli, encoded) != 0 || decode_number(encoded, n) != 0)
            return -1;
        return cvstv::copy_bounded(number, name_capacity, n) ? 0 : -1;
    });
}

CVSTV_API bool kt_ask_krmgr_decode_name(const char *encoded, char *number) noexcept
{
    return cvstv::guarded("kt_ask_krmgr_decode_name", false, [&]() -> bool {
        if (number)
            number[0] = '\0';
        if (!pdm_on())
            return false;
        std::string n;
        if (encoded && number && decode_number(encoded, n) == 0)
            cvstv::copy_bounded(number, name_capacity, n);
        return true;
    });
}

CVSTV_API int CV_KRMGE_ask_latest_revision(const char *number, char *revision) noexcept
{
    return cvstv::guarded("CV_KRMGE_ask_latest_revision", -1, [&]() -> int {
        if (!number || !revision)
            return -1;
        revision[0] = '\0';
        if (!pdm_on())
            return 0;
        char type[HX_PDM_TYPE_SIZE + 1] = "";
        std::string part_type = HX_KRMGR_ask_part_type(number, type) == 0 && *type
                                    ? std::string(type)
                                    : default_part_type_or_item();
        std::string r;
        int s = latest_or_initial(number, part_type, r);
        cvstv::copy_bounded(revision, KT_PDM_REVISION_BUFFER_SIZE, r);
        return s;
    });
}

CVSTV_API int CV_KRMGR_assign_revname(const char *number, const char *type, char **revision) noexcept
{
    return cvstv::guarded("CV_KRMGR_assign_revname", -1, [&]() -> int {
        if (!revision)
            return -1;
        *revision = nullptr;
        if (!number || !type)
            return -1;
        if (!pdm_on())
            return 0;
        char name[HX_PDM_REVISION_SIZE + 1] = "";
        int produced = 0;
        if (int s = HX_KRMGR_ask_new_rev_name(number, type, name, &produced)) {
            char line[120];
            std::snprintf(line, sizeof line,
                          "Return code %d found in RVQ interface function RVQ_ask_new_rev_name", s);
            HX_syslog_write(line);
            return s;
        }
        if (produced) {
            *revision = new_string(name);
            if (!*revision)
                return -1;
        }
        return 0;
    });
}

CVSTV_API int CV_KRMGR_encode_part_file_name(const char *name, const char *file_type, char *encoded) noexcept
{
    return cvstv::guarded("CV_KRMGR_encode_part_file_name", -1, [&]() -> int {
        if (!encoded)
            return -1;
        encoded[0] = '\0';
        if (!name)
            return -1;
        if (!pdm_on())
            return cvstv::copy_bounded(encoded, name_capacity, name) ? 0 : -1;
        std::string type = file_type && *file_type ? file_type : "master";
        std::string number = name, revision;
        if (auto slash = number.find('/'); slash != std::string::npos) {
            revision = number.substr(slash + 1);
            number.resize(slash);
            if (revision.size() > KT_PDM_MAX_REVISION)
                return -1;
        } else {
            if (number.size() > KT_PDM_MAX_ENCODE_NUMBER)
                return -1;
            char latest[KT_PDM_REVISION_BUFFER_SIZE] = "";
            if (int s = CV_KRMGE_ask_latest_revision(number.c_str(), latest))
                return s;
            revision = latest;
        }
        return encode(number, revision, type.c_str(), type == "specification" ? number : "", encoded);
    });
}

CVSTV_API int CV_KRMGR_ask_part_exists(const char *name, const char *file_type) noexcept
{
    return cvstv::guarded("CV_KRMGR_ask_part_exists", 0, [&]() -> int {
        if (!name || !pdm_on())
            return 0;
        std::string type = file_type ? file_type : "";
        int kind = type.empty() || type == "master" ? HX_PDM_MASTER
                   : type == "specification"        ? HX_PDM_SPECIFICATION
                                                    : 0;
        if (kind == 0)
            return 0;
        char encoded[KT_PDM_NAME_BUFFER_SIZE] = "";
        if (CV_KRMGR_encode_part_file_name(name, kind == HX_PDM_MASTER ? "master" : "specification",
                                           encoded) != 0)
            return 0;
        int exists = 0;
        return HX_KRMGR_ask_object_exists(encoded, kind, &exists) == 0 && exists ? 1 : 0;
    });
}

CVSTV_API int kt_is_part_in_pdmx_folder(const char *folder, const char *name) noexcept
{
    return cvstv::guarded("kt_is_part_in_pdmx_folder", 0, [&]() -> int {
        (void)folder;
        return CV_KRMGR_ask_part_exists(name, "master");
    });
}

CVSTV_API int CVSTVSHARE_is_part_in_pdmx(const char *name) noexcept
{
    return cvstv::guarded("CVSTVSHARE_is_part_in_pdmx", -1, [&]() -> int {
        char cli[KT_PDM_NAME_BUFFER_SIZE] = "";
        if (!name || kt_convert_part_number_to_cli(name, cli) != 0)
            return -1;
        // A part the session holds already stays loaded.
        bool loaded = HX_PART_ask_part_tag(cli) != 0;
        tag_t part = 0;
        HX_PART_load_status_t status{};
        int s = HX_PART_open_quiet(cli, &part, &status);
        for (int i = 0; i < status.n_parts; ++i)
            HX_free(status.file_names[i]);
        HX_free(status.file_names);
        HX_free(status.statuses);
        if (s != 0 || part == 0)
            return -1;
        if (!loaded)
            HX_PART_close(part, 1);
        return 0;
    });
}

CVSTV_API int kt_ask_folder_tag(const char *path, tag_t *folder) noexcept
{
    return cvstv::guarded("kt_ask_folder_tag", -1, [&]() -> int {
        if (!path || !folder)
            return -1;
        *folder = 0;
        if (CV_ask_find_pdmx_folder_method() == 0) {
            *folder = CV_KRMGR_ask_default_container();
            return 0;
        }
        if (remembered_folder && remembered_path && *remembered_path == path) {
            *folder = remembered_folder;
            return 0;
        }
        auto pieces = path_pieces(path);
        std::string user;
        tag_t current = start_folder(user);
        if (current == 0 || pieces.empty())
            return -1;
        std::size_t first = !user.empty() && pieces.front() == user ? 1 : 0;
        for (std::size_t i = first; i < pieces.size(); ++i) {
            FolderEntries list(current);
            tag_t next = 0;
            for (int k = 0; k < list.count && !next; ++k)
                if (list.entries[k].type == HX_PDM_FOLDER_ENTRY && pieces[i] == list.entries[k].name)
                    next = list.entries[k].folder;
            if (!next)
                break;
            current = next;
        }
        *folder = current;
        return 0;
    });
}

CVSTV_API int kt_get_pdmx_folder(const char *number, tag_t *folder, char **path) noexcept
{
    return cvstv::guarded("kt_get_pdmx_folder", -1, [&]() -> int {
        if (!folder || !path)
            return -1;
        *folder = 0;
        *path = nullptr;
        std::string found;
        int s = pdmx_folder(number, *folder, found);
        *path = new_string(found);
        return *path ? s : -1;
    });
}

CVSTV_API int kt_get_file_name(const char *spec, char **folder, char **name) noexcept
{
    return cvstv::guarded("kt_get_file_name", -1, [&]() -> int {
        if (!spec || !folder || !name)
            return -1;
        *folder = *name = nullptr;
        std::string dir, file;
        int s = 0;
        if (pdm_on()) {
            s = decode_number(spec, file);
            if (s == 0) {
                tag_t tag = 0;
                s = pdmx_folder(file.c_str(), tag, dir);
            }
        } else {
            dir = cvstv::spec_directory(spec);
            file = cvstv::bare_part_name(spec);
        }
        *folder = new_string(dir);
        *name = new_string(file);
        if (!*folder || !*name) {
            HX_free(*folder);
            HX_free(*name);
            *folder = *name = nullptr;
            return -1;
        }
        return s;
    });
}

CVSTV_API int kt_ask_project_name_from_str(const char *text, char *folder, char *name) noexcept
{
    return cvstv::guarded("kt_ask_project_name_from_str", -1, [&]() -> int {
        if (!text || !folder || !name)
            return -1;
        folder[0] = name[0] = '\0';
        auto pieces = path_pieces(text);
        if (pieces.empty()) {
            tag_t display = HX_PART_ask_display_part();
            if (display == 0)
                return -1;
            tag_t tag = 0;
            std::string path;
            pdmx_folder(nullptr, tag, path);
            char prefix[KT_PDM_NAME_BUFFER_SIZE] = "";
            kt_ask_prefix_name(display, prefix);
            return cvstv::copy_bounded(folder, name_capacity, path) &&
                           cvstv::copy_bounded(name, name_capacity, prefix)
                       ? 0
                       : -1;
        }
        std::string last = pieces.back();
        pieces.pop_back();
        if (!cvstv::copy_bounded(folder, name_capacity, join(pieces, ':')) ||
            !cvstv::copy_bounded(name, name_capacity, last)) {
            folder[0] = name[0] = '\0';
            return -1;
        }
        return 0;
    });
}

CVSTV_API int kt_create_prefix_name(const char *base, char *prefix) noexcept
{
    return cvstv::guarded("kt_create_prefix_name", -1, [&]() -> int {
        if (!prefix)
            return -1;
        prefix[0] = '\0';
        char number[HX_PDM_NUMBER_SIZE + 1] = "";
        // A number for a new master model, of the default part type.
        if (int s = HX_KRMGR_assign_part_number("", number))
            return s;
        std::string out = std::string(base ? base : "") + number + "_";
        return cvstv::copy_bounded(prefix, name_capacity, out) ? 0 : -1;
    });
}

CVSTV_API int kt_ask_prefix_name(tag_t part, char *prefix) noexcept
{
    return cvstv::guarded("kt_ask_prefix_name", -1, [&]() -> int {
        if (!prefix)
            return -1;
        prefix[0] = '\0';
        char name[HX_MAX_FSPEC_SIZE + 1] = "";
        if (HX_PART_ask_part_name(part, name) != 0 || !*name)
            return -1;
        std::string number;
        if (pdm_on()) {
            if (int s = decode_number(name, number))
                return s;
        } else {
            number = cvstv::bare_part_name(name);
        }
        return prefix_of_number(number, prefix);
    });
}

} // extern "C"
