// Reading BIFF8 workbooks: the globals (sheets, formats, the date system,
// the shared-string table) and the cells of each worksheet.
//
// Every length in the stream is checked against the record that holds it
// before anything is read, so a corrupt file gives a failure and never a
// read past a record. The shared-string table follows the rules of the
// format for strings split across CONTINUE records: a string's header is
// never split, its characters may run over any number of CONTINUE records,
// each continuation restating in its first byte whether its characters are
// 8- or 16-bit, and its formatting runs and phonetic block continue without
// such a byte. Formula cells read as their cached result (number, text from
// the STRING record that follows, boolean or error); numbers whose format
// shows a date or time read as dates and times.
#include "workbook/xls_format.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace workbook {
namespace detail {
namespace {

Status corrupt(const std::string &what)
{
    return Status::failure("corrupt workbook (" + what + ")");
}

// Appends UTF-16 code units as UTF-8, pairing surrogates across calls (a
// pair may be split between two records).
class Utf16ToUtf8 {
  public:
    explicit Utf16ToUtf8(std::string &out) : out_(out) {}
    void unit(std::uint16_t u)
    {
        if (pending_) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                code_point(0x10000 + ((static_cast<std::uint32_t>(pending_) - 0xD800) << 10) + (u - 0xDC00));
                pending_ = 0;
                return;
            }
            code_point(0xFFFD);
            pending_ = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            pending_ = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            code_point(0xFFFD);
        else
            code_point(u);
    }
    void latin1(std::uint8_t b)
    {
        if (pending_)
            unit(b);
        else if (b < 0x80)
            out_ += static_cast<char>(b);
        else
            code_point(b);
    }
    void finish()
    {
        if (pending_)
            code_point(0xFFFD);
        pending_ = 0;
    }

