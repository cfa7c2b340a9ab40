// Part attributes and product parts on the example mould project: writes
// limited to 132 characters, reads and the value scanner, parts found by
// title, the project path, the product name and list, and finding, opening
// or re-recording the original product with the user's answer.
#include "project_test.h"

#include "cvstvshare/part_attributes.h"
#include "cvstvshare/startup.h"
#include "cvstvshare/util.h"

#include "hx_assem.h"
#include "hx_attr.h"
#include "hx_memory.h"
#include "hx_model.h"
#include "hx_parts.h"
#include "hx_pdm.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using vexa::sim::Entry;

namespace {

class PartAttributes : public ProjectTest {
  protected:
    void SetUp() override
    {
        ProjectTest::SetUp();
        CVSTWSHARE_set_wizard_type(1);
    }
    std::string string_attr(tag_t object, const char *title)
    {
        char text[KT_ATTR_BUFFER_SIZE] = "";
        return kt_ask_attr(object, title, "%s", text) == 0 ? text : "<none>";
    }
    // The linked product body of the shrink part re-pointed at a copy of the
    // product saved as `name`.
    void link_product_copy(const std::string &name)
    {
        std::filesystem::copy_file(project_.file("phone_cover.prt"), project_.file(name + ".prt"));
        tag_t copy = vexa::sim::open_part(project_.file(name + ".prt")).part;
        tag_t body = 0;
        HX_OBJ_cycle_objs_in_part(copy, HX_TYPE_SOLID, &body);
        tag_t linked = 0;
        HX_MODL_cycle_feats(part("P100_shrink"), &linked);
        ASSERT_EQ(HX_ZOLT_set_link_data(linked, body, 0), HX_OK);
    }
};

} // namespace

TEST_F(PartAttributes, WritesAreStringsOfAtMost132Characters)
{
    const std::string longest(132, 'x');
    EXPECT_EQ(kt_attr_assign(0, "NOTE", "%s", longest.c_str()), 0) << "0 is the work part";
    EXPECT_EQ(string_attr(top_, "NOTE"), longest);
    EXPECT_EQ(kt_attr_assign(top_, "NOTE", "%s%c", longest.c_str(), 'y'), -1);
    EXPECT_EQ(string_attr(top_, "NOTE"), longest) << "a refused value assigns nothing";
    EXPECT_EQ(kt_attr_assign(part("P100_core"), "PART_NUMBER", "%d", 42), 0);
    int type = 0;
    HX_ATTR_find_attribute(part("P100_core"), HX_ATTR_ANY, "PART_NUMBER", &type);
    EXPECT_EQ(type, HX_ATTR_STRING) << "numbers are written as text";

    vexa::sim::fail_call("HX_ATTR_assign_string", HX_ERR_NOT_IN_WORK_PART);
    EXPECT_EQ(kt_attr_assign(top_, "NOTE", "%s", "y"), HX_ERR_NOT_IN_WORK_PART);
    EXPECT_EQ(vexa::sim::texts(Entry::tooling_log),
              std::vector<std::string>{"CV/STV assign attribute error -- Object is not in the work part\n"});
    EXPECT_TRUE(message_boxes().empty()) << "the failure goes to the tooling log only";
    vexa::sim::clear_call_failures();

    vexa::sim::set_work_part(0);
    EXPECT_EQ(kt_attr_assign(0, "NOTE", "%s", "y"), -1) << "no work part";
}

TEST_F(PartAttributes, ReadsTakeStringsOnlyAndScanThemIntoTypedValues)
{
    tag_t screw = part("screw_M8");
    EXPECT_EQ(kt_ask_attr(screw, "LENGTH", nullptr), -1) << "a real attribute is not a string";
    char text[KT_NAME_BUFFER_SIZE];
    ASSERT_EQ(kt_ask_part_str_attr(vexa::sim::part_name(screw).c_str(), "LENGTH", text), 0);
    EXPECT_STREQ(text, "45.000000");

    ASSERT_EQ(kt_attr_assign(screw, "SIZE", "%s", "10, 2.5 mm"), 0);
    int i = 0;
    double d = 0;
    char word[KT_ATTR_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_attr(screw, "SIZE", "%d,%f %s", &i, &d, word), 0);
    EXPECT_EQ(i, 10);
    EXPECT_EQ(d, 2.5);
    EXPECT_STREQ(word, "mm");
    char whole[KT_ATTR_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_attr(screw, "SIZE", "%s", whole), 0);
    EXPECT_STREQ(whole, "10, 2.5 mm") << "\"%s\" alone keeps blanks and commas";
    int skipped = -1, last = -1;
    ASSERT_EQ(kt_ask_part_attr(vexa::sim::part_name(screw).c_str(), "SIZE", "%x%d%d", &skipped, &last, &i),
              0);
    EXPECT_EQ(skipped, -1) << "an unknown letter skips a token and a pointer";
    EXPECT_EQ(last, 2) << "\"2.5\" read as an integer";

    tag_t core_occurrence = vexa::sim::occurrence_children(vexa::sim::occurrence_children(
        vexa::sim::occurrence_children(HX_ASSEM_ask_root_part_occ(top_))[0])[0])[1];
    EXPECT_EQ(kt_ask_attr(core_occurrence, "SIDE", "%s", whole), 0)
        << "an occurrence stands for its prototype";
    EXPECT_STREQ(whole, "core");
}

