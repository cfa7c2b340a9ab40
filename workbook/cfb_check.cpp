// A structural check of the compound-file container, run before FreeXL sees
// a file. FreeXL trusts the name length of directory entries and copies that
// many bytes out of a 64-byte field; a corrupt length makes it read past its
// own buffer. This check walks the FAT (through the DIFAT) and the directory
// chain with every offset bounded by the file size and every chain bounded by
// the sector count, and refuses a file whose directory entries are malformed.
// It then reads the Workbook stream (when it lives in regular sectors) and
// checks that every record fits the stream and that the strings of the
// records FreeXL decodes (BOUNDSHEET, SST with its CONTINUE records, LABEL,
// FORMAT, FONT) fit their records: FreeXL copies declared lengths without
// checking them against the record.
#include "workbook/xls_format.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace workbook::detail {
namespace {

constexpr std::uint32_t max_regular_sector = 0xFFFFFFFAu;
constexpr std::uint32_t end_of_chain = 0xFFFFFFFEu;

std::uint16_t le16(const std::uint8_t *p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t *p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class Container {
public:
    explicit Container(int fd) : fd_(fd) {}

    Status check()
    {
        struct stat st {};
        if (::fstat(fd_, &st) != 0)
            return Status::failure("cannot read the file");
        std::uint8_t h[512];
        if (st.st_size < 512 || ::pread(fd_, h, sizeof h, 0) != static_cast<ssize_t>(sizeof h))
            return Status::failure("not an .xls workbook (too short for a compound file)");
        static const std::uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (std::memcmp(h, magic, 8) != 0)
            return Status::failure("not an .xls workbook (no compound-file signature)");
        const std::uint16_t shift = le16(h + 0x1E);
        if (!((le16(h + 0x1A) == 3 && shift == 9) || (le16(h + 0x1A) == 4 && shift == 12)))
            return Status::failure("corrupt compound file (version or sector size)");
        sector_size_ = 1u << shift;
        const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
        if (size < sector_size_)
            return Status::failure("corrupt compound file (truncated header)");
        sectors_ = static_cast<std::uint32_t>(std::min<std::uint64_t>((size - sector_size_) / sector_size_, max_regular_sector));
        const std::uint32_t ids = sector_size_ / 4;

        // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
        const std::uint32_t fat_count = le32(h + 0x2C);
        if (fat_count > sectors_)
            return Status::failure("corrupt compound file (FAT larger than the file)");
        for (std::uint32_t i = 0; i < fat_count && i < 109; ++i)
            fat_sectors_.push_back(le32(h + 0x4C + 4 * i));
        std::uint32_t difat = le32(h + 0x44);
        std::vector<std::uint8_t> buf(sector_size_);
        for (std::uint32_t n = 0; fat_sectors_.size() < fat_count; ++n) {
            if (n > sectors_ || !read_sector(difat, buf))
                return Status::failure("corrupt compound file (DIFAT chain)");
            for (std::uint32_t k = 0; k + 1 < ids && fat_sectors_.size() < fat_count; ++k)
                fat_sectors_.push_back(le32(buf.data() + 4 * k));
            difat = le32(buf.data() + 4 * (ids - 1));
        }

        if (!load_fat())
            return Status::failure("corrupt compound file (FAT sector out of range)");

        // Directory chain: every entry's name fits its 64-byte field.
        std::uint32_t dir = le32(h + 0x30);
        for (std::uint32_t n = 0; dir != end_of_chain; ++n) {
            if (n > sectors_ || !read_sector(dir, buf))
                return Status::failure("corrupt compound file (directory chain)");
            for (std::uint32_t e = 0; e < sector_size_; e += 128) {
                const std::uint16_t name_bytes = le16(buf.data() + e + 0x40);
                const std::uint8_t type = buf[e + 0x42];
                if (name_bytes > 64 || name_bytes % 2 != 0 || type > 5)
                    return Status::failure("corrupt compound file (directory entry)");
                if (type == 2 && !stream_found_ && is_workbook_name(buf.data() + e, name_bytes)) {
                    stream_found_ = true;
                    stream_start_ = le32(buf.data() + e + 0x74);
                    stream_size_ = le32(buf.data() + e + 0x78);
                }
            }
            std::uint32_t next = 0;
            if (!fat_next(dir, next))
                return Status::failure("corrupt compound file (FAT)");
            dir = next;
        }
        if (stream_found_ && stream_size_ >= 4096) {
            StreamBytes stream;
            if (!read_stream(stream))
                return Status::failure("corrupt compound file (Workbook stream chain)");
            if (!records_fit(stream.data, stream.size))
                return Status::failure("corrupt workbook records (a length runs past its record)");
        }
        return {};
    }

private:
    bool read_sector(std::uint32_t n, std::vector<std::uint8_t> &buf) const
    {
        if (n >= sectors_)
            return false;
        const off_t at = static_cast<off_t>(n + 1) * sector_size_;
        return ::pread(fd_, buf.data(), sector_size_, at) == static_cast<ssize_t>(sector_size_);
    }
    bool load_fat()
    {
        fat_.resize(fat_sectors_.size() * (sector_size_ / 4));
        std::vector<std::uint8_t> buf(sector_size_);
        for (std::size_t i = 0; i < fat_sectors_.size(); ++i) {
            if (!read_sector(fat_sectors_[i], buf))
                return false;
            for (std::uint32_t k = 0; k < sector_size_ / 4; ++k)
                fat_[i * (sector_size_ / 4) + k] = le32(buf.data() + 4 * k);
        }
        return true;
    }
    bool fat_next(std::uint32_t sector, std::uint32_t &next) const
    {
        if (sector >= fat_.size())
            return false;
        next = fat_[sector];
        return true;
    }
    static bool is_workbook_name(const std::uint8_t *name, std::uint16_t bytes)
    {
        auto equals = [&](const char *ascii) {
            const std::size_t n = std::strlen(ascii);
            if (bytes != 2 * (n + 1))
                return false;
            for (std::size_t i = 0; i < n; ++i)
                if (name[2 * i] != static_cast<std::uint8_t>(ascii[i]) || name[2 * i + 1] != 0)
                    return false;
            return true;
        };
        return equals("Workbook") || equals("Book");
    }
    // The stream's bytes: mapped in place when its sectors are consecutive
    // (as writers lay them out), else copied out sector run by sector run.
    struct StreamBytes {
        const std::uint8_t *data = nullptr;
        std::size_t size = 0;
        void *map = MAP_FAILED;
        std::size_t map_size = 0;
        std::vector<std::uint8_t> copy;
        ~StreamBytes()
        {
            if (map != MAP_FAILED)
                ::munmap(map, map_size);
        }
    };

    bool read_stream(StreamBytes &out) const
    {
        const std::size_t need = (static_cast<std::size_t>(stream_size_) + sector_size_ - 1) / sector_size_;
        if (need > sectors_)
            return false;
        // Follow the chain once, checking it and noting whether it is one run.
        std::vector<std::uint32_t> chain;
        chain.reserve(need);
        bool contiguous = true;
        std::uint32_t sector = stream_start_;
        for (std::size_t i = 0; i < need; ++i) {
            if (sector >= sectors_)
                return false;
            chain.push_back(sector);
            contiguous = contiguous && sector == stream_start_ + i;
            if (!fat_next(sector, sector))
                return false;
        }
        if (contiguous) {
            const std::size_t length = (static_cast<std::size_t>(stream_start_) + 1 + need) * sector_size_;
            out.map = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_, 0);
            if (out.map != MAP_FAILED) {
                out.map_size = length;
                out.data = static_cast<const std::uint8_t *>(out.map) + (static_cast<std::size_t>(stream_start_) + 1) * sector_size_;
                out.size = stream_size_;
                return true;
            }
        }
        out.copy.resize(need * sector_size_);
        for (std::size_t i = 0; i < need; ++i)
            if (::pread(fd_, out.copy.data() + i * sector_size_, sector_size_,
                        static_cast<off_t>(chain[i] + 1) * sector_size_) != static_cast<ssize_t>(sector_size_))
                return false;
        out.data = out.copy.data();
        out.size = stream_size_;
        return true;
    }

    // Record by record: lengths within the stream, strings within records.
    static bool records_fit(const std::uint8_t *s, std::size_t size)
    {
        std::size_t at = 0;
        // The shared string table spans its SST record and the CONTINUE
        // records after it; it is checked once all of them are known.
        std::vector<std::pair<std::size_t, std::size_t>> sst_parts;
        bool in_sst = false;
        while (at + 4 <= size) {
            const std::uint16_t id = le16(s + at);
            const std::uint16_t len = le16(s + at + 2);
            const std::size_t body = at + 4;
            if (id == 0 && len == 0)
                break; // zero padding after the last EOF
            if (body + len > size)
                return false;
            const std::uint8_t *p = s + body;
            if (id == 0x00FC) {
                if (!sst_parts.empty() && !sst_fits(s, sst_parts))
                    return false;
                sst_parts.assign(1, {body, len});
                in_sst = true;
            } else if (id == 0x003C && in_sst) {
                sst_parts.emplace_back(body, len);
            } else {
                in_sst = false;
            }
            switch (id) {
            case 0x0085: // BOUNDSHEET8: 6 bytes, then a short string
                if (len < 8 || !short_string_fits(p + 6, len - 6))
                    return false;
                break;
            case 0x0031: // FONT: 14 bytes, then a short string
                if (len < 16 || !short_string_fits(p + 14, len - 14))
                    return false;
                break;
            case 0x041E: // FORMAT: 2 bytes, then a long string
            case 0x0204: // LABEL: 6 bytes, then a long string
            {
                const std::size_t head = id == 0x041E ? 2 : 6;
                if (len < head + 3)
                    return false;
                const std::size_t cch = le16(p + head);
                const std::size_t unit = (p[head + 2] & 1) ? 2 : 1;
                if (head + 3 + cch * unit > len)
                    return false;
                break;
            }
            default:
                break;
            }
            at = body + len;
        }
        return sst_parts.empty() || sst_fits(s, sst_parts);
    }

    static bool short_string_fits(const std::uint8_t *p, std::size_t room)
    {
        const std::size_t cch = p[0];
        const std::size_t unit = (p[1] & 1) ? 2 : 1;
        return 2 + cch * unit <= room;
    }

    // Walks the strings of the table: every header, character run, rich-text
    // run list and extension block must lie within the SST and CONTINUE
    // records, with a string's characters continuing after a flags byte.
    static bool sst_fits(const std::uint8_t *s, const std::vector<std::pair<std::size_t, std::size_t>> &parts)
    {
        std::size_t part = 0, pos = parts[0].first, end = parts[0].first + parts[0].second;
        auto next_part = [&]() {
            if (++part >= parts.size())
                return false;
            pos = parts[part].first;
            end = pos + parts[part].second;
            return true;
        };
        // Skips `n` bytes that may run over record boundaries.
        auto skip = [&](std::size_t n) {
            while (n > 0) {
                if (pos == end && !next_part())
                    return false;
                const std::size_t k = std::min(n, end - pos);
                pos += k;
                n -= k;
            }
            return true;
        };
        if (end - pos < 8)
            return false;
        const std::uint32_t unique = le32(s + pos + 4);
        pos += 8;
        for (std::uint32_t i = 0; i < unique; ++i) {
            if (pos == end && !next_part())
                return false;
            if (end - pos < 3)
                return false;
            std::size_t cch = le16(s + pos);
            const std::uint8_t flags = s[pos + 2];
            pos += 3;
            std::size_t runs = 0, ext = 0;
            if (flags & 0x08) {
                if (end - pos < 2)
                    return false;
                runs = le16(s + pos);
                pos += 2;
            }
            if (flags & 0x04) {
                if (end - pos < 4)
                    return false;
                ext = le32(s + pos);
                pos += 4;
            }
            std::size_t unit = (flags & 1) ? 2 : 1;
            while (cch > 0) {
                if (pos == end) {
                    if (!next_part() || pos == end)
                        return false;
                    unit = (s[pos] & 1) ? 2 : 1; // continued characters restate their width
                    ++pos;
                }
                const std::size_t k = std::min(cch, (end - pos) / unit);
                if (k == 0)
                    return false;
                pos += k * unit;
                cch -= k;
            }
            if (!skip(4 * runs) || !skip(ext))
                return false;
        }
        return true;
    }

    int fd_;
    std::uint32_t sector_size_ = 512;
    std::uint32_t sectors_ = 0;
    std::vector<std::uint32_t> fat_sectors_;
    std::vector<std::uint32_t> fat_;
    bool stream_found_ = false;
    std::uint32_t stream_start_ = 0;
    std::uint32_t stream_size_ = 0;
};

} // namespace

Status check_compound_file(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::failure("cannot open the file");
    Status s = Container(fd).check();
    ::close(fd);
    return s;
}

} // namespace workbook::detail
