// The headless host's part model over the example project: occurrence
// trees and transforms, components and reference sets, transformations
// between occurrences, typed attributes, expressions, undo marks and the
// update, boxes and clearance, PDM names.
#include "project_test.h"

#include "hx_assem.h"
#include "hx_attr.h"
#include "hx_memory.h"
#include "hx_model.h"
#include "hx_objects.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<tag_t> take(tag_t *array, int count)
{
    std::vector<tag_t> out(array, array + count);
    HX_free(array);
    return out;
}

std::vector<tag_t> children(tag_t occurrence)
{
    int count = 0;
    tag_t *array = nullptr;
    EXPECT_EQ(HX_ASSEM_ask_part_occ_children(occurrence, &count, &array), HX_OK);
    return take(array, count);
}

std::string name_of(tag_t tag)
{
    char name[HX_OBJ_NAME_SIZE + 1] = "";
    HX_OBJ_ask_name(tag, name);
    return name;
}

tag_t body_named(tag_t part, const std::string &name)
{
    tag_t object = 0;
    while (HX_OBJ_cycle_objs_in_part(part, HX_TYPE_SOLID, &object) == HX_OK && object != 0)
        if (name_of(object) == name)
            return object;
    return 0;
}

std::array<double, 6> box_of(tag_t object)
{
    std::array<double, 6> box{};
    EXPECT_EQ(HX_MODL_ask_bounding_box(object, box.data()), HX_OK);
    return box;
}

double value_of(tag_t part, const char *expression)
{
    tag_t e = 0;
    double v = -1;
    HX_MODL_ask_exp_tag(part, expression, &e);
    HX_MODL_ask_exp_value(e, &v);
    return v;
}

class PartModel : public ProjectTest {
  protected:
    void SetUp() override { ProjectTest::SetUp(); }
};

} // namespace

TEST_F(PartModel, OccurrencesFollowTheComponentsAndCarryTheirPlacement)
{
    tag_t root = HX_ASSEM_ask_root_part_occ(top_);
    EXPECT_EQ(HX_ASSEM_ask_prototype_of_occ(root), top_);
    auto level1 = children(root);
    ASSERT_EQ(level1.size(), 2u);
    EXPECT_EQ(name_of(level1[0]), "LAYOUT");
    auto cavities = children(level1[0]);
    ASSERT_EQ(cavities.size(), 2u);
    EXPECT_EQ(HX_ASSEM_ask_prototype_of_occ(cavities[0]), part("P100_prod"));
    EXPECT_EQ(HX_ASSEM_ask_prototype_of_occ(cavities[1]), part("P100_prod"));
    EXPECT_EQ(HX_ASSEM_ask_parent_part_occ(cavities[1]), level1[0]);
    int type = 0, subtype = 0;
    HX_OBJ_ask_type_and_subtype(cavities[0], &type, &subtype);
    EXPECT_EQ(type, HX_TYPE_COMPONENT);
    EXPECT_EQ(subtype, HX_SUBTYPE_PART_OCCURRENCE);
    EXPECT_EQ(children(root), level1) << "occurrences keep their tags";

    int count = 0;
    tag_t *array = nullptr;
    ASSERT_EQ(HX_ASSEM_ask_occs_of_part(top_, part("P100_core"), &count, &array), HX_OK);
    auto cores = take(array, count);
    ASSERT_EQ(cores.size(), 2u);
    ASSERT_EQ(HX_ASSEM_ask_occ_children(root, HX_ASSEM_ALL_DESCENDANTS, &count, &array), HX_OK);
    EXPECT_EQ(take(array, count).size(), 12u)
        << "layout, 2 x (prod, shrink, core, cavity), moldbase, 2 screws";

    // The core body through each cavity: the second cavity is turned half
    // round about z, so x and y change sides.
    tag_t core_body = body_named(part("P100_core"), "CORE");
    tag_t first = 0, second = 0;
    ASSERT_EQ(HX_ASSEM_find_occurrence(cores[0], core_body, &first), HX_OK);
    ASSERT_EQ(HX_ASSEM_find_occurrence(cores[1], core_body, &second), HX_OK);
    EXPECT_EQ(box_of(core_body), (std::array<double, 6>{-50, -35, -20, 50, 35, 6}));
    EXPECT_EQ(box_of(first), (std::array<double, 6>{-110, -35, -20, -10, 35, 6}));
    EXPECT_EQ(box_of(second), (std::array<double, 6>{10, -35, -20, 110, 35, 6}));
    EXPECT_EQ(HX_ASSEM_ask_prototype_of_occ(second), core_body);
    double matrix[16];
    ASSERT_EQ(HX_ASSEM_ask_transform_of_occ(cavities[1], matrix), HX_OK);
    EXPECT_EQ(matrix[0], -1.0);
    EXPECT_EQ(matrix[3], 60.0);
    EXPECT_EQ(matrix[15], 1.0);
}

