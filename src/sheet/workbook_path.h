// Workbook paths as the spreadsheet readers take them: a file path,
// optionally followed by "::" and a sheet name. The same path may name the
// ".xls" workbook or its ".xs4" text export; each reader swaps the extension
// it needs. Local file access goes through local_path, the library's use of
// the host's one host-to-local path mapping.
#ifndef CVSTV_SHEET_WORKBOOK_PATH_H
#define CVSTV_SHEET_WORKBOOK_PATH_H

#include <string>
#include <string_view>

namespace cvstv {

struct WorkbookPath {
    std::string file;  // the path before the first "::"
    std::string sheet; // the text after it; empty when there is none
};

inline WorkbookPath split_workbook_path(std::string_view path)
{
    WorkbookPath split;
    std::size_t cut = path.find("::");
    split.file = std::string(path.substr(0, cut));
    if (cut != std::string_view::npos)
        split.sheet = std::string(path.substr(cut + 2));
    return split;
}

// Cuts the path at the first occurrence of from and appends to; a path
// without from is returned unchanged.
inline std::string swap_extension(std::string_view path, std::string_view from, std::string_view to)
{
    std::size_t at = path.find(from);
    if (at == std::string_view::npos)
        return std::string(path);
    std::string swapped(path.substr(0, at));
    swapped += to;
    return swapped;
}

// The separate spreadsheet program's directory as the host's registry
// names it: the first of its three places that answers; empty when none
// does.
std::string excel_directory();

// The local file-system path of a host path; empty when the host cannot map
// it.
std::string local_path(const std::string &host_path);

} // namespace cvstv

#endif
