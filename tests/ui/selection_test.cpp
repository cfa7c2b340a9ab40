// Interactive selection and point picks answered by the scripted user, the
// three-button message dialog, object lists, objects found by name and
// text files of strings.
#include "ui_test.h"

#include "cvstvshare/selection.h"
#include "cvstvshare/util.h"
#include "ui/point_pick.h"
#include "util/module_state.h"

#include "hx_cxx.h"
#include "hx_dialogs.h"
#include "hx_lists.h"
#include "hx_memory.h"
#include "hx_objects.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using vexa::sim::Entry;
using vexa::sim::Pick;

class Selection : public UiTest {
  protected:
    void SetUp() override
    {
        UiTest::SetUp();
        part = vexa::sim::create_part("/p/core.prt");
        body = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY, "CORE_BODY");
        face = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_FACE, "TOP_FACE");
    }

    static const vexa::sim::JournalEntry &last(Entry kind)
    {
        static const vexa::sim::JournalEntry none{};
        const auto &j = vexa::sim::journal();
        for (auto it = j.rbegin(); it != j.rend(); ++it)
            if (it->kind == kind)
                return *it;
        ADD_FAILURE() << "no such journal entry";
        return none;
    }

    tag_t part = 0;
    tag_t body = 0;
    tag_t face = 0;
};

TEST_F(Selection, ASingleBodyOrFaceIsPickedBetweenTheHostsBrackets)
{
    tag_t picked = 99;
    vexa::sim::push_selection({face, body});
    EXPECT_EQ(CVSTVSHARE_UI_select_single_body("Select the core body", 1, &picked), 0);
    EXPECT_EQ(picked, body) << "a face cannot be picked where a body is asked";
    EXPECT_EQ(last(Entry::selection).title, "Select Body");
    EXPECT_EQ(last(Entry::selection).text, "Select the core body");
    EXPECT_EQ(last(Entry::selection).objects, std::vector<tag_t>{body});
    EXPECT_EQ(vexa::sim::locked_depth(), 0) << "the locked mode was left again";
    EXPECT_EQ(vexa::sim::call_count("HX_UI_lock_access"), 1);
    EXPECT_FALSE(highlighted(body));

    vexa::sim::push_selection({face}, Pick::by_name);
    EXPECT_EQ(CVSTVSHARE_UI_select_single_face("Pick the top face", &picked), 0);
    EXPECT_EQ(picked, face);
    EXPECT_EQ(last(Entry::selection).response, HX_UI_SEL_PICKED_BY_NAME);
    EXPECT_EQ(vexa::sim::dialog_bracket_depth(), 0);

    vexa::sim::push_selection({body});
    EXPECT_EQ(CVSTVSHARE_UI_select_single_face("Pick a face", &picked), 0);
    EXPECT_EQ(picked, 0u) << "nothing selectable was picked: OK with no face";
}

TEST_F(Selection, BackingOutCancellingOrARefusedBracketGivesMinusOne)
{
    tag_t picked = 99;
    vexa::sim::push_selection_end(Pick::back);
    EXPECT_EQ(CVSTVSHARE_UI_select_single_body("p", 0, &picked), -1);
    EXPECT_EQ(picked, 0u);
    EXPECT_EQ(CVSTVSHARE_UI_select_single_face("p", &picked), -1) << "an unscripted user cancels";
    vexa::sim::fail_call("HX_UI_lock_access", HX_ERR_INTERNAL);
    vexa::sim::push_selection({body});
    EXPECT_EQ(CVSTVSHARE_UI_select_single_body("p", 1, &picked), -1);
    EXPECT_EQ(vexa::sim::pending_answers(), 1u) << "nothing was asked";
    vexa::sim::fail_call("HX_UI_begin_dialog", HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_UI_select_single_face("p", &picked), -1);
    vexa::sim::clear_answers();
    vexa::sim::fail_call("HX_UI_select_objects", HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_UI_select_single_body("p", 0, &picked), -1) << "a host failure is no pick";
    EXPECT_EQ(CVSTVSHARE_UI_select_single_body("p", 0, nullptr), -1);
}

