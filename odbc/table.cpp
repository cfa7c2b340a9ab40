// The table view of a worksheet (see table.h): name row, records, column
// names and types, and the catalogue layout with comments and fill-down.
#include "odbc/table.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

namespace xlsodbc {

using workbook::Cell;
using workbook::CellType;
using workbook::Sheet;

namespace {

std::string lower(const std::string &s)
{
    std::string out = s;
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string trimmed(std::string s)
{
    const std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// The length of a UTF-8 text in UTF-16 units.
std::size_t utf16_length(const std::string &utf8)
{
    std::size_t n = 0;
    for (unsigned char b : utf8)
        n += (b & 0xC0) != 0x80 ? (b >= 0xF0 ? 2 : 1) : 0;
    return n;
}

bool first_cell_is(const std::vector<Cell> &row, const char *keyword)
{
    return !row.empty() && row[0].type == CellType::text && row[0].text == keyword;
}

// A catalogue row without its comment: the first cell holding "##" or "//"
// is cut there (and emptied if nothing but blanks remains), every cell to
// its right emptied.
void strip_comment(std::vector<Cell> &row)
{
    for (std::size_t c = 0; c < row.size(); ++c) {
        if (row[c].type != CellType::text)
            continue;
        const std::size_t a = row[c].text.find("##"), b = row[c].text.find("//");
        const std::size_t mark = std::min(a, b);
        if (mark == std::string::npos)
            continue;
        std::string kept = row[c].text.substr(0, mark);
        kept.erase(0, kept.find_first_not_of(' '));
        row[c] = kept.empty() ? Cell{} : workbook::typed_cell(kept);
        row.resize(c + 1);
        if (row[c].type == CellType::empty)
            row.pop_back();
        return;
    }
}

} // namespace

bool iequal(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool holds_value(const std::vector<Cell> &row)
{
    return std::any_of(row.begin(), row.end(), [](const Cell &c) { return !c.empty(); });
}

TableView::TableView(const Sheet &sheet, const HeaderOptions &header, std::size_t known_width) : rows_(&sheet)
{
    const auto &rows = sheet.rows;
    end_row_ = rows.size();
    switch (header.mode) {
    case HeaderOptions::Mode::none: break;
    case HeaderOptions::Mode::first_row:
        has_name_row_ = !rows.empty();
        first_row_ = has_name_row_ ? 1 : 0;
        break;
    case HeaderOptions::Mode::row:
        has_name_row_ = true;
        name_row_ = header.row;
        first_row_ = header.row + 1;
        break;
    case HeaderOptions::Mode::catalogue: {
        std::size_t start = 0;
        for (std::size_t r = 0; r < rows.size(); ++r)
            if (first_cell_is(rows[r], "PARAMETERS"))
                start = r + 1;
        auto derived = std::make_shared<Sheet>(sheet.name);
        derived->rows = rows;
        for (auto &row : derived->rows)
            strip_comment(row);
        auto &d = derived->rows;
        std::size_t name = start;
        while (name < d.size() && !holds_value(d[name]))
            ++name;
        has_name_row_ = name < d.size();
        name_row_ = name;
        first_row_ = name + 1;
        end_row_ = d.size();
        for (std::size_t r = first_row_; r < d.size(); ++r)
            if (first_cell_is(d[r], "END")) {
                end_row_ = r;
                break;
            }
        // Fill-down within the records.
        std::vector<const Cell *> above;
        for (std::size_t r = first_row_; r < end_row_; ++r) {
            if (!holds_value(d[r]))
                continue;
            if (above.size() > d[r].size())
                d[r].resize(above.size());
            for (std::size_t c = 0; c < d[r].size(); ++c) {
                if (c >= above.size())
                    above.resize(c + 1, nullptr);
                if (!d[r][c].empty())
                    above[c] = &d[r][c];
                else if (above[c])
                    d[r][c] = *above[c];
            }
        }
        derived_ = std::move(derived);
        rows_ = derived_.get();
        break;
    }
    }
    const auto &view = rows_->rows;
    first_row_ = std::min(first_row_, std::max(view.size(), first_row_));

    // Columns: as wide as the widest row of the table.
    std::size_t width = known_width;
    for (std::size_t r = has_name_row_ ? name_row_ : first_row_;
         !known_width && r < end_row_ && r < view.size(); ++r)
        width = std::max(width, view[r].size());
    width = std::max<std::size_t>(width, 1); // an empty sheet still has a (generated) column
    const std::vector<Cell> *name_cells =
        has_name_row_ && name_row_ < view.size() ? &view[name_row_] : nullptr;
    std::vector<std::string> given(width);
    std::unordered_set<std::string> held;
    for (std::size_t c = 0; name_cells && c < width && c < name_cells->size(); ++c) {
        given[c] = trimmed((*name_cells)[c].as_text());
        if (!given[c].empty())
            held.insert(lower(given[c]));
    }
    std::unordered_set<std::string> assigned;
    names_.resize(width);
    for (std::size_t c = 0; c < width; ++c) {
        const bool generated = given[c].empty();
        const std::string base = generated ? "F" + std::to_string(c + 1) : given[c];
        std::string name = base;
        if (assigned.count(lower(name)) || (generated && held.count(lower(name)))) {
            for (int k = 2;; ++k) {
                name = base + "_" + std::to_string(k);
                if (!assigned.count(lower(name)) && !held.count(lower(name)))
                    break;
            }
        }
        assigned.insert(lower(name));
        names_[c] = std::move(name);
    }

    append_row_ = first_row_;
    for (std::size_t r = view.size(); r > first_row_; --r)
        if (std::any_of(view[r - 1].begin(), view[r - 1].end(),
                        [](const Cell &c) { return c.type != CellType::empty; })) {
            append_row_ = r;
            break;
        }
}

const std::vector<std::uint32_t> &TableView::records() const
{
    if (!records_) {
        std::vector<std::uint32_t> found;
        const auto &view = rows_->rows;
        for (std::size_t r = first_row_; r < end_row_ && r < view.size(); ++r)
            if (holds_value(view[r]))
                found.push_back(static_cast<std::uint32_t>(r));
        records_ = std::move(found);
    }
    return *records_;
}

std::size_t TableView::find(const std::string &column) const
{
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (iequal(names_[i], column))
            return i;
    throw SqlError("42S22", "Column not found: '" + column + "'");
}

namespace {

// What the cells of one column hold, gathered over the records.
struct Kinds {
    bool any = false, numbers = true, booleans = true, dates = true, times = true, temporal = true;
    std::size_t longest = 255;

    void add(const Cell &c)
    {
        if (c.empty())
            return;
        any = true;
        numbers = numbers && c.is_number();
        booleans = booleans && c.type == CellType::boolean;
        dates = dates && c.type == CellType::date;
        times = times && c.type == CellType::time;
        temporal = temporal && c.is_temporal();
        if (c.type == CellType::text && c.text.size() > longest) // UTF-16 units never outnumber UTF-8 bytes
            longest = std::max(longest, utf16_length(c.text));
        else if (c.type == CellType::error)
            longest = std::max<std::size_t>(longest, 14);
    }

    void describe(ColumnInfo &info) const
    {
        if (!any)
            return;
        if (numbers) {
            info.sql_type = SQL_DOUBLE;
            info.type_name = "NUMBER";
            info.size = 15;
        } else if (booleans) {
            info.sql_type = SQL_BIT;
            info.type_name = "BIT";
            info.size = 1;
        } else if (dates) {
            info.sql_type = SQL_TYPE_DATE;
            info.type_name = "DATE";
            info.size = 10;
        } else if (times) {
            info.sql_type = SQL_TYPE_TIME;
            info.type_name = "TIME";
            info.size = 8;
        } else if (temporal) {
            info.sql_type = SQL_TYPE_TIMESTAMP;
            info.type_name = "DATETIME";
            info.size = 19;
        } else {
            info.size = longest; // every cell converts to text
        }
    }
};

} // namespace

ColumnInfo TableView::column_info(std::size_t column, const std::string &table) const
{
    return column_infos({column}, table).front();
}

std::vector<ColumnInfo> TableView::column_infos(const std::vector<std::size_t> &columns,
                                                const std::string &table) const
{
    // One pass over the rows for all the columns.
    std::vector<Kinds> kinds(columns.size());
    for (std::uint32_t r : records()) {
        const auto &row = rows_->rows[r];
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] < row.size())
                kinds[i].add(row[columns[i]]);
    }
    std::vector<ColumnInfo> out(columns.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out[i].name = names_[columns[i]];
        out[i].table = table;
        kinds[i].describe(out[i]);
    }
    return out;
}

} // namespace xlsodbc
