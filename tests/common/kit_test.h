// Tests on kit trees: the example kit the build generates, the session's kit
// variables pointed at a tree, and scratch trees of files removed after the
// test.
#ifndef CVSTV_TESTS_KIT_TEST_H
#define CVSTV_TESTS_KIT_TEST_H

#include "host_test.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

// The example kit the build generates (workbooks, companion libraries).
inline const fs::path built_kit = fs::path(CVSTV_BINARY_DIR) / "examples" / "kit";

// A local path in the host's form ('\' separators).
inline std::string host_form(const fs::path &p)
{
    return vexa::sim::host_path(p.string());
}

// Points every kit variable and the tooling base directory at a kit tree
// laid out as a KRAX_BASE_DIR.
inline void use_kit(const fs::path &kit)
{
    vexa::sim::set_env("KRAX_BASE_DIR", host_form(kit));
    vexa::sim::set_env("CAVORA_DIR", host_form(kit / "cavora"));
    vexa::sim::set_env("STRIVO_DIR", host_form(kit / "strivo"));
    vexa::sim::set_env("FULGO_DIR", host_form(kit / "fulgo"));
    vexa::sim::set_env("KRPRESDES_DIR", host_form(kit / "krautomotive" / "presdes"));
    vexa::sim::set_env("TOOLING_BASE_DIR", host_form(kit / "tooling"));
    vexa::sim::unset_env("CV_STANDARDPARTPATH");
}

// A host test on the example kit, with a scratch directory of its own.
class KitTest : public HostTest {
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
    // The scratch directory, named after the test; made on first use.
    fs::path scratch()
    {
        if (scratch_.empty()) {
            scratch_ =
                fs::temp_directory_path() / ("cvstv_" + std::to_string(::getpid()) + "_" +
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

  private:
    fs::path scratch_;
};

#endif