TEST_F(PartModel, TheWorkOccurrenceIsThePartsPlaceInTheDisplayedAssembly)
{
    EXPECT_EQ(HX_PART_ask_display_part(), top_);
    EXPECT_EQ(HX_ASSEM_ask_work_occurrence(), 0u) << "none while the displayed part is the work part";
    tag_t shrink = part("P100_shrink");
    ASSERT_EQ(HX_ASSEM_set_work_part(shrink), HX_OK);
    tag_t occ = HX_ASSEM_ask_work_occurrence();
    ASSERT_NE(occ, 0u);
    EXPECT_EQ(HX_ASSEM_ask_prototype_of_occ(occ), shrink) << "the first of its two occurrences";
    auto cavities = children(children(HX_ASSEM_ask_root_part_occ(top_))[0]);
    tag_t second_shrink = children(cavities[1])[0];
    ASSERT_EQ(HX_ASSEM_set_work_occurrence(second_shrink), HX_OK);
    EXPECT_EQ(HX_ASSEM_ask_work_occurrence(), second_shrink);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), shrink);
    EXPECT_EQ(HX_ASSEM_set_work_occurrence(HX_ASSEM_ask_root_part_occ(shrink)), HX_ERR_NOT_FOUND)
        << "an occurrence of another assembly is not in the displayed one";
    ASSERT_EQ(HX_PART_set_display_part(shrink), HX_OK);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), shrink) << "the displayed part becomes the work part";
    EXPECT_EQ(HX_ASSEM_ask_work_occurrence(), 0u);
}

