// Writing back a workbook that was read from a file: every record of the
// file is kept except those the changes in memory replace.
//
// - Globals: copied record by record. The shared-string table is rewritten
//   append-only (the strings of the file keep their numbers, with their
//   formatting runs and phonetic blocks, so untouched sheets stay valid; new
//   texts go at the end) with its EXTSST index. BOUNDSHEET8 records get the
//   new sheet offsets and names. Formats and XFs that new dates need are
//   appended after the last of their kind (their numbers are their order).
//   Creating and dropping sheets renumbers what counts sheets (RRTabId, the
//   self-reference SUPBOOK, EXTERNSHEET, local names, WINDOW1); the local
//   names of a dropped sheet become hidden names that refer to #REF!, so
//   that no formula's name index moves.
// - A sheet whose cells all equal the file's is copied byte for byte (the
//   absolute positions in its INDEX record shifted).
// - A changed sheet keeps every record but its cell table, INDEX and
//   DIMENSIONS in place (column widths, merged cells, panes, drawings, ...).
//   The cell table is rebuilt in blocks of 32 rows with their DBCELL
//   records: a row whose cells are unchanged is copied as it was; in a
//   changed row, an unchanged cell keeps its record (a formula with its
//   result), a changed cell is written from its value with the XF of the
//   cell it replaces, a cell whose value was removed keeps its format as a
//   blank cell. A new cell takes its own XF, else its column's format, else
//   the workbook's default cell format; a date or time whose format shows
//   no date or time gets one that does.
// - Cells that anchor a shared formula, or lie in an array formula or a data
//   table, are refused when they change: the other cells of the formula
//   depend on them.
// - Sheets may be renamed, dropped and added (at the end); reordering the
//   sheets of the file is refused.
#include "workbook/xls_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <string_view>
#include <unordered_map>

namespace workbook::detail {
namespace {

constexpr std::uint16_t lbl_hidden = 0x0001;

struct Span {
    std::size_t begin = 0, end = 0;
    std::size_t size() const { return end - begin; }
};

// A record or a nested substream to write as it is.
struct Piece {
    std::uint16_t id = 0;
    ByteView bytes; // header included
};

// One cell of a source sheet.
struct SourceCell {
    std::uint16_t col = 0;
    std::uint16_t xf = 0;
    std::uint16_t id = 0;     // record id
    std::uint16_t member = 0; // item of a MULRK or MULBLANK
    Span group;           // the record, with a FORMULA's ARRAY, TABLE, SHRFMLA, STRING and CONTINUE records
    bool anchors = false; // a FORMULA carrying a SHRFMLA, ARRAY or TABLE record
};

struct SourceRow {
    Span row_record;
    std::vector<SourceCell> cells; // ascending columns
    Span span;                     // the row's cell records, when they follow each other
    bool consecutive = true;
    std::uint32_t labelsst = 0;
};

struct Range {
    std::uint16_t first_row, last_row, first_col, last_col;
};

// A source worksheet split for rebuilding.
struct Layout {
    std::vector<Piece> prefix, suffix; // before and after the cell table
    std::vector<SourceRow> rows;
    std::vector<Range> fixed;                               // array formulas and data tables
    std::vector<std::pair<Range, std::uint16_t>> column_xf; // COLINFO
};

Status corrupt(const std::string &what)
{
    return Status::failure("corrupt workbook (" + what + ")");
}

ByteView view_of(ByteView stream, Span s)
{
    return {stream.data + s.begin, s.size()};
}

// The end of the substream whose BOF is at `offset`.
Status substream_end(ByteView stream, std::size_t offset, std::size_t &end)
{
    RecordReader in(stream, offset);
    Record r;
    int depth = 0;
    while (in.next(r)) {
        if (r.id == rec::bof)
            ++depth;
        else if (r.id == rec::eof && --depth == 0) {
            end = in.offset();
            return {};
        }
    }
    return corrupt("a sheet has no EOF");
}

Status lay_out(ByteView stream, std::size_t offset, Layout &out)
{
    RecordReader in(stream, offset);
    Record r;
    if (!in.next(r) || r.id != rec::bof)
        return corrupt("a sheet does not start with BOF");
    out.prefix.push_back({r.id, {stream.data + r.offset, 4u + r.size}});
    bool in_table = false;
    auto piece = [&](std::uint16_t id, Span s) {
        (in_table ? out.suffix : out.prefix).push_back({id, view_of(stream, s)});
    };
    auto range_of = [](const Record &x) {
        return Range{le16(x.data), le16(x.data + 2), x.data[4], x.data[5]};
    };
    while (in.next(r)) {
        const Span here{r.offset, in.offset()};
        if (r.id == rec::bof) { // an embedded chart: kept whole
            std::size_t end = 0;
            if (Status s = substream_end(stream, r.offset, end); !s)
                return s;
            RecordReader skip(stream, end);
            in = skip;
            piece(rec::bof, {r.offset, end});
            continue;
        }
        if (r.id == rec::eof) {
            out.suffix.push_back({r.id, view_of(stream, here)});
            // Cells in column order; of two records for one cell the later wins.
            for (SourceRow &row : out.rows) {
                std::stable_sort(row.cells.begin(), row.cells.end(),
                                 [](const SourceCell &a, const SourceCell &b) { return a.col < b.col; });
                auto last =
                    std::unique(row.cells.rbegin(), row.cells.rend(),
                                [](const SourceCell &a, const SourceCell &b) { return a.col == b.col; });
                row.cells.erase(row.cells.begin(), last.base());
            }
            return {};
        }
        if (r.id == rec::row) {
            in_table = true;
            if (r.size < 16)
                return corrupt("ROW record");
            const std::uint16_t rw = le16(r.data);
            if (rw >= out.rows.size())
                out.rows.resize(static_cast<std::size_t>(rw) + 1);
            out.rows[rw].row_record = here;
            continue;
        }
        if (r.id == rec::dbcell) {
            in_table = true;
            continue; // rebuilt
        }
        if (!is_cell_record(r.id)) {
            if (r.id == rec::colinfo && r.size >= 8)
                out.column_xf.push_back({Range{0, 0, le16(r.data), le16(r.data + 2)}, le16(r.data + 6)});
            piece(r.id, here);
            continue;
        }
        in_table = true;
        const Record cell = r;
        bool anchors = false;
        if (cell.id == rec::formula) {
            for (std::uint16_t next = in.peek();
                 next == rec::array || next == rec::table || next == rec::shrfmla || next == rec::string ||
                 next == rec::continue_;
                 next = in.peek()) {
                Record f;
                in.next(f);
                if ((f.id == rec::array || f.id == rec::table || f.id == rec::shrfmla) && f.size >= 6) {
                    anchors = true;
                    if (f.id != rec::shrfmla)
                        out.fixed.push_back(range_of(f));
                }
            }
        }
        const Span group{cell.offset, in.offset()};
        const std::size_t n = cell_count(cell);
        if (n == 0)
            return corrupt("MULRK or MULBLANK record");
        for (std::size_t member = 0; member < n; ++member) {
            std::uint16_t rw = 0, col = 0, xf = 0;
            if (Status s = cell_position(cell, member, rw, col, xf); !s)
                return s;
            if (rw >= out.rows.size())
                out.rows.resize(static_cast<std::size_t>(rw) + 1);
            SourceRow &row = out.rows[rw];
            if (member == 0) {
                if (row.span.size() == 0)
                    row.span = group;
                else if (row.span.end == group.begin)
                    row.span.end = group.end;
                else
                    row.consecutive = false;
            }
            if (!row.cells.empty() && row.cells.back().col >= col)
                row.consecutive = false; // out of order: rebuilt sorted
            row.cells.push_back({col, xf, cell.id, static_cast<std::uint16_t>(member), group, anchors});
            if (cell.id == rec::labelsst)
                ++row.labelsst;
        }
    }
    return corrupt("a sheet has no EOF");
}

bool same_value(const Cell &a, const Cell &b)
{
    if (a.empty() || b.empty())
        return a.empty() && b.empty();
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case CellType::text: return a.text == b.text;
    case CellType::real:
    case CellType::date:
    case CellType::time:
    case CellType::datetime: return std::memcmp(&a.real, &b.real, sizeof a.real) == 0;
    default: return a.integer == b.integer;
    }
}

// The shared strings being written: the source's, then new ones. A text
// already in the table (without formatting runs) takes its number; the
// index of texts to numbers is built on first use, as an open-addressing
// table of string numbers (a few hundred thousand strings are common).
class Strings {
  public:
    Strings(const Globals &g, SstTable kept) : g_(g), table_(std::move(kept)) {}

