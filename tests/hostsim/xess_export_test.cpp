// The host spreadsheet's text export: whatever the writer accepts, the
// library's XESS reader reads back as the same grid; what it cannot carry is
// refused with a reason.
#include "vexahost/xess_export.h"

#include "sheet/xess_reader.h"

#include "host_test.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include <unistd.h>

using vexa::sim::format_xess;
using vexa::sim::XessSheet;
using Grid = std::vector<std::vector<std::string>>;

namespace {

// The sheet read back from export text as a grid of texts, trimmed to the
// given size (the reader's grid is as large as the largest sheet).
Grid read_back(const std::string &text, const std::string &sheet, std::size_t rows, std::size_t columns)
{
    sheet_table table{};
    int status = cvstv::xess::parse_sheet(text, sheet.c_str(), &table);
    EXPECT_EQ(status, 0) << "sheet " << sheet;
    Grid grid(rows, std::vector<std::string>(columns));
    for (int r = 0; r < table.row_count; ++r) {
        for (int c = 0; table.rows[r] && c < table.column_count; ++c) {
            const char *cell = table.rows[r][c];
            if (!cell)
                continue;
            if (static_cast<std::size_t>(r) >= rows || static_cast<std::size_t>(c) >= columns)
                ADD_FAILURE() << "cell outside the written sheet at " << r << "," << c << ": " << cell;
            else
                grid[r][c] = cell;
        }
    }
    sheet_release_memo(&table);
    return grid;
}

// The sheet's cells squared up to rows by columns.
Grid squared(const XessSheet &sheet, std::size_t rows, std::size_t columns)
{
    Grid grid(rows, std::vector<std::string>(columns));
    for (std::size_t r = 0; r < sheet.cells.size(); ++r)
        for (std::size_t c = 0; c < sheet.cells[r].size(); ++c)
            grid[r][c] = sheet.cells[r][c];
    return grid;
}

void expect_round_trip(const std::vector<XessSheet> &sheets)
{
    std::string text;
    auto status = format_xess(sheets, text);
    ASSERT_TRUE(status.ok) << status.error;
    for (const XessSheet &s : sheets) {
        std::size_t rows = s.cells.size(), columns = 0;
        for (const auto &row : s.cells)
            columns = std::max(columns, row.size());
        EXPECT_EQ(read_back(text, s.name, rows, columns), squared(s, rows, columns)) << "sheet " << s.name;
    }
}

using XessExport = HostTest;

TEST_F(XessExport, EveryKindOfCellReadsBack)
{
    XessSheet catalogue{"Screws",
                        {{"PARAMETERS"},
                         {"D", "P", "NOTE", "", "PRICE"},
                         {"8", "1.25", "say \"hex\"", "", "0.42"},    // a quote: written as a value cell
                         {"", "1+1/2", "A=B", "x:y", "3/4"},          // '=' as text, a fraction
                         {"screw.xbm", "BITMAP", "images\\\\m8.bmp"}, // an image name in A stays a text
                         {"BITMAP", "plate.xbm", "trailing  ", "Cib@", "X::not an extent"},
                         {"Sd::2", "Sn::9/x", "@", "\"", "BITMAP"},
                         {},
                         {"END"}}};
    XessSheet second{"Notes/2024", {{"a long name, with, commas", "100~200", "6,8,10"}}};
    expect_round_trip({catalogue, second});
}

TEST_F(XessExport, LayoutOfTheText)
{
    std::string text;
    ASSERT_TRUE(
        format_xess({{"Metric", {{"D", "PITCH"}, {"8", "1.25"}}}, {"Unified", {{"BITMAP", "u.bmp"}}}}, text)
            .ok);
    EXPECT_EQ(text, "Sn::1/Metric\n"
                    "Sn::2/Unified\n"
                    "X::4.1!B2.2\n"
                    "Sd::1\n"
                    "Tl@A1:\"L\"D\"\n"
                    "Tl@B1:\"L\"PITCH\"\n"
                    "Nv@A2:=G=8\n"
                    "Nv@B2:=G=1.25\n"
                    "X::4.2!B1.2\n"
                    "Sd::2\n"
                    "PCib@A1::u.bmp\n");
}

TEST_F(XessExport, CellsTheTextCannotCarryAreRefused)
{
    struct Case {
        std::string cell;
        std::string reason;
    };
    const Case cases[] = {
        {" leading", "beginning with a blank"},
        {"a\"b=c", "both '\"' and '='"},
        {"a:=b", "':='"},
        {"two\nlines", "line feed"},
        {"ends\r", "carriage return"},
        {std::string(241, 'x'), "too long"},
    };
    for (const Case &c : cases) {
        std::string text = "unchanged";
        auto status = format_xess({{"S", {{"ok", c.cell}}}}, text);
        EXPECT_FALSE(status.ok) << c.cell;
        EXPECT_NE(status.error.find("sheet 'S', cell B1"), std::string::npos) << status.error;
        EXPECT_NE(status.error.find(c.reason), std::string::npos) << status.error;
        EXPECT_TRUE(text.empty());
    }
    std::string text;
    EXPECT_FALSE(format_xess({{"S", {}}, {"S", {}}}, text).ok) << "duplicate sheet names";
    EXPECT_FALSE(format_xess({{"", {}}}, text).ok) << "a sheet without a name";
    // The longest text that fits: 249 characters with the line's framing.
    expect_round_trip({{"S", {{std::string(249 - 10, 'y')}}}});
}

// A random text built from the characters that matter to the line forms.
std::string random_text(std::mt19937 &random)
{
    static const std::string pieces[] = {"a",    "Z",  "7",    ".",      "-",  "/",       "+", ",",
                                         " ",    "\"", "=",    ":",      "@",  "\\",      "~", "##",
                                         "Cib@", "::", ".xbm", "BITMAP", "\t", "\xc3\xa9"};
    switch (random() % 6) {
    case 0: return "";
    case 1:
        return std::to_string(random() % 1000) + (random() % 2 ? "" : "." + std::to_string(random() % 100));
    case 2: return "BITMAP";
    default: break;
    }
    std::string text;
    int n = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < n; ++i)
        text += pieces[random() % std::size(pieces)];
    return text;
}

