// Internal pieces of the .xls reader and writer: the compound-file
// container, the BIFF8 records of the Workbook stream, the workbook a book
// was read from (kept so that a change rewrites only what it changes), and
// the all-or-nothing file write. Not part of the API.
#ifndef CVSTV_WORKBOOK_XLS_FORMAT_H
#define CVSTV_WORKBOOK_XLS_FORMAT_H

#include "workbook/workbook.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace workbook::detail {

using Bytes = std::vector<std::uint8_t>;

using workbook::utf8_to_utf16;

// Bytes owned elsewhere.
struct ByteView {
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
};

inline std::uint16_t le16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t *p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// ------------------------------------------------------------- container

// A compound file read whole into memory with its structure checked (see
// cfb_read.cpp). Not copyable: stream views point into it.
class CompoundFile {
  public:
    struct Entry {
        std::uint8_t raw[128]; // the directory entry as stored
        std::u16string name;
        std::uint8_t type = 0; // 0 unused, 1 storage, 2 stream, 5 root
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    // Reads and checks the file; a failure names what is wrong.
    static Status read(const std::string &path, CompoundFile &out);
    // The same for the bytes of a file.
    static Status from_bytes(const Bytes &bytes, CompoundFile &out);

    const std::vector<Entry> &entries() const { return entries_; }
    // Index of the stream entry with this (ASCII) name, or -1.
    int find_stream(const char *ascii_name) const;
    // The bytes of stream entry `index`: a view into the file when its
    // sectors are consecutive, else into `copy`, which the caller keeps.
    Status stream(std::size_t index, ByteView &view, Bytes &copy) const;
    // The mini stream (a view) and the mini FAT (as stored, little-endian).
    Status mini_stream(ByteView &view, Bytes &minifat) const;

  private:
    Status parse(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size);
    const std::uint8_t *sector(std::uint32_t n) const;
    static bool follow(const std::vector<std::uint32_t> &fat, std::uint32_t start, std::uint32_t limit,
                       std::vector<std::uint32_t> &chain);
    bool gather(const std::vector<std::uint32_t> &fat, std::uint32_t start, std::uint64_t size,
                std::uint32_t unit, std::uint32_t limit, ByteView &view, Bytes &copy) const;

    std::unique_ptr<std::uint8_t[]> file_;
    std::size_t size_ = 0;
    std::uint16_t version_ = 3;
    std::uint32_t sector_size_ = 512;
    std::uint32_t sectors_ = 0;
    std::uint32_t mini_cutoff_ = 4096;
    std::vector<std::uint32_t> fat_, minifat_;
    std::vector<Entry> entries_;
    ByteView ministream_view_;
    Bytes ministream_copy_;
};

// A version-3 compound file holding `stream` as "Workbook" and, when
// `original` is given, every other stream and storage of the original file
// with its directory entry unchanged (summary information, macros, ...).
Status wrap_in_compound_file(const Bytes &stream, const CompoundFile *original, Bytes &file);

// -------------------------------------------------------------- records

namespace rec {
constexpr std::uint16_t bof = 0x0809, eof = 0x000A, continue_ = 0x003C, sst = 0x00FC, extsst = 0x00FF,
                        boundsheet = 0x0085, codepage = 0x0042, date1904 = 0x0022, format = 0x041E,
                        xf = 0x00E0, style = 0x0293, filepass = 0x002F, window1 = 0x003D, tabid = 0x013D,
                        supbook = 0x01AE, externsheet = 0x0017, name = 0x0018, font = 0x0031;
constexpr std::uint16_t index = 0x020B, dbcell = 0x00D7, dimensions = 0x0200, row = 0x0208,
                        defcolwidth = 0x0055, colinfo = 0x007D, window2 = 0x023E, mergecells = 0x00E5;
constexpr std::uint16_t number = 0x0203, rk = 0x027E, mulrk = 0x00BD, labelsst = 0x00FD, label = 0x0204,
                        rstring = 0x00D6, boolerr = 0x0205, blank = 0x0201, mulblank = 0x00BE,
                        formula = 0x0006, string = 0x0207, array = 0x0221, table = 0x0236, shrfmla = 0x04BC;
} // namespace rec

constexpr std::size_t max_record_payload = 8224;

// One record of a Workbook stream: its id, its payload and where its header
// starts in the stream.
struct Record {
    std::uint16_t id = 0;
    std::uint16_t size = 0;
    const std::uint8_t *data = nullptr;
    std::size_t offset = 0;
};

// Walks the records of a stream from `offset`; stops (returns false) at the
// end of the stream, at zero padding, or at a record that runs past the end
// (then `truncated` is set).
class RecordReader {
  public:
    RecordReader(ByteView stream, std::size_t offset) : stream_(stream), at_(offset) {}
    bool next(Record &r)
    {
        if (at_ + 4 > stream_.size)
            return false;
        const std::uint8_t *p = stream_.data + at_;
        r.id = le16(p);
        r.size = le16(p + 2);
        if (r.id == 0 && r.size == 0)
            return false;
        if (at_ + 4 + r.size > stream_.size) {
            truncated = true;
            return false;
        }
        r.data = p + 4;
        r.offset = at_;
        at_ += 4 + static_cast<std::size_t>(r.size);
        return true;
    }
    // The next record's id without consuming it (0 when there is none).
    std::uint16_t peek() const { return at_ + 4 <= stream_.size ? le16(stream_.data + at_) : 0; }
    std::size_t offset() const { return at_; }
    bool truncated = false;