    std::uint32_t index_of(const std::string &text)
    {
        if (slots_.empty())
            build_index();
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = std::hash<std::string_view>{}(text)&mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = slots_[i];
            if (slot == 0) {
                const auto number = static_cast<std::uint32_t>(table_.size());
                added_.push_back(text);
                table_.add(utf8_to_utf16(text));
                slots_[i] = number + 1;
                if (++used_ * 2 > slots_.size())
                    grow();
                return number;
            }
            if (utf8_of(slot - 1) == text)
                return slot - 1;
        }
    }
    const SstTable &all() const { return table_; }

  private:
    // The UTF-8 text of string `number` (the source's decoded ones, or new).
    std::string_view utf8_of(std::uint32_t number) const
    {
        return number < g_.sst_count() ? g_.sst(number) : std::string_view(added_[number - g_.sst_count()]);
    }
    void insert(std::uint32_t number)
    {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = std::hash<std::string_view>{}(utf8_of(number)) & mask;
        while (slots_[i] != 0) {
            if (utf8_of(slots_[i] - 1) == utf8_of(number))
                return; // the first of equal strings keeps the text
            i = (i + 1) & mask;
        }
        slots_[i] = number + 1;
        ++used_;
    }
    void build_index()
    {
        std::size_t capacity = 64;
        while (capacity < 2 * table_.size() + 64)
            capacity *= 2;
        slots_.assign(capacity, 0);
        used_ = 0;
        for (std::uint32_t i = 0; i < table_.size() && i < g_.sst_count(); ++i)
            if (table_.plain(i))
                insert(i);
    }
    void grow()
    {
        std::vector<std::uint32_t> old = std::move(slots_);
        slots_.assign(old.size() * 2, 0);
        used_ = 0;
        for (std::uint32_t slot : old)
            if (slot != 0)
                insert(slot - 1);
    }

    const Globals &g_;
    SstTable table_;
    std::deque<std::string> added_;
    std::vector<std::uint32_t> slots_; // string number + 1, 0 for a free slot
    std::size_t used_ = 0;
};

// The XFs and formats of the workbook, and those added for new dates.
class Formats {
  public:
    Formats(ByteView stream, const Globals &g) : g_(g)
    {
        RecordReader in(stream, 0);
        Record r;
        while (in.next(r) && r.id != rec::eof) {
            if (r.id == rec::xf)
                xf_records_.push_back({r.data, r.size});
            else if (r.id == rec::format && r.size >= 2)
                next_format_ =
                    std::max<std::uint16_t>(next_format_, static_cast<std::uint16_t>(le16(r.data) + 1));
        }
        default_xf_ = 15;
        if (!is_cell_xf(15))
            for (std::uint16_t i = 0; i < xf_records_.size(); ++i)
                if (is_cell_xf(i)) {
                    default_xf_ = i;
                    break;
                }
    }

