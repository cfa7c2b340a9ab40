// Kit and data-file location.
//
// Every application keeps its dialogs, workbooks, templates and companion
// libraries in a kit directory named by an environment variable. These
// functions turn a kit, a first and a second sub-path into one host path with
// '\' separators. Pieces live in 256-character buffers; a value or sub-path
// longer than its buffer is refused (-1, noted in the system log) rather than
// cut, since a cut path names a different file. The caller's result is
// written only once the whole path is known.
#include "cvstvshare/startup.h"
#include "util/boundary.h"
#include "util/path_util.h"
#include "util/text_buffer.h"

#include "hx_files.h"
#include "hx_messages.h"

#include <cstring>
#include <string>

namespace {

using cvstv::path_size;
using PathBuffer = char[path_size + 1];

constexpr const char *default_variable = "CV_STANDARDPARTPATH";
constexpr std::size_t variable_name_size = 247;
constexpr std::size_t data_file_name_size = 247;
constexpr const char *kit_message = "No environment variable";

struct Kit {
    const char *variable;
    const char *fallback_format; // under KRAX_BASE_DIR, "\\" for every %s but the first
};

Kit kit_of(int wizard_type)
{
    switch (wizard_type) {
    case 2: return {"STRIVO_DIR", "%s%sstrivo%s"};
    case 3: return {"KRPRESDES_DIR", "%s%skrautomotive%spresdes%s"};
    case 4: return {"FULGO_DIR", "%s%sfulgo%s"};
    default: return {"CAVORA_DIR", "%s%scavora%s"};
    }
}

// The value of a variable, or null when it is not set.
const char *variable_value(const char *name)
{
    char *value = nullptr;
    if (HX_translate_variable(name, &value) != 0)
        return nullptr;
    return value;
}

void log_refused(const char *what, const char *text)
{
    std::string line =
        cvstv::format("kit location: %s longer than %zu characters refused: %.64s...", what, path_size, text);
    HX_syslog_write(line.c_str());
}

// Steps common to every resolution: directory value with trailing blanks
// removed, '/' turned into '\', then the sub-paths joined behind it. Writes
// result only on success; returns 0 or -1.
int resolve(const char *directory_value, const char *sub_path1, const char *sub_path2, char *result)
{
    PathBuffer dir, sub1, sub2;
    if (!cvstv::copy_bounded(dir, sizeof dir, directory_value)) {
        log_refused("directory", directory_value);
        return -1;
    }
    if (sub_path1 && !cvstv::copy_bounded(sub1, sizeof sub1, sub_path1)) {
        log_refused("sub-path", sub_path1);
        return -1;
    }
    if (sub_path2 && !cvstv::copy_bounded(sub2, sizeof sub2, sub_path2)) {
        log_refused("sub-path", sub_path2);
        return -1;
    }
    std::size_t n = std::strlen(dir);
    while (n > 0 && dir[n - 1] == ' ')
        dir[--n] = '\0';
    cvstv::to_host_separators(dir);
    cvstv::to_host_separators(sub1);
    cvstv::to_host_separators(sub2);
    if (!sub_path1 && !sub_path2)
        return 0;

    PathBuffer joined;
    if (sub_path1) {
        if (kt_combine_path(dir, sub1, joined) != 0) {
            log_refused("path", dir);
            return -1;
        }
        cvstv::copy_bounded(dir, sizeof dir, joined);
    }
    if (sub_path2 && kt_combine_path(dir, sub2, joined) != 0) {
        log_refused("path", dir);
        return -1;
    }
    cvstv::copy_bounded(result, path_size + 1, joined);
    return 0;
}

void show_kit_message()
{
    HX_message_box(HX_SEVERITY_ERROR, kit_message);
}

int menu_fspec(const char *variable, const char *sub_path1, const char *sub_path2, char *result)
{
    if (!variable || !result)
        return -1;
    const char *value = variable_value(variable);
    if (!value) {
        std::string message = cvstv::format(HX_TEXT("No %s environment variable"), variable);
        HX_message_box(HX_SEVERITY_ERROR, message.c_str());
        return -1;
    }
    return resolve(value, sub_path1, sub_path2, result);
}

// Existence of a path as the host sees it, with a "::" section suffix cut
// off the tested copy. Returns the host's existence code (0: exists).
int existence_code(const char *path)
{
    std::string tested(path);
    if (std::size_t cut = tested.find("::"); cut != std::string::npos)
        tested.resize(cut);
    int code = HX_FILE_MISSING;
    int status = HX_file_exists(tested.c_str(), HX_FILE_TYPE_ANY, &code);
    return status != 0 ? status : code;
}

} // namespace

