// Workbooks written by xlwt and gnumeric through the driver: formula
// results, long texts, and what a change keeps of everything else.
#include "odbc_client.h"

#include <filesystem>
#include <set>

namespace {

const std::string resources = std::string(CVSTV_SOURCE_DIR) + "/tests/resources/workbook/";

// A private copy of a test workbook in `dir`.
std::string copy_of(const ScratchDir &dir, const std::string &name)
{
    const std::string path = dir.file(name);
    std::filesystem::copy_file(resources + name, path);
    return path;
}

} // namespace

TEST(OdbcIndependentFiles, FormulaCellsReadAsTheirCachedResults)
{
    ScratchDir dir;
    const std::string path = copy_of(dir, "gnumeric_formulas.xls");
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS) << c.message(SQL_HANDLE_DBC);
    EXPECT_EQ(c.query("SELECT SUM, TEXT, TEST, ERROR, WHEN FROM Calc WHERE A=10"),
              Rows{row({"10", "abcd10", "TRUE", "#DIV/0!", "2024-03-15"})});
    EXPECT_EQ(c.query("SELECT A FROM Calc WHERE SUM=6.5"), Rows{row({"2.5"})}) << "a formula result compares";
    EXPECT_EQ(c.query("SELECT BLANK FROM Calc WHERE A=1"), Rows{row({nullptr})})
        << "an empty text result is NULL";
}

TEST(OdbcIndependentFiles, LongTextsFromOutsideReadWhole)
{
    for (const char *name : {"xlwt_long_strings.xls", "gnumeric_long_strings.xls"}) {
        ScratchDir dir;
        const std::string path = copy_of(dir, name);
        OdbcClient c;
        ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS)
            << name << c.message(SQL_HANDLE_DBC);
        std::string euros;
        for (int i = 0; i < 10000; ++i)
            euros += "€";
        EXPECT_EQ(c.query("SELECT TEXT FROM Long WHERE KIND='x32767'"),
                  Rows{row({std::string(32767, 'x').c_str()})})
            << name;
        EXPECT_EQ(c.query("SELECT TEXT FROM Long WHERE KIND='euro10000'"), Rows{row({euros.c_str()})})
            << name;
        EXPECT_EQ(c.query("SELECT TEXT FROM Long WHERE KIND='after'"),
                  Rows{row({"short text after the long ones"})})
            << name;
    }
}

namespace {

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return out;
}

// xlrd's view of a workbook with its formatting (tests/workbook/xlrd_formats.py).
std::vector<std::string> formats(const std::string &path)
{
    int status = 0;
    const std::string out = run_program(
        {"/usr/bin/python3", std::string(CVSTV_SOURCE_DIR) + "/tests/workbook/xlrd_formats.py", path},
        status);
    EXPECT_EQ(status, 0) << out;
    return lines_of(out);
}

// gnumeric's CSV of every sheet, as "sheet number:line".
std::vector<std::string> csv(const ScratchDir &dir, const std::string &path, const std::string &tag,
                             const char *options = "")
{
    int status = 0;
    std::vector<std::string> command = {"ssconvert"};
    if (*options)
        command.emplace_back(options);
    command.insert(command.end(), {"-S", path, dir.file(tag + "_%n.csv")});
    const std::string out = run_program(command, status);
    EXPECT_EQ(status, 0) << out;
    std::vector<std::string> all;
    for (int n = 0; std::filesystem::exists(dir.file(tag + "_" + std::to_string(n) + ".csv")); ++n)
        for (const std::string &line : lines_of(slurp(dir.file(tag + "_" + std::to_string(n) + ".csv"))))
            all.push_back(std::to_string(n) + ":" + line);
    return all;
}

std::vector<std::string> only_in(const std::vector<std::string> &a, const std::vector<std::string> &b)
{
    std::multiset<std::string> other(b.begin(), b.end());
    std::vector<std::string> out;
    for (const std::string &line : a)
        if (auto it = other.find(line); it != other.end())
            other.erase(it);
        else
            out.push_back(line);
    return out;
}

