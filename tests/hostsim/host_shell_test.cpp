// The headless host's user-interface shell and kit files: the text forms of
// toolbar, palette, translation and preference files, toolbars and their
// buttons, the resource palette, directory listings, the user-controlled
// message, translation files and the session switches.
#include "kit_test.h"

#include "vexahost/text_files.h"

#include "hx_assem.h"
#include "hx_files.h"
#include "hx_memory.h"
#include "hx_prefs.h"
#include "hx_messages.h"
#include "hx_pdm.h"
#include "hx_session.h"
#include "hx_ui_shell.h"

#include <gmock/gmock.h>

using testing::ElementsAre;
using testing::HasSubstr;
using vexa::sim::Entry;

// Shell tests start with no kit variable set: the application directories
// are the ones a test sets.
class HostShell : public KitTest {
  protected:
    void SetUp() override
    {
        KitTest::SetUp();
        for (const char *v : {"CAVORA_DIR", "STRIVO_DIR", "FULGO_DIR", "KRPRESDES_DIR", "TOOLING_BASE_DIR"})
            vexa::sim::unset_env(v);
        dir_ = scratch();
    }
    fs::path dir_;
};

// ---- Text forms ----------------------------------------------------------------------

TEST(HostTextFiles, ToolbarFileForm)
{
    vexa::sim::ToolbarFile file;
    vexa::sim::TextFileError error;
    ASSERT_TRUE(vexa::sim::parse_toolbar_file("# comment\r\n\n  TOOLBAR CAVORA \"Mould \\\"Design\\\"\"\n"
                                              "BUTTON CV_TOOLS_MENU \"Tools\" TOGGLE\nBUTTON CV_A \"A\\tB\"",
                                              file, error));
    EXPECT_EQ(file.name, "CAVORA");
    EXPECT_EQ(file.title, "Mould \"Design\"");
    ASSERT_EQ(file.buttons.size(), 2u);
    EXPECT_TRUE(file.buttons[0].toggle);
    EXPECT_EQ(file.buttons[1].label, "A\tB");
    EXPECT_FALSE(file.buttons[1].toggle);

    struct Bad {
        std::string text;
        int line;
        std::string reason;
    };
    for (const Bad &bad : std::vector<Bad>{
             {"BUTTON A \"a\"\n", 1, "expected TOOLBAR <name> \"<title>\" first"},
             {"TOOLBAR T \"t\"\nBUTTON A \"a\" SWITCH\n", 2, "expected BUTTON <name> \"<label>\" [TOGGLE]"},
             {"TOOLBAR T \"t\"\nBUTTON A \"a\"\nBUTTON A \"b\"\n", 3, "button A given twice"},
             {"TOOLBAR T \"t\nBUTTON A \"a\"\n", 1, "unterminated quoted text"},
             {"TOOLBAR T \"\\x\"\n", 1, "unknown escape \\x"},
             {"TOOLBAR T \"t\" ; x\n", 1, "unexpected character ';'"},
             {"# only a comment\n", 0, "no TOOLBAR line"},
             {std::string("TOOLBAR T \"t\0\"\n", 15), 0, "file holds a NUL byte"},
             {"TOOLBAR T \"" + std::string(5000, 't') + "\"\n", 1, "line longer than 4096 bytes"},
             {"TOOLBAR " + std::string(65, 'T') + " \"t\"\n", 1, "toolbar name longer than 64 characters"},
         }) {
        EXPECT_FALSE(vexa::sim::parse_toolbar_file(bad.text, file, error)) << bad.text;
        EXPECT_EQ(error.line, bad.line) << bad.text;
        EXPECT_EQ(error.reason, bad.reason) << bad.text;
    }
    std::string many = "TOOLBAR T \"t\"\n";
    for (int i = 0; i < 257; ++i)
        many += "BUTTON B" + std::to_string(i) + " \"b\"\n";
    EXPECT_FALSE(vexa::sim::parse_toolbar_file(many, file, error));
    EXPECT_EQ(error.reason, "more than 256 buttons");
    EXPECT_EQ(file.name, "CAVORA"); // a refused file changes nothing
}

