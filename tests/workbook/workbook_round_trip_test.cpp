// What write_workbook writes, read_workbook reads back exactly.
#include "scratch_dir.h"
#include "workbook/workbook.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <cstring>
#include <random>

using workbook::Cell;
using workbook::CellType;
using workbook::Sheet;
using workbook::Workbook;

namespace {

void expect_same_cells(const Sheet &expected, const Sheet &actual)
{
    ASSERT_EQ(expected.rows.size(), actual.rows.size()) << expected.name;
    for (std::size_t r = 0; r < expected.rows.size(); ++r) {
        ASSERT_EQ(expected.rows[r].size(), actual.rows[r].size()) << expected.name << " row " << r;
        for (std::size_t c = 0; c < expected.rows[r].size(); ++c) {
            const Cell &e = expected.rows[r][c];
            const Cell &a = actual.rows[r][c];
            EXPECT_EQ(e.type, a.type) << "row " << r << " col " << c;
            EXPECT_EQ(e.integer, a.integer) << "row " << r << " col " << c;
            EXPECT_EQ(e.real, a.real) << "row " << r << " col " << c;
            EXPECT_EQ(e.text, a.text) << "row " << r << " col " << c;
        }
    }
}

Workbook read_back(const std::string &path)
{
    Workbook book;
    workbook::Status s = workbook::read_workbook(path, book);
    EXPECT_TRUE(s.ok) << s.error;
    return book;
}

} // namespace

TEST(WorkbookRoundTrip, SheetsCellTypesAndLayoutComeBackExactly)
{
    ScratchDir dir;
    Workbook book;
    book.sheets.push_back(Sheet{"Parts", {}});
    book.sheets.push_back(Sheet{"Empty", {}});
    book.sheets.push_back(Sheet{"Unicode ÄÖ 中文", {}});
    auto &rows = book.sheets[0].rows;
    rows.push_back({Cell::make_text("NAME"), Cell::make_text("QTY"), Cell::make_text("SIZE")});
    rows.push_back({Cell::make_text("bolt"), Cell::make_integer(12), Cell::make_real(2.5)});
    rows.push_back({});                                                     // empty row inside the sheet
    rows.push_back({Cell{}, Cell::make_integer(-7), Cell::make_real(0.1)}); // leading empty cell
    rows.push_back({Cell::make_text(""), Cell::make_text("")});             // empty texts keep the row
    rows.push_back({Cell::make_integer((1 << 29) - 1), Cell::make_integer(-(1 << 29))});
    book.sheets[2].rows.push_back({Cell::make_text("Grüße 😀 ✓"), Cell::make_real(-1e300)});

    const std::string path = dir.file("book.xls");
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
    Workbook back = read_back(path);
    ASSERT_EQ(back.sheets.size(), 3u);
    book.sheets[0].rows[4].clear(); // empty texts come back as empty cells
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.sheets[i].name, book.sheets[i].name);
        expect_same_cells(book.sheets[i], back.sheets[i]);
    }

    std::vector<std::string> names;
    ASSERT_TRUE(workbook::read_sheet_names(path, names).ok);
    EXPECT_EQ(names, (std::vector<std::string>{"Parts", "Empty", "Unicode ÄÖ 中文"}));
}

TEST(WorkbookRoundTrip, NumbersOutsideThirtyBitsComeBackAsRealsOfTheSameValue)
{
    ScratchDir dir;
    Workbook book;
    book.sheets.push_back(Sheet{"N", {{Cell::make_integer(1 << 29), Cell::make_integer(-5000000000LL)}}});
    ASSERT_TRUE(workbook::write_workbook(dir.file("n.xls"), book).ok);
    Workbook back = read_back(dir.file("n.xls"));
    ASSERT_EQ(back.sheets.at(0).rows.at(0).size(), 2u);
    EXPECT_EQ(back.sheets[0].rows[0][0].type, CellType::real);
    EXPECT_EQ(back.sheets[0].rows[0][0].real, 536870912.0);
    EXPECT_EQ(back.sheets[0].rows[0][1].real, -5000000000.0);
    EXPECT_EQ(back.sheets[0].rows[0][1].as_text(), "-5000000000");
}

