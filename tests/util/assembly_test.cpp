// Assembly, reference-set and model queries on the example mould project:
// occurrence walks, parents and attributed ancestors, reference sets and
// their replacement, the update failure dialog, trimmed-feature suppression,
// pocket relinking and link targets, interference, boxes and the helpers.
#include "project_test.h"

#include "cvstvshare/assembly.h"
#include "cvstvshare/part_attributes.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"

#include "hx_assem.h"
#include "hx_attr.h"
#include "hx_memory.h"
#include "hx_model.h"
#include "hx_parts.h"

#include <array>
#include <string>
#include <vector>

using vexa::sim::Entry;

namespace {

std::vector<tag_t> visited;
int visit(tag_t occurrence)
{
    visited.push_back(occurrence);
    return 1;
}

std::string name_of(tag_t tag)
{
    char name[HX_OBJ_NAME_SIZE + 1] = "";
    HX_OBJ_ask_name(tag, name);
    return name;
}

tag_t named_object(tag_t part, int type, const std::string &name)
{
    tag_t object = 0;
    while (HX_OBJ_cycle_objs_in_part(part, type, &object) == HX_OK && object != 0)
        if (name_of(object) == name)
            return object;
    return 0;
}

tag_t nth_feature(tag_t part, int n)
{
    tag_t feature = 0;
    for (int i = 0; i <= n; ++i)
        HX_MODL_cycle_feats(part, &feature);
    return feature;
}

class Assembly : public ProjectTest {
  protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        CVSTWSHARE_set_wizard_type(1);
        root_ = HX_ASSEM_ask_root_part_occ(top_);
        auto level1 = vexa::sim::occurrence_children(root_);
        layout_ = level1[0];
        moldbase_ = level1[1];
        cavities_ = vexa::sim::occurrence_children(layout_);
        screws_ = vexa::sim::occurrence_children(moldbase_);
    }
    // shrink, core and cavity occurrences of a cavity.
    tag_t in_cavity(int cavity, int which)
    {
        return vexa::sim::occurrence_children(cavities_[cavity])[which];
    }

    tag_t root_ = 0, layout_ = 0, moldbase_ = 0;
    std::vector<tag_t> cavities_, screws_;
};

} // namespace

TEST_F(Assembly, OccurrencesAreWalkedDepthFirstInChildOrder)
{
    visited.clear();
    kt_assem_recursive(layout_, visit);
    ASSERT_EQ(visited.size(), 9u);
    EXPECT_EQ(visited[0], layout_);
    EXPECT_EQ(visited[1], cavities_[0]);
    EXPECT_EQ(visited[2], in_cavity(0, 0));
    EXPECT_EQ(visited[5], cavities_[1]);
    visited.clear();
    kt_assem_recursive(0, visit);
    EXPECT_TRUE(visited.empty());

    tag_t *occurrences = nullptr;
    ASSERT_EQ(kt_ask_child_occ(layout_, nullptr, &occurrences), 9);
    EXPECT_EQ(std::vector<tag_t>(occurrences, occurrences + 9), [&] {
        visited.clear();
        kt_assem_recursive(layout_, visit);
        return visited;
    }());
    kt_free_child_occ(&occurrences);
    EXPECT_EQ(occurrences, nullptr);
    EXPECT_EQ(kt_ask_child_occ(part("P100_prod"), nullptr, &occurrences), 4)
        << "a part starts at its first occurrence in the displayed assembly";
    EXPECT_EQ(occurrences[0], cavities_[0]);
    kt_free_child_occ(&occurrences);
    EXPECT_EQ(kt_ask_child_occ(0, project_.file("screw_M8.prt").c_str(), &occurrences), 1);
    kt_free_child_occ(&occurrences);
    tag_t alone = vexa::sim::create_part(project_.file("alone.prt"));
    EXPECT_EQ(kt_ask_child_occ(alone, nullptr, &occurrences), 1) << "a part outside the display: its root";
    EXPECT_EQ(occurrences[0], HX_ASSEM_ask_root_part_occ(alone));
    kt_free_child_occ(&occurrences);
    EXPECT_EQ(kt_ask_child_occ(0, "no_such_part", &occurrences), 0);
    EXPECT_EQ(occurrences, nullptr);
}

