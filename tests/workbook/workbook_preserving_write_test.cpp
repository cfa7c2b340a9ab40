// Writing back a workbook read from a file changes only the cells that
// changed: xlrd (with formatting) and gnumeric's ssconvert see every other
// cell, format, merged range, column width, sheet and stream as before.
#include "scratch_dir.h"
#include "workbook/workbook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

using workbook::Cell;
using workbook::CellType;

namespace {

const std::string python = CVSTV_SYSTEM_PYTHON;
const std::string scripts = CVSTV_WORKBOOK_TEST_DIR;
const std::string resources = std::string(CVSTV_SOURCE_DIR) + "/tests/resources/workbook/";

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::vector<std::string> run_lines(const std::vector<std::string> &command)
{
    int status = 0;
    const std::string out = run_program(command, status);
    EXPECT_EQ(status, 0) << command.back() << "\n" << out;
    return lines_of(out);
}

// xlrd's view of the workbook with its formatting.
std::vector<std::string> formats(const std::string &path)
{
    return run_lines({python, scripts + "/xlrd_formats.py", path});
}

// The streams of the container other than Workbook, with their digests.
std::vector<std::string> streams(const std::string &path)
{
    return run_lines({python, scripts + "/cfb_streams.py", path});
}

// gnumeric's CSV of every sheet, "sheet:line" for each line.
std::vector<std::string> csv(const ScratchDir &dir, const std::string &path, const std::string &tag)
{
    const std::string pattern = dir.file(tag + "_%n.csv");
    int status = 0;
    const std::string out = run_program({"ssconvert", "-S", path, pattern}, status);
    EXPECT_EQ(status, 0) << out;
    std::vector<std::string> all;
    for (int n = 0;; ++n) {
        const std::string file = dir.file(tag + "_" + std::to_string(n) + ".csv");
        if (!std::filesystem::exists(file))
            break;
        for (const std::string &line : lines_of(slurp(file)))
            all.push_back(std::to_string(n) + ":" + line);
    }
    return all;
}

std::vector<std::string> only_in(const std::vector<std::string> &a, const std::vector<std::string> &b)
{
    std::multiset<std::string> other(b.begin(), b.end());
    std::vector<std::string> out;
    for (const std::string &line : a) {
        auto it = other.find(line);
        if (it == other.end())
            out.push_back(line);
        else
            other.erase(it);
    }
    return out;
}

// The cell lines of xlrd_formats.py for a sheet and row.
bool is_cell_line(const std::string &line, const std::string &sheet, int row)
{
    return line.rfind(sheet + " cell " + std::to_string(row) + ",", 0) == 0;
}

std::string style_of(const std::vector<std::string> &lines, const std::string &sheet, int row, int col)
{
    const std::string prefix = sheet + " cell " + std::to_string(row) + "," + std::to_string(col) + " ";
    for (const std::string &line : lines)
        if (line.rfind(prefix, 0) == 0)
            return line.substr(line.find(" font="));
    return "<no cell>";
}

workbook::Workbook read(const std::string &path)
{
    workbook::Workbook book;
    workbook::Status s = workbook::read_workbook(path, book);
    EXPECT_TRUE(s.ok) << s.error;
    return book;
}

} // namespace

// One value changed, one record cleared, one record added to the first
// sheet of each workbook; nothing else may differ.
TEST(WorkbookPreservingWrite, OnlyTheChangedCellsDiffer)
{
    for (const char *name : {"xlwt_rich.xls", "gnumeric_rich.xls", "gnumeric_formulas.xls"}) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        const std::string path = dir.file(name);
        std::filesystem::copy_file(resources + name, path);
        const auto formats_before = formats(path);
        const auto csv_before = csv(dir, path, "before");
        const auto streams_before = streams(path);

        workbook::Workbook book = read(path);
        workbook::Sheet &first = book.sheets.at(0);
        const std::string sheet = first.name;
        first.rows.at(1).at(1) = Cell::make_integer(999); // a value that had a number format
        for (Cell &c : first.rows.at(2))
            c = Cell{};
        const int added = static_cast<int>(first.rows.size()) + 1;
        first.rows.resize(static_cast<std::size_t>(added) + 1);
        first.rows[static_cast<std::size_t>(added)] = {Cell::make_text("new Größe"), Cell::make_integer(7),
                                                       Cell::make_real(2.25)};
        workbook::Status s = workbook::write_workbook(path, book);
        ASSERT_TRUE(s.ok) << s.error;

        const auto formats_after = formats(path);
        for (const std::string &line : only_in(formats_before, formats_after))
            EXPECT_TRUE(is_cell_line(line, sheet, 1) || is_cell_line(line, sheet, 2)) << "lost: " << line;
        for (const std::string &line : only_in(formats_after, formats_before)) {
            // A cleared cell keeps its format as a blank cell (kind 6).
            const bool kept_format =
                is_cell_line(line, sheet, 2) && line.find(" 6 '' font=") != std::string::npos &&
                line.substr(line.find(" font=")) ==
                    style_of(formats_before, sheet, 2, std::stoi(line.substr(line.find(',') + 1)));
            EXPECT_TRUE(kept_format || is_cell_line(line, sheet, 1) || is_cell_line(line, sheet, added) ||
                        line == sheet + " row " + std::to_string(added) + " height=255")
                << "gained: " << line;
        }
        EXPECT_EQ(style_of(formats_after, sheet, 1, 1), style_of(formats_before, sheet, 1, 1))
            << "a changed cell keeps its format";
        EXPECT_NE(style_of(formats_after, sheet, added, 0), "<no cell>");
        EXPECT_EQ(streams(path), streams_before) << "the other streams of the container";

        // gnumeric sees the same: only the changed rows differ.
        const auto csv_after = csv(dir, path, "after");
        const auto lost = only_in(csv_before, csv_after);
        const auto gained = only_in(csv_after, csv_before);
        EXPECT_LE(lost.size(), 2u) << testing::PrintToString(lost);
        EXPECT_LE(gained.size(), 4u) << testing::PrintToString(
            gained); // rows 2 and 3, the gap and the new row
        for (const std::string &line : gained)
            EXPECT_EQ(line.rfind("0:", 0), 0u) << "another sheet changed: " << line;
    }
}

