// What the application tests share: a session pointed at the example kit the
// build generates (kits, tooling base directory with the companion
// libraries), scratch kit trees, and the journal's lines by kind.
#ifndef CVSTV_TESTS_APPLICATION_TEST_SUPPORT_H
#define CVSTV_TESTS_APPLICATION_TEST_SUPPORT_H

#include "host_test.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

inline const fs::path built_kit = fs::path(CVSTV_BINARY_DIR) / "examples" / "kit";
inline const fs::path test_companions = CVSTV_TEST_COMPANIONS;

inline std::string host_form(const fs::path &p)
{
    std::string s = p.string();
    for (char &c : s)
        if (c == '/')
            c = '\\';
    return s;
}

inline std::string local_form(std::string host_path)
{
    for (char &c : host_path)
        if (c == '\\')
            c = '/';
    return host_path;
}

class ApplicationTest : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        use_kit(built_kit);
    }
    void TearDown() override
    {
        if (!scratch_.empty())
            fs::remove_all(scratch_);
        HostTest::TearDown();
    }
    // Points every kit variable and the tooling base directory at a kit tree.
    static void use_kit(const fs::path &kit)
    {
        vexa::sim::set_env("KRAX_BASE_DIR", host_form(kit));
        vexa::sim::set_env("CAVORA_DIR", host_form(kit / "cavora"));
        vexa::sim::set_env("STRIVO_DIR", host_form(kit / "strivo"));
        vexa::sim::set_env("FULGO_DIR", host_form(kit / "fulgo"));
        vexa::sim::set_env("KRPRESDES_DIR", host_form(kit / "krautomotive" / "presdes"));
        vexa::sim::set_env("TOOLING_BASE_DIR", host_form(kit / "tooling"));
        vexa::sim::unset_env("CV_STANDARDPARTPATH");
    }
    // A scratch directory, removed after the test.
    fs::path scratch()
    {
        if (scratch_.empty()) {
            scratch_ =
                fs::temp_directory_path() / ("cvstv_app_" + std::to_string(::getpid()) + "_" +
                                             testing::UnitTest::GetInstance()->current_test_info()->name());
            fs::remove_all(scratch_);
            fs::create_directories(scratch_);
        }
        return scratch_;
    }
    // Writes a file under the scratch directory (creating its directories).
    fs::path write(const std::string &relative, const std::string &text)
    {
        fs::path p = scratch() / relative;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    static std::vector<std::string> lines(vexa::sim::Entry kind) { return vexa::sim::texts(kind); }
    static std::vector<std::string> syslog() { return lines(vexa::sim::Entry::syslog); }

  private:
    fs::path scratch_;
};

#endif
