// The BIFF8 Workbook stream of a workbook made in memory, the records every
// writer shares (shared strings, cells), and write_workbook / encode_xls.
//
// A new workbook carries the records that independent readers insist on and
// nothing more: BOF, CODEPAGE (UTF-16), WINDOW1, one FONT, three FORMATs for
// dates and times, the 15 style XFs, cell XF 15 that ordinary cells use and
// cell XFs 16 (date), 17 (time) and 18 (date and time), the Normal STYLE,
// one BOUNDSHEET8 per sheet, the shared string table with its EXTSST index,
// EOF; then per sheet BOF, DIMENSIONS (which covers every cell), the cells,
// WINDOW2 and EOF. Integers that fit in 30 bits are RK cells (readers give
// them back as integers), other numbers are NUMBER cells (read back as
// reals). Non-empty texts are LABELSST cells. An empty text is a BLANK
// cell: readers give it back as an empty cell, but it keeps its row inside
// DIMENSIONS, so a row of empty texts still counts as used. BOUNDSHEET8
// holds the absolute offset of its sheet's BOF; the offsets are patched in
// once the sheets have been laid out. A workbook read from a file is
// written by biff8_edit.cpp instead, which keeps that file's records.
#include "workbook/workbook_file.h"
#include "workbook/write_fault.h"
#include "workbook/xls_format.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace workbook {
namespace detail {
namespace {

constexpr std::size_t max_rows = 65536;
constexpr std::size_t max_columns = 256;
constexpr std::uint16_t plain_xf = 15, date_xf = 16, time_xf = 17, datetime_xf = 18;

bool needs_wide(std::u16string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char16_t c) { return c > 0xFF; });
}

void write_bof(RecordWriter &w, std::uint16_t kind)
{
    w.begin(rec::bof);
    w.u16(0x0600);
    w.u16(kind);
    w.u16(0x0DBB);
    w.u16(0x07CC);
    w.u32(0);
    w.u32(6);
    w.end();
}

void write_format(RecordWriter &w, std::uint16_t number, const char *text)
{
    w.begin(rec::format);
    w.u16(number);
    w.u16(static_cast<std::uint16_t>(std::strlen(text)));
    w.u8(0);
    w.bytes(reinterpret_cast<const std::uint8_t *>(text), std::strlen(text));
    w.end();
}

void write_globals_head(RecordWriter &w)
{
    write_bof(w, 0x0005);
    static const std::uint8_t codepage[] = {0xB0, 0x04}; // 1200: UTF-16
    w.record(rec::codepage, codepage, sizeof codepage);
    w.begin(rec::window1);
    for (std::uint16_t v : {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258})
        w.u16(v);
    w.end();
    w.begin(rec::font); // Arial 10 pt
    for (std::uint16_t v : {200, 0, 0x7FFF, 400, 0})
        w.u16(v);
    for (std::uint8_t v : {0, 0, 0, 0, 5, 0})
        w.u8(v);
    w.bytes(reinterpret_cast<const std::uint8_t *>("Arial"), 5);
    w.end();
    write_format(w, 164, "YYYY-MM-DD");
    write_format(w, 165, "HH:MM:SS");
    write_format(w, 166, "YYYY-MM-DD HH:MM:SS");
    for (int i = 0; i < 19; ++i) {
        const bool style = i < 15;
        static const std::uint16_t formats[] = {0, 164, 165, 166};
        w.begin(rec::xf);
        w.u16(0); // font 0
        w.u16(i < 15 ? 0 : formats[i - 15]);
        w.u16(style ? 0xFFF5 : 0x0001);
        w.u8(0x20); // bottom-aligned
        w.u8(0);
        w.u8(0);
        w.u8(style ? 0xF4 : (i == 15 ? 0x00 : 0x04)); // dates set their own number format
        w.u32(0);                                     // no borders
        w.u32(0);                                     // border colours
        w.u16(0x20C0);                                // pattern colours: system foreground and background
        w.end();
    }
    static const std::uint8_t normal[] = {0x00, 0x80, 0x00, 0xFF}; // STYLE: built-in Normal
    w.record(rec::style, normal, sizeof normal);
}

std::uint16_t fresh_xf(const Cell &cell)
{
    switch (cell.type) {
    case CellType::date: return date_xf;
    case CellType::time: return time_xf;
    case CellType::datetime: return datetime_xf;
    default: return plain_xf;
    }
}

} // namespace

void RecordWriter::f64(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(static_cast<std::uint32_t>(bits));
    u32(static_cast<std::uint32_t>(bits >> 32));
}