TEST_F(Assembly, TheChildOccurrenceQueryStopsAt3000)
{
    tag_t big = vexa::sim::create_part(project_.file("big.prt"));
    tag_t bolt = vexa::sim::create_part(project_.file("bolt.prt"));
    (void)bolt;
    for (int i = 0; i < 3100; ++i)
        vexa::sim::add_component(big, "bolt.prt");
    tag_t *occurrences = nullptr;
    EXPECT_EQ(kt_ask_child_occ(HX_ASSEM_ask_root_part_occ(big), nullptr, &occurrences), KT_MAX_CHILD_OCC);
    kt_free_child_occ(&occurrences);
}

TEST_F(Assembly, ParentsAndAttributedAncestors)
{
    tag_t core = in_cavity(1, 1);
    EXPECT_EQ(kt_assem_ask_parent_occ(core), cavities_[1]);
    EXPECT_EQ(kt_assem_ask_parent_occ(layout_), 0u) << "its parent is the displayed part";
    EXPECT_EQ(kt_assem_ask_parent_occ(root_), 0u);
    EXPECT_EQ(kt_assem_ask_parent_occ(part("P100_core")), 0u) << "a part is no occurrence";

    tag_t core_body = named_object(part("P100_core"), HX_TYPE_SOLID, "CORE");
    EXPECT_EQ(kt_ask_attr_parent(core_body, "KT_PROD"), part("P100_prod"));
    EXPECT_EQ(kt_ask_attr_parent(core_body, "KT_LAYOUT"), part("P100_layout"));
    EXPECT_EQ(kt_ask_attr_parent(core, "SIDE"), part("P100_core")) << "the object's own part first";
    EXPECT_EQ(kt_ask_attr_parent(core_body, "CATALOG"), 0u) << "the mould base is not above the core";
    ASSERT_EQ(kt_attr_assign(top_, "MARK", "%s", "top"), 0);
    ASSERT_EQ(kt_attr_assign(part("P100_prod"), "MARK", "%s", "prod"), 0);
    EXPECT_EQ(kt_ask_attr_parent(core_body, "MARK"), part("P100_prod")) << "the nearest of two";

    tag_t *parts = nullptr;
    int count = 0;
    ASSERT_EQ(kt_get_parts("CATALOG", &parts, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(parts[0], part("P100_moldbase"));
    EXPECT_EQ(parts[1], part("screw_M8"));
    HX_free(parts);
    ASSERT_EQ(kt_get_parts("NOBODY", &parts, &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(parts, nullptr);
}

TEST_F(Assembly, ShortPartNamesAndThePdmSwitch)
{
    char name[KT_NAME_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_part_name(project_.top().c_str(), 0, name), 0);
    EXPECT_STREQ(name, "P100_top");
    ASSERT_EQ(kt_ask_part_name(nullptr, in_cavity(0, 2), name), 0);
    EXPECT_STREQ(name, "P100_cavity") << "an occurrence stands for its part";
    ASSERT_EQ(kt_ask_part_name(nullptr, 0, name), 0);
    EXPECT_STREQ(name, "P100_top") << "0: the work part";
    EXPECT_FALSE(kt_krmgr_is_active());
    vexa::sim::set_pdm_active(true);
    EXPECT_TRUE(kt_krmgr_is_active());
    EXPECT_EQ(kt_ask_part_name("PDM|P100|A|master|", 0, name), 0);
    EXPECT_STREQ(name, "P100");
    EXPECT_EQ(kt_ask_part_name(project_.top().c_str(), 0, name), HX_ERR_BAD_ARGUMENT)
        << "a file name is no PDM name: the decoder's status";
    vexa::sim::fail_call("HX_is_krmanager_active", 1);
    EXPECT_FALSE(kt_krmgr_is_active());
    vexa::sim::set_work_part(0);
    EXPECT_EQ(kt_ask_part_name(nullptr, 0, name), -1);
}

TEST_F(Assembly, ReferenceSetQueries)
{
    char name[KT_REFSET_NAME_BUFFER_SIZE] = "x";
    ASSERT_EQ(CVSTVSHARE_ask_current_refset(in_cavity(0, 1), name), 0);
    EXPECT_STREQ(name, "TRUE");
    ASSERT_EQ(CVSTVSHARE_ask_current_refset(in_cavity(0, 0), name), 0);
    EXPECT_STREQ(name, "None");
    EXPECT_EQ(CVSTVSHARE_ask_current_refset(part("P100_core"), name), -1);
    EXPECT_STREQ(name, "");

    tag_t screw = part("screw_M8");
    tag_t *bodies = nullptr;
    ASSERT_EQ(CVSTVSHARE_ask_objects_in_refset("FALSE", screws_[0], &bodies), 1);
    EXPECT_EQ(bodies[0], named_object(screw, HX_TYPE_SOLID, "POCKET"));
    HX_free(bodies);
    EXPECT_EQ(CVSTVSHARE_ask_objects_in_refset("NONE", screw, &bodies), 0);
    EXPECT_EQ(bodies, nullptr);
    EXPECT_EQ(CVSTVSHARE_ask_objects_in_refset("TRUE", part("P100_prod"), &bodies), 0)
        << "components are no bodies";

    EXPECT_TRUE(CVSTVSHARE_is_object_in_refset(screw, "TRUE", named_object(screw, HX_TYPE_SOLID, "SCREW")));
    EXPECT_FALSE(CVSTVSHARE_is_object_in_refset(screw, "TRUE", named_object(screw, HX_TYPE_SOLID, "POCKET")));
    EXPECT_TRUE(CVSTVSHARE_is_object_in_refset(part("P100_prod"), "TRUE", part("P100_core")))
        << "a member occurrence whose prototype is the object";
    EXPECT_FALSE(CVSTVSHARE_is_object_in_refset(part("P100_prod"), "TRUE", part("P100_shrink")));

    tag_t moldbase = part("P100_moldbase");
    tag_t *in_true = nullptr, *in_false = nullptr;
    int true_count = 0, false_count = 0;
    ASSERT_EQ(
        CVSTVSHARE_get_bodies_in_true_false_refset(moldbase, &in_true, &true_count, &in_false, &false_count),
        0);
    ASSERT_EQ(true_count, 2);
    EXPECT_EQ(name_of(in_true[0]), "A_PLATE");
    EXPECT_EQ(name_of(in_true[1]), "B_PLATE");
    ASSERT_EQ(false_count, 1);
    EXPECT_EQ(name_of(in_false[0]), "POCKET_1");
    HX_free(in_true);
    HX_free(in_false);
}

TEST_F(Assembly, ReplacingAReferenceSetWorksInTheParentAndRestoresTheWorkPart)
{
    tag_t core = in_cavity(1, 1);
    long work_changes = vexa::sim::call_count("HX_ASSEM_set_work_part") +
                        vexa::sim::call_count("HX_ASSEM_set_work_occurrence");
    EXPECT_EQ(kt_assem_replace_refset(core, "TRUE"), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_ASSEM_set_work_part") +
                  vexa::sim::call_count("HX_ASSEM_set_work_occurrence"),
              work_changes)
        << "the name in use returns at once";
    EXPECT_EQ(kt_assem_replace_refset(core, "MISSING"), 0);
    char name[KT_REFSET_NAME_BUFFER_SIZE];
    CVSTVSHARE_ask_current_refset(core, name);
    EXPECT_STREQ(name, "TRUE") << "a name the part lacks changes nothing";

    EXPECT_EQ(kt_assem_replace_refset(core, ""), 0);
    CVSTVSHARE_ask_current_refset(core, name);
    EXPECT_STREQ(name, "None");
    EXPECT_EQ(kt_assem_replace_refset(core, ""), 0);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), top_);
    EXPECT_EQ(HX_ASSEM_ask_work_occurrence(), 0u);
    CVSTVSHARE_ask_current_refset(in_cavity(0, 1), name);
    EXPECT_STREQ(name, "None") << "both cavities share the product part's component";

    EXPECT_EQ(CVSTVSHARE_assem_replace_refset(2, core, "TRUE"), 0);
    CVSTVSHARE_ask_current_refset(core, name);
    EXPECT_STREQ(name, "TRUE");

    vexa::sim::set_component_suppressed(HX_ASSEM_ask_inst_of_part_occ(core), true);
    EXPECT_EQ(kt_assem_replace_refset(core, ""), 1) << "a suppressed component";
    EXPECT_EQ(kt_assem_replace_refset(part("P100_core"), ""), -1);
    vexa::sim::set_component_suppressed(HX_ASSEM_ask_inst_of_part_occ(core), false);
    tag_t off = vexa::sim::set_expression(part("P100_prod"), "core_on", 0.001);
    ASSERT_EQ(HX_ASSEM_set_suppression_exp(HX_ASSEM_ask_inst_of_part_occ(core), off), HX_OK);
    EXPECT_EQ(kt_assem_replace_refset(core, ""), 1) << "suppressed by its expression";
}

TEST_F(Assembly, AParentInOtherUnitsIsReachedThroughTheDisplayByTheMouldDesignFormOnly)
{
    tag_t inch = vexa::sim::create_part(project_.file("inch_plate.prt"), vexa::sim::units_english);
    tag_t screw_instance = vexa::sim::add_component(inch, "screw_M8.prt", "BOLT", "TRUE");
    ASSERT_NE(screw_instance, 0u);
    vexa::sim::add_component(part("P100_moldbase"), "inch_plate.prt", "INCH");
    tag_t inch_occ = vexa::sim::occurrence_children(moldbase_).back();
    tag_t bolt = vexa::sim::occurrence_children(inch_occ)[0];

    long switches = vexa::sim::call_count("HX_PART_set_display_part");
    EXPECT_EQ(kt_assem_replace_refset_STV(bolt, "FALSE"), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_PART_set_display_part"), switches)
        << "the progressive-die form never does";
    EXPECT_EQ(kt_assem_replace_refset(bolt, "TRUE"), 0);
    EXPECT_EQ(vexa::sim::call_count("HX_PART_set_display_part"), switches + 2) << "there and back";
    EXPECT_EQ(HX_PART_ask_display_part(), top_);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), top_);
    int on = 0;
    HX_DISP_ask_display(&on);
    EXPECT_EQ(on, 1);
    char name[KT_REFSET_NAME_BUFFER_SIZE];
    CVSTVSHARE_ask_current_refset(bolt, name);
    EXPECT_STREQ(name, "TRUE");
}

TEST_F(Assembly, AFailedUpdateOffersSuppressAndUndo)
{
    tag_t cavity = part("P100_cavity");
    tag_t trim = nth_feature(cavity, 1);
    vexa::sim::fail_feature_update(trim, 670021);
    int option = -1;
    ASSERT_EQ(HX_MODL_set_update_fail_option(HX_UPDATE_FAIL_SUPPRESS), HX_OK);
    tag_t layout = part("P100_layout");
    int mark = kt_set_undo("before the edit");
    ASSERT_NE(mark, 0);
    ASSERT_TRUE(vexa::sim::set_string_attribute(layout, "EDITED", "yes"));

    vexa::sim::push_dialog_answer(std::string("Undo"));
    EXPECT_EQ(KT_MODL_update(mark, "Failed to move the cavity"), 670021);
    const auto &shown = vexa::sim::journal().back();
    EXPECT_EQ(shown.title, "Update Failure");
    EXPECT_EQ(shown.severity, 2);
    EXPECT_EQ(shown.text, "Failed to move the cavity\nIn part: P100_cavity\nFailed feature: TRIM_BODY(2)\n"
                          "Reason: Host error 670021");
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"Suppress", "Undo"}));
    EXPECT_TRUE(vexa::sim::attributes_of(layout).size() == 1) << "undone to the caller's mark";
    HX_MODL_ask_update_fail_option(&option);
    EXPECT_EQ(option, HX_UPDATE_FAIL_SUPPRESS) << "the fail option is as it was";

    vexa::sim::push_dialog_answer(std::string("Suppress"));
    EXPECT_EQ(KT_MODL_update(0, nullptr), 0);
    EXPECT_EQ(vexa::sim::journal().back().buttons, std::vector<std::string>{"Suppress"})
        << "no mark, no undo";
    EXPECT_EQ(vexa::sim::journal().back().text, "In part: P100_cavity\nFailed feature: TRIM_BODY(2)\n"
                                                "Reason: Host error 670021");
    int suppressed = 0;
    HX_MODL_ask_suppress_state(trim, &suppressed);
    EXPECT_EQ(suppressed, 1);
    EXPECT_EQ(KT_MODL_update(0, "unused"), 0) << "a good update shows nothing";
    EXPECT_EQ(dialogs().size(), 2u);

    tag_t block = nth_feature(cavity, 0);
    vexa::sim::fail_feature_update(block, 670023);
    vexa::sim::push_dialog_close();
    EXPECT_EQ(KT_MODL_update(mark, nullptr), 670023) << "a closed dialog neither undoes nor suppresses";
    HX_MODL_ask_suppress_state(block, &suppressed);
    EXPECT_EQ(suppressed, 0);
}

