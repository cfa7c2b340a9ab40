// Reading the compound-file (OLE2) container of an .xls workbook.
//
// The whole file is read into memory once; every structure in it is then
// checked before it is used: the header, the FAT (through the header's 109
// slots and the DIFAT chain), the directory chain and its entries, the mini
// FAT and the mini stream. Every sector number is bounded by the file's
// sector count and every chain by the number of sectors it could possibly
// have, so a corrupt or hostile file gives a failure naming what is wrong,
// never a read outside the file or an endless loop. A stream whose sectors
// follow each other (as writers lay them out) is served in place; any other
// is gathered into a copy.
#include "workbook/xls_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace workbook::detail {
namespace {

constexpr std::uint32_t max_regular_sector = 0xFFFFFFFAu;
constexpr std::uint32_t end_of_chain = 0xFFFFFFFEu;
constexpr std::uint32_t free_sector = 0xFFFFFFFFu;
constexpr std::uint32_t mini_sector_size = 64;

Status corrupt(const char *what)
{
    return Status::failure(std::string("corrupt compound file (") + what + ")");
}

} // namespace

Status CompoundFile::read(const std::string &path, CompoundFile &out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::failure(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return Status::failure(std::strerror(e));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::failure("not a regular file");
    }
    // Uninitialised storage: every byte is overwritten by the read below.
    auto size = static_cast<std::size_t>(st.st_size);
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size ? size : 1]);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, bytes.get() + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the file shrank while it was read: checked below as a short file
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return out.parse(std::move(bytes), done);
}

Status CompoundFile::from_bytes(const Bytes &bytes, CompoundFile &out)
{
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.empty() ? 1 : bytes.size()]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return out.parse(std::move(copy), bytes.size());
}

Status CompoundFile::parse(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size)
{
    file_ = std::move(bytes);
    size_ = size;
    const std::uint8_t *h = file_.get();
    static const std::uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (size_ < 512)
        return Status::failure("not an .xls workbook (too short for a compound file)");
    if (std::memcmp(h, magic, 8) != 0)
        return Status::failure("not an .xls workbook (no compound-file signature)");
    const std::uint16_t major = le16(h + 0x1A);
    const std::uint16_t shift = le16(h + 0x1E);
    if (!((major == 3 && shift == 9) || (major == 4 && shift == 12)))
        return corrupt("version or sector size");
    version_ = major;
    sector_size_ = 1u << shift;
    if (size_ < sector_size_)
        return corrupt("truncated header");
    sectors_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>((size_ - sector_size_) / sector_size_, max_regular_sector));
    mini_cutoff_ = le32(h + 0x38);
    const std::uint32_t ids = sector_size_ / 4;

    // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
    const std::uint32_t fat_count = le32(h + 0x2C);
    if (fat_count > sectors_)
        return corrupt("FAT larger than the file");
    std::vector<std::uint32_t> fat_sectors;
    for (std::uint32_t i = 0; i < fat_count && i < 109; ++i)
        fat_sectors.push_back(le32(h + 0x4C + 4 * i));
    std::uint32_t difat = le32(h + 0x44);
    for (std::uint32_t n = 0; fat_sectors.size() < fat_count; ++n) {
        const std::uint8_t *s = sector(difat);
        if (n > sectors_ || !s)
            return corrupt("DIFAT chain");
        for (std::uint32_t k = 0; k + 1 < ids && fat_sectors.size() < fat_count; ++k)
            fat_sectors.push_back(le32(s + 4 * k));
        difat = le32(s + 4 * (ids - 1));
    }
    fat_.resize(static_cast<std::size_t>(fat_count) * ids);
    for (std::size_t i = 0; i < fat_sectors.size(); ++i) {
        const std::uint8_t *s = sector(fat_sectors[i]);
        if (!s)
            return corrupt("FAT sector out of range");
        for (std::uint32_t k = 0; k < ids; ++k)
            fat_[i * ids + k] = le32(s + 4 * k);
    }

    // Directory: every entry's name fits its 64-byte field.
    std::vector<std::uint32_t> chain;
    if (!follow(fat_, le32(h + 0x30), sectors_, chain) || chain.empty())
        return corrupt("directory chain");
    for (std::uint32_t sector_number : chain) {
        const std::uint8_t *s = sector(sector_number);
        for (std::uint32_t e = 0; e < sector_size_; e += 128) {
            Entry entry;
            std::memcpy(entry.raw, s + e, sizeof entry.raw);
            const std::uint16_t name_bytes = le16(s + e + 0x40);
            entry.type = s[e + 0x42];
            if (name_bytes > 64 || name_bytes % 2 != 0 || entry.type > 5)
                return corrupt("directory entry");
            for (std::uint16_t i = 0; i + 2 < name_bytes; i += 2)
                entry.name.push_back(static_cast<char16_t>(le16(s + e + i)));
            entry.start = le32(s + e + 0x74);
            entry.size = le32(s + e + 0x78);
            if (version_ == 4)
                entry.size |= static_cast<std::uint64_t>(le32(s + e + 0x7C)) << 32;
            entries_.push_back(std::move(entry));
        }
    }
    if (entries_.empty() || entries_[0].type != 5)
        return corrupt("no root entry");

    // The mini stream (the root entry's stream) and the mini FAT, when any
    // stream lives there.
    const Entry &root = entries_[0];
    if (root.size > 0) {
        if (!gather(fat_, root.start, root.size, sector_size_, sectors_, ministream_view_, ministream_copy_))
            return corrupt("mini stream chain");
        std::vector<std::uint32_t> minifat_chain;
        if (!follow(fat_, le32(h + 0x3C), sectors_, minifat_chain))
            return corrupt("mini FAT chain");
        for (std::uint32_t sector_number : minifat_chain) {
            const std::uint8_t *s = sector(sector_number);
            for (std::uint32_t k = 0; k < ids; ++k)
                minifat_.push_back(le32(s + 4 * k));
        }
    }
    return {};
}