    bool is_cell_xf(std::uint16_t xf) const
    {
        return xf < xf_records_.size() && !(xf < g_.xf_is_style.size() && g_.xf_is_style[xf]);
    }
    std::uint16_t default_xf() const { return default_xf_; }

    // An XF for `value` based on `xf`: `xf` itself unless the value is a
    // date or time and `xf` shows no date or time of that kind.
    std::uint16_t for_value(std::uint16_t xf, const Cell &value)
    {
        if (!is_cell_xf(xf))
            xf = default_xf_;
        if (!value.is_temporal())
            return xf;
        const NumberFormat wanted = value.type == CellType::date   ? NumberFormat::date
                                    : value.type == CellType::time ? NumberFormat::time
                                                                   : NumberFormat::datetime;
        if (kind_of(xf) == wanted)
            return xf;
        for (const auto &[base, kind, made] : added_)
            if (base == xf && kind == wanted)
                return made;
        // A copy of the XF that shows the value's kind.
        std::uint16_t &format = format_for_[static_cast<int>(wanted)];
        if (format == 0) {
            format = next_format_++;
            const char *text = wanted == NumberFormat::date   ? "YYYY-MM-DD"
                               : wanted == NumberFormat::time ? "HH:MM:SS"
                                                              : "YYYY-MM-DD HH:MM:SS";
            Bytes f;
            RecordWriter w(f);
            w.begin(rec::format);
            w.u16(format);
            w.u16(static_cast<std::uint16_t>(std::strlen(text)));
            w.u8(0);
            w.bytes(reinterpret_cast<const std::uint8_t *>(text), std::strlen(text));
            w.end();
            new_formats_.insert(new_formats_.end(), f.begin(), f.end());
        }
        const ByteView base = xf_records_[xf];
        Bytes x;
        RecordWriter w(x);
        w.begin(rec::xf);
        w.bytes(base.data, base.size);
        w.end();
        x[4 + 2] = static_cast<std::uint8_t>(format);
        x[4 + 3] = static_cast<std::uint8_t>(format >> 8);
        if (base.size > 9)
            x[4 + 9] |= 0x04; // the number format is the XF's own
        new_xfs_.insert(new_xfs_.end(), x.begin(), x.end());
        const auto made = static_cast<std::uint16_t>(xf_records_.size() + added_.size());
        added_.push_back({xf, wanted, made});
        return made;
    }

    const Bytes &new_formats() const { return new_formats_; }
    const Bytes &new_xfs() const { return new_xfs_; }
    bool too_many() const { return xf_records_.size() + added_.size() > 4050; }

  private:
    NumberFormat kind_of(std::uint16_t xf) const { return g_.format_of(xf); }

    struct Added {
        std::uint16_t base;
        NumberFormat kind;
        std::uint16_t made;
    };
    const Globals &g_;
    std::vector<ByteView> xf_records_;
    std::uint16_t default_xf_ = 15;
    std::uint16_t next_format_ = 164;
    std::uint16_t format_for_[4] = {0, 0, 0, 0};
    std::vector<Added> added_;
    Bytes new_formats_, new_xfs_;
};

// A sheet ready to be placed: its bytes, and where in them a u32 holds a
// position relative to the sheet's start that must become absolute.
struct OutSheet {
    int source_index = -1; // BOUNDSHEET of the source, -1 for a new sheet
    std::string name;
    Bytes bytes;
    std::vector<std::size_t> positions;
    std::uint32_t labelsst = 0;
    bool changed = false;
};

// Everything rebuilding a sheet needs.
struct Context {
    ByteView stream;
    const Globals &g;
    Strings &strings;
    Formats &formats;
};

struct OutCell {
    std::uint16_t col;
    ByteView copy;           // a record group to copy, or
    const SourceCell *split; // an item of a MULRK/MULBLANK to write on its own, or
    const Cell *value;       // a value to write (nullptr: a blank cell)
    std::uint16_t xf;
};

struct OutRow {
    std::uint16_t row = 0;
    ByteView row_record; // the ROW record to keep, if any
    ByteView verbatim;   // the whole row's cell records, unchanged
    std::vector<OutCell> cells;
    std::uint16_t first_col = 0, last_col = 0; // columns with cells, last exclusive
    bool has_cells() const { return verbatim.size > 0 || !cells.empty(); }
};

// Compares a model cell with the source cell at its place.
Status same_as_source(const Context &cx, const Cell *model, const SourceCell &sc, bool &same)
{
    const bool model_empty = !model || model->empty();
    if (model && model->xf != no_xf && model->xf != sc.xf && !model_empty) {
        same = false;
        return {};
    }
    if (sc.id == rec::blank || sc.id == rec::mulblank) {
        same = model_empty;
        return {};
    }
    if (sc.id == rec::labelsst) {
        const std::uint32_t isst = le32(cx.stream.data + sc.group.begin + 4 + 6);
        same = model && !model_empty && model->type == CellType::text && isst < cx.g.sst_count() &&
               model->text == cx.g.sst(isst);
        return {};
    }
    RecordReader in(cx.stream, sc.group.begin);
    Record r;
    in.next(r);
    Cell value;
    if (Status s = decode_cell(r, sc.member, cx.g, in, value); !s)
        return s;
    same = model_empty ? value.empty() : same_value(*model, value);
    return {};
}

