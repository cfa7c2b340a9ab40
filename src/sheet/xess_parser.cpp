// The XESS text parser (see xess_reader.h for the line forms).
//
// Text comes in pieces (blocks of a file, or a whole text at once); lines are
// split in place inside each piece, and only the start of a line that a piece
// cuts is copied, so the export is never held whole. The parser is a small
// state machine: nothing is stored until an extent line has sized the raw
// grid; a sheet-name line selects a sheet (the first one, or the one whose
// name equals the requested name); the sheet-data line of the selected sheet
// starts storing, and the next sheet-data line ends the reading. Cell lines
// are stored only while storing, and only inside the extent. A sheet asked
// for by a name that no sheet-name line carries is missing, which is told
// apart from a sheet without data. The grid comes from the host allocator, one block per row and per cell
// (callers free and replace cells one by one), allocated as the lines come, so a row's cells lie next to its
// block; it is handed to the table, which normalises it.
//
// Nearly every line of an export is a cell line, so those are told apart
// first and read in one pass: the reference up to the first ':', then the
// value as the second piece of the rest. While a value is at hand the parser
// also notes whether its row will need the comment step of normalisation
// (a "##" or "//" in it, or an empty text), so that step need not read every
// cell again.
//
// Bad input never reaches past a buffer: every line is cut at the line
// length, cell references saturate, an extent beyond the limits is refused
// with -1, and an export without an extent gives -2 (no data). This file
// needs nothing of the host but its allocator.
#include "xess_reader.h"

#include "sheet_internal.h"

#include "hx_memory.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace cvstv::xess {

