// Mapping a workbook's host path to the local file system for the readers
// that open files themselves.
#include "workbook_path.h"

#include "hx_files.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace cvstv {

std::string local_path(const std::string &host_path)
{
    std::vector<char> local(std::max<std::size_t>(host_path.size() + 1, PATH_MAX));
    if (HX_local_path(host_path.c_str(), local.data(), local.size()) != HX_OK)
        return {};
    return local.data();
}

} // namespace cvstv
