// The headless host's spine: the object table, per-area reset, fault
// injection by call name, the scripted user and the structured journal, and
// the first slice of the part model.
#include "host_test.h"

#include "hx_files.h"
#include "hx_memory.h"
#include "hx_messages.h"
#include "hx_objects.h"
#include "hx_parts.h"
#include "hx_spreadsheet.h"

#include <cstring>
#include <string>

using vexa::sim::Entry;

class HostSpine : public HostTest {};

TEST_F(HostSpine, ResetReturnsEveryAreaToItsStartButKeepsLeaksAndTheSink)
{
    int sunk = 0;
    vexa::sim::set_journal_sink([&](const vexa::sim::JournalEntry &) { ++sunk; });
    vexa::sim::set_env("KIT_VARIABLE", "/kit");
    vexa::sim::set_translation("Yes", "Ja");
    vexa::sim::push_dialog_answer(2);
    vexa::sim::fail_call("HX_set_cue", 77);
    vexa::sim::set_listing_open(true);
    vexa::sim::create_part("/p/top.prt");
    vexa::sim::fail_allocations_after(0);
    HX_set_status("shown");
    void *leak = HX_allocate_memory(4, nullptr);
    EXPECT_EQ(leak, nullptr) << "allocations fail until the reset";
    vexa::sim::fail_allocations_after(-1);
    leak = HX_allocate_memory(4, nullptr);
    std::size_t live = vexa::sim::live_blocks();

    vexa::sim::reset();

    char *value = nullptr;
    EXPECT_EQ(HX_translate_variable("KIT_VARIABLE", &value), HX_ERR_NOT_FOUND);
    EXPECT_STREQ(HX_TEXT("Yes"), "Yes");
    EXPECT_EQ(vexa::sim::pending_answers(), 0u);
    EXPECT_EQ(HX_set_cue("again"), HX_OK) << "injected faults are cleared";
    EXPECT_EQ(vexa::sim::call_count("HX_set_cue"), 1) << "call counts restart";
    EXPECT_FALSE(vexa::sim::listing_open());
    EXPECT_EQ(vexa::sim::object_count(), 0u);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), 0u);
    EXPECT_EQ(vexa::sim::journal().size(), 1u) << "only the cue shown after the reset";
    EXPECT_EQ(vexa::sim::live_blocks(), live) << "a block leaked before the reset stays counted";
    EXPECT_EQ(sunk, 2) << "the sink saw the status line and the cue";
    void *ok = HX_allocate_memory(4, nullptr);
    EXPECT_NE(ok, nullptr) << "allocation failures are switched off";
    HX_free(ok);
    HX_free(leak);
    vexa::sim::set_journal_sink({});
}

TEST_F(HostSpine, TagsAreTypedNeverReusedAndRestartAfterAReset)
{
    int port = 0;
    ASSERT_EQ(HX_SS_create_port(&port), HX_OK);
    EXPECT_EQ(port, 1) << "the first tag of a session is 1";
    EXPECT_EQ(vexa::sim::kind_of(static_cast<tag_t>(port)), vexa::sim::ObjectKind::spreadsheet_port);
    EXPECT_EQ(vexa::sim::kind_of(0), vexa::sim::ObjectKind::none);

    tag_t part = vexa::sim::create_part("/p/a.prt");
    EXPECT_EQ(part, 2u);
    EXPECT_EQ(HX_TOOL_close_workbook(port, 0), HX_ERR_NOT_FOUND) << "a port tag is not a workbook handle";
    int units = 0;
    EXPECT_EQ(HX_PART_ask_units(static_cast<tag_t>(port), &units), HX_ERR_NOT_FOUND)
        << "a port tag is not a part";

    vexa::sim::reset();
    EXPECT_EQ(vexa::sim::kind_of(part), vexa::sim::ObjectKind::none);
    EXPECT_EQ(vexa::sim::create_part("/p/b.prt"), 1u);
}

