// The dialog record of the accessors (styler.h).
#include "ui/styler.h"
#include "util/str_list.h"

#include "cvstvshare/util.h"

#include "hx_messages.h"

namespace cvstv::ui {

namespace {

const char *target_id(Target target, const char *item_id)
{
    switch (target) {
    case Target::dialog: return HX_STYLER_DIALOG_INDEX;
    case Target::navigation: return HX_STYLER_NAV_INDEX;
    default: return item_id;
    }
}

} // namespace

int result_of(const Exchange &x, int status)
{
    switch (x.result) {
    case Result::zero_or_failure: return status == 0 ? 0 : -1;
    case Result::zero: return 0;
    default: return status;
    }
}

Record::Record(const Exchange &x, const char *item_id)
{
    value_.item_id = target_id(x.target, item_id);
    value_.item_attr = x.attribute;
    value_.value_form = x.form;
    value_.count = x.count;
    value_.entry_index = x.entry;
}

Record::Record(int attribute, const char *item_id)
{
    value_.item_id = item_id;
    value_.item_attr = attribute;
    value_.entry_index = -1;
}

Record::~Record()
{
    if (asked_)
        HX_STYLER_free_value(&value_);
}

int Record::set(int dialog_id, bool block)
{
    return block ? BLD_hx_set_value(dialog_id, &value_) : HX_STYLER_set_value(dialog_id, &value_);
}

int Record::ask(int dialog_id)
{
    int status = HX_STYLER_ask_value(dialog_id, &value_);
    asked_ = status == 0;
    return status;
}

std::vector<std::string> Record::texts() const
{
    return texts_of(value_);
}

std::vector<std::string> texts_of(const HX_STYLER_item_value_type_t &v)
{
    std::vector<std::string> out;
    if (v.value_form != HX_STYLER_TEXTS || !v.value.strings)
        return out;
    for (int i = 0; i < v.count; ++i)
        out.emplace_back(v.value.strings[i] ? v.value.strings[i] : "");
    return out;
}

std::vector<int> Record::integers() const
{
    if (value_.value_form != HX_STYLER_INTEGERS || !value_.value.integers || value_.count <= 0)
        return {};
    return {value_.value.integers, value_.value.integers + value_.count};
}

void show_fail_text(int status)
{
    char text[HX_FAIL_MESSAGE_SIZE + 1] = "";
    HX_get_fail_message(status, text);
    HX_message_box(HX_SEVERITY_ERROR, text);
}

int integer_of(const Exchange &x, const HX_STYLER_item_value_type_t &v)
{
    switch (x.slot) {
    case Slot::entry_index: return v.entry_index;
    case Slot::count: return v.count;
    default: return v.value.integer;
    }
}

std::vector<std::string> ask_entries(int dialog_id, const char *item_id, int &status)
{
    Record r(HX_STYLER_LIST_ENTRIES, item_id);
    r->value_form = HX_STYLER_TEXTS;
    status = r.ask(dialog_id);
    return status == 0 ? r.texts() : std::vector<std::string>{};
}

int set_entries(int dialog_id, const char *item_id, const std::vector<std::string> &entries, bool block)
{
    std::vector<char *> pointers;
    std::vector<std::string> copies = entries; // the record takes non-constant texts
    for (std::string &entry : copies)
        pointers.push_back(entry.data());
    Record r(HX_STYLER_LIST_ENTRIES, item_id);
    r->value_form = HX_STYLER_TEXTS;
    r->count = static_cast<int>(pointers.size());
    r->value.strings = pointers.data();
    return r.set(dialog_id, block);
}

int ask_chosen_index(int dialog_id, const char *item_id, int &status)
{
    Record r(HX_STYLER_VALUE, item_id);
    r->value_form = HX_STYLER_INTEGER;
    status = r.ask(dialog_id);
    return status == 0 ? r->value.integer : -1;
}

int set_at_entry(int dialog_id, const char *item_id, int attribute, int index)
{
    Record r(attribute, item_id);
    r->entry_index = index;
    return r.set(dialog_id);
}

int hand_out_list(const std::vector<std::string> &texts, char ***list, int *count)
{
    *list = nullptr;
    *count = 0;
    int n = append_str_list(list, texts);
    if (n < 0)
        return -1;
    *count = n;
    return 0;
}

} // namespace cvstv::ui
