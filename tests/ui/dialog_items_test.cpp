// The dialog item accessors against a real dialog of the headless host:
// every value form read and written, labels, sensitivity and visibility,
// scales, pages, option menus and the result rules (status, 0/-1, 0).
#include "ui_test.h"

#include "cvstvshare/dialog_items.h"
#include "cvstvshare/util.h"

#include "hx_cxx.h"
#include "hx_dialogs.h"
#include "hx_memory.h"

#include <cstring>
#include <string>
#include <vector>

using vexa::sim::Entry;

class DialogItems : public UiTest {};

TEST_F(DialogItems, TextIntegerRealAndToggleValuesRoundTrip)
{
    int d = open("every_item.dlg");
    EXPECT_EQ(CVSTVSHARE_UI_set_string_value(d, "NAME", "P200"), 0);
    char text[HX_STYLER_MAX_TEXT_SIZE + 1] = "old";
    EXPECT_EQ(CVSTVSHARE_UI_ask_string_value(d, "NAME", text), 0);
    EXPECT_STREQ(text, "P200");
    EXPECT_EQ(KT_STYLER_ask_str_value(d, "NAME", text), 0);
    char *copy = nullptr;
    EXPECT_EQ(STV_ui_get_value_str(d, "NAME", &copy), 0);
    EXPECT_STREQ(copy, "P200");
    HX_free(copy);

    EXPECT_EQ(CVSTVSHARE_UI_set_integer_value(d, "COUNT", -7), 0);
    int n = 0;
    EXPECT_EQ(STV_ui_get_int_value(d, "COUNT", &n), 0);
    EXPECT_EQ(n, -7);
    EXPECT_EQ(CVSTVSHARE_UI_set_real_value(d, "OFFSET", 0.25), 0);
    double r = 0;
    EXPECT_EQ(STV_ui_get_value(d, "OFFSET", &r), 0);
    EXPECT_EQ(r, 0.25);
    EXPECT_EQ(CVSTVSHARE_UI_set_toggle_value(d, "KEEP", 0), 0);
    EXPECT_EQ(CVSTVSHARE_UI_ask_toggle_value(d, "KEEP", &n), 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(STV_ui_set_toggle_button(d, "KEEP", 5), 0);
    EXPECT_EQ(CVSTVSHARE_UI_ask_item_choice(d, "KEEP", &n), 0);
    EXPECT_EQ(n, 1) << "a toggle is on or off";

    EXPECT_EQ(STV_ui_modify_textf(d, "OFFSET", "Offset (mm)", 2.5), 0);
    EXPECT_EQ(STV_ui_modify_int_textf(d, "COUNT", "", 9), 0);
    EXPECT_EQ(STV_ui_modify_textf_str(d, "NAME", nullptr, "P300"), 0);
    EXPECT_EQ(item(d, "OFFSET").label, "Offset (mm)");
    EXPECT_EQ(item(d, "OFFSET").real, 2.5);
    EXPECT_EQ(item(d, "COUNT").label, "Count") << "an empty label leaves the label as it was";
    EXPECT_EQ(item(d, "COUNT").integer, 9);
    EXPECT_EQ(item(d, "NAME").text, "P300");

    char *lines[] = {const_cast<char *>("one"), const_cast<char *>("two"), const_cast<char *>("three")};
    EXPECT_EQ(CVSTVSHARE_UI_set_textbox_value(d, "NOTES", 3, lines), 0);
    EXPECT_EQ(item(d, "NOTES").lines, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(vexa::sim::call_count("BLD_hx_set_value"), 1) << "text boxes go through the block-dialog set";
}

TEST_F(DialogItems, ResultRulesPassTheStatusReduceItOrIgnoreIt)
{
    int d = open("every_item.dlg");
    EXPECT_EQ(CVSTVSHARE_UI_set_integer_value(d, "NAME", 1), HX_STYLER_ERR_BAD_VALUE) << "status";
    EXPECT_EQ(STV_ui_set_toggle_button(d, "NOPE", 1), -1) << "0/-1";
    EXPECT_EQ(STV_ui_modify_visibility(d + 50, "KEEP", 0), 0) << "0 whatever the host says";
    EXPECT_EQ(CVSTVSHARE_UI_set_dialog_title(d + 50, "T"), HX_STYLER_ERR_NO_DIALOG);

    double r = 99;
    EXPECT_EQ(CVSTVSHARE_UI_ask_real_value(d, "NOPE", &r), HX_STYLER_ERR_NO_ITEM);
    EXPECT_EQ(r, 0) << "set to 0 first";
    r = 99;
    EXPECT_EQ(STV_ui_get_value(d, "NOPE", &r), -1);
    EXPECT_EQ(r, 99) << "left alone when the host refuses";
    int flag = 5;
    EXPECT_EQ(CVSTVSHARE_UI_ask_item_sensitivity(d, "NOPE", &flag), HX_STYLER_ERR_NO_ITEM);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(CVSTVSHARE_UI_ask_integer_value(d, "COUNT", nullptr), -1) << "a null out argument";
    EXPECT_EQ(CVSTVSHARE_UI_ask_string_value(d, "COUNT", nullptr), -1);
    EXPECT_EQ(CVSTVSHARE_UI_set_string_value(d, "NAME", std::string(133, 'x').c_str()),
              HX_STYLER_ERR_BAD_VALUE)
        << "a text item holds at most 132 characters";
    EXPECT_EQ(CVSTVSHARE_UI_set_string_value(d, "NAME", nullptr), HX_STYLER_ERR_BAD_VALUE);
    EXPECT_EQ(item(d, "NAME").text, "P100");
}

TEST_F(DialogItems, LabelsBitmapsFocusSensitivityAndVisibility)
{
    int d = open("every_item.dlg");
    EXPECT_EQ(STV_ui_modify_title(d, "CAPTION", "Components"), 0);
    EXPECT_EQ(KT_STYLER_set_label_value(d, "RUN", "Go"), 0);
    EXPECT_EQ(CVSTVSHARE_UI_set_bitmap(d, "RUN", "go.bmp"), 0);
    EXPECT_EQ(STV_ui_modify_bitmap(d, "CAPTION", "parts.bmp"), 0);
    EXPECT_EQ(item(d, "CAPTION").label, "Components");
    EXPECT_EQ(item(d, "RUN").label, "Go");
    EXPECT_EQ(item(d, "RUN").bitmap, "go.bmp");
    EXPECT_EQ(item(d, "CAPTION").bitmap, "parts.bmp");

    EXPECT_EQ(STV_ui_modify_sensitivity(d, "RUN", 0), 0);
    EXPECT_EQ(CVSTVSHARE_UI_set_item_visibility(d, "COUNT", 0), 0);
    int flag = -1;
    EXPECT_EQ(CVSTVSHARE_UI_ask_item_sensitivity(d, "RUN", &flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(CVSTVSHARE_UI_ask_item_visibility(d, "COUNT", &flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(STV_ui_modify_op_sensitivity(d, "SIDE", 0, 1), 0);
    EXPECT_EQ(CVSTVSHARE_UI_set_item_sensitivity(d, "MODE", 0, 0), 0);
    EXPECT_EQ(item(d, "SIDE").entry_sensitive, (std::vector<bool>{true, false}));
    EXPECT_EQ(item(d, "MODE").entry_sensitive, (std::vector<bool>{false, true}));
    EXPECT_EQ(item(d, "MODE").sensitive, true) << "an entry's sensitivity is not the item's";
    EXPECT_EQ(CVSTVSHARE_UI_set_item_sensitivity(d, "MODE", 2, 0), HX_STYLER_ERR_BAD_VALUE);

    EXPECT_EQ(CVSTVSHARE_UI_set_focus(d, "NAME"), 0);
    EXPECT_EQ(kt_set_option_index(d, "MODE", 1), 0);
    EXPECT_EQ(dialog(d).focus, "MODE") << "choosing an option moves the focus to it";
    EXPECT_EQ(kt_set_option_index(d, "MODE", 5), HX_STYLER_ERR_BAD_VALUE);
    EXPECT_EQ(dialog(d).focus, "MODE") << "the focus stays when the choice is refused";
}

TEST_F(DialogItems, TheDialogItsNavigationButtonsAndItsPages)
{
    int d = open("every_item.dlg");
    EXPECT_EQ(CVSTVSHARE_UI_set_dialog_title(d, "Parting"), 0);
    EXPECT_EQ(STV_ui_set_dialog_width(d, 480), 0);
    EXPECT_EQ(STV_ui_change_cancel_to_back(d, "Back"), 0);
    STV_ui_modify_okapply_sensitivity(d, 0, 1);
    vexa::sim::DialogState s = dialog(d);
    EXPECT_EQ(s.title, "Parting");
    EXPECT_EQ(s.width, 480);
    EXPECT_EQ(s.nav_labels[HX_STYLER_NAV_CANCEL], "Back");
    EXPECT_EQ(s.nav_sensitive, (std::array<bool, 4>{false, true, true, true}));

    EXPECT_EQ(STV_ui_set_dialog_width(d, 0), -1);
    EXPECT_EQ(message_boxes(), (std::vector<std::string>{"Invalid value for the dialog item"}))
        << "a refused width is shown to the user";

    EXPECT_EQ(CVSTVSHARE_UI_set_active_page(d, 1), 0);
    int page = -1;
    EXPECT_EQ(CVSTVSHARE_UI_ask_active_page(d, &page), 0);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(CVSTVSHARE_UI_set_active_page(d, 2), HX_STYLER_ERR_BAD_VALUE) << "two pages";
    EXPECT_EQ(STV_ui_set_active_id(d, "PAGES", 1), 0);
    EXPECT_EQ(STV_ui_get_active_id(d, "PAGES", &page), 0);
    EXPECT_EQ(page, 1);
    EXPECT_EQ(STV_ui_set_active_id(d, "NAME", 1), -1) << "a text field has no pages";
}

TEST_F(DialogItems, ScalesKeepTheirRangeAndARefusedValueIsShown)
{
    int d = open("every_item.dlg");
    EXPECT_EQ(STV_ui_set_scale_range(d, "ANGLE", 10, 80), 0);
    EXPECT_EQ(STV_ui_set_scale_value(d, "ANGLE", 30.5), 0);
    double lo = 0, hi = 0, v = 0;
    EXPECT_EQ(STV_ui_get_scale_range(d, "ANGLE", &lo, &hi), 0);
    EXPECT_EQ(STV_ui_get_scale_value(d, "ANGLE", &v), 0);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 80);
    EXPECT_EQ(v, 30.5);
    EXPECT_EQ(CVSTVSHARE_UI_set_real_scale_range(d, "ANGLE", 0, 20), 0);
    EXPECT_EQ(CVSTVSHARE_UI_ask_real_scale_value(d, "ANGLE", &v), 0);
    EXPECT_EQ(v, 20) << "the value follows a narrowed range";
    EXPECT_EQ(CVSTVSHARE_UI_set_real_scale_value(d, "ANGLE", 5), 0);
    EXPECT_EQ(CVSTVSHARE_UI_set_real_scale_decimal_precision(d, "ANGLE", 3), 0);
    EXPECT_EQ(CVSTVSHARE_UI_set_real_scale_step_value(d, "ANGLE", 0.25), 0);
    EXPECT_EQ(item(d, "ANGLE").decimals, 3);
    EXPECT_EQ(item(d, "ANGLE").step, 0.25);
    EXPECT_EQ(CVSTVSHARE_UI_set_real_scale_step_value(d, "ANGLE", -1), HX_STYLER_ERR_BAD_VALUE);

    EXPECT_EQ(STV_ui_set_int_scale_range(d, "DEPTH", -5, 5), 0);
    EXPECT_EQ(STV_ui_set_int_scale_value(d, "DEPTH", -3), 0);
    int ilo = 0, ihi = 0, iv = 0;
    EXPECT_EQ(STV_ui_get_int_scale_range(d, "DEPTH", &ilo, &ihi), 0);
    EXPECT_EQ(STV_ui_get_int_scale_value(d, "DEPTH", &iv), 0);
    EXPECT_EQ((std::vector<int>{ilo, ihi, iv}), (std::vector<int>{-5, 5, -3}));

    testing::internal::CaptureStdout();
    EXPECT_EQ(STV_ui_set_scale_value(d, "ANGLE", 95), -1);
    EXPECT_EQ(STV_ui_set_int_scale_value(d, "DEPTH", 6), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "hx_ret=1304\nhx_ret=1304\n");
    EXPECT_EQ(message_boxes(), (std::vector<std::string>(2, "Invalid value for the dialog item")));
    EXPECT_EQ(item(d, "ANGLE").real, 5);
    EXPECT_EQ(STV_ui_set_scale_range(d, "ANGLE", 9, 1), -1) << "a range runs upwards";
    EXPECT_EQ(STV_ui_get_scale_range(d, "DEPTH", &lo, &hi), -1) << "an integer scale has no real range";
}

TEST_F(DialogItems, OptionMenusRadioBoxesAndPalettes)
{
    int d = open("every_item.dlg");
    char options[3][50] = {"inch", "millimetre", ""};
    std::memset(options[2], 'o', sizeof options[2]); // a row without a terminator
    EXPECT_EQ(STV_ui_modify_option(d, "MODE", "Units", options, 3, 1), 0);
    EXPECT_EQ(item(d, "MODE").label, "Units");
    EXPECT_EQ(item(d, "MODE").entries,
              (std::vector<std::string>{"inch", "millimetre", std::string(49, 'o')}));
    char text[50] = "untouched";
    EXPECT_EQ(STV_ui_get_option(d, "MODE", text), 1);
    EXPECT_STREQ(text, "millimetre");
    int index = -5;
    EXPECT_EQ(kt_ask_option_index(d, "MODE", &index), 0);
    EXPECT_EQ(index, 1);

    EXPECT_EQ(CVSTVSHARE_UI_clear_option_menu(d, "MODE", 2), 0);
    EXPECT_EQ(item(d, "MODE").entries, (std::vector<std::string>{"", ""}));
    std::strcpy(text, "untouched");
    EXPECT_EQ(STV_ui_get_option(d, "SIDE", text), -1) << "nothing chosen";
    EXPECT_STREQ(text, "untouched");

    EXPECT_EQ(STV_ui_modify_radio(d, "SIDE", 1), 0);
    EXPECT_EQ(STV_ui_get_radio(d, "SIDE", &index), 0);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(STV_ui_modify_option_item(d, "SIDE", 0), 0);
    EXPECT_EQ(item(d, "SIDE").chosen, (std::vector<int>{0}));
    EXPECT_EQ(STV_ui_set_palette_value(d, "COLOURS", 1), 0);
    EXPECT_EQ(STV_ui_get_palette_value(d, "COLOURS", &index), 0);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(STV_ui_set_palette_value(d, "COLOURS", 2), -1);
}

TEST_F(DialogItems, TheDialogSelectionIsReadWithoutAnItem)
{
    tag_t part = vexa::sim::create_part("/p/top.prt");
    tag_t body = vexa::sim::create_object(part, 70, 0, "B");
    int d = open("every_item.dlg");
    HX_UI_add_to_sel_list(dialog(d).selection, 1, &body, 1);
    tag_t *objects = nullptr;
    int count = 0;
    EXPECT_EQ(STV_ui_get_sel_obj(d, &objects, &count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(objects[0], body);
    HX_free(objects);

    testing::internal::CaptureStdout();
    EXPECT_EQ(STV_ui_get_sel_obj(d + 99, &objects, &count), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "<HX_UI_ask_sel_object_list> -- error\n");
    EXPECT_EQ(count, 0);
    EXPECT_EQ(objects, nullptr);
}

TEST_F(DialogItems, TheListReadIntoAHostTextObjectIsClearedFirst)
{
    int d = open("every_item.dlg");
    Orvel::UString text("stale");
    EXPECT_EQ(STV_ui_get_list(d, "PARTS", text), -1);
    EXPECT_TRUE(text.IsEmpty());
    CVSTVSHARE_UI_set_item_choice(d, "PARTS", 2);
    EXPECT_EQ(STV_ui_get_list(d, "PARTS", text), 2);
    EXPECT_STREQ(text.GetText(), "cavity");
}
