// What the project-settings tests share: a session on the example kit the
// build generates, the site's customer defaults of that kit, scratch kits
// with workbooks written as the host spreadsheet's text export, and parts.
#ifndef CVSTV_TESTS_PROJECT_TEST_SUPPORT_H
#define CVSTV_TESTS_PROJECT_TEST_SUPPORT_H

#include "host_test.h"

#include "vexahost/xess_export.h"

#include "cvstvshare/startup.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

inline const fs::path built_kit = fs::path(CVSTV_BINARY_DIR) / "examples" / "kit";

inline std::string host_form(const fs::path &p)
{
    std::string s = p.string();
    for (char &c : s)
        if (c == '/')
            c = '\\';
    return s;
}

using Rows = std::vector<std::vector<std::string>>;

class ProjectTest : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        use_kit(built_kit);
        CVSTWSHARE_set_wizard_type(1);
    }
    void TearDown() override
    {
        if (!scratch_.empty())
            fs::remove_all(scratch_);
        HostTest::TearDown();
    }
    static void use_kit(const fs::path &kit)
    {
        vexa::sim::set_env("KRAX_BASE_DIR", host_form(kit));
        vexa::sim::set_env("CAVORA_DIR", host_form(kit / "cavora"));
        vexa::sim::set_env("STRIVO_DIR", host_form(kit / "strivo"));
        vexa::sim::set_env("FULGO_DIR", host_form(kit / "fulgo"));
        vexa::sim::set_env("KRPRESDES_DIR", host_form(kit / "krautomotive" / "presdes"));
        vexa::sim::unset_env("CV_STANDARDPARTPATH");
    }
    // The example site's customer defaults in the host's store.
    static void load_site_defaults()
    {
        auto load = vexa::sim::load_preferences((built_kit / "tooling" / "customer_defaults.txt").string());
        ASSERT_TRUE(load) << "line " << load.line << ": " << load.error;
    }
    fs::path scratch()
    {
        if (scratch_.empty()) {
            scratch_ =
                fs::temp_directory_path() / ("cvstv_project_" + std::to_string(::getpid()) + "_" +
                                             testing::UnitTest::GetInstance()->current_test_info()->name());
            fs::remove_all(scratch_);
            fs::create_directories(scratch_);
        }
        return scratch_;
    }
    // Writes a workbook's text export (".xs4") under the scratch directory.
    fs::path write_xs4(const std::string &relative, const std::vector<vexa::sim::XessSheet> &sheets)
    {
        fs::path p = scratch() / relative;
        fs::create_directories(p.parent_path());
        auto status = vexa::sim::write_xess(p.string(), sheets);
        EXPECT_TRUE(status) << status.error;
        return p;
    }
    static std::vector<std::string> syslog() { return vexa::sim::texts(vexa::sim::Entry::syslog); }
    static std::vector<std::string> cues() { return vexa::sim::texts(vexa::sim::Entry::cue); }

  private:
    fs::path scratch_;
};

#endif