TEST_F(Selection, ObjectsOfAClassComeBackUnhighlighted)
{
    tag_t second = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY);
    tag_t component = vexa::sim::create_object(part, HX_TYPE_COMPONENT, HX_SUBTYPE_PART_OCCURRENCE, "C1");
    tag_t *objects = nullptr;
    vexa::sim::push_selection({body, face, second, body});
    EXPECT_EQ(kt_select_by_class("Bodies", HX_UI_SEL_DETAIL_BODY, HX_UI_SEL_SCOPE_WORK_PART, &objects), 2);
    ASSERT_NE(objects, nullptr);
    EXPECT_EQ((std::vector<tag_t>{objects[0], objects[1]}), (std::vector<tag_t>{body, second}));
    HX_free(objects);
    EXPECT_FALSE(highlighted(body) || highlighted(second));

    tag_t one = 0;
    vexa::sim::push_selection({body, component});
    EXPECT_EQ(kt_select_single("Component", HX_TYPE_COMPONENT, HX_UI_SEL_SCOPE_ANY_IN_ASSEMBLY, &one), 0);
    EXPECT_EQ(one, component);

    vexa::sim::push_selection_end(Pick::back);
    EXPECT_EQ(kt_select_by_class("Bodies", HX_UI_SEL_DETAIL_BODY, 0, &objects), -1);
    vexa::sim::push_selection_end(Pick::cancel);
    EXPECT_EQ(kt_select_single("Bodies", HX_UI_SEL_DETAIL_BODY, 0, &one), -2);
    EXPECT_EQ(one, 0u);
    vexa::sim::push_selection({face});
    EXPECT_EQ(kt_select_by_class("Bodies", HX_UI_SEL_DETAIL_BODY, 0, &objects), 0) << "nothing selectable";
    EXPECT_EQ(objects, nullptr);
    tag_t elsewhere = vexa::sim::create_object(vexa::sim::create_part("/p/cavity.prt"), HX_TYPE_SOLID, 0);
    vexa::sim::push_selection({elsewhere});
    EXPECT_EQ(kt_select_by_class("Bodies", HX_UI_SEL_DETAIL_BODY, HX_UI_SEL_SCOPE_WORK_PART, &objects), 0)
        << "a body of another part lies outside the work part";
    vexa::sim::push_selection({elsewhere});
    EXPECT_EQ(kt_select_by_class("Bodies", HX_UI_SEL_DETAIL_BODY, HX_UI_SEL_SCOPE_ANY_IN_ASSEMBLY, &objects),
              1);
    HX_free(objects);
    EXPECT_EQ(kt_select_by_class("Bodies", HX_UI_SEL_DETAIL_BODY, 7, &objects), -3) << "no such scope";
    vexa::sim::fail_call("HX_UI_select_objects", HX_ERR_INTERNAL);
    EXPECT_EQ(kt_select_single("Bodies", HX_UI_SEL_DETAIL_BODY, 0, &one), -3);
}

TEST_F(Selection, APointIsPickedAndTheConstructionMethodRemembered)
{
    tag_t point = 0;
    double xyz[3] = {-1, -1, -1};
    vexa::sim::push_point(10, 20, 30.5, 4);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Locate the origin", &point, xyz), 0);
    vexa::sim::ObjectInfo info;
    ASSERT_TRUE(vexa::sim::object_info(point, info));
    EXPECT_EQ(info.type, HX_TYPE_POINT);
    EXPECT_EQ(info.part, part);
    EXPECT_EQ(info.geometry, (std::vector<double>{10, 20, 30.5}));
    EXPECT_EQ((std::vector<double>{xyz[0], xyz[1], xyz[2]}), (std::vector<double>{10, 20, 30.5}));
    EXPECT_EQ(last(Entry::point).text, "Locate the origin");
    EXPECT_EQ(last(Entry::point).answer, "10 20 30.5");

    EXPECT_EQ(last(Entry::point).severity, 0) << "the method offered at first";
    vexa::sim::push_point_end(Pick::cancel);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Again", &point, xyz), 1);
    EXPECT_EQ(last(Entry::point).severity, 4) << "the method the user chose last is offered next";
    cvstv::reset_module_state();
    CVSTVSHARE_pick_point(1, "Again", &point, xyz);
    EXPECT_EQ(last(Entry::point).severity, 0) << "module state starts again from 0";
    EXPECT_EQ(point, 0u);
    EXPECT_EQ(xyz[0], 10) << "a cancelled pick leaves the coordinates";
    vexa::sim::push_point_end(Pick::back);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Again", &point, xyz), 1) << "backing out is no pick either";
    vexa::sim::fail_call("HX_UI_point_construct", HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Again", &point, xyz), HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Again", nullptr, xyz), -1);
}