TEST(HostTextFiles, PaletteAndTranslationForms)
{
    vexa::sim::PaletteFile palette;
    vexa::sim::TextFileError error;
    ASSERT_TRUE(vexa::sim::parse_palette_file("PALETTE \"Views\"\nITEM \"A0\" \"a0.prt\"\n", palette, error));
    EXPECT_EQ(palette.title, "Views");
    ASSERT_EQ(palette.items.size(), 1u);
    EXPECT_EQ(palette.items[0].file, "a0.prt");
    EXPECT_FALSE(vexa::sim::parse_palette_file("ITEM \"A0\" \"a0.prt\"\n", palette, error));
    EXPECT_FALSE(vexa::sim::parse_palette_file("PALETTE \"V\"\nITEM \"A0\"\n", palette, error));
    EXPECT_EQ(error.line, 2);

    vexa::sim::Translations t;
    ASSERT_TRUE(vexa::sim::parse_translation_file(
        "\"Cannot find spreadsheet = %s\\n\" = \"Kein Arbeitsblatt %s\\n\"\n\"Yes\"=\"Ja\"\n", t, error));
    EXPECT_THAT(t, ElementsAre(std::pair<std::string, std::string>("Cannot find spreadsheet = %s\n",
                                                                   "Kein Arbeitsblatt %s\n"),
                               std::pair<std::string, std::string>("Yes", "Ja")));
    EXPECT_FALSE(vexa::sim::parse_translation_file("\"Yes\" = \"Ja\"\n\"Yes\" = \"Oui\"\n", t, error));
    EXPECT_EQ(error.reason, "text given twice");
    EXPECT_FALSE(vexa::sim::parse_translation_file("\"\" = \"x\"\n", t, error));
    EXPECT_FALSE(vexa::sim::parse_translation_file("Yes = Ja\n", t, error));
}

TEST(HostTextFiles, PreferenceValuesAreTyped)
{
    std::vector<vexa::sim::PreferenceEntry> entries;
    vexa::sim::TextFileError error;
    ASSERT_TRUE(vexa::sim::parse_preference_file("# site defaults\n"
                                                 "CV_DatumLayer = 61\n"
                                                 "CV_Tolerance=1e-5\n"
                                                 "CV_Flag=Yes\n"
                                                 "CV_Rule=<A>_<B>, <A>_???\n"
                                                 "CV_Delimiter=\"a, b\"\n"
                                                 "CV_Name=DATUMS\n"
                                                 "CV_Empty=\n"
                                                 "CV_Big=99999999999\n",
                                                 entries, error));
    using T = vexa::sim::PreferenceType;
    ASSERT_EQ(entries.size(), 8u);
    EXPECT_EQ(entries[0].type, T::integer);
    EXPECT_EQ(entries[0].text, "61");
    EXPECT_EQ(entries[1].type, T::real);
    EXPECT_EQ(entries[2].type, T::logical);
    EXPECT_EQ(entries[3].type, T::list);
    EXPECT_THAT(entries[3].list, ElementsAre("<A>_<B>", "<A>_???"));
    EXPECT_EQ(entries[4].type, T::string);
    EXPECT_EQ(entries[4].text, "a, b");
    EXPECT_EQ(entries[5].type, T::string);
    EXPECT_EQ(entries[6].text, "");
    EXPECT_EQ(entries[7].type, T::real); // too large for an integer

    for (const char *bad : {"NAME\n", "=1\n", "CV-Key=1\n", "A=1\nA=2\n", "L=a,,b\n", "Q=\"x\" y\n"})
        EXPECT_FALSE(vexa::sim::parse_preference_file(bad, entries, error)) << bad;
}

// ---- Preference store --------------------------------------------------------------

TEST_F(HostShell, PreferenceStoreAnswersWhatAValueCanAnswer)
{
    vexa::sim::set_string_preference("Text", "yes");
    vexa::sim::set_int_preference("Int", 26);
    vexa::sim::set_real_preference("Real", 0.1);
    vexa::sim::set_real_preference("Whole", 3.0);
    vexa::sim::set_list_preference("List", {"a", "b"});
    int i = -1;
    double d = -1;
    char *s = nullptr;
    EXPECT_EQ(PMAN_ask_logical("Text", &i), 0);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(PMAN_ask_int("Text", &i), 0);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(PMAN_ask_logical("Int", &i), 0);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(PMAN_ask_real("Int", &d), 0);
    EXPECT_EQ(d, 26.0);
    EXPECT_EQ(PMAN_ask_int("Whole", &i), 0);
    EXPECT_EQ(i, 3);
    i = -1;
    EXPECT_EQ(PMAN_ask_int("Real", &i), HX_ERR_WRONG_TYPE);
    EXPECT_EQ(i, -1);
    EXPECT_EQ(PMAN_ask_real("List", &d), HX_ERR_WRONG_TYPE);
    EXPECT_EQ(PMAN_ask_real("Missing", &d), HX_ERR_NOT_FOUND);
    EXPECT_EQ(PMAN_ask_string("Real", &s), 0);
    EXPECT_STREQ(s, "0.1");
    HX_free(s);
    char **list = nullptr;
    int count = 0;
    EXPECT_EQ(PMAN_ask_string_list("Text", &list, &count), 0); // a text is a one-entry list
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(list[0], "yes");
    HX_free(list[0]);
    HX_free(list);
    vexa::sim::fail_allocations_after(1);
    EXPECT_EQ(PMAN_ask_string_list("List", &list, &count), HX_ERR_NO_MEMORY);
    vexa::sim::fail_allocations_after(-1);
}

