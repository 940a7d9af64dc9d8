// The list of Big5 ideographs and the records assembled from them.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tools/test_files.h"
#include "tools/dbbuild/big5_ideographs.h"
#include "tools/dbbuild/character_records.h"

namespace dbbuild {
namespace {

using testing::TempFolder;

TEST(Big5IdeographCodesTest, TwoBlocksInCodeOrder) {
  const std::vector<std::uint16_t> codes = big5IdeographCodes();
  // 5401 frequently used and 7652 less frequently used ideographs.
  ASSERT_EQ(codes.size(), 13053u);
  EXPECT_EQ(codes.front(), 0xA440);
  EXPECT_EQ(codes.back(), 0xF9D5);
  EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
  EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end());
  for (std::uint16_t code : codes) ASSERT_TRUE(isBig5TrailByte(code & 0xFF)) << std::hex << code;
  EXPECT_TRUE(std::binary_search(codes.begin(), codes.end(), 0xC67E));
  EXPECT_TRUE(std::binary_search(codes.begin(), codes.end(), 0xC940));
  EXPECT_EQ(std::count_if(codes.begin(), codes.end(), [](auto c) { return c > 0xC67E && c < 0xC940; }), 0);
  EXPECT_FALSE(std::binary_search(codes.begin(), codes.end(), 0xA47F));
  EXPECT_FALSE(std::binary_search(codes.begin(), codes.end(), 0xA4A0));
  EXPECT_EQ(big5HexText(0xf9d5), "F9D5");
  EXPECT_EQ(big5HexText(0x00AB), "00AB");
}

TEST(Big5EnumerationTest, UnmappableCodesAreSkippedAndListed) {
  const Big5Enumeration result = enumerateBig5Ideographs([](std::string_view bytes) -> std::optional<std::string> {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const auto trail = static_cast<unsigned char>(bytes[1]);
    if (lead == 0xA4 && trail == 0x41) return std::nullopt;  // no character
    if (lead == 0xA4 && trail == 0x42) return "ab";           // two characters
    if (lead == 0xA4 && trail == 0x43) return "";             // nothing
    return "\xE4\xB8\x80";
  });
  EXPECT_EQ(result.ideographs.size(), 13050u);
  EXPECT_EQ(result.unmapped, (std::vector<std::uint16_t>{0xA441, 0xA442, 0xA443}));
  EXPECT_EQ(result.ideographs[0].code, 0xA440);
  EXPECT_EQ(result.ideographs[1].code, 0xA444);
}

TEST(Big5EnumerationTest, CodePage950MapsEveryIdeograph) {
  const Big5Enumeration result = enumerateBig5Ideographs();
  EXPECT_TRUE(result.unmapped.empty());
  ASSERT_EQ(result.ideographs.size(), 13053u);
  EXPECT_EQ(result.ideographs.front().utf8, "一");
  EXPECT_EQ(result.ideographs.back().utf8, "龘");
  const auto at = [&](std::uint16_t code) {
    const auto found = std::find_if(result.ideographs.begin(), result.ideographs.end(),
                                    [&](const Big5Ideograph& i) { return i.code == code; });
    return found == result.ideographs.end() ? std::string() : found->utf8;
  };
  EXPECT_EQ(at(0xA4A4), "中");
  EXPECT_EQ(at(0xA461), "\u5140");
  // The compatibility ideographs keep their own code points, unnormalised.
  EXPECT_EQ(at(0xC94A), "\uFA0C");
  EXPECT_EQ(at(0xDDFC), "\uFA0D");
}

// Records from small data sources: the assembly joins the right pieces and counts honestly.
class RecordAssemblyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::writeCangjieDatabase(folder_ / "5.db", {{"m", "一"},
                                                     {"l", "中"},
                                                     {"xl", "中"},
                                                     {"mu", "\u5140"},
                                                     {"qmb", "青"},
                                                     {"hgr", "青"},
                                                     {"ykg", "這"}});
    testing::writeCangjieDatabase(folder_ / "3.db", {{"hgr", "青"}});
    testing::writeText(folder_ / "unihan.txt",
                       "U+4E00\tkRSUnicode\t1.0\n"
                       "U+4E2D\tkRSUnicode\t2.3\n"
                       "U+9752\tkRSUnicode\t174.0\n"
                       "U+9019\tkRSUnicode\t162.7\n"
                       "U+FA0C\tkCompatibilityVariant\tU+5140\n"
                       "U+5140\tkRSUnicode\t10.1\n");
    testing::writeText(folder_ / "radicals.txt", testing::radicalListText());
    five_ = CangjieTable::load(folder_ / "5.db");
    three_ = CangjieTable::load(folder_ / "3.db");
    unihan_.emplace(UnihanData::load(folder_ / "unihan.txt"));
    radicals_.emplace(KangxiRadicals::load(folder_ / "radicals.txt"));
  }

  std::vector<CharacterRecord> assemble(const std::vector<Big5Ideograph>& ideographs) {
    return assembleRecords(ideographs, {five_, three_, *unihan_, *radicals_}, statistics_);
  }

  TempFolder folder_;
  CangjieTable five_, three_;
  std::optional<UnihanData> unihan_;
  std::optional<KangxiRadicals> radicals_;
  RecordStatistics statistics_;
};

