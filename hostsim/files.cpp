// Environment and file services of the headless host.
//
// HX_local_path is the one mapping from a host path ('\' separators) to a
// local path; every file service here goes through it. Values handed out by
// HX_translate_variable stay valid until the session is reset; the
// temporary directory until the next HX_ask_temp_dir.
#include "session_state.h"

#include "hx_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

using vexa::sim::host_call;

namespace {

struct EnvironmentState {
    // Overrides: a value, or nullopt for "reported unset".
    std::map<std::string, std::optional<std::string>> overrides;
    // Values handed out by HX_translate_variable, kept for the session.
    std::map<std::string, std::string> translated_values;
    std::string temp_dir;
    unsigned long unique_counter = 0;
};

vexa::sim::AreaState<EnvironmentState> environment{"environment"};

// The one mapping from a host path to a local path.
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

// Copies text into a caller's buffer of capacity + 1 bytes; HX_ERR_TOO_LONG
// (and an empty buffer) when it does not fit.
int copy_result(const std::string &text, char *result, std::size_t capacity)
{
    if (text.size() > capacity) {
        result[0] = '\0';
        return HX_ERR_TOO_LONG;
    }
    std::memcpy(result, text.c_str(), text.size() + 1);
    return HX_OK;
}

// Closes a descriptor and removes a temporary file unless released.
struct TempFile {
    int fd = -1;
    std::string path;
    ~TempFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

bool write_all(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies source to target (local paths): the data goes to a temporary file
// beside the target, which is then linked under the target's name, so the
// target appears whole or not at all and an existing target is never
// replaced.
int copy_file_no_replace(const std::string &source, const std::string &target)
{
    struct stat st;
    if (::stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return HX_ERR_NOT_FOUND;
    if (::lstat(target.c_str(), &st) == 0)
        return HX_ERR_EXISTS;
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return HX_ERR_NOT_FOUND;
    TempFile tmp;
    tmp.path = target + ".copy-XXXXXX";
    tmp.fd = ::mkostemp(tmp.path.data(), O_CLOEXEC);
    if (tmp.fd < 0) {
        tmp.path.clear();
        ::close(in);
        return HX_ERR_IO;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        if (!write_all(tmp.fd, buffer, static_cast<std::size_t>(n))) {
            ok = false;
            break;
        }
    }
    ::close(in);
    ok = ok && ::fsync(tmp.fd) == 0;
    int closed = ::close(tmp.fd);
    tmp.fd = -1;
    if (!ok || closed != 0)
        return HX_ERR_IO;
    if (::link(tmp.path.c_str(), target.c_str()) != 0)
        return errno == EEXIST ? static_cast<int>(HX_ERR_EXISTS) : static_cast<int>(HX_ERR_IO);
    return HX_OK;
}

} // namespace

namespace vexa::sim {

void set_env(const std::string &name, const std::string &value)
{
    environment->overrides[name] = value;
}

void unset_env(const std::string &name)
{
    environment->overrides[name] = std::nullopt;
}

void clear_env_overrides()
{
    environment->overrides.clear();
}

std::optional<std::string> env_value(const std::string &name)
{
    return lookup_env(name);
}

std::string local_path(const std::string &host_path)
{
    std::string local;
    to_local(host_path.c_str(), local);
    return local;
}

std::string host_path(const std::string &local_path)
{
    std::string host = local_path;
    for (char &c : host)
        if (c == '/')
            c = '\\';
    return host;
}

int read_host_file(const std::string &host_path, std::string &text, std::size_t limit)
{
    std::string local = local_path(host_path);
    struct stat st;
    if (local.empty() || ::stat(local.c_str(), &st) != 0)
        return HX_ERR_NOT_FOUND;
    if (!S_ISREG(st.st_mode) || static_cast<unsigned long long>(st.st_size) > limit)
        return HX_ERR_IO;
    std::FILE *f = std::fopen(local.c_str(), "rb");
    if (!f)
        return HX_ERR_IO;
    std::string out(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = std::fread(out.data(), 1, out.size(), f);
    bool failed = std::ferror(f) != 0 || std::fgetc(f) != EOF;
    std::fclose(f);
    if (failed || got != out.size())
        return HX_ERR_IO;
    text = std::move(out);
    return HX_OK;
}

std::optional<std::string> lookup_env(const std::string &name)
{
    auto it = environment->overrides.find(name);
    if (it != environment->overrides.end())
        return it->second;
    if (const char *value = std::getenv(name.c_str()))
        return std::string(value);
    return std::nullopt;
}

} // namespace vexa::sim

extern "C" {

HX_API int HX_translate_variable(const char *name, char **value)
{
    return host_call("HX_translate_variable", [&]() -> int {
        if (!value)
            return HX_ERR_BAD_ARGUMENT;
        *value = nullptr;
        if (!name || !*name)
            return HX_ERR_BAD_ARGUMENT;
        auto found = vexa::sim::lookup_env(name);
        if (!found)
            return HX_ERR_NOT_FOUND;
        std::string &kept = environment->translated_values[name];
        kept = *found;
        *value = kept.data();
        return HX_OK;
    });
}

HX_API int HX_local_path(const char *host_path, char *result, size_t capacity)
{
    return host_call("HX_local_path", [&]() -> int {
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
    });
}

HX_API int HX_file_exists(const char *path, int file_type, int *code)
{
    return host_call("HX_file_exists", [&]() -> int {
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
    });
}

HX_API int HX_merge_dir_and_name(const char *directory, const char *name, char *result, size_t capacity)
{
    return host_call("HX_merge_dir_and_name", [&]() -> int {
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
    });
}

HX_API int HX_CFI_merge_dir_and_name(const char *directory, const char *name, int file_type,
                                     char result[HX_CFI_NAME_SIZE + 1])
{
    return host_call("HX_CFI_merge_dir_and_name", [&]() -> int {
        if (!directory || !name || !result)
            return HX_ERR_BAD_ARGUMENT;
        result[0] = '\0';
        if (file_type != HX_CFI_TYPE_ANY && file_type != HX_CFI_TYPE_PALETTE &&
            file_type != HX_CFI_TYPE_DIRECTORY)
            return HX_ERR_BAD_ARGUMENT;
        std::string merged = directory;
        if (!merged.empty() && merged.back() != '\\' && merged.back() != '/')
            merged += '\\';
        merged += name;
        if (file_type == HX_CFI_TYPE_PALETTE && !std::string_view(name).ends_with(".pax"))
            merged += ".pax";
        return copy_result(merged, result, HX_CFI_NAME_SIZE);
    });
}

HX_API int HX_CFI_copy_file(const char *source, const char *target)
{
    return host_call("HX_CFI_copy_file", [&]() -> int {
        std::string from, to;
        if (!to_local(source, from) || !to_local(target, to) || from.empty() || to.empty())
            return HX_ERR_BAD_ARGUMENT;
        return copy_file_no_replace(from, to);
    });
}

HX_API int HX_ask_temp_dir(const char **directory)
{
    return host_call("HX_ask_temp_dir", [&]() -> int {
        if (!directory)
            return HX_ERR_BAD_ARGUMENT;
        auto tmp = vexa::sim::lookup_env("TMPDIR");
        environment->temp_dir = tmp && !tmp->empty() ? *tmp : "/tmp";
        *directory = environment->temp_dir.c_str();
        return HX_OK;
    });
}

HX_API int HX_unique_file_name(char name[HX_UNIQUE_NAME_SIZE + 1])
{
    return host_call("HX_unique_file_name", [&]() -> int {
        if (!name)
            return HX_ERR_BAD_ARGUMENT;
        // The process id and a per-session counter make the name unique on this
        // machine for the life of the process; the tick separates sessions.
        static unsigned long tick = 0;
        ++tick;
        std::snprintf(name, HX_UNIQUE_NAME_SIZE + 1, "vx%lx_%lx_%lx", static_cast<unsigned long>(::getpid()),
                      tick, ++environment->unique_counter);
        return HX_OK;
    });
}

HX_API int HX_file_split_spec(const char *spec, char directory[257], char name[257])
{
    return host_call("HX_file_split_spec", [&]() -> int {
        if (!spec || !directory || !name)
            return HX_ERR_BAD_ARGUMENT;
        directory[0] = name[0] = '\0';
        std::string s = spec;
        auto cut = s.find_last_of("\\/");
        std::string dir = cut == std::string::npos ? std::string() : s.substr(0, cut);
        std::string leaf = cut == std::string::npos ? s : s.substr(cut + 1);
        if (dir.size() > 256 || leaf.size() > 256)
            return HX_ERR_TOO_LONG;
        std::memcpy(directory, dir.c_str(), dir.size() + 1);
        std::memcpy(name, leaf.c_str(), leaf.size() + 1);
        return HX_OK;
    });
}

HX_API int HX_file_remove_type(const char *name, int file_code, char result[257])
{
    return host_call("HX_file_remove_type", [&]() -> int {
        if (!name || !result)
            return HX_ERR_BAD_ARGUMENT;
        result[0] = '\0';
        if (file_code != HX_FILE_CODE_PART)
            return HX_ERR_BAD_ARGUMENT;
        std::string s = name;
        if (s.size() > 4 && s.compare(s.size() - 4, 4, ".prt") == 0)
            s.resize(s.size() - 4);
        if (s.size() > 256)
            return HX_ERR_TOO_LONG;
        std::memcpy(result, s.c_str(), s.size() + 1);
        return HX_OK;
    });
}

} // extern "C"