bool in_range(const Range &r, std::size_t row, std::size_t col)
{
    return row >= r.first_row && row <= r.last_row && col >= r.first_col && col <= r.last_col;
}

std::uint16_t column_xf(const Layout &lay, const Formats &formats, std::size_t col)
{
    for (const auto &[range, xf] : lay.column_xf)
        if (col >= range.first_col && col <= range.last_col && formats.is_cell_xf(xf))
            return xf;
    return formats.default_xf();
}

// Plans one row: what to copy and what to write.
Status plan_row(const Context &cx, const Sheet &sheet, const Layout &lay, std::size_t r, OutRow &out,
                bool &changed)
{
    static const std::vector<Cell> no_cells;
    static const SourceRow no_row;
    const std::vector<Cell> &model = r < sheet.rows.size() ? sheet.rows[r] : no_cells;
    const SourceRow &src = r < lay.rows.size() ? lay.rows[r] : no_row;
    out.row = static_cast<std::uint16_t>(r);
    out.row_record = view_of(cx.stream, src.row_record);

    // Is every cell as it was?
    bool same_row = true;
    std::vector<bool> same(src.cells.size(), false);
    std::size_t m = 0;
    for (std::size_t i = 0; i < src.cells.size(); ++i) {
        const SourceCell &sc = src.cells[i];
        for (; m < model.size() && m < sc.col; ++m)
            same_row = same_row && model[m].type == CellType::empty;
        const Cell *mc = sc.col < model.size() ? &model[sc.col] : nullptr;
        bool equal = false;
        if (Status s = same_as_source(cx, mc, sc, equal); !s)
            return s;
        same[i] = equal;
        same_row = same_row && equal;
        if (m == sc.col)
            ++m;
    }
    for (; m < model.size(); ++m)
        same_row = same_row && model[m].type == CellType::empty;
    if (same_row && src.consecutive) {
        out.verbatim = view_of(cx.stream, src.span);
        if (!src.cells.empty()) {
            out.first_col = src.cells.front().col;
            out.last_col = static_cast<std::uint16_t>(src.cells.back().col + 1);
        }
        return {};
    }
    changed = changed || !same_row;

    // Column by column: the source's cells and the model's, merged.
    std::size_t i = 0;
    for (std::size_t col = 0;
         col < std::max<std::size_t>(model.size(), 256) && (col < model.size() || i < src.cells.size());
         ++col) {
        const SourceCell *sc = i < src.cells.size() && src.cells[i].col == col ? &src.cells[i] : nullptr;
        // An empty text is a blank cell that keeps its row; an empty cell
        // is no cell at all.
        const Cell *mc = col < model.size() && model[col].type != CellType::empty ? &model[col] : nullptr;
        if (!sc && !mc)
            continue;
        const auto c16 = static_cast<std::uint16_t>(col);
        if (sc && same[i]) {
            if (sc->id == rec::mulrk || sc->id == rec::mulblank)
                out.cells.push_back({c16, {}, sc, nullptr, sc->xf});
            else
                out.cells.push_back({c16, view_of(cx.stream, sc->group), nullptr, nullptr, sc->xf});
        } else {
            if (sc && sc->anchors)
                return Status::failure("cell " + std::to_string(r + 1) + "," + std::to_string(col + 1) +
                                       " of sheet '" + sheet.name +
                                       "' holds a shared or array formula that other cells use; it "
                                       "cannot be changed");
            for (const Range &fixed : lay.fixed)
                if (in_range(fixed, r, col))
                    return Status::failure(
                        "cell " + std::to_string(r + 1) + "," + std::to_string(col + 1) + " of sheet '" +
                        sheet.name + "' is part of an array formula or data table; it cannot be changed");
            if (!mc && sc->xf == column_xf(lay, cx.formats, col)) {
                ++i; // a removed value with no format of its own leaves nothing
                continue;
            }
            std::uint16_t xf = mc && mc->xf != no_xf ? mc->xf : sc ? sc->xf : column_xf(lay, cx.formats, col);
            if (mc)
                xf = cx.formats.for_value(xf, *mc);
            out.cells.push_back({c16, {}, nullptr, mc, xf});
        }
        if (sc)
            ++i;
    }
    if (!out.cells.empty()) {
        out.first_col = out.cells.front().col;
        out.last_col = static_cast<std::uint16_t>(out.cells.back().col + 1);
    }
    return {};
}

std::uint32_t write_out_cell(RecordWriter &w, const Context &cx, std::uint16_t row, const OutCell &c)
{
    if (c.copy.size) {
        w.bytes(c.copy.data, c.copy.size);
        return le16(c.copy.data) == rec::labelsst ? 1 : 0;
    }
    if (c.split) {
        const std::uint8_t *p = cx.stream.data + c.split->group.begin + 4;
        if (c.split->id == rec::mulrk) {
            w.begin(rec::rk);
            w.u16(row);
            w.u16(c.col);
            w.u16(c.xf);
            w.bytes(p + 4 + 6 * c.split->member + 2, 4);
        } else {
            w.begin(rec::blank);
            w.u16(row);
            w.u16(c.col);
            w.u16(c.xf);
        }
        w.end();
        return 0;
    }
    static const Cell blank;
    const Cell &value = c.value ? *c.value : blank;
    const bool text = value.type == CellType::text && !value.text.empty();
    write_cell(w, row, c.col, c.xf, value, text ? cx.strings.index_of(value.text) : 0, cx.g.date1904);
    return text ? 1 : 0;
}

