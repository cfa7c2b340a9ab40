// The headless host's dialog service: dialog files, the dialog record with
// its value forms and its free, and the modal run driven by the scripted
// user with a callback table.
#include "host_test.h"

#include "hx_dialogs.h"
#include "hx_memory.h"

#include <cstring>
#include <string>
#include <vector>

using vexa::sim::Entry;
using vexa::sim::ItemState;

namespace {

const std::string dialogs_dir = CVSTV_TEST_RESOURCES "/dialogs";

class DialogService : public HostTest {
  protected:
    void SetUp() override
    {
        HostTest::SetUp();
        vexa::sim::add_dialog_directory(dialogs_dir);
    }

    static ItemState item(int dialog, const std::string &id)
    {
        ItemState s;
        EXPECT_TRUE(vexa::sim::item_state(dialog, id, s)) << id;
        return s;
    }

    static std::vector<std::string> journal_texts(Entry kind) { return vexa::sim::texts(kind); }
};

HX_STYLER_item_value_type_t record(const char *item, int attribute, int form = HX_STYLER_OWN_FORM)
{
    HX_STYLER_item_value_type_t v{};
    v.item_id = item;
    v.item_attr = attribute;
    v.value_form = form;
    v.entry_index = -1;
    return v;
}

} // namespace

