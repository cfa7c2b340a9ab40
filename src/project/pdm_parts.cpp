// Numbered copies of parts (cvstvshare/pdm_names.h): a copy made by the
// host's clone operation under a prefixed name, opened, and added to an
// assembly with the reference-set retry.
#include "cvstvshare/pdm_names.h"
#include "util/boundary.h"
#include "util/host_state.h"
#include "util/part_query.h"
#include "hx_assem.h"
#include "hx_clone.h"
#include "hx_memory.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <string>

namespace {

void release(HX_PART_load_status_t &status)
{
    if (status.n_parts) {
        for (int i = 0; i < status.n_parts; ++i)
            HX_free(status.file_names[i]);
        HX_free(status.file_names);
        HX_free(status.statuses);
    }
    status = HX_PART_load_status_t{};
}

// Opens a part quietly; the outcome goes to the caller's record (when
// given) or is released.
int open_quietly(const std::string &name, tag_t &part, KT_load_status_t *out)
{
    HX_PART_load_status_t status{};
    int s = HX_PART_open_quiet(name.c_str(), &part, &status);
    if (out) {
        kt_free_load_status(out);
        *out = KT_load_status_t{status.failed, status.n_parts, status.file_names, status.statuses};
    } else {
        release(status);
    }
    return s;
}

// The name a copy is made from: a PDM name's part number, else the file
// name without directory and type.
std::string source_name(const std::string &source)
{
    char number[HX_PDM_NUMBER_SIZE + 1] = "", revision[HX_PDM_REVISION_SIZE + 1] = "";
    char type[HX_PDM_TYPE_SIZE + 1] = "", file[HX_PDM_FILE_NAME_SIZE + 1] = "";
    char encoded[HX_MAX_FSPEC_SIZE + 1] = "";
    if (cvstv::pdm_active()) {
        if (HX_KRMGR_decode_part_filename(source.c_str(), number, revision, type, file) == 0)
            return number;
        if (HX_KRMGR_convert_cli_to_name(source.c_str(), encoded) == 0 &&
            HX_KRMGR_decode_part_filename(encoded, number, revision, type, file) == 0)
            return number;
    }
    std::string bare = cvstv::bare_part_name(source);
    return bare.empty() ? source : bare;
}

// The clone's default folder: the user id before the folder path, unless
// the path begins with it already.
std::string user_folder_path(const std::string &folder)
{
    char id[HX_PDM_NAME_SIZE + 1] = "";
    HX_KRMGR_ask_user_id(id);
    std::string user = id;
    if (user.empty() || folder.rfind(user + ":", 0) == 0 || folder == user)
        return folder;
    return folder.empty() ? user : user + ":" + folder;
}

// One clone of the source under prefix + name; the operation is ended on
// every path.
int clone_once(const std::string &source, const std::string &name, const std::string &prefix,
               const std::string &folder)
{
    int s = HX_CLONE_initialise(HX_CLONE_IMPORT_OPERATION);
    if (s == 0 && cvstv::pdm_active() && !folder.empty())
        s = HX_CLONE_set_default_folder(user_folder_path(folder).c_str());
    if (s == 0)
        s = HX_CLONE_add_part(source.c_str());
    if (s == 0)
        s = HX_CLONE_set_name_rule(HX_CLONE_PREFIX_RULE, name.c_str(), prefix.c_str());
    if (s == 0)
        s = HX_CLONE_set_def_naming(HX_CLONE_NAMING_RULE);
    if (s == 0)
        s = HX_CLONE_perform();
    HX_CLONE_terminate();
    return s;
}

// The numbered copy itself: the copy's tag in `part`, or the last status.
int open_numbered_copy(const std::string &source, const std::string &folder, const std::string &prefix,
                       tag_t &part)
{
    part = 0;
    std::string name = source_name(source);
    std::string current = prefix;
    int counter = 0;
    auto next_prefix = [&] {
        if (counter > KT_NUMBERED_COPY_MAX_COUNTER)
            return false;
        current = prefix + std::to_string(counter++);
        return true;
    };
    while (HX_PART_ask_part_tag((current + name).c_str()) != 0)
        if (!next_prefix())
            return HX_ERR_EXISTS;
    int status = HX_ERR_INTERNAL;
    for (int attempt = 0; attempt < KT_NUMBERED_COPY_ATTEMPTS; ++attempt) {
        status = clone_once(source, name, current, folder);
        if (status == 0) {
            part = HX_PART_ask_part_tag((current + name).c_str());
            return part ? 0 : HX_ERR_NOT_FOUND;
        }
        if (!next_prefix())
            break;
    }
    return status;
}

} // namespace

