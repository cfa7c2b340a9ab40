// Layer categories from customer defaults, and the material list with its
// scale factors from the kit's material workbook.
#include "project_test_support.h"

#include "cvstvshare/project_lookups.h"
#include "cvstvshare/util.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::HasSubstr;

// ---- Layer categories ---------------------------------------------------------------

class LayerCategories : public ProjectTest {};

TEST_F(LayerCategories, OneCategoryPerAnsweredKey)
{
    vexa::sim::set_int_preference("CV_DatumLayer", 61);
    vexa::sim::set_string_preference("CV_DatumLayerName", "DATUMS");
    vexa::sim::set_int_preference("CV_InsertLayer", 40);                    // no name: no category
    vexa::sim::set_string_preference("CV_WorkPieceLayerName", "WORKPIECE"); // no number: none
    EXPECT_EQ(CVSTVSHARE_init_layer_name(), 0);
    auto categories = vexa::sim::layer_categories();
    ASSERT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories[0].name, "DATUMS");
    EXPECT_EQ(categories[0].description, "DATUMS");
    EXPECT_THAT(categories[0].layers, ElementsAre(61));
}

TEST_F(LayerCategories, NamesAreCutAndLayersOutsideTheRangeFlagNothing)
{
    std::string long_name =
        "CORE_AND_CAVITY_INSERTS_OF_THE_SECOND_MOULD_HALF_FOR_THE_LEFT_AND_RIGHT_HAND_PARTS_X";
    vexa::sim::set_string_preference("CV_InsertLayerName", long_name);
    vexa::sim::set_int_preference("CV_InsertLayer", 257);
    vexa::sim::set_string_preference("CV_DatumLayerName", "DATUMS");
    vexa::sim::set_int_preference("CV_DatumLayer", 0);
    EXPECT_EQ(CVSTVSHARE_init_layer_name(), 0);
    auto categories = vexa::sim::layer_categories();
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_TRUE(categories[0].layers.empty());
    EXPECT_EQ(categories[1].name, long_name.substr(0, 30));
    EXPECT_EQ(categories[1].description, long_name.substr(0, 80));
    EXPECT_TRUE(categories[1].layers.empty());
}

TEST_F(LayerCategories, SiteDefaultsForMouldAndDie)
{
    load_site_defaults();
    EXPECT_EQ(CVSTVSHARE_init_layer_name(), 0);
    auto mould = vexa::sim::layer_categories();
    ASSERT_EQ(mould.size(), 14u);
    EXPECT_EQ(mould[0].name, "HIDDEN_OBJECTS");
    EXPECT_THAT(mould[0].layers, ElementsAre(255));
    EXPECT_EQ(mould[13].name, "INSERTS");

    // The die's settings workbook names its own categories; a second call
    // redefines categories of the same name rather than adding them.
    CVSTWSHARE_set_wizard_type(2);
    EXPECT_EQ(CVSTVSHARE_init_layer_name(), 0);
    auto after = vexa::sim::layer_categories();
    EXPECT_EQ(after.size(), 16u); // PUNCH and DIE are new names
    EXPECT_EQ(after[14].name, "PUNCH");
    EXPECT_THAT(after[14].layers, ElementsAre(7));
}

TEST_F(LayerCategories, NothingAnsweredOrRefusedByTheHost)
{
    EXPECT_EQ(CVSTVSHARE_init_layer_name(), -1);
    EXPECT_TRUE(vexa::sim::layer_categories().empty());
    vexa::sim::set_int_preference("CV_DatumLayer", 61);
    vexa::sim::set_string_preference("CV_DatumLayerName", "DATUMS");
    vexa::sim::set_int_preference("CV_InsertLayer", 40);
    vexa::sim::set_string_preference("CV_InsertLayerName", "INSERTS");
    vexa::sim::fail_call("TOOLING_create_layer_category", HX_ERR_INTERNAL, 1, 1);
    EXPECT_EQ(CVSTVSHARE_init_layer_name(), HX_ERR_INTERNAL); // the last creation's status
    vexa::sim::set_string_preference("CV_InsertLayerName", "");
    EXPECT_EQ(CVSTVSHARE_init_layer_name(), HX_ERR_BAD_ARGUMENT); // an empty name is refused by the host
}

// ---- Material list ------------------------------------------------------------------------

