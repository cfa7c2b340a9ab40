// Record search against a plain evaluator on random tables.
//
// The search prepares its conditions once, reads common number cells by a
// short path and walks the rows ahead of itself; the plain evaluator below
// follows the search rules one by one on top of the exported primitives
// (sheet_split_condition, sheet_cond_split, sheet_field_type,
// sheet_value_compare), so any shortcut that changes a result shows up as a
// difference. Cells are drawn from values that sit on the edges of the rules:
// tolerances, number lists, ranges, fractions, "Hide" cells, blanks, texts
// that only look like numbers, repeats and "END". Between searches, cells are
// edited in place and replaced, as a caller may do, and searched again.
#include "host_test.h"
#include "sheet_test_table.h"

#include "hx_memory.h"

#include <cstring>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

const std::vector<const char *> cell_pool = {"7",
                                             "7.0",
                                             "7.00005",
                                             "7.0002",
                                             "6.9999",
                                             "-3",
                                             " 7",
                                             "7 ",
                                             "12.5",
                                             "1+1/2",
                                             "1.5",
                                             "3/4",
                                             "0.75",
                                             "1-1/2",
                                             "-1/2",
                                             "6,8,10",
                                             "8",
                                             "10~20",
                                             "10",
                                             "20",
                                             "20.5",
                                             "15",
                                             "~5",
                                             "5~",
                                             "a~b",
                                             "1e5",
                                             "100000",
                                             "Hide",
                                             "Hide x",
                                             "Hidden",
                                             "steel",
                                             "Steel",
                                             "brass",
                                             "",
                                             "0.1",
                                             ".5",
                                             "5.",
                                             "1.2.3",
                                             "12abc",
                                             "007",
                                             "a,b",
                                             "k:1,v:2",
                                             "0",
                                             "99999999999999999999",
                                             "1234567890123456",
                                             "0.00001",
                                             "6, 8",
                                             "x"};
const std::vector<const char *> names = {"A", "B", "C", "D", "E", "Z"};
const std::vector<const char *> operators = {"=", "==", ">", ">=", "<", "<="};

// ---- the plain evaluator -------------------------------------------------------

bool is_number(const std::string &text)
{
    return sheet_field_type(text.c_str()) == SHEET_TYPE_NUMBER;
}

bool value_holds(const std::string &x, int op, const std::string &y)
{
    return sheet_value_compare(x.c_str(), op, y.c_str()) == 0;
}

Strings tokens(const std::string &text, char delimiter)
{
    Strings out;
    std::string current;
    for (char c : text + delimiter) {
        if (c != delimiter) {
            current += c;
        } else if (!current.empty()) {
            out.push_back(current);
            current.clear();
        }
    }
    return out;
}

bool cell_holds(const std::string &cell, int op, const std::string &y)
{
    if (y == "KT_ALL_RECORD")
        return true;
    int type = sheet_field_type(cell.c_str());
    if (type == SHEET_TYPE_NUMBER_LIST && is_number(y)) {
        for (const std::string &item : tokens(cell, ','))
            if (value_holds(item, op, y))
                return true;
        return false;
    }
    if (type == SHEET_TYPE_RANGE && is_number(y)) {
        Strings bounds = tokens(cell, '~');
        if (bounds.size() < 2)
            return false;
        const std::string &lo = bounds[0], &hi = bounds[1];
        switch (op) {
        case SHEET_OP_EQ: return value_holds(y, SHEET_OP_GE, lo) && value_holds(y, SHEET_OP_LE, hi);
        case SHEET_OP_GE: return value_holds(y, SHEET_OP_GE, lo) && value_holds(y, SHEET_OP_LT, hi);
        case SHEET_OP_LE: return value_holds(y, SHEET_OP_GT, lo) && value_holds(y, SHEET_OP_LE, hi);
        default: return value_holds(y, SHEET_OP_GT, lo) && value_holds(y, SHEET_OP_LT, hi);
        }
    }
    return value_holds(cell, op, y);
}