// Writes a sheet: the prefix (with INDEX and DIMENSIONS rebuilt), the cell
// table in blocks of 32 rows with DBCELL records, the suffix.
void write_sheet(const Context &cx, const std::vector<Piece> &prefix, const std::vector<OutRow> &rows,
                 const std::vector<Piece> &suffix, OutSheet &out)
{
    Bytes &bytes = out.bytes;
    RecordWriter w(bytes);
    // Blocks of up to 32 rows, by row number.
    std::vector<std::pair<std::size_t, std::size_t>> blocks; // [first, last) into rows
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j < rows.size() && rows[j].row / 32 == rows[i].row / 32)
            ++j;
        blocks.emplace_back(i, j);
        i = j;
    }
    std::uint32_t rw_first = 0, rw_last = 0, col_first = 0xFFFF, col_last = 0;
    bool any_cell = false;
    for (const OutRow &r : rows)
        if (r.has_cells()) {
            if (!any_cell)
                rw_first = r.row;
            any_cell = true;
            rw_last = r.row + 1u;
            col_first = std::min<std::uint32_t>(col_first, r.first_col);
            col_last = std::max<std::uint32_t>(col_last, r.last_col);
        }
    if (!any_cell)
        col_first = 0;

    std::size_t index_at = 0, defcolwidth_at = 0;
    bool has_index = false;
    for (const Piece &p : prefix) {
        if (p.id == rec::index) {
            has_index = true;
            index_at = bytes.size();
            w.begin(rec::index);
            w.u32(0);
            w.u32(rows.empty() ? 0 : rows.front().row);
            w.u32(rows.empty() ? 0 : rows.back().row + 1u);
            w.u32(0); // DEFCOLWIDTH, patched below
            for (std::size_t b = 0; b < blocks.size(); ++b)
                w.u32(0);
            w.end();
            continue;
        }
        if (p.id == rec::dimensions) {
            w.begin(rec::dimensions);
            w.u32(rw_first);
            w.u32(rw_last);
            w.u16(static_cast<std::uint16_t>(col_first));
            w.u16(static_cast<std::uint16_t>(col_last));
            w.u16(0);
            w.end();
            continue;
        }
        if (p.id == rec::defcolwidth)
            defcolwidth_at = bytes.size();
        w.bytes(p.bytes.data, p.bytes.size);
    }
    if (has_index && defcolwidth_at) {
        w.patch32(index_at + 4 + 12, static_cast<std::uint32_t>(defcolwidth_at));
        out.positions.push_back(index_at + 4 + 12);
    }

    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const auto [first, last] = blocks[b];
        const std::size_t first_row_at = bytes.size();
        for (std::size_t i = first; i < last; ++i) {
            const OutRow &r = rows[i];
            w.begin(rec::row);
            if (r.row_record.size >= 20) {
                w.bytes(r.row_record.data + 4, 16);
            } else {
                // A row of default height and format.
                for (std::uint16_t v :
                     {r.row, std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0x00FF}, std::uint16_t{0},
                      std::uint16_t{0}, std::uint16_t{0x0100}, std::uint16_t{0x000F}})
                    w.u16(v);
            }
            w.end();
            const std::size_t at = bytes.size() - 16;
            w.patch16(at + 2, r.has_cells() ? r.first_col : 0);
            w.patch16(at + 4, r.has_cells() ? r.last_col : 0);
        }
        std::vector<std::uint16_t> offsets;
        std::size_t previous = first_row_at + 20;
        for (std::size_t i = first; i < last; ++i) {
            const OutRow &r = rows[i];
            if (!r.has_cells())
                continue;
            offsets.push_back(static_cast<std::uint16_t>(bytes.size() - previous));
            previous = bytes.size();
            if (r.verbatim.size) {
                w.bytes(r.verbatim.data, r.verbatim.size);
                continue;
            }
            for (const OutCell &c : r.cells)
                out.labelsst += write_out_cell(w, cx, r.row, c);
        }
        const std::size_t dbcell_at = bytes.size();
        w.begin(rec::dbcell);
        w.u32(static_cast<std::uint32_t>(dbcell_at - first_row_at));
        for (std::uint16_t o : offsets)
            w.u16(o);
        w.end();
        if (has_index) {
            w.patch32(index_at + 4 + 16 + 4 * b, static_cast<std::uint32_t>(dbcell_at));
            out.positions.push_back(index_at + 4 + 16 + 4 * b);
        }
    }
    for (const Piece &p : suffix)
        w.bytes(p.bytes.data, p.bytes.size);
}

Status rebuild_sheet(const Context &cx, const Sheet &sheet, const Layout &lay, OutSheet &out)
{
    const std::size_t row_count = std::max(sheet.rows.size(), lay.rows.size());
    std::vector<OutRow> rows;
    bool changed = false;
    for (std::size_t r = 0; r < row_count; ++r) {
        OutRow row;
        if (Status s = plan_row(cx, sheet, lay, r, row, changed); !s)
            return s;
        if (row.has_cells() || row.row_record.size)
            rows.push_back(std::move(row));
    }
    out.changed = changed;
    if (!changed)
        return {};
    for (const OutRow &r : rows)
        if (r.verbatim.size && r.row < lay.rows.size())
            out.labelsst += lay.rows[r.row].labelsst;
    write_sheet(cx, lay.prefix, rows, lay.suffix, out);
    return {};
}

