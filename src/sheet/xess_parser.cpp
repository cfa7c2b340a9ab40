// The XESS text parser (see xess_reader.h for the line forms).
//
// The export is read whole into memory and walked line by line. The reader is
// a small state machine: nothing is stored until an extent line has sized the
// raw grid; a sheet-name line selects a sheet (the first one, or the one whose
// name equals the requested name); the sheet-data line of the selected sheet
// starts storing, and the next sheet-data line ends the reading. Cell lines
// are stored only while storing, and only inside the extent. A sheet asked
// for by a name that no sheet-name line carries is missing, which is told
// apart from a sheet without data. The grid comes from the host allocator
// and is handed to the table, which normalises it.
//
// Bad input never reaches past a buffer: every line is cut at the line
// length, cell references saturate, an extent beyond the limits is refused
// with -1, and an export without an extent gives -2 (no data). This file
// needs nothing of the host but its allocator.
#include "xess_reader.h"

#include "hx_memory.h"

#include <cstring>
#include <string>

namespace cvstv::xess {

namespace {

constexpr std::string_view bitmap_marker = "BITMAP";

// The n-th token (from 0) of text split at runs of the delimiter, leading
// delimiters skipped: standard tokenising. Empty when there is none.
std::string_view nth_token(std::string_view text, char delimiter, int n)
{
    std::size_t pos = 0;
    for (int i = 0;; ++i) {
        while (pos < text.size() && text[pos] == delimiter)
            ++pos;
        if (pos >= text.size())
            return {};
        std::size_t end = text.find(delimiter, pos);
        if (end == std::string_view::npos)
            end = text.size();
        if (i == n)
            return text.substr(pos, end - pos);
        pos = end;
    }
}

std::string_view strip_leading_blanks(std::string_view text)
{
    std::size_t n = 0;
    while (n < text.size() && text[n] == ' ')
        ++n;
    return text.substr(n);
}

bool starts_with(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && text[0] == prefix[0] && text.compare(0, prefix.size(), prefix) == 0;
}

// The cell line forms are told apart by what follows a ':' somewhere in the
// line: "=" makes a value cell (whatever else the line holds), '"' a text
// cell.
enum class CellForm { none, value, text };

CellForm cell_form(std::string_view line)
{
    CellForm form = CellForm::none;
    const char *p = line.data(), *end = p + line.size();
    while ((p = static_cast<const char *>(std::memchr(p, ':', static_cast<std::size_t>(end - p)))) && p + 1 < end) {
        ++p;
        if (*p == '=')
            return CellForm::value;
        if (*p == '"')
            form = CellForm::text;
    }
    return form;
}
bool ends_with(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A sheet number of a sheet-name or sheet-data line: leading blanks, then
// digits. -1 when there are no digits (such a sheet is never selected).
long sheet_number(std::string_view text)
{
    text = strip_leading_blanks(text);
    long number = -1;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        number = (number < 0 ? 0 : number) * 10 + (c - '0');
        if (number > 1000000000L)
            return -1;
    }
    return number;
}

// The raw grid under construction. Owns its memory until released to a
// table; freed on every other path.
class RawGrid {
public:
    RawGrid() = default;
    RawGrid(const RawGrid &) = delete;
    RawGrid &operator=(const RawGrid &) = delete;
    ~RawGrid() { clear(); }

    bool allocated() const { return rows_ != nullptr; }

    // A new grid of rows by columns, every row null. False when memory runs out.
    bool allocate(int rows, int columns)
    {
        clear();
        rows_ = static_cast<char ***>(HX_zero_allocate_memory(sizeof(char **) * static_cast<std::size_t>(rows), nullptr));
        if (!rows_)
            return false;
        row_count_ = rows;
        column_count_ = columns;
        return true;
    }

    bool inside(int row, int column) const
    {
        return row >= 1 && row <= row_count_ && column >= 1 && column <= column_count_;
    }

    // Puts a copy of value in the cell at row, column (both from 1). Cells
    // outside the grid are ignored (true). False when memory runs out.
    bool store(int row, int column, std::string_view value)
    {
        if (!inside(row, column))
            return true;
        char **&cells = rows_[row - 1];
        if (!cells) {
            cells = static_cast<char **>(
                HX_zero_allocate_memory(sizeof(char *) * static_cast<std::size_t>(column_count_), nullptr));
            if (!cells)
                return false;
        }
        char *copy = static_cast<char *>(HX_allocate_memory(value.size() + 1, nullptr));
        if (!copy)
            return false;
        std::memcpy(copy, value.data(), value.size());
        copy[value.size()] = '\0';
        HX_free(cells[column - 1]);
        cells[column - 1] = copy;
        return true;
    }