TEST_F(PartModel, ComponentsAreAddedToTheWorkPartAndUseReferenceSets)
{
    tag_t prod = part("P100_prod");
    tag_t instance = 0;
    HX_PART_load_status_t status{};
    const double origin[3] = {5, 0, 0}, orientation[6] = {1, 0, 0, 0, 1, 0};
    EXPECT_EQ(HX_ASSEM_add_part_to_assembly(prod, "screw_M8.prt", "TRUE", "BOLT", origin, orientation, -1,
                                            &instance, &status),
              HX_ERR_NOT_IN_WORK_PART);
    ASSERT_EQ(HX_ASSEM_set_work_part(prod), HX_OK);
    EXPECT_EQ(HX_ASSEM_add_part_to_assembly(prod, "screw_M8.prt", "NOPE", "BOLT", origin, orientation, -1,
                                            &instance, &status),
              HX_ERR_NOT_FOUND);
    ASSERT_EQ(HX_ASSEM_add_part_to_assembly(prod, "screw_M8.prt", "TRUE", "BOLT", origin, orientation, -1,
                                            &instance, &status),
              HX_OK);
    EXPECT_EQ(status.n_parts, 0);
    HX_ASSEM_component_t data{};
    ASSERT_EQ(HX_ASSEM_ask_component_data(instance, &data), HX_OK);
    EXPECT_STREQ(data.name, "BOLT");
    EXPECT_STREQ(data.refset, "TRUE");
    EXPECT_EQ(data.part_name, project_.file("screw_M8.prt"));
    EXPECT_EQ(children(children(children(HX_ASSEM_ask_root_part_occ(top_))[0])[1]).size(), 4u)
        << "every occurrence of the product shows the new component";

    EXPECT_EQ(HX_ASSEM_replace_refset(1, &instance, "FALSE"), HX_OK);
    char name[HX_OBJ_NAME_SIZE + 1];
    HX_ASSEM_ask_refset_name(instance, name);
    EXPECT_STREQ(name, "FALSE");
    EXPECT_EQ(HX_ASSEM_replace_refset(1, &instance, "MISSING"), HX_ERR_NOT_FOUND);
    ASSERT_EQ(HX_ASSEM_replace_refset(1, &instance, ""), HX_OK);
    HX_ASSEM_ask_refset_name(instance, name);
    EXPECT_STREQ(name, HX_REFSET_NONE);

    // Reference-set members: objects, and components answered as occurrences.
    tag_t refset = 0;
    while (HX_OBJ_cycle_objs_in_part(prod, HX_TYPE_REFERENCE_SET, &refset) == HX_OK && refset != 0 &&
           name_of(refset) != "TRUE") {
    }
    int count = 0;
    tag_t *members = nullptr;
    ASSERT_EQ(HX_RSET_ask_members(refset, &count, &members), HX_OK);
    auto listed = take(members, count);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(HX_ASSEM_ask_prototype_of_occ(listed[0]), part("P100_core"));
    ASSERT_EQ(HX_RSET_ask_refsets_of_object(instance, &count, &members), HX_OK);
    EXPECT_EQ(count, 0);
    ASSERT_EQ(HX_RSET_add_members(refset, 1, &instance), HX_OK);
    ASSERT_EQ(HX_RSET_ask_refsets_of_object(instance, &count, &members), HX_OK);
    EXPECT_EQ(take(members, count), std::vector<tag_t>{refset});
}

TEST_F(PartModel, ATransformationBetweenOccurrencesLeadsBackFromEachOccurrenceOfItsPart)
{
    tag_t root = HX_ASSEM_ask_root_part_occ(top_);
    auto cavities = children(children(root)[0]);
    tag_t first_core = children(cavities[0])[1], second_core = children(cavities[1])[1];
    tag_t second_shrink = children(cavities[1])[0];
    ASSERT_EQ(HX_ASSEM_set_work_occurrence(second_core), HX_OK);
    tag_t xform = 0;
    EXPECT_EQ(HX_SO_create_xform_assy_ctxt(second_core, second_shrink, &xform), HX_ERR_NOT_IN_WORK_PART)
        << "the target must be an occurrence of the work part";
    ASSERT_EQ(HX_SO_create_xform_assy_ctxt(second_shrink, second_core, &xform), HX_OK);
    tag_t from = 0;
    ASSERT_EQ(HX_SO_ask_assy_ctxt_part_occ(xform, second_core, &from), HX_OK);
    EXPECT_EQ(from, second_shrink);
    ASSERT_EQ(HX_SO_ask_assy_ctxt_part_occ(xform, first_core, &from), HX_OK);
    EXPECT_EQ(from, children(cavities[0])[0])
        << "the same path from the other core leads to the other shrink part";
    double matrix[16];
    ASSERT_EQ(HX_SO_ask_xform_matrix(xform, matrix), HX_OK);
    EXPECT_EQ(matrix[0], 1.0) << "shrink and core sit alike in their product";
    EXPECT_EQ(matrix[3], 0.0);
}

