#include "platform/big5/big5.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// Big5 itself lists a few characters twice: among the radicals A2CC is 十
// (A451) and A2CE is 卅 (A4CA), and the ETEN box-drawing codes F9E9-F9EB and
// F9F9-F9FD repeat symbols of the A2 row. Unicode has one code point for
// each, so these decode correctly but are written back as the first code.
// Every ideograph of the two ideograph ranges is distinct and comes back.
TEST(Big5RoundTrip, EveryCodeOfCodePage950ComesBackByteForByte) {
  int mapped = 0;
  int ideographs = 0;
  std::set<std::string> seenUnicode;
  std::string duplicates;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail > 0x7E && trail < 0xA1) continue;
      const std::string code = bytes({lead, trail});
      const auto utf8 = [&]() -> std::optional<std::string> {
        try {
          return big5::toUtf8(code);
        } catch (const big5::ConversionError&) {
          return std::nullopt;
        }
      }();
      if (!utf8) continue;
      ++mapped;
      const int value = lead << 8 | trail;
      if ((value >= 0xA440 && value <= 0xC67E) || (value >= 0xC940 && value <= 0xF9D5)) ++ideographs;
      if ((value >= 0xA440 && value <= 0xC67E) || (value >= 0xC940 && value <= 0xF9D5)) {
        ASSERT_TRUE(seenUnicode.insert(*utf8).second) << std::hex << value;
      }
      if (big5::fromUtf8(*utf8) != code) {
        char name[8];
        std::snprintf(name, sizeof name, "%04X ", value);
        duplicates += name;
      }
    }
  }
  EXPECT_EQ(duplicates, "A2CC A2CE F9E9 F9EA F9EB F9F9 F9FA F9FB F9FC F9FD ");
  EXPECT_EQ(ideographs, 13053);
  EXPECT_GT(mapped, 13053);
}

TEST(Big5RoundTrip, CompatibilityIdeographIsNotMergedWithItsCanonicalForm) {
  EXPECT_EQ(big5::toUtf8(bytes({0xA4, 0x61})), "\u5140");
  EXPECT_EQ(big5::toUtf8(bytes({0xC9, 0x4A})), "\uFA0C");
  EXPECT_EQ(big5::fromUtf8("\uFA0C"), bytes({0xC9, 0x4A}));
  EXPECT_EQ(big5::fromUtf8("\u5140"), bytes({0xA4, 0x61}));
}

TEST(Big5RoundTrip, DivisionSlashIsA241) {
  EXPECT_EQ(big5::toUtf8(bytes({0xA2, 0x41})), "\u2215");
  EXPECT_EQ(big5::fromUtf8(" \u2215 "), " " + bytes({0xA2, 0x41}) + " ");
}

TEST(Big5RoundTrip, MixedAsciiAndChineseKeepOrder) {
  EXPECT_EQ(big5::fromUtf8("A中b"), "A" + bytes({0xA4, 0xA4}) + "b");
  EXPECT_EQ(big5::toUtf8("A" + bytes({0xA4, 0xA4}) + "b"), "A中b");
  EXPECT_EQ(big5::fromUtf8(""), "");
  EXPECT_EQ(big5::byteLength("中文ab"), 6u);
}

TEST(Big5Unmappable, SimplifiedOnlyCharacterIsRefusedWithItsOffset) {
  try {
    big5::fromUtf8("ab简c");
    FAIL() << "no exception";
  } catch (const big5::ConversionError& e) {
    EXPECT_EQ(e.offset(), 2u);
    EXPECT_STREQ(e.what(), "The character \"简\" cannot be stored in Big5 text");
  }
  EXPECT_FALSE(big5::tryFromUtf8("简").has_value());
  EXPECT_FALSE(big5::canEncode("中简"));
  EXPECT_TRUE(big5::canEncode("中文"));
  EXPECT_FALSE(big5::canEncode("\U0001F600"));
  EXPECT_THROW(big5::byteLength("😀"), big5::ConversionError);
}

TEST(Big5Unmappable, InvalidUtf8IsRefusedNotGuessed) {
  EXPECT_THROW(big5::fromUtf8(bytes({'a', 0xE4, 0xB8})), big5::ConversionError);
  EXPECT_THROW(big5::fromUtf8(bytes({0xFF})), big5::ConversionError);
}

TEST(Big5Unmappable, BytesThatAreNoBig5FailStrictlyAndShowLeniently) {
  EXPECT_THROW(big5::toUtf8(bytes({0xA4})), big5::ConversionError);         // lead byte alone
  EXPECT_THROW(big5::toUtf8(bytes({0xA4, 0x20})), big5::ConversionError);   // bad trail byte
  EXPECT_EQ(big5::toUtf8Lenient("a" + bytes({0xA4})), "a\uFFFD");
  EXPECT_EQ(big5::toUtf8Lenient(bytes({0xA4, 0xA4, 0xFF, 0xA4, 0xA4})), "中\uFFFD中");
}

TEST(Big5Cut, NeverSplitsADoubleByteCharacter) {
  const std::string zhongWen = big5::fromUtf8("中文");  // 4 bytes
  EXPECT_EQ(big5::cutToBytes(zhongWen, 4), zhongWen);
  EXPECT_EQ(big5::cutToBytes(zhongWen, 3), big5::fromUtf8("中"));
  EXPECT_EQ(big5::cutToBytes(zhongWen, 2), big5::fromUtf8("中"));
  EXPECT_EQ(big5::cutToBytes(zhongWen, 1), "");
  EXPECT_EQ(big5::cutToBytes(zhongWen, 0), "");
  const std::string mixed = big5::fromUtf8("a中b");
  EXPECT_EQ(big5::cutToBytes(mixed, 2), "a");
  EXPECT_EQ(big5::cutToBytes(mixed, 3), big5::fromUtf8("a中"));
}

