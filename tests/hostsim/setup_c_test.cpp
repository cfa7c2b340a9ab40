// The C form of the headless host's setup API, as a C application uses it.
#include "host_test.h"

#include "vexahost/setup.h"

#include "hx_cxx.h"
#include "hx_files.h"
#include "hx_messages.h"
#include "hx_spreadsheet.h"

#include <string>
#include <vector>

class SetupC : public HostTest {};

TEST_F(SetupC, SpreadsheetApplicationAndEnvironmentReachTheHostCalls)
{
    int application = -1;
    EXPECT_EQ(vexahost_set_default_spreadsheet(HX_SPREADSHEET_EXCEL), HX_OK);
    HX_ask_default_spreadsheet(&application);
    EXPECT_EQ(application, HX_SPREADSHEET_EXCEL);
    EXPECT_EQ(vexahost_set_default_spreadsheet(7), HX_ERR_BAD_ARGUMENT);
    HX_ask_default_spreadsheet(&application);
    EXPECT_EQ(application, HX_SPREADSHEET_EXCEL) << "a refused value changes nothing";

    char *value = nullptr;
    EXPECT_EQ(vexahost_set_env("CAVORA_DIR", "C:\\kit\\cavora"), HX_OK);
    ASSERT_EQ(HX_translate_variable("CAVORA_DIR", &value), HX_OK);
    EXPECT_STREQ(value, "C:\\kit\\cavora");
    setenv("CVSTV_SETUP_C_TEST", "from the process", 1);
    EXPECT_EQ(vexahost_set_env("CVSTV_SETUP_C_TEST", nullptr), HX_OK);
    EXPECT_EQ(HX_translate_variable("CVSTV_SETUP_C_TEST", &value), HX_ERR_NOT_FOUND)
        << "a null value reads as unset";
    vexahost_clear_env_overrides();
    ASSERT_EQ(HX_translate_variable("CVSTV_SETUP_C_TEST", &value), HX_OK);
    EXPECT_STREQ(value, "from the process");
    unsetenv("CVSTV_SETUP_C_TEST");
    EXPECT_EQ(vexahost_set_env(nullptr, "x"), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_set_env("", "x"), HX_ERR_BAD_ARGUMENT);
}

TEST_F(SetupC, JournalEntriesKeepTheirStringsUntilTheJournalIsCleared)
{
    vexahost_push_dialog_button("No");
    int response = 0;
    HX_message_dialog("Save", HX_DIALOG_QUESTION, "Save the workbook?", "Yes", "No", nullptr, &response);
    EXPECT_EQ(response, 2);

    vexahost_journal_entry first{};
    ASSERT_EQ(vexahost_journal_count(), 1);
    ASSERT_EQ(vexahost_journal_entry_at(0, &first), HX_OK);
    EXPECT_EQ(first.kind, VEXAHOST_MESSAGE_DIALOG);
    EXPECT_STREQ(first.title, "Save");
    EXPECT_STREQ(first.text, "Save the workbook?");
    ASSERT_EQ(first.button_count, 2);
    EXPECT_STREQ(first.buttons[0], "Yes");
    EXPECT_STREQ(first.buttons[1], "No");
    EXPECT_EQ(first.buttons[2], nullptr);
    EXPECT_STREQ(first.answer, "No");

    // Many more entries: the journal's own storage moves as it grows; the
    // strings handed out before do not.
    for (int i = 0; i < 200; ++i)
        HX_syslog_write("line");
    EXPECT_EQ(vexahost_journal_count(), 201);
    EXPECT_STREQ(first.text, "Save the workbook?");
    EXPECT_STREQ(first.answer, "No");
    vexahost_journal_entry last{};
    ASSERT_EQ(vexahost_journal_entry_at(200, &last), HX_OK);
    EXPECT_EQ(last.kind, VEXAHOST_SYSLOG);
    EXPECT_STREQ(last.text, "line");
    EXPECT_STREQ(last.title, "") << "absent strings are empty, never null";
    EXPECT_EQ(vexahost_journal_entry_at(201, &last), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_journal_entry_at(-1, &last), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_journal_entry_at(0, nullptr), HX_ERR_BAD_ARGUMENT);

    vexahost_clear_journal();
    EXPECT_EQ(vexahost_journal_count(), 0);
}

