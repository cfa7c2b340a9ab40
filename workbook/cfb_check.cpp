// A structural check of the compound-file container, run before FreeXL sees
// a file. FreeXL trusts the name length of directory entries and copies that
// many bytes out of a 64-byte field; a corrupt length makes it read past its
// own buffer. This check walks the FAT (through the DIFAT) and the directory
// chain with every offset bounded by the file size and every chain bounded by
// the sector count, and refuses a file whose directory entries are malformed.
#include "workbook/xls_format.h"

#include <fcntl.h>
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
            }
            std::uint32_t next = 0;
            if (!fat_next(dir, next))
                return Status::failure("corrupt compound file (FAT)");
            dir = next;
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
    bool fat_next(std::uint32_t sector, std::uint32_t &next) const
    {
        const std::uint32_t ids = sector_size_ / 4;
        const std::uint32_t index = sector / ids;
        if (index >= fat_sectors_.size() || fat_sectors_[index] >= sectors_)
            return false;
        std::uint8_t v[4];
        const off_t at = static_cast<off_t>(fat_sectors_[index] + 1) * sector_size_ + 4 * (sector % ids);
        if (::pread(fd_, v, 4, at) != 4)
            return false;
        next = le32(v);
        return true;
    }

    int fd_;
    std::uint32_t sector_size_ = 512;
    std::uint32_t sectors_ = 0;
    std::vector<std::uint32_t> fat_sectors_;
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