Status check_sheet_name(const std::string &name, std::u16string &n)
{
    n = utf8_to_utf16(name);
    if (n.empty() || n.size() > 31)
        return Status::failure("sheet name '" + name + "' must have 1 to 31 characters");
    for (char16_t c : n)
        if (c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' || c == u']')
            return Status::failure("sheet name '" + name + "' contains one of : \\ / ? * [ ]");
    return {};
}

Status check_sheet_names(const std::vector<Sheet> &sheets, std::vector<std::u16string> &names)
{
    names.clear();
    auto lower = [](char16_t c) { return c < 0x80 ? static_cast<char16_t>(std::tolower(c)) : c; };
    for (const Sheet &sheet : sheets) {
        std::u16string n;
        if (Status s = check_sheet_name(sheet.name, n); !s)
            return s;
        for (const auto &other : names)
            if (other.size() == n.size() &&
                std::equal(other.begin(), other.end(), n.begin(),
                           [&](char16_t a, char16_t b) { return lower(a) == lower(b); }))
                return Status::failure("two sheets are named '" + sheet.name + "'");
        names.push_back(std::move(n));
    }
    return {};
}

// A string's header (and its first character) never straddles records;
// its characters may, each continuation starting with the byte that says
// whether they are 8- or 16-bit; formatting runs are split only between
// runs, and a phonetic block only when it is larger than a record.
void SstTable::add(std::u16string_view text, ByteView runs, ByteView phonetic)
{
    begin();
    chars_.append(text);
    extra_.insert(extra_.end(), runs.data, runs.data + runs.size);
    extra_.insert(extra_.end(), phonetic.data, phonetic.data + phonetic.size);
    end(runs.size, phonetic.size);
}

void SstTable::begin()
{
    open_chars_ = chars_.size();
    open_extra_ = extra_.size();
}

void SstTable::end(std::size_t runs_length, std::size_t phonetic_length)
{
    Entry e;
    e.text_at = static_cast<std::uint32_t>(open_chars_);
    e.text_length = static_cast<std::uint32_t>(chars_.size() - open_chars_);
    e.runs_at = static_cast<std::uint32_t>(open_extra_);
    e.runs_length = static_cast<std::uint32_t>(runs_length);
    e.phonetic_at = static_cast<std::uint32_t>(open_extra_ + runs_length);
    e.phonetic_length = static_cast<std::uint32_t>(phonetic_length);
    entries_.push_back(e);
}

void SstTable::reserve(std::size_t strings, std::size_t chars)
{
    entries_.reserve(strings);
    chars_.reserve(chars);
}

void write_sst(RecordWriter &w, const SstTable &strings, std::uint32_t total)
{
    w.begin(rec::sst);
    w.u32(total);
    w.u32(static_cast<std::uint32_t>(strings.size()));
    const std::size_t bucket = std::max<std::size_t>(8, (strings.size() + 127) / 128);
    std::vector<std::pair<std::uint32_t, std::uint16_t>> index; // EXTSST: position, offset in record
    auto room = [&]() { return max_record_payload - w.payload_size(); };
    auto next_record = [&]() {
        w.end();
        w.begin(rec::continue_);
    };
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const std::u16string_view text = strings.text(i);
        const SstTable::Entry &s = strings.entry(i);
        const bool wide = needs_wide(text);
        const std::size_t unit = wide ? 2 : 1;
        const std::size_t header = 3 + (s.runs_length ? 2 : 0) + (s.phonetic_length ? 4 : 0);
        if (room() < header + (text.empty() ? 0 : unit))
            next_record();
        if (i % bucket == 0)
            index.emplace_back(static_cast<std::uint32_t>(w.offset()),
                               static_cast<std::uint16_t>(w.offset() - w.record_start()));
        w.u16(static_cast<std::uint16_t>(text.size()));
        w.u8(static_cast<std::uint8_t>((wide ? 0x01 : 0) | (s.runs_length ? 0x08 : 0) |
                                       (s.phonetic_length ? 0x04 : 0)));
        if (s.runs_length)
            w.u16(static_cast<std::uint16_t>(s.runs_length / 4));
        if (s.phonetic_length)
            w.u32(s.phonetic_length);
        std::size_t done = 0;
        while (done < text.size()) {
            const std::size_t n = std::min(room() / unit, text.size() - done);
            if (n == 0) {
                next_record();
                w.u8(wide ? 1 : 0);
                continue;
            }
            for (std::size_t k = done; k < done + n; ++k) {
                if (wide)
                    w.u16(text[k]);
                else
                    w.u8(static_cast<std::uint8_t>(text[k]));
            }
            done += n;
        }
        const std::uint8_t *runs = strings.extra(s.runs_at);
        for (std::size_t k = 0; k + 4 <= s.runs_length; k += 4) {
            if (room() < 4)
                next_record();
            w.bytes(runs + k, 4);
        }
        if (s.phonetic_length) {
            const std::uint8_t *phonetic = strings.extra(s.phonetic_at);
            if (room() < s.phonetic_length && s.phonetic_length <= max_record_payload)
                next_record();
            std::size_t at = 0;
            while (at < s.phonetic_length) {
                if (room() == 0)
                    next_record();
                const std::size_t n = std::min<std::size_t>(room(), s.phonetic_length - at);
                w.bytes(phonetic + at, n);
                at += n;
            }
        }
    }
    w.end();
    w.begin(rec::extsst);
    w.u16(static_cast<std::uint16_t>(bucket));
    for (const auto &[position, offset] : index) {
        w.u32(position);
        w.u16(offset);
        w.u16(0);
    }
    w.end();
}

