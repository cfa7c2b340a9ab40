// Where cvstv finds the files shipped with it.
//
// Two layouts, both relative to the executable (paths compiled in by the
// build are relative, so an installed copy knows no build tree and runs from
// whatever prefix it was installed to):
//   installed:   <prefix>/bin/cvstv, <prefix>/share/cvstvshareint/kit and
//                <prefix>/share/cvstvshareint/odbc;
//   build tree:  <build>/tools/cvstv/cvstv, <build>/examples/kit and
//                <build>/odbc.
// The installed layout is recognised by its data directory and wins.
#include "shipped_files.h"

#include <filesystem>
#include <system_error>

namespace cvstv_cli {

namespace {

namespace fs = std::filesystem;

bool directory_exists(const fs::path &p)
{
    std::error_code ec;
    return fs::is_directory(p, ec);
}

std::string existing(const fs::path &p)
{
    return directory_exists(p) ? p.lexically_normal().string() : std::string();
}

ShippedFiles find_shipped_files()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    fs::path dir = exe.parent_path();
    if (fs::path data = dir / CVSTV_INSTALLED_DATA; directory_exists(data))
        return {existing(data / "kit"), existing(data / "odbc")};
    return {existing(dir / CVSTV_BUILD_KIT), existing(dir / CVSTV_BUILD_ODBC)};
}

} // namespace

const ShippedFiles &shipped_files()
{
    static const ShippedFiles files = find_shipped_files();
    return files;
}

} // namespace cvstv_cli
