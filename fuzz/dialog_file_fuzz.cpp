// Fuzz harness: dialog files of the headless host, and the dialog record.
//
// Input: the text of a dialog file. When it opens, the items "A", "B" and
// "C", the dialog itself and its navigation buttons are asked every
// attribute in every value form (what each ask hands out is freed), set
// every attribute with an integer and a real, and changed through the list
// accessors of the library. Every host block must be given back at the end.
#include "cvstvshare/dialog_items.h"
#include "cvstvshare/util.h"

#include "hx_dialogs.h"
#include "vexahost/session.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void exercise(int dialog_id, const char *item)
{
    for (int attribute = 0; attribute <= 20; ++attribute) {
        for (int form = HX_STYLER_OWN_FORM; form <= HX_STYLER_SELECTION_HANDLE; ++form) {
            HX_STYLER_item_value_type_t v{};
            v.item_id = item;
            v.item_attr = attribute;
            v.value_form = form;
            v.entry_index = (attribute + form) % 3 - 1;
            if (HX_STYLER_ask_value(dialog_id, &v) == 0)
                HX_STYLER_free_value(&v);
        }
        HX_STYLER_item_value_type_t v{};
        v.item_id = item;
        v.item_attr = attribute;
        v.entry_index = attribute % 2;
        v.value_form = HX_STYLER_INTEGER;
        v.value.integer = attribute - 1;
        HX_STYLER_set_value(dialog_id, &v);
        v.value_form = HX_STYLER_REAL;
        v.value.real = attribute * 0.5;
        HX_STYLER_set_value(dialog_id, &v);
    }
    char **list = nullptr;
    int count = 0;
    STV_get_list_items(dialog_id, item, &list, &count);
    kt_free_str_list(&list);
    CVSTVSHARE_UI_insert_subitem(dialog_id, item, "x", 1);
    CVSTVSHARE_UI_select_subitem1(dialog_id, item, "x", 1);
    CVSTVSHARE_UI_delete_subitem(dialog_id, item, "x");
    const int indices[] = {2, 0};
    CVSTVSHARE_UI_delete_subitems(dialog_id, item, 2, indices);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    vexa::sim::reset();
    std::size_t blocks = vexa::sim::live_blocks();
    std::string text(reinterpret_cast<const char *>(data), size);
    if (int id = vexa::sim::open_dialog_text(text)) {
        for (const char *item : {"A", "B", "C", HX_STYLER_DIALOG_INDEX, HX_STYLER_NAV_INDEX})
            exercise(id, item);
        vexa::sim::close_dialog(id);
    }
    if (vexa::sim::live_blocks() != blocks)
        std::abort();
    return 0;
}