TEST_F(HostSpine, FaultsAreInjectedByCallNameAfterAndForACount)
{
    vexa::sim::fail_call("HX_set_status", 4711, 1, 2);
    EXPECT_EQ(HX_set_status("first"), HX_OK) << "one call succeeds first";
    EXPECT_EQ(HX_set_status("second"), 4711);
    EXPECT_EQ(HX_set_status("third"), 4711);
    EXPECT_EQ(HX_set_status("fourth"), HX_OK) << "two failures, then it works again";
    EXPECT_EQ(vexa::sim::call_count("HX_set_status"), 4);
    EXPECT_EQ(vexa::sim::texts(Entry::status), (std::vector<std::string>{"first", "fourth"}))
        << "a failed call does no work";

    vexa::sim::fail_call("HX_file_exists", HX_ERR_IO);
    int code = -1;
    EXPECT_EQ(HX_file_exists("/tmp", HX_FILE_TYPE_DIRECTORY, &code), HX_ERR_IO);
    EXPECT_EQ(HX_file_exists("/tmp", HX_FILE_TYPE_DIRECTORY, &code), HX_ERR_IO) << "until cleared";
    vexa::sim::clear_call_failure("HX_file_exists");
    EXPECT_EQ(HX_file_exists("/tmp", HX_FILE_TYPE_DIRECTORY, &code), HX_OK);
    EXPECT_EQ(code, HX_FILE_EXISTS);

    vexa::sim::fail_call("HX_ASSEM_ask_work_part", 1);
    vexa::sim::create_part("/p/a.prt");
    EXPECT_EQ(HX_ASSEM_ask_work_part(), 0u) << "a call answering a tag answers the null tag";
}

TEST_F(HostSpine, MessageDialogButtonsAreChosenByLabelPositionOrClosing)
{
    vexa::sim::push_dialog_answer(std::string("No"));
    vexa::sim::push_dialog_answer(3);
    vexa::sim::push_dialog_close();
    vexa::sim::push_dialog_answer(std::string("Maybe"));
    int answer = 0;
    const char *q = "Question";
    HX_message_dialog(q, HX_DIALOG_QUESTION, "1", "Yes", "No", "Later", &answer);
    EXPECT_EQ(answer, 2);
    HX_message_dialog(q, HX_DIALOG_QUESTION, "2", "Yes", "No", "Later", &answer);
    EXPECT_EQ(answer, 3);
    HX_message_dialog(q, HX_DIALOG_QUESTION, "3", "Yes", "No", nullptr, &answer);
    EXPECT_EQ(answer, 1) << "closing a dialog without response codes presses its first button";
    HX_message_dialog(q, HX_DIALOG_QUESTION, "4", "Yes", "No", nullptr, &answer);
    EXPECT_EQ(answer, 1) << "a label not offered presses the first button";

    const auto &j = vexa::sim::journal();
    ASSERT_EQ(j.size(), 4u);
    EXPECT_EQ(j[0].buttons, (std::vector<std::string>{"Yes", "No", "Later"}));
    EXPECT_EQ(j[0].answer, "No");
    EXPECT_EQ(j[1].answer, "Later");
    EXPECT_EQ(j[3].text, "4");
    EXPECT_EQ(j[3].title, "Question");
}

