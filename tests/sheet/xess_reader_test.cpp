// The XESS text reader: line forms, sheet selection, the extent, line length
// and bad input (parse_sheet on text), then the reader on files (extension
// swap, messages, normalisation).
#include "sheet/sheet_internal.h"
#include "sheet/xess_reader.h"
#include "xess_test_support.h"

#include "host_test.h"

#include <random>

using cvstv::xess::parse_sheet;
using Cells = std::vector<std::vector<std::string>>;

namespace {

class XessParse : public HostTest {
  protected:
    void TearDown() override
    {
        sheet_release_memo(&table);
        HostTest::TearDown();
    }
    // Parses text and returns the raw grid's rows that hold something, as
    // (row index, cells) pairs, so tests need not spell out empty rows.
    int parse(const std::string &text, const char *sheet = nullptr)
    {
        sheet_release_memo(&table);
        table = sheet_table{};
        return parse_sheet(text, sheet, &table);
    }
    std::string cell(int row, int column) const
    {
        if (row >= table.row_count || column >= table.column_count || !table.rows[row] ||
            !table.rows[row][column])
            return "";
        return table.rows[row][column];
    }
    int stored_rows() const
    {
        int n = 0;
        for (int r = 0; r < table.row_count; ++r)
            n += table.rows[r] != nullptr;
        return n;
    }

