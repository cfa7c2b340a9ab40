// The one number reader and formatter: what is a number, what is text, and
// that a decimal-comma locale changes neither.
#include "workbook/number_text.h"
#include "workbook/workbook.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

using workbook::Cell;
using workbook::CellType;
using workbook::read_integer;
using workbook::read_number;

namespace {

std::string formatted(double v)
{
    char buf[workbook::number_text_size];
    return std::string(buf, workbook::format_number(v, buf));
}

// Sets LC_NUMERIC for the lifetime of the object; `active` tells whether the
// locale exists on this machine (scripts/install_deps.sh generates it).
class NumericLocale {
  public:
    explicit NumericLocale(const char *name)
    {
        previous_ = std::setlocale(LC_NUMERIC, nullptr);
        active = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    bool active = false;

  private:
    std::string previous_;
};

} // namespace

TEST(NumberText, DecimalNumbersWithBlanksSignsFractionsAndExponentsRead)
{
    EXPECT_EQ(read_number("12"), 12.0);
    EXPECT_EQ(read_number(" 12 "), 12.0);
    EXPECT_EQ(read_number("\t-3.5\t"), -3.5);
    EXPECT_EQ(read_number("+0.25"), 0.25);
    EXPECT_EQ(read_number(".5"), 0.5);
    EXPECT_EQ(read_number("5."), 5.0);
    EXPECT_EQ(read_number("1e3"), 1000.0);
    EXPECT_EQ(read_number("1E-2"), 0.01);
    EXPECT_EQ(read_number("-2.5e+2"), -250.0);
    EXPECT_EQ(read_number("0.1"), 0.1) << "correctly rounded";
    EXPECT_EQ(read_number("1e-400"), 0.0) << "below the smallest double";
}

TEST(NumberText, HexCommasWordsAndPartialNumbersAreText)
{
    for (const char *text : {"",   " ",  "0x1A", "0X1a",  "1,5", "1 000", "1.2.3", "12a", "a12",
                             "e3", "1e", "1e+",  "--1",   "+-1", "inf",   "-inf",  "nan", "infinity",
                             ".",  "-",  "+",    "1e999", "٣",   "12\n",  "1_000"})
        EXPECT_FALSE(read_number(text)) << '"' << text << '"';
}

TEST(NumberText, WholeNumbersReadAsIntegersWithinSixtyFourBits)
{
    EXPECT_EQ(read_integer(" -42 "), -42);
    EXPECT_EQ(read_integer("+7"), 7);
    EXPECT_EQ(read_integer("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(read_integer("-9223372036854775808"), INT64_MIN);
    EXPECT_FALSE(read_integer("9223372036854775808"));
    EXPECT_FALSE(read_integer("1.0")) << "a fraction is written";
    EXPECT_FALSE(read_integer("1e3")) << "an exponent is written";
    EXPECT_FALSE(read_integer("0x10"));
}

// The cells a typed text becomes (the spreadsheet port and the kit
// generator both use typed_cell).
TEST(NumberText, TypedTextsBecomeNumberCellsOnlyWhenTheyReadAsNumbers)
{
    EXPECT_EQ(workbook::typed_cell("1e3").type, CellType::integer);
    EXPECT_EQ(workbook::typed_cell("1e3").integer, 1000);
    EXPECT_EQ(workbook::typed_cell(" 12 ").integer, 12);
    EXPECT_EQ(workbook::typed_cell("2.50").type, CellType::real);
    EXPECT_EQ(workbook::typed_cell("2.50").real, 2.5);
    EXPECT_EQ(workbook::typed_cell("1e15").type, CellType::real)
        << "whole, but beyond the integer range kept";
    EXPECT_EQ(workbook::typed_cell("0x1A").type, CellType::text);
    EXPECT_EQ(workbook::typed_cell("0x1A").text, "0x1A");
    EXPECT_EQ(workbook::typed_cell("1,5").type, CellType::text);
    EXPECT_EQ(workbook::typed_cell("").type, CellType::empty);
}

TEST(NumberText, FormattingWritesTheShortestTextThatReadsBack)
{
    EXPECT_EQ(formatted(12.0), "12");
    EXPECT_EQ(formatted(-0.0), "0");
    EXPECT_EQ(formatted(2.5), "2.5");
    EXPECT_EQ(formatted(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(formatted(1e20), "1e+20");
    for (double v : {0.1, 2.5, 1.0 / 3, -1e-7, 123456.789, 1e300})
        EXPECT_EQ(read_number(formatted(v)), v) << formatted(v);
}

TEST(NumberText, ADecimalCommaLocaleChangesNothing)
{
    NumericLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.active)
        << "locale de_DE.UTF-8 is not generated (scripts/install_deps.sh generates it)";
    EXPECT_EQ(read_number("2.5"), 2.5);
    EXPECT_FALSE(read_number("2,5"));
    EXPECT_EQ(formatted(2.5), "2.5");
    EXPECT_EQ(Cell::make_real(-0.125).as_text(), "-0.125");
    EXPECT_EQ(workbook::typed_cell("1.25").real, 1.25);
}
