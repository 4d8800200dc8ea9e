#include "core/design/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace orvendi {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FormatNumber, GeneralKeepsSixSignificantDigitsLikePrintf) {
  EXPECT_EQ(FormatNumber(0.5, ShowFormat::kGeneral), "0.5");
  EXPECT_EQ(FormatNumber(10000, ShowFormat::kGeneral), "10000");
  EXPECT_EQ(FormatNumber(0.02, ShowFormat::kGeneral), "0.02");
  EXPECT_EQ(FormatNumber(0.0001, ShowFormat::kGeneral), "0.0001");
  EXPECT_EQ(FormatNumber(0.000015, ShowFormat::kGeneral), "1.5e-05");
  EXPECT_EQ(FormatNumber(999999, ShowFormat::kGeneral), "999999");
  EXPECT_EQ(FormatNumber(1e6, ShowFormat::kGeneral), "1e+06");
  EXPECT_EQ(FormatNumber(123456789, ShowFormat::kGeneral), "1.23457e+08");
  EXPECT_EQ(FormatNumber(-0.25, ShowFormat::kGeneral), "-0.25");
  EXPECT_EQ(FormatNumber(100 * 0.05, ShowFormat::kGeneral), "5");
}

TEST(FormatNumber, FixedFormatsShowTheirDecimals) {
  EXPECT_EQ(FormatNumber(10000, ShowFormat::kFixed3), "10000.000");
  EXPECT_EQ(FormatNumber(0, ShowFormat::kFixed3), "0.000");
  EXPECT_EQ(FormatNumber(1.23456, ShowFormat::kFixed3), "1.235");
  EXPECT_EQ(FormatNumber(4e-7, ShowFormat::kFixed6), "0.000000");
  EXPECT_EQ(FormatNumber(0.0035355339, ShowFormat::kFixed6), "0.003536");
  // The largest double in fixed point still fits.
  const std::string huge = FormatNumber(std::numeric_limits<double>::max(), ShowFormat::kFixed6);
  EXPECT_EQ(huge.size(), 309u + 7u);
  EXPECT_EQ(huge.substr(0, 5), "17976");
}

TEST(FormatNumber, NonFiniteValuesReadAsPrintfWrites) {
  for (ShowFormat format : {ShowFormat::kGeneral, ShowFormat::kFixed3, ShowFormat::kFixed6}) {
    EXPECT_EQ(FormatNumber(kInf, format), "inf");
    EXPECT_EQ(FormatNumber(-kInf, format), "-inf");
    EXPECT_EQ(FormatNumber(std::nan(""), format), "nan");
  }
}

TEST(FormatInteger, CoversTheWholeRange) {
  EXPECT_EQ(FormatInteger(25), "25");
  EXPECT_EQ(FormatInteger(-2147483647 - 1), "-2147483648");
  EXPECT_EQ(FormatInteger(2147483647), "2147483647");
}

TEST(ReadDouble, TakesTheLongestLeadingNumberAfterBlanks) {
  EXPECT_EQ(ReadDouble("0.5"), 0.5);
  EXPECT_EQ(ReadDouble("  \t0.05 V"), 0.05);
  EXPECT_EQ(ReadDouble("-3e2x"), -300.0);
  EXPECT_EQ(ReadDouble("+.5"), 0.5);
  EXPECT_EQ(ReadDouble("1e"), 1.0);
  EXPECT_EQ(ReadDouble("2.5e+"), 2.5);
  EXPECT_EQ(ReadDouble("0x1p3"), 8.0);
  EXPECT_EQ(ReadDouble("0,5"), 0.0);  // a comma is never a decimal separator
  EXPECT_EQ(ReadDouble("12.7"), 12.7);
}

TEST(ReadDouble, TextThatIsNoNumberGivesNothing) {
  for (const char* text : {"", "   ", "abc", ".", "-", "+", "e5", "- 1", "\xc3\xa4"}) {
    EXPECT_FALSE(ReadDouble(text).has_value()) << '"' << text << '"';
  }
}

TEST(ReadDouble, OutOfRangeAndNonFiniteEntriesFollowStrtod) {
  EXPECT_EQ(ReadDouble("1e999"), kInf);
  EXPECT_EQ(ReadDouble("-1e999"), -kInf);
  EXPECT_EQ(ReadDouble("1e-999"), 0.0);
  EXPECT_EQ(ReadDouble("inf"), kInf);
  EXPECT_EQ(ReadDouble("-Infinity"), -kInf);
  ASSERT_TRUE(ReadDouble("nan").has_value());
  EXPECT_TRUE(std::isnan(*ReadDouble("nan")));
  EXPECT_TRUE(std::isnan(*ReadDouble("NaN(123)")));
}

TEST(ReadDouble, LooksAtTheFirst128CharactersOnly) {
  EXPECT_EQ(ReadDouble(std::string(300, '1')), ReadDouble(std::string(128, '1')));
  EXPECT_GT(*ReadDouble(std::string(300, '1')), 1.1e127);
  EXPECT_LT(*ReadDouble(std::string(300, '1')), 1.2e127);
  // A number that starts beyond the limit is not seen.
  EXPECT_FALSE(ReadDouble(std::string(128, ' ') + "5").has_value());
  EXPECT_EQ(ReadDouble(std::string(127, ' ') + "5"), 5.0);
}

TEST(ReadInteger, TakesTheLeadingDigits) {
  EXPECT_EQ(ReadInteger("30.9"), 30);
  EXPECT_EQ(ReadInteger(" -7 cells"), -7);
  EXPECT_EQ(ReadInteger("+5"), 5);
  EXPECT_EQ(ReadInteger("1e3"), 1);
  EXPECT_EQ(ReadInteger("0x10"), 0);
  EXPECT_EQ(ReadInteger("007"), 7);
}

TEST(ReadInteger, RejectsTextAndValuesBeyond32Bits) {
  EXPECT_EQ(ReadInteger("2147483647"), 2147483647);
  EXPECT_EQ(ReadInteger("-2147483648"), -2147483647 - 1);
  for (const char* text : {"2147483648", "-2147483649", "99999999999", "99999999999999999999999999", "",
                           "abc", "+-5", "-+5", "- 5", ".5", "inf", "nan"}) {
    EXPECT_FALSE(ReadInteger(text).has_value()) << '"' << text << '"';
  }
  EXPECT_FALSE(ReadInteger(std::string(300, '1')).has_value());
  EXPECT_FALSE(ReadInteger(std::string(128, ' ') + "5").has_value());
}

// A German desktop writes 0,5; the dialogs still show and read 0.5.
TEST(NumberTextLocale, GermanLocaleChangesNothing) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
      << "de_DE.UTF-8 missing: run scripts/install-deps";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(FormatNumber(0.5, ShowFormat::kGeneral), "0.5");
  EXPECT_EQ(FormatNumber(0.5, ShowFormat::kFixed3), "0.500");
  EXPECT_EQ(FormatNumber(0.5, ShowFormat::kFixed6), "0.500000");
  EXPECT_EQ(ReadDouble("0.5"), 0.5);
  EXPECT_EQ(ReadDouble("0,5"), 0.0);
  EXPECT_EQ(ReadInteger("30.9"), 30);
  std::setlocale(LC_ALL, previous.c_str());
}

}  // namespace
}  // namespace orvendi