extern "C" {

CVSTV_API void kt_free_load_status(KT_load_status_t *status) noexcept
{
    cvstv::guarded_void("kt_free_load_status", [&] {
        if (!status || status->n_parts == 0)
            return;
        for (int i = 0; i < status->n_parts && status->file_names; ++i)
            HX_free(status->file_names[i]);
        HX_free(status->file_names);
        HX_free(status->statuses);
        status->file_names = nullptr;
        status->statuses = nullptr;
        status->n_parts = 0;
    });
}

CVSTV_API int hx_kt_part_open(const char *source, const char *folder, const char *prefix, bool open_source,
                              tag_t *part, KT_load_status_t *status) noexcept
{
    return cvstv::guarded("hx_kt_part_open", -1, [&]() -> int {
        if (!source || !prefix || !part || !status)
            return -1;
        *part = 0;
        *status = KT_load_status_t{};
        std::string src = source;
        if (open_source) {
            std::string leaf = src.substr(src.rfind('/') == std::string::npos ? 0 : src.rfind('/') + 1);
            leaf = leaf.substr(0, leaf.find('.'));
            char cli[KT_PDM_NAME_BUFFER_SIZE] = "";
            std::string open_name = src;
            if (cvstv::pdm_active()) {
                if (int s = kt_convert_part_number_to_cli(leaf.c_str(), cli))
                    return s;
                open_name = cli;
            }
            tag_t opened = 0;
            if (int s = open_quietly(open_name, opened, status))
                return s;
            kt_free_load_status(status);
            src = open_name;
        }
        tag_t copy = 0;
        if (int s = open_numbered_copy(src, folder ? folder : "", prefix, copy))
            return s;
        *part = copy;
        if (open_source)
            return 0;
        // Opened again by its own name: the encoded name of its number for a
        // PDM part (the counter included), else its file.
        char copy_name[HX_MAX_FSPEC_SIZE + 1] = "";
        if (int s = HX_PART_ask_part_name(copy, copy_name))
            return s;
        return open_quietly(copy_name, *part, status);
    });
}

CVSTV_API int kt_open_and_add_to_assembly(const char *source, tag_t parent, const char *name,
                                          const char *refset, const double origin[3], const double matrix[6],
                                          tag_t *instance) noexcept
{
    return cvstv::guarded("kt_open_and_add_to_assembly", -1, [&]() -> int {
        if (instance)
            *instance = 0;
        if (!cvstv::pdm_active())
            return 0;
        if (!source || !instance || !origin || !matrix)
            return -1;
        cvstv::HostState saved(cvstv::HostState::work_part | cvstv::HostState::display);
        char prefix[KT_PDM_NAME_BUFFER_SIZE] = "";
        kt_ask_prefix_name(parent, prefix);
        std::string full_prefix = prefix;
        if (name && *name)
            full_prefix += std::string(name) + "_";
        tag_t folder = 0;
        char *path = nullptr;
        kt_get_pdmx_folder(nullptr, &folder, &path);
        std::string folder_path = path ? path : "";
        HX_free(path);

        tag_t copy = 0;
        KT_load_status_t status{};
        int s = hx_kt_part_open(source, folder_path.c_str(), full_prefix.c_str(), false, &copy, &status);
        kt_free_load_status(&status);
        if (s != 0)
            return s;
        if (folder)
            HX_KRMGR_set_default_folder(folder);

        char copy_name[HX_MAX_FSPEC_SIZE + 1] = "";
        if (HX_PART_ask_part_name(copy, copy_name) != 0 || HX_ASSEM_set_work_part(parent) != 0)
            return -1;
        auto add = [&](const char *set) {
            HX_PART_load_status_t added{};
            int st = HX_ASSEM_add_part_to_assembly(parent, copy_name, set, nullptr, origin, matrix, -1,
                                                   instance, &added);
            release(added);
            return st;
        };
        s = add(refset);
        if (s != 0 && refset && *refset)
            s = add(nullptr);
        return s == 0 ? 0 : -1;
    });
}

} // extern "C"
