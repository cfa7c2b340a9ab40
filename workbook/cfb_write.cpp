// Writing the compound-file (OLE2, version 3) container around a Workbook
// stream.
//
// Layout, in 512-byte sectors after the header: the Workbook stream, every
// other regular stream of the original file, the mini stream and the mini
// FAT (when the original had one), the directory, the FAT, and DIFAT
// sectors when the FAT needs more than the 109 slots of the header
// (streams above about 7 MB). The Workbook stream is always at least 4096
// bytes long (the writer pads it), so it never belongs in the mini stream.
//
// With an original file, its directory is copied entry for entry, so the
// tree of names, storages, class ids and timestamps stays as it was; only
// the start sectors and sizes of the streams are rewritten. Streams in the
// mini stream keep their places, since the mini stream is copied whole.
#include "workbook/xls_format.h"

#include <array>
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
constexpr std::uint32_t mini_cutoff = 4096;

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

void new_entry(std::uint8_t *e, const char *name, std::uint8_t type, std::uint32_t child)
{
    std::memset(e, 0, 128);
    const std::size_t n = std::strlen(name);
    for (std::size_t i = 0; i < n; ++i)
        put16(e + 2 * i, static_cast<std::uint8_t>(name[i]));
    put16(e + 0x40, static_cast<std::uint16_t>(2 * (n + 1)));
    e[0x42] = type;
    e[0x43] = 1; // black
    put32(e + 0x44, no_stream);
    put32(e + 0x48, no_stream);
    put32(e + 0x4C, child);
}

std::uint32_t sectors_for(std::size_t bytes)
{
    return static_cast<std::uint32_t>((bytes + sector_size - 1) / sector_size);
}

// A run of data placed in consecutive sectors.
struct Piece {
    ByteView data;
    std::uint32_t first = 0; // sector
    std::uint32_t count = 0; // sectors
    int entry = -1;          // directory entry whose start and size it sets
};

} // namespace