TEST_F(PartModel, AttributesAreTypedAndAPartOccurrenceCarriesItsComponents)
{
    tag_t core = part("P100_core");
    EXPECT_EQ(HX_ATTR_assign_integer(core, "PART_NUMBER", 12), HX_OK);
    EXPECT_EQ(HX_ATTR_assign_real(core, "WEIGHT", 2.5), HX_OK);
    EXPECT_EQ(HX_ATTR_assign_string(core, std::string(HX_ATTR_TITLE_SIZE + 1, 't').c_str(), "x"),
              HX_ERR_TOO_LONG);
    EXPECT_EQ(HX_ATTR_assign_string(core, "LONG", std::string(HX_ATTR_STRING_SIZE + 1, 'v').c_str()),
              HX_ERR_TOO_LONG);
    EXPECT_EQ(HX_ATTR_assign_string(core, "BYTES", "\xff\xfe"), HX_ERR_BAD_ARGUMENT)
        << "part files hold UTF-8";
    EXPECT_EQ(HX_ATTR_assign_string(0xFFFFu, "T", "x"), HX_ERR_NOT_FOUND);
    int type = 0;
    HX_ATTR_find_attribute(core, HX_ATTR_STRING, "PART_NUMBER", &type);
    EXPECT_EQ(type, 0) << "an integer is not found as a string";
    HX_ATTR_find_attribute(core, HX_ATTR_ANY, "PART_NUMBER", &type);
    EXPECT_EQ(type, HX_ATTR_INTEGER);
    EXPECT_EQ(HX_ATTR_assign_string(core, "PART_NUMBER", "13"), HX_OK)
        << "a title is replaced whatever its type";
    HX_ATTR_find_attribute(core, HX_ATTR_ANY, "PART_NUMBER", &type);
    EXPECT_EQ(type, HX_ATTR_STRING);

    int index = 0, seen = 0;
    char title[HX_ATTR_TITLE_SIZE + 1];
    HX_ATTR_value_t value{};
    std::vector<std::string> titles;
    do {
        ASSERT_EQ(HX_ATTR_cycle(core, &index, HX_ATTR_ANY, title, &value), HX_OK);
        if (index != 0) {
            titles.emplace_back(title);
            if (value.type == HX_ATTR_STRING)
                HX_free(value.value.string);
        }
    } while (index != 0 && ++seen < 10);
    EXPECT_EQ(titles, (std::vector<std::string>{"SIDE", "PART_NUMBER", "WEIGHT"}))
        << "in the order first assigned";

    tag_t core_occurrence = children(children(children(HX_ASSEM_ask_root_part_occ(top_))[0])[0])[1];
    ASSERT_EQ(HX_ATTR_assign_string(core_occurrence, "KT_SHRINKAGE_KEEP", "1"), HX_OK);
    HX_ASSEM_component_t data{};
    HX_ASSEM_ask_component_data(core_occurrence, &data);
    tag_t instance = HX_ASSEM_ask_inst_of_part_occ(core_occurrence);
    HX_ATTR_find_attribute(instance, HX_ATTR_STRING, "KT_SHRINKAGE_KEEP", &type);
    EXPECT_EQ(type, HX_ATTR_STRING) << "the component holds it";
    HX_ATTR_find_attribute(core, HX_ATTR_STRING, "KT_SHRINKAGE_KEEP", &type);
    EXPECT_EQ(type, 0) << "not its part";
}