TEST_F(Assembly, TrimmedFeaturesAreSuppressedThroughTheSplitExpressions)
{
    tag_t cavity = part("P100_cavity"), shrink = part("P100_shrink");
    tag_t trim = nth_feature(cavity, 1);
    for (int n = 0; n < 3; ++n)
        ASSERT_EQ(kt_set_trim_feat_supp(trim, true), 0);
    std::vector<std::string> texts;
    int count = 0;
    tag_t *expressions = nullptr;
    ASSERT_EQ(HX_MODL_ask_exps_of_part(cavity, &count, &expressions), HX_OK);
    for (int i = 0; i < count; ++i) {
        char *text = nullptr;
        HX_MODL_ask_exp_tag_string(expressions[i], &text);
        texts.emplace_back(text);
        HX_free(text);
    }
    HX_free(expressions);
    EXPECT_EQ(texts, (std::vector<std::string>{"trim_supp_cav=P100_shrink::split_cavity_supp",
                                               "trim_supp_cav1=P100_shrink::split_cavity_supp",
                                               "trim_supp_cav2=P100_shrink::split_cavity_supp"}));
    EXPECT_EQ(HX_ASSEM_ask_work_part(), top_) << "the work part is restored";
    for (int mark = 1; mark <= 6; ++mark)
        EXPECT_EQ(HX_UNDO_delete_mark(mark), HX_ERR_NOT_FOUND) << "each call's undo marks are gone";

    tag_t split = 0;
    HX_MODL_ask_exp_tag(shrink, "split_cavity_supp", &split);
    ASSERT_EQ(HX_MODL_edit_exp(split, "split_cavity_supp=0"), HX_OK);
    ASSERT_EQ(HX_MODL_update(), HX_OK);
    int suppressed = 0;
    HX_MODL_ask_suppress_state(trim, &suppressed);
    EXPECT_EQ(suppressed, 1) << "the parting part's switch now suppresses the trim";

    tag_t core_trim = nth_feature(part("P100_core"), 1);
    ASSERT_EQ(kt_set_trim_feat_supp(core_trim, false), 0);
    tag_t core_exp = 0;
    HX_MODL_ask_exp_tag(part("P100_core"), "trim_supp_core", &core_exp);
    EXPECT_NE(core_exp, 0u);

    EXPECT_EQ(kt_set_trim_feat_supp(0, true), -1);
    HX_MODL_delete_exp(core_exp); // in use by the feature: stays
    tag_t split_core = 0;
    HX_MODL_ask_exp_tag(shrink, "split_core_supp", &split_core);
    ASSERT_EQ(HX_ATTR_delete(shrink, HX_ATTR_ANY, "KT_SHRINKAGE"), HX_OK);
    EXPECT_EQ(kt_set_trim_feat_supp(trim, true), -1);
    EXPECT_EQ(message_boxes().back(), "No Parting-Part was found");
}

