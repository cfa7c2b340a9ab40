// Scratch directories and copies of the example mould project for tests
// that open, change and save part files. Each copy is a fresh directory
// under the system's temporary directory, removed when the test ends.
#ifndef CVSTV_TESTS_PROJECT_FILES_H
#define CVSTV_TESTS_PROJECT_FILES_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>

namespace cvstv_test {

class ScratchDir {
  public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "cvstv_parts_XXXXXX").string();
        if (char *made = ::mkdtemp(pattern.data()))
            path_ = made;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline std::string read_text(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_text(const std::filesystem::path &file, const std::string &text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

// The example mould project of the kit.
inline std::filesystem::path example_project()
{
    return std::filesystem::path(CVSTV_SOURCE_DIR) / "examples" / "kit" / "projects" / "P100";
}

// A copy of the example project in a scratch directory.
class ProjectCopy {
  public:
    ProjectCopy()
    {
        for (const auto &entry : std::filesystem::directory_iterator(example_project()))
            std::filesystem::copy_file(entry.path(), dir_.path() / entry.path().filename());
    }
    std::string file(const std::string &name) const { return dir_.file(name); }
    std::string top() const { return file("P100_top.prt"); }
    const std::filesystem::path &path() const { return dir_.path(); }

  private:
    ScratchDir dir_;
};

} // namespace cvstv_test

#endif