TEST_F(Selection, WithConfirmationTheUserPicksUntilTwoPicksAgree)
{
    tag_t point = 0;
    double xyz[3] = {};
    vexa::sim::push_point(1, 1, 1);
    vexa::sim::push_point(2, 2, 2);
    vexa::sim::push_point_end(Pick::back); // asks again
    vexa::sim::push_point(2, 2, 2 + 1e-11);
    vexa::sim::push_point(9, 9, 9); // not needed: the loop ended
    EXPECT_EQ(cvstv::ui::pick_point("Origin", true, &point, xyz), 0);
    EXPECT_EQ(vexa::sim::pending_answers(), 1u) << "the third pick agreed with the second";
    EXPECT_EQ(
        vexa::sim::texts(Entry::point),
        (std::vector<std::string>{"Origin", "Confirm: Origin.", "Confirm: Origin.", "Confirm: Origin."}));
    EXPECT_EQ(xyz[2], 2 + 1e-11) << "the coordinates of the last pick";
    auto points = [&] {
        std::vector<tag_t> out;
        for (tag_t o = 0; HX_OBJ_cycle_objs_in_part(part, HX_TYPE_POINT, &o) == 0 && o;)
            out.push_back(o);
        return out;
    };
    EXPECT_EQ(points(), std::vector<tag_t>{point}) << "only the confirmed point stays in the part";
    tag_t confirmed = point;

    vexa::sim::clear_answers();
    vexa::sim::push_point(5, 5, 5);
    vexa::sim::push_point(6, 6, 6);
    vexa::sim::push_point_end(Pick::cancel);
    EXPECT_EQ(cvstv::ui::pick_point("Origin", true, &point, xyz), 1);
    EXPECT_EQ(point, 0u);
    EXPECT_EQ(points(), std::vector<tag_t>{confirmed}) << "a cancelled confirmation leaves no new point";
}

TEST_F(Selection, ThePointConfirmationFollowsTheCustomerDefault)
{
    tag_t point = 0;
    double xyz[3] = {};
    vexa::sim::push_point(3, 3, 3);
    vexa::sim::push_point(3, 3, 3);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Corner", &point, xyz), 0);
    EXPECT_EQ(vexa::sim::texts(Entry::point), std::vector<std::string>{"Corner"}) << "no default: one pick";
    EXPECT_EQ(vexa::sim::pending_answers(), 1u);

    vexa::sim::clear_answers();
    vexa::sim::clear_journal();
    vexa::sim::set_logical_preference("CV_StandardPointConfirm", true);
    vexa::sim::push_point(3, 3, 3);
    vexa::sim::push_point(3, 3, 3);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Corner", &point, xyz), 0);
    EXPECT_EQ(vexa::sim::texts(Entry::point), (std::vector<std::string>{"Corner", "Confirm: Corner."}));
    EXPECT_EQ(vexa::sim::pending_answers(), 0u);

    vexa::sim::clear_journal();
    vexa::sim::set_logical_preference("CV_StandardPointConfirm", false);
    vexa::sim::push_point(4, 4, 4);
    EXPECT_EQ(CVSTVSHARE_pick_point(1, "Corner", &point, xyz), 0);
    EXPECT_EQ(vexa::sim::texts(Entry::point), std::vector<std::string>{"Corner"}) << "switched off: one pick";
}

