// Independent readers and writers agree with ours: xlrd reads exactly what
// write_workbook wrote, and read_workbook reads exactly what xlwt wrote.
#include "scratch_dir.h"
#include "workbook/workbook.h"

#include <gtest/gtest.h>

using workbook::Cell;
using workbook::CellType;
using workbook::Sheet;
using workbook::Workbook;

namespace {

const std::string python = CVSTV_SYSTEM_PYTHON;
const std::string scripts = CVSTV_WORKBOOK_TEST_DIR;

} // namespace

TEST(WorkbookInterop, XlrdReadsExactlyWhatWasWritten)
{
    ScratchDir dir;
    Workbook book;
    book.sheets.push_back(Sheet{"Parts", {}});
    book.sheets.push_back(Sheet{"Maße", {}});
    book.sheets.push_back(Sheet{"Blank", {}});
    auto &rows = book.sheets[0].rows;
    rows.push_back({Cell::make_text("NAME"), Cell::make_text("QTY"), Cell::make_text("DIA")});
    rows.push_back({Cell::make_text("it's"), Cell::make_integer(3), Cell::make_real(0.25)});
    rows.push_back({});
    rows.push_back({Cell{}, Cell::make_integer(-40000000), Cell::make_real(1.0 / 3.0)});
    book.sheets[1].rows.push_back({Cell::make_text("Ø 12 – ½"), Cell::make_text(std::string(9000, 'z'))});

    const std::string path = dir.file("ours.xls");
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
    int status = 0;
    std::string out = run_program({python, scripts + "/xlrd_dump.py", path}, status);
    ASSERT_EQ(status, 0) << out;
    std::string expected = "sheet\t0\tParts\t4\t3\n"
                           "cell\t0\t0\ttext\t'NAME'\n"
                           "cell\t0\t1\ttext\t'QTY'\n"
                           "cell\t0\t2\ttext\t'DIA'\n"
                           "cell\t1\t0\ttext\t\"it's\"\n"
                           "cell\t1\t1\tnumber\t3.0\n"
                           "cell\t1\t2\tnumber\t0.25\n"
                           "cell\t3\t1\tnumber\t-40000000.0\n"
                           "cell\t3\t2\tnumber\t0.3333333333333333\n"
                           "sheet\t1\tMaße\t1\t2\n"
                           "cell\t0\t0\ttext\t'Ø 12 – ½'\n"
                           "cell\t0\t1\ttext\t'" +
                           std::string(9000, 'z') +
                           "'\n"
                           "sheet\t2\tBlank\t0\t0\n";
    EXPECT_EQ(out, expected);
}

TEST(WorkbookInterop, WorkbooksWrittenByXlwtAreReadExactly)
{
    ScratchDir dir;
    const std::string path = dir.file("theirs.xls");
    const std::string description = "Catalog\t0\t0\ttext\tNAME\n"
                                    "Catalog\t0\t1\ttext\tPRICE\n"
                                    "Catalog\t0\t3\ttext\tNOTE\n"
                                    "Catalog\t1\t0\ttext\tnut M8\n"
                                    "Catalog\t1\t1\treal\t0.35\n"
                                    "Catalog\t1\t3\ttext\tzinc ✓\n"
                                    "Catalog\t3\t0\ttext\twasher\n"
                                    "Catalog\t3\t1\tint\t7\n"
                                    "Catalog\t3\t2\tint\t-123456789\n"
                                    "Catalog\t4\t1\treal\t1e+300\n"
                                    "Empty\t0\t0\tnone\t\n"
                                    "Größen\t0\t0\ttext\t" +
                                    std::string(3000, 'q') + "\n";
    spew(dir.file("in.txt"), description);
    int status = 0;
    std::string out = run_program({python, scripts + "/xlwt_make.py", path}, status, dir.file("in.txt"));
    ASSERT_EQ(status, 0) << out;

    Workbook book;
    workbook::Status s = workbook::read_workbook(path, book);
    ASSERT_TRUE(s.ok) << s.error;
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[0].name, "Catalog");
    EXPECT_EQ(book.sheets[1].name, "Empty");
    EXPECT_EQ(book.sheets[2].name, "Größen");

    const Sheet &cat = book.sheets[0];
    ASSERT_EQ(cat.rows.size(), 5u);
    auto text = [&](std::size_t r, std::size_t c) {
        const Cell *cell = cat.cell(r, c);
        return cell && cell->type == CellType::text ? cell->text : std::string("<not text>");
    };
    EXPECT_EQ(text(0, 0), "NAME");
    EXPECT_EQ(text(0, 1), "PRICE");
    EXPECT_EQ(cat.rows[0][2].type, CellType::empty);
    EXPECT_EQ(text(0, 3), "NOTE");
    EXPECT_EQ(text(1, 0), "nut M8");
    EXPECT_EQ(cat.rows[1][1].type, CellType::real);
    EXPECT_EQ(cat.rows[1][1].real, 0.35);
    EXPECT_EQ(text(1, 3), "zinc ✓");
    EXPECT_TRUE(cat.rows[2].empty());
    EXPECT_EQ(text(3, 0), "washer");
    EXPECT_EQ(cat.rows[3][1].type, CellType::integer);
    EXPECT_EQ(cat.rows[3][1].integer, 7);
    // xlwt stores integers beyond 30 bits as NUMBER records: they read as reals.
    EXPECT_EQ(cat.rows[3][2].as_text(), "-123456789");
    EXPECT_EQ(cat.rows[4][1].type, CellType::real);
    EXPECT_EQ(cat.rows[4][1].real, 1e300);

    EXPECT_TRUE(book.sheets[1].rows.empty());
    ASSERT_EQ(book.sheets[2].rows.size(), 1u);
    EXPECT_EQ(book.sheets[2].rows[0].at(0).text, std::string(3000, 'q'));
}
