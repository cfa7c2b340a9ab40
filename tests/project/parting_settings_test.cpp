// The parting settings handed to the host: defaults, customer defaults of
// each wizard type and unit, and what happens when the host refuses them.
#include "project_test_support.h"

#include "cvstvshare/customer_defaults.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::ElementsAreArray;

class PartingSettings : public ProjectTest {
  protected:
    vexa::sim::PartingRecords handed()
    {
        auto records = vexa::sim::parting_records();
        EXPECT_TRUE(records.has_value());
        return records.value_or(vexa::sim::PartingRecords{});
    }
};

TEST_F(PartingSettings, WithoutCustomerDefaultsTheDefaultsAreHanded)
{
    EXPECT_EQ(kt_parting_setting_init(), 0);
    auto r = handed();
    const HX_kt_parting_settings_s &s = r.settings;
    EXPECT_EQ(s.auto_process, 1);
    EXPECT_EQ(s.lines_tolerance, 0.01);
    EXPECT_EQ(s.surface_tolerance, 0.01);
    EXPECT_EQ(s.region_type, 3);
    EXPECT_EQ(s.core_cavity_auto_trim, 1);
    EXPECT_EQ(s.core_cavity_tolerance, 0.1);
    EXPECT_THAT((std::vector<int>{s.product_layer, s.lines_layer, s.core_surface_layer,
                                  s.cavity_surface_layer, s.core_layer, s.cavity_layer, s.patch_body_layer}),
                ElementsAre(1, 26, 27, 28, 7, 8, 25));
    EXPECT_THAT((std::vector<int>{s.surface_colour, s.patch_colour, s.lines_colour, s.transit_object_colour,
                                  s.core_region_colour, s.cavity_region_colour}),
                ElementsAre(6, 7, 2, 8, 14, 3));
    EXPECT_EQ(s.fixed_value, 255);
    EXPECT_EQ(s.mesh_surface, 1);
    EXPECT_EQ(s.reserved, 0);
    EXPECT_EQ(r.options.first_value, 1);
    EXPECT_EQ(r.options.patch_feature_number, 150);
    EXPECT_EQ(r.options.small_draft_angle, 3.0);
    EXPECT_EQ(r.options.cross_over_angle, 5.0);
    EXPECT_EQ(r.options.int_count, 29);
    EXPECT_EQ(r.options.real_count, 9);
    EXPECT_THAT(r.int_options, ElementsAreArray({1, 1, 1, 3, 1, 5, 0, 3,  6, 1, 11, 7, 5, 12, 0,
                                                 6, 0, 1, 0, 3, 0, 0, 90, 1, 0, 0,  1, 1, 250}));
    EXPECT_THAT(r.real_options, ElementsAre(0.00001, 10.0, 10.0, 10.0, 10.0, 5.0, 5.0, 5.0, 5.0));
}

TEST_F(PartingSettings, CustomerDefaultsOverwriteTheirFields)
{
    vexa::sim::set_int_preference("CV_ToolsPatchFeatureNum", 200);
    vexa::sim::set_logical_preference("CV_PartingAutoProcess", false);
    vexa::sim::set_real_preference("CV_PartingLinesTolerance_EU", 0.0004);
    vexa::sim::set_real_preference("CV_PartingLinesTolerance_MU", 0.02);
    vexa::sim::set_int_preference("CV_PartingCavitySurfLayer", 48);
    vexa::sim::set_int_preference("CV_PartingCoreRegionColor", 11);
    vexa::sim::set_logical_preference("CV_PartingKeepExistingRegions", true);
    vexa::sim::set_int_preference("CV_PartingPatchSurfaceLayer", 240);
    vexa::sim::set_real_preference("CV_CastingRampAngle", 7.5);
    vexa::sim::set_real_preference("CV_CastingBodyBoxOffsetY2_EU", 0.5);
    vexa::sim::create_part("C:\\p\\inch.prt", vexa::sim::units_english);
    EXPECT_EQ(kt_parting_setting_init(), 0);
    auto r = handed();
    EXPECT_EQ(r.options.patch_feature_number, 200);
    EXPECT_EQ(r.settings.auto_process, 0);
    EXPECT_EQ(r.settings.lines_tolerance, 0.0004); // the work part is English
    EXPECT_EQ(r.settings.cavity_surface_layer, 48);
    EXPECT_EQ(r.settings.core_region_colour, 11);
    EXPECT_EQ(r.int_options[25], 1);
    EXPECT_EQ(r.int_options[28], 240);
    EXPECT_EQ(r.real_options[8], 7.5);
    EXPECT_EQ(r.real_options[4], 0.5);
    EXPECT_EQ(r.real_options[3], 10.0);
}