TEST_F(HostShell, PreferenceTextIsTypedAsInAFile)
{
    EXPECT_TRUE(vexa::sim::set_preference_text("CV_Rule", "<A>_<B>, <A>_???"));
    EXPECT_TRUE(vexa::sim::set_preference_text("CV_Flag", "on"));
    EXPECT_FALSE(vexa::sim::set_preference_text("CV Rule", "x"));
    EXPECT_FALSE(vexa::sim::set_preference_text("CV_Two", "a\nB=2"));
    EXPECT_FALSE(vexa::sim::set_preference_text("CV_Empty", "a,,b"));
    char **list = nullptr;
    int count = 0, flag = 0;
    ASSERT_EQ(PMAN_ask_string_list("CV_Rule", &list, &count), 0);
    EXPECT_EQ(count, 2);
    for (int i = 0; i < count; ++i)
        HX_free(list[i]);
    HX_free(list);
    EXPECT_EQ(PMAN_ask_logical("CV_Flag", &flag), 0);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(vexa::sim::preference_count(), 2u);
}

TEST_F(HostShell, PreferenceFilesLoadWholeOrNotAtAll)
{
    vexa::sim::set_int_preference("CV_DatumLayer", 1);
    fs::path good = write("defaults.txt", "CV_DatumLayer=61\nCV_DatumLayerName=DATUMS\n");
    fs::path bad = write("bad.txt", "CV_InsertLayer=40\nCV_InsertLayerName\n");
    EXPECT_TRUE(vexa::sim::load_preferences(good.string()));
    auto load = vexa::sim::load_preferences(bad.string());
    EXPECT_FALSE(load);
    EXPECT_EQ(load.line, 2);
    EXPECT_EQ(load.error, "expected NAME=VALUE");
    EXPECT_EQ(vexa::sim::preference_count(), 2u);
    int layer = 0;
    EXPECT_EQ(PMAN_ask_int("CV_DatumLayer", &layer), 0);
    EXPECT_EQ(layer, 61);
    EXPECT_FALSE(vexa::sim::load_preferences((dir_ / "none.txt").string()));
}

// ---- Toolbars, buttons, palettes ---------------------------------------------------

TEST_F(HostShell, ToolbarFilesAreFoundInTheApplicationDirectories)
{
    write("cavora/application/kr_a.tbr", "TOOLBAR FROM_KIT \"kit\"\nBUTTON K1 \"k\" TOGGLE\n");
    write("tooling/application/kr_a.tbr", "TOOLBAR FROM_TOOLING \"tooling\"\n");
    write("tooling/application/kr_b.tbr", "TOOLBAR B \"tooling\"\n");
    write("extra/kr_c.tbr", "TOOLBAR C \"extra\"\n");
    vexa::sim::set_env("CAVORA_DIR", host_form(dir_ / "cavora") + "  ");
    vexa::sim::set_env("TOOLING_BASE_DIR", (dir_ / "tooling/").string());
    vexa::sim::add_application_directory(host_form(dir_ / "extra"));
    EXPECT_THAT(vexa::sim::application_directories(),
                ElementsAre(host_form(dir_ / "cavora" / "application"),
                            host_form(dir_ / "tooling" / "application"), host_form(dir_ / "extra")));
    tag_t a = 0, b = 0, c = 0, none = 99;
    EXPECT_EQ(HX_UI_create_toolbar("kr_a.tbr", HX_UI_TOOLBAR_LOAD, &a), 0);
    EXPECT_EQ(HX_UI_create_toolbar("kr_b.tbr", HX_UI_TOOLBAR_LOAD_AND_SHOW, &b), 0);
    EXPECT_EQ(HX_UI_create_toolbar(host_form(dir_ / "extra" / "kr_c.tbr").c_str(), HX_UI_TOOLBAR_LOAD, &c),
              0);
    EXPECT_EQ(HX_UI_create_toolbar("kr_none.tbr", HX_UI_TOOLBAR_LOAD, &none), HX_ERR_NOT_FOUND);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(HX_UI_create_toolbar("kr_b.tbr", 0, &none), HX_ERR_BAD_ARGUMENT);
    auto bars = vexa::sim::toolbars();
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].name, "FROM_KIT");
    EXPECT_FALSE(bars[0].visible);
    EXPECT_TRUE(bars[1].visible);
    EXPECT_EQ(vexa::sim::kind_of(a), vexa::sim::ObjectKind::toolbar);
    EXPECT_THAT(vexa::sim::texts(Entry::shell),
                ElementsAre(HasSubstr("toolbar FROM_KIT loaded from"), HasSubstr("toolbar B loaded from"),
                            "toolbar B shown", HasSubstr("toolbar C loaded from")));
}