TEST_F(DialogService, DialogFilesAreFoundByBareNameAndReadWithEveryItemKind)
{
    int id = vexa::sim::open_dialog("every_item.dlg");
    ASSERT_GT(id, 0);
    vexa::sim::DialogState d;
    ASSERT_TRUE(vexa::sim::dialog_state(id, d));
    EXPECT_EQ(d.title, "Accessor Test");
    EXPECT_EQ(d.width, 320);
    EXPECT_EQ(d.pages, (std::vector<std::string>{"Main", "More"}));
    EXPECT_EQ(d.nav_shown, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(vexa::sim::kind_of(static_cast<tag_t>(id)), vexa::sim::ObjectKind::dialog);
    EXPECT_EQ(vexa::sim::kind_of(d.selection), vexa::sim::ObjectKind::selection);

    EXPECT_EQ(item(id, "NOTES").lines, (std::vector<std::string>{"first line", "second line"}));
    EXPECT_EQ(item(id, "MULTI").chosen, (std::vector<int>{1, 3}));
    EXPECT_EQ(item(id, "PAGES").chosen, (std::vector<int>{0})) << "a tab always has an active page";
    EXPECT_EQ(item(id, "ANGLE").step, 0.5);
    EXPECT_EQ(journal_texts(Entry::dialog_open), (std::vector<std::string>{"every_item.dlg"}));

    vexa::sim::set_env("STRIVO_DIR", "/no/such/kit");
    std::string error;
    EXPECT_EQ(vexa::sim::open_dialog("missing.dlg", &error), 0);
    EXPECT_EQ(error, "dialog file missing.dlg not found");
    EXPECT_TRUE(vexa::sim::close_dialog(id));
    EXPECT_EQ(vexa::sim::kind_of(d.selection), vexa::sim::ObjectKind::none)
        << "the selection goes with its dialog";
}

TEST_F(DialogService, MalformedDialogFilesAreRefusedWithTheLineAndTheReason)
{
    struct Case {
        const char *text;
        const char *reason;
    };
    const Case cases[] = {
        {"item A label\n", "line 1: a dialog file begins with \"dialog TITLE\""},
        {"dialog \"T\nitem A label\n", "line 1: unterminated text"},
        {"dialog T\nitem A slider\n", "line 2: unknown item kind \"slider\""},
        {"dialog T\nitem A label\nitem A button\n", "line 3: item id \"A\" is used twice"},
        {"dialog T\nitem A integer\n  value 12x\n", "line 3: \"12x\" is not a whole number"},
        {"dialog T\nitem A list\n  entries a b\n  value 2\n",
         "line 4: item A: a chosen entry lies beyond the entries"},
        {"dialog T\nitem A list\n  entries a b\n  value 0 1\n",
         "line 4: item A: only a list with \"multiple\" chooses several entries"},
        {"dialog T\nitem A real_scale\n  range 5 1\n",
         "line 3: item A: the range's minimum exceeds its maximum"},
        {"dialog T\nitem A int_scale\n  range 0 10\n  value 11\n",
         "line 4: item A: the value lies outside the range"},
        {"dialog T\nitem HX_STYLER_NAV_INDEX button\n",
         "line 2: item id \"HX_STYLER_NAV_INDEX\" is reserved"},
        {"dialog T\nnavigation ok help\n",
         "line 2: unknown navigation button \"help\" (ok, apply, back, cancel)"},
        {"dialog T\nitem A button\n  value 1\n", "line 3: a button has no value"},
        {"dialog T\nitem A string\n  value \"a\\q\"\n",
         "line 3: unknown escape in text (only \\\" and \\\\)"},
    };
    for (const Case &c : cases) {
        std::string error;
        EXPECT_EQ(vexa::sim::open_dialog_text(c.text, &error), 0) << c.text;
        EXPECT_EQ(error, c.reason) << c.text;
    }
    std::string long_text = "dialog T\nitem A string\n  value \"" + std::string(133, 'x') + "\"\n";
    std::string error;
    EXPECT_EQ(vexa::sim::open_dialog_text(long_text, &error), 0);
    EXPECT_EQ(error, "line 3: a text field holds at most 132 characters");
    EXPECT_TRUE(vexa::sim::open_dialogs().empty());
}

TEST_F(DialogService, AsksAnswerInTheFormAskedAndTheFreeReleasesOnlyWhatTheHostGave)
{
    int id = vexa::sim::open_dialog("every_item.dlg");
    auto v = record("MULTI", HX_STYLER_VALUE, HX_STYLER_TEXTS);
    ASSERT_EQ(HX_STYLER_ask_value(id, &v), HX_OK);
    ASSERT_EQ(v.count, 2);
    EXPECT_STREQ(v.value.strings[0], "b");
    EXPECT_STREQ(v.value.strings[1], "d");
    EXPECT_EQ(HX_STYLER_free_value(&v), HX_OK);
    EXPECT_EQ(v.value.strings, nullptr);
    EXPECT_EQ(HX_STYLER_free_value(&v), HX_OK) << "a second free finds nothing to release";

    v = record("PARTS", HX_STYLER_VALUE);
    ASSERT_EQ(HX_STYLER_ask_value(id, &v), HX_OK);
    EXPECT_EQ(v.value_form, HX_STYLER_TEXT) << "a list's own form is its chosen text";
    EXPECT_EQ(v.value.string, nullptr) << "nothing is chosen";

    char own[] = "mine";
    v = record("NAME", HX_STYLER_VALUE, HX_STYLER_TEXT);
    v.value.string = own;
    EXPECT_EQ(HX_STYLER_free_value(&v), HX_OK);
    EXPECT_STREQ(own, "mine") << "a text the host did not hand out is left alone";

    v = record("DEPTH", HX_STYLER_VALUE, HX_STYLER_INTEGERS);
    ASSERT_EQ(HX_STYLER_ask_value(id, &v), HX_OK);
    EXPECT_EQ(v.count, 2);
    EXPECT_EQ(v.value.integers[1], 10);
    HX_STYLER_free_value(&v);

    vexa::sim::fail_allocations_after(0);
    v = record("NOTES", HX_STYLER_VALUE);
    EXPECT_EQ(HX_STYLER_ask_value(id, &v), HX_ERR_NO_MEMORY);
    EXPECT_EQ(v.value.strings, nullptr) << "a failed ask leaves the record as it was";
    vexa::sim::fail_allocations_after(1);
    EXPECT_EQ(HX_STYLER_ask_value(id, &v), HX_ERR_NO_MEMORY) << "the array, then a line, cannot be had";
}

TEST_F(DialogService, RefusedSetsChangeNothingAndSayWhy)
{
    int id = vexa::sim::open_dialog("every_item.dlg");
    auto v = record("COUNT", HX_STYLER_VALUE, HX_STYLER_REAL);
    v.value.real = 2.0;
    EXPECT_EQ(HX_STYLER_set_value(id, &v), HX_STYLER_ERR_BAD_VALUE) << "an integer item takes no real";
    v = record("PARTS", HX_STYLER_LIST_INSERT, HX_STYLER_TEXTS);
    v.entry_index = 4;
    char entry[] = "new";
    char *one[] = {entry};
    v.count = 1;
    v.value.strings = one;
    EXPECT_EQ(HX_STYLER_set_value(id, &v), HX_STYLER_ERR_BAD_VALUE) << "no position 4 in three entries";
    EXPECT_EQ(item(id, "PARTS").entries.size(), 3u);
    v = record("RUN", HX_STYLER_VALUE);
    EXPECT_EQ(HX_STYLER_set_value(id, &v), HX_STYLER_ERR_BAD_ATTRIBUTE) << "a button has no value";
    v = record("NOPE", HX_STYLER_VALUE);
    EXPECT_EQ(HX_STYLER_set_value(id, &v), HX_STYLER_ERR_NO_ITEM);
    EXPECT_EQ(HX_STYLER_set_value(id + 100, &v), HX_STYLER_ERR_NO_DIALOG);
    v.item_id = nullptr;
    EXPECT_EQ(HX_STYLER_set_value(id, &v), HX_ERR_BAD_ARGUMENT);
    EXPECT_EQ(HX_STYLER_set_value(id, nullptr), HX_ERR_BAD_ARGUMENT);

    v = record("ANGLE", HX_STYLER_VALUE, HX_STYLER_REALS);
    double range[2] = {10, 20};
    v.count = 2;
    v.value.reals = range;
    ASSERT_EQ(HX_STYLER_set_value(id, &v), HX_OK);
    EXPECT_EQ(item(id, "ANGLE").real, 20) << "the value is kept within the new range";
}

// ---- Modal runs ------------------------------------------------------------------

namespace {

struct Seen {
    std::vector<std::string> calls;
    int flips = 0;
};

int note(int, void *data, HX_STYLER_item_value_type_p_t v)
{
    auto *seen = static_cast<Seen *>(data);
    std::string call = std::string(v->item_id) + "/" + std::to_string(v->reason);
    if (v->value_form == HX_STYLER_TEXT)
        call += "=" + std::string(v->value.string);
    if (v->reason == HX_STYLER_ACTIVATE_CB && v->entry_index >= 0)
        call += "#" + std::to_string(v->entry_index);
    seen->calls.push_back(call);
    return HX_STYLER_CB_CONTINUE;
}

int flip(int dialog_id, void *data, HX_STYLER_item_value_type_p_t v)
{
    ++static_cast<Seen *>(data)->flips;
    // A callback changes items of its own dialog.
    auto label = record("FLIP", HX_STYLER_LABEL);
    char text[] = "Flipped";
    label.value.string = text;
    HX_STYLER_set_value(dialog_id, &label);
    return note(dialog_id, data, v);
}

int refuse_ok(int dialog_id, void *data, HX_STYLER_item_value_type_p_t v)
{
    note(dialog_id, data, v);
    return HX_STYLER_CB_CONTINUE;
}

int end_dialog(int dialog_id, void *data, HX_STYLER_item_value_type_p_t v)
{
    note(dialog_id, data, v);
    return HX_STYLER_CB_EXIT;
}

const std::string dialog_index = HX_STYLER_DIALOG_INDEX;

} // namespace

TEST_F(DialogService, AModalRunCallsTheCallbacksForWhatTheUserDoesAndEndsWithTheResponse)
{
    const HX_STYLER_callback_info_t table[] = {
        {HX_STYLER_DIALOG_INDEX, HX_STYLER_CONSTRUCTOR_CB, note},
        {HX_STYLER_DIALOG_INDEX, HX_STYLER_DESTRUCTOR_CB, note},
        {HX_STYLER_DIALOG_INDEX, HX_STYLER_OK_CB, end_dialog},
        {"FLIP", HX_STYLER_ACTIVATE_CB, flip},
        {"NAME", HX_STYLER_ACTIVATE_CB, note},
        {"SIDES", HX_STYLER_ACTIVATE_CB, note},
        {"SIDES", HX_STYLER_DOUBLE_CLICK_CB, note},
        {nullptr, 0, nullptr},
    };
    vexa::sim::push_item_press("FLIP");
    vexa::sim::push_item_text("NAME", std::string(140, 'n'));
    vexa::sim::push_item_choice("SIDES", {1});
    vexa::sim::push_item_double_click("SIDES", 0);
    vexa::sim::push_item_press("NAME");
    vexa::sim::push_dialog_navigate(HX_STYLER_NAV_OK);
    Seen seen;
    int response = 0;
    ASSERT_EQ(HX_STYLER_create_dialog("flip.dlg", table, &seen, &response), HX_OK);
    EXPECT_EQ(response, HX_STYLER_RESPONSE_OK);
    EXPECT_EQ(seen.flips, 1);
    EXPECT_EQ(seen.calls,
              (std::vector<std::string>{dialog_index + "/1", "FLIP/7", "NAME/7=" + std::string(132, 'n'),
                                        "SIDES/7#1", "SIDES/9", dialog_index + "/3", dialog_index + "/2"}))
        << "a text field takes 132 characters; pressing a text field is refused";
    EXPECT_EQ(journal_texts(Entry::dialog_action),
              (std::vector<std::string>{"FLIP: pressed", "NAME: \"" + std::string(132, 'n') + "\"",
                                        "SIDES: \"right\"", "SIDES: \"left\" double-clicked",
                                        "NAME: refused: is not a button", "OK: pressed"}));
    ASSERT_EQ(vexa::sim::journal().back().kind, Entry::dialog_close);
    EXPECT_EQ(vexa::sim::journal().back().response, HX_STYLER_RESPONSE_OK);
    EXPECT_TRUE(vexa::sim::open_dialogs().empty());
    EXPECT_EQ(vexa::sim::pending_answers(), 0u);
}

TEST_F(DialogService, GreyedButtonsCannotBePressedAndAnUnscriptedUserCancels)
{
    const HX_STYLER_callback_info_t table[] = {
        {HX_STYLER_DIALOG_INDEX, HX_STYLER_OK_CB, refuse_ok},
        {HX_STYLER_DIALOG_INDEX, HX_STYLER_CANCEL_CB, note},
        {nullptr, 0, nullptr},
    };
    vexa::sim::push_dialog_navigate(HX_STYLER_NAV_APPLY); // not offered by this dialog
    vexa::sim::push_dialog_navigate(HX_STYLER_NAV_OK);    // its callback keeps the dialog open
    Seen seen;
    int response = 0;
    ASSERT_EQ(HX_STYLER_create_dialog("flip.dlg", table, &seen, &response), HX_OK);
    EXPECT_EQ(response, HX_STYLER_RESPONSE_CANCEL);
    EXPECT_EQ(seen.calls, (std::vector<std::string>{dialog_index + "/3", dialog_index + "/6"}));
    EXPECT_EQ(
        journal_texts(Entry::dialog_action),
        (std::vector<std::string>{"Apply: refused: cannot be used", "OK: pressed", "closed by the user"}));

    vexa::sim::push_dialog_navigate(HX_STYLER_NAV_BACK);
    ASSERT_EQ(HX_STYLER_create_dialog("flip.dlg", nullptr, nullptr, &response), HX_OK);
    EXPECT_EQ(response, HX_STYLER_RESPONSE_BACK) << "Back without a callback ends the dialog";
}

TEST_F(DialogService, ADialogThatCannotBeCreatedAnswersAStatusAndLogsWhy)
{
    int response = -7;
    EXPECT_EQ(HX_STYLER_create_dialog("nowhere.dlg", nullptr, nullptr, &response), HX_ERR_NOT_FOUND);
    EXPECT_EQ(response, -7);
    std::string path = testing::TempDir() + "broken.dlg";
    FILE *f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("dialog Broken\nitem X wheel\n", f);
    std::fclose(f);
    EXPECT_EQ(HX_STYLER_create_dialog(path.c_str(), nullptr, nullptr, &response), HX_STYLER_ERR_DIALOG_FILE);
    EXPECT_EQ(journal_texts(Entry::syslog).back(),
              "HX_STYLER_create_dialog: " + path + ": line 2: unknown item kind \"wheel\"");
    vexa::sim::fail_call("HX_STYLER_create_dialog", HX_ERR_INTERNAL);
    EXPECT_EQ(HX_STYLER_create_dialog("flip.dlg", nullptr, nullptr, &response), HX_ERR_INTERNAL);
}