TEST_F(PartAttributes, APartThatIsNotLoadedIsReadFromItsFile)
{
    char text[KT_NAME_BUFFER_SIZE] = "untouched";
    std::string cover = project_.file("phone_cover.prt");
    ASSERT_EQ(kt_ask_part_str_attr(cover.c_str(), "MATERIAL", text), 0);
    EXPECT_STREQ(text, "PC/ABS");
    EXPECT_EQ(HX_PART_ask_part_tag(cover.c_str()), 0u) << "read without loading";
    EXPECT_EQ(kt_ask_part_str_attr(cover.c_str(), "KT_TOP", text), -1);
    EXPECT_EQ(kt_ask_part_str_attr(project_.file("none.prt").c_str(), "MATERIAL", text), -1);
    ASSERT_EQ(kt_ask_part_str_attr(nullptr, "PART_NUMBER", text), 0) << "null: the work part";
    EXPECT_STREQ(text, "7");
    EXPECT_EQ(kt_ask_part_str_attr(nullptr, "NOWHERE", text), -1);
}

TEST_F(PartAttributes, TheFirstBodyCarryingATitleIsFound)
{
    tag_t core = part("P100_core");
    char text[KT_ATTR_BUFFER_SIZE] = "x";
    tag_t body = 1;
    EXPECT_EQ(kt_ask_attr_body1(core, "KT_PROD", text, &body), -1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(body, 0u);
    tag_t core_body = 0;
    HX_OBJ_cycle_objs_in_part(core, HX_TYPE_SOLID, &core_body);
    ASSERT_EQ(kt_attr_assign(core_body, "KT_PROD", "%s", "1"), 0);
    ASSERT_EQ(kt_ask_attr_body1(core, "KT_PROD", text, &body), 0);
    EXPECT_EQ(body, core_body);
    EXPECT_STREQ(text, "1");
    EXPECT_EQ(kt_ask_attr_body1(0, "KT_PROD", text, &body), -1);
    EXPECT_EQ(kt_ask_attr_body("KT_PROD", text, &body), -1) << "the work part (top) has no body";
    HX_ASSEM_set_work_part(core);
    EXPECT_EQ(kt_ask_attr_body("KT_PROD", text, &body), 0);
}

TEST_F(PartAttributes, PartsAreFoundByTitleInLoadOrder)
{
    char name[KT_NAME_BUFFER_SIZE] = "", value[KT_NAME_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_attr_part("KT_PROD", name, value), 0);
    EXPECT_EQ(name, project_.file("P100_prod.prt"));
    EXPECT_STREQ(value, "phone_cover");
    EXPECT_EQ(kt_ask_attr_part("KT_PROD", nullptr, nullptr), 0);
    EXPECT_EQ(kt_ask_attr_part("NOBODY", name, value), -1);

    std::strcpy(name, "untouched");
    EXPECT_EQ(kt_ask_attr_value_part("SIDE", "Cavity", name), -1) << "values compare with case";
    EXPECT_STREQ(name, "untouched");
    ASSERT_EQ(kt_ask_attr_value_part("SIDE", "cavity", name), 0);
    EXPECT_EQ(name, project_.file("P100_cavity.prt"));

    EXPECT_EQ(kt_set_attr_part("KT_SHRINKAGE"), part("P100_shrink"));
    EXPECT_EQ(HX_ASSEM_ask_work_part(), part("P100_shrink")) << "left as the work part";
    vexa::sim::open_part(project_.file("phone_cover.prt"));
    EXPECT_EQ(kt_set_attr_part("MATERIAL"), 0u)
        << "a part outside the displayed assembly is not made the work part";
    vexa::sim::fail_call("HX_ASSEM_set_work_part", 1);
    EXPECT_EQ(kt_set_attr_part("KT_LAYOUT"), 0u);
}

TEST_F(PartAttributes, TheNearestPartWithATitleIsSoughtFromTheWorkComponent)
{
    tag_t core_occurrence = vexa::sim::occurrence_children(vexa::sim::occurrence_children(
        vexa::sim::occurrence_children(HX_ASSEM_ask_root_part_occ(top_))[0])[1])[1];
    ASSERT_EQ(HX_ASSEM_set_work_occurrence(core_occurrence), HX_OK);
    char name[KT_NAME_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_attr_part_sequence("SIDE", name), 0);
    EXPECT_STREQ(name, "P100_core") << "below the work occurrence: the name without directory and type";
    ASSERT_EQ(kt_ask_attr_part_sequence("KT_PROD", name), 0);
    EXPECT_EQ(name, project_.file("P100_prod.prt")) << "the parent of the work component, by full name";
    ASSERT_EQ(kt_ask_attr_part_sequence("KT_TOP", name), 0);
    EXPECT_EQ(name, project_.top()) << "else the first loaded part";
    EXPECT_EQ(kt_ask_attr_part_sequence("NOBODY", name), -1);
}

TEST_F(PartAttributes, TheProjectPathFollowsTheWizardType)
{
    char directory[KT_NAME_BUFFER_SIZE] = "", name[KT_NAME_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_project_path(directory, name), 0);
    EXPECT_EQ(directory, project_.path().string());
    EXPECT_STREQ(name, "phone_cover") << "the value of KT_PROJECT";
    CVSTWSHARE_set_wizard_type(2);
    EXPECT_EQ(kt_ask_project_path(directory, name), -1) << "no STV_PROJECT part";
    CVSTWSHARE_set_wizard_type(4);
    ASSERT_EQ(kt_ask_project_path(nullptr, name), 0);
    EXPECT_STREQ(name, "P100_top") << "the displayed part";
    EXPECT_EQ(kt_ask_proj_unit(), 1);
    ASSERT_EQ(kt_ask_work_part_name(name), 0);
    EXPECT_STREQ(name, "P100_top");
    vexa::sim::set_display_part(0);
    EXPECT_EQ(kt_ask_proj_unit(), -1);
    EXPECT_EQ(kt_ask_project_path(directory, nullptr), HX_ERR_NOT_FOUND);
}

TEST_F(PartAttributes, TheProductNameIsRecordedOnTheTopPartOfTheProject)
{
    char name[KT_NAME_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_prod_part_name(name), 0);
    EXPECT_STREQ(name, "phone_cover");
    ASSERT_EQ(HX_ASSEM_set_work_part(part("P100_core")), HX_OK);
    tag_t work_occurrence = HX_ASSEM_ask_work_occurrence();
    EXPECT_EQ(kt_set_prod_name("cover_v2"), 0);
    EXPECT_EQ(string_attr(top_, "KT_PROD_LIST"), "cover_v2");
    EXPECT_EQ(HX_ASSEM_ask_work_part(), part("P100_core")) << "the work part is restored";
    EXPECT_EQ(HX_ASSEM_ask_work_occurrence(), work_occurrence);
    ASSERT_EQ(kt_ask_prod_part_name(name), 0);
    EXPECT_STREQ(name, "cover_v2");

    CVSTWSHARE_set_wizard_type(3);
    EXPECT_EQ(kt_set_prod_name("x"), -1);
    CVSTWSHARE_set_wizard_type(2);
    EXPECT_EQ(kt_set_prod_name("x"), -1) << "no STV_PROJECT part";
    CVSTWSHARE_set_wizard_type(1);
    EXPECT_EQ(kt_set_prod_name(std::string(133, 'p').c_str()), -1) << "a name that cannot be recorded fails";
}

TEST_F(PartAttributes, PartsBelowTheProductAndTheProductsUnderTheLayout)
{
    char name[KT_NAME_BUFFER_SIZE] = "", value[KT_ATTR_BUFFER_SIZE] = "x";
    ASSERT_EQ(kt_ask_prod_attr_part("CV_MASTER", name, value), 0);
    EXPECT_EQ(name, project_.file("P100_shrink.prt"));
    EXPECT_STREQ(value, "");
    EXPECT_EQ(kt_ask_prod_attr_part("KT_LAYOUT", name, value), -1) << "the layout is not below the product";
    EXPECT_EQ(kt_set_prod_attr_part("KT_SHRINKAGE"), part("P100_shrink"));

    char **list = nullptr;
    ASSERT_EQ(kt_ask_prod_part_list(&list), 1) << "two cavities of one product list it once";
    EXPECT_STREQ(list[0], "phone_cover");
    kt_free_str_list(&list);

    // A second product under the layout.
    tag_t layout = part("P100_layout");
    tag_t other = vexa::sim::create_part(project_.file("P200_prod.prt"));
    vexa::sim::set_string_attribute(other, "KT_PROD", "lens_cap");
    vexa::sim::add_component(layout, "P200_prod.prt", "CAVITY_3");
    ASSERT_EQ(kt_ask_prod_part_list(&list), 2);
    EXPECT_STREQ(list[1], "lens_cap");
    kt_free_str_list(&list);

    vexa::sim::reset();
    list = reinterpret_cast<char **>(&list);
    EXPECT_EQ(kt_ask_prod_part_list(&list), 0);
    EXPECT_EQ(list, nullptr);
}

TEST_F(PartAttributes, TheOriginalProductIsOpenedFromTheProjectDirectory)
{
    tag_t product = 0, reserved = 99;
    ASSERT_EQ(kt_ask_prod_part_tag(true, &product, &reserved), 0);
    EXPECT_EQ(reserved, 0u);
    EXPECT_EQ(product, part("phone_cover"));
    EXPECT_TRUE(dialogs().empty()) << "the linked product is the recorded one";
    tag_t again = 0;
    ASSERT_EQ(kt_ask_prod_part_tag(true, &again, &reserved), 0);
    EXPECT_EQ(again, product) << "a loaded product is answered as it is";
}

TEST_F(PartAttributes, ALinkedProductOtherThanTheRecordedOneIsRecordedOnlyWithConsent)
{
    link_product_copy("cover_v2");
    const std::string question = "The active product part is not recorded in the product part list, \n"
                                 "which will cause some Cavora modules working incorrectly.\n"
                                 "Would you like to insert it into the list?";
    tag_t product = 0, reserved = 0;
    vexa::sim::push_dialog_answer(std::string("No"));
    EXPECT_EQ(kt_ask_prod_part_tag(false, &product, &reserved), -1);
    ASSERT_EQ(vexa::sim::journal().size(), 1u);
    const auto &asked = vexa::sim::journal().back();
    EXPECT_EQ(asked.title, "Set product part");
    EXPECT_EQ(asked.text, question);
    EXPECT_EQ(asked.buttons, (std::vector<std::string>{"Yes ", "No"}));
    EXPECT_EQ(string_attr(top_, "KT_PROD_LIST"), "phone_cover") << "nothing changes without consent";

    vexa::sim::push_dialog_answer(std::string("Yes "));
    ASSERT_EQ(kt_ask_prod_part_tag(false, &product, &reserved), 0);
    EXPECT_EQ(product, part("cover_v2"));
    EXPECT_EQ(string_attr(top_, "KT_PROD_LIST"), "cover_v2");
    EXPECT_EQ(string_attr(top_, "KT_PROJECT"), "cover_v2");
    EXPECT_EQ(string_attr(part("P100_prod"), "KT_PROD"), "cover_v2");
}

TEST_F(PartAttributes, WithoutAProductFileTheUserIsToldOnlyWhenAsked)
{
    std::filesystem::remove(project_.file("phone_cover.prt"));
    tag_t product = 5, reserved = 5;
    EXPECT_EQ(kt_ask_prod_part_tag(false, &product, &reserved), 3);
    EXPECT_EQ(product, 0u);
    EXPECT_TRUE(vexa::sim::journal().empty()) << "silently";
    EXPECT_EQ(kt_ask_prod_part_tag(true, &product, &reserved), 3);
    EXPECT_EQ(dialogs(), std::vector<std::string>{"Open the original product manually"});

    // The original product named by ORG_PART_NAME is the fallback.
    std::filesystem::copy_file(cvstv_test::example_project() / "phone_cover.prt",
                               project_.file("original.prt"));
    ASSERT_EQ(kt_attr_assign(top_, "ORG_PART_NAME", "%s", project_.file("original.prt").c_str()), 0);
    ASSERT_EQ(kt_ask_prod_part_tag(true, &product, &reserved), 0);
    EXPECT_EQ(product, part("original"));

    // A file that cannot be opened.
    vexa::sim::close_part(product);
    cvstv_test::write_text(project_.file("original.prt"), "{ broken");
    vexa::sim::clear_journal();
    EXPECT_EQ(kt_ask_prod_part_tag(true, &product, &reserved), 1);
    EXPECT_EQ(dialogs(), std::vector<std::string>{"Cannot open the original product " +
                                                  project_.file("original.prt") + " ."});
}

TEST_F(PartAttributes, WithThePdmManagerPartsAreNamedByTheirNumbers)
{
    vexa::sim::set_pdm_active(true);
    vexa::sim::add_pdm_item("P300", "Item", {"A"}, project_.file("screw_M8.prt"));
    tag_t screw = vexa::sim::open_part("@DB/P300/A").part;
    ASSERT_NE(screw, 0u);
    char text[KT_NAME_BUFFER_SIZE] = "";
    ASSERT_EQ(kt_ask_part_str_attr(vexa::sim::part_name(screw).c_str(), "CATALOG", text), 0)
        << "an encoded name is found through its command-line form";
    EXPECT_STREQ(text, "SHCS129-M8x45");
    ASSERT_EQ(kt_ask_part_str_attr("P300", "CATALOG", text), 0) << "a loaded PDM part is found by its number";
    EXPECT_EQ(kt_ask_part_str_attr("P301", "CATALOG", text), -1)
        << "a PDM part that is not loaded is not read";
}

TEST_F(PartAttributes, WithThePdmManagerTheOriginalProductIsOpenedByItsNumber)
{
    tag_t linked = 0;
    HX_MODL_cycle_feats(part("P100_shrink"), &linked);
    ASSERT_EQ(HX_OBJ_delete(linked), HX_OK) << "no linked product to compare with";
    ASSERT_EQ(kt_attr_assign(top_, "KT_PROD_LIST", "%s", "P500"), 0);
    vexa::sim::set_pdm_active(true);
    vexa::sim::add_pdm_item("P500", "Item", {"A", "B"}, project_.file("phone_cover.prt"));
    tag_t product = 0, reserved = 0;
    ASSERT_EQ(kt_ask_prod_part_tag(true, &product, &reserved), 0);
    char cli[HX_MAX_FSPEC_SIZE + 1] = "";
    HX_KRMGR_convert_name_to_cli(vexa::sim::part_name(product).c_str(), cli);
    EXPECT_STREQ(cli, "@DB/P500/B") << "opened at its latest revision";

    ASSERT_EQ(kt_attr_assign(top_, "KT_PROD_LIST", "%s", "P600"), 0);
    EXPECT_EQ(kt_ask_prod_part_tag(true, &product, &reserved), 1);
    EXPECT_EQ(product, 0u);
    EXPECT_EQ(dialogs(), std::vector<std::string>{"Cannot open the original product P600."});
}

TEST_F(PartAttributes, WhenTheHostRefusesTheWorkPartTheProductIsRecordedThroughTheDisplay)
{
    tag_t layout_occ = vexa::sim::occurrence_children(HX_ASSEM_ask_root_part_occ(top_))[0];
    ASSERT_EQ(HX_ASSEM_set_work_occurrence(layout_occ), HX_OK);
    vexa::sim::fail_call("HX_ASSEM_set_work_part", HX_ERR_NOT_FOUND, 0, 1);
    EXPECT_EQ(kt_set_prod_name("lens_cap"), 0);
    EXPECT_EQ(string_attr(top_, "KT_PROD_LIST"), "lens_cap");
    EXPECT_EQ(vexa::sim::call_count("HX_PART_set_display_part"), 1) << "the top part made the displayed part";
    EXPECT_EQ(HX_PART_ask_display_part(), top_);
    EXPECT_EQ(HX_ASSEM_ask_work_occurrence(), layout_occ);

    vexa::sim::fail_call("HX_ASSEM_set_work_part", HX_ERR_NOT_FOUND, 0, 1);
    vexa::sim::fail_call("HX_PART_set_display_part", 4711, 0, 1);
    EXPECT_EQ(kt_set_prod_name("other"), 4711) << "the host's status";
    EXPECT_EQ(string_attr(top_, "KT_PROD_LIST"), "lens_cap");
}