TEST_F(Assembly, AMissingSplitExpressionIsNamed)
{
    tag_t shrink = vexa::sim::create_part(project_.file("other_shrink.prt"));
    vexa::sim::set_string_attribute(part("P100_shrink"), "KT_SHRINKAGE_OLD", "");
    HX_ATTR_delete(part("P100_shrink"), HX_ATTR_ANY, "KT_SHRINKAGE");
    vexa::sim::set_string_attribute(shrink, "KT_SHRINKAGE", "");
    vexa::sim::add_component(part("P100_prod"), "other_shrink.prt", "SHRINK2");
    vexa::sim::set_expression(shrink, "split_cavity_supp", 1);
    EXPECT_EQ(kt_set_trim_feat_supp(nth_feature(part("P100_cavity"), 1), true), -1);
    EXPECT_EQ(message_boxes().back(), "No <split_core_supp> expression name was found");
}

TEST_F(Assembly, PocketLinksAreRelinkedAndLeadBackToTheirSource)
{
    tag_t moldbase = part("P100_moldbase"), screw = part("screw_M8");
    tag_t link = nth_feature(moldbase, 2);
    tag_t pocket = named_object(screw, HX_TYPE_SOLID, "POCKET");
    tag_t target = 0;
    ASSERT_EQ(kt_ask_target_occ(link, screws_[0], &target), 0)
        << "the stored link leads from the first screw";
    EXPECT_EQ(target, moldbase_);
    EXPECT_EQ(kt_ask_target_occ(link, screws_[1], &target), -1);

    ASSERT_EQ(CV_relink_pocket_link_feature(pocket, 1, &link, screws_[1], &moldbase_), 0);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), top_);
    ASSERT_EQ(kt_ask_target_occ(link, screws_[1], &target), 0);
    EXPECT_EQ(target, moldbase_);
    double box[6];
    ASSERT_EQ(HX_MODL_ask_bounding_box(named_object(moldbase, HX_TYPE_SOLID, "POCKET_1"), box), HX_OK);
    EXPECT_EQ(std::vector<double>(box, box + 6), (std::vector<double>{123, 73, 34, 137, 87, 81}))
        << "the pocket body follows to the second screw";

    tag_t targets[2] = {0, 0};
    tag_t links[2] = {link, link};
    int found = 0;
    ASSERT_EQ(CV_get_target_occ(links, 2, screws_[1], targets, &found), 0);
    EXPECT_EQ(found, 2);
    EXPECT_EQ(targets[1], moldbase_);
    EXPECT_EQ(CV_get_target_occ(links, 2, screws_[0], targets, &found), -1);
    EXPECT_EQ(CV_relink_pocket_link_feature(0, 1, &link, screws_[1], &moldbase_), -1);
}

