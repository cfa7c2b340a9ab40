// The dialog record as the dialog accessors use it.
//
// Every accessor fills one host record with an item attribute, a value form
// and a value, sets it or asks it, and turns the host's answer into its
// result. An Exchange says all of that for one accessor, so the accessor
// family is a table of exchanges (dialog_accessors.cpp) over a few shapes
// declared here; the accessors with steps of their own (lists, choices)
// use the same Record.
//
// A Record releases what the host put into it on an ask when it goes
// (HX_STYLER_free_value), on every path.
#ifndef CVSTV_UI_STYLER_H
#define CVSTV_UI_STYLER_H

#include "util/boundary.h"

#include "hx_dialogs.h"

#include <cstdio>
#include <string>
#include <vector>

namespace cvstv::ui {

// How an accessor turns the host's status into its result.
enum class Result {
    status,          // the host's status
    zero_or_failure, // -1 when the host refuses, else 0
    zero,            // 0 whatever the host answers
};

// Where a record goes: an item, the dialog itself, its navigation buttons.
enum class Target { item, dialog, navigation };

// Where a single integer travels: in the value, in the entry index, or (for
// an ask) in the value count.
enum class Slot { value, entry_index, count };

// How a refused set is told to the user.
enum class Report {
    none,
    message,           // the host's text for the status in the message box
    print_and_message, // "hx_ret=%d\n" on the standard output, then the message
};

struct Exchange {
    int attribute = HX_STYLER_VALUE;
    int form = HX_STYLER_OWN_FORM;
    int count = 0;
    int entry = -1;
    Result result = Result::status;
    Target target = Target::item;
    Slot slot = Slot::value;
    bool block = false;      // set through the block-dialog variant
    bool zero_first = false; // an ask sets its out value to 0 first
    Report report = Report::none;
};

int result_of(const Exchange &x, int status);

class Record {
  public:
    Record(const Exchange &x, const char *item_id);
    Record(int attribute, const char *item_id);
    Record(const Record &) = delete;
    Record &operator=(const Record &) = delete;
    ~Record();

    HX_STYLER_item_value_type_t &operator*() { return value_; }
    HX_STYLER_item_value_type_t *operator->() { return &value_; }

    // Sets the record (through the block-dialog variant when asked so).
    int set(int dialog_id, bool block = false);
    // Asks the record; what the host puts in is released with the record.
    int ask(int dialog_id);

    // The answer's texts (form HX_STYLER_TEXTS; null entries read as "").
    std::vector<std::string> texts() const;
    // The answer's integers (form HX_STYLER_INTEGERS).
    std::vector<int> integers() const;

  private:
    HX_STYLER_item_value_type_t value_{};
    bool asked_ = false;
};

// The host's text for a status in the message box (error severity).
void show_fail_text(int status);

// Sets the exchange's record, filled by fill(record), then applies its
// report and result rule. The shape of every mechanical setter.
template <class Fill>
int set_with(const char *function, const Exchange &x, int dialog_id, const char *item_id,
             Fill &&fill) noexcept
{
    return cvstv::guarded(function, -1, [&] {
        Record r(x, item_id);
        fill(*r);
        int status = r.set(dialog_id, x.block);
        if (status != 0 && x.report != Report::none) {
            if (x.report == Report::print_and_message)
                std::printf("hx_ret=%d\n", status);
            show_fail_text(status);
        }
        return result_of(x, status);
    });
}

// Asks the exchange's record and hands the answer to read(record) when the
// host answers; out_given false (a null out argument) is refused with -1.
// The shape of every mechanical getter.
template <class Prepare, class Read>
int ask_with(const char *function, const Exchange &x, int dialog_id, const char *item_id, bool out_given,
             Prepare &&prepare, Read &&read) noexcept
{
    return cvstv::guarded(function, -1, [&] {
        if (!out_given)
            return -1;
        prepare();
        Record r(x, item_id);
        int status = r.ask(dialog_id);
        if (status == 0)
            status = read(*r);
        return result_of(x, status);
    });
}

// The texts of an answer in the texts form (null entries read as "").
std::vector<std::string> texts_of(const HX_STYLER_item_value_type_t &v);
// A single integer answer, from the slot the exchange names.
int integer_of(const Exchange &x, const HX_STYLER_item_value_type_t &v);

// The entries of a list-like item (attribute 6); status in *status.
std::vector<std::string> ask_entries(int dialog_id, const char *item_id, int &status);
// Sets the entries of a list-like item (attribute 6).
int set_entries(int dialog_id, const char *item_id, const std::vector<std::string> &entries,
                bool block = false);
// The chosen index of a list-like item (attribute 2, integer form; -1
// none); status in *status.
int ask_chosen_index(int dialog_id, const char *item_id, int &status);
// Sets one attribute with an entry index (choose, deselect, show, delete).
int set_at_entry(int dialog_id, const char *item_id, int attribute, int index);

// Texts as a new string list (null when empty) with its count; -1 (both
// null and 0) when the host allocator refuses.
int hand_out_list(const std::vector<std::string> &texts, char ***list, int *count);

} // namespace cvstv::ui

#endif