TEST_F(Selection, TheMessageDialogAnswersByButton)
{
    char **lines = nullptr;
    kt_add_str_list(&lines, "The part exists.");
    kt_add_str_list(&lines, "Replace it?");
    vexa::sim::set_translation("Replace it?", "Ersetzen?");
    vexa::sim::push_dialog_answer("Yes");
    EXPECT_EQ(CVSTVSHARE_display_message_dialog("Confirm", 4, lines, "Yes", "No", "Cancel"), 1);
    const auto &shown = last(Entry::message_dialog);
    EXPECT_EQ(shown.text, "The part exists.\nErsetzen?") << "the host translates the texts";
    EXPECT_EQ(shown.buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
    EXPECT_EQ(shown.response, 20);
    vexa::sim::push_dialog_answer(2);
    EXPECT_EQ(CVSTVSHARE_display_message_dialog("Confirm", 4, lines, "Yes", "No", "Cancel"), 0);
    vexa::sim::push_dialog_answer(3);
    EXPECT_EQ(CVSTVSHARE_display_message_dialog("Confirm", 4, lines, "Yes", "No", "Cancel"), 2);
    vexa::sim::push_dialog_close();
    EXPECT_EQ(CVSTVSHARE_display_message_dialog("Note", 3, lines, "OK", nullptr, nullptr), 2);
    EXPECT_EQ(last(Entry::message_dialog).buttons, (std::vector<std::string>{"OK"}));
    EXPECT_EQ(CVSTVSHARE_display_message_dialog("Note", 3, nullptr, "OK", nullptr, nullptr), 1)
        << "no lines, and the user presses the one button";
    kt_free_str_list(&lines);
}

TEST_F(Selection, TagsAndHostListsConvertBothWays)
{
    const tag_t tags[] = {body, face, body};
    hx_list_p_t list = nullptr;
    EXPECT_EQ(CVSTVSHARE_pack_tags_to_list(3, tags, &list), 0);
    EXPECT_TRUE(CVSTVSHARE_is_object_in_list(face, list));
    EXPECT_FALSE(CVSTVSHARE_is_object_in_list(part, list));
    EXPECT_FALSE(CVSTVSHARE_is_object_in_list(0, list));
    EXPECT_FALSE(CVSTVSHARE_is_object_in_list(face, nullptr));
    tag_t *back = nullptr;
    int count = 0;
    EXPECT_EQ(CVSTVSHARE_unpack_list_to_tags(list, &count, &back), 0);
    EXPECT_EQ((std::vector<tag_t>(back, back + count)), (std::vector<tag_t>(tags, tags + 3)));
    HX_free(back);
    HX_LIST_delete(&list);

    EXPECT_EQ(CVSTVSHARE_pack_tags_to_list(0, nullptr, &list), 0);
    EXPECT_EQ(CVSTVSHARE_unpack_list_to_tags(list, &count, &back), -1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(back, nullptr);
    HX_LIST_delete(&list);

    vexa::sim::fail_call("HX_LIST_append", HX_ERR_NO_MEMORY, 1);
    EXPECT_EQ(CVSTVSHARE_pack_tags_to_list(3, tags, &list), HX_ERR_NO_MEMORY);
    EXPECT_EQ(list, nullptr) << "a list that could not be filled is not handed out";
    vexa::sim::fail_call("HX_LIST_create", HX_ERR_NO_MEMORY);
    EXPECT_EQ(CVSTVSHARE_pack_tags_to_list(3, tags, &list), HX_ERR_NO_MEMORY);
    const tag_t null_tag[] = {0};
    vexa::sim::clear_call_failures();
    EXPECT_EQ(CVSTVSHARE_pack_tags_to_list(1, null_tag, &list), HX_ERR_BAD_ARGUMENT);
}

TEST_F(Selection, ObjectsAreFoundByNameCaseBlindOnThirtyCharacters)
{
    tag_t other = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY, "core_body");
    tag_t longer = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY, std::string(30, 'L'));
    tag_t found = 0;
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("Core_Body"), &found), 0);
    EXPECT_EQ(found, body);
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("Core_Body"), &found), 0);
    EXPECT_EQ(found, other) << "the search goes on after the object given";
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("Core_Body"), &found), 0);
    EXPECT_EQ(found, 0u) << "none further";
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString(std::string(34, 'l').c_str()), &found), 0);
    EXPECT_EQ(found, longer);
    found = 0;
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("C:\\parts\\TOP_FACE"), &found), 0);
    EXPECT_EQ(found, face) << "compared as leaf names";
    found = body;
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString(""), &found), 0);
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("x"), nullptr), -1);
    vexa::sim::set_work_part(0);
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("x"), &found), -1);
}

TEST_F(Selection, AHostErrorDuringTheSearchIsRecordedAndReturned)
{
    tag_t found = 0;
    vexa::sim::fail_call("Orvel::UString::GetLocaleText", HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("CORE_BODY"), &found), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexa::sim::texts(Entry::syslog).back(),
              "cvstvshare_kt_share, line 6902: error 1102: Invalid argument");
    vexa::sim::clear_call_failures();
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("\xff\xfe"), &found), HX_ERR_BAD_ARGUMENT)
        << "a name the locale cannot hold";
    vexa::sim::fail_call("HX_OBJ_ask_name", HX_ERR_INTERNAL);
    EXPECT_EQ(CVSTVSHARE_cycle_object_by_name(Orvel::UString("CORE_BODY"), &found), HX_ERR_INTERNAL);
    EXPECT_EQ(found, 0u);
}

TEST_F(Selection, StringsAreWrittenAsTabbedFieldsOfOneLine)
{
    char **strings = nullptr;
    for (const char *s : {"P100", "^", "core"})
        kt_add_str_list(&strings, s);
    std::string path = testing::TempDir() + "strings.txt";
    FILE *file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(CVSTVSHARE_write_strings_to_text_file(strings, file), 0);
    EXPECT_EQ(CVSTVSHARE_write_strings_to_text_file(nullptr, file), 0);
    std::fclose(file);
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "P100\t\tcore\t\n\n");

    FILE *read_only = std::fopen(path.c_str(), "r");
    EXPECT_EQ(CVSTVSHARE_write_strings_to_text_file(strings, read_only), -1);
    std::fclose(read_only);
    EXPECT_EQ(CVSTVSHARE_write_strings_to_text_file(strings, nullptr), -1);
    kt_free_str_list(&strings);
}
