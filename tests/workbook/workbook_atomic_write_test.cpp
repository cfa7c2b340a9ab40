// A workbook write is all or nothing.
#include "scratch_dir.h"
#include "workbook/workbook.h"
#include "workbook/write_fault.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

using workbook::Cell;
using workbook::Sheet;
using workbook::Workbook;

namespace {

Workbook numbered(int rows)
{
    Workbook book;
    book.sheets.push_back(Sheet{"Data", {}});
    for (int r = 0; r < rows; ++r)
        book.sheets[0].rows.push_back({Cell::make_text("row " + std::to_string(r)), Cell::make_integer(r)});
    return book;
}

std::size_t entries_in(const ScratchDir &dir)
{
    std::size_t n = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.path()))
        ++n;
    return n;
}

} // namespace

TEST(WorkbookAtomicWrite, AFailedWriteLeavesThePreviousWorkbookIntactAndReadable)
{
    ScratchDir dir;
    const std::string path = dir.file("book.xls");
    ASSERT_TRUE(workbook::write_workbook(path, numbered(3)).ok);
    const std::string before = slurp(path);

    // Fail at the start, in the middle and one byte short of the end.
    std::vector<std::uint8_t> full;
    ASSERT_TRUE(workbook::encode_xls(numbered(2000), full).ok);
    for (std::int64_t after :
         {std::int64_t{0}, std::int64_t{700}, static_cast<std::int64_t>(full.size() - 1)}) {
        workbook::fail_next_write_after(after);
        workbook::Status s = workbook::write_workbook(path, numbered(2000));
        EXPECT_FALSE(s.ok) << after;
        EXPECT_NE(s.error.find("injected"), std::string::npos) << s.error;
        EXPECT_EQ(slurp(path), before) << after;
        EXPECT_EQ(entries_in(dir), 1u) << "temporary file left behind after " << after;
        Workbook back;
        ASSERT_TRUE(workbook::read_workbook(path, back).ok);
        ASSERT_EQ(back.sheets.at(0).rows.size(), 3u);
        EXPECT_EQ(back.sheets[0].rows[2][0].text, "row 2");
    }

    // The fault fires once: the next write goes through whole.
    ASSERT_TRUE(workbook::write_workbook(path, numbered(2000)).ok);
    EXPECT_EQ(slurp(path).size(), full.size());
    Workbook back;
    ASSERT_TRUE(workbook::read_workbook(path, back).ok);
    EXPECT_EQ(back.sheets.at(0).rows.size(), 2000u);
}

TEST(WorkbookAtomicWrite, ReplacingKeepsPermissionsAndFailsCleanlyInAMissingDirectory)
{
    ScratchDir dir;
    const std::string path = dir.file("mode.xls");
    ASSERT_TRUE(workbook::write_workbook(path, numbered(1)).ok);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(workbook::write_workbook(path, numbered(5)).ok);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    workbook::Status s = workbook::write_workbook(dir.file("no/such/dir/x.xls"), numbered(1));
    EXPECT_FALSE(s.ok);
    EXPECT_FALSE(s.error.empty());
}
