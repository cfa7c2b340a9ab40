// Dialog accessors of list-like items with steps of their own: reading the
// chosen entries in their several forms, finding, inserting, replacing and
// deleting entries, and choosing an entry by its text.
//
// Entries are read whole (attribute 6) into std::vector<std::string>,
// changed there and set whole again; a string list or host buffer is built
// only when it is handed to the caller, and nothing half-built is left
// behind when the host or its allocator refuses.
#include "cvstvshare/dialog_items.h"
#include "cvstvshare/util.h"
#include "ui/styler.h"
#include "util/text_buffer.h"

#include "hx_cxx.h"
#include "hx_memory.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using cvstv::ui::ask_chosen_index;
using cvstv::ui::ask_entries;
using cvstv::ui::Record;
using cvstv::ui::set_at_entry;
using cvstv::ui::set_entries;

namespace {

// The option text buffer of STV_ui_get_option and the host buffer of
// STV_ui_get_sel_list.
constexpr std::size_t option_text_size = 50;
constexpr std::size_t sel_list_buffer_size = 150;

// The chosen entries of an item as indices and texts (attribute 2, integer
// array form, then text array form).
struct Chosen {
    int status = 0;
    std::vector<int> indices;
    std::vector<std::string> texts;
};

Chosen ask_chosen(int dialog_id, const char *item_id)
{
    Chosen c;
    Record indices(HX_STYLER_VALUE, item_id);
    indices->value_form = HX_STYLER_INTEGERS;
    if ((c.status = indices.ask(dialog_id)) != 0)
        return c;
    c.indices = indices.integers();
    Record texts(HX_STYLER_VALUE, item_id);
    texts->value_form = HX_STYLER_TEXTS;
    if ((c.status = texts.ask(dialog_id)) == 0)
        c.texts = texts.texts();
    return c;
}

// The chosen entries handed out: a new index array from the host allocator
// and a new string list. On a refusal nothing is left allocated.
int hand_out_chosen(const Chosen &c, char ***list, int **indices, int *count)
{
    int *array = nullptr;
    if (!c.indices.empty()) {
        array = static_cast<int *>(HX_allocate_memory(c.indices.size() * sizeof(int), nullptr));
        if (!array)
            return -1;
        std::copy(c.indices.begin(), c.indices.end(), array);
    }
    int listed = 0;
    if (cvstv::ui::hand_out_list(c.texts, list, &listed) != 0) {
        HX_free(array);
        return -1;
    }
    *indices = array;
    *count = static_cast<int>(c.indices.size());
    return 0;
}

// The chosen index (integer form) and the chosen text (the item's own
// form) of a single-choice item; -1 when nothing is chosen or the host
// refuses.
int ask_chosen_text(int dialog_id, const char *item_id, std::string &text)
{
    int status = 0;
    int index = ask_chosen_index(dialog_id, item_id, status);
    if (status != 0 || index < 0)
        return -1;
    Record r(HX_STYLER_VALUE, item_id);
    r->value_form = HX_STYLER_TEXT;
    if (r.ask(dialog_id) != 0)
        return -1;
    text = r->value.string ? r->value.string : "";
    return index;
}

int index_of(const std::vector<std::string> &entries, const char *text, bool last)
{
    int found = -1;
    for (std::size_t i = 0; text && i < entries.size(); ++i) {
        if (entries[i] == text) {
            found = static_cast<int>(i);
            if (!last)
                break;
        }
    }
    return found;
}

// Sets one attribute at each index in turn; -1 at the first refusal.
int set_each(int dialog_id, const char *item_id, int attribute, const int *indices, int count)
{
    if (count < 0 || (count > 0 && !indices))
        return -1;
    for (int i = 0; i < count; ++i)
        if (set_at_entry(dialog_id, item_id, attribute, indices[i]) != 0)
            return -1;
    return 0;
}

bool all_given(char **texts, int count)
{
    for (int i = 0; i < count; ++i)
        if (!texts[i])
            return false;
    return true;
}

} // namespace

extern "C" {

CVSTV_API int STV_ui_get_option(int dialog_id, const char *item_id, char *text) noexcept
{
    return cvstv::guarded("STV_ui_get_option", -1, [&] {
        int status = 0;
        int index = ask_chosen_index(dialog_id, item_id, status);
        if (status != 0 || index < 0 || !text)
            return -1;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0 || static_cast<std::size_t>(index) >= entries.size())
            return -1;
        cvstv::copy_bounded(text, option_text_size, entries[static_cast<std::size_t>(index)]);
        return index;
    });
}