void write_cell(RecordWriter &w, std::uint16_t row, std::uint16_t col, std::uint16_t xf, const Cell &cell,
                std::uint32_t isst, bool date1904)
{
    auto head = [&](std::uint16_t id) {
        w.begin(id);
        w.u16(row);
        w.u16(col);
        w.u16(xf);
    };
    switch (cell.type) {
    case CellType::integer:
        if (cell.integer >= -(std::int64_t{1} << 29) && cell.integer < (std::int64_t{1} << 29)) {
            head(rec::rk); // integer form
            w.u32((static_cast<std::uint32_t>(cell.integer) << 2) | 0x2);
        } else {
            head(rec::number);
            w.f64(static_cast<double>(cell.integer));
        }
        break;
    case CellType::real:
        head(rec::number);
        w.f64(cell.real);
        break;
    case CellType::date:
    case CellType::time:
    case CellType::datetime:
        head(rec::number);
        w.f64(date1904 ? cell.real - 1462.0 : cell.real);
        break;
    case CellType::boolean:
    case CellType::error:
        head(rec::boolerr);
        w.u8(static_cast<std::uint8_t>(cell.integer));
        w.u8(cell.type == CellType::error ? 1 : 0);
        break;
    case CellType::text:
        if (!cell.text.empty()) {
            head(rec::labelsst);
            w.u32(isst);
            break;
        }
        [[fallthrough]];
    case CellType::empty: head(rec::blank); break;
    }
    w.end();
}