TEST_F(HostSpine, ResponseCodeDialogAnswersTheButtonsResponseAndTranslates)
{
    vexa::sim::set_translation("Suppress", "Unterdruecken");
    vexa::sim::set_translation("Update Failure", "Aktualisierungsfehler");
    const char *lines[] = {"In part: top", "Failed feature: BLOCK(1)"};
    HX_UI_message_buttons buttons{{"Suppress", nullptr, "Undo"}, {21, 0, 20}};
    int response = 0;

    vexa::sim::push_dialog_answer(std::string("Undo"));
    ASSERT_EQ(HX_UI_message_dialog("Update Failure", HX_UI_MESSAGE_WARNING, lines, 2, &buttons, 1, &response),
              HX_OK);
    EXPECT_EQ(response, 20);
    vexa::sim::push_dialog_answer(2);
    HX_UI_message_dialog("Update Failure", HX_UI_MESSAGE_WARNING, lines, 2, &buttons, 1, &response);
    EXPECT_EQ(response, 20) << "positions count the buttons shown, not the null labels";
    vexa::sim::push_dialog_close();
    HX_UI_message_dialog("Update Failure", HX_UI_MESSAGE_WARNING, lines, 2, &buttons, 0, &response);
    EXPECT_EQ(response, HX_UI_RESPONSE_CLOSED);
    HX_UI_message_dialog("Update Failure", HX_UI_MESSAGE_WARNING, lines, 2, &buttons, 0, &response);
    EXPECT_EQ(response, 21) << "no answer queued: the first button";

    const auto &j = vexa::sim::journal();
    ASSERT_EQ(j.size(), 4u);
    EXPECT_EQ(j[0].title, "Aktualisierungsfehler");
    EXPECT_EQ(j[0].text, "In part: top\nFailed feature: BLOCK(1)");
    EXPECT_EQ(j[0].buttons, (std::vector<std::string>{"Unterdruecken", "Undo"}));
    EXPECT_EQ(j[0].answer, "Undo");
    EXPECT_EQ(j[0].severity, HX_UI_MESSAGE_WARNING);
    EXPECT_EQ(j[2].title, "Update Failure") << "without the translate flag texts are shown as given";
    EXPECT_EQ(j[2].answer, "");
    EXPECT_EQ(j[2].response, HX_UI_RESPONSE_CLOSED);

    EXPECT_EQ(HX_UI_message_dialog("t", HX_UI_MESSAGE_ERROR, nullptr, 1, &buttons, 0, &response),
              HX_ERR_BAD_ARGUMENT);
    HX_UI_message_buttons none{{nullptr, nullptr, nullptr}, {1, 2, 3}};
    vexa::sim::push_dialog_answer(1);
    EXPECT_EQ(HX_UI_message_dialog("t", HX_UI_MESSAGE_ERROR, nullptr, 0, &none, 0, &response), HX_OK);
    EXPECT_EQ(response, HX_UI_RESPONSE_CLOSED) << "a dialog without buttons can only be closed";
    EXPECT_EQ(vexa::sim::pending_answers(), 0u);
}

TEST_F(HostSpine, PartsKeepLoadOrderWorkAndDisplayPartUnitsAndExpressions)
{
    tag_t top = vexa::sim::create_part("/p/top.prt", vexa::sim::units_english);
    tag_t comp = vexa::sim::create_part("/p/comp.prt");
    EXPECT_EQ(HX_ASSEM_ask_work_part(), top) << "the first part is the work part";
    EXPECT_EQ(HX_PART_ask_display_part(), top);
    EXPECT_EQ(HX_ASSEM_set_work_part(comp), HX_OK);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), comp);
    EXPECT_EQ(HX_ASSEM_set_work_part(12345), HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_ASSEM_ask_work_part(), comp) << "a refused change keeps the work part";

    EXPECT_EQ(HX_PART_ask_num_parts(), 2);
    EXPECT_EQ(HX_PART_ask_nth_part(0), top);
    EXPECT_EQ(HX_PART_ask_nth_part(1), comp);
    EXPECT_EQ(HX_PART_ask_nth_part(2), 0u);
    EXPECT_EQ(HX_PART_ask_part_tag("/p/comp.prt"), comp);
    EXPECT_EQ(HX_PART_ask_part_tag("/p/other.prt"), 0u);

    char name[HX_MAX_FSPEC_SIZE + 1];
    ASSERT_EQ(HX_PART_ask_part_name(top, name), HX_OK);
    EXPECT_STREQ(name, "/p/top.prt");
    int units = 0;
    HX_PART_ask_units(top, &units);
    EXPECT_EQ(units, HX_PART_ENGLISH);
    HX_PART_ask_units(comp, &units);
    EXPECT_EQ(units, HX_PART_METRIC);
    tag_t long_name = vexa::sim::create_part(std::string(HX_MAX_FSPEC_SIZE + 1, 'x'));
    EXPECT_EQ(HX_PART_ask_part_name(long_name, name), HX_ERR_TOO_LONG);
    EXPECT_STREQ(name, "");

    tag_t dia = vexa::sim::set_expression(top, "SCREW_DIA", 8.0);
    EXPECT_EQ(vexa::sim::set_expression(top, "SCREW_DIA", 10.0), dia) << "setting again changes the value";
    tag_t found = 1;
    ASSERT_EQ(HX_MODL_ask_exp_tag(top, "SCREW_DIA", &found), HX_OK);
    EXPECT_EQ(found, dia);
    double value = 0;
    HX_MODL_ask_exp_value(found, &value);
    EXPECT_EQ(value, 10.0);
    EXPECT_EQ(HX_MODL_ask_exp_tag(comp, "SCREW_DIA", &found), HX_OK);
    EXPECT_EQ(found, 0u) << "expressions belong to their part";
    EXPECT_EQ(HX_MODL_ask_exp_value(top, &value), HX_ERR_NOT_FOUND) << "a part is not an expression";
}

