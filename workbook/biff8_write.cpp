// The BIFF8 Workbook stream, and write_workbook / encode_xls on top of it.
//
// The stream carries the records that independent readers insist on and
// nothing more: BOF, CODEPAGE (UTF-16), WINDOW1, one FONT, the 15 style XFs
// plus cell XF 15 that every cell uses, the Normal STYLE, one BOUNDSHEET8 per
// sheet, the shared string table, EOF; then per sheet BOF, DIMENSIONS (which
// must cover every cell), the cells, WINDOW2 and EOF. Integers that fit in 30
// bits are RK cells (readers give them back as integers), other numbers are
// NUMBER cells (read back as reals). Non-empty texts are LABELSST cells. An empty
// text is a BLANK cell: readers give it back as an empty cell, but it keeps
// its row inside DIMENSIONS, so a row of empty texts still counts as used.
// BOUNDSHEET8 holds the absolute offset of its sheet's BOF; the offsets are
// patched in once the sheets have been laid out.
#include "workbook/xls_format.h"
#include "workbook/write_fault.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace workbook {
namespace detail {
namespace {

constexpr std::size_t max_record_payload = 8224;
constexpr std::size_t max_rows = 65536;
constexpr std::size_t max_columns = 256;
// FreeXL cannot read a shared string whose characters span more than two
// records, so a string never starts where it would need a third one, and
// longer strings are refused: 8221 + 8223 one-byte characters, or 4110 + 4111
// two-byte ones.
constexpr std::size_t max_narrow_text = (max_record_payload - 3) + (max_record_payload - 1);
constexpr std::size_t max_wide_text = (max_record_payload - 3) / 2 + (max_record_payload - 1) / 2;
constexpr std::uint16_t cell_xf = 15;

class RecordWriter {
public:
    explicit RecordWriter(Bytes &out) : out_(out) {}