const char *cell_of(sheet_table *t, int r, int c)
{
    return t->rows[r] && c >= 0 && c < t->column_count ? t->rows[r][c] : nullptr;
}

bool empty(const char *cell)
{
    return !cell || !*cell;
}

// The column named by a condition: the first cell of the field-name row,
// from the left, whose text is the name (empty cells between names are
// passed over).
int column_of(sheet_table *t, int start, const std::string &name)
{
    if (start >= t->row_count || !t->rows[start])
        return -1;
    for (int c = 0; c < t->column_count; ++c)
        if (!empty(t->rows[start][c]) && name == t->rows[start][c])
            return c;
    return -1;
}

struct Result {
    int matches = 0;
    Strings values;
    int found_row = -1;
    bool operator==(const Result &) const = default;
};

void PrintTo(const Result &r, std::ostream *out)
{
    *out << r.matches << " matches, found row " << r.found_row << ", values";
    for (const std::string &v : r.values)
        *out << " \"" << v << '"';
}

std::string describe(sheet_table *t)
{
    std::string text;
    for (int r = 0; r < t->row_count; ++r) {
        text += "\n ";
        for (int c = 0; t->rows[r] && c < t->column_count; ++c)
            text += t->rows[r][c] ? std::string(" \"") + t->rows[r][c] + '"' : std::string(" null");
    }
    return text;
}

Result plain_search(sheet_table *t, const std::string &condition)
{
    Result result;
    char parts[SHEET_MAX_CONDITIONS][SHEET_CONDITION_SIZE];
    const int k = sheet_split_condition(condition.c_str(), parts);
    if (k == 0 || !t->rows || t->row_count == 0 || t->column_count == 0)
        return result;
    char name[SHEET_SINGLE_CONDITION_SIZE], value[SHEET_SINGLE_CONDITION_SIZE];
    const int last_op = sheet_cond_split(parts[k - 1], name, value);
    const int start = sheet_ask_field_start_no(t);
    for (int r = start + 1; r < t->row_count; ++r) {
        const char *first = cell_of(t, r, 0);
        if (empty(first))
            continue;
        if (std::strcmp(first, "END") == 0)
            break;
        bool match = true;
        for (int i = 0; i < k && match; ++i) {
            if (std::strstr(parts[i], "KT_ALL_RECORD"))
                continue;
            name[0] = value[0] = '\0';
            int op = sheet_cond_split(parts[i], name, value);
            int column = op == SHEET_OP_NONE ? -1 : column_of(t, start, name);
            const char *cell = cell_of(t, r, column);
            match = column >= 0 &&
                    (std::string(value) == "KT_ALL_RECORD" || (cell && cell_holds(cell, op, value)));
        }
        if (!match)
            continue;
        if (result.found_row < 0)
            result.found_row = r;
        ++result.matches;
        const char *chosen;
        if (last_op == SHEET_OP_EQ && k < t->column_count && !empty(cell_of(t, r, k))) {
            int c = k;
            while (c < t->column_count - 1 && cell_of(t, r, c) &&
                   std::strncmp(cell_of(t, r, c), "Hide", 4) == 0)
                ++c;
            chosen = cell_of(t, r, c);
        } else {
            chosen = cell_of(t, r, k - 1);
        }
        if (!empty(chosen) && (result.values.empty() || result.values.back() != chosen))
            result.values.emplace_back(chosen);
    }
    return result;
}

Result library_search(sheet_table *t, const std::string &condition)
{
    TestList list;
    int count = -1;
    Result result;
    result.matches = sheet_search_record(t, condition.c_str(), list.out(), &count);
    result.values = list.items();
    result.found_row = t->found_row;
    EXPECT_EQ(count, static_cast<int>(result.values.size())) << condition;
    return result;
}