TEST_F(HostSpine, ModelObjectsCycleByTypeAndKeepNameLayerColourAndHighlight)
{
    tag_t part = vexa::sim::create_part("/p/top.prt");
    tag_t body = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_BODY, "CORE");
    tag_t face = vexa::sim::create_object(part, HX_TYPE_SOLID, HX_SUBTYPE_SOLID_FACE);
    tag_t feature = vexa::sim::create_feature(part, "BLOCK", "BLOCK(1)", {face});

    tag_t next = 0;
    std::vector<tag_t> solids;
    while (HX_OBJ_cycle_objs_in_part(part, HX_TYPE_SOLID, &next) == HX_OK && next != 0)
        solids.push_back(next);
    EXPECT_EQ(solids, (std::vector<tag_t>{body, face}));
    next = 0;
    HX_OBJ_cycle_objs_in_part(part, HX_TYPE_FEATURE, &next);
    EXPECT_EQ(next, feature);
    next = part;
    EXPECT_EQ(HX_OBJ_cycle_objs_in_part(part, 0, &next), HX_ERR_NOT_FOUND) << "cycling from a foreign tag";
    EXPECT_EQ(next, 0u);

    int type = 0, subtype = -1;
    HX_OBJ_ask_type_and_subtype(face, &type, &subtype);
    EXPECT_EQ(type, HX_TYPE_SOLID);
    EXPECT_EQ(subtype, HX_SUBTYPE_SOLID_FACE);
    tag_t owner = 0;
    HX_OBJ_ask_owning_part(feature, &owner);
    EXPECT_EQ(owner, part);

    char name[HX_OBJ_NAME_SIZE + 1];
    HX_OBJ_ask_name(body, name);
    EXPECT_STREQ(name, "CORE");
    EXPECT_EQ(HX_OBJ_set_name(face, std::string(HX_OBJ_NAME_SIZE, 'f').c_str()), HX_OK);
    EXPECT_EQ(HX_OBJ_set_name(face, std::string(HX_OBJ_NAME_SIZE + 1, 'f').c_str()), HX_ERR_TOO_LONG);
    EXPECT_EQ(HX_OBJ_set_layer(body, 255), HX_OK);
    EXPECT_EQ(HX_OBJ_set_layer(body, 257), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_OBJ_set_color(body, 11), HX_OK);
    EXPECT_EQ(HX_OBJ_set_highlight(face, 1), HX_OK);
    EXPECT_EQ(HX_OBJ_set_highlight(part, 1), HX_ERR_NOT_FOUND) << "a part is not a model object";

    vexa::sim::ObjectInfo info;
    ASSERT_TRUE(vexa::sim::object_info(body, info));
    EXPECT_EQ(info.layer, 255);
    EXPECT_EQ(info.colour, 11);
    ASSERT_TRUE(vexa::sim::object_info(face, info));
    EXPECT_TRUE(info.highlighted);
    EXPECT_EQ(info.name, std::string(HX_OBJ_NAME_SIZE, 'f'));
    EXPECT_FALSE(vexa::sim::object_info(part, info));
}