TEST_F(PartingSettings, KeysAreReadInTheirOrder)
{
    // A store that fails every read names each key in the log, in order.
    for (const char *call : {"PMAN_ask_int", "PMAN_ask_real", "PMAN_ask_logical"})
        vexa::sim::fail_call(call, HX_ERR_INTERNAL);
    EXPECT_EQ(kt_parting_setting_init(), 0);
    std::vector<std::string> keys;
    for (const std::string &line : vexa::sim::texts(vexa::sim::Entry::syslog)) {
        std::size_t from = line.find("customer default ") + 17;
        keys.push_back(line.substr(from, line.find(':', from) - from));
    }
    EXPECT_THAT(keys, ElementsAreArray({"CV_ToolsPatchFeatureNum",
                                        "CV_PartingSmallDraftAngle",
                                        "CV_PartingCrossOverAngle",
                                        "CV_PartingAutoProcess",
                                        "CV_PartingLinesTolerance",
                                        "CV_PartingSurfTolerance",
                                        "CV_PartingRegionType",
                                        "CV_PartingCoreCavityAutoTrim",
                                        "CV_PartingCoreCavityTolerance",
                                        "CV_PartingProdLayer",
                                        "CV_PartingLinesLayer",
                                        "CV_PartingCoreSurfLayer",
                                        "CV_PartingCavitySurfLayer",
                                        "CV_PartingCoreLayer",
                                        "CV_PartingCavityLayer",
                                        "CV_PartingPatchBodyLayer",
                                        "CV_PartingSurfColor",
                                        "CV_PartingPatchColor",
                                        "CV_PartingLinesColor",
                                        "CV_PartingTransitObjectColor",
                                        "CV_PartingCoreRegionColor",
                                        "CV_PartingCavityRegionColor",
                                        "CV_PartingMeshSurf",
                                        "CV_PartingCompTolerance",
                                        "CV_CastingBodyBoxOffsetX1",
                                        "CV_CastingBodyBoxOffsetX2",
                                        "CV_CastingBodyBoxOffsetY1",
                                        "CV_CastingBodyBoxOffsetY2",
                                        "CV_CastingStepSheetToolLand",
                                        "CV_CastingStepSheetDraftAngle",
                                        "CV_CastingStepSheetRadius",
                                        "CV_CastingRampAngle",
                                        "CV_PartingColorTraverse",
                                        "CV_PartingAssociateSwap",
                                        "CV_PartingCompUnchangedFaces",
                                        "CV_PartingCompRemovedFaces",
                                        "CV_PartingCompNewFaces",
                                        "CV_CastingStepSheetCornerRadiusOption",
                                        "CV_PartingKeepExistingRegions",
                                        "CV_PartingExtractPartingLines",
                                        "CV_PartingExtractRegion",
                                        "CV_PartingPatchSurfaceLayer"}));
    EXPECT_EQ(handed().settings.auto_process, 1); // failed reads keep the defaults
}

TEST_F(PartingSettings, SiteDefaultsForEachApplication)
{
    load_site_defaults();
    vexa::sim::create_part("C:\\p\\mm.prt", vexa::sim::units_metric);
    EXPECT_EQ(kt_parting_setting_init(), 0);
    EXPECT_EQ(handed().settings.core_cavity_tolerance, 0.1);
    EXPECT_EQ(handed().real_options[0], 0.00001);

    // The progressive die reads the parting keys from its settings workbook;
    // the kinds that workbook cannot answer keep their defaults.
    CVSTWSHARE_set_wizard_type(2);
    EXPECT_EQ(kt_parting_setting_init(), 0);
    auto r = handed();
    EXPECT_EQ(r.options.patch_feature_number, 120);
    EXPECT_EQ(r.options.small_draft_angle, 2.5);
    EXPECT_EQ(r.settings.core_layer, 7);
    EXPECT_EQ(r.settings.surface_colour, 6); // "Yellow"
    EXPECT_EQ(r.settings.lines_colour, 13);  // "Dark-Red"
    EXPECT_EQ(r.settings.lines_tolerance, 0.01);
    EXPECT_EQ(r.settings.auto_process, 1);
}

TEST_F(PartingSettings, RefusedRecordsAreFreedAndTheStatusReturned)
{
    vexa::sim::fail_call("HX_kt_init", HX_ERR_INTERNAL, 0, 1);
    EXPECT_EQ(kt_parting_setting_init(), HX_ERR_INTERNAL);
    EXPECT_FALSE(vexa::sim::parting_records().has_value());
    for (long n = 0; n < 2; ++n) {
        vexa::sim::fail_allocations_after(n);
        EXPECT_EQ(kt_parting_setting_init(), -1);
    }
    vexa::sim::fail_allocations_after(-1);
    EXPECT_EQ(kt_parting_setting_init(), 0);
}