  private:
    void code_point(std::uint32_t cp)
    {
        if (cp < 0x80) {
            out_ += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out_ += static_cast<char>(0xC0 | (cp >> 6));
            out_ += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out_ += static_cast<char>(0xE0 | (cp >> 12));
            out_ += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out_ += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out_ += static_cast<char>(0xF0 | (cp >> 18));
            out_ += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out_ += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out_ += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::string &out_;
    std::uint16_t pending_ = 0;
};

void decode_chars(const std::uint8_t *p, std::size_t n, bool wide, Utf16ToUtf8 &out)
{
    if (wide)
        for (std::size_t i = 0; i < n; ++i)
            out.unit(le16(p + 2 * i));
    else
        for (std::size_t i = 0; i < n; ++i)
            out.latin1(p[i]);
}

// A string split across a record and its CONTINUE records (the shared
// strings, a long STRING result): the pieces, and a position in them.
class Continued {
  public:
    void add(const std::uint8_t *data, std::size_t size) { parts_.push_back({data, size}); }
    bool at_end_of_part() const { return pos_ == parts_[part_].size; }
    std::size_t left_in_part() const { return parts_[part_].size - pos_; }
    const std::uint8_t *here() const { return parts_[part_].data + pos_; }
    void advance(std::size_t n) { pos_ += n; }
    bool next_part()
    {
        if (part_ + 1 >= parts_.size())
            return false;
        ++part_;
        pos_ = 0;
        return true;
    }
    // Skips `n` bytes that may run over records (no flag bytes).
    bool skip(std::size_t n)
    {
        while (n > 0) {
            if (at_end_of_part() && !next_part())
                return false;
            const std::size_t k = std::min(n, left_in_part());
            pos_ += k;
            n -= k;
        }
        return true;
    }
    // Copies `n` bytes that may run over records (no flag bytes).
    bool take(std::size_t n, Bytes &out)
    {
        while (n > 0) {
            if (at_end_of_part() && !next_part())
                return false;
            const std::size_t k = std::min(n, left_in_part());
            out.insert(out.end(), here(), here() + k);
            pos_ += k;
            n -= k;
        }
        return true;
    }
    // Reads `cch` characters starting in 8- or 16-bit form as `wide` says;
    // every continuation restates the form in its first byte.
    bool chars(std::size_t cch, bool wide, std::string &out)
    {
        Utf16ToUtf8 utf8(out);
        if (!each_char(cch, wide,
                       [&](const std::uint8_t *p, std::size_t n, bool w) { decode_chars(p, n, w, utf8); }))
            return false;
        utf8.finish();
        return true;
    }
    bool chars(std::size_t cch, bool wide, std::u16string &out)
    {
        return each_char(cch, wide, [&](const std::uint8_t *p, std::size_t n, bool w) {
            for (std::size_t i = 0; i < n; ++i)
                out.push_back(w ? static_cast<char16_t>(le16(p + 2 * i)) : static_cast<char16_t>(p[i]));
        });
    }

  private:
    template <class Sink> bool each_char(std::size_t cch, bool wide, Sink &&sink)
    {
        while (cch > 0) {
            if (at_end_of_part()) {
                if (!next_part() || at_end_of_part())
                    return false;
                wide = (*here() & 1) != 0;
                advance(1);
            }
            const std::size_t unit = wide ? 2 : 1;
            const std::size_t n = std::min(cch, left_in_part() / unit);
            if (n == 0)
                return false; // half a character before the record ends
            sink(here(), n, wide);
            advance(n * unit);
            cch -= n;
        }
        return true;
    }

    std::vector<ByteView> parts_;
    std::size_t part_ = 0, pos_ = 0;
};

// Walks the strings of a shared-string table (its SST record and the
// CONTINUE records after it), handing each to `take(cch, wide, runs, ext,
// in)`, which reads the characters from `in` and returns false when they
// run past the records; formatting runs and the phonetic block are left to
// `after(runs, ext, in)`.
template <class Take, class After>
Status walk_sst(const std::vector<ByteView> &records, Take &&take, After &&after)
{
    Continued in;
    for (const ByteView &r : records)
        in.add(r.data, r.size);
    if (in.left_in_part() < 8)
        return corrupt("shared-string table header");
    const std::uint32_t unique = le32(in.here() + 4);
    in.advance(8);
    std::size_t total = 0;
    for (const ByteView &r : records)
        total += r.size;
    // Every string takes at least 3 bytes: a larger count is a lie.
    if (unique > total / 3)
        return corrupt("shared-string count");
    for (std::uint32_t i = 0; i < unique; ++i) {
        if (in.at_end_of_part() && !in.next_part())
            return corrupt("shared-string table ends early");
        if (in.left_in_part() < 3)
            return corrupt("shared-string header split");
        const std::size_t cch = le16(in.here());
        const std::uint8_t flags = in.here()[2];
        in.advance(3);
        std::size_t runs = 0, ext = 0;
        if (flags & 0x08) {
            if (in.left_in_part() < 2)
                return corrupt("shared-string header split");
            runs = le16(in.here());
            in.advance(2);
        }
        if (flags & 0x04) {
            if (in.left_in_part() < 4)
                return corrupt("shared-string header split");
            ext = le32(in.here());
            in.advance(4);
        }
        if (!take(cch, (flags & 1) != 0, in))
            return corrupt("shared string runs past its records");
        if (!after(4 * runs, ext, in))
            return corrupt("shared-string formatting runs past its records");
    }
    return {};
}

Status read_sst(const std::vector<ByteView> &records, Globals &g)
{
    std::size_t total = 0;
    for (const ByteView &r : records)
        total += r.size;
    g.sst_offset.reserve(std::min<std::size_t>(le32(records[0].data + 4) + 1, total / 3 + 1));
    g.sst_offset.push_back(0);
    return walk_sst(
        records,
        [&](std::size_t cch, bool wide, Continued &in) {
            if (!in.chars(cch, wide, g.sst_text) || g.sst_text.size() > 0xFFFFFFFFu)
                return false;
            g.sst_offset.push_back(static_cast<std::uint32_t>(g.sst_text.size()));
            return true;
        },
        [](std::size_t runs, std::size_t ext, Continued &in) { return in.skip(runs) && in.skip(ext); });
}

// ------------------------------------------------------------- formats

NumberFormat builtin_format(std::uint16_t ifmt)
{
    if ((ifmt >= 14 && ifmt <= 17) || (ifmt >= 27 && ifmt <= 36) || (ifmt >= 50 && ifmt <= 58))
        return NumberFormat::date;
    if ((ifmt >= 18 && ifmt <= 21) || (ifmt >= 45 && ifmt <= 47))
        return NumberFormat::time;
    if (ifmt == 22)
        return NumberFormat::datetime;
    return NumberFormat::plain;
}

// A format string shows a date or time when, outside quoted text, escapes,
// fill and padding characters and bracketed colours or conditions, it has
// date or time letters and no digit placeholders. 'm' is minutes next to an
// hour or second, else months.
NumberFormat classify_format(const std::string &f)
{
    std::string letters;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const char c = f[i];
        if (c == '"') {
            const std::size_t close = f.find('"', i + 1);
            if (close == std::string::npos)
                break;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == '[') {
            const std::size_t close = f.find(']', i + 1);
            if (close == std::string::npos)
                break;
            // Elapsed-time brackets ([h], [mm], [ss]) count as time letters.
            const std::string inside = f.substr(i + 1, close - i - 1);
            if (!inside.empty() && std::all_of(inside.begin(), inside.end(), [](char x) {
                    x = static_cast<char>(std::tolower(static_cast<unsigned char>(x)));
                    return x == 'h' || x == 'm' || x == 's';
                }))
                letters += static_cast<char>(std::tolower(static_cast<unsigned char>(inside[0])));
            i = close;
        } else if (c == ';') {
            break; // the first section decides
        } else if (c == '0' || c == '#' || c == '?') {
            return NumberFormat::plain;
        } else {
            letters += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    // AM/PM markers are neither months nor minutes.
    for (const char *marker : {"am/pm", "a/p"})
        for (std::size_t at; (at = letters.find(marker)) != std::string::npos;)
            letters.erase(at, std::strlen(marker));
    bool date = false, time = false;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const char c = letters[i];
        if (c == 'y' || c == 'd') {
            date = true;
        } else if (c == 'h' || c == 's') {
            time = true;
        } else if (c == 'm') {
            std::size_t j = i;
            while (j + 1 < letters.size() && letters[j + 1] == 'm')
                ++j;
            // Minutes when an hour comes before (past separators) or a
            // second after.
            const std::size_t before = i == 0 ? std::string::npos : letters.find_last_not_of(":., ", i - 1);
            const std::size_t after = letters.find_first_not_of(":., ", j + 1);
            const bool minutes = (before != std::string::npos && letters[before] == 'h') ||
                                 (after != std::string::npos && letters[after] == 's');
            if (minutes)
                time = true;
            else
                date = true;
            i = j;
        }
    }
    if (date && time)
        return NumberFormat::datetime;
    if (date)
        return NumberFormat::date;
    if (time)
        return NumberFormat::time;
    return NumberFormat::plain;
}

// ------------------------------------------------------------- globals

Status decode_short_string(const Record &r, std::size_t at, std::string &out)
{
    // ShortXLUnicodeString: cch u8, flags u8, characters.
    if (r.size < at + 2)
        return corrupt("short string header");
    const std::size_t cch = r.data[at];
    if (!decode_string(r.data + at + 1, r.data + r.size, cch, out))
        return corrupt("short string runs past its record");
    return {};
}

Status check_bof(const Record &r, std::uint16_t expected_kind, const char *what)
{
    if (r.id != rec::bof || r.size < 4)
        return corrupt(std::string(what) + " does not start with a BOF record");
    const std::uint16_t version = le16(r.data);
    if (version != 0x0600)
        return Status::failure("unsupported workbook format: BIFF version 0x" +
                               std::string(1, "0123456789ABCDEF"[(version >> 12) & 15]) +
                               std::string(1, "0123456789ABCDEF"[(version >> 8) & 15]) +
                               "00 (only Excel 97-2003 "
                               "BIFF8 workbooks are read; save it as Excel 97-2003 .xls)");
    if (le16(r.data + 2) != expected_kind)
        return corrupt(std::string(what) + " is of the wrong kind");
    return {};
}

// Serial and kind of a number shown through XF `xf`.
Cell number_cell(double value, std::uint16_t xf, const Globals &g)
{
    Cell c;
    switch (g.format_of(xf)) {
    case NumberFormat::date: c = Cell::make_serial(CellType::date, serial_1900(value, g.date1904)); break;
    case NumberFormat::time: c = Cell::make_serial(CellType::time, serial_1900(value, g.date1904)); break;
    case NumberFormat::datetime:
        c = Cell::make_serial(CellType::datetime, serial_1900(value, g.date1904));
        break;
    default: c = Cell::make_real(value); break;
    }
    c.xf = xf;
    return c;
}

Cell rk_cell(std::uint32_t rk, std::uint16_t xf, const Globals &g)
{
    if ((rk & 0x3) == 0x2 && g.format_of(xf) == NumberFormat::plain) {
        Cell c = Cell::make_integer(static_cast<std::int32_t>(rk) >> 2);
        c.xf = xf;
        return c;
    }
    return number_cell(rk_value(rk), xf, g);
}

double f64(const std::uint8_t *p)
{
    std::uint64_t bits =
        static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

} // namespace

bool decode_string(const std::uint8_t *p, const std::uint8_t *end, std::size_t cch, std::string &out,
                   const std::uint8_t **after)
{
    if (p >= end)
        return false;
    const bool wide = (*p & 1) != 0;
    ++p;
    const std::size_t bytes = cch * (wide ? 2 : 1);
    if (static_cast<std::size_t>(end - p) < bytes)
        return false;
    Utf16ToUtf8 utf8(out);
    decode_chars(p, cch, wide, utf8);
    utf8.finish();
    if (after)
        *after = p + bytes;
    return true;
}

double rk_value(std::uint32_t rk)
{
    double value;
    if (rk & 0x2) {
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x1) ? value / 100.0 : value;
}

Status read_globals(ByteView stream, Globals &g)
{
    RecordReader in(stream, 0);
    Record r;
    if (!in.next(r))
        return corrupt("empty Workbook stream");
    if (Status s = check_bof(r, 0x0005, "the workbook globals"); !s)
        return s;
    std::vector<ByteView> sst;
    bool in_sst = false;
    std::vector<std::pair<std::uint16_t, NumberFormat>> formats;
    std::vector<std::uint16_t> xf_ifmt;
    bool ended = false;
    while (in.next(r)) {
        if (r.id == rec::continue_ && in_sst) {
            sst.push_back({r.data, r.size});
            continue;
        }
        in_sst = false;
        switch (r.id) {
        case rec::eof: ended = true; break;
        case rec::filepass: return Status::failure("workbook is password protected (encrypted)");
        case rec::date1904:
            if (r.size >= 2)
                g.date1904 = le16(r.data) == 1;
            break;
        case rec::format: {
            if (r.size < 5)
                return corrupt("FORMAT record");
            std::string text;
            if (!decode_string(r.data + 4, r.data + r.size, le16(r.data + 2), text))
                return corrupt("FORMAT string runs past its record");
            formats.emplace_back(le16(r.data), classify_format(text));
            break;
        }
        case rec::xf:
            if (r.size < 6)
                return corrupt("XF record");
            xf_ifmt.push_back(le16(r.data + 2));
            g.xf_is_style.push_back((le16(r.data + 4) & 0x4) != 0);
            break;
        case rec::boundsheet: {
            if (r.size < 8)
                return corrupt("BOUNDSHEET record");
            SheetEntry e;
            e.offset = le32(r.data);
            e.visibility = r.data[4] & 0x3;
            e.kind = r.data[5];
            if (Status s = decode_short_string(r, 6, e.name); !s)
                return s;
            g.sheets.push_back(std::move(e));
            break;
        }
        case rec::sst:
            if (!sst.empty())
                return corrupt("two shared-string tables");
            sst.push_back({r.data, r.size});
            in_sst = true;
            break;
        default: break;
        }
        if (ended)
            break;
    }
    if (!ended)
        return corrupt(in.truncated ? "a record runs past the end of the stream" : "the globals have no EOF");
    g.xf_format.reserve(xf_ifmt.size());
    for (std::uint16_t ifmt : xf_ifmt) {
        NumberFormat kind = builtin_format(ifmt);
        // A FORMAT record of the same number overrides the built-in meaning
        // (gnumeric stores its own date formats under built-in numbers).
        for (const auto &[number, classified] : formats)
            if (number == ifmt)
                kind = classified;
        g.xf_format.push_back(kind);
    }
    if (!sst.empty())
        return read_sst(sst, g);
    return {};
}

Status read_sst_strings(const std::vector<ByteView> &records, SstTable &out)
{
    if (records.empty() || records[0].size < 8)
        return corrupt("shared-string table header");
    std::size_t total = 0;
    for (const ByteView &r : records)
        total += r.size;
    out.reserve(std::min<std::size_t>(le32(records[0].data + 4), total / 3), total);
    return walk_sst(
        records,
        [&](std::size_t cch, bool wide, Continued &in) {
            out.begin();
            return in.chars(cch, wide, out.chars());
        },
        [&](std::size_t runs, std::size_t ext, Continued &in) {
            const bool ok = in.take(runs, out.extra_bytes()) && in.take(ext, out.extra_bytes());
            out.end(runs, ext);
            return ok;
        });
}

bool is_cell_record(std::uint16_t id)
{
    switch (id) {
    case rec::number:
    case rec::rk:
    case rec::mulrk:
    case rec::labelsst:
    case rec::label:
    case rec::rstring:
    case rec::boolerr:
    case rec::blank:
    case rec::mulblank:
    case rec::formula: return true;
    default: return false;
    }
}

std::size_t cell_count(const Record &r)
{
    if (r.id != rec::mulrk && r.id != rec::mulblank)
        return 1;
    const std::size_t item = r.id == rec::mulrk ? 6 : 2;
    return r.size >= 6 ? (r.size - 6) / item : 0;
}

Status cell_position(const Record &r, std::size_t member, std::uint16_t &row, std::uint16_t &col,
                     std::uint16_t &xf)
{
    const std::uint8_t *p = r.data;
    switch (r.id) {
    case rec::mulrk:
    case rec::mulblank: {
        const std::size_t item = r.id == rec::mulrk ? 6 : 2;
        if (r.size < 6 || (r.size - 6) % item != 0 ||
            le16(p + r.size - 2) != le16(p + 2) + (r.size - 6) / item - 1)
            return corrupt(r.id == rec::mulrk ? "MULRK record" : "MULBLANK record");
        row = le16(p);
        col = static_cast<std::uint16_t>(le16(p + 2) + member);
        xf = le16(p + 4 + item * member);
        break;
    }
    default:
        if (r.size < 6)
            return corrupt("cell record");
        row = le16(p);
        col = le16(p + 2);
        xf = le16(p + 4);
    }
    if (col > 255)
        return corrupt("a cell lies beyond column 256");
    return {};
}

Status decode_cell(const Record &r, std::size_t member, const Globals &g, RecordReader &in, Cell &out)
{
    std::uint16_t row = 0, col = 0, xf = 0;
    if (Status s = cell_position(r, member, row, col, xf); !s)
        return s;
    const std::uint8_t *p = r.data;
    out = Cell{};
    switch (r.id) {
    case rec::number:
        if (r.size < 14)
            return corrupt("NUMBER record");
        out = number_cell(f64(p + 6), xf, g);
        break;
    case rec::rk:
        if (r.size < 10)
            return corrupt("RK record");
        out = rk_cell(le32(p + 6), xf, g);
        break;
    case rec::mulrk: out = rk_cell(le32(p + 6 + 6 * member), xf, g); break;
    case rec::labelsst: {
        if (r.size < 10)
            return corrupt("LABELSST record");
        const std::uint32_t isst = le32(p + 6);
        if (isst >= g.sst_count())
            return corrupt("a cell names shared string " + std::to_string(isst) + " of " +
                           std::to_string(g.sst_count()));
        out = Cell::make_text(std::string(g.sst(isst)));
        break;
    }
    case rec::label:
    case rec::rstring:
        out = Cell::make_text({});
        if (r.size < 9 || !decode_string(p + 8, p + r.size, le16(p + 6), out.text))
            return corrupt("LABEL record");
        break;
    case rec::boolerr:
        if (r.size < 8)
            return corrupt("BOOLERR record");
        out = p[7] ? Cell::make_error(p[6]) : Cell::make_boolean(p[6] != 0);
        break;
    case rec::formula: {
        if (r.size < 20)
            return corrupt("FORMULA record");
        const std::uint8_t *val = p + 6;
        if (val[6] != 0xFF || val[7] != 0xFF) {
            out = number_cell(f64(val), xf, g);
        } else if (val[0] == 0) {
            // A text result: the STRING record after any ARRAY, TABLE or
            // SHRFMLA record of the formula, with its CONTINUEs.
            Record s;
            while (in.peek() == rec::array || in.peek() == rec::table || in.peek() == rec::shrfmla)
                in.next(s);
            if (in.peek() != rec::string || !in.next(s) || s.size < 3)
                return corrupt("a text formula has no STRING record");
            Continued text;
            text.add(s.data + 3, s.size - 3u);
            while (in.peek() == rec::continue_) {
                Record more;
                in.next(more);
                text.add(more.data, more.size);
            }
            out = Cell::make_text({});
            if (!text.chars(le16(s.data), (s.data[2] & 1) != 0, out.text))
                return corrupt("a formula text runs past its records");
        } else if (val[0] == 1) {
            out = Cell::make_boolean(val[2] != 0);
        } else if (val[0] == 2) {
            out = Cell::make_error(val[2]);
        } // 3: an empty text
        break;
    }
    default: break; // BLANK, MULBLANK: no value
    }
    out.xf = xf;
    return {};
}

Status read_sheet_cells(ByteView stream, const Globals &g, std::uint32_t offset, Sheet &sheet)
{
    RecordReader in(stream, offset);
    Record r;
    if (!in.next(r) || r.offset != offset)
        return corrupt("sheet '" + sheet.name + "' is not where the workbook says");
    if (Status s = check_bof(r, 0x0010, ("sheet '" + sheet.name + "'").c_str()); !s)
        return s;
    auto &rows = sheet.rows;
    rows.clear();
    auto in_sheet = [&](Status s) {
        return Status::failure(s.error.substr(0, s.error.size() - 1) + " in sheet '" + sheet.name + "')");
    };
    int depth = 1;
    while (in.next(r)) {
        if (r.id == rec::bof) {
            ++depth;
            continue;
        }
        if (r.id == rec::eof) {
            if (--depth == 0)
                return {};
            continue;
        }
        if (depth != 1)
            continue; // an embedded chart's records
        if (r.id == rec::dimensions && r.size >= 14) {
            if (le32(r.data + 4) > 65536 || le16(r.data + 10) > 256)
                return corrupt("sheet '" + sheet.name + "' claims " + std::to_string(le32(r.data + 4)) +
                               " rows and " + std::to_string(le16(r.data + 10)) + " columns");
            if (rows.capacity() == 0)
                rows.reserve(le32(r.data + 4));
            continue;
        }
        if (!is_cell_record(r.id))
            continue;
        const std::size_t n = cell_count(r);
        for (std::size_t member = 0; member < n; ++member) {
            Cell cell;
            if (Status s = decode_cell(r, member, g, in, cell); !s)
                return in_sheet(s);
            const std::uint16_t rw = le16(r.data);
            const std::uint16_t col = r.id == rec::mulrk || r.id == rec::mulblank
                                          ? static_cast<std::uint16_t>(le16(r.data + 2) + member)
                                          : le16(r.data + 2);
            if (rw >= rows.size())
                rows.resize(static_cast<std::size_t>(rw) + 1);
            if (cell.empty())
                continue;
            std::vector<Cell> &row = rows[rw];
            if (col < row.size()) {
                row[col] = std::move(cell);
            } else {
                if (row.empty())
                    row.reserve(16);
                row.resize(col);
                row.push_back(std::move(cell));
            }
        }
        if (n == 0)
            return corrupt(std::string(r.id == rec::mulrk ? "MULRK" : "MULBLANK") + " record in sheet '" +
                           sheet.name + "'");
    }
    return corrupt(in.truncated ? "a record of sheet '" + sheet.name + "' runs past the end of the stream"
                                : "sheet '" + sheet.name + "' has no EOF");
}

} // namespace detail

namespace {

Status open_stream(detail::Source &source);

} // namespace

bool detail::open_source_bytes(const Bytes &bytes, Source &out)
{
    return CompoundFile::from_bytes(bytes, out.file) && open_stream(out);
}

namespace {

// Finds the BIFF8 Workbook stream of a compound file and reads the globals.
Status open_stream(detail::Source &source)
{
    source.workbook_entry = source.file.find_stream("Workbook");
    if (source.workbook_entry < 0) {
        if (source.file.find_stream("Book") >= 0)
            return Status::failure(
                "unsupported workbook format: Excel 5.0/95 (BIFF5) workbooks are not read; save "
                "it as Excel 97-2003 .xls");
        return Status::failure("no workbook stream in the file");
    }
    if (Status s = source.file.stream(static_cast<std::size_t>(source.workbook_entry), source.stream,
                                      source.stream_copy);
        !s)
        return s;
    return detail::read_globals(source.stream, source.globals);
}

Status open_source(const std::string &path, std::shared_ptr<detail::Source> &out)
{
    auto source = std::make_shared<detail::Source>();
    if (Status s = detail::CompoundFile::read(path, source->file); !s)
        return Status::failure(path + ": " + s.error);
    if (Status s = open_stream(*source); !s)
        return Status::failure(path + ": " + s.error);
    out = std::move(source);
    return {};
}

} // namespace

Status read_workbook(const std::string &path, Workbook &out)
try {
    std::shared_ptr<detail::Source> source;
    if (Status s = open_source(path, source); !s)
        return s;
    Workbook book;
    const auto &entries = source->globals.sheets;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind != 0)
            continue; // charts, macro sheets and modules are not tables
        Sheet sheet;
        sheet.name = entries[i].name;
        sheet.source_index = static_cast<int>(i);
        if (Status s = detail::read_sheet_cells(source->stream, source->globals, entries[i].offset, sheet);
            !s)
            return Status::failure(path + ": " + s.error);
        book.sheets.push_back(std::move(sheet));
    }
    book.source = std::move(source);
    out = std::move(book);
    return {};
} catch (const std::bad_alloc &) {
    return Status::failure(path + ": out of memory");
}

Status read_sheet_names(const std::string &path, std::vector<std::string> &names)
try {
    std::shared_ptr<detail::Source> source;
    if (Status s = open_source(path, source); !s)
        return s;
    std::vector<std::string> result;
    for (const auto &e : source->globals.sheets)
        if (e.kind == 0)
            result.push_back(e.name);
    names = std::move(result);
    return {};
} catch (const std::bad_alloc &) {
    return Status::failure(path + ": out of memory");
}

} // namespace workbook