bool in_rows(const std::string &line, const std::string &sheet, std::initializer_list<int> rows)
{
    for (int r : rows)
        if (line.rfind(sheet + " cell " + std::to_string(r) + ",", 0) == 0)
            return true;
    return false;
}

} // namespace

// INSERT, UPDATE and DELETE through the driver change the cells they name
// and nothing else: xlrd (with formatting) and gnumeric see every other
// cell, format, merged range, column width and sheet as before.
TEST(OdbcIndependentFiles, ChangesKeepEverythingTheyDoNotName)
{
    struct Case {
        const char *file, *sheet;
        std::vector<std::string> statements;
        int updated, deleted, inserted;
    };
    const Case cases[] = {
        {"xlwt_rich.xls",
         "Parts",
         {"UPDATE [Parts$] SET QTY = 125 WHERE NAME = 'bolt M8'",
          "INSERT INTO [Parts$] (NAME, QTY, PRICE, DELIVERED) VALUES ('screw', 5, 0.5, {d '2024-06-01'})",
          "DELETE FROM [Parts$] WHERE NAME = 'nut M8'"},
         1,
         2,
         8},
        {"gnumeric_rich.xls",
         "Parts",
         {"UPDATE [Parts$] SET QTY = 125 WHERE NAME = 'bolt M8'",
          "INSERT INTO [Parts$] (NAME, QTY, PRICE, DELIVERED) VALUES ('screw', 5, 0.5, {d '2024-06-01'})",
          "DELETE FROM [Parts$] WHERE NAME = 'nut M8'"},
         1,
         2,
         8},
        {"gnumeric_formulas.xls",
         "Calc",
         {"UPDATE Calc SET A = 40 WHERE B = 2", "INSERT INTO Calc (A, B) VALUES (7, 8)",
          "DELETE FROM Calc WHERE A = 2.5"},
         1,
         2,
         6},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.file);
        ScratchDir dir;
        const std::string path = copy_of(dir, k.file);
        const auto formats_before = formats(path);
        const auto csv_before = csv(dir, path, "before");
        {
            OdbcClient c;
            ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS) << c.message(SQL_HANDLE_DBC);
            for (const std::string &sql : k.statements)
                ASSERT_EQ(c.exec(sql), SQL_SUCCESS) << sql << ": " << c.message();
        }
        const auto formats_after = formats(path);
        for (const std::string &line : only_in(formats_before, formats_after))
            EXPECT_TRUE(in_rows(line, k.sheet, {k.updated, k.deleted})) << "lost: " << line;
        for (const std::string &line : only_in(formats_after, formats_before))
            EXPECT_TRUE(in_rows(line, k.sheet, {k.updated, k.deleted, k.inserted}) ||
                        line.rfind(std::string(k.sheet) + " row " + std::to_string(k.inserted), 0) == 0)
                << "gained: " << line;

        const auto csv_after = csv(dir, path, "after");
        for (const std::string &line : only_in(csv_after, csv_before))
            EXPECT_EQ(line.rfind("0:", 0), 0u) << "another sheet changed: " << line;
        EXPECT_LE(only_in(csv_before, csv_after).size(), 2u);
    }

    // The formulas of the updated row are still formulas: gnumeric
    // recalculates them from the new input.
    ScratchDir dir;
    const std::string path = copy_of(dir, "gnumeric_formulas.xls");
    OdbcClient c;
    ASSERT_EQ(c.connect(library_connection_string(path)), SQL_SUCCESS);
    ASSERT_EQ(c.exec("UPDATE Calc SET A = 40 WHERE B = 2"), SQL_SUCCESS);
    const auto recalculated = csv(dir, path, "recalc", "--recalc");
    ASSERT_GE(recalculated.size(), 2u);
    EXPECT_EQ(recalculated[1].substr(0, 16), "0:40,2,42,abcd40") << recalculated[1];
}