TEST(WorkbookRoundTrip, TrailingEmptyRowsAreKeptButTrailingEmptyCellsAreNot)
{
    ScratchDir dir;
    Workbook book;
    book.sheets.push_back(
        Sheet{"T", {{Cell::make_integer(1), Cell{}, Cell{}}, {}, {Cell{}, Cell::make_text("")}}});
    ASSERT_TRUE(workbook::write_workbook(dir.file("t.xls"), book).ok);
    Workbook back = read_back(dir.file("t.xls"));
    ASSERT_EQ(back.sheets.at(0).rows.size(), 3u);
    EXPECT_EQ(back.sheets[0].rows[0].size(), 1u);
    EXPECT_TRUE(back.sheets[0].rows[1].empty());
    EXPECT_TRUE(back.sheets[0].rows[2].empty());
}

TEST(WorkbookRoundTrip, LongAndManyStringsSpanContinueRecords)
{
    ScratchDir dir;
    Workbook book;
    Sheet sheet{"Strings", {}};
    // The longest texts a cell holds, 8-bit and 16-bit: the 16-bit one
    // spans eight records of the shared-string table.
    std::string cjk;
    for (int i = 0; i < 32767; ++i)
        cjk += "漢";
    sheet.rows.push_back({Cell::make_text(std::string(32767, 'x')), Cell::make_text(cjk)});
    sheet.rows.push_back(
        {Cell::make_text(std::string(16000, 'y')), Cell::make_text(std::string(12000, 'w'))});
    for (int i = 0; i < 4000; ++i)
        sheet.rows.push_back({Cell::make_text("item " + std::to_string(i)),
                              Cell::make_text(i % 2 ? "é" + std::to_string(i) : "plain")});
    book.sheets.push_back(sheet);
    ASSERT_TRUE(workbook::write_workbook(dir.file("s.xls"), book).ok);
    Workbook back = read_back(dir.file("s.xls"));
    ASSERT_EQ(back.sheets.size(), 1u);
    expect_same_cells(sheet, back.sheets[0]);
}

TEST(WorkbookRoundTrip, BooleansErrorsDatesAndTimesKeepTheirKind)
{
    ScratchDir dir;
    Workbook book;
    Sheet sheet{"Kinds", {}};
    workbook::DateTime when{2024, 2, 29, 13, 45, 30};
    double serial = 0;
    ASSERT_TRUE(workbook::serial_of_date(when, serial));
    sheet.rows.push_back({Cell::make_boolean(true), Cell::make_boolean(false), Cell::make_error(0x07),
                          Cell::make_serial(CellType::date, std::floor(serial)),
                          Cell::make_serial(CellType::time, serial - std::floor(serial)),
                          Cell::make_serial(CellType::datetime, serial)});
    book.sheets.push_back(sheet);
    ASSERT_TRUE(workbook::write_workbook(dir.file("k.xls"), book).ok);
    Workbook back = read_back(dir.file("k.xls"));
    const auto &row = back.sheets.at(0).rows.at(0);
    ASSERT_EQ(row.size(), 6u);
    std::vector<std::string> texts;
    for (const Cell &c : row)
        texts.push_back(c.as_text());
    EXPECT_EQ(texts, (std::vector<std::string>{"TRUE", "FALSE", "#DIV/0!", "2024-02-29", "13:45:30",
                                               "2024-02-29 13:45:30"}));
    EXPECT_EQ(row[0].type, CellType::boolean);
    EXPECT_EQ(row[2].type, CellType::error);
    EXPECT_EQ(row[3].type, CellType::date);
    EXPECT_EQ(row[4].type, CellType::time);
    EXPECT_EQ(row[5].type, CellType::datetime);
    EXPECT_EQ(row[5].real, serial);
}