  private:
    ByteView stream_;
    std::size_t at_;
};

// How the number of a cell with a given XF is shown.
enum class NumberFormat : std::uint8_t { plain, date, time, datetime };

// What the reader learnt from the globals of a Workbook stream.
struct SheetEntry {
    std::string name;
    std::uint32_t offset = 0; // of the sheet's BOF in the stream
    std::uint8_t visibility = 0;
    std::uint8_t kind = 0; // 0 worksheet, 1 macro sheet, 2 chart, 6 module
};

struct Globals {
    std::vector<SheetEntry> sheets;
    std::vector<NumberFormat> xf_format; // by XF index
    std::vector<bool> xf_is_style;       // by XF index
    bool date1904 = false;
    // The shared strings, UTF-8, one after the other in `sst_text`.
    std::string sst_text;
    std::vector<std::uint32_t> sst_offset; // n + 1 entries
    std::size_t sst_count() const { return sst_offset.empty() ? 0 : sst_offset.size() - 1; }
    std::string_view sst(std::size_t i) const
    {
        return std::string_view(sst_text).substr(sst_offset[i], sst_offset[i + 1] - sst_offset[i]);
    }
    NumberFormat format_of(std::uint16_t xf) const
    {
        return xf < xf_format.size() ? xf_format[xf] : NumberFormat::plain;
    }
};

// The workbook a Workbook was read from: the file, its Workbook stream and
// what the globals say. Shared by every copy of the Workbook.
struct Source {
    CompoundFile file;
    int workbook_entry = -1;
    ByteView stream;
    Bytes stream_copy;
    Globals globals;
};

// Makes `out` the source for a file's bytes: container, Workbook stream and
// globals. False when they are not a readable BIFF8 workbook.
bool open_source_bytes(const Bytes &bytes, Source &out);

// Reads the globals substream. Refuses what this reader does not handle
// (other BIFF versions, encrypted workbooks) with a message saying so.
Status read_globals(ByteView stream, Globals &out);

// Reads the cells of the worksheet whose BOF is at `offset`.
Status read_sheet_cells(ByteView stream, const Globals &globals, std::uint32_t offset, Sheet &sheet);

// True for the records that hold one or more cells.
bool is_cell_record(std::uint16_t id);
// The number of cells a cell record holds (MULRK and MULBLANK hold many;
// 0 for a malformed one).
std::size_t cell_count(const Record &r);
// Row, column and XF of cell `member` of a cell record.
Status cell_position(const Record &r, std::size_t member, std::uint16_t &row, std::uint16_t &col,
                     std::uint16_t &xf);
// The value of cell `member` of cell record `r`, with its XF; BLANK and
// MULBLANK give an empty cell. For a FORMULA with a text result, `in` must
// stand just after `r`: the STRING record it reads from there.
Status decode_cell(const Record &r, std::size_t member, const Globals &g, RecordReader &in, Cell &out);

double rk_value(std::uint32_t rk);

// Serial day number of a date in the 1900 date system from one in the
// workbook's own system.
inline double serial_1900(double serial, bool date1904)
{
    return date1904 ? serial + 1462.0 : serial;
}

// Decodes an XLUnicodeString body (flags byte, then cch characters) that
// must lie within [p, end). False when it does not fit.
bool decode_string(const std::uint8_t *p, const std::uint8_t *end, std::size_t cch, std::string &out,
                   const std::uint8_t **after = nullptr);

// -------------------------------------------------------------- writing

// Appends records to a stream: a record is begun, its payload appended,
// and its length filled in when it ends.
class RecordWriter {
  public:
    explicit RecordWriter(Bytes &out) : out_(out) {}