TEST_F(SetupC, DialogAnswersByPositionOrClosingAndTheCallbackSeesEveryEntry)
{
    struct Seen {
        std::vector<std::string> texts;
        std::vector<int> responses;
    } seen;
    vexahost_set_journal_callback(
        [](const vexahost_journal_entry *e, void *context) {
            auto *s = static_cast<Seen *>(context);
            s->texts.emplace_back(e->text);
            s->responses.push_back(e->response);
        },
        &seen);
    vexahost_push_dialog_position(3);
    vexahost_push_dialog_position(0);
    int response = 0;
    HX_message_dialog("Q", HX_DIALOG_QUESTION, "one", "A", "B", "C", &response);
    EXPECT_EQ(response, 3);
    HX_UI_message_buttons buttons{{"OK", "Cancel", nullptr}, {10, 20, 0}};
    const char *lines[] = {"two"};
    HX_UI_message_dialog("Q", HX_UI_MESSAGE_QUESTION, lines, 1, &buttons, 0, &response);
    EXPECT_EQ(response, HX_UI_RESPONSE_CLOSED);
    vexahost_push_dialog_button("B");
    vexahost_clear_answers();
    HX_message_dialog("Q", HX_DIALOG_QUESTION, "three", "A", "B", nullptr, &response);
    EXPECT_EQ(response, 1) << "cleared answers: the default, the first button";
    EXPECT_EQ(vexahost_push_dialog_button(nullptr), HX_ERR_BAD_ARGUMENT);

    vexahost_set_journal_callback(nullptr, nullptr);
    HX_set_cue("not seen");
    EXPECT_EQ(seen.texts, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(seen.responses, (std::vector<int>{3, HX_UI_RESPONSE_CLOSED, 1}));
}

TEST_F(SetupC, ResetAndLiveBlocksMatchTheSessionApi)
{
    vexahost_set_env("CAVORA_DIR", "/kit");
    HX_set_status("shown");
    vexahost_reset();
    char *value = nullptr;
    HX_translate_variable("CAVORA_DIR", &value);
    EXPECT_TRUE(!value || std::string(value) != "/kit") << "the override is gone";
    EXPECT_EQ(vexahost_journal_count(), 0);
    EXPECT_EQ(vexahost_live_blocks(), vexa::sim::live_blocks());
}

TEST_F(SetupC, ProgramsSetFromCAreWhatSpawnRequestsStart)
{
    const char *fails[] = {"/bin/false"};
    const char *succeeds[] = {"/bin/true", "--ignored"};
    EXPECT_EQ(vexahost_set_program("tool.exe", fails, 1), HX_OK);
    int exit_code = -1;
    EXPECT_EQ(Orvel::SpawnProgram("C:\\Tools\\TOOL.EXE", {}, true, &exit_code), 0);
    EXPECT_NE(exit_code, 0) << "the program set for the file name ran, whatever its directory and case";
    EXPECT_EQ(vexahost_set_program("tool.exe", succeeds, 2), HX_OK);
    EXPECT_EQ(Orvel::SpawnProgram("C:\\Tools\\tool.exe", {}, true, &exit_code), 0);
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(vexahost_set_program("tool.exe", nullptr, 0), HX_OK) << "count 0 removes the setting";
    EXPECT_THROW(Orvel::SpawnProgram("C:\\Tools\\tool.exe", {}, true, &exit_code), Orvel::HostError);

    const char *empty[] = {""};
    const char *holes[] = {"/bin/true", nullptr};
    EXPECT_EQ(vexahost_set_program(nullptr, succeeds, 1), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_set_program("", succeeds, 1), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_set_program("tool.exe", nullptr, 1), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_set_program("tool.exe", empty, 1), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_set_program("tool.exe", holes, 2), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_set_program("tool.exe", succeeds, -1), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_install_spreadsheet_program(succeeds, 0), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(vexahost_install_spreadsheet_program(succeeds, 1), HX_OK);
    EXPECT_EQ(Orvel::SpawnProgram("C:\\Office\\EXCEL.EXE", {}, false, &exit_code), 0);
    EXPECT_EQ(vexahost_wait_for_programs(), 1) << "the program started without waiting is reaped";
}