    // Hands the grid to the table (which must be empty) and forgets it.
    void release_to(sheet_table *table)
    {
        table->rows = rows_;
        table->row_count = row_count_;
        table->column_count = column_count_;
        rows_ = nullptr;
        row_count_ = column_count_ = 0;
    }

    void clear()
    {
        if (!rows_)
            return;
        for (int r = 0; r < row_count_; ++r) {
            if (!rows_[r])
                continue;
            for (int c = 0; c < column_count_; ++c)
                HX_free(rows_[r][c]);
            HX_free(rows_[r]);
        }
        HX_free(rows_);
        rows_ = nullptr;
        row_count_ = column_count_ = 0;
    }

private:
    char ***rows_ = nullptr;
    int row_count_ = 0;
    int column_count_ = 0;
};

// Splits text into lines: a trailing line feed and then a trailing carriage
// return are removed, and only the first xess_line_length characters of a
// line are kept.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool next(std::string_view &line)
    {
        if (pos_ >= text_.size())
            return false;
        const char *start = text_.data() + pos_;
        std::size_t left = text_.size() - pos_;
        const void *nl = std::memchr(start, '\n', left);
        std::size_t length = nl ? static_cast<std::size_t>(static_cast<const char *>(nl) - start) : left;
        pos_ += length + (nl ? 1 : 0);
        if (length > 0 && start[length - 1] == '\r')
            --length;
        if (length > xess_line_length)
            length = xess_line_length;
        line = std::string_view(start, length);
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

enum class Outcome { go_on, stop, out_of_memory, bad_extent };

class SheetParser {
public:
    explicit SheetParser(const char *sheet) : requested_(sheet && *sheet ? sheet : "") {}

    Outcome line(std::string_view line)
    {
        if (starts_with(line, "X::"))
            return extent(line.substr(3));
        if (starts_with(line, "Sn::")) {
            sheet_name(line.substr(4));
            return Outcome::go_on;
        }
        if (starts_with(line, "Sd::"))
            return sheet_data(line.substr(4));
        if (!storing_)
            return Outcome::go_on;
        if (line.size() > 2 && line[2] == '@') {
            switch (cell_form(line)) {
            case CellForm::value: return value_cell(line);
            case CellForm::text: return text_cell(line);
            default: return Outcome::go_on;
            }
        }
        if (line.find("Cib@") != std::string_view::npos)
            return picture(line);
        return Outcome::go_on;
    }

    RawGrid &grid() { return grid_; }
    // A sheet was asked for by name and no sheet-name line names it.
    bool requested_sheet_missing() const { return !requested_.empty() && !requested_named_; }

private:
    Outcome extent(std::string_view rest)
    {
        // A later extent line replaces the grid only while nothing is stored.
        if (grid_.allocated() && storing_)
            return Outcome::go_on;
        std::string_view range = rest.substr(0, rest.find(':'));
        std::string_view reference = nth_token(range, '.', 1);
        if (std::size_t bang = reference.find('!'); bang != std::string_view::npos)
            reference = reference.substr(bang + 1);
        int columns = 0, rows = 0;
        split_cell_reference(reference, columns, rows);
        if (columns < 1)
            columns = xess_default_columns;
        if (rows < 1)
            rows = xess_default_rows;
        if (columns > xess_max_columns || rows > xess_max_rows)
            return Outcome::bad_extent;
        return grid_.allocate(rows, columns) ? Outcome::go_on : Outcome::out_of_memory;
    }

    void sheet_name(std::string_view rest)
    {
        std::size_t slash = rest.find('/');
        long number = sheet_number(rest.substr(0, slash));
        std::string_view name = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (requested_.empty()) {
            if (!any_named_) {
                selected_ = number;
                any_named_ = true;
            }
        } else if (name == requested_) {
            selected_ = number;
            requested_named_ = true;
        }
    }

    Outcome sheet_data(std::string_view rest)
    {
        if (storing_)
            return Outcome::stop;
        long number = sheet_number(rest);
        if (number >= 0 && number == selected_)
            storing_ = true;
        return Outcome::go_on;
    }

    static std::string_view reference_of(std::string_view line, std::size_t at_sign, std::string_view &rest)
    {
        std::string_view after = line.substr(at_sign + 1);
        std::size_t colon = after.find(':');
        if (colon == std::string_view::npos) {
            rest = {};
            return after;
        }
        rest = after.substr(colon + 1);
        return after.substr(0, colon);
    }

    Outcome store_value(int row, int column, std::string_view value)
    {
        value = strip_leading_blanks(value);
        if (value.empty())
            return Outcome::go_on;
        return grid_.store(row, column, value) ? Outcome::go_on : Outcome::out_of_memory;
    }

    Outcome value_cell(std::string_view line)
    {
        std::string_view rest;
        int column = 0, row = 0;
        split_cell_reference(reference_of(line, 2, rest), column, row);
        std::string_view value = nth_token(rest, '=', 1);
        return store_value(row, column, value);
    }

    Outcome text_cell(std::string_view line)
    {
        std::string_view rest;
        int column = 0, row = 0;
        split_cell_reference(reference_of(line, 2, rest), column, row);
        std::string_view value = strip_leading_blanks(nth_token(rest, '"', 1));
        if (value.size() > 4 && column == 1 && (ends_with(value, ".ubm") || ends_with(value, ".xbm"))) {
            std::string name;
            name.reserve(value.size());
            for (char c : value)
                if (c != '\\' || name.empty() || name.back() != '\\')
                    name += c;
            return store_picture(row, column, name);
        }
        return store_value(row, column, value);
    }

    Outcome picture(std::string_view line)
    {
        std::string_view name;
        if (std::size_t sep = line.find("::"); sep != std::string_view::npos) {
            name = line.substr(sep + 2);
        } else {
            name = nth_token(line, ':', 2);
            name = name.substr(0, name.find('"'));
        }
        std::string_view rest;
        int column = 0, row = 0;
        split_cell_reference(reference_of(line, line.find('@'), rest), column, row);
        return store_picture(row, column, name);
    }

    // A picture at row, column: the marker in that cell, the image file
    // name in the cell to its right.
    Outcome store_picture(int row, int column, std::string_view name)
    {
        if (name.empty())
            return Outcome::go_on;
        if (!grid_.store(row, column, bitmap_marker) || !grid_.store(row, column + 1, name))
            return Outcome::out_of_memory;
        return Outcome::go_on;
    }

    std::string requested_;
    bool any_named_ = false;
    bool requested_named_ = false;
    long selected_ = -1;
    bool storing_ = false;
    RawGrid grid_;
};

} // namespace

void split_cell_reference(std::string_view reference, int &column, int &row)
{
    long col = 0, r = 0;
    for (char c : reference) {
        if (c >= 'A' && c <= 'Z') {
            if (col <= xess_max_columns)
                col = col * 26 + (c - 'A' + 1);
        } else if (c >= 'a' && c <= 'z') {
            if (col <= xess_max_columns)
                col = col * 26 + (c - 'a' + 1);
        } else if (c >= '0' && c <= '9') {
            if (r <= xess_max_rows)
                r = r * 10 + (c - '0');
        }
    }
    column = static_cast<int>(col > xess_max_columns ? xess_max_columns + 1 : col);
    row = static_cast<int>(r > xess_max_rows ? xess_max_rows + 1 : r);
}

int parse_sheet(std::string_view text, const char *sheet, sheet_table *table)
{
    SheetParser parser(sheet);
    LineReader reader(text);
    std::string_view line;
    while (reader.next(line)) {
        Outcome outcome = parser.line(line);
        if (outcome == Outcome::stop)
            break;
        if (outcome == Outcome::out_of_memory || outcome == Outcome::bad_extent)
            return -1;
    }
    if (parser.requested_sheet_missing())
        return xess_missing_sheet;
    if (!parser.grid().allocated())
        return -2;
    parser.grid().release_to(table);
    return 0;
}

std::vector<std::string> parse_sheet_names(std::string_view text)
{
    std::vector<std::string> names;
    LineReader reader(text);
    std::string_view line;
    while (reader.next(line)) {
        if (!starts_with(line, "Sn::"))
            continue;
        std::size_t slash = line.find('/', 4);
        if (slash != std::string_view::npos && slash + 1 < line.size())
            names.emplace_back(line.substr(slash + 1));
    }
    return names;
}

} // namespace cvstv::xess
