#include <gtest/gtest.h>

#include <clocale>

#include "platform/automation/variant.h"

using automation::ByteArray;
using automation::Variant;
using automation::VariantConversionError;
using automation::VariantType;

TEST(VariantKinds, EachConstructorGivesItsKind) {
  EXPECT_EQ(Variant().type(), VariantType::Empty);
  EXPECT_EQ(Variant::null().type(), VariantType::Null);
  EXPECT_EQ(Variant(true).type(), VariantType::Boolean);
  EXPECT_EQ(Variant(static_cast<std::int16_t>(3)).type(), VariantType::Int16);
  EXPECT_EQ(Variant(3).type(), VariantType::Int32);
  EXPECT_EQ(Variant(2.5).type(), VariantType::Double);
  EXPECT_EQ(Variant("text").type(), VariantType::Text);
  EXPECT_EQ(Variant(ByteArray{1, 2}).type(), VariantType::Bytes);
  EXPECT_EQ(Variant(automation::Currency{12345}).type(), VariantType::Currency);
  EXPECT_EQ(Variant(automation::Date{1.5}).type(), VariantType::Date);
}

TEST(VariantKinds, ArraysHoldTheirItemsAndCompareByThem) {
  const Variant items(automation::VariantArray{Variant(1), Variant::null(), Variant("x")});
  EXPECT_EQ(items.type(), VariantType::Array);
  ASSERT_NE(items.arrayIf(), nullptr);
  EXPECT_EQ(items.arrayIf()->size(), 3u);
  EXPECT_EQ(Variant("x").arrayIf(), nullptr);
  const Variant copy = items;
  EXPECT_EQ(copy.arrayIf(), items.arrayIf());  // copies share the items
  EXPECT_EQ(items, Variant(automation::VariantArray{Variant(1), Variant::null(), Variant("x")}));
  EXPECT_NE(items, Variant(automation::VariantArray{Variant(1), Variant::null(), Variant("y")}));
  EXPECT_NE(items, Variant(automation::VariantArray{Variant(1), Variant::null()}));
  EXPECT_EQ(describe(items), "Array Variant(Integer 1, Null, String \"x\")");
  try {
    items.asText();
    FAIL();
  } catch (const VariantConversionError& error) {
    EXPECT_STREQ(error.what(), "Could not convert variant of type (Array Variant) into type (String)");
  }
  EXPECT_THROW(items.asInt32(), VariantConversionError);
}

TEST(VariantKinds, EmptyAndNullAreDifferentValues) {
  EXPECT_NE(Variant(), Variant::null());
  EXPECT_TRUE(Variant().isEmptyOrNull());
  EXPECT_TRUE(Variant::null().isEmptyOrNull());
  EXPECT_FALSE(Variant("").isEmptyOrNull());
}

TEST(VariantNumbers, FractionsRoundHalfToEven) {
  EXPECT_EQ(Variant(12.5).asInt32(), 12);
  EXPECT_EQ(Variant(13.5).asInt32(), 14);
  EXPECT_EQ(Variant(-2.5).asInt32(), -2);
  EXPECT_EQ(Variant("12.6").asInt32(), 13);
}

TEST(VariantNumbers, BooleansAreMinusOneAndZero) {
  EXPECT_EQ(Variant(true).asInt32(), -1);
  EXPECT_EQ(Variant(false).asInt16(), 0);
  EXPECT_TRUE(Variant(-1).asBoolean());
  EXPECT_TRUE(Variant(7).asBoolean());
  EXPECT_FALSE(Variant(0).asBoolean());
}

TEST(VariantNumbers, TextIsParsedWhateverTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // decimal comma, where installed
  EXPECT_DOUBLE_EQ(Variant(" 2.25 ").asDouble(), 2.25);
  EXPECT_EQ(Variant(2.5).asText(), "2.5");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(VariantNumbers, OutOfRangeAndNonNumbersAreRefused) {
  EXPECT_THROW(Variant(40000).asInt16(), VariantConversionError);
  EXPECT_THROW(Variant(3e10).asInt32(), VariantConversionError);
  EXPECT_THROW(Variant("12abc").asInt32(), VariantConversionError);
  EXPECT_THROW(Variant("").asDouble(), VariantConversionError);
  EXPECT_THROW(Variant("+-1").asDouble(), VariantConversionError);
}

TEST(VariantNumbers, EmptyConvertsToZeroButNullDoesNot) {
  EXPECT_EQ(Variant().asInt32(), 0);
  EXPECT_EQ(Variant().asText(), "");
  EXPECT_FALSE(Variant().asBoolean());
  try {
    (void)Variant::null().asInt32();
    FAIL() << "Null converted";
  } catch (const VariantConversionError& error) {
    EXPECT_STREQ(error.what(), "Could not convert variant of type (Null) into type (Integer)");
  }
  EXPECT_THROW((void)Variant::null().asText(), VariantConversionError);
}

TEST(VariantText, TextAndBytesAreCarriedUnchanged) {
  const std::string mixed = "\xe4\xb8\x80 e\xcc\x81 \xef\xa8\x8c";  // 一, e + combining acute, U+FA0C
  EXPECT_EQ(Variant(mixed).asText(), mixed);
  const ByteArray bytes{0x00, 0xFF, 0x41};
  EXPECT_EQ(Variant(bytes).asBytes(), bytes);
  EXPECT_EQ(Variant(bytes).asText(), std::string("\0\xff" "A", 3));
}

TEST(VariantText, NumbersAndBooleansAsText) {
  EXPECT_EQ(Variant(true).asText(), "True");
  EXPECT_EQ(Variant(-42).asText(), "-42");
  EXPECT_EQ(Variant(0.1 + 0.2).asText(), "0.3");
  EXPECT_EQ(Variant(automation::Currency{-12345}).asText(), "-1.2345");
  EXPECT_EQ(Variant(automation::Currency{50000}).asText(), "5");
  EXPECT_TRUE(Variant("TRUE").asBoolean());
  EXPECT_FALSE(Variant("false").asBoolean());
}

TEST(VariantDates, TextDatesAndBack) {
  EXPECT_DOUBLE_EQ(Variant("1899-12-30").asDate().days, 0.0);
  EXPECT_DOUBLE_EQ(Variant("1900-01-01 12:00").asDate().days, 2.5);
  EXPECT_EQ(Variant(automation::Date{2.5}).asText(), "1900-01-01 12:00:00");
  EXPECT_EQ(Variant(automation::Date{45322}).asText(), "2024-01-31");
  EXPECT_EQ(Variant(automation::Date{-1.25}).asText(), "1899-12-29 06:00:00");
  EXPECT_THROW((void)Variant("2024-13-01").asDate(), VariantConversionError);
  EXPECT_THROW((void)Variant("2024-01-01x").asDate(), VariantConversionError);
}

TEST(VariantInPlace, AssignTextReplacesAnyKind) {
  Variant value = 5;
  value.assignText("abc");
  EXPECT_EQ(value, Variant("abc"));
  value.assignText(std::string(40, 'x'));
  EXPECT_EQ(value.asText(), std::string(40, 'x'));
  value.assignNull();
  EXPECT_TRUE(value.isNull());
}