// The records of a new sheet around its cell table.
void new_sheet_layout(Layout &lay, bool first)
{
    static const std::uint8_t bof[] = {0x09, 0x08, 16, 0, 0x00, 0x06, 0x10, 0x00, 0xBB, 0x0D,
                                       0xCC, 0x07, 0,  0, 0,    0,    6,    0,    0,    0};
    static const std::uint8_t dimensions[] = {0x00, 0x02, 14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    static const std::uint8_t window2_first[] = {0x3E, 0x02, 18, 0, 0xB6, 0x06, 0, 0, 0, 0, 0x40,
                                                 0,    0,    0,  0, 0,    0,    0, 0, 0, 0, 0};
    static const std::uint8_t window2[] = {0x3E, 0x02, 18, 0, 0xB6, 0x00, 0, 0, 0, 0, 0x40,
                                           0,    0,    0,  0, 0,    0,    0, 0, 0, 0, 0};
    static const std::uint8_t eof[] = {0x0A, 0x00, 0, 0};
    lay.prefix = {{rec::bof, {bof, sizeof bof}}, {rec::dimensions, {dimensions, sizeof dimensions}}};
    lay.suffix = {{rec::window2,
                   first ? ByteView{window2_first, sizeof window2_first} : ByteView{window2, sizeof window2}},
                  {rec::eof, {eof, sizeof eof}}};
}

// Copies a sheet of the source whole; its INDEX positions become relative
// to the sheet's start.
Status copy_sheet(ByteView stream, std::size_t offset, OutSheet &out)
{
    std::size_t end = 0;
    if (Status s = substream_end(stream, offset, end); !s)
        return s;
    out.bytes.assign(stream.data + offset, stream.data + end);
    RecordReader in({out.bytes.data(), out.bytes.size()}, 0);
    Record r;
    int depth = 0;
    while (in.next(r)) {
        if (r.id == rec::bof)
            ++depth;
        else if (r.id == rec::eof)
            --depth;
        else if (r.id == rec::labelsst && depth == 1)
            ++out.labelsst;
        else if (r.id == rec::index && depth == 1 && r.size >= 16) {
            RecordWriter w(out.bytes);
            const std::size_t at = r.offset + 4;
            auto relative = [&](std::size_t field) {
                const std::uint32_t v = le32(out.bytes.data() + field);
                if (v >= offset && v < end) {
                    w.patch32(field, static_cast<std::uint32_t>(v - offset));
                    out.positions.push_back(field);
                }
            };
            relative(at + 12);
            for (std::size_t f = at + 16; f + 4 <= at + r.size; f += 4)
                relative(f);
        }
    }
    return {};
}

// The globals records, with the changes that the sheets bring.
struct GlobalsPlan {
    std::vector<OutSheet> *sheets;
    std::vector<int> new_index; // by source BOUNDSHEET index: new index, or -1 when dropped
    std::size_t source_sheet_count = 0;
    bool renumbered = false; // sheets dropped or added
    bool any_change = false;
};

Bytes boundsheet_record(const OutSheet &s, const SheetEntry *source_entry, const std::uint8_t *source_record)
{
    Bytes b;
    RecordWriter w(b);
    w.begin(rec::boundsheet);
    w.u32(0);
    if (source_record) {
        w.u8(source_record[4]);
        w.u8(source_record[5]);
    } else {
        w.u8(0);
        w.u8(0);
    }
    std::u16string name = utf8_to_utf16(source_entry && s.name.empty() ? source_entry->name : s.name);
    const bool wide = std::any_of(name.begin(), name.end(), [](char16_t c) { return c > 0xFF; });
    w.u8(static_cast<std::uint8_t>(name.size()));
    w.u8(wide ? 1 : 0);
    for (char16_t c : name) {
        if (wide)
            w.u16(c);
        else
            w.u8(static_cast<std::uint8_t>(c));
    }
    w.end();
    return b;
}

Status write_globals(const Context &cx, const GlobalsPlan &plan, RecordWriter &w,
                     std::vector<std::size_t> &offset_slots)
{
    const Globals &g = cx.g;
    RecordReader in(cx.stream, 0);
    Record r;
    std::size_t boundsheet_seen = 0, supbook_seen = 0, lbl_seen = 0;
    int self_supbook = -1;
    bool sst_written = false, in_sst = false;
    std::uint32_t total = 0;
    for (const OutSheet &s : *plan.sheets)
        total += s.labelsst;
    std::size_t last_xf = 0, last_format = 0, first_xf = 0, xf_count = 0, format_count = 0;
    {
        RecordReader scan(cx.stream, 0);
        Record x;
        std::size_t n = 0;
        while (scan.next(x) && x.id != rec::eof) {
            ++n;
            if (x.id == rec::xf) {
                last_xf = n;
                if (!first_xf)
                    first_xf = n;
                ++xf_count;
            } else if (x.id == rec::format) {
                last_format = n;
                ++format_count;
            }
        }
    }
    const std::size_t format_after = format_count ? last_format : first_xf ? first_xf - 1 : 0;
    const std::size_t new_count = plan.sheets->size();
    auto write_sst_here = [&]() {
        write_sst(w, cx.strings.all(), total);
        sst_written = true;
    };
    std::size_t n = 0;
    if (format_after == 0 && !cx.formats.new_formats().empty())
        return Status::failure("the workbook has no cell formats to add date formats to");
    while (in.next(r)) {
        ++n;
        if (in_sst && r.id == rec::continue_)
            continue;
        in_sst = false;
        const std::uint8_t *p = r.data;
        Bytes patched(p, p + r.size);
        bool keep = true;
        switch (r.id) {
        case rec::sst:
            in_sst = true;
            keep = false;
            write_sst_here();
            break;
        case rec::extsst: keep = false; break;
        case rec::boundsheet:
            keep = false;
            if (boundsheet_seen++ == 0) {
                for (std::size_t i = 0; i < plan.sheets->size(); ++i) {
                    const OutSheet &s = (*plan.sheets)[i];
                    const bool from_source = s.source_index >= 0;
                    // The source's own BOUNDSHEET record, for its flags.
                    const std::uint8_t *source_record = nullptr;
                    if (from_source) {
                        RecordReader find(cx.stream, 0);
                        Record b;
                        int k = 0;
                        while (find.next(b) && b.id != rec::eof)
                            if (b.id == rec::boundsheet && k++ == s.source_index)
                                source_record = b.data;
                    }
                    Bytes b = boundsheet_record(
                        s, from_source ? &g.sheets[static_cast<std::size_t>(s.source_index)] : nullptr,
                        source_record ? source_record : nullptr);
                    offset_slots.push_back(w.offset() + 4);
                    w.bytes(b.data(), b.size());
                }
            }
            break;
        case rec::tabid:
            if (plan.renumbered && r.size == 2 * plan.source_sheet_count) {
                std::vector<std::uint16_t> ids;
                std::uint16_t top = 0;
                for (std::size_t i = 0; i < plan.source_sheet_count; ++i) {
                    top = std::max(top, le16(p + 2 * i));
                    if (plan.new_index[i] >= 0)
                        ids.push_back(le16(p + 2 * i));
                }
                while (ids.size() < new_count)
                    ids.push_back(++top);
                patched.clear();
                for (std::uint16_t id : ids) {
                    patched.push_back(static_cast<std::uint8_t>(id));
                    patched.push_back(static_cast<std::uint8_t>(id >> 8));
                }
            }
            break;
        case rec::supbook:
            if (r.size >= 4 && p[2] == 0x01 && p[3] == 0x04) {
                self_supbook = static_cast<int>(supbook_seen);
                patched[0] = static_cast<std::uint8_t>(new_count);
                patched[1] = static_cast<std::uint8_t>(new_count >> 8);
            }
            ++supbook_seen;
            break;
        case rec::externsheet:
            if (plan.renumbered && r.size >= 2 && self_supbook >= 0) {
                const std::size_t count = le16(p);
                for (std::size_t k = 0; k < count && 2 + 6 * k + 6 <= r.size; ++k) {
                    const std::size_t at = 2 + 6 * k;
                    if (le16(p + at) != self_supbook)
                        continue;
                    for (std::size_t f : {at + 2, at + 4}) {
                        const std::uint16_t tab = le16(p + f);
                        if (tab >= plan.source_sheet_count)
                            continue; // -1, -2: no sheet
                        const int now = plan.new_index[tab];
                        const auto v = static_cast<std::uint16_t>(now < 0 ? 0xFFFF : now);
                        patched[f] = static_cast<std::uint8_t>(v);
                        patched[f + 1] = static_cast<std::uint8_t>(v >> 8);
                    }
                }
            }
            break;
        case rec::name:
            ++lbl_seen;
            if (plan.renumbered && r.size >= 14) {
                const std::uint16_t itab = le16(p + 8);
                if (itab > 0 && itab <= plan.source_sheet_count) {
                    const int now = plan.new_index[itab - 1u];
                    if (now >= 0) {
                        patched[8] = static_cast<std::uint8_t>(now + 1);
                        patched[9] = static_cast<std::uint8_t>((now + 1) >> 8);
                    } else {
                        // A name of a dropped sheet: kept in its place (so no
                        // formula's name index moves) as a hidden workbook
                        // name that refers to #REF!.
                        const std::string name = "_dropped_sheet_name_" + std::to_string(lbl_seen);
                        patched.assign(14, 0);
                        patched[0] = lbl_hidden;
                        patched[3] = static_cast<std::uint8_t>(name.size());
                        patched[4] = 2; // cce
                        patched.push_back(0);
                        patched.insert(patched.end(), name.begin(), name.end());
                        patched.push_back(0x1C); // PtgErr
                        patched.push_back(0x17); // #REF!
                    }
                }
            }
            break;
        case rec::window1:
            if (plan.renumbered && r.size >= 16) {
                for (std::size_t f : {std::size_t{10}, std::size_t{12}}) {
                    const std::uint16_t tab = le16(p + f);
                    int now = tab < plan.source_sheet_count ? plan.new_index[tab] : 0;
                    if (now < 0)
                        now = 0;
                    patched[f] = static_cast<std::uint8_t>(now);
                    patched[f + 1] = static_cast<std::uint8_t>(now >> 8);
                }
                const std::uint16_t selected =
                    std::min<std::uint16_t>(le16(p + 14), static_cast<std::uint16_t>(new_count));
                patched[14] = static_cast<std::uint8_t>(selected ? selected : 1);
                patched[15] = 0;
            }
            break;
        case 0x01C1: // RECALCID: results may be stale now; ask for a recalculation
            if (plan.any_change && r.size >= 8)
                std::fill(patched.begin() + 4, patched.begin() + 8, 0);
            break;
        case rec::eof:
            if (!boundsheet_seen)
                return corrupt("the globals have no sheets");
            if (!sst_written && !cx.strings.all().empty())
                write_sst_here();
            w.record(rec::eof, nullptr, 0);
            return {};
        default: break;
        }
        if (keep) {
            if (patched.size() > max_record_payload)
                return Status::failure("a workbook record grew too large");
            w.record(r.id, patched.data(), patched.size());
        }
        if (n == format_after && !cx.formats.new_formats().empty())
            w.bytes(cx.formats.new_formats().data(), cx.formats.new_formats().size());
        if (n == last_xf && !cx.formats.new_xfs().empty())
            w.bytes(cx.formats.new_xfs().data(), cx.formats.new_xfs().size());
    }
    return corrupt("the globals have no EOF");
}

} // namespace

