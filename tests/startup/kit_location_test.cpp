// Kit and data-file location, the wizard type and the module id.
#include "host_test.h"

#include "cvstvshare/startup.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string host_form(const fs::path &p)
{
    std::string s = p.string();
    for (char &c : s)
        if (c == '/')
            c = '\\';
    return s;
}

} // namespace

class KitLocation : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        for (const char *v : {"TOOLING_BASE_DIR", "CAVORA_DIR", "STRIVO_DIR", "KRPRESDES_DIR", "FULGO_DIR",
                              "CV_STANDARDPARTPATH", "KRAX_BASE_DIR"})
            vexa::sim::unset_env(v);
    }
    void TearDown() override
    {
        if (!tree_.empty())
            fs::remove_all(tree_);
        HostTest::TearDown();
    }
    // A scratch kit tree with the given files (relative local paths).
    fs::path make_tree(std::initializer_list<const char *> files)
    {
        tree_ = fs::temp_directory_path() / ("kit_location_" + std::to_string(::getpid()));
        fs::remove_all(tree_);
        for (const char *f : files) {
            fs::create_directories((tree_ / f).parent_path());
            std::ofstream(tree_ / f) << "x";
        }
        return tree_;
    }
    char result_[257] = "untouched";

  private:
    fs::path tree_;
};

TEST_F(KitLocation, MenuFamilyJoinsTheVariableAndSubPaths)
{
    vexa::sim::set_env("TOOLING_BASE_DIR", "D:/kits/tooling/ ");
    EXPECT_EQ(CV_MENU_ask_cv_fspec("TOOLING_BASE_DIR", "/application", "libcvstv_share.dll", result_), 0);
    EXPECT_STREQ(result_, "D:\\kits\\tooling\\application\\libcvstv_share.dll");

    vexa::sim::set_env("TOOLING_BASE_DIR", "D:\\kits\\");
    EXPECT_EQ(STV_MENU_ask_stv_fspec("TOOLING_BASE_DIR", "\\drafting", nullptr, result_), 0);
    EXPECT_STREQ(result_, "D:\\kits\\drafting") << "one separator between directory and sub-path";
    EXPECT_EQ(FG_MENU_ask_fg_fspec("TOOLING_BASE_DIR", nullptr, "x.dlg", result_), 0);
    EXPECT_STREQ(result_, "D:\\kits\\x.dlg");

    std::strcpy(result_, "untouched");
    EXPECT_EQ(CV_MENU_ask_cv_fspec("TOOLING_BASE_DIR", nullptr, nullptr, result_), 0);
    EXPECT_STREQ(result_, "untouched") << "with no sub-path the result is left as it was";

    vexa::sim::set_env("TOOLING_BASE_DIR", "   ");
    EXPECT_EQ(CV_MENU_ask_cv_fspec("TOOLING_BASE_DIR", "application", nullptr, result_), 0);
    EXPECT_STREQ(result_, "\\application") << "an all-blank value is an empty directory";
    EXPECT_TRUE(message_boxes().empty());
}

TEST_F(KitLocation, UnsetVariableShowsTheFamilyMessageAndLeavesTheResult)
{
    vexa::sim::set_translation("No %s environment variable", "Variable %s manquante");
    EXPECT_EQ(CV_MENU_ask_cv_fspec("TOOLING_BASE_DIR", "/application", nullptr, result_), -1);
    EXPECT_STREQ(result_, "untouched");
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec0(2, "/templates", nullptr, result_), -1);
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec(1, nullptr, "/templates", nullptr, result_), -1);
    EXPECT_STREQ(result_, "untouched");
    EXPECT_EQ(message_boxes(),
              (std::vector<std::string>{"Variable TOOLING_BASE_DIR manquante", "No environment variable",
                                        "No environment variable"}));
    EXPECT_EQ(vexa::sim::journal()[0].severity, 1);

    EXPECT_EQ(CV_MENU_ask_cv_fspec(nullptr, "a", nullptr, result_), -1);
    EXPECT_EQ(CV_MENU_ask_cv_fspec("TOOLING_BASE_DIR", "a", nullptr, nullptr), -1);
}

TEST_F(KitLocation, KitVariableFollowsTheWizardType)
{
    vexa::sim::set_env("CAVORA_DIR", "/k/cv");
    vexa::sim::set_env("STRIVO_DIR", "/k/stv");
    vexa::sim::set_env("KRPRESDES_DIR", "/k/pd");
    vexa::sim::set_env("FULGO_DIR", "/k/fg");
    struct Case {
        int type;
        const char *expected;
    };
    for (Case c : {Case{1, "\\k\\cv\\t"},
                   {2, "\\k\\stv\\t"},
                   {3, "\\k\\pd\\t"},
                   {4, "\\k\\fg\\t"},
                   {0, "\\k\\cv\\t"},
                   {9, "\\k\\cv\\t"}}) {
        ASSERT_EQ(CVSTVSHARE_ask_mold_fspec0(c.type, "t", nullptr, result_), 0);
        EXPECT_STREQ(result_, c.expected) << "wizard type " << c.type;
    }
}

