// Record search: the records of the record block that satisfy every single
// condition of a compound condition, and the result value of each.
//
// A search prepares its conditions once: each is split, its field name
// resolved to a column of the field-name row, and its value classified (and
// read as a number) before the first record is looked at. Per record only
// the cells are read: a cell is compared as text with a value that is no
// number, and a cell of digits and one point is read as a number directly;
// only other cells are classified. Result values are copied as they are
// found, into a list array that grows in place.
//
// Result value of a match, with k single conditions: when the last operator
// is "=" and column k exists and holds a cell, the cell of column k, moving
// right past cells that begin with "Hide" (but no further than the last
// column); otherwise the cell of column k - 1. A match whose chosen cell is
// empty still counts (and may become found_row) but adds no value to the
// list: list entries are never empty, and an empty cell neither ends nor
// starts a run of repeated values.
#include "sheet/sheet_condition.h"
#include "sheet/sheet_layout.h"
#include "util/boundary.h"
#include "hx_memory.h"

#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace cvstv::sheet {

namespace {

// One single condition, ready to test records with.
struct PreparedCondition {
    bool every_record = false; // the text holds "KT_ALL_RECORD"
    int op = SHEET_OP_NONE;
    int column = -1;
    std::string value;
    Operand operand; // views value
};

// How far ahead the walk asks for row blocks and for cells (records).
constexpr int prefetch_rows = 16;
constexpr int prefetch_cells = 8;

bool starts_with_hide(const char *cell)
{
    return std::strncmp(cell, "Hide", 4) == 0;
}

const char *result_value(const sheet_table *table, char **row, int k, int last_op)
{
    const int columns = table->column_count;
    if (last_op == SHEET_OP_EQ && k < columns && !cell_empty(row[k])) {
        int c = k;
        while (c < columns - 1 && row[c] && starts_with_hide(row[c]))
            ++c;
        return row[c];
    }
    return k - 1 < columns ? row[k - 1] : nullptr;
}

// The result values, consecutive repeats dropped, each copied into its own
// host block as soon as it is found, while its cell is still in the
// processor's cache (a second pass over the values would fetch every cell
// from memory again), and its pointer written straight into the list
// array, which grows by doubling in place (a large block is remapped, not
// copied). Without a list wanted, values are only counted. Running out of
// memory frees whatever was made.
class ResultList {
  public:
    explicit ResultList(bool copy) : copy_(copy) {}
    ~ResultList()
    {
        for (std::size_t i = 0; i < size_; ++i)
            HX_free(items_[i]);
        HX_free(items_);
    }
    ResultList(const ResultList &) = delete;
    ResultList &operator=(const ResultList &) = delete;

    // False when memory runs out.
    bool add(const char *value)
    {
        if (cell_empty(value) || (last_ && last_[0] == value[0] && std::strcmp(last_, value) == 0))
            return true;
        last_ = value;
        ++count_;
        if (!copy_)
            return true;
        std::size_t length = std::strlen(value) + 1;
        auto *item = static_cast<char *>(HX_allocate_memory(length, nullptr));
        if (!item)
            return false;
        std::memcpy(item, value, length);
        if (size_ + 1 >= capacity_ && !grow()) {
            HX_free(item);
            return false;
        }
        items_[size_++] = item;
        return true;
    }

    int count() const { return count_; }

    // Hands the null-terminated list over (null when it is empty).
    char **release()
    {
        if (size_ == 0)
            return nullptr;
        items_[size_] = nullptr;
        char **list = items_;
        items_ = nullptr;
        size_ = capacity_ = 0;
        return list;
    }

  private:
    bool grow()
    {
        std::size_t capacity = capacity_ ? capacity_ * 2 : 64;
        auto **items = static_cast<char **>(HX_reallocate_memory(items_, capacity * sizeof(char *), nullptr));
        if (!items)
            return false;
        items_ = items;
        capacity_ = capacity;
        return true;
    }

