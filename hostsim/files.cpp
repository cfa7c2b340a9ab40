// Environment and file services of the headless host.
//
// HX_local_path is the one mapping from a host path ('\' separators) to a
// local path; every file service here goes through it.
#include "session_state.h"

#include "../src/host/hx_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

using vexa::sim::session;

namespace {

bool to_local(const char *host_path, std::string &local)
{
    if (!host_path)
        return false;
    local = host_path;
    for (char &c : local)
        if (c == '\\')
            c = '/';
    return true;
}

} // namespace

extern "C" {

HX_API int HX_translate_variable(const char *name, char **value)
{
    if (!value)
        return HX_ERR_BAD_ARGUMENT;
    *value = nullptr;
    if (!name || !*name)
        return HX_ERR_BAD_ARGUMENT;
    auto found = vexa::sim::lookup_env(name);
    if (!found)
        return HX_ERR_NOT_FOUND;
    std::string &kept = session().translated_values[name];
    kept = *found;
    *value = kept.data();
    return HX_OK;
}

HX_API int HX_local_path(const char *host_path, char *result, size_t capacity)
{
    if (!result || capacity == 0)
        return HX_ERR_BAD_ARGUMENT;
    result[0] = '\0';
    std::string local;
    if (!to_local(host_path, local))
        return HX_ERR_BAD_ARGUMENT;
    if (local.size() >= capacity)
        return HX_ERR_TOO_LONG;
    std::memcpy(result, local.c_str(), local.size() + 1);
    return HX_OK;
}

HX_API int HX_file_exists(const char *path, int file_type, int *code)
{
    if (!code)
        return HX_ERR_BAD_ARGUMENT;
    *code = HX_FILE_MISSING;
    std::string local;
    if (!to_local(path, local))
        return HX_ERR_BAD_ARGUMENT;
    struct stat st;
    if (local.empty() || ::stat(local.c_str(), &st) != 0)
        return HX_OK;
    bool is_dir = S_ISDIR(st.st_mode);
    switch (file_type) {
    case HX_FILE_TYPE_DIRECTORY: *code = is_dir ? HX_FILE_EXISTS : HX_FILE_WRONG_TYPE; break;
    case HX_FILE_TYPE_PART:
    case HX_FILE_TYPE_ANY:
    default: *code = is_dir ? HX_FILE_WRONG_TYPE : HX_FILE_EXISTS; break;
    }
    return HX_OK;
}

HX_API int HX_merge_dir_and_name(const char *directory, const char *name, char *result,
                                 size_t capacity)
{
    if (!directory || !name || !result || capacity == 0)
        return HX_ERR_BAD_ARGUMENT;
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '\\' && dir.back() != '/')
        dir += '\\';
    dir += name;
    if (dir.size() >= capacity) {
        result[0] = '\0';
        return HX_ERR_TOO_LONG;
    }
    std::memcpy(result, dir.c_str(), dir.size() + 1);
    return HX_OK;
}

HX_API int HX_ask_temp_dir(const char **directory)
{
    if (!directory)
        return HX_ERR_BAD_ARGUMENT;
    auto &s = session();
    auto tmp = vexa::sim::lookup_env("TMPDIR");
    s.temp_dir = tmp && !tmp->empty() ? *tmp : "/tmp";
    *directory = s.temp_dir.c_str();
    return HX_OK;
}

HX_API int HX_unique_file_name(char name[HX_UNIQUE_NAME_SIZE + 1])
{
    if (!name)
        return HX_ERR_BAD_ARGUMENT;
    auto &s = session();
    // The process id and a per-session counter make the name unique on this
    // machine for the life of the process; the tick separates sessions.
    static unsigned long tick = 0;
    ++tick;
    std::snprintf(name, HX_UNIQUE_NAME_SIZE + 1, "vx%lx_%lx_%lx", static_cast<unsigned long>(::getpid()),
                  tick, ++s.unique_counter);
    return HX_OK;
}

} // extern "C"
