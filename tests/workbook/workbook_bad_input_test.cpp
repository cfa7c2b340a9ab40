// Files that are not sound .xls workbooks give a failure with a reason,
// never a crash.
#include "scratch_dir.h"
#include "workbook/workbook.h"

#include <gtest/gtest.h>

using workbook::Cell;
using workbook::Sheet;
using workbook::Workbook;

TEST(WorkbookBadInput, MissingTruncatedCorruptAndForeignFilesAreRefused)
{
    ScratchDir dir;
    Workbook good;
    good.sheets.push_back(Sheet{"S", {{Cell::make_text("a"), Cell::make_integer(1)}}});
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(workbook::encode_xls(good, bytes).ok);
    const std::string image(bytes.begin(), bytes.end());

    // What breaks the container or the workbook globals fails every read;
    // what breaks only a sheet fails reading the cells, not the names.
    std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"text", "NAME;QTY\nbolt;3\n"},
        {"header only", image.substr(0, 512)},
        {"cut in the stream", image.substr(0, 1500)},
        {"no directory", image.substr(0, image.size() - 1024)},
    };
    std::string bad_fat = image;
    for (std::size_t i = 0x4C; i < 0x4C + 4; ++i)
        bad_fat[i] = '\x7F'; // first FAT sector far outside the file
    cases.emplace_back("FAT sector out of range", bad_fat);
    std::string bad_bof = image;
    bad_bof[512] = 0x00; // the Workbook stream no longer starts with BOF
    bad_bof[513] = 0x00;
    cases.emplace_back("no BOF", bad_bof);

    // A directory entry whose name length exceeds its 64-byte field (FreeXL
    // would copy past its buffer), and a directory sector beyond the file.
    const auto u32_at = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(image[at]) |
                                          (static_cast<std::uint8_t>(image[at + 1]) << 8) |
                                          (static_cast<std::uint8_t>(image[at + 2]) << 16) |
                                          (static_cast<std::uint8_t>(image[at + 3]) << 24));
    };
    const std::size_t directory = (u32_at(0x30) + 1) * 512;
    std::string long_name = image;
    long_name[directory + 128 + 0x41] = 0x65;
    cases.emplace_back("directory name length 0x6512", long_name);
    std::string far_directory = image;
    far_directory[0x33] = 0x40;
    cases.emplace_back("directory sector out of range", far_directory);

    // A shared string and a sheet name longer than their records (FreeXL
    // would copy past the record).
    const std::size_t sst = image.find(std::string("\xfc\x00", 2));
    ASSERT_NE(sst, std::string::npos);
    std::string long_string = image;
    long_string[sst + 4 + 8] = '\xff';
    long_string[sst + 4 + 9] = '\xff';
    cases.emplace_back("shared string of 65535 characters in a short record", long_string);
    const std::size_t boundsheet = image.find(std::string("\x85\x00", 2));
    ASSERT_NE(boundsheet, std::string::npos);
    std::string long_sheet_name = image;
    long_sheet_name[boundsheet + 4 + 6] = '\x7f';
    cases.emplace_back("sheet name longer than its record", long_sheet_name);

    std::vector<std::pair<std::string, std::string>> sheet_cases;
    // DIMENSIONS claiming 2^31 rows (the reader must not size anything by it).
    const std::size_t dimensions = image.find(std::string("\x00\x02\x0e\x00", 4));
    ASSERT_NE(dimensions, std::string::npos);
    std::string huge = image;
    huge[dimensions + 4 + 7] = 0x7F; // last row + 1, high byte
    sheet_cases.emplace_back("DIMENSIONS of 2^31 rows", huge);
    // A cell naming a shared string past the end of the table.
    const std::size_t labelsst = image.find(std::string("\xfd\x00\x0a\x00", 4));
    ASSERT_NE(labelsst, std::string::npos);
    std::string far_string = image;
    far_string[labelsst + 4 + 9] = 0x40;
    sheet_cases.emplace_back("shared string index out of range", far_string);

    for (const auto &[what, content] : sheet_cases) {
        const std::string path = dir.file("bad.xls");
        spew(path, content);
        Workbook book;
        workbook::Status s = workbook::read_workbook(path, book);
        EXPECT_FALSE(s.ok) << what;
        EXPECT_NE(s.error.find("corrupt"), std::string::npos) << what << ": " << s.error;
        std::vector<std::string> names;
        EXPECT_TRUE(workbook::read_sheet_names(path, names).ok) << what;
    }

    for (const auto &[what, content] : cases) {
        const std::string path = dir.file("bad.xls");
        spew(path, content);
        Workbook book;
        workbook::Status s = workbook::read_workbook(path, book);
        EXPECT_FALSE(s.ok) << what;
        EXPECT_FALSE(s.error.empty()) << what;
        std::vector<std::string> names;
        EXPECT_FALSE(workbook::read_sheet_names(path, names).ok) << what;
    }

    Workbook book;
    EXPECT_FALSE(workbook::read_workbook(dir.file("missing.xls"), book).ok);
    EXPECT_FALSE(workbook::read_workbook(dir.path().string(), book).ok) << "a directory";
}
