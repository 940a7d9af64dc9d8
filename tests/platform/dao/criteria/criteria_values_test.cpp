// Numbers, dates and GUIDs as the criteria language reads them.
#include <gtest/gtest.h>

#include "platform/dao/criteria/criteria_values.h"

namespace {

using namespace dao::criteria::detail;

TEST(CriteriaNumbers, IntegersStayExactAndOthersBecomeReals) {
  auto n = parseNumber(" 42 ");
  ASSERT_TRUE(n);
  EXPECT_TRUE(n->isInteger);
  EXPECT_EQ(n->integer, 42);
  n = parseNumber("-9223372036854775808");
  ASSERT_TRUE(n);
  EXPECT_TRUE(n->isInteger);
  EXPECT_EQ(n->integer, INT64_MIN);
  n = parseNumber("9223372036854775808");  // one past the largest integer
  ASSERT_TRUE(n);
  EXPECT_FALSE(n->isInteger);
  n = parseNumber("2.5E-3");
  ASSERT_TRUE(n);
  EXPECT_DOUBLE_EQ(n->real, 0.0025);
  n = parseNumber(".5");
  ASSERT_TRUE(n);
  EXPECT_DOUBLE_EQ(n->real, 0.5);
}

TEST(CriteriaNumbers, RejectsWhatIsNotADecimalNumber) {
  for (const char* text : {"", " ", "-", "1e", "1e+", "0x10", "inf", "nan", "1,5", "1.2.3", "--1", "1 2", "1e999"}) {
    EXPECT_FALSE(parseNumber(text)) << text;
  }
}

TEST(CriteriaDates, MonthDayYearUnlessTheYearComesFirst) {
  EXPECT_EQ(parseDayNumber("12/31/2020"), 44196.0);
  EXPECT_EQ(parseDayNumber("2020-12-31"), 44196.0);
  EXPECT_EQ(parseDayNumber("2020/12/31"), 44196.0);
  EXPECT_EQ(parseDayNumber("1/2/2020"), 43832.0);  // 2 January
  EXPECT_EQ(parseDayNumber("12/30/1899"), 0.0);
  EXPECT_EQ(parseDayNumber("12/29/1899"), -1.0);
}

TEST(CriteriaDates, TwoDigitYearsUseTheThirtyYearWindow) {
  EXPECT_EQ(parseDayNumber("1/1/29"), parseDayNumber("1/1/2029"));
  EXPECT_EQ(parseDayNumber("1/1/30"), parseDayNumber("1/1/1930"));
}

TEST(CriteriaDates, TimesAreTheFractionOfTheDay) {
  EXPECT_DOUBLE_EQ(*parseDayNumber("10:00:00"), 10.0 / 24);
  EXPECT_DOUBLE_EQ(*parseDayNumber("12/31/2020 18:00"), 44196.75);
  EXPECT_DOUBLE_EQ(*parseDayNumber("12/31/2020 6:00 PM"), 44196.75);
  EXPECT_DOUBLE_EQ(*parseDayNumber("12/31/2020 12:00 am"), 44196.0);
  EXPECT_DOUBLE_EQ(*parseDayNumber("2020-12-31T06:00:00.500"), 44196.25 + 0.5 / 86400);
}

TEST(CriteriaDates, InvalidDatesAreRefused) {
  for (const char* text : {"", "2/30/2020", "2/29/2019", "13/1/2020", "0/1/2020", "1/1/99999", "1/1/2020 24:00",
                           "1/1/2020 10:60", "1/1/2020 13:00 PM", "1/1", "2020-1-1-1", "12/31/2020x", "10:00 XM",
                           "1-1/2020", "123/1/2020"}) {
    EXPECT_FALSE(parseDayNumber(text)) << text;
  }
  EXPECT_TRUE(parseDayNumber("2/29/2020"));  // leap year
  EXPECT_FALSE(parseDayNumber("2/29/1900"));
}

TEST(CriteriaDates, EngineDateNumbersBeforeTheOriginCountTheFractionForward) {
  EXPECT_DOUBLE_EQ(dayNumberFromOleDate(-1.25), -0.75);  // 29 Dec 1899, 06:00
  EXPECT_DOUBLE_EQ(dayNumberFromOleDate(-1.25), *parseDayNumber("12/29/1899 06:00"));
  EXPECT_DOUBLE_EQ(dayNumberFromOleDate(44196.416666666664), *parseDayNumber("12/31/2020 10:00"));
}

TEST(CriteriaGuids, CanonicalFormFromTextAndFromBytes) {
  EXPECT_EQ(canonicalGuid("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}"), "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
  EXPECT_EQ(canonicalGuid("0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9"), "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
  EXPECT_FALSE(canonicalGuid("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f}"));
  EXPECT_FALSE(canonicalGuid("0a1b2c3d4e5f607182934a4b5c6d7e8f9"));
  EXPECT_FALSE(canonicalGuid("{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8fg}"));
  const unsigned char bytes[16] = {0x3D, 0x2C, 0x1B, 0x0A, 0x5F, 0x4E, 0x71, 0x60,
                                   0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9};
  EXPECT_EQ(guidFromBytes(bytes), "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
}

}  // namespace