// ---- random tables and conditions -------------------------------------------------

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    template <typename T> const T &pick(const std::vector<T> &v)
    {
        return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))];
    }

    // A grid with a field-name row (after an optional PARAMETERS row),
    // records drawn from the pool, now and then a null row, a record
    // without a first cell, or an END row.
    SheetGrid table()
    {
        const int columns = 2 + below(5);
        SheetGrid grid;
        if (below(2))
            grid.push_back(SheetRow(static_cast<std::size_t>(columns), nullptr));
        if (below(3)) {
            grid.push_back(SheetRow(static_cast<std::size_t>(columns), nullptr));
            grid.back()[0] = "PARAMETERS";
        }
        SheetRow header;
        for (int c = 0; c < columns; ++c)
            header.push_back(below(8) ? pick(names) : nullptr);
        grid.push_back(header);
        const int records = below(40);
        for (int r = 0; r < records; ++r) {
            int kind = below(30);
            if (kind == 0) {
                grid.emplace_back(); // a null row
                continue;
            }
            SheetRow row;
            for (int c = 0; c < columns; ++c)
                row.push_back(below(10) ? pick(cell_pool) : nullptr);
            if (kind == 1)
                row[0] = "END";
            grid.push_back(row);
        }
        return grid;
    }

    std::string single()
    {
        if (below(25) == 0)
            return "NOOPERATOR";
        std::string value = below(15) ? pick(cell_pool) : "KT_ALL_RECORD";
        return std::string(below(6) ? "" : " ") + pick(names) + pick(operators) + value;
    }

    std::string condition()
    {
        std::string text = single();
        int more = below(3);
        for (int i = 0; i < more; ++i) {
            static const std::vector<std::string> joins = {" && ", "&&", "&", " & "};
            text += pick(joins) + single();
        }
        return text;
    }

    std::mt19937 &engine() { return random_; }

  private:
    std::mt19937 random_;
};

// Edits a few cells as a caller may: a text rewritten in its own block, a
// cell replaced by a new block (often at the address just freed), a cell
// emptied.
void edit_cells(Generator &g, sheet_table *t)
{
    for (int i = 0; i < 4; ++i) {
        int r = g.below(t->row_count);
        int c = g.below(t->column_count);
        char **row = t->rows[r];
        if (!row)
            continue;
        const char *text = g.pick(cell_pool);
        switch (g.below(3)) {
        case 0:
            if (row[c] && std::strlen(row[c]) >= std::strlen(text))
                std::strcpy(row[c], text);
            break;
        case 1:
            HX_free(row[c]);
            row[c] = HX_strdup(text);
            break;
        default:
            HX_free(row[c]);
            row[c] = nullptr;
            break;
        }
    }
}

} // namespace

class SheetSearchDifferentialTest : public HostTest {};

TEST_F(SheetSearchDifferentialTest, SearchAgreesWithThePlainEvaluatorOnRandomTables)
{
    Generator g(20240615);
    int compared = 0, matched = 0;
    for (int table = 0; table < 400; ++table) {
        TestTable t(g.table());
        for (int search = 0; search < 24; ++search) {
            if (search % 6 == 5)
                edit_cells(g, t.get());
            std::string condition = g.condition();
            Result expected = plain_search(t.get(), condition);
            Result actual = library_search(t.get(), condition);
            ASSERT_EQ(actual, expected) << "condition \"" << condition << "\" on" << describe(t.get());
            ++compared;
            matched += expected.matches > 0;
        }
    }
    // The generator must reach both outcomes often enough to mean something.
    EXPECT_GT(matched, compared / 10);
    EXPECT_LT(matched, compared * 4 / 5);
}

// Each condition on its own, against every cell of the pool and every
// operator: the cell comparison that the search uses, against the plain one.
TEST_F(SheetSearchDifferentialTest, FieldCompareAgreesOnEveryPairOfPoolValues)
{
    for (const char *cell : cell_pool)
        for (const char *value : cell_pool)
            for (int op = SHEET_OP_EQ; op <= SHEET_OP_LE; ++op)
                ASSERT_EQ(sheet_field_compare(cell, op, value) == 0, cell_holds(cell, op, value))
                    << '"' << cell << "\" op " << op << " \"" << value << '"';
}