TEST_F(XessExport, RandomGridsReadBackOrAreRefusedForAReason)
{
    std::mt19937 random(4762);
    int written = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<XessSheet> sheets;
        int sheet_count = 1 + static_cast<int>(random() % 3);
        for (int s = 0; s < sheet_count; ++s) {
            XessSheet sheet{"Sheet " + std::to_string(s + 1), {}};
            int rows = static_cast<int>(random() % 8);
            for (int r = 0; r < rows; ++r) {
                std::vector<std::string> row(random() % 7);
                for (std::string &cell : row)
                    cell = random_text(random);
                sheet.cells.push_back(std::move(row));
            }
            sheets.push_back(std::move(sheet));
        }
        std::string text;
        auto status = format_xess(sheets, text);
        if (!status.ok) {
            ++refused;
            EXPECT_TRUE(status.error.find("blank") != std::string::npos ||
                        status.error.find("both") != std::string::npos ||
                        status.error.find(":=") != std::string::npos ||
                        status.error.find("image file name") != std::string::npos)
                << status.error;
            continue;
        }
        ++written;
        expect_round_trip(sheets);
    }
    EXPECT_GT(written, 100);
    EXPECT_GT(refused, 10);
}

TEST_F(XessExport, WriteIsWholeOrNothing)
{
    char dir_template[] = "/tmp/xess_export_XXXXXX";
    ASSERT_NE(::mkdtemp(dir_template), nullptr);
    std::string dir = dir_template;
    std::string path = dir + "/book.xs4";
    std::vector<XessSheet> sheets{{"S", {{"one"}}}};
    ASSERT_TRUE(vexa::sim::write_xess(path, sheets).ok);
    std::string expected;
    ASSERT_TRUE(format_xess(sheets, expected).ok);
    std::stringstream written;
    written << std::ifstream(path).rdbuf();
    EXPECT_EQ(written.str(), expected);

    // A refused workbook leaves the previous file as it was, and no
    // temporary file behind.
    EXPECT_FALSE(vexa::sim::write_xess(path, {{"S", {{" bad"}}}}).ok);
    std::stringstream again;
    again << std::ifstream(path).rdbuf();
    EXPECT_EQ(again.str(), expected);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()),
              1);

    auto status = vexa::sim::write_xess(dir + "/missing/book.xs4", sheets);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find("missing/book.xs4"), std::string::npos);
    std::filesystem::remove_all(dir);
}

// Anything shaped like a workbook converts through its cells' text.
struct FakeCell {
    std::string t;
    bool empty() const { return t.empty(); }
    std::string as_text() const { return t; }
};
struct FakeSheet {
    std::string name;
    std::vector<std::vector<FakeCell>> rows;
};
struct FakeBook {
    std::vector<FakeSheet> sheets;
};

TEST_F(XessExport, WorkbookShapedInput)
{
    FakeBook book{{{"A", {{{"x"}, {""}, {"2.5"}}}}}};
    auto sheets = vexa::sim::xess_sheets_of(book);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "A");
    EXPECT_EQ(sheets[0].cells, (Grid{{"x", "", "2.5"}}));
}

} // namespace