TEST_F(PartModel, ExpressionsEvaluateFormulasAndReferencesIntoOtherParts)
{
    tag_t layout = part("P100_layout"), shrink = part("P100_shrink");
    EXPECT_EQ(value_of(layout, "cavity_offset"), 60.0);
    ASSERT_EQ(HX_ASSEM_set_work_part(layout), HX_OK);
    tag_t e = 0;
    ASSERT_EQ(HX_MODL_create_exp_tag("gap = P100_shrink::shrink * 2 - max(1, cavity_pitch / 100)", &e),
              HX_OK);
    EXPECT_DOUBLE_EQ(value_of(layout, "gap"), 1.006 * 2 - 1.2);
    ASSERT_EQ(HX_MODL_create_exp_tag("quoted=\"P100_shrink\"::split_core_supp + 1", &e), HX_OK);
    EXPECT_EQ(value_of(layout, "quoted"), 2.0);
    EXPECT_EQ(HX_MODL_create_exp_tag("gap=1", &e), HX_ERR_EXISTS);
    EXPECT_EQ(HX_MODL_create_exp_tag("bad=1+", &e), HX_ERR_EXPRESSION);
    EXPECT_EQ(HX_MODL_create_exp_tag("1x=1", &e), HX_ERR_EXPRESSION);
    EXPECT_EQ(HX_MODL_create_exp_tag("div=1/0", &e), HX_ERR_EXPRESSION);
    EXPECT_EQ(HX_MODL_create_exp_tag("missing=nowhere::x", &e), HX_OK) << "a part not loaded keeps the value";
    std::string deep = "deep=" + std::string(100, '(') + "1" + std::string(100, ')');
    EXPECT_EQ(HX_MODL_create_exp_tag(deep.c_str(), &e), HX_ERR_EXPRESSION) << "nesting is bounded";

    tag_t pitch = 0;
    HX_MODL_ask_exp_tag(layout, "cavity_pitch", &pitch);
    EXPECT_EQ(HX_MODL_edit_exp(pitch, "cavity_pitch=cavity_offset*2"), HX_ERR_CYCLE) << "a circle is refused";
    EXPECT_EQ(HX_MODL_edit_exp(pitch, "cavity_pitch=140"), HX_OK);
    EXPECT_EQ(value_of(layout, "cavity_offset"), 60.0) << "dependants follow at the next update";
    ASSERT_EQ(HX_MODL_update(), HX_OK);
    EXPECT_EQ(value_of(layout, "cavity_offset"), 70.0);
    EXPECT_EQ(HX_MODL_delete_exp(pitch), HX_ERR_EXPRESSION) << "an expression in use stays";

    char *text = nullptr;
    ASSERT_EQ(HX_MODL_ask_exp_tag_string(pitch, &text), HX_OK);
    EXPECT_STREQ(text, "cavity_pitch=140");
    HX_free(text);
    tag_t shrink_value = 0;
    HX_MODL_ask_exp_tag(shrink, "shrink", &shrink_value);
    EXPECT_EQ(HX_MODL_delete_exp(shrink_value), HX_ERR_EXPRESSION) << "used from another part";
}

TEST_F(PartModel, UndoPutsTheModelBackUnderTheSameTags)
{
    tag_t core = part("P100_core");
    tag_t body = body_named(core, "CORE");
    int mark = 0;
    ASSERT_EQ(HX_UNDO_set_mark(HX_UNDO_VISIBLE, "before", &mark), HX_OK);
    ASSERT_EQ(HX_OBJ_set_name(body, "RENAMED"), HX_OK);
    ASSERT_EQ(HX_OBJ_delete(body), HX_OK);
    vexa::sim::create_body(core, {0, 0, 0, 1, 1, 1}, "NEW");
    int later = 0;
    ASSERT_EQ(HX_UNDO_set_mark(HX_UNDO_INVISIBLE, nullptr, &later), HX_OK);
    ASSERT_EQ(HX_UNDO_undo_to_mark(mark), HX_OK);
    EXPECT_EQ(name_of(body), "CORE") << "the deleted body is back under its tag";
    EXPECT_EQ(body_named(core, "NEW"), 0u);
    EXPECT_EQ(HX_UNDO_delete_mark(later), HX_ERR_NOT_FOUND) << "later marks go with the undo";
    EXPECT_EQ(HX_UNDO_delete_mark(mark), HX_OK);
    EXPECT_EQ(HX_UNDO_undo_to_mark(mark), HX_ERR_NOT_FOUND);
}