TEST_F(KitLocation, StandardPartPathComesFirstThenTheKit)
{
    vexa::sim::set_env("CAVORA_DIR", "/k/cv");
    vexa::sim::set_env("STRIVO_DIR", "/k/stv");
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec(1, nullptr, "/data", nullptr, result_), 0);
    EXPECT_STREQ(result_, "\\k\\cv\\data") << "the kit variable when CV_STANDARDPARTPATH is unset";

    vexa::sim::set_env("CV_STANDARDPARTPATH", "/std");
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec(2, nullptr, "/data", nullptr, result_), 0);
    EXPECT_STREQ(result_, "\\std\\data") << "CV_STANDARDPARTPATH whatever the wizard type";

    vexa::sim::set_env("MY_PARTS", "/mine");
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec(2, "MY_PARTS", "/data", nullptr, result_), 0);
    EXPECT_STREQ(result_, "\\mine\\data");
}

TEST_F(KitLocation, ExistenceTestFallsBackUnderTheBaseDirectory)
{
    fs::path tree =
        make_tree({"kit/cavora/configuration/in_kit.xs4", "base/cavora/configuration/cv_material.xs4",
                   "base/krautomotive/presdes/templates/t.prt"});
    vexa::sim::set_env("CAVORA_DIR", host_form(tree / "kit" / "cavora"));
    vexa::sim::set_env("KRPRESDES_DIR", host_form(tree / "kit" / "presdes"));
    vexa::sim::set_env("KRAX_BASE_DIR", host_form(tree / "base"));

    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec1(1, "/configuration", "in_kit.xs4", result_), 0);
    EXPECT_EQ(result_, host_form(tree / "kit/cavora/configuration/in_kit.xs4"));

    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec1(1, "/configuration", "cv_material.xs4::MM", result_), 0);
    EXPECT_EQ(result_, host_form(tree / "base/cavora/configuration/cv_material.xs4") + "::MM")
        << "the file is tested without its section suffix, which the result keeps";

    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec1(3, "\\templates", "t.prt", result_), 0);
    EXPECT_EQ(result_, host_form(tree / "base/krautomotive/presdes/templates/t.prt"));

    std::strcpy(result_, "untouched");
    EXPECT_GT(CVSTVSHARE_ask_mold_fspec1(1, "/configuration", "nowhere.xs4", result_), 0);
    EXPECT_STREQ(result_, "") << "a file found nowhere empties the result";

    vexa::sim::unset_env("KRAX_BASE_DIR");
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec1(1, "/configuration", "nowhere.xs4", result_), -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{"No environment variable"});
}

TEST_F(KitLocation, DataFilePrefersTheWorkbookThatExists)
{
    fs::path tree = make_tree({"cavora/configuration/cv_material.xls", "cavora/configuration/only_text.xs4"});
    vexa::sim::set_env("CAVORA_DIR", host_form(tree / "cavora"));

    EXPECT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, "/configuration", "cv_material.xs4", result_), 0);
    EXPECT_EQ(result_, host_form(tree / "cavora/configuration/cv_material.xls"));
    EXPECT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, "/configuration", "only_text.xls", result_), 0);
    EXPECT_EQ(result_, host_form(tree / "cavora/configuration/only_text.xs4"));
    EXPECT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, "/configuration", "missing.xls", result_), 0);
    EXPECT_EQ(result_, host_form(tree / "cavora/configuration/missing.xs4")) << "the .xs4 path is not tested";

    std::strcpy(result_, "untouched");
    EXPECT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, "/configuration", "readme.txt", result_), -1);
    EXPECT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, "/configuration", nullptr, result_), -1);
    EXPECT_STREQ(result_, "untouched");
}

TEST_F(KitLocation, OverLongPiecesAreRefusedNotCut)
{
    std::string long_piece(300, 'p');
    vexa::sim::set_env("CAVORA_DIR", "/k");
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec0(1, long_piece.c_str(), nullptr, result_), -1);
    EXPECT_STREQ(result_, "untouched");
    std::string near_limit(200, 'q');
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec0(1, near_limit.c_str(), near_limit.c_str(), result_), -1)
        << "a joined path beyond 256 characters is refused";
    vexa::sim::set_env("CAVORA_DIR", long_piece);
    EXPECT_EQ(CVSTVSHARE_ask_mold_fspec0(1, "a", nullptr, result_), -1);
    EXPECT_EQ(CVSTVSHARE_ask_mold_data_fspec(1, "a", (long_piece + ".xls").c_str(), result_), -1);
    EXPECT_STREQ(result_, "untouched");
    EXPECT_TRUE(message_boxes().empty()) << "refusals are logged, not shown";
    EXPECT_FALSE(vexa::sim::texts(vexa::sim::Entry::syslog).empty());
}

TEST(WizardState, TypeAndModuleIdStartAtTheirInitialValues)
{
    EXPECT_EQ(CVSTWSHARE_get_wizard_type(), 0);
    EXPECT_EQ(kt_ask_module_id(), -1);
    CVSTWSHARE_set_wizard_type(2);
    EXPECT_EQ(kt_set_module_id(77), 0);
    EXPECT_EQ(CVSTWSHARE_get_wizard_type(), 2);
    EXPECT_EQ(kt_ask_module_id(), 77);
}