    // Starts a record and returns the offset of its first payload byte.
    std::size_t begin(std::uint16_t id)
    {
        u16(id);
        start_ = out_.size();
        u16(0);
        return out_.size();
    }
    void end()
    {
        std::size_t len = out_.size() - start_ - 2;
        out_[start_] = static_cast<std::uint8_t>(len);
        out_[start_ + 1] = static_cast<std::uint8_t>(len >> 8);
    }
    void record(std::uint16_t id, std::initializer_list<std::uint8_t> payload)
    {
        begin(id);
        out_.insert(out_.end(), payload.begin(), payload.end());
        end();
    }
    std::size_t payload_size() const { return out_.size() - start_ - 2; }

    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v)
    {
        out_.push_back(static_cast<std::uint8_t>(v));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(static_cast<std::uint32_t>(bits));
        u32(static_cast<std::uint32_t>(bits >> 32));
    }
    void chars(const std::u16string &s, std::size_t from, std::size_t count, bool wide)
    {
        for (std::size_t i = from; i < from + count; ++i) {
            if (wide)
                u16(s[i]);
            else
                u8(static_cast<std::uint8_t>(s[i]));
        }
    }
    std::size_t offset() const { return out_.size(); }
    void patch32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

private:
    Bytes &out_;
    std::size_t start_ = 0;
};

bool needs_wide(const std::u16string &s)
{
    return std::any_of(s.begin(), s.end(), [](char16_t c) { return c > 0xFF; });
}

bool fits_in_two_records(const std::u16string &s)
{
    return s.size() <= (needs_wide(s) ? max_wide_text : max_narrow_text);
}

// Characters of `s` that fit after its header in a record with `used` bytes.
std::size_t chars_fitting(const std::u16string &s, std::size_t used)
{
    const std::size_t unit = needs_wide(s) ? 2 : 1;
    return used + 3 > max_record_payload ? 0 : (max_record_payload - used - 3) / unit;
}

// The shared string table, split into SST + CONTINUE records. A string's
// 3-byte header never straddles records; its characters may, and each
// continuation starts with the byte that says whether they are 8- or 16-bit.
void write_sst(RecordWriter &w, const std::vector<std::u16string> &strings, std::uint32_t total)
{
    w.begin(0x00FC);
    w.u32(total);
    w.u32(static_cast<std::uint32_t>(strings.size()));
    for (const auto &s : strings) {
        const bool wide = needs_wide(s);
        const std::size_t unit = wide ? 2 : 1;
        // Start a new record when the header and a first character do not
        // fit, or when the characters would spill over more than one more.
        const std::size_t here = chars_fitting(s, w.payload_size());
        const std::size_t next_room = (max_record_payload - 1) / unit;
        if (here == 0 || (s.size() > here && s.size() - here > next_room)) {
            w.end();
            w.begin(0x003C);
        }
        w.u16(static_cast<std::uint16_t>(s.size()));
        w.u8(wide ? 1 : 0);
        std::size_t done = 0;
        while (done < s.size()) {
            std::size_t room = (max_record_payload - w.payload_size()) / unit;
            if (room == 0) {
                w.end();
                w.begin(0x003C);
                w.u8(wide ? 1 : 0);
                continue;
            }
            std::size_t n = std::min(room, s.size() - done);
            w.chars(s, done, n, wide);
            done += n;
        }
    }
    w.end();
}

void write_globals_head(RecordWriter &w)
{
    // BOF: BIFF8, workbook globals.
    w.begin(0x0809);
    w.u16(0x0600);
    w.u16(0x0005);
    w.u16(0x0DBB);
    w.u16(0x07CC);
    w.u32(0);
    w.u32(6);
    w.end();
    w.record(0x0042, {0xB0, 0x04}); // CODEPAGE 1200: UTF-16
    w.begin(0x003D);                 // WINDOW1
    w.u16(0);
    w.u16(0);
    w.u16(0x4000);
    w.u16(0x2000);
    w.u16(0x0038);
    w.u16(0);
    w.u16(0);
    w.u16(1);
    w.u16(0x0258);
    w.end();
    w.begin(0x0031); // FONT: Arial 10 pt
    w.u16(200);
    w.u16(0);
    w.u16(0x7FFF);
    w.u16(400);
    w.u16(0);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    w.u8(0);
    w.u8(5);
    w.u8(0);
    for (char c : std::string("Arial"))
        w.u8(static_cast<std::uint8_t>(c));
    w.end();
    for (int i = 0; i < 16; ++i) {
        const bool style = i < 15;
        w.begin(0x00E0); // XF
        w.u16(0);        // font 0
        w.u16(0);        // General number format
        w.u16(style ? 0xFFF5 : 0x0001);
        w.u8(0x20); // bottom-aligned
        w.u8(0);
        w.u8(0);
        w.u8(style ? 0xF4 : 0x00);
        w.u32(0);      // no borders
        w.u32(0);      // border colours
        w.u16(0x20C0); // pattern colours: system foreground and background
        w.end();
    }
    w.record(0x0293, {0x00, 0x80, 0x00, 0xFF}); // STYLE: built-in Normal
}

void write_short_unicode(RecordWriter &w, const std::u16string &s)
{
    const bool wide = needs_wide(s);
    w.u8(static_cast<std::uint8_t>(s.size()));
    w.u8(wide ? 1 : 0);
    w.chars(s, 0, s.size(), wide);
}

Status check_sheet_names(const Workbook &book, std::vector<std::u16string> &names)
{
    for (const auto &sheet : book.sheets) {
        std::u16string n = utf8_to_utf16(sheet.name);
        if (n.empty() || n.size() > 31)
            return Status::failure("sheet name '" + sheet.name + "' must have 1 to 31 characters");
        for (char16_t c : n)
            if (c == u':' || c == u'\\' || c == u'/' || c == u'?' || c == u'*' || c == u'[' || c == u']')
                return Status::failure("sheet name '" + sheet.name + "' contains one of : \\ / ? * [ ]");
        for (const auto &other : names) {
            auto lower = [](char16_t c) { return c < 0x80 ? static_cast<char16_t>(std::tolower(c)) : c; };
            if (other.size() == n.size() &&
                std::equal(other.begin(), other.end(), n.begin(),
                           [&](char16_t a, char16_t b) { return lower(a) == lower(b); }))
                return Status::failure("two sheets are named '" + sheet.name + "'");
        }
        names.push_back(std::move(n));
    }
    return {};
}

} // namespace