TEST(CellText, SerialDaysAreCalendarDatesOfTheNineteenHundredSystem)
{
    auto text = [](double serial) { return Cell::make_serial(CellType::datetime, serial).as_text(); };
    EXPECT_EQ(text(1), "1900-01-01 00:00:00");
    EXPECT_EQ(text(59), "1900-02-28 00:00:00");
    EXPECT_EQ(text(61), "1900-03-01 00:00:00") << "day 60 is the 29 February 1900 that never was";
    EXPECT_EQ(text(45351.5), "2024-02-29 12:00:00");
    EXPECT_EQ(text(45351.99999999), "2024-03-01 00:00:00") << "rounded to the second";
    double serial = 0;
    EXPECT_TRUE(workbook::serial_of_date({1900, 2, 28, 0, 0, 0}, serial));
    EXPECT_EQ(serial, 59);
    EXPECT_TRUE(workbook::serial_of_date({1900, 3, 1, 6, 0, 0}, serial));
    EXPECT_EQ(serial, 61.25);
    EXPECT_FALSE(workbook::serial_of_date({1899, 12, 31, 0, 0, 0}, serial));
    EXPECT_FALSE(workbook::serial_of_date({2023, 2, 29, 0, 0, 0}, serial));
    EXPECT_FALSE(workbook::serial_of_date({2024, 4, 31, 0, 0, 0}, serial));
}

TEST(WorkbookRoundTrip, LargeSheetBeyondTheHeaderFatSlots)
{
    // 60,000 x 10 cells make a stream of about 8 MB, past the 109 FAT sectors
    // the compound-file header can list, so DIFAT sectors are written.
    ScratchDir dir;
    Workbook book;
    Sheet sheet{"Big", {}};
    sheet.rows.resize(60000);
    for (std::size_t r = 0; r < sheet.rows.size(); ++r)
        for (int c = 0; c < 10; ++c)
            sheet.rows[r].push_back(c % 2 ? Cell::make_integer(static_cast<std::int64_t>(r * 10 + c))
                                          : Cell::make_text("r" + std::to_string(r % 100)));
    book.sheets.push_back(sheet);
    ASSERT_TRUE(workbook::write_workbook(dir.file("big.xls"), book).ok);
    EXPECT_GT(std::filesystem::file_size(dir.file("big.xls")), 109u * 128u * 512u);
    Workbook back = read_back(dir.file("big.xls"));
    ASSERT_EQ(back.sheets.size(), 1u);
    expect_same_cells(sheet, back.sheets[0]);
}

TEST(WorkbookRoundTrip, AnEmptyWorkbookIsWrittenWithOneEmptySheet)
{
    ScratchDir dir;
    ASSERT_TRUE(workbook::write_workbook(dir.file("e.xls"), Workbook{}).ok);
    Workbook back = read_back(dir.file("e.xls"));
    ASSERT_EQ(back.sheets.size(), 1u);
    EXPECT_EQ(back.sheets[0].name, "Sheet1");
    EXPECT_TRUE(back.sheets[0].rows.empty());
}