TEST_F(PartModel, TheUpdateFailOptionUndoesOrSuppressesAFailingFeature)
{
    tag_t cavity = part("P100_cavity");
    tag_t trim = 0, block = 0;
    HX_MODL_cycle_feats(cavity, &block);
    trim = block;
    HX_MODL_cycle_feats(cavity, &trim);
    tag_t layout = part("P100_layout");
    tag_t pitch = 0;
    HX_MODL_ask_exp_tag(layout, "cavity_pitch", &pitch);
    ASSERT_EQ(HX_MODL_edit_exp(pitch, "cavity_pitch=200"), HX_OK);
    vexa::sim::fail_feature_update(trim, 670021);

    EXPECT_EQ(HX_MODL_update(), 670021);
    tag_t failed = 0;
    int status = 0;
    HX_MODL_ask_update_failure(&failed, &status);
    EXPECT_EQ(failed, trim);
    EXPECT_EQ(status, 670021);
    EXPECT_EQ(value_of(layout, "cavity_offset"), 60.0) << "the failed update was undone";

    ASSERT_EQ(HX_MODL_set_update_fail_option(HX_UPDATE_FAIL_SUPPRESS), HX_OK);
    EXPECT_EQ(HX_MODL_update(), HX_OK);
    int suppressed = 0;
    HX_MODL_ask_suppress_state(trim, &suppressed);
    EXPECT_EQ(suppressed, 1);
    EXPECT_EQ(value_of(layout, "cavity_offset"), 100.0);
    EXPECT_EQ(HX_MODL_set_update_fail_option(2), HX_ERR_BAD_ARGUMENT);

    // A feature suppressed by an expression is not updated at all.
    vexa::sim::fail_feature_update(block, 670022);
    tag_t flag = vexa::sim::set_expression(cavity, "use_block", 0.004);
    ASSERT_EQ(HX_MODL_set_suppress_exp(block, flag), HX_OK);
    EXPECT_EQ(HX_MODL_update(), HX_OK);
    HX_MODL_ask_suppress_state(block, &suppressed);
    EXPECT_EQ(suppressed, 1);
}

TEST_F(PartModel, ALinkedBodyFollowsItsSourceAtTheUpdate)
{
    tag_t shrink = part("P100_shrink");
    tag_t linked = 0;
    HX_MODL_cycle_feats(shrink, &linked);
    tag_t source = 0;
    char source_part[HX_MAX_FSPEC_SIZE + 1];
    ASSERT_EQ(HX_ZOLT_ask_link_source(linked, &source, source_part), HX_OK);
    EXPECT_EQ(source, 0u) << "the original product is not loaded";
    EXPECT_STREQ(source_part, "phone_cover");

    HX_PART_load_status_t status{};
    ASSERT_EQ(HX_ZOLT_load_parents(shrink, HX_ZOLT_LOAD_ALL, &status), HX_OK);
    EXPECT_EQ(status.n_parts, 0);
    tag_t cover = part("phone_cover");
    ASSERT_NE(cover, 0u);
    ASSERT_EQ(HX_ZOLT_ask_link_source(linked, &source, source_part), HX_OK);
    EXPECT_EQ(source, body_named(cover, "COVER"));

    vexa::sim::ObjectInfo info;
    ASSERT_TRUE(vexa::sim::object_info(source, info));
    tag_t product_body = body_named(shrink, "PRODUCT");
    ASSERT_EQ(HX_OBJ_delete(source), HX_OK);
    EXPECT_EQ(HX_MODL_update(), HX_ERR_LINK_BROKEN);
    tag_t failed = 0;
    int failure = 0;
    HX_MODL_ask_update_failure(&failed, &failure);
    EXPECT_EQ(failed, linked);
    EXPECT_EQ(box_of(product_body), (std::array<double, 6>{-40, -25, 0, 40, 25, 12}));
}