TEST_F(HostShell, ButtonsBelongToTheirToolbar)
{
    fs::path one = write("one.tbr", "TOOLBAR ONE \"1\"\nBUTTON SHARED \"s\" TOGGLE\nBUTTON PLAIN \"p\"\n");
    fs::path two = write("two.tbr", "TOOLBAR TWO \"2\"\nBUTTON SHARED \"s\"\n");
    tag_t first = 0, second = 0, button = 0;
    ASSERT_EQ(HX_UI_create_toolbar(host_form(one).c_str(), HX_UI_TOOLBAR_LOAD, &first), 0);
    EXPECT_EQ(HX_UI_create_toolbar(host_form(two).c_str(), HX_UI_TOOLBAR_LOAD, &second), HX_ERR_BAD_ARGUMENT);
    EXPECT_THAT(vexa::sim::texts(Entry::syslog), ElementsAre(HasSubstr("button SHARED is already defined")));

    ASSERT_EQ(HX_MB_ask_button_id("SHARED", &button), 0);
    EXPECT_EQ(vexa::sim::kind_of(button), vexa::sim::ObjectKind::menu_button);
    EXPECT_EQ(HX_MB_set_toggle_state(button, HX_MB_TOGGLE_ON), 0);
    EXPECT_EQ(vexa::sim::toggle_state("SHARED"), HX_MB_TOGGLE_ON);
    EXPECT_EQ(HX_MB_set_toggle_state(button, 0), HX_ERR_BAD_ARGUMENT);
    tag_t plain = 0;
    HX_MB_ask_button_id("PLAIN", &plain);
    EXPECT_EQ(HX_MB_set_toggle_state(plain, HX_MB_TOGGLE_ON), HX_ERR_BAD_ARGUMENT); // not a toggle
    EXPECT_EQ(MB_main_set_toggle_state("SHARED", 0), 0);
    EXPECT_EQ(vexa::sim::toggle_state("SHARED"), HX_MB_TOGGLE_OFF);

    EXPECT_EQ(HX_UI_remove_toolbar(first), 0);
    int defined = 1;
    EXPECT_EQ(MB_is_defined_button("SHARED", &defined), 0);
    EXPECT_EQ(defined, 0);
    EXPECT_EQ(HX_MB_set_toggle_state(button, HX_MB_TOGGLE_ON), HX_ERR_NOT_FOUND); // a stale tag
    EXPECT_EQ(HX_UI_create_toolbar(host_form(two).c_str(), HX_UI_TOOLBAR_LOAD, &second), 0);
}