    sheet_table table{};
};

const std::string head = "X::4.Workbook!E10.1\nSn::1/Parts\nSd::1\n";

TEST_F(XessParse, ValueAndTextCellForms)
{
    ASSERT_EQ(parse(head + "Nv@A1:=G=12.5\n"          // value: second '='-piece
                           "Nv@B1:===G===7\n"         // runs of '=' and leading ones count as one
                           "Nv@C1:=G\n"               // no second piece: nothing stored
                           "Tl@A2:\"L\"M8 x 20\"\n"   // text: second '"'-piece
                           "Tl@B2:\"L\"   padded\"\n" // leading blanks removed
                           "Tl@C2:\"L\"   \"\n"       // blanks only: cell stays empty
                           "Tl@D2:\"L\"\n"            // no second piece
                           "Tl@E2:\"L\"say \"\"x\"\n" // quotes end the text
                           "Nv@A3:=G=a\"b\n"          // a value may hold '"'
                           "Tl@B3:\"L\"x:=y\"\n"),    // ":=" makes it a value line
              0);
    EXPECT_EQ(cell(0, 0), "12.5");
    EXPECT_EQ(cell(0, 1), "7");
    EXPECT_EQ(cell(0, 2), "");
    EXPECT_EQ(cell(1, 0), "M8 x 20");
    EXPECT_EQ(cell(1, 1), "padded");
    EXPECT_EQ(cell(1, 2), "");
    EXPECT_EQ(cell(1, 3), "");
    EXPECT_EQ(cell(1, 4), "say ");
    EXPECT_EQ(cell(2, 0), "a\"b");
    EXPECT_EQ(cell(2, 1), "y\"");
    EXPECT_EQ(table.column_count, 5);
    EXPECT_EQ(table.row_count, 10);
}

TEST_F(XessParse, LaterLineForTheSameCellReplacesIt)
{
    ASSERT_EQ(parse(head + "Tl@A1:\"L\"old\"\nTl@A1:\"L\"new\"\n"), 0);
    EXPECT_EQ(cell(0, 0), "new");
}

TEST_F(XessParse, Pictures)
{
    ASSERT_EQ(parse(head + "Tl@A1:\"L\"images\\\\\\\\screw.xbm\"\n" // column A image name: picture
                           "Tl@B2:\"L\"screw.xbm\"\n"               // not column A: a text
                           "Tl@A3:\"L\".xbm\"\n"                    // four characters: a text
                           "Tl@A4:\"L\"pin.ubm\"\n"
                           "PCib@C5::bitmaps\\plate.bmp\n" // picture line with "::"
                           "PCib@B6:x:dowel.bmp\"tail\n"   // third ':'-piece up to '"'
                           "PCib@B7::\n"),                 // no name: ignored
              0);
    EXPECT_EQ(cell(0, 0), "BITMAP");
    EXPECT_EQ(cell(0, 1), "images\\screw.xbm");
    EXPECT_EQ(cell(1, 1), "screw.xbm");
    EXPECT_EQ(cell(2, 0), ".xbm");
    EXPECT_EQ(cell(3, 0), "BITMAP");
    EXPECT_EQ(cell(3, 1), "pin.ubm");
    EXPECT_EQ(cell(4, 2), "BITMAP");
    EXPECT_EQ(cell(4, 3), "bitmaps\\plate.bmp");
    EXPECT_EQ(cell(5, 1), "BITMAP");
    EXPECT_EQ(cell(5, 2), "dowel.bmp");
    EXPECT_EQ(cell(6, 1), "");
}

TEST_F(XessParse, UnknownLinesAreIgnored)
{
    ASSERT_EQ(parse(head + "\n# remark\nTl-A1:\"L\"x\"\nZZ@A1 no colon\nTl@\nNv@:=G=9\n"), 0);
    EXPECT_EQ(stored_rows(), 0);
}

TEST_F(XessParse, SheetSelection)
{
    const std::string book = "X::4.Workbook!B3.3\n"
                             "Sn::1/Metric\nSn::2/Unified\nSn::3/Prices\n"
                             "Sd::1\nTl@A1:\"L\"m\"\n"
                             "Sd::2\nTl@A1:\"L\"u\"\n"
                             "Sd::3\nTl@A1:\"L\"p\"\n";
    ASSERT_EQ(parse(book), 0);
    EXPECT_EQ(cell(0, 0), "m") << "no sheet named: the first";
    ASSERT_EQ(parse(book, ""), 0);
    EXPECT_EQ(cell(0, 0), "m");
    ASSERT_EQ(parse(book, "Prices"), 0);
    EXPECT_EQ(cell(0, 0), "p");
    EXPECT_EQ(stored_rows(), 1) << "reading stops at the next sheet-data line";
    ASSERT_EQ(parse(book, "Unified"), 0);
    EXPECT_EQ(cell(0, 0), "u");

    // Names match whole and with case; a sheet no sheet-name line names is
    // missing (not a sheet without data), and the table stays empty.
    EXPECT_EQ(parse(book, "prices"), cvstv::xess::xess_missing_sheet);
    EXPECT_EQ(table.rows, nullptr);
    EXPECT_EQ(parse(book, "Price"), cvstv::xess::xess_missing_sheet);
    EXPECT_EQ(parse("Sn::1/S\n", "T"), cvstv::xess::xess_missing_sheet) << "before the extent is known";
    EXPECT_EQ(parse("X::4.W!B3.1\nSn::1/Named\nSd::2\nTl@A1:\"L\"x\"\n", "Named"), 0)
        << "a named sheet without its data lines is there, and empty";
    EXPECT_EQ(stored_rows(), 0);

    // A later sheet-name line with the requested name selects again.
    ASSERT_EQ(
        parse("X::4.W!B3.2\nSn::1/Dup\nSn::2/Dup\nSd::1\nTl@A1:\"L\"one\"\nSd::2\nTl@A1:\"L\"two\"\n", "Dup"),
        0);
    EXPECT_EQ(cell(0, 0), "two");
}

TEST_F(XessParse, ExtentRules)
{
    ASSERT_EQ(parse("X::4.Workbook!C.1\nSn::1/S\nSd::1\n"), 0);
    EXPECT_EQ(table.column_count, 3);
    EXPECT_EQ(table.row_count, 2000) << "no digits: 2000 rows";
    ASSERT_EQ(parse("X::4.Workbook!12.1\nSn::1/S\nSd::1\n"), 0);
    EXPECT_EQ(table.column_count, 100) << "no letters: 100 columns";
    EXPECT_EQ(table.row_count, 12);
    ASSERT_EQ(parse("X::4.AB7:ignored\nSn::1/S\nSd::1\n"), 0) << "no '!': the piece itself";
    EXPECT_EQ(table.column_count, 28);
    EXPECT_EQ(table.row_count, 7);
    ASSERT_EQ(parse("X::garbage\nSn::1/S\nSd::1\n"), 0) << "no reference at all: both defaults";
    EXPECT_EQ(table.column_count, 100);
    EXPECT_EQ(table.row_count, 2000);

    // Cells outside the extent are ignored, including a picture's name.
    ASSERT_EQ(parse("X::4.W!B2.1\nSn::1/S\nSd::1\nTl@C1:\"L\"x\"\nTl@A3:\"L\"y\"\nTl@B2:\"L\"in\"\n"
                    "PCib@B1::pic.bmp\nTl@A0:\"L\"z\"\n"),
              0);
    EXPECT_EQ(cell(1, 1), "in");
    EXPECT_EQ(cell(0, 1), "BITMAP");
    EXPECT_EQ(stored_rows(), 2);

    // Nothing is stored before the extent line; without one there is no data.
    ASSERT_EQ(parse("Sn::1/S\nSd::1\nTl@A1:\"L\"early\"\nX::4.W!A2.1\nTl@A2:\"L\"late\"\n"), 0);
    EXPECT_EQ(cell(0, 0), "");
    EXPECT_EQ(cell(1, 0), "late");
    EXPECT_EQ(parse("Sn::1/S\nSd::1\nTl@A1:\"L\"x\"\n"), -2);
    EXPECT_EQ(table.rows, nullptr);

    // A grid beyond the limits is refused, not allocated.
    EXPECT_EQ(parse("X::4.W!XFE1.1\n"), -1);
    EXPECT_EQ(parse("X::4.W!A1048577.1\n"), -1);
    EXPECT_EQ(parse("X::4.W!ZZZZZZZZZZZZZZ99999999999999999999.1\n"), -1);
    EXPECT_EQ(table.rows, nullptr);
}

TEST_F(XessParse, LinesAreCutAtTheLineLength)
{
    // 249 characters are read; the rest of the line is dropped whole and is
    // never read as a line of its own.
    std::string prefix = "Tl@A1:\"L\"";
    std::string text(300, 'x');
    std::string ghost = "Tl@A2:\"L\"ghost\"";
    ASSERT_EQ(parse(head + prefix + text + ghost + "\n"), 0);
    EXPECT_EQ(cell(0, 0), std::string(249 - prefix.size(), 'x'));
    EXPECT_EQ(cell(1, 0), "");

    // A line feed, then a carriage return, are removed before the cut.
    ASSERT_EQ(parse("X::4.W!B2.1\r\nSn::1/S\r\nSd::1\r\nNv@A1:=G=4\r\nTl@B1:\"L\"" + std::string(240, 'y') +
                    "\r\n"),
              0);
    EXPECT_EQ(cell(0, 0), "4");
    EXPECT_EQ(cell(0, 1), std::string(240, 'y'));
}

TEST_F(XessParse, GarbageGivesAStatusNotACrash)
{
    std::mt19937 random(20261207);
    const std::string pieces[] = {"X::", "Sn::", "Sd::", "@", ":=", ":\"", "\"", "=", "Cib@", "::", "!",
                                  ".",   "A",    "Z",    "9", "\n", "\r",  "\\", " ", "/",    "1",  "\0"};
    for (int round = 0; round < 300; ++round) {
        std::string text;
        int n = static_cast<int>(random() % 200);
        for (int i = 0; i < n; ++i) {
            if (random() % 3 == 0)
                text += static_cast<char>(random() % 256);
            else
                text += pieces[random() % std::size(pieces)];
        }
        int status = parse(text, round % 2 ? "S" : nullptr);
        ASSERT_TRUE(status == 0 || status == -1 || status == -2 || status == cvstv::xess::xess_missing_sheet)
            << status;
        if (status != 0) {
            ASSERT_EQ(table.rows, nullptr);
        } else {
            ASSERT_LE(table.column_count, cvstv::xess::xess_max_columns);
            ASSERT_LE(table.row_count, cvstv::xess::xess_max_rows);
        }
    }
}

TEST_F(XessParse, AllocationFailureGivesMinusOneAndLeaksNothing)
{
    const std::string text = head + "Tl@A1:\"L\"a\"\nTl@B2:\"L\"b\"\nPCib@C3::c.bmp\n";
    for (long successes = 0; successes < 8; ++successes) {
        vexa::sim::fail_allocations_after(successes);
        int status = parse(text);
        vexa::sim::fail_allocations_after(-1);
        if (status == 0)
            break;
        EXPECT_EQ(status, -1);
        EXPECT_EQ(table.rows, nullptr);
    }
}

// Random exports: the lines of every form, with values that carry comment
// marks, NULs, keywords, blanks and long tails, now and then a carriage
// return, and sometimes no line feed at the end.
std::string random_export(std::mt19937 &random)
{
    auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const std::vector<std::string> values = {"7",
                                                    " 7",
                                                    "a##b",
                                                    "x // y",
                                                    "//",
                                                    "##",
                                                    "",
                                                    "  ",
                                                    "a=b",
                                                    "\"q\"",
                                                    "BITMAP",
                                                    "END",
                                                    "END ## x",
                                                    "PARAMETERS",
                                                    "PARAMETERS//",
                                                    std::string("E\0D", 3),
                                                    std::string("\0", 1),
                                                    "pic.xbm",
                                                    "dir\\\\p.ubm",
                                                    "v:=w",
                                                    "p/",
                                                    "#",
                                                    "1,2"};
    std::string text;
    if (below(4))
        text = "X::4.W!E12.1\nSn::1/S\nSn::2/T\nSd::1\n";
    const int lines = below(50);
    for (int i = 0; i < lines; ++i) {
        std::string ref = std::string(1, static_cast<char>('A' + below(5))) + std::to_string(below(13));
        if (below(10) == 0)
            ref = below(2) ? "$" + ref : "b" + std::to_string(below(13));
        std::string value = values[static_cast<std::size_t>(below(static_cast<int>(values.size())))];
        if (below(10) == 0)
            value += std::string(static_cast<std::size_t>(below(300)), 'x');
        switch (below(12)) {
        case 0:
            text += "X::4.W!" + std::string(1, static_cast<char>('A' + below(6))) + std::to_string(below(14));
            break;
        case 1: text += "Sn::" + std::to_string(below(3)) + (below(2) ? "/S" : "/T"); break;
        case 2: text += "Sd::" + std::to_string(below(3)); break;
        case 3: text += "PCib@" + ref + "::" + value; break;
        case 4: text += "Nv@" + ref + value; break;
        case 5: text += "Tl@" + ref + ":\"L\"" + value + "\""; break;
        default: text += "Nv@" + ref + ":=G=" + value; break;
        }
        if (below(8) == 0)
            text += "\r";
        if (i + 1 < lines || below(2))
            text += "\n";
    }
    return text;
}

// The reader feeds a file block by block: a line cut between two blocks,
// even a long one, reads as when the text is parsed whole; and normalising
// by the parser's notes gives what normalising every cell gives.
TEST_F(XessParse, PiecesOfAnySizeAndNotedNormalisationAgreeWithTheWholeText)
{
    std::mt19937 random(20261208);
    // Long lines cut by a piece boundary: a carriage return inside the kept
    // part, and one at its very end, are characters like any other.
    std::vector<std::string> texts;
    for (std::size_t at : {247, 248, 249, 250}) {
        std::string line = "Tl@A1:\"L\"" + std::string(300, 'x');
        line[at] = '\r';
        texts.push_back(head + line + "\nTl@B1:\"L\"after\"\n");
    }
    int with_data = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string text = round < static_cast<int>(texts.size())
                                     ? texts[static_cast<std::size_t>(round)]
                                     : random_export(random);
        const char *sheet = round % 3 == 0 ? "T" : nullptr;

        sheet_table whole{};
        int whole_status = parse_sheet(text, sheet, &whole);
        if (whole_status == 0)
            whole_status = sheet_normalize(&whole);

        cvstv::xess::SheetTextParser parser(sheet);
        const std::size_t piece = round < static_cast<int>(texts.size()) ? 200 : 1 + random() % 40;
        for (std::size_t at = 0; at < text.size() && parser.feed(std::string_view(text).substr(at, piece));)
            at += piece;
        sheet_table pieces{};
        SheetGridNotes notes;
        int pieces_status = parser.finish(&pieces, &notes);
        if (pieces_status == 0)
            pieces_status = sheet_normalize_noted(&pieces, notes);

        EXPECT_EQ(pieces_status, whole_status);
        EXPECT_EQ(table_cells(pieces), table_cells(whole)) << "pieces of " << piece << " from:\n" << text;
        with_data += whole_status == 0;
        sheet_release_memo(&whole);
        sheet_release_memo(&pieces);
        if (HasFailure())
            break;
    }
    EXPECT_GT(with_data, 1000);
}