TEST_F(PartModel, InterferenceIsTheOverlapOfTheBodiesBoxes)
{
    tag_t moldbase = part("P100_moldbase");
    tag_t b_plate = body_named(moldbase, "B_PLATE"), a_plate = body_named(moldbase, "A_PLATE");
    tag_t root = HX_ASSEM_ask_root_part_occ(top_);
    tag_t moldbase_occ = children(root)[1];
    tag_t second_core = children(children(children(root)[0])[1])[1];
    tag_t b_occ = 0, core_occ = 0, a_occ = 0;
    HX_ASSEM_find_occurrence(moldbase_occ, b_plate, &b_occ);
    HX_ASSEM_find_occurrence(moldbase_occ, a_plate, &a_occ);
    HX_ASSEM_find_occurrence(second_core, body_named(part("P100_core"), "CORE"), &core_occ);

    tag_t set = 0;
    ASSERT_EQ(HX_CLEAR_create_data_set("CHECK", &set), HX_OK);
    ASSERT_EQ(HX_CLEAR_set_analysis_mode(set, HX_CLEAR_MODE_SOLIDS), HX_OK);
    const tag_t list[3] = {b_occ, core_occ, a_occ};
    ASSERT_EQ(HX_CLEAR_set_obj_list(set, 1, HX_CLEAR_LIST_OBJECTS, 3, list), HX_OK);
    ASSERT_EQ(HX_CLEAR_set_obj_list(set, 2, HX_CLEAR_LIST_NONE, 0, nullptr), HX_OK);
    ASSERT_EQ(HX_CLEAR_do_analysis(set), HX_OK);
    int count = 0;
    tag_t *found = nullptr;
    ASSERT_EQ(HX_CLEAR_ask_interferences(set, core_occ, b_occ, &count, &found), HX_OK);
    auto solids = take(found, count);
    ASSERT_EQ(solids.size(), 1u);
    tag_t body = 0;
    ASSERT_EQ(HX_CLEAR_ask_interference_body(solids[0], &body), HX_OK);
    EXPECT_EQ(box_of(body), (std::array<double, 6>{10, -35, -20, 110, 35, 6}));
    ASSERT_EQ(HX_CLEAR_ask_interferences(set, a_occ, b_occ, &count, &found), HX_OK);
    auto contacts = take(found, count);
    ASSERT_EQ(contacts.size(), 1u) << "the plates only touch";
    int type = 0, subtype = 0;
    HX_OBJ_ask_type_and_subtype(contacts[0], &type, &subtype);
    EXPECT_EQ(type, HX_TYPE_INTERFERENCE);
    EXPECT_EQ(HX_CLEAR_ask_interference_body(contacts[0], &body), HX_ERR_WRONG_TYPE);
    tag_t again = 0;
    HX_CLEAR_find_data_set(top_, "CHECK", &again);
    EXPECT_EQ(again, set);
    EXPECT_EQ(HX_CLEAR_delete_data_set(set), HX_OK);
    EXPECT_EQ(vexa::sim::kind_of(contacts[0]), vexa::sim::ObjectKind::none) << "results go with the dataset";
}

TEST_F(PartModel, PdmNamesRoundTripAndOpenThroughTheirItems)
{
    char encoded[HX_MAX_FSPEC_SIZE + 1], cli[HX_MAX_FSPEC_SIZE + 1];
    EXPECT_EQ(HX_KRMGR_encode_part_filename("P100", "A", "master", "", encoded), HX_ERR_PDM);
    vexa::sim::set_pdm_active(true);
    ASSERT_EQ(HX_KRMGR_encode_part_filename("P100", "B", "master", "", encoded), HX_OK);
    EXPECT_EQ(std::string(encoded).find('/'), std::string::npos);
    ASSERT_EQ(HX_KRMGR_convert_name_to_cli(encoded, cli), HX_OK);
    EXPECT_STREQ(cli, "@DB/P100/B");
    char back[HX_MAX_FSPEC_SIZE + 1];
    ASSERT_EQ(HX_KRMGR_convert_cli_to_name(cli, back), HX_OK);
    EXPECT_STREQ(back, encoded);
    char number[HX_PDM_NUMBER_SIZE + 1], revision[HX_PDM_REVISION_SIZE + 1], type[HX_PDM_TYPE_SIZE + 1],
        file[HX_PDM_FILE_NAME_SIZE + 1];
    ASSERT_EQ(HX_KRMGR_decode_part_filename(encoded, number, revision, type, file), HX_OK);
    EXPECT_STREQ(number, "P100");
    EXPECT_STREQ(type, "master");
    EXPECT_EQ(HX_KRMGR_decode_part_filename("P100/B", number, revision, type, file), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_KRMGR_encode_part_filename("P1/00", "A", "", "", encoded), HX_ERR_BAD_ARGUMENT);

    vexa::sim::add_pdm_item("P200", "Mould", {"A", "B"}, project_.file("screw_M8.prt"));
    tag_t pdm_part = 0;
    HX_PART_load_status_t status{};
    ASSERT_EQ(HX_PART_open_quiet("@DB/P200/B", &pdm_part, &status), HX_OK);
    char name[HX_MAX_FSPEC_SIZE + 1];
    HX_PART_ask_part_name(pdm_part, name);
    ASSERT_EQ(HX_KRMGR_convert_name_to_cli(name, cli), HX_OK) << "a PDM part is named by its encoded name";
    EXPECT_STREQ(cli, "@DB/P200/B");
    EXPECT_EQ(HX_PART_ask_part_tag("@DB/P200/B"), pdm_part);
    EXPECT_EQ(HX_PART_ask_part_tag("P200"), pdm_part) << "and found by its number";
    EXPECT_EQ(HX_PART_open_quiet("@DB/P200/C", &pdm_part, &status), HX_ERR_NOT_FOUND);
    HX_free(status.file_names[0]);
    HX_free(status.file_names);
    HX_free(status.statuses);
    char latest[HX_PDM_REVISION_SIZE + 1];
    HX_KRMGR_ask_latest_revision("P200", latest);
    EXPECT_STREQ(latest, "B");
    HX_KRMGR_ask_latest_revision("P999", latest);
    EXPECT_STREQ(latest, "");
}