TEST_F(HostShell, InternalToolbarsHideButStay)
{
    tag_t internal = vexa::sim::create_internal_toolbar("VALIDATION", {"VALIDATE"});
    EXPECT_EQ(vexa::sim::create_internal_toolbar("AGAIN", {"VALIDATE"}), 0u);
    EXPECT_EQ(HX_UI_remove_toolbar(internal), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(MT_hide_toolbar(internal), 0);
    ASSERT_EQ(vexa::sim::toolbars().size(), 1u);
    EXPECT_FALSE(vexa::sim::toolbars()[0].visible);
    EXPECT_TRUE(vexa::sim::toolbars()[0].internal);
}

TEST_F(HostShell, PalettesAreReadAndKeptOnce)
{
    fs::path views = write("pal/views.pax", "PALETTE \"Views\"\nITEM \"A0\" \"a0.prt\"\n");
    fs::path broken = write("pal/broken.pax", "ITEM \"A0\" \"a0.prt\"\n");
    std::string v = host_form(views);
    EXPECT_EQ(HX_CV_add_palette_entry(v.c_str()), 0);
    EXPECT_EQ(HX_CV_add_palette_entry(v.c_str()), 0);
    EXPECT_EQ(HX_CV_add_palette_entry(host_form(broken).c_str()), HX_ERR_BAD_FORMAT);
    EXPECT_EQ(HX_CV_add_palette_entry(host_form(dir_ / "pal" / "none.pax").c_str()), HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_CV_add_palette_entry(host_form(dir_ / "pal").c_str()), HX_ERR_IO); // a directory
    EXPECT_THAT(vexa::sim::palette_entries(), ElementsAre(v));
    EXPECT_EQ(HX_CV_delete_palette_entry(v.c_str()), 0);
    EXPECT_EQ(HX_CV_delete_palette_entry(v.c_str()), 0);
    EXPECT_TRUE(vexa::sim::palette_entries().empty());
    EXPECT_THAT(vexa::sim::texts(Entry::syslog),
                ElementsAre(HasSubstr("broken.pax: line 1: expected PALETTE \"<title>\" first"),
                            HasSubstr("pal: cannot be read")));
}

// ---- Directory listing and typed merge ---------------------------------------------

TEST_F(HostShell, DirectoryListingIsSortedAndFiltered)
{
    write("d/b.pax", "");
    write("d/a.pax", "");
    write("d/c.txt", "");
    fs::create_directories(dir_ / "d" / "sub.pax");
    tag_t listing = 0;
    ASSERT_EQ(HX_CFI_begin_dir_listing(host_form(dir_ / "d").c_str(), HX_CFI_LIST_FILES, HX_CFI_TYPE_PALETTE,
                                       "*.pax", &listing),
              0);
    char name[HX_CFI_NAME_SIZE + 1];
    int code = -1;
    std::vector<std::string> names;
    while (HX_CFI_next_dir_entry(listing, name, &code) == 0 && code == HX_CFI_ENTRY)
        names.emplace_back(name);
    EXPECT_THAT(names, ElementsAre("a.pax", "b.pax"));
    EXPECT_EQ(HX_CFI_next_dir_entry(listing, name, &code), 0);
    EXPECT_EQ(code, HX_CFI_END);
    EXPECT_EQ(HX_CFI_end_dir_listing(listing), 0);
    EXPECT_EQ(HX_CFI_next_dir_entry(listing, name, &code), HX_ERR_NOT_FOUND);
    EXPECT_EQ(HX_CFI_begin_dir_listing(host_form(dir_ / "none").c_str(), 0, 0, "*", &listing),
              HX_ERR_NOT_FOUND);

    char merged[HX_CFI_NAME_SIZE + 1];
    EXPECT_EQ(
        HX_CFI_merge_dir_and_name("C:\\kit\\drafting", "assembly_drawing", HX_CFI_TYPE_DIRECTORY, merged), 0);
    EXPECT_STREQ(merged, "C:\\kit\\drafting\\assembly_drawing");
    EXPECT_EQ(HX_CFI_merge_dir_and_name("C:\\d\\", "views", HX_CFI_TYPE_PALETTE, merged), 0);
    EXPECT_STREQ(merged, "C:\\d\\views.pax");
    EXPECT_EQ(HX_CFI_merge_dir_and_name("C:\\d", "x", 61, merged), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_CFI_merge_dir_and_name(std::string(250, 'd').c_str(), "views.pax", 60, merged),
              HX_ERR_TOO_LONG);
    EXPECT_STREQ(merged, "");
}

// ---- Messages -------------------------------------------------------------------------

TEST_F(HostShell, TranslationFilesReplaceTextsAndKeepEarlierOnesValid)
{
    fs::path first = write("first.lng", "\"Yes\" = \"Ja\"\n\"No\" = \"Nein\"\n");
    fs::path second = write("second.lng", "\"Yes\" = \"Oui\"\n");
    fs::path broken = write("broken.lng", "\"No\" = \"Non\"\n\"Yes\"\n");
    ASSERT_EQ(NLM_load_translation_file(host_form(first).c_str()), 0);
    const char *ja = HX_TEXT("Yes");
    ASSERT_EQ(NLM_load_translation_file(host_form(second).c_str()), 0);
    EXPECT_EQ(NLM_load_translation_file(host_form(broken).c_str()), HX_ERR_BAD_FORMAT);
    EXPECT_EQ(NLM_load_translation_file(host_form(dir_ / "none.lng").c_str()), HX_ERR_NOT_FOUND);
    EXPECT_STREQ(HX_TEXT("Yes"), "Oui");
    EXPECT_STREQ(HX_TEXT("No"), "Nein"); // nothing of the broken file was taken
    EXPECT_STREQ(ja, "Ja");              // an earlier answer stays valid
    EXPECT_EQ(vexa::sim::translation_files().size(), 2u);
}

TEST_F(HostShell, UserControlledMessageAnswers)
{
    int answer = 0;
    EXPECT_EQ(HX_UI_user_controlled_message("key", HX_UI_USER_MESSAGE_QUESTION, "T", "Text", 1, 2, &answer),
              0);
    EXPECT_EQ(answer, -3); // the default button, the second
    vexa::sim::push_user_message_answer(1);
    vexa::sim::push_dialog_answer(2); // for a message dialog: not taken here
    EXPECT_EQ(HX_UI_user_controlled_message("key", HX_UI_USER_MESSAGE_QUESTION, "T", "Text", 1, 2, &answer),
              0);
    EXPECT_EQ(answer, -2);
    EXPECT_EQ(HX_UI_user_controlled_message("key", HX_UI_USER_MESSAGE_QUESTION, "T", "Text", 1, 2, &answer),
              0);
    EXPECT_EQ(answer, -3);
    EXPECT_EQ(vexa::sim::pending_answers(), 1u);
    vexa::sim::clear_answers();

    vexa::sim::Answer closed;
    closed.ask = vexa::sim::Ask::user_message;
    closed.close = true;
    vexa::sim::push_answer(closed);
    EXPECT_EQ(
        HX_UI_user_controlled_message("other", HX_UI_USER_MESSAGE_INFORMATION, "T", "Text", 0, 1, &answer),
        0);
    EXPECT_EQ(answer, HX_UI_USER_MESSAGE_CLOSED);
    // Hiding is kept only where the message offers it.
    vexa::sim::push_user_message_answer(1, true);
    HX_UI_user_controlled_message("other", HX_UI_USER_MESSAGE_INFORMATION, "T", "Text", 0, 1, &answer);
    vexa::sim::push_user_message_answer(2, true);
    HX_UI_user_controlled_message("key", HX_UI_USER_MESSAGE_QUESTION, "T", "Text", 1, 1, &answer);
    EXPECT_EQ(answer, -3);
    EXPECT_EQ(HX_UI_user_controlled_message("key", HX_UI_USER_MESSAGE_QUESTION, "T", "Text", 1, 1, &answer),
              0);
    EXPECT_EQ(answer, -3);
    EXPECT_EQ(vexa::sim::texts(Entry::user_message).size(), 6u); // the hidden one was not shown
    EXPECT_EQ(HX_UI_user_controlled_message("key", 3, "T", "Text", 1, 1, &answer), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_UI_user_controlled_message("key", 1, "T", "Text", 1, 2, &answer), HX_ERR_BAD_ARGUMENT);
}

TEST_F(HostShell, ToolingLogAndSessionSwitches)
{
    EXPECT_EQ(HX_kt_lprintf("release %s: %d\n", "V7", 5), 0);
    EXPECT_THAT(vexa::sim::texts(Entry::tooling_log), ElementsAre("release V7: 5\n"));

    int flag = -1;
    EXPECT_EQ(DUC_is_session_delayed(&flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(HX_ZOLT_set_session_delay(1), 0);
    EXPECT_TRUE(vexa::sim::session_delayed());
    EXPECT_EQ(DUC_undelay_session(), 0);
    EXPECT_FALSE(vexa::sim::session_delayed());
    vexa::sim::set_pdm_active(true);
    EXPECT_EQ(HX_is_krmanager_active(&flag), 0);
    EXPECT_EQ(flag, 1);
    char *release = nullptr;
    EXPECT_EQ(HX_get_release(&release), 0);
    EXPECT_STREQ(release, "V7.5.2");
    HX_free(release);
    ASSY_assy_options_t options{};
    options.option[0] = 4;
    EXPECT_EQ(ASSY_set_assy_options(&options), 0);
    EXPECT_EQ(vexa::sim::assembly_options()[0], 4);
    EXPECT_EQ(ASSY_ask_assy_options(nullptr), HX_ERR_BAD_ARGUMENT);
}