TEST(Big5Cut, TrailByteThatLooksLikeALeadByteIsNotMistakenForOne) {
  // A4 A4 is one character; a cut that counted bytes from the end instead
  // of walking characters from the start would take the trail A4 as a lead.
  const std::string text = big5::fromUtf8("中中中");
  EXPECT_EQ(big5::cutToBytes(text, 5), big5::fromUtf8("中中"));
}

TEST(Big5Cut, Utf8TextIsMeasuredInBig5Bytes) {
  EXPECT_EQ(big5::cutUtf8ToBig5Bytes("ab中文", 5), "ab中");
  EXPECT_EQ(big5::cutUtf8ToBig5Bytes("中文", 8), "中文");
  EXPECT_THROW(big5::cutUtf8ToBig5Bytes("简", 8), big5::ConversionError);
}

}  // namespace

namespace {

std::string codePointUtf8(char32_t c) {
  std::string s;
  s.push_back(static_cast<char>(0xE0 | (c >> 12)));
  s.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
  s.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  return s;
}

}  // namespace

TEST(Big5UserDefined, RangeEndsMapAsWindowsCodePage950) {
  const struct { int lead, trail; char32_t codePoint; } ends[] = {
      {0xFA, 0x40, 0xE000}, {0xFE, 0xFE, 0xE310}, {0x8E, 0x40, 0xE311}, {0xA0, 0xFE, 0xEEB7},
      {0x81, 0x40, 0xEEB8}, {0x8D, 0xFE, 0xF6B0}, {0xC6, 0xA1, 0xF6B1}, {0xC8, 0xFE, 0xF848},
      {0xFA, 0x7E, 0xE03E}, {0xFA, 0xA1, 0xE03F}, {0xC7, 0x40, 0xF70F}};
  for (const auto& end : ends) {
    const std::string code = bytes({end.lead, end.trail});
    EXPECT_EQ(big5::toUtf8(code), codePointUtf8(end.codePoint)) << std::hex << end.lead << end.trail;
    EXPECT_EQ(big5::fromUtf8(codePointUtf8(end.codePoint)), code) << std::hex << static_cast<int>(end.codePoint);
  }
}

TEST(Big5UserDefined, FourRangesFillThePrivateUseAreaWithoutGapOrOverlap) {
  std::set<std::string> seen;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail > 0x7E && trail < 0xA1) continue;
      const int value = lead << 8 | trail;
      const bool eudc = (lead >= 0xFA) || (lead >= 0x8E && lead <= 0xA0) || lead <= 0x8D ||
                        (value >= 0xC6A1 && value <= 0xC8FE);
      if (!eudc) continue;
      const std::string code = bytes({lead, trail});
      const std::string utf8 = big5::toUtf8(code);
      ASSERT_TRUE(seen.insert(utf8).second) << std::hex << value;
      ASSERT_EQ(big5::fromUtf8(utf8), code) << std::hex << value;
    }
  }
  EXPECT_EQ(seen.size(), 0xF848u - 0xE000u + 1);
  EXPECT_EQ(*seen.begin(), codePointUtf8(0xE000));
  EXPECT_EQ(*seen.rbegin(), codePointUtf8(0xF848));
}

TEST(Big5UserDefined, MixedTextKeepsEveryByteAndOffsetsStayExact) {
  const std::string stored = "a" + bytes({0xFA, 0x40, 0xA4, 0xA4, 0x81, 0x40}) + "b" + bytes({0xC8, 0xFE});
  const std::string utf8 = big5::toUtf8(stored);
  EXPECT_EQ(utf8, "a" + codePointUtf8(0xE000) + "中" + codePointUtf8(0xEEB8) + "b" + codePointUtf8(0xF848));
  EXPECT_EQ(big5::fromUtf8(utf8), stored);
  EXPECT_EQ(big5::byteLength(utf8), stored.size());
  EXPECT_EQ(big5::cutUtf8ToBig5Bytes(utf8, 4), "a" + codePointUtf8(0xE000));

  // Damage after a user-defined character is still reported where it is.
  try {
    big5::toUtf8(bytes({0xFA, 0x40, 0xA4, 0xA4, 0xFF}));
    FAIL() << "no error";
  } catch (const big5::ConversionError& e) {
    EXPECT_EQ(e.offset(), 4u);
  }
  EXPECT_EQ(big5::toUtf8Lenient(bytes({0xFA, 0x40, 0xFF, 0xFE, 0xFE})),
            codePointUtf8(0xE000) + "\uFFFD" + codePointUtf8(0xE310));
}

TEST(Big5UserDefined, PrivateUseOutsideTheRangesIsRefused) {
  EXPECT_THROW(big5::fromUtf8(codePointUtf8(0xF849)), big5::ConversionError);
  EXPECT_THROW(big5::fromUtf8(codePointUtf8(0xF8FF)), big5::ConversionError);
  EXPECT_EQ(big5::fromUtf8("x" + codePointUtf8(0xE001)), "x" + bytes({0xFA, 0x41}));
}