TEST_F(Assembly, SolidInterferenceMakesTheOverlapBodies)
{
    tag_t b_plate = 0, core_body = 0;
    HX_ASSEM_find_occurrence(moldbase_, named_object(part("P100_moldbase"), HX_TYPE_SOLID, "B_PLATE"),
                             &b_plate);
    HX_ASSEM_find_occurrence(in_cavity(0, 1), named_object(part("P100_core"), HX_TYPE_SOLID, "CORE"),
                             &core_body);
    tag_t results[4] = {0, 0, 0, 0};
    ASSERT_EQ(kt_solid_interfere(core_body, b_plate, results), 1);
    double box[6];
    ASSERT_EQ(kt_ask_bounding_box(results[0], box), 0);
    EXPECT_EQ(std::vector<double>(box, box + 6), (std::vector<double>{-110, -35, -20, -10, 35, 6}));
    tag_t dataset = 0;
    HX_CLEAR_find_data_set(top_, "KT_INT_DATASET", &dataset);
    EXPECT_EQ(dataset, 0u) << "the dataset is deleted";

    tag_t screw_body = 0;
    HX_ASSEM_find_occurrence(screws_[1], named_object(part("screw_M8"), HX_TYPE_SOLID, "SCREW"), &screw_body);
    EXPECT_EQ(kt_solid_interfere(core_body, screw_body, results), 0) << "far apart";
    vexa::sim::fail_call("HX_CLEAR_do_analysis", 1);
    EXPECT_EQ(kt_solid_interfere(core_body, b_plate, results), 0);
    vexa::sim::set_work_part(0);
    EXPECT_EQ(kt_solid_interfere(core_body, b_plate, results), 0);
}