TEST(XessCellReference, LettersAndDigits)
{
    int column = -1, row = -1;
    cvstv::xess::split_cell_reference("A1", column, row);
    EXPECT_EQ(column, 1);
    EXPECT_EQ(row, 1);
    cvstv::xess::split_cell_reference("AA27", column, row);
    EXPECT_EQ(column, 27);
    EXPECT_EQ(row, 27);
    cvstv::xess::split_cell_reference("$XFD$1048576", column, row);
    EXPECT_EQ(column, 16384);
    EXPECT_EQ(row, 1048576);
    cvstv::xess::split_cell_reference("", column, row);
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 0);
}

// ---- The reader on files ------------------------------------------------------

class XessFile : public HostTest {
  protected:
    void TearDown() override
    {
        sheet_release_memo(&table);
        HostTest::TearDown();
    }
    XessScratch scratch;
    sheet_table table{};
};

const std::string prices = "X::4.Workbook!C6.2\nSn::1/Sizes\nSn::2/Prices\n"
                           "Sd::1\nTl@A1:\"L\"SIZE\"\n"
                           "Sd::2\n"
                           "Tl@A1:\"L\"PARAMETERS\"\n"
                           "Tl@A2:\"L\"D\"\nTl@B2:\"L\"L\"\nTl@C2:\"L\"PRICE\"\n"
                           "Nv@A3:=G=8\nNv@B3:=G=20\nNv@C3:=G=0.42\n"
                           "Nv@B4:=G=25\nTl@C4:\"L\"0.45 ## list price\"\n"
                           "Tl@A5:\"L\"// discontinued\"\n"
                           "Tl@A6:\"L\"END\"\n";