TEST_F(PartModel, LinkedParentsThatCannotBeLoadedAreListed)
{
    tag_t shrink = part("P100_shrink");
    std::filesystem::remove(project_.file("phone_cover.prt"));
    HX_PART_load_status_t status{};
    ASSERT_EQ(HX_ZOLT_load_parents(shrink, HX_ZOLT_LOAD_ALL, &status), HX_OK);
    ASSERT_EQ(status.n_parts, 1);
    EXPECT_EQ(status.file_names[0], project_.file("phone_cover.prt"));
    EXPECT_EQ(status.statuses[0], HX_ERR_NOT_FOUND);
    HX_free(status.file_names[0]);
    HX_free(status.file_names);
    HX_free(status.statuses);
    EXPECT_EQ(HX_ZOLT_load_parents(shrink, 3, &status), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_MODL_update(), HX_OK) << "a link to a part that is not loaded keeps its geometry";
}

TEST_F(PartModel, AReferenceIntoAPartNotLoadedKeepsTheStoredValue)
{
    tag_t layout = part("P100_layout");
    ASSERT_EQ(HX_ASSEM_set_work_part(layout), HX_OK);
    tag_t e = 0;
    ASSERT_EQ(HX_MODL_create_exp_tag("cover_material=phone_cover::thickness + 1", &e), HX_OK);
    EXPECT_EQ(value_of(layout, "cover_material"), 0.0) << "nothing to evaluate yet";
    tag_t cover = vexa::sim::open_part(project_.file("phone_cover.prt")).part;
    vexa::sim::set_expression(cover, "thickness", 2.5);
    ASSERT_EQ(HX_MODL_update(), HX_OK);
    EXPECT_EQ(value_of(layout, "cover_material"), 3.5);
    ASSERT_EQ(vexa::sim::save_part(layout), HX_OK);

    vexa::sim::reset();
    vexa::sim::open_part(project_.file("P100_layout.prt"));
    layout = part("P100_layout");
    ASSERT_EQ(HX_MODL_update(), HX_OK);
    EXPECT_EQ(value_of(layout, "cover_material"), 3.5) << "the value saved with the part is kept";
    tag_t bad = 0;
    HX_MODL_ask_exp_tag(layout, "cover_material", &bad);
    ASSERT_EQ(HX_ASSEM_set_work_part(layout), HX_OK);
    EXPECT_EQ(HX_MODL_edit_exp(bad, "cover_material=phone_cover::thickness + nothing"), HX_ERR_EXPRESSION)
        << "a name of the own part must exist";
    EXPECT_EQ(HX_MODL_edit_exp(bad, "cover_material=cube(2)"), HX_ERR_EXPRESSION) << "unknown function";
    EXPECT_EQ(HX_MODL_edit_exp(bad, "cover_material=1/(phone_cover::thickness - 1)"), HX_OK)
        << "no arithmetic fault is raised from a stand-in value";
    EXPECT_EQ(value_of(layout, "cover_material"), 3.5);
}