Status build_workbook_stream(const Workbook &input, Bytes &stream)
{
    Workbook placeholder;
    const Workbook *book = &input;
    if (input.sheets.empty()) {
        placeholder.sheets.push_back(Sheet{"Sheet1", {}});
        book = &placeholder;
    }
    std::vector<std::u16string> names;
    if (Status s = check_sheet_names(*book, names); !s)
        return s;

    // Shared strings, in order of first use, and the cells' indexes into them.
    std::vector<std::u16string> strings;
    std::unordered_map<std::string, std::uint32_t> index_of;
    std::uint32_t total_strings = 0;
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
                auto [it, fresh] = index_of.try_emplace(cell.text, static_cast<std::uint32_t>(strings.size()));
                if (fresh) {
                    strings.push_back(utf8_to_utf16(cell.text));
                    if (!fits_in_two_records(strings.back()))
                        return Status::failure("a text in sheet '" + sheet.name + "' is too long (at most " +
                                               std::to_string(max_narrow_text) + " characters, " +
                                               std::to_string(max_wide_text) +
                                               " when it holds characters beyond U+00FF)");
                }
            }
    }

    Bytes out;
    out.reserve(4096);
    RecordWriter w(out);
    write_globals_head(w);
    std::vector<std::size_t> offset_slots;
    for (const auto &name : names) {
        w.begin(0x0085); // BOUNDSHEET8
        offset_slots.push_back(w.offset());
        w.u32(0);
        w.u8(0); // visible
        w.u8(0); // worksheet
        write_short_unicode(w, name);
        w.end();
    }
    if (!strings.empty())
        write_sst(w, strings, total_strings);
    w.record(0x000A, {});

    for (std::size_t i = 0; i < book->sheets.size(); ++i) {
        const Sheet &sheet = book->sheets[i];
        w.patch32(offset_slots[i], static_cast<std::uint32_t>(w.offset()));
        w.begin(0x0809);
        w.u16(0x0600);
        w.u16(0x0010);
        w.u16(0x0DBB);
        w.u16(0x07CC);
        w.u32(0);
        w.u32(6);
        w.end();
        const std::size_t columns = sheet.column_count();
        w.begin(0x0200); // DIMENSIONS
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
                const auto rw = static_cast<std::uint16_t>(r);
                const auto col = static_cast<std::uint16_t>(c);
                switch (cell.type) {
                case CellType::empty:
                    break;
                case CellType::integer:
                    if (cell.integer >= -(std::int64_t{1} << 29) && cell.integer < (std::int64_t{1} << 29)) {
                        w.begin(0x027E); // RK, integer form
                        w.u16(rw);
                        w.u16(col);
                        w.u16(cell_xf);
                        w.u32((static_cast<std::uint32_t>(cell.integer) << 2) | 0x2);
                        w.end();
                        break;
                    }
                    w.begin(0x0203);
                    w.u16(rw);
                    w.u16(col);
                    w.u16(cell_xf);
                    w.f64(static_cast<double>(cell.integer));
                    w.end();
                    break;
                case CellType::real:
                    w.begin(0x0203); // NUMBER
                    w.u16(rw);
                    w.u16(col);
                    w.u16(cell_xf);
                    w.f64(cell.real);
                    w.end();
                    break;
                case CellType::text:
                    if (cell.text.empty()) {
                        w.begin(0x0201); // BLANK: formatted but valueless
                        w.u16(rw);
                        w.u16(col);
                        w.u16(cell_xf);
                        w.end();
                        break;
                    }
                    w.begin(0x00FD); // LABELSST
                    w.u16(rw);
                    w.u16(col);
                    w.u16(cell_xf);
                    w.u32(index_of.at(cell.text));
                    w.end();
                    break;
                }
            }
        }
        w.begin(0x023E); // WINDOW2
        w.u16(i == 0 ? 0x06B6 : 0x00B6);
        w.u16(0);
        w.u16(0);
        w.u16(0x40);
        w.u16(0);
        w.u16(0);
        w.u16(0);
        w.u16(0);
        w.u16(0);
        w.end();
        w.record(0x000A, {});
    }
    if (out.size() < 4096)
        out.resize(4096, 0);
    stream = std::move(out);
    return {};
}

} // namespace detail

std::u16string utf8_to_utf16(const std::string &s)
{
    static const char32_t min_for[4] = {0, 0x80, 0x800, 0x10000};
    std::u16string out;
    out.reserve(s.size());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            cp = b;
        } else {
            const std::size_t extra = (b >= 0xC2 && b < 0xE0) ? 1 : (b >= 0xE0 && b < 0xF0) ? 2 : (b >= 0xF0 && b < 0xF5) ? 3 : 0;
            if (extra != 0 && n - i > extra) {
                char32_t v = b & (0x3F >> extra);
                bool ok = true;
                for (std::size_t k = 1; ok && k <= extra; ++k) {
                    const auto c = static_cast<unsigned char>(s[i + k]);
                    ok = (c & 0xC0) == 0x80;
                    v = (v << 6) | (c & 0x3F);
                }
                if (ok && v >= min_for[extra] && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
                    cp = v;
                    len = extra + 1;
                }
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

Status encode_xls(const Workbook &book, std::vector<std::uint8_t> &bytes)
{
    detail::Bytes stream;
    if (Status s = detail::build_workbook_stream(book, stream); !s)
        return s;
    bytes = detail::wrap_in_compound_file(stream);
    return {};
}

Status write_workbook(const std::string &path, const Workbook &book)
{
    std::vector<std::uint8_t> bytes;
    if (Status s = encode_xls(book, bytes); !s)
        return Status::failure(path + ": " + s.error);
    return detail::write_file_atomically(path, bytes);
}

} // namespace workbook