extern "C" {

CVSTV_API int CV_MENU_ask_cv_fspec(const char *variable, const char *sub_path1, const char *sub_path2,
                                   char *result) noexcept
{
    return cvstv::guarded("CV_MENU_ask_cv_fspec", -1,
                          [&]() -> int { return menu_fspec(variable, sub_path1, sub_path2, result); });
}

CVSTV_API int FG_MENU_ask_fg_fspec(const char *variable, const char *sub_path1, const char *sub_path2,
                                   char *result) noexcept
{
    return cvstv::guarded("FG_MENU_ask_fg_fspec", -1,
                          [&]() -> int { return menu_fspec(variable, sub_path1, sub_path2, result); });
}

CVSTV_API int STV_MENU_ask_stv_fspec(const char *variable, const char *sub_path1, const char *sub_path2,
                                     char *result) noexcept
{
    return cvstv::guarded("STV_MENU_ask_stv_fspec", -1,
                          [&]() -> int { return menu_fspec(variable, sub_path1, sub_path2, result); });
}

CVSTV_API int CVSTVSHARE_ask_mold_fspec(int wizard_type, const char *variable, const char *sub_path1,
                                        const char *sub_path2, char *result) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_mold_fspec", -1, [&]() -> int {
        if (!result)
            return -1;
        char name[variable_name_size + 1];
        if (!cvstv::copy_bounded(name, sizeof name, variable ? variable : default_variable)) {
            log_refused("variable name", variable);
            return -1;
        }
        const char *value = variable_value(name);
        if (!value)
            value = variable_value(kit_of(wizard_type).variable);
        if (!value) {
            show_kit_message();
            return -1;
        }
        return resolve(value, sub_path1, sub_path2, result);
    });
}

CVSTV_API int CVSTVSHARE_ask_mold_fspec0(int wizard_type, const char *sub_path1, const char *sub_path2,
                                         char *result) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_mold_fspec0", -1, [&]() -> int {
        if (!result)
            return -1;
        const char *value = variable_value(kit_of(wizard_type).variable);
        if (!value) {
            show_kit_message();
            return -1;
        }
        return resolve(value, sub_path1, sub_path2, result);
    });
}

CVSTV_API int CVSTVSHARE_ask_mold_fspec1(int wizard_type, const char *sub_path1, const char *sub_path2,
                                         char *result) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_mold_fspec1", -1, [&]() -> int {
        if (!result)
            return -1;
        result[0] = '\0';
        const Kit kit = kit_of(wizard_type);
        const char *value = variable_value(kit.variable);
        if (!value) {
            show_kit_message();
            return -1;
        }
        PathBuffer path = "";
        if (resolve(value, sub_path1, sub_path2, path) != 0)
            return -1;
        if (existence_code(path) == HX_FILE_EXISTS) {
            cvstv::copy_bounded(result, path_size + 1, path);
            return 0;
        }

        const char *base = variable_value("KRAX_BASE_DIR");
        if (!base) {
            show_kit_message();
            return -1;
        }
        PathBuffer fallback;
        bool fitted = wizard_type == 3 ? cvstv::format_bounded(fallback, sizeof fallback, kit.fallback_format,
                                                               base, "\\", "\\", "\\")
                                       : cvstv::format_bounded(fallback, sizeof fallback, kit.fallback_format,
                                                               base, "\\", "\\");
        if (!fitted) {
            log_refused("fallback directory", base);
            return -1;
        }
        path[0] = '\0';
        if (resolve(fallback, sub_path1, sub_path2, path) != 0)
            return -1;
        int code = existence_code(path);
        if (code == HX_FILE_EXISTS)
            cvstv::copy_bounded(result, path_size + 1, path);
        return code;
    });
}

CVSTV_API int CVSTVSHARE_ask_mold_data_fspec(int wizard_type, const char *sub_path, const char *file_name,
                                             char *result) noexcept
{
    return cvstv::guarded("CVSTVSHARE_ask_mold_data_fspec", -1, [&]() -> int {
        if (!file_name || !result)
            return -1;
        if (!std::strstr(file_name, ".xs4") && !std::strstr(file_name, ".xls"))
            return -1;
        char xls_name[data_file_name_size + 1];
        char xs4_name[data_file_name_size + 1];
        if (!cvstv::copy_bounded(xls_name, sizeof xls_name, file_name)) {
            log_refused("file name", file_name);
            return -1;
        }
        cvstv::copy_bounded(xs4_name, sizeof xs4_name, file_name);
        std::size_t n = std::strlen(xls_name); // at least 4: it holds an extension
        std::memcpy(xls_name + n - 3, "xls", 3);
        std::memcpy(xs4_name + n - 3, "xs4", 3);

        PathBuffer path = "";
        if (CVSTVSHARE_ask_mold_fspec(wizard_type, nullptr, sub_path, xls_name, path) < 0)
            return -1;
        int code = HX_FILE_MISSING;
        if (HX_file_exists(path, HX_FILE_TYPE_ANY, &code) != 0 || code != HX_FILE_EXISTS) {
            if (CVSTVSHARE_ask_mold_fspec(wizard_type, nullptr, sub_path, xs4_name, path) < 0)
                return -1;
        }
        cvstv::copy_bounded(result, path_size + 1, path);
        return 0;
    });
}

} // extern "C"