namespace {

constexpr std::string_view bitmap_marker = "BITMAP";

// The n-th token (from 0) of text split at runs of the delimiter, leading
// delimiters skipped: standard tokenising. Empty when there is none.
std::string_view nth_token(std::string_view text, char delimiter, int n)
{
    const char *p = text.data(), *end = p + text.size();
    for (int i = 0;; ++i) {
        while (p < end && *p == delimiter)
            ++p;
        if (p == end)
            return {};
        const char *start = p;
        while (p < end && *p != delimiter)
            ++p;
        if (i == n)
            return {start, static_cast<std::size_t>(p - start)};
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
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// A value the comment step of normalisation may change: one holding a
// comment mark, or a NUL (the cell's text ends there: it may be empty, or
// hide a keyword). Most values hold none of the three characters involved.
bool needs_comment_step(std::string_view value)
{
    static constexpr auto involved = [] {
        std::array<bool, 256> table{};
        table['#'] = table['/'] = table['\0'] = true;
        return table;
    }();
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (involved[static_cast<unsigned char>(c)] &&
            (c == '\0' || (i + 1 < value.size() && value[i + 1] == c)))
            return true;
    }
    return value.empty();
}

// The cell line forms are told apart by what follows a ':' somewhere in the
// line: "=" makes a value cell (whatever else the line holds), '"' a text
// cell.
enum class CellForm { none, value, text };

CellForm cell_form(std::string_view line)
{
    CellForm form = CellForm::none;
    const char *p = line.data(), *end = p + line.size();
    while ((p = static_cast<const char *>(std::memchr(p, ':', static_cast<std::size_t>(end - p)))) &&
           p + 1 < end) {
        ++p;
        if (*p == '=')
            return CellForm::value;
        if (*p == '"')
            form = CellForm::text;
    }
    return form;
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

// Column and row of a cell reference, a character at a time: letters make
// the column (base 26, A=1), digits the row, whatever their order. Counts
// saturate just past the limits.
class Reference {
  public:
    void add(char c)
    {
        if (c >= 'A' && c <= 'Z') {
            if (column_ <= xess_max_columns)
                column_ = column_ * 26 + (c - 'A' + 1);
        } else if (c >= 'a' && c <= 'z') {
            if (column_ <= xess_max_columns)
                column_ = column_ * 26 + (c - 'a' + 1);
        } else if (c >= '0' && c <= '9') {
            if (row_ <= xess_max_rows)
                row_ = row_ * 10 + (c - '0');
        }
    }
    int column() const
    {
        return static_cast<int>(column_ > xess_max_columns ? xess_max_columns + 1 : column_);
    }
    int row() const { return static_cast<int>(row_ > xess_max_rows ? xess_max_rows + 1 : row_); }

  private:
    long column_ = 0, row_ = 0;
};

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
        rows_ = static_cast<char ***>(
            HX_zero_allocate_memory(sizeof(char **) * static_cast<std::size_t>(rows), nullptr));
        if (!rows_)
            return false;
        row_count_ = rows;
        column_count_ = columns;
        return true;
    }

    // Puts a copy of value in the cell at row, column (both from 1). Cells
    // outside the grid are ignored (true). False when memory runs out.
    bool store(int row, int column, std::string_view value)
    {
        if (row < 1 || row > row_count_ || column < 1 || column > column_count_)
            return true;
        char **&cells = rows_[row - 1];
        if (!cells) {
            cells = static_cast<char **>(
                HX_zero_allocate_memory(sizeof(char *) * static_cast<std::size_t>(column_count_), nullptr));
            if (!cells)
                return false;
        }
        auto *copy = static_cast<char *>(HX_allocate_memory(value.size() + 1, nullptr));
        if (!copy)
            return false;
        std::memcpy(copy, value.data(), value.size());
        copy[value.size()] = '\0';
        char *&cell = cells[column - 1];
        if (cell)
            HX_free(cell);
        cell = copy;
        note(notes_.rows_with_comments, row - 1, needs_comment_step(value));
        note(notes_.keyword_rows, row - 1, column == 1 && (value == "PARAMETERS" || value == "END"));
        return true;
    }

    // Hands the grid to the table (which must be empty) and forgets it.
    void release_to(sheet_table *table, SheetGridNotes *notes)
    {
        table->rows = rows_;
        table->row_count = row_count_;
        table->column_count = column_count_;
        if (notes)
            *notes = std::move(notes_);
        rows_ = nullptr;
        row_count_ = column_count_ = 0;
        notes_ = {};
    }

    void clear()
    {
        notes_ = {};
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
    // Adds row to a list of notes when it applies (once in a row).
    static void note(std::vector<int> &rows, int row, bool applies)
    {
        if (applies && (rows.empty() || rows.back() != row))
            rows.push_back(row);
    }

    char ***rows_ = nullptr;
    int row_count_ = 0;
    int column_count_ = 0;
    SheetGridNotes notes_;
};

enum class Outcome { go_on, stop, out_of_memory, bad_extent };

// Splits pieces of text into lines: a trailing line feed and then a trailing
// carriage return are removed, and only the first xess_line_length
// characters of a line are kept. A line that a piece cuts is carried over
// to the next piece; of a long one only what can be kept is carried.
class LineSplitter {
  public:
    // Calls take(line) for every line the piece completes, until take
    // returns false. False then.
    template <typename Take> bool feed(std::string_view piece, Take &&take)
    {
        const char *p = piece.data(), *end = p + piece.size();
        if (open_) {
            const char *nl = static_cast<const char *>(std::memchr(p, '\n', piece.size()));
            carry(p, nl ? nl : end);
            if (!nl)
                return true;
            open_ = false;
            bool more = take(kept(carry_));
            carry_.clear();
            if (!more)
                return false;
            p = nl + 1;
        }
        while (p < end) {
            const char *nl =
                static_cast<const char *>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (!nl) {
                open_ = true;
                carry(p, end);
                return true;
            }
            if (!take(kept({p, static_cast<std::size_t>(nl - p)})))
                return false;
            p = nl + 1;
        }
        return true;
    }

    // The last line, when the text does not end with a line feed.
    template <typename Take> void finish(Take &&take)
    {
        if (open_)
            take(kept(carry_));
        open_ = false;
        carry_.clear();
    }

  private:
    // What is kept of a line (without its line feed). Of a carried line at
    // most one character more than the line length is held, which is enough
    // to tell whether the carriage return rule applies.
    static std::string_view kept(std::string_view line)
    {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line.substr(0, xess_line_length);
    }

    void carry(const char *from, const char *to)
    {
        std::size_t room = xess_line_length + 1 - std::min(carry_.size(), xess_line_length + 1);
        carry_.append(from, std::min(room, static_cast<std::size_t>(to - from)));
    }

    std::string carry_;
    bool open_ = false; // a line has begun and not ended
};

class Parser {
  public:
    explicit Parser(const char *sheet) : requested_(sheet && *sheet ? sheet : "") {}

    // Parses one line; false once reading is over.
    bool take(std::string_view text)
    {
        outcome_ = line(text);
        return outcome_ == Outcome::go_on;
    }

    Outcome outcome() const { return outcome_; }
    RawGrid &grid() { return grid_; }
    // A sheet was asked for by name and no sheet-name line names it.
    bool requested_sheet_missing() const { return !requested_.empty() && !requested_named_; }

  private:
    Outcome line(std::string_view line)
    {
        if (line.size() > 2 && line[2] == '@')
            return storing_ ? cell_line(line) : Outcome::go_on;
        if (starts_with(line, "X::"))
            return extent(line.substr(3));
        if (starts_with(line, "Sn::")) {
            sheet_name(line.substr(4));
            return Outcome::go_on;
        }
        if (starts_with(line, "Sd::"))
            return sheet_data(line.substr(4));
        if (storing_ && line.find("Cib@") != std::string_view::npos)
            return picture(line);
        return Outcome::go_on;
    }

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

    // A value or text cell line: two type letters, '@', the reference up to
    // the first ':', then the value as the second '='- or '"'-separated piece
    // of the rest. A line without a ':' after the '@' holds no value.
    Outcome cell_line(std::string_view line)
    {
        const char *begin = line.data(), *end = begin + line.size();
        int column = 0, row = 0;
        const char *colon = plain_reference(begin + 3, end, column, row);
        if (!colon) {
            Reference reference;
            for (colon = begin + 3; colon < end && *colon != ':'; ++colon)
                reference.add(*colon);
            if (colon == end)
                return Outcome::go_on;
            column = reference.column();
            row = reference.row();
        }
        std::string_view rest(colon + 1, static_cast<std::size_t>(end - colon - 1));
        // ":=" right after the reference is the value form at once; any
        // other line is told by all its ':'s.
        CellForm form = !rest.empty() && rest[0] == '=' ? CellForm::value : cell_form(line);
        switch (form) {
        case CellForm::value: return store_value(row, column, nth_token(rest, '=', 1));
        case CellForm::text: return text_value(row, column, nth_token(rest, '"', 1));
        default: return Outcome::go_on;
        }
    }

    // The common reference, capital letters then digits then ':', read in
    // one pass: the ':' (column and row set), or null for any other form.
    // With at most 4 letters and 9 digits the counts are exact; counts
    // beyond the limits end just past them, as Reference makes them.
    static const char *plain_reference(const char *p, const char *end, int &column, int &row)
    {
        std::uint64_t c = 0, r = 0;
        const char *letters = p;
        for (; p < end && static_cast<unsigned char>(*p - 'A') < 26; ++p)
            c = c * 26 + static_cast<unsigned char>(*p - 'A' + 1);
        const char *digits = p;
        for (; p < end && static_cast<unsigned char>(*p - '0') < 10; ++p)
            r = r * 10 + static_cast<unsigned char>(*p - '0');
        if (p == end || *p != ':' || digits - letters > 4 || p - digits > 9)
            return nullptr;
        column = static_cast<int>(c > xess_max_columns ? xess_max_columns + 1 : c);
        row = static_cast<int>(r > xess_max_rows ? xess_max_rows + 1 : r);
        return p;
    }

    Outcome store_value(int row, int column, std::string_view value)
    {
        value = strip_leading_blanks(value);
        if (value.empty())
            return Outcome::go_on;
        return grid_.store(row, column, value) ? Outcome::go_on : Outcome::out_of_memory;
    }

    // A text cell, or a picture when it is an image name in column A.
    Outcome text_value(int row, int column, std::string_view value)
    {
        value = strip_leading_blanks(value);
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
        std::string_view after = line.substr(line.find('@') + 1);
        int column = 0, row = 0;
        split_cell_reference(after.substr(0, after.find(':')), column, row);
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
    Outcome outcome_ = Outcome::go_on;
    RawGrid grid_;
};

} // namespace

struct SheetTextParser::State {
    explicit State(const char *sheet) : parser(sheet) {}
    LineSplitter lines;
    Parser parser;
};

SheetTextParser::SheetTextParser(const char *sheet) : state_(std::make_unique<State>(sheet)) {}

SheetTextParser::~SheetTextParser() = default;

bool SheetTextParser::feed(std::string_view piece)
{
    Parser &parser = state_->parser;
    if (parser.outcome() != Outcome::go_on)
        return false;
    return state_->lines.feed(piece, [&parser](std::string_view line) { return parser.take(line); });
}

int SheetTextParser::finish(sheet_table *table, SheetGridNotes *notes)
{
    Parser &parser = state_->parser;
    if (parser.outcome() == Outcome::go_on)
        state_->lines.finish([&parser](std::string_view line) { return parser.take(line); });
    Outcome outcome = parser.outcome();
    if (outcome == Outcome::out_of_memory || outcome == Outcome::bad_extent) {
        parser.grid().clear();
        return -1;
    }
    if (parser.requested_sheet_missing()) {
        parser.grid().clear();
        return xess_missing_sheet;
    }
    if (!parser.grid().allocated())
        return -2;
    parser.grid().release_to(table, notes);
    return 0;
}

void split_cell_reference(std::string_view reference, int &column, int &row)
{
    Reference r;
    for (char c : reference)
        r.add(c);
    column = r.column();
    row = r.row();
}

int parse_sheet(std::string_view text, const char *sheet, sheet_table *table)
{
    SheetTextParser parser(sheet);
    parser.feed(text);
    return parser.finish(table);
}

std::vector<std::string> parse_sheet_names(std::string_view text)
{
    std::vector<std::string> names;
    LineSplitter lines;
    auto take = [&names](std::string_view line) {
        if (starts_with(line, "Sn::")) {
            std::size_t slash = line.find('/', 4);
            if (slash != std::string_view::npos && slash + 1 < line.size())
                names.emplace_back(line.substr(slash + 1));
        }
        return true;
    };
    lines.feed(text, take);
    lines.finish(take);
    return names;
}

} // namespace cvstv::xess
