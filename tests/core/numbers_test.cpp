#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/NumberText.h"
#include "frame/StartUp.h"

namespace dw {
namespace {

TEST(NumberText, DataValuesReadTheNumberAtTheirStartRoundedHalvesToEven) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {{"12abc", 12},
                        {"abc", 0},
                        {"%%", 0},
                        {"", 0},
                        {"2.5", 2},
                        {"3.5", 4},
                        {"-2.5", -2},
                        {"2.51", 3},
                        {".5", 0},
                        {".6", 1},
                        {"-.5", 0},
                        {"5.", 5},
                        {".", 0},
                        {"-", 0},
                        {"- 3", 0},
                        {"+3", 3},
                        {"  -7x", -7},
                        {"8 heal", 8},
                        {"1.5e1", 15},
                        {"1E+1x", 10},
                        {"25e-1", 2},
                        {"2e", 2},
                        {"2e+", 2},
                        {"0x10", 0},
                        {"1e40", INT_MAX},
                        {"-1e40", INT_MIN},
                        {"1e400", INT_MAX},
                        {"99999999999", INT_MAX},
                        {"-99999999999", INT_MIN},
                        {"2147483647", INT_MAX},
                        {"2147483646.5", 2147483646},
                        {"-2147483648", INT_MIN},
                        {"-2147483648.5", INT_MIN},
                        {"1e-400", 0},
                        {"inf", 0},
                        {"nan", 0}};
  for (const Case& c : cases) EXPECT_EQ(readNumber(c.text), c.value) << '"' << c.text << '"';
  EXPECT_EQ(readReal(" 2.5e0"), 2.5);
}

TEST(NumberText, TypedLinesReadDecimalOrPrefixedBases) {
  const std::string thirtyDigits(30, '9');
  struct Case {
    std::string text;
    std::int32_t value;
  };
  const Case cases[] = {{"42", 42},
                        {"12.5", 12},
                        {"13.5", 14},
                        {"abc", 0},
                        {"-7x", -7},
                        {"", 0},
                        {"  17", 17},
                        {"&HFF", 255},
                        {"&hff", 255},
                        {"&H2a", 42},
                        {"  &H10", 16},
                        {"&O17", 15},
                        {"&o777", 511},
                        {"&O18", 1},
                        {"&B101", 5},
                        {"&B102", 2},
                        {"&H", 0},
                        {"&", 0},
                        {"&X1", 0},
                        {"&HG", 0},
                        {"&H7FFFFFFF", INT_MAX},
                        {"&HFFFFFFFFFF", INT_MAX},
                        {thirtyDigits, INT_MAX},
                        {"-" + thirtyDigits, INT_MIN}};
  for (const Case& c : cases) EXPECT_EQ(typedLineToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberText, ClockReadingsPrintWithSixteenDigitsAndNoTrailingPoint) {
  EXPECT_EQ(timerText(1234.5), "1234.5");
  EXPECT_EQ(timerText(3.0), "3");
  EXPECT_EQ(timerText(0.0), "0");
  EXPECT_EQ(timerText(0.1), "0.1");
  EXPECT_EQ(timerText(86399.5), "86399.5");
  EXPECT_EQ(timerText(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(timerText(1e20), "1e+20");
  EXPECT_EQ(timerText(-5.25), "-5.25");
}

}  // namespace
}  // namespace dw