TEST_F(Assembly, TheMouldBoxFallsBackToTheAbsoluteBoxWhenTheHostRaises)
{
    tag_t core_body = 0;
    HX_ASSEM_find_occurrence(in_cavity(1, 1), named_object(part("P100_core"), HX_TYPE_SOLID, "CORE"),
                             &core_body);
    double box[6];
    ASSERT_EQ(kt_ask_bounding_box(core_body, box), 0);
    EXPECT_EQ(std::vector<double>(box, box + 6), (std::vector<double>{10, -35, -20, 110, 35, 6}));
    vexa::sim::fail_call("HX_CV_ask_bounding_box", 77);
    double again[6];
    ASSERT_EQ(kt_ask_bounding_box(core_body, again), 0);
    EXPECT_EQ(std::vector<double>(again, again + 6), std::vector<double>(box, box + 6));
    auto log = vexa::sim::texts(Entry::syslog);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "cvstvshare_kt_share, line 3984: mould-design bounding box failed with status 77");
    EXPECT_EQ(kt_ask_bounding_box(top_, box), HX_ERR_WRONG_TYPE)
        << "a part has no box: the fallback's status";
}

TEST_F(Assembly, SmallHelpers)
{
    const double m[16] = {0, -2, 0, 10, 2, 0, 0, 20, 0, 0, 2, 30, 0, 0, 0, 2};
    double inverse[16];
    KT_MXT4_inverse(m, inverse);
    const double expected[16] = {0, 2, 0, -20, -2, 0, 0, 10, 0, 0, 2, -30, 0, 0, 0, 1};
    EXPECT_EQ(std::vector<double>(inverse, inverse + 16), std::vector<double>(expected, expected + 16));

    ASSERT_EQ(HX_ASSEM_set_work_part(part("P100_core")), HX_OK);
    tag_t csys = kt_abs_csys();
    ASSERT_NE(csys, 0u);
    tag_t wcs = 0;
    HX_CSYS_ask_wcs(&wcs);
    EXPECT_EQ(wcs, csys);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), part("P100_core")) << "the work part comes back";
    tag_t owner = 0;
    HX_OBJ_ask_owning_part(csys, &owner);
    EXPECT_EQ(owner, top_) << "made in the displayed part";

    EXPECT_EQ(CVSTVSHARE_is_child_of_work_part(part("P100_core")), 1) << "the work part itself";
    HX_ASSEM_set_work_part(top_);
    EXPECT_EQ(CVSTVSHARE_is_child_of_work_part(part("P100_layout")), 1);
    EXPECT_EQ(CVSTVSHARE_is_child_of_work_part(part("P100_prod")), 0) << "a grandchild";
    HX_ASSEM_set_work_occurrence(layout_);
    EXPECT_EQ(CVSTVSHARE_is_child_of_work_part(part("P100_prod")), 1);

    tag_t group = 0;
    EXPECT_EQ(
        cv_group_ask_group_of_tag(named_object(part("P100_moldbase"), HX_TYPE_SOLID, "A_PLATE"), &group), 0);
    EXPECT_EQ(name_of(group), "PLATES");
    EXPECT_EQ(cv_group_ask_group_of_tag(named_object(part("screw_M8"), HX_TYPE_SOLID, "SCREW"), &group), 0);
    EXPECT_EQ(group, 0u);
    EXPECT_EQ(cv_group_ask_group_of_tag(0, &group), -1);

    EXPECT_TRUE(OM_is_subclass(HX_TYPE_SOLID, HX_TYPE_SOLID));
    EXPECT_TRUE(OM_is_subclass(HX_TYPE_SOLID, 0));
    EXPECT_FALSE(OM_is_subclass(HX_TYPE_SOLID, HX_TYPE_FEATURE));
    CVSTVSHARE_show_work_text();
    EXPECT_EQ(vexa::sim::texts(Entry::status).back(), "Work Part: P100_layout");
    EXPECT_EQ(CVSTVSHARE_zolt_load_parents(1), 0) << "the customer default is not 1";
    vexa::sim::set_work_part(0);
    EXPECT_EQ(CVSTVSHARE_zolt_load_parents(1), -1);
}

