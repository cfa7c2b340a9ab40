// What the project-settings tests share: a session on the example kit with
// the wizard type 1, the site's customer defaults of that kit, and
// workbooks written as the host spreadsheet's text export.
#ifndef CVSTV_TESTS_PROJECT_TEST_SUPPORT_H
#define CVSTV_TESTS_PROJECT_TEST_SUPPORT_H

#include "kit_test.h"

#include "vexahost/xess_export.h"

#include "cvstvshare/startup.h"

#include <vector>

using Rows = std::vector<std::vector<std::string>>;

class ProjectTest : public KitTest {
  protected:
    void SetUp() override
    {
        KitTest::SetUp();
        CVSTWSHARE_set_wizard_type(1);
    }
    // The example site's customer defaults in the host's store.
    static void load_site_defaults()
    {
        auto load = vexa::sim::load_preferences((built_kit / "tooling" / "customer_defaults.txt").string());
        ASSERT_TRUE(load) << "line " << load.line << ": " << load.error;
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
};

#endif