TEST_F(XessFile, SheetSuffixAndExtensionSwap)
{
    scratch.write("a.xs4", prices);
    std::string path = scratch.host("a.xls") + "::Prices";
    ASSERT_EQ(cvstv::xess::read_spreadsheet(path.c_str(), &table), 0);
    EXPECT_EQ(std::string(table.file_name), path);
    EXPECT_EQ(table.found_row, -1);
    // Normalised: comments stripped, D filled down, the comment row removed.
    EXPECT_EQ(table_cells(table), (Cells{{"PARAMETERS", "", ""},
                                         {"D", "L", "PRICE"},
                                         {"8", "20", "0.42"},
                                         {"8", "25", "0.45 "},
                                         {"END", "", ""}}));
    sheet_release_memo(&table);

    ASSERT_EQ(cvstv::xess::read_spreadsheet(scratch.host("a.xs4").c_str(), &table), 0);
    EXPECT_EQ(table_cells(table), (Cells{{"SIZE", "", ""}})) << "no suffix: the first sheet";
    EXPECT_TRUE(vexa::sim::journal().empty());
}

TEST_F(XessFile, MissingFileAndEmptySheet)
{
    std::string missing = scratch.host("none.xls") + "::S";
    EXPECT_EQ(cvstv::xess::read_spreadsheet(missing.c_str(), &table), -1);
    EXPECT_EQ(message_boxes(),
              std::vector<std::string>{"Cannot find spreadsheet = " + scratch.host("none.xs4") + "\n"});
    EXPECT_EQ(vexa::sim::journal().at(0).severity, 1);
    EXPECT_EQ(table.rows, nullptr);

    vexa::sim::clear_journal();
    vexa::sim::set_translation("Cannot find spreadsheet = %s\n", "Tabelle fehlt: %s\n");
    EXPECT_EQ(cvstv::xess::read_spreadsheet(missing.c_str(), &table), -1);
    EXPECT_EQ(message_boxes(), std::vector<std::string>{"Tabelle fehlt: " + scratch.host("none.xs4") + "\n"});

    scratch.write("b.xs4", prices);
    // A missing sheet is -1, as by every reader, without a message.
    vexa::sim::clear_journal();
    std::string unknown = scratch.host("b.xs4") + "::Nothing";
    EXPECT_EQ(cvstv::xess::read_spreadsheet(unknown.c_str(), &table), -1);
    EXPECT_EQ(table.rows, nullptr);
    EXPECT_TRUE(vexa::sim::journal().empty());
    std::string blank_only = scratch.write("c.xs4", "X::4.W!B2.1\nSn::1/S\nSd::1\nTl@A1:\"L\"  \"\n");
    EXPECT_EQ(cvstv::xess::read_spreadsheet(blank_only.c_str(), &table), -2);
}

TEST_F(XessFile, SheetNamesInFileOrder)
{
    std::vector<std::string> names;
    scratch.write("a.xs4", prices + "Sn::3/Late\nSn::4/\n");
    ASSERT_EQ(cvstv::xess::read_sheet_names(scratch.host("a.xs4").c_str(), names), 0);
    EXPECT_EQ(names, (std::vector<std::string>{"Sizes", "Prices", "Late"}));
    EXPECT_EQ(cvstv::xess::read_sheet_names(scratch.host("a.xls").c_str(), names), -1) << "opened unchanged";
    EXPECT_EQ(message_boxes(),
              std::vector<std::string>{"Cannot find spreadsheet = " + scratch.host("a.xls") + "\n"});
}

} // namespace
