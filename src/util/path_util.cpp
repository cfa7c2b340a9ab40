// Paths: joining a directory and a name, expanding an environment reference,
// the progressive-die kit file and temporary file names. Every result is
// written with bounded copies into the documented 256-character buffers.
#include "cvstvshare/util.h"
#include "util/boundary.h"
#include "util/path_util.h"
#include "util/str_list.h"
#include "util/text_buffer.h"

#include "hx_files.h"
#include "hx_messages.h"

#include <cstring>
#include <string>

namespace {

bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

extern "C" {

int kt_combine_path(char *directory, const char *name, char *result, std::size_t capacity)
{
    if (!result)
        return -1;
    if (!directory && !name)
        return 0;
    std::string joined;
    if (!directory) {
        joined = name;
    } else if (!name) {
        joined = directory;
    } else {
        std::size_t n = std::strlen(directory);
        if (n > 0 && is_separator(directory[n - 1]))
            directory[n - 1] = '\0';
        joined = directory;
        if (!is_separator(name[0]))
            joined += '\\';
        joined += name;
    }
    if (!cvstv::copy_bounded(result, capacity, joined)) {
        result[0] = '\0';
        return -1;
    }
    return 0;
}

int kt_expand_env_path(const char *path, char *result)
{
    constexpr std::size_t result_size = cvstv::path_size;
    if (!path || !result)
        return -1;
    std::string_view text(path);
    std::size_t open = text.find("${");
    if (open == std::string_view::npos) {
        cvstv::copy_bounded(result, result_size, text);
        return 0;
    }
    std::size_t close = text.find('}', open + 2);
    if (close == std::string_view::npos)
        return 0; // an unterminated reference: the result stays as it was
    std::string name(text.substr(open + 2, close - open - 2));

    char *value = nullptr;
    if (HX_translate_variable(name.c_str(), &value) != 0 || !value) {
        std::string message =
            cvstv::format(HX_TEXT("The environment variable <%s> does not exist."), name.c_str());
        HX_message_box(HX_SEVERITY_ERROR, message.c_str());
        cvstv::copy_bounded(result, result_size, text);
        return -1;
    }
    std::string replacement(value);
    if (!replacement.empty() && is_separator(replacement.back()))
        replacement.pop_back();
    std::string reference = "${" + name + "}";

    cvstv::copy_bounded(result, result_size, text);
    kt_replace_substr(result, reference.c_str(), replacement.c_str());
    cvstv::to_host_separators(result);
    return 0;
}

int kt_ask_strivo_kit_file(const char *subdirectory, const char *file_name, char *result)
{
    if (!result)
        return -1;
    char *value = nullptr;
    if (HX_translate_variable("STRIVO_DIR", &value) != 0 || !value) {
        HX_message_box(HX_SEVERITY_ERROR, "No STRIVO_DIR environment variable.");
        return -1;
    }
    char dir[cvstv::path_size + 1];
    char sub[cvstv::path_size + 1];
    char file[cvstv::path_size + 1];
    if (!cvstv::copy_bounded(dir, sizeof dir, value) ||
        !cvstv::copy_bounded(sub, sizeof sub, subdirectory ? subdirectory : "") ||
        !cvstv::copy_bounded(file, sizeof file, file_name ? file_name : ""))
        return -1; // a piece longer than its buffer would name another file
    cvstv::to_host_separators(dir);
    cvstv::to_host_separators(sub);
    cvstv::to_host_separators(file);

    char joined[cvstv::path_size + 1];
    if (kt_combine_path(dir, subdirectory ? sub : nullptr, joined) != 0)
        return -1;
    if (!file_name)
        return cvstv::copy_bounded(result, cvstv::path_size + 1, joined) ? 0 : -1;
    return kt_combine_path(joined, file, result);
}

CVSTV_API int KT_FILE_create_temp_file(char *path) noexcept
{
    return cvstv::guarded("KT_FILE_create_temp_file", -1, [&]() -> int {
        if (!path)
            return -1;
        char *value = nullptr;
        if (HX_translate_variable("KRAX_TMP_DIR", &value) != 0 || !value || !*value)
            return 0;
        char dir[cvstv::path_size + 1];
        cvstv::copy_bounded(dir, sizeof dir, value);
        kt_remove_space_string(dir);
        cvstv::to_host_separators(dir);

        char name[HX_UNIQUE_NAME_SIZE + 1] = "";
        int status = HX_unique_file_name(name);
        if (status != 0)
            return status;
        kt_combine_path(dir, name, path);
        return status;
    });
}

} // extern "C"