TEST(WorkbookPreservingWrite, AnUnchangedWorkbookReadsBackTheSame)
{
    for (const char *name : {"xlwt_rich.xls", "gnumeric_rich.xls", "gnumeric_formulas.xls",
                             "xlwt_long_strings.xls", "gnumeric_long_strings.xls"}) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        const std::string path = dir.file(name);
        std::filesystem::copy_file(resources + name, path);
        const auto before = formats(path);
        const auto streams_before = streams(path);
        ASSERT_TRUE(workbook::write_workbook(path, read(path)).ok);
        EXPECT_EQ(formats(path), before);
        EXPECT_EQ(streams(path), streams_before);
    }
}

// Formula cells that stay keep their formulas (gnumeric recalculates them
// from the changed inputs); a sheet renamed, another dropped, one added.
TEST(WorkbookPreservingWrite, FormulasSurviveAndSheetsAreRenamedDroppedAndAdded)
{
    ScratchDir dir;
    const std::string path = dir.file("f.xls");
    std::filesystem::copy_file(resources + "gnumeric_formulas.xls", path);
    workbook::Workbook book = read(path);
    book.sheets.at(0).rows.at(1).at(0) = Cell::make_integer(40); // A2: an input of C2 = A2+B2
    book.sheets.at(0).name = "Calculation";
    book.sheets.erase(book.sheets.begin() + 1); // "Empty"
    book.sheets.push_back(workbook::Sheet{"Added", {{Cell::make_text("K")}, {Cell::make_boolean(true)}}});
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);

    // gnumeric recalculates: the formula is still there.
    int status = 0;
    const std::string out = run_program({"ssconvert", "--recalc", "-S", path, dir.file("r_%n.csv")}, status);
    ASSERT_EQ(status, 0) << out;
    const auto calc = lines_of(slurp(dir.file("r_0.csv")));
    ASSERT_GE(calc.size(), 2u);
    EXPECT_EQ(calc[1].substr(0, calc[1].find(',', calc[1].find(',', calc[1].find(',') + 1) + 1)), "40,2,42")
        << calc[1];
    EXPECT_EQ(lines_of(slurp(dir.file("r_1.csv"))), (std::vector<std::string>{"K", "TRUE"}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("r_2.csv")));

    workbook::Workbook back = read(path);
    ASSERT_EQ(back.sheets.size(), 2u);
    EXPECT_EQ(back.sheets[0].name, "Calculation");
    EXPECT_EQ(back.sheets[1].name, "Added");
    EXPECT_EQ(back.sheets[0].rows.at(1).at(2).as_text(), "3")
        << "our reader reads the cached result as it was";
    EXPECT_EQ(back.sheets[1].rows.at(1).at(0).type, CellType::boolean);
    // xlrd reads the workbook whole.
    EXPECT_FALSE(formats(path).empty());
}

TEST(WorkbookPreservingWrite, NewDatesGetADateFormatAndNewTextsTheirOwnStrings)
{
    ScratchDir dir;
    const std::string path = dir.file("d.xls");
    std::filesystem::copy_file(resources + "xlwt_rich.xls", path);
    workbook::Workbook book = read(path);
    workbook::Sheet &parts = book.sheets.at(0);
    double serial = 0;
    ASSERT_TRUE(workbook::serial_of_date({2025, 6, 30, 0, 0, 0}, serial));
    parts.rows.at(5) = {Cell::make_text("zinc | plated"),          Cell{}, Cell{},
                        Cell::make_serial(CellType::date, serial), Cell{}, Cell::make_boolean(false)};
    // A date into a cell whose format shows no date.
    parts.rows.at(1).at(1) = Cell::make_serial(CellType::datetime, serial + 0.5);
    ASSERT_TRUE(workbook::write_workbook(path, book).ok);
    workbook::Workbook back = read(path);
    const workbook::Sheet &again = back.sheets.at(0);
    EXPECT_EQ(again.rows.at(5).at(0).text, "zinc | plated");
    EXPECT_EQ(again.rows.at(5).at(3).as_text(), "2025-06-30");
    EXPECT_EQ(again.rows.at(5).at(5).as_text(), "FALSE");
    EXPECT_EQ(again.rows.at(1).at(1).as_text(), "2025-06-30 12:00:00");
    const auto lines = formats(path);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Parts cell 1,1 3 45838.5 font=Arial/200/-/- fmt=YYYY-MM-DD HH:MM:SS fill=64 wrap=0"),
              lines.end());
}

TEST(WorkbookPreservingWrite, ReorderingSheetsOfTheFileIsRefused)
{
    ScratchDir dir;
    const std::string path = dir.file("o.xls");
    std::filesystem::copy_file(resources + "xlwt_rich.xls", path);
    const std::string before = slurp(path);
    workbook::Workbook book = read(path);
    std::swap(book.sheets[0], book.sheets[1]);
    workbook::Status s = workbook::write_workbook(path, book);
    EXPECT_FALSE(s.ok);
    EXPECT_NE(s.error.find("reordered"), std::string::npos) << s.error;
    EXPECT_EQ(slurp(path), before);
}