CVSTV_API int STV_ui_get_item_index(int dialog_id, const char *item_id, const char *text, int *index) noexcept
{
    return cvstv::guarded("STV_ui_get_item_index", -1, [&] {
        if (!index)
            return -1;
        int status = 0;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0)
            return -1;
        *index = index_of(entries, text, false);
        return 0;
    });
}

CVSTV_API int STV_ui_get_sel_list(int dialog_id, const char *item_id, char **text) noexcept
{
    return cvstv::guarded("STV_ui_get_sel_list", -1, [&] {
        if (!text)
            return -1;
        *text = nullptr;
        std::string chosen;
        int index = ask_chosen_text(dialog_id, item_id, chosen);
        if (index < 0)
            return -1;
        auto *buffer = static_cast<char *>(HX_zero_allocate_memory(sel_list_buffer_size, nullptr));
        if (!buffer)
            return -1;
        cvstv::copy_bounded(buffer, sel_list_buffer_size, chosen);
        *text = buffer;
        return index;
    });
}

CVSTV_API int STV_ui_get_multi_list(int dialog_id, const char *item_id, char ***list, int **indices,
                                    int *count) noexcept
{
    return cvstv::guarded("STV_ui_get_multi_list", -1, [&] {
        if (!list || !indices || !count)
            return -1;
        *list = nullptr;
        *indices = nullptr;
        *count = 0;
        Chosen c = ask_chosen(dialog_id, item_id);
        return c.status != 0 ? -1 : hand_out_chosen(c, list, indices, count);
    });
}

CVSTV_API int CVSTVSHARE_UI_ask_selected_subitems_value(int dialog_id, const char *item_id, int *count,
                                                        char ***list, int **indices) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_ask_selected_subitems_value", -1, [&]() -> int {
        return STV_ui_get_multi_list(dialog_id, item_id, list, indices, count);
    });
}

CVSTV_API int STV_ui_sel_multi_list(int dialog_id, const char *item_id, const int *indices,
                                    int count) noexcept
{
    return cvstv::guarded("STV_ui_sel_multi_list", -1,
                          [&] { return set_each(dialog_id, item_id, HX_STYLER_VALUE, indices, count); });
}

CVSTV_API int STV_ui_desel_multi_list_item(int dialog_id, const char *item_id, const int *indices,
                                           int count) noexcept
{
    return cvstv::guarded("STV_ui_desel_multi_list_item", -1,
                          [&] { return set_each(dialog_id, item_id, HX_STYLER_DESELECT, indices, count); });
}

CVSTV_API int STV_ui_modify_list_item(int dialog_id, const char *item_id, const char *text,
                                      int index) noexcept
{
    return cvstv::guarded("STV_ui_modify_list_item", -1, [&] {
        int status = 0;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0)
            return -1;
        if (text && index >= 0 && static_cast<std::size_t>(index) < entries.size())
            entries[static_cast<std::size_t>(index)] = text;
        return set_entries(dialog_id, item_id, entries);
    });
}

CVSTV_API int CVSTVSHARE_UI_ask_list_value(int dialog_id, const char *item_id, int *count,
                                           char ***list) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_ask_list_value", -1, [&] {
        if (!count || !list)
            return -1;
        *count = 0;
        *list = nullptr;
        int status = 0;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0)
            return status;
        return cvstv::ui::hand_out_list(entries, list, count);
    });
}

CVSTV_API int CVSTVSHARE_UI_ask_selected_subitem_value(int dialog_id, const char *item_id, int *index,
                                                       char **text) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_ask_selected_subitem_value", -1, [&] {
        if (!index || !text)
            return -1;
        *text = nullptr;
        int status = 0;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0 || entries.empty())
            return -1;
        int chosen = ask_chosen_index(dialog_id, item_id, status);
        if (status != 0)
            return -1;
        bool is_chosen = chosen >= 0 && static_cast<std::size_t>(chosen) < entries.size();
        *text = HX_strdup(entries[is_chosen ? static_cast<std::size_t>(chosen) : 0].c_str());
        if (!*text)
            return -1;
        *index = is_chosen ? chosen : -1;
        return is_chosen ? 0 : 1;
    });
}

CVSTV_API int CVSTVSHARE_UI_insert_subitem(int dialog_id, const char *item_id, const char *text,
                                           int position) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_insert_subitem", -1, [&] {
        if (!text)
            return 0;
        int status = 0;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0)
            return status;
        auto count = static_cast<int>(entries.size());
        auto at = position > 0 && position < count ? entries.begin() + position : entries.end();
        entries.insert(at, text);
        return set_entries(dialog_id, item_id, entries);
    });
}