TEST_F(Assembly, FailingHostCallsAndAllocationsLeaveNothingBehind)
{
    // Every query, with each of the host calls it leans on failing: a status
    // or an empty answer, never a crash, never a live block.
    auto lists_and_arrays = [&] {
        char **list = nullptr;
        kt_ask_prod_part_list(&list);
        kt_free_str_list(&list);
        tag_t *tags = nullptr;
        int count = 0;
        kt_get_parts("CATALOG", &tags, &count);
        HX_free(tags);
        kt_ask_child_occ(top_, nullptr, &tags);
        kt_free_child_occ(&tags);
    };
    const char *calls[] = {"HX_ATTR_read_value",
                           "HX_PART_ask_part_name",
                           "HX_ASSEM_ask_part_occ_children",
                           "HX_ASSEM_ask_prototype_of_occ",
                           "HX_ATTR_ask_part_attrs_in_file",
                           "HX_RSET_ask_members",
                           "HX_OBJ_cycle_objs_in_part",
                           "HX_UNDO_set_mark",
                           "HX_MODL_update",
                           "HX_UI_message_dialog",
                           "HX_ASSEM_ask_occs_of_part",
                           "HX_TOOL_file_name_of_display_name"};
    for (const char *call : calls) {
        SCOPED_TRACE(call);
        vexa::sim::fail_call(call, HX_ERR_INTERNAL);
        char name[KT_NAME_BUFFER_SIZE], value[KT_NAME_BUFFER_SIZE];
        kt_ask_attr_part("KT_PROD", name, value);
        lists_and_arrays();
        tag_t product = 0, reserved = 0;
        kt_ask_prod_part_tag(false, &product, &reserved);
        kt_set_trim_feat_supp(nth_feature(part("P100_cavity"), 1), true);
        vexa::sim::clear_call_failures();
    }
    for (long n = 0; n < 40; ++n) {
        vexa::sim::fail_allocations_after(n);
        lists_and_arrays();
        tag_t *a = nullptr, *b = nullptr;
        int na = 0, nb = 0;
        CVSTVSHARE_get_bodies_in_true_false_refset(part("P100_moldbase"), &a, &na, &b, &nb);
        HX_free(a);
        HX_free(b);
        vexa::sim::fail_allocations_after(-1);
    }
}