const std::uint8_t *CompoundFile::sector(std::uint32_t n) const
{
    if (n >= sectors_)
        return nullptr;
    return file_.get() + static_cast<std::size_t>(n + 1) * sector_size_;
}

bool CompoundFile::follow(const std::vector<std::uint32_t> &fat, std::uint32_t start, std::uint32_t limit,
                          std::vector<std::uint32_t> &chain)
{
    chain.clear();
    for (std::uint32_t s = start; s != end_of_chain && s != free_sector;) {
        if (s >= limit || s >= fat.size() || chain.size() >= limit)
            return false;
        chain.push_back(s);
        s = fat[s];
    }
    return true;
}

bool CompoundFile::gather(const std::vector<std::uint32_t> &fat, std::uint32_t start, std::uint64_t size,
                          std::uint32_t unit, std::uint32_t limit, ByteView &view, Bytes &copy) const
{
    const std::uint64_t need = (size + unit - 1) / unit;
    if (need > limit)
        return false;
    std::vector<std::uint32_t> chain;
    chain.reserve(static_cast<std::size_t>(need));
    std::uint32_t s = start;
    bool consecutive = true;
    for (std::uint64_t i = 0; i < need; ++i) {
        if (s >= limit || s >= fat.size())
            return false;
        chain.push_back(s);
        consecutive = consecutive && s == start + i;
        s = fat[s];
    }
    const bool regular = &fat == &fat_;
    auto piece = [&](std::uint32_t n) -> const std::uint8_t * {
        if (regular)
            return sector(n);
        const std::size_t at = static_cast<std::size_t>(n) * mini_sector_size;
        return at + mini_sector_size <= ministream_view_.size ? ministream_view_.data + at : nullptr;
    };
    if (consecutive && need > 0) {
        const std::uint8_t *first = piece(chain.front());
        const std::uint8_t *last = piece(chain.back());
        if (!first || !last)
            return false;
        view = {first, static_cast<std::size_t>(size)};
        return true;
    }
    copy.resize(static_cast<std::size_t>(need) * unit);
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::uint8_t *p = piece(chain[i]);
        if (!p)
            return false;
        std::memcpy(copy.data() + i * unit, p, unit);
    }
    view = {copy.data(), static_cast<std::size_t>(size)};
    return true;
}

int CompoundFile::find_stream(const char *ascii_name) const
{
    const std::size_t n = std::strlen(ascii_name);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry &e = entries_[i];
        if (e.type != 2 || e.name.size() != n)
            continue;
        bool same = true;
        for (std::size_t k = 0; k < n && same; ++k)
            same = e.name[k] == static_cast<char16_t>(ascii_name[k]);
        if (same)
            return static_cast<int>(i);
    }
    return -1;
}

Status CompoundFile::stream(std::size_t index, ByteView &view, Bytes &copy) const
{
    if (index >= entries_.size() || entries_[index].type != 2)
        return Status::failure("no such stream");
    const Entry &e = entries_[index];
    view = {};
    if (e.size == 0)
        return {};
    const bool mini = e.size < mini_cutoff_;
    const bool ok = mini ? gather(minifat_, e.start, e.size, mini_sector_size,
                                  static_cast<std::uint32_t>(std::min<std::size_t>(
                                      ministream_view_.size / mini_sector_size, max_regular_sector)),
                                  view, copy)
                         : gather(fat_, e.start, e.size, sector_size_, sectors_, view, copy);
    if (!ok)
        return corrupt(mini ? "mini stream sector chain" : "stream sector chain");
    return {};
}

Status CompoundFile::mini_stream(ByteView &view, Bytes &minifat) const
{
    view = ministream_view_;
    minifat.resize(minifat_.size() * 4);
    for (std::size_t i = 0; i < minifat_.size(); ++i)
        for (int k = 0; k < 4; ++k)
            minifat[4 * i + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(minifat_[i] >> (8 * k));
    return {};
}

} // namespace workbook::detail