Status rebuild_workbook_stream(const Workbook &book, const Source &source, Bytes &stream)
{
    const Globals &g = source.globals;
    const ByteView in = source.stream;

    // Which sheets of the source stay, in what order, under what name.
    std::vector<const Sheet *> model_of(g.sheets.size(), nullptr);
    std::vector<const Sheet *> added;
    int last = -1;
    for (const Sheet &sheet : book.sheets) {
        const int i = sheet.source_index;
        if (i >= 0 && static_cast<std::size_t>(i) < g.sheets.size() &&
            g.sheets[static_cast<std::size_t>(i)].kind == 0 && !model_of[static_cast<std::size_t>(i)]) {
            if (i < last || !added.empty())
                return Status::failure("the sheets of a workbook cannot be reordered");
            model_of[static_cast<std::size_t>(i)] = &sheet;
            last = i;
        } else {
            added.push_back(&sheet);
        }
    }
    std::vector<std::u16string> names;
    if (Status s = check_sheet_names(book.sheets, names); !s)
        return s;
    for (const Sheet &sheet : book.sheets) {
        if (sheet.rows.size() > 65536)
            return Status::failure("sheet '" + sheet.name + "' has more than 65536 rows");
        if (sheet.column_count() > 256)
            return Status::failure("sheet '" + sheet.name + "' has more than 256 columns");
        for (const auto &row : sheet.rows)
            for (const Cell &c : row)
                if (c.type == CellType::text && c.text.size() > max_text_length &&
                    utf8_to_utf16(c.text).size() > max_text_length)
                    return Status::failure("a text in sheet '" + sheet.name + "' is too long (at most " +
                                           std::to_string(max_text_length) + " characters)");
    }

    // The shared strings of the source, kept in their order.
    SstTable kept;
    {
        RecordReader scan(in, 0);
        Record r;
        std::vector<ByteView> sst;
        bool in_sst = false;
        while (scan.next(r) && r.id != rec::eof) {
            if (r.id == rec::sst) {
                in_sst = true;
                sst.push_back({r.data, r.size});
            } else if (in_sst && r.id == rec::continue_) {
                sst.push_back({r.data, r.size});
            } else {
                in_sst = false;
            }
        }
        if (!sst.empty())
            if (Status s = read_sst_strings(sst, kept); !s)
                return s;
    }
    Strings strings(g, std::move(kept));
    Formats formats(in, g);
    Context cx{in, g, strings, formats};

    // The sheets, in their new order: kept or dropped, then added.
    std::vector<OutSheet> sheets;
    GlobalsPlan plan;
    plan.sheets = &sheets;
    plan.source_sheet_count = g.sheets.size();
    plan.new_index.assign(g.sheets.size(), -1);
    for (std::size_t i = 0; i < g.sheets.size(); ++i) {
        const SheetEntry &e = g.sheets[i];
        if (e.kind == 0 && !model_of[i]) {
            plan.renumbered = true;
            plan.any_change = true;
            continue; // dropped
        }
        plan.new_index[i] = static_cast<int>(sheets.size());
        OutSheet out;
        out.source_index = static_cast<int>(i);
        out.name = model_of[i] ? model_of[i]->name : e.name;
        if (out.name != e.name)
            plan.any_change = true;
        if (model_of[i]) {
            Layout lay;
            if (Status s = lay_out(in, e.offset, lay); !s)
                return s;
            if (Status s = rebuild_sheet(cx, *model_of[i], lay, out); !s)
                return s;
        }
        if (!out.changed) {
            out.labelsst = 0;
            out.positions.clear();
            if (Status s = copy_sheet(in, e.offset, out); !s)
                return s;
        }
        plan.any_change = plan.any_change || out.changed;
        sheets.push_back(std::move(out));
    }
    for (const Sheet *sheet : added) {
        OutSheet out;
        out.name = sheet->name;
        Layout lay;
        new_sheet_layout(lay, sheets.empty());
        if (Status s = rebuild_sheet(cx, *sheet, lay, out); !s)
            return s;
        if (!out.changed) // an empty sheet
            write_sheet(cx, lay.prefix, {}, lay.suffix, out);
        plan.renumbered = true;
        plan.any_change = true;
        sheets.push_back(std::move(out));
    }
    if (sheets.empty())
        return Status::failure("a workbook must keep at least one sheet");
    if (formats.too_many())
        return Status::failure("the workbook has too many cell formats to add date formats");

    // Globals, then the sheets, each at its final place.
    Bytes out;
    out.reserve(in.size + 4096);
    RecordWriter w(out);
    std::vector<std::size_t> slots;
    if (Status s = write_globals(cx, plan, w, slots); !s)
        return s;
    if (slots.size() != sheets.size())
        return corrupt("the globals have no sheet list");
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        OutSheet &s = sheets[i];
        const auto base = static_cast<std::uint32_t>(out.size());
        w.patch32(slots[i], base);
        for (std::size_t at : s.positions) {
            const std::uint32_t v = le32(s.bytes.data() + at);
            RecordWriter(s.bytes).patch32(at, v + base);
        }
        out.insert(out.end(), s.bytes.begin(), s.bytes.end());
        s.bytes = Bytes{};
    }
    if (out.size() < 4096)
        out.resize(4096, 0);
    stream = std::move(out);
    return {};
}

} // namespace workbook::detail
