// The compound-file (OLE2, version 3) container around a single Workbook
// stream.
//
// Layout of the file this writes, in 512-byte sectors after the header:
// the stream's sectors first, then one directory sector (root entry and the
// Workbook entry), then the FAT sectors, then DIFAT sectors when the FAT
// needs more than the 109 slots of the header (streams above about 7 MB).
// The stream is always at least 4096 bytes long (the writer pads it), so no
// mini stream is ever needed: the root entry describes an empty one.
#include "workbook/xls_format.h"

#include <cassert>
#include <cstring>

namespace workbook::detail {
namespace {

constexpr std::uint32_t sector_size = 512;
constexpr std::uint32_t ids_per_sector = sector_size / 4;
constexpr std::uint32_t header_difat_slots = 109;
constexpr std::uint32_t free_sector = 0xFFFFFFFFu;
constexpr std::uint32_t end_of_chain = 0xFFFFFFFEu;
constexpr std::uint32_t fat_sector = 0xFFFFFFFDu;
constexpr std::uint32_t difat_sector = 0xFFFFFFFCu;
constexpr std::uint32_t no_stream = 0xFFFFFFFFu;

void put16(std::uint8_t *p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void put64(std::uint8_t *p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void directory_entry(std::uint8_t *e, const char *name, std::uint8_t type, std::uint32_t child,
                     std::uint32_t start, std::uint64_t size)
{
    std::size_t n = std::strlen(name);
    for (std::size_t i = 0; i < n; ++i)
        put16(e + 2 * i, static_cast<std::uint8_t>(name[i]));
    put16(e + 0x40, static_cast<std::uint16_t>(2 * (n + 1)));
    e[0x42] = type;
    e[0x43] = 1; // black
    put32(e + 0x44, no_stream);
    put32(e + 0x48, no_stream);
    put32(e + 0x4C, child);
    put32(e + 0x74, start);
    put64(e + 0x78, size);
}

} // namespace

Bytes wrap_in_compound_file(const Bytes &stream)
{
    assert(stream.size() >= 4096);
    const std::uint32_t stream_sectors =
        static_cast<std::uint32_t>((stream.size() + sector_size - 1) / sector_size);
    std::uint32_t fat_count = 1, difat_count = 0;
    for (;;) {
        std::uint32_t total = stream_sectors + 1 + fat_count + difat_count;
        std::uint32_t need_fat = (total + ids_per_sector - 1) / ids_per_sector;
        std::uint32_t need_difat = need_fat > header_difat_slots
                                       ? (need_fat - header_difat_slots + ids_per_sector - 2) / (ids_per_sector - 1)
                                       : 0;
        if (need_fat == fat_count && need_difat == difat_count)
            break;
        fat_count = need_fat;
        difat_count = need_difat;
    }
    const std::uint32_t dir_start = stream_sectors;
    const std::uint32_t fat_start = dir_start + 1;
    const std::uint32_t difat_start = fat_start + fat_count;
    const std::uint32_t total = difat_start + difat_count;

    Bytes file(static_cast<std::size_t>(total + 1) * sector_size, 0);
    auto sector = [&](std::uint32_t n) { return file.data() + static_cast<std::size_t>(n + 1) * sector_size; };

    // Header.
    std::uint8_t *h = file.data();
    static const std::uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(h, magic, 8);
    put16(h + 0x18, 0x003E);
    put16(h + 0x1A, 0x0003);
    put16(h + 0x1C, 0xFFFE);
    put16(h + 0x1E, 9);
    put16(h + 0x20, 6);
    put32(h + 0x2C, fat_count);
    put32(h + 0x30, dir_start);
    put32(h + 0x38, 4096);
    put32(h + 0x3C, end_of_chain);
    put32(h + 0x40, 0);
    put32(h + 0x44, difat_count ? difat_start : end_of_chain);
    put32(h + 0x48, difat_count);
    for (std::uint32_t i = 0; i < header_difat_slots; ++i)
        put32(h + 0x4C + 4 * i, i < fat_count ? fat_start + i : free_sector);

    // Stream.
    std::memcpy(sector(0), stream.data(), stream.size());

    // Directory: root (with an empty mini stream), Workbook, two unused entries.
    std::uint8_t *dir = sector(dir_start);
    directory_entry(dir, "Root Entry", 5, 1, end_of_chain, 0);
    directory_entry(dir + 128, "Workbook", 2, no_stream, 0, stream.size());
    for (int i = 2; i < 4; ++i) {
        put32(dir + 128 * i + 0x44, no_stream);
        put32(dir + 128 * i + 0x48, no_stream);
        put32(dir + 128 * i + 0x4C, no_stream);
    }

    // FAT.
    std::vector<std::uint32_t> fat(static_cast<std::size_t>(fat_count) * ids_per_sector, free_sector);
    for (std::uint32_t i = 0; i < stream_sectors; ++i)
        fat[i] = i + 1 < stream_sectors ? i + 1 : end_of_chain;
    fat[dir_start] = end_of_chain;
    for (std::uint32_t i = 0; i < fat_count; ++i)
        fat[fat_start + i] = fat_sector;
    for (std::uint32_t i = 0; i < difat_count; ++i)
        fat[difat_start + i] = difat_sector;
    for (std::uint32_t i = 0; i < fat.size(); ++i)
        put32(sector(fat_start + i / ids_per_sector) + 4 * (i % ids_per_sector), fat[i]);

    // DIFAT sectors: the FAT sectors past the header's 109, 127 per sector,
    // each sector ending with the number of the next.
    for (std::uint32_t d = 0; d < difat_count; ++d) {
        std::uint8_t *s = sector(difat_start + d);
        for (std::uint32_t k = 0; k < ids_per_sector - 1; ++k) {
            std::uint32_t index = header_difat_slots + d * (ids_per_sector - 1) + k;
            put32(s + 4 * k, index < fat_count ? fat_start + index : free_sector);
        }
        put32(s + 4 * (ids_per_sector - 1), d + 1 < difat_count ? difat_start + d + 1 : end_of_chain);
    }
    return file;
}

} // namespace workbook::detail