TEST(WorkbookRoundTrip, WhatTheFormatCannotHoldIsRefusedAndNothingIsWritten)
{
    ScratchDir dir;
    auto refused = [&](Workbook book, const char *why) {
        const std::string path = dir.file("refused.xls");
        workbook::Status s = workbook::write_workbook(path, book);
        EXPECT_FALSE(s.ok) << why;
        EXPECT_FALSE(s.error.empty()) << why;
        EXPECT_FALSE(std::filesystem::exists(path)) << why;
    };
    refused(Workbook{{Sheet{std::string(32, 'a'), {}}}}, "name of 32 characters");
    refused(Workbook{{Sheet{"", {}}}}, "empty name");
    refused(Workbook{{Sheet{"a/b", {}}}}, "slash in name");
    refused(Workbook{{Sheet{"[x]", {}}}}, "brackets in name");
    refused(Workbook{{Sheet{"Data", {}}, Sheet{"DATA", {}}}}, "names differing in case only");
    refused(Workbook{{Sheet{"W", {std::vector<Cell>(257, Cell::make_integer(1))}}}}, "257 columns");
    Sheet tall{"Tall", {}};
    tall.rows.resize(65537);
    tall.rows.back().push_back(Cell::make_integer(1));
    refused(Workbook{{tall}}, "65537 rows");
    refused(Workbook{{Sheet{"L", {{Cell::make_text(std::string(32768, 'y'))}}}}}, "text of 32768 characters");
    std::string wide;
    for (int i = 0; i < 32768; ++i)
        wide += "Ж";
    refused(Workbook{{Sheet{"L", {{Cell::make_text(wide)}}}}}, "text of 32768 two-byte characters");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    // 31 characters and 256 columns are the largest allowed.
    Workbook widest{{Sheet{std::string(31, 'b'), {std::vector<Cell>(256, Cell::make_integer(2))}}}};
    EXPECT_TRUE(workbook::write_workbook(dir.file("ok.xls"), widest).ok);
}

TEST(CellText, NumbersPrintInTheirShortestExactForm)
{
    EXPECT_EQ(Cell::make_integer(12).as_text(), "12");
    EXPECT_EQ(Cell::make_integer(-3).as_text(), "-3");
    EXPECT_EQ(Cell::make_real(2.5).as_text(), "2.5");
    EXPECT_EQ(Cell::make_real(0.1).as_text(), "0.1");
    EXPECT_EQ(Cell::make_real(12.0).as_text(), "12");
    EXPECT_EQ(Cell::make_real(-0.0).as_text(), "0");
    EXPECT_EQ(Cell::make_real(1e20).as_text(), "1e+20");
    EXPECT_EQ(Cell::make_text("x").as_text(), "x");
    EXPECT_EQ(Cell{}.as_text(), "");
}

// The text of a real must be exactly the shortest form std::to_chars gives,
// whichever way it is produced: fractions with few digits, values next to
// the limits of the quick form (0.1, 1e15, 15 and 17 significant digits),
// negative values, tiny and huge ones.
TEST(CellText, RealsReadAsTheShortestFormThatReadsBack)
{
    auto shortest = [](double v) {
        char buf[64];
        return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    };
    auto number_text = [](double v) {
        char buf[workbook::number_text_size];
        return std::string(buf, workbook::number_text(Cell::make_real(v), buf));
    };
    std::vector<double> values = {0.1,
                                  0.3,
                                  0.30000000000000004,
                                  0.09999999999999999,
                                  0.5,
                                  1.5,
                                  -2.25,
                                  1e-05,
                                  0.001,
                                  0.0001,
                                  0.123456789012345,
                                  1.0 / 3,
                                  2.0 / 3,
                                  12345.25,
                                  999999999999999.9,
                                  99999999999999.98,
                                  123456789012.5,
                                  1e15 + 0.5,
                                  5e-324,
                                  1.7976931348623157e308,
                                  0.1 + 0.2,
                                  100.01,
                                  4.35,
                                  8.0 / 7};
    std::mt19937_64 random(42);
    for (int i = 0; i < 20000; ++i) {
        // Decimals of 1 to 17 digits with 0 to 16 places, and arbitrary bit patterns.
        const auto digits = static_cast<int>(random() % 17) + 1;
        const auto places = static_cast<int>(random() % 17);
        const double mantissa =
            static_cast<double>(random() % static_cast<std::uint64_t>(std::pow(10.0, digits)));
        values.push_back((random() % 2 ? -1 : 1) * mantissa / std::pow(10.0, places));
        std::uint64_t bits = random();
        double any = 0;
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any))
            values.push_back(any);
    }
    for (double v : values) {
        if (v == std::trunc(v) && std::fabs(v) < 1e15)
            continue; // whole numbers print without an exponent (above)
        ASSERT_EQ(number_text(v), shortest(v)) << "bits of " << shortest(v);
        ASSERT_EQ(Cell::make_real(v).as_text(), shortest(v));
    }
}