Status wrap_in_compound_file(const Bytes &stream, const CompoundFile *original, Bytes &file)
{
    assert(stream.size() >= mini_cutoff);
    // Directory entries: the original's, or root + Workbook.
    std::vector<std::array<std::uint8_t, 128>> entries;
    std::vector<Piece> pieces;
    std::vector<Bytes> scratch; // gathered copies of streams that were not contiguous
    int workbook_entry = 1;
    Bytes minifat;
    if (original) {
        const auto &old = original->entries();
        workbook_entry = original->find_stream("Workbook");
        if (workbook_entry < 0)
            return Status::failure("the original file has no Workbook stream");
        entries.resize(old.size());
        for (std::size_t i = 0; i < old.size(); ++i) {
            std::memcpy(entries[i].data(), old[i].raw, 128);
            put32(entries[i].data() + 0x7C, 0); // version 3: sizes are 32 bits
        }
        pieces.push_back({{stream.data(), stream.size()}, 0, 0, workbook_entry});
        ByteView ministream{};
        for (std::size_t i = 0; i < old.size(); ++i) {
            const auto &e = old[i];
            if (static_cast<int>(i) == workbook_entry || e.type != 2 || e.size == 0 || e.size < mini_cutoff)
                continue;
            if (e.size > 0xFFFFFFFFu)
                return Status::failure("a stream of the original file is too large to copy");
            scratch.emplace_back();
            ByteView view;
            if (Status s = original->stream(i, view, scratch.back()); !s)
                return s;
            pieces.push_back({view, 0, 0, static_cast<int>(i)});
        }
        // The mini stream and its FAT, copied whole, when a stream lives there.
        bool mini_used = false;
        for (std::size_t i = 0; i < old.size(); ++i)
            mini_used = mini_used || (static_cast<int>(i) != workbook_entry && old[i].type == 2 &&
                                      old[i].size > 0 && old[i].size < mini_cutoff);
        if (mini_used) {
            if (Status s = original->mini_stream(ministream, minifat); !s)
                return s;
            pieces.push_back({ministream, 0, 0, 0});
            pieces.push_back({{minifat.data(), minifat.size()}, 0, 0, -2});
        } else {
            put32(entries[0].data() + 0x74, end_of_chain);
            put32(entries[0].data() + 0x78, 0);
        }
    } else {
        entries.resize(4);
        new_entry(entries[0].data(), "Root Entry", 5, 1);
        put32(entries[0].data() + 0x74, end_of_chain);
        new_entry(entries[1].data(), "Workbook", 2, no_stream);
        for (int i = 2; i < 4; ++i) {
            std::memset(entries[i].data(), 0, 128);
            put32(entries[i].data() + 0x44, no_stream);
            put32(entries[i].data() + 0x48, no_stream);
            put32(entries[i].data() + 0x4C, no_stream);
        }
        pieces.push_back({{stream.data(), stream.size()}, 0, 0, workbook_entry});
    }
    while (entries.size() % 4 != 0) {
        entries.emplace_back();
        std::memset(entries.back().data(), 0, 128);
        put32(entries.back().data() + 0x44, no_stream);
        put32(entries.back().data() + 0x48, no_stream);
        put32(entries.back().data() + 0x4C, no_stream);
    }

    // Sector numbers: the pieces, then the directory, the FAT, the DIFAT.
    std::uint32_t next = 0;
    for (Piece &p : pieces) {
        p.first = next;
        p.count = sectors_for(p.data.size);
        next += p.count;
    }
    const std::uint32_t dir_start = next;
    const std::uint32_t dir_count = static_cast<std::uint32_t>(entries.size() / 4);
    const std::uint32_t data_sectors = dir_start + dir_count;
    std::uint32_t fat_count = 1, difat_count = 0;
    for (;;) {
        const std::uint32_t total = data_sectors + fat_count + difat_count;
        const std::uint32_t need_fat = (total + ids_per_sector - 1) / ids_per_sector;
        const std::uint32_t need_difat =
            need_fat > header_difat_slots
                ? (need_fat - header_difat_slots + ids_per_sector - 2) / (ids_per_sector - 1)
                : 0;
        if (need_fat == fat_count && need_difat == difat_count)
            break;
        fat_count = need_fat;
        difat_count = need_difat;
    }
    const std::uint32_t fat_start = data_sectors;
    const std::uint32_t difat_start = fat_start + fat_count;
    const std::uint32_t total = difat_start + difat_count;

    file.assign(static_cast<std::size_t>(total + 1) * sector_size, 0);
    auto sector = [&](std::uint32_t n) {
        return file.data() + static_cast<std::size_t>(n + 1) * sector_size;
    };

    std::uint32_t minifat_start = end_of_chain, minifat_sectors = 0;
    for (const Piece &p : pieces) {
        if (p.data.size)
            std::memcpy(sector(p.first), p.data.data, p.data.size);
        if (p.entry >= 0) {
            std::uint8_t *e = entries[static_cast<std::size_t>(p.entry)].data();
            put32(e + 0x74, p.count ? p.first : end_of_chain);
            put32(e + 0x78, static_cast<std::uint32_t>(p.data.size));
        } else if (p.entry == -2) {
            minifat_start = p.first;
            minifat_sectors = p.count;
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::memcpy(sector(dir_start + static_cast<std::uint32_t>(i / 4)) + 128 * (i % 4), entries[i].data(),
                    128);

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
    put32(h + 0x38, mini_cutoff);
    put32(h + 0x3C, minifat_start);
    put32(h + 0x40, minifat_sectors);
    put32(h + 0x44, difat_count ? difat_start : end_of_chain);
    put32(h + 0x48, difat_count);
    for (std::uint32_t i = 0; i < header_difat_slots; ++i)
        put32(h + 0x4C + 4 * i, i < fat_count ? fat_start + i : free_sector);

    // FAT: each piece and the directory a chain of consecutive sectors.
    std::vector<std::uint32_t> fat(static_cast<std::size_t>(fat_count) * ids_per_sector, free_sector);
    auto chain = [&](std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i)
            fat[first + i] = i + 1 < count ? first + i + 1 : end_of_chain;
    };
    for (const Piece &p : pieces)
        chain(p.first, p.count);
    chain(dir_start, dir_count);
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
            const std::uint32_t index = header_difat_slots + d * (ids_per_sector - 1) + k;
            put32(s + 4 * k, index < fat_count ? fat_start + index : free_sector);
        }
        put32(s + 4 * (ids_per_sector - 1), d + 1 < difat_count ? difat_start + d + 1 : end_of_chain);
    }
    return {};
}

} // namespace workbook::detail