TEST_F(RecordAssemblyTest, FieldsAndCounts) {
  const auto records = assemble({{0xA440, "一"}, {0xA4A4, "中"}, {0xAB43, "青"}, {0xB36F, "這"},
                                 {0xC94A, "\uFA0C"}, {0xA4A1, "丑"}});
  ASSERT_EQ(records.size(), 6u);

  EXPECT_EQ(records[0].word, "一");
  EXPECT_EQ(records[0].hex, "A440");
  EXPECT_EQ(records[0].cangjieCode, "M");
  EXPECT_EQ(records[0].cangjieNames, "一");
  EXPECT_EQ(records[0].radical, "一");

  // 丨 has no code page 950 form and no substitute: the field stays empty.
  EXPECT_EQ(records[1].cangjieCode, "L");
  EXPECT_EQ(records[1].cangjieNames, "中");
  EXPECT_FALSE(records[1].radical);

  EXPECT_EQ(records[2].cangjieCode, "HGR");
  EXPECT_EQ(records[2].cangjieNames, "竹土口");
  EXPECT_EQ(records[2].radical, "青");

  EXPECT_EQ(records[3].cangjieCode, "YKG");
  EXPECT_FALSE(records[3].radical);

  EXPECT_EQ(records[4].word, "\uFA0C");
  EXPECT_EQ(records[4].hex, "C94A");
  EXPECT_EQ(records[4].cangjieCode, "MU");
  EXPECT_EQ(records[4].radical, "儿");  // radical 10, from its own kRSUnicode

  EXPECT_EQ(records[5].word, "丑");
  EXPECT_FALSE(records[5].cangjieCode);
  EXPECT_FALSE(records[5].cangjieNames);
  EXPECT_FALSE(records[5].radical);

  EXPECT_EQ(statistics_.records, 6u);
  EXPECT_EQ(statistics_.listedWithSeveralCodes, 2u); // 中 and 青
  EXPECT_EQ(statistics_.withSeveralCodes, 1u);       // 青; 中's escape does not count
  EXPECT_EQ(statistics_.withoutCode, 1u);            // 丑
  EXPECT_EQ(statistics_.codeFromCanonicalForm, 1u);  // U+FA0C
  EXPECT_EQ(statistics_.withoutRadicalValue, 1u);    // 丑
  EXPECT_EQ(statistics_.withoutRadicalWord, 2u);     // 中 (丨), 這 (辵)
  EXPECT_EQ(statistics_.radicalSubstituted, 1u);     // 青 for 靑
  // In the test list only 丨, 无, 疒, 辵, 隶 and 靑 lack a code page 950 form.
  EXPECT_EQ(statistics_.radicalsWithoutBig5Form, 6u);
  EXPECT_EQ(statistics_.radicalsWithSubstitute, 3u);
}

}  // namespace
}  // namespace dbbuild