TEST_F(Assembly, UnknownTagsAnswerTheDocumentedFailure)
{
    const tag_t unknown = 0xFFFFFFu;
    char text[KT_NAME_BUFFER_SIZE];
    tag_t tag = 0, *tags = nullptr;
    int a = 0, b = 0;
    double box[6];
    EXPECT_EQ(kt_ask_attr(unknown, "KT_TOP", nullptr), -1);
    EXPECT_EQ(kt_attr_assign(unknown, "KT_TOP", "%s", "x"), HX_ERR_NOT_FOUND) << "the host's status";
    EXPECT_EQ(kt_ask_attr_body1(unknown, "KT_TOP", text, &tag), -1);
    EXPECT_EQ(kt_assem_ask_parent_occ(unknown), 0u);
    EXPECT_EQ(kt_ask_attr_parent(unknown, "KT_TOP"), 0u);
    EXPECT_EQ(kt_ask_part_name(nullptr, unknown, text), -1);
    EXPECT_EQ(CVSTVSHARE_ask_current_refset(unknown, text), -1);
    EXPECT_EQ(CVSTVSHARE_ask_objects_in_refset("TRUE", unknown, &tags), 0);
    EXPECT_FALSE(CVSTVSHARE_is_object_in_refset(unknown, "TRUE", top_));
    EXPECT_EQ(CVSTVSHARE_get_bodies_in_true_false_refset(unknown, &tags, &a, &tags, &b), -1);
    EXPECT_EQ(CVSTVSHARE_is_child_of_work_part(unknown), 0);
    EXPECT_EQ(kt_assem_replace_refset(unknown, ""), -1);
    EXPECT_EQ(kt_set_trim_feat_supp(unknown, true), -1);
    EXPECT_EQ(kt_ask_target_occ(unknown, root_, &tag), -1);
    EXPECT_EQ(kt_solid_interfere(unknown, unknown, &tag), 0);
    EXPECT_EQ(kt_ask_bounding_box(unknown, box), HX_ERR_NOT_FOUND);
    EXPECT_EQ(kt_ask_child_occ(unknown, nullptr, &tags), 0);
    EXPECT_EQ(tags, nullptr);
    EXPECT_EQ(CV_relink_pocket_link_feature(top_, 1, &unknown, root_, &root_), HX_ERR_NOT_FOUND);
    EXPECT_EQ(cv_group_ask_group_of_tag(unknown, &tag), HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), top_) << "nothing moved the work part";
}