    bool copy_;
    const char *last_ = nullptr; // the cell of the value added last
    int count_ = 0;
    char **items_ = nullptr; // room for the terminator is kept
    std::size_t size_ = 0, capacity_ = 0;
};

bool holds(const PreparedCondition &condition, char **row)
{
    if (condition.every_record)
        return true;
    if (condition.op == SHEET_OP_NONE || condition.column < 0)
        return false;
    const char *cell = row[condition.column];
    return cell && field_holds(cell, condition.op, condition.operand);
}

int search_records(sheet_table *table, const char *condition, char ***list, int *count)
{
    if (list)
        *list = nullptr;
    if (count)
        *count = 0;
    if (table)
        table->found_row = -1;
    if (!table || !condition)
        return 0;

    CompoundCondition compound = split_compound(condition);
    const int k = compound.count;
    if (k == 0)
        return 0;
    const int last_op = split_single(compound.parts[static_cast<std::size_t>(k - 1)]).op;
    if (!has_cells(table))
        return 0;

    const int start = field_start_row(table);
    std::vector<PreparedCondition> conditions(static_cast<std::size_t>(k));
    for (int i = 0; i < k; ++i) {
        const std::string &text = compound.parts[static_cast<std::size_t>(i)];
        PreparedCondition &p = conditions[static_cast<std::size_t>(i)];
        p.every_record = text.find(all_records) != std::string::npos;
        if (p.every_record)
            continue;
        SingleCondition split = split_single(text);
        p.op = split.op;
        if (p.op == SHEET_OP_NONE)
            continue;
        p.column = field_column(table, start, split.name);
        p.value = std::move(split.value);
        p.operand = Operand(p.value);
    }

    int matches = 0;
    ResultList values(list != nullptr);
    char ***rows = table->rows;
    const int row_count = table->row_count;
    const int probe = conditions[0].every_record ? -1 : conditions[0].column;
    for (int r = start + 1; r < row_count; ++r) {
        // Rows and cells are separate heap blocks: waiting for each in
        // turn would leave the processor idle most of the time. Ask for the
        // row block prefetch_rows ahead, and for the first cell and the
        // first tested cell of a row whose block has had time to arrive.
        if (r + prefetch_rows < row_count)
            __builtin_prefetch(rows[r + prefetch_rows]);
        if (r + prefetch_cells < row_count) {
            if (char **ahead = rows[r + prefetch_cells]) {
                __builtin_prefetch(ahead[0]);
                if (probe >= 0)
                    __builtin_prefetch(ahead[probe]);
            }
        }
        char **row = rows[r];
        if (!row || cell_empty(row[0]))
            continue;
        const char *first = row[0];
        if (first[0] == 'E' && first[1] == 'N' && first[2] == 'D' && first[3] == '\0')
            break;
        bool match = true;
        for (const PreparedCondition &c : conditions)
            if (!holds(c, row)) {
                match = false;
                break;
            }
        if (!match)
            continue;
        if (table->found_row < 0)
            table->found_row = r;
        ++matches;
        if (!values.add(result_value(table, row, k, last_op)))
            return -1;
    }

    if (list)
        *list = values.release();
    if (count)
        *count = values.count();
    return matches;
}

} // namespace

} // namespace cvstv::sheet

using namespace cvstv::sheet;

extern "C" {

CVSTV_API int sheet_record_compare(sheet_table *table, int row, const char *condition) noexcept
{
    return cvstv::guarded("sheet_record_compare", -1, [&]() -> int {
        if (!condition || !has_cells(table) || row < 0 || row >= table->row_count)
            return -1;
        SingleCondition split = split_single(condition);
        if (split.op == SHEET_OP_NONE)
            return -1;
        int column = field_column(table, field_start_row(table), split.name);
        if (column < 0)
            return -1;
        const char *cell = cell_at(table, row, column);
        if (split.value == all_records)
            return split.op;
        if (!cell)
            return -1;
        return field_holds(cell, split.op, Operand(split.value)) ? split.op : -1;
    });
}

// Out of memory in the library's own containers counts as running out of
// host memory: -1, nothing handed over.
CVSTV_API int sheet_search_record(sheet_table *table, const char *condition, char ***list,
                                  int *count) noexcept
{
    return cvstv::guarded(
        "sheet_search_record", -1, [&] { return search_records(table, condition, list, count); },
        [&] {
            if (list)
                *list = nullptr;
            if (count)
                *count = 0;
        });
}

} // extern "C"