class Materials : public ProjectTest {
  protected:
    void TearDown() override
    {
        kt_free_str_list(&names);
        kt_free_str_list(&scales);
        ProjectTest::TearDown();
    }
    std::vector<std::string> list(char **l) { return {l, l + kt_ask_str_list_count(l)}; }
    // A scratch Cavora kit whose material workbook holds the rows.
    void materials(const std::string &relative, const Rows &rows)
    {
        write_xs4("cavora/" + relative, {{"Materials", rows}});
        vexa::sim::set_env("CAVORA_DIR", host_form(scratch() / "cavora"));
    }
    char **names = nullptr;
    char **scales = nullptr;
};

TEST_F(Materials, KitMaterialsWithTheirScaleFactors)
{
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), 22);
    std::vector<std::string> n = list(names), s = list(scales);
    ASSERT_EQ(s.size(), n.size());
    EXPECT_EQ(n.front(), "ABS");
    EXPECT_EQ(n[3], "PC/ABS");
    EXPECT_EQ(s[3], "1.006");
    EXPECT_EQ(n[10], "POM");
    EXPECT_EQ(s[10], "1.02");
    EXPECT_EQ(n.back(), "TPU");
    EXPECT_FALSE(vexa::sim::load_scale().has_value());
}

TEST_F(Materials, SameResultByEveryReader)
{
    vexa::sim::set_default_spreadsheet_excel(true);
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), 22);
    EXPECT_EQ(list(scales)[13], "1.015"); // PP
}

TEST_F(Materials, ConsecutiveRepeatsAreDropped)
{
    materials("cv_material.xs4", {{"MATERIAL", "SCALE"}, {"A", "1.01"}, {"A", "1.02"}, {"B", "1.005"}});
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), 2);
    EXPECT_THAT(list(names), ElementsAre("A", "B"));
    EXPECT_THAT(list(scales), ElementsAre("1.01", "1.005"));
}

TEST_F(Materials, FactorsAppendToTheCallersListAndMayBeLeftOut)
{
    materials("templates/cv_material.xs4", {{"MATERIAL", "SCALE"}, {"PP", "1.015"}});
    kt_add_str_list(&scales, "given");
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), 1);
    EXPECT_THAT(list(scales), ElementsAre("given", "1.015"));
    kt_free_str_list(&names);
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, nullptr), 1);
    EXPECT_THAT(list(names), ElementsAre("PP"));
}

TEST_F(Materials, UnfoundFactorKeepsTheListsAligned)
{
    std::string long_name(130, 'M'); // its condition would not fit 119 characters
    materials("cv_material.xs4", {{"MATERIAL", "SCALE"}, {"PA6", "1.012"}, {long_name, "1.3"}});
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), 2);
    EXPECT_THAT(list(scales), ElementsAre("1.012", "1"));
    EXPECT_THAT(syslog(), ElementsAre(HasSubstr("no scale factor found, 1 used")));
}

TEST_F(Materials, NoMaterialDatabaseSetsTheLoadScale)
{
    fs::create_directories(scratch() / "cavora");
    vexa::sim::set_env("CAVORA_DIR", host_form(scratch() / "cavora"));
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), 0);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(scales, nullptr);
    EXPECT_THAT(cues(), ElementsAre("No material database - the scale factor will be set to 1"));
    EXPECT_EQ(vexa::sim::load_scale(), 1.0);
}

TEST_F(Materials, UnreadableWorkbookSetsTheLoadScale)
{
    vexa::sim::set_default_spreadsheet_excel(true);
    vexa::sim::fail_call("HX_SS_create_port", HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), 0);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(vexa::sim::load_scale(), 1.0);
    EXPECT_TRUE(cues().empty());
}

TEST_F(Materials, UnresolvableKitIsANegativeStatus)
{
    vexa::sim::unset_env("CAVORA_DIR");
    EXPECT_EQ(CVSTVSHARE_init_read_material(&names, &scales), -1);
    EXPECT_THAT(message_boxes(), ElementsAre("No environment variable"));
    EXPECT_EQ(CVSTVSHARE_init_read_material(nullptr, &scales), -1);
}

TEST_F(Materials, AllocationFailuresHandOutNothing)
{
    for (long n = 0;; ++n) {
        vexa::sim::fail_allocations_after(n);
        int count = CVSTVSHARE_init_read_material(&names, &scales);
        vexa::sim::fail_allocations_after(-1);
        std::vector<std::string> got = list(scales);
        if (count == 22 && got.size() == 22 && std::count(got.begin(), got.end(), "1") == 0)
            break;
        if (count < 0) {
            EXPECT_EQ(names, nullptr) << n;
            EXPECT_EQ(scales, nullptr) << n;
        }
        kt_free_str_list(&names);
        kt_free_str_list(&scales);
        ASSERT_LT(n, 5000);
    }
}