CVSTV_API int CVSTVSHARE_UI_delete_subitems(int dialog_id, const char *item_id, int count,
                                            const int *indices) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_delete_subitems", -1, [&] {
        if (count < 0 || (count > 0 && !indices))
            return -1;
        // Highest index first, each once, so the indices still to delete
        // keep naming the entries the caller meant.
        std::vector<int> order(indices, indices + count);
        std::sort(order.begin(), order.end(), std::greater<>());
        order.erase(std::unique(order.begin(), order.end()), order.end());
        for (int index : order)
            if (set_at_entry(dialog_id, item_id, HX_STYLER_LIST_DELETE, index) != 0)
                return -1;
        return 0;
    });
}

CVSTV_API int CVSTVSHARE_UI_clear_list(int dialog_id, const char *item_id) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_clear_list", -1, [&]() -> int {
        const int all = -1;
        return CVSTVSHARE_UI_delete_subitems(dialog_id, item_id, 1, &all);
    });
}

CVSTV_API int CVSTVSHARE_UI_select_subitem1(int dialog_id, const char *item_id, const char *text,
                                            int add) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_select_subitem1", -1, [&] {
        int status = 0;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0 || !text)
            return -1;
        int chosen = index_of(entries, text, true);
        if (chosen < 0 && add == 1) {
            entries.emplace_back(text);
            chosen = static_cast<int>(entries.size()) - 1;
            if (int set = set_entries(dialog_id, item_id, entries))
                return set;
        } else if (chosen < 0) {
            chosen = 0;
        }
        return set_at_entry(dialog_id, item_id, HX_STYLER_VALUE, chosen);
    });
}

CVSTV_API int CVSTVSHARE_UI_set_list_value(int dialog_id, const char *item_id, int count, int replace,
                                           char **texts) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_set_list_value", -1, [&] {
        bool none = count <= 0 || !texts;
        if (!none && !all_given(texts, count))
            return -1;
        if (none)
            CVSTVSHARE_UI_clear_list(dialog_id, item_id);
        std::vector<std::string> entries;
        if (replace == 0) {
            int status = 0;
            entries = ask_entries(dialog_id, item_id, status);
            if (status != 0)
                return -1;
        }
        if (!none)
            entries.insert(entries.end(), texts, texts + count);
        return set_entries(dialog_id, item_id, entries);
    });
}

CVSTV_API int CVSTVSHARE_UI_delete_subitem(int dialog_id, const char *item_id, const char *text) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_delete_subitem", -1, [&] {
        int status = 0;
        std::vector<std::string> entries = ask_entries(dialog_id, item_id, status);
        if (status != 0)
            return -1;
        int removed = index_of(entries, text, true);
        if (removed < 0)
            return 0;
        std::erase(entries, std::string(text));
        if (set_entries(dialog_id, item_id, entries) != 0)
            return -1;
        if (static_cast<std::size_t>(removed) < entries.size())
            set_at_entry(dialog_id, item_id, HX_STYLER_VALUE, removed);
        return 0;
    });
}

CVSTV_API int CVSTVSHARE_UI_select_subitem(int dialog_id, const char *item_id, int index) noexcept
{
    return cvstv::guarded("CVSTVSHARE_UI_select_subitem", -1, [&] {
        int count = 0;
        int status = CVSTVSHARE_UI_ask_number_of_items(dialog_id, item_id, &count);
        if (index == -1 || (status == 0 && index >= 0 && index < count))
            return CVSTVSHARE_UI_set_item_choice(dialog_id, item_id, index);
        return status;
    });
}

CVSTV_API int kt_set_option_index(int dialog_id, const char *item_id, int index) noexcept
{
    return cvstv::guarded("kt_set_option_index", -1, [&]() -> int {
        int status = CVSTVSHARE_UI_set_item_choice(dialog_id, item_id, index);
        return status == 0 ? CVSTVSHARE_UI_set_focus(dialog_id, item_id) : status;
    });
}

} // extern "C"

CVSTV_API int STV_ui_get_list(int dialog_id, const char *item_id, Orvel::UString &text) noexcept
{
    return cvstv::guarded("STV_ui_get_list", -1, [&] {
        text.Clear();
        std::string chosen;
        int index = ask_chosen_text(dialog_id, item_id, chosen);
        if (index >= 0)
            text.Assign(chosen.c_str());
        return index;
    });
}