    void begin(std::uint16_t id)
    {
        u16(id);
        start_ = out_.size();
        u16(0);
    }
    void end()
    {
        const std::size_t len = out_.size() - start_ - 2;
        out_[start_] = static_cast<std::uint8_t>(len);
        out_[start_ + 1] = static_cast<std::uint8_t>(len >> 8);
    }
    void record(std::uint16_t id, const std::uint8_t *payload, std::size_t size)
    {
        begin(id);
        bytes(payload, size);
        end();
    }
    // Bytes of the current record's payload so far.
    std::size_t payload_size() const { return out_.size() - start_ - 2; }
    // Offset of the current record's header.
    std::size_t record_start() const { return start_ - 2; }

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
    void f64(double v);
    void bytes(const std::uint8_t *p, std::size_t n) { out_.insert(out_.end(), p, p + n); }
    std::size_t offset() const { return out_.size(); }
    void patch16(std::size_t at, std::uint16_t v)
    {
        out_[at] = static_cast<std::uint8_t>(v);
        out_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void patch32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    Bytes &buffer() { return out_; }

  private:
    Bytes &out_;
    std::size_t start_ = 0;
};

// The shared-string table as it is written: every string's characters one
// after the other in `chars`, and for strings kept from a source their
// formatting runs and phonetic block as stored, in `extra`. One arena each,
// so that a table of a few hundred thousand strings costs a few
// allocations.
class SstTable {
  public:
    struct Entry {
        std::uint32_t text_at = 0, text_length = 0;
        std::uint32_t runs_at = 0, runs_length = 0;         // bytes, 4 per run
        std::uint32_t phonetic_at = 0, phonetic_length = 0; // bytes
    };
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const Entry &entry(std::size_t i) const { return entries_[i]; }
    std::u16string_view text(std::size_t i) const
    {
        return std::u16string_view(chars_).substr(entries_[i].text_at, entries_[i].text_length);
    }
    const std::uint8_t *extra(std::uint32_t at) const { return extra_.data() + at; }
    bool plain(std::size_t i) const
    {
        return entries_[i].runs_length == 0 && entries_[i].phonetic_length == 0;
    }

    // Appends a string; `runs` and `phonetic` as stored (may be empty).
    void add(std::u16string_view text, ByteView runs = {}, ByteView phonetic = {});
    // Building a string piece by piece (a source's strings run over records).
    void begin();
    std::u16string &chars() { return chars_; }
    Bytes &extra_bytes() { return extra_; }
    void end(std::size_t runs_length, std::size_t phonetic_length);
    void reserve(std::size_t strings, std::size_t chars);

  private:
    std::u16string chars_;
    Bytes extra_;
    std::vector<Entry> entries_;
    std::size_t open_chars_ = 0, open_extra_ = 0;
};

// The longest text a cell holds (in UTF-16 units).
constexpr std::size_t max_text_length = 32767;

// Writes the shared-string table (SST and CONTINUE records) and its EXTSST
// index. `total` is the number of LABELSST cells in the workbook.
void write_sst(RecordWriter &w, const SstTable &strings, std::uint32_t total);

// Writes one cell record for a value: RK or NUMBER for numbers (dates and
// times too), LABELSST with string `isst` for a non-empty text, BOOLERR for
// booleans and errors, BLANK for an empty cell or text.
void write_cell(RecordWriter &w, std::uint16_t row, std::uint16_t col, std::uint16_t xf, const Cell &cell,
                std::uint32_t isst, bool date1904);

// The strings of a shared-string table as stored (characters, formatting
// runs, phonetic blocks), from its SST record and CONTINUE records.
Status read_sst_strings(const std::vector<ByteView> &records, SstTable &out);

// Checks a sheet name as the format requires (1-31 characters, none of
// : \ / ? * [ ]); a failure says why.
Status check_sheet_name(const std::string &name, std::u16string &utf16);
// Every sheet's name checked as above, and no two alike ignoring ASCII case;
// `names` gets the UTF-16 names in sheet order.
Status check_sheet_names(const std::vector<Sheet> &sheets, std::vector<std::u16string> &names);

// The BIFF8 Workbook stream of a book without a source, padded with zeros
// to at least 4096 bytes so that it lives in regular sectors rather than the
// mini stream.
Status build_workbook_stream(const Workbook &book, Bytes &stream);

// The Workbook stream of a book read from `source`: every record of the
// source is kept except those the changes replace (see biff8_edit.cpp).
Status rebuild_workbook_stream(const Workbook &book, const Source &source, Bytes &stream);

// Writes `bytes` to a new file beside `path`, syncs it and renames it over
// `path`; on any failure the new file is removed and `path` is untouched.
// With `keep`, the new file stays open and its descriptor goes to `*keep`.
Status write_file_atomically(const std::string &path, const Bytes &bytes, int *keep = nullptr);

} // namespace workbook::detail

#endif
