// Workbooks written by xlwt and gnumeric (tests/resources/workbook) read
// exactly as xlrd reads them: every cell's kind and value, formula results,
// dates, booleans, errors, and shared strings split over many CONTINUE
// records. What this reader refuses, it refuses with a message saying why.
#include "scratch_dir.h"
#include "workbook/workbook.h"

#include <gtest/gtest.h>

#include <charconv>

using workbook::Cell;
using workbook::CellType;

namespace {

const std::string python = CVSTV_SYSTEM_PYTHON;
const std::string scripts = CVSTV_WORKBOOK_TEST_DIR;
const std::string resources = std::string(CVSTV_SOURCE_DIR) + "/tests/resources/workbook/";

std::string shortest(double v)
{
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string escaped(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// The workbook in the form xlrd_cells.py prints.
std::string dump(const workbook::Workbook &book)
{
    std::string out;
    for (const auto &sheet : book.sheets) {
        out += "sheet\t" + sheet.name + "\n";
        for (std::size_t r = 0; r < sheet.rows.size(); ++r)
            for (std::size_t c = 0; c < sheet.rows[r].size(); ++c) {
                const Cell &cell = sheet.rows[r][c];
                const std::string at = std::to_string(r) + "\t" + std::to_string(c) + "\t";
                switch (cell.type) {
                case CellType::empty: break;
                case CellType::text:
                    if (!cell.text.empty())
                        out += at + "text\t" + escaped(cell.text) + "\n";
                    break;
                case CellType::integer: out += at + "number\t" + std::to_string(cell.integer) + "\n"; break;
                case CellType::real: out += at + "number\t" + shortest(cell.real) + "\n"; break;
                case CellType::date:
                case CellType::time:
                case CellType::datetime: out += at + "date\t" + shortest(cell.real) + "\n"; break;
                case CellType::boolean: out += at + "boolean\t" + std::to_string(cell.integer) + "\n"; break;
                case CellType::error: out += at + "error\t" + std::to_string(cell.integer) + "\n"; break;
                }
            }
    }
    return out;
}

workbook::Workbook read(const std::string &name)
{
    workbook::Workbook book;
    workbook::Status s = workbook::read_workbook(resources + name, book);
    EXPECT_TRUE(s.ok) << name << ": " << s.error;
    return book;
}

std::string texts_of_row(const workbook::Sheet &sheet, std::size_t r)
{
    std::string out;
    for (const Cell &c : sheet.rows.at(r))
        out += (out.empty() ? "" : "|") + c.as_text();
    return out;
}

} // namespace

TEST(WorkbookIndependentFiles, EveryCellReadsAsXlrdReadsIt)
{
    for (const char *name : {"xlwt_rich.xls", "gnumeric_rich.xls", "xlwt_formulas.xls",
                             "gnumeric_formulas.xls", "xlwt_long_strings.xls", "gnumeric_long_strings.xls"}) {
        int status = 0;
        const std::string expected =
            run_program({python, scripts + "/xlrd_cells.py", resources + name}, status);
        ASSERT_EQ(status, 0) << expected;
        EXPECT_EQ(dump(read(name)), expected) << name;
    }
}

TEST(WorkbookIndependentFiles, FormulaCellsReadAsTheirCachedResults)
{
    const workbook::Workbook book = read("gnumeric_formulas.xls");
    const workbook::Sheet &calc = book.sheets.at(0);
    EXPECT_EQ(texts_of_row(calc, 0), "A|B|SUM|TEXT|TEST|ERROR|BLANK|WHEN");
    EXPECT_EQ(texts_of_row(calc, 1), "1|2|3|abcd1|FALSE|0.5||2024-01-15");
    EXPECT_EQ(texts_of_row(calc, 3), "10|0|10|abcd10|TRUE|#DIV/0!||2024-03-15");
    EXPECT_EQ(calc.rows[3][4].type, CellType::boolean);
    EXPECT_EQ(calc.rows[3][5].type, CellType::error);
    EXPECT_EQ(calc.rows[3][7].type, CellType::date) << "a formula's number in a date format is a date";
    EXPECT_EQ(texts_of_row(calc, 5), "merged note");
    // xlwt cannot calculate: its formulas have no results.
    const workbook::Workbook uncalculated = read("xlwt_formulas.xls");
    EXPECT_EQ(texts_of_row(uncalculated.sheets.at(0), 1), "1|2");
}

TEST(WorkbookIndependentFiles, DatesTimesBooleansAndTextsOfAnXlwtWorkbook)
{
    const workbook::Workbook book = read("xlwt_rich.xls");
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets[1].name, "Notes_%");
    EXPECT_EQ(book.sheets[2].name, "M 10");
    const workbook::Sheet &parts = book.sheets[0];
    EXPECT_EQ(texts_of_row(parts, 1), "bolt M8|120|0.35|2024-01-31|2024-02-01 08:30:00|TRUE|zinc | plated");
    EXPECT_EQ(texts_of_row(parts, 3), "washer Ø8|0|0.02|1999-12-31|2000-01-01 00:00:00|TRUE|say \"hi\"");
    EXPECT_EQ(texts_of_row(parts, 4), "pin 3x20|15|1.5|2024-02-29|2024-02-29 23:59:59|FALSE|Größe – 日本");
    EXPECT_EQ(parts.rows[1][3].type, CellType::date);
    EXPECT_EQ(parts.rows[1][4].type, CellType::datetime);
    EXPECT_EQ(parts.rows[1][5].type, CellType::boolean);
    EXPECT_EQ(parts.rows.at(7).at(3).type, CellType::time);
    EXPECT_EQ(parts.rows[7][3].as_text(), "13:45:30");
    // gnumeric keeps its date format under a built-in number: still a date.
    EXPECT_EQ(texts_of_row(read("gnumeric_rich.xls").sheets.at(0), 1),
              "bolt M8|120|0.35|2024-01-31|2024-02-01 08:30:00|TRUE|zinc | plated");
}

TEST(WorkbookIndependentFiles, SharedStringsSplitOverManyRecordsReadWhole)
{
    for (const char *name : {"xlwt_long_strings.xls", "gnumeric_long_strings.xls"}) {
        const workbook::Workbook book = read(name);
        const workbook::Sheet &sheet = book.sheets.at(0);
        EXPECT_EQ(sheet.rows.at(1).at(1).text, std::string(32767, 'x')) << name;
        std::string euros, mixed;
        for (int i = 0; i < 10000; ++i)
            euros += "€";
        for (int i = 0; i < 3000; ++i)
            mixed += "abc日本語é";
        EXPECT_EQ(sheet.rows.at(2).at(1).text, euros) << name;
        std::string accents;
        for (int i = 0; i < 9000; ++i)
            accents += "é";
        EXPECT_EQ(sheet.rows.at(3).at(1).text, accents) << name;
        EXPECT_EQ(sheet.rows.at(4).at(1).text, mixed) << name;
        EXPECT_EQ(sheet.rows.at(5).at(1).text, "short text after the long ones") << name;
    }
}

TEST(WorkbookIndependentFiles, OlderFormatsAreRefusedWithAMessageSayingSo)
{
    workbook::Workbook book;
    workbook::Status s = workbook::read_workbook(resources + "gnumeric_biff7.xls", book);
    EXPECT_FALSE(s.ok);
    EXPECT_NE(s.error.find("BIFF5"), std::string::npos) << s.error;
    EXPECT_NE(s.error.find("not read"), std::string::npos) << s.error;
    std::vector<std::string> names;
    EXPECT_FALSE(workbook::read_sheet_names(resources + "gnumeric_biff7.xls", names).ok);
}
