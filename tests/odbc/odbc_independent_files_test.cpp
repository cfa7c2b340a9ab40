// Workbooks written by xlwt and gnumeric through the driver: formula
// results, long texts, and what a change keeps of everything else.
#include "odbc_client.h"

#include <filesystem>

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