Status build_workbook_stream(const Workbook &input, Bytes &stream)
{
    Workbook placeholder;
    const Workbook *book = &input;
    if (input.sheets.empty()) {
        placeholder.sheets.push_back(Sheet{"Sheet1", {}});
        book = &placeholder;
    }
    std::vector<std::u16string> names;
    if (Status s = check_sheet_names(book->sheets, names); !s)
        return s;

    // Shared strings, in order of first use, and each text cell's index into
    // them, in the order the cells are written.
    SstTable strings;
    std::unordered_map<std::string_view, std::uint32_t> index_of;
    std::vector<std::uint32_t> cell_strings;
    std::uint32_t total_strings = 0;
    std::size_t text_cells = 0;
    for (const auto &sheet : book->sheets)
        for (const auto &row : sheet.rows)
            for (const auto &cell : row)
                text_cells += cell.type == CellType::text && !cell.text.empty();
    index_of.reserve(text_cells);
    cell_strings.reserve(text_cells);
    for (const auto &sheet : book->sheets) {
        if (sheet.rows.size() > max_rows)
            return Status::failure("sheet '" + sheet.name + "' has more than 65536 rows");
        if (sheet.column_count() > max_columns)
            return Status::failure("sheet '" + sheet.name + "' has more than 256 columns");
        for (const auto &row : sheet.rows)
            for (const auto &cell : row) {
                if (cell.type != CellType::text || cell.text.empty())
                    continue;
                ++total_strings;
                auto [it, fresh] =
                    index_of.try_emplace(cell.text, static_cast<std::uint32_t>(strings.size()));
                cell_strings.push_back(it->second);
                if (fresh) {
                    const std::u16string text = utf8_to_utf16(cell.text);
                    if (text.size() > max_text_length)
                        return Status::failure("a text in sheet '" + sheet.name + "' is too long (" +
                                               std::to_string(text.size()) + " characters, at most " +
                                               std::to_string(max_text_length) + ")");
                    strings.add(text);
                }
            }
    }

    Bytes out;
    out.reserve(4096);
    RecordWriter w(out);
    write_globals_head(w);
    std::vector<std::size_t> offset_slots;
    for (const auto &name : names) {
        w.begin(rec::boundsheet);
        offset_slots.push_back(w.offset());
        w.u32(0);
        w.u8(0); // visible
        w.u8(0); // worksheet
        const bool wide = needs_wide(name);
        w.u8(static_cast<std::uint8_t>(name.size()));
        w.u8(wide ? 1 : 0);
        for (char16_t c : name) {
            if (wide)
                w.u16(c);
            else
                w.u8(static_cast<std::uint8_t>(c));
        }
        w.end();
    }
    if (!strings.empty())
        write_sst(w, strings, total_strings);
    w.begin(rec::eof);
    w.end();

    std::size_t next_string = 0;
    for (std::size_t i = 0; i < book->sheets.size(); ++i) {
        const Sheet &sheet = book->sheets[i];
        w.patch32(offset_slots[i], static_cast<std::uint32_t>(w.offset()));
        write_bof(w, 0x0010);
        const std::size_t columns = sheet.column_count();
        w.begin(rec::dimensions);
        w.u32(0);
        w.u32(columns ? static_cast<std::uint32_t>(sheet.rows.size()) : 0);
        w.u16(0);
        w.u16(static_cast<std::uint16_t>(columns));
        w.u16(0);
        w.end();
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            const auto &row = sheet.rows[r];
            for (std::size_t c = 0; c < row.size(); ++c) {
                const Cell &cell = row[c];
                if (cell.type == CellType::empty)
                    continue;
                const std::uint32_t isst =
                    cell.type == CellType::text && !cell.text.empty() ? cell_strings[next_string++] : 0;
                write_cell(w, static_cast<std::uint16_t>(r), static_cast<std::uint16_t>(c), fresh_xf(cell),
                           cell, isst, false);
            }
        }
        w.begin(rec::window2);
        w.u16(i == 0 ? 0x06B6 : 0x00B6);
        for (std::uint16_t v : {0, 0, 0x40, 0, 0, 0, 0, 0})
            w.u16(v);
        w.end();
        w.begin(rec::eof);
        w.end();
    }
    if (out.size() < 4096)
        out.resize(4096, 0);
    stream = std::move(out);
    return {};
}

} // namespace detail

Status encode_xls(const Workbook &book, std::vector<std::uint8_t> &bytes)
try {
    detail::Bytes stream;
    if (book.source) {
        if (Status s = detail::rebuild_workbook_stream(book, *book.source, stream); !s)
            return s;
    } else if (Status s = detail::build_workbook_stream(book, stream); !s) {
        return s;
    }
    return detail::wrap_in_compound_file(stream, book.source ? &book.source->file : nullptr, bytes);
} catch (const std::bad_alloc &) {
    return Status::failure("out of memory");
}

Status write_workbook(const std::string &path, const Workbook &book)
{
    std::vector<std::uint8_t> bytes;
    if (Status s = encode_xls(book, bytes); !s)
        return Status::failure(path + ": " + s.error);
    return detail::write_file_atomically(path, bytes);
}

namespace {

Status save(const std::string &path, Workbook &book, int *keep)
try {
    std::vector<std::uint8_t> bytes;
    if (Status s = encode_xls(book, bytes); !s)
        return Status::failure(path + ": " + s.error);
    if (Status s = detail::write_file_atomically(path, bytes, keep); !s)
        return s;
    // The written bytes become the source: the worksheets are written in
    // the book's order, after any sheet of another kind kept from before.
    auto source = std::make_shared<detail::Source>();
    if (!detail::open_source_bytes(std::move(bytes), *source))
        return {}; // written; the next write rewrites from the old source
    int worksheet = 0;
    for (std::size_t i = 0; i < source->globals.sheets.size(); ++i)
        if (source->globals.sheets[i].kind == 0 && worksheet < static_cast<int>(book.sheets.size()))
            book.sheets[static_cast<std::size_t>(worksheet++)].source_index = static_cast<int>(i);
    book.source = std::move(source);
    return {};
} catch (const std::bad_alloc &) {
    return Status::failure("out of memory");
}

} // namespace

Status save_workbook(const std::string &path, Workbook &book)
{
    return save(path, book, nullptr);
}

Status save_workbook_pinned(const std::string &path, Workbook &book, PinnedFile &file)
{
    int fd = -1;
    Status s = save(path, book, &fd);
    if (fd >= 0)
        file.adopt(fd);
    return s;
}

Status check_sheet_name(const std::string &name)
{
    std::u16string utf16;
    return detail::check_sheet_name(name, utf16);
}

} // namespace workbook
