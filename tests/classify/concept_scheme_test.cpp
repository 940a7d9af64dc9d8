#include "classify/concept_scheme.h"
#include "classify/lookup_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace classify;

TEST(ConceptCodeForms, EdgeConceptsAsStored) {
  EXPECT_EQ(conceptHexText(0x0A), "00AH");
  EXPECT_EQ(conceptPositionText(0x0A), "010");
  EXPECT_EQ(conceptHexText(0xFF), "0FFH");
  EXPECT_EQ(conceptPositionText(0xFF), "111");
  EXPECT_EQ(conceptHexText(0x00), "000H");
  EXPECT_EQ(conceptPositionText(0x00), "000");
  EXPECT_EQ(conceptHexText(0x75), "075H");
  EXPECT_EQ(conceptPositionText(0x75), "101");
}

TEST(ConceptCodeForms, LevelCodesSpellTheCodeInBinary) {
  // 殺戮 (FF): 主觀, 行為, 經驗, 控制 → "1", "1", "1", "11", "111".
  EXPECT_EQ(bitText(0xFF, 7) + bitText(0xFF, 6) + bitText(0xFF, 5) + groupCodeText(0xFF) +
                conceptPositionText(0xFF),
            "11111111");
  // 代詞 (0A): 客觀, 抽象, 定義, 語法 → "0", "0", "0", "01", "010".
  EXPECT_EQ(bitText(0x0A, 7) + bitText(0x0A, 6) + bitText(0x0A, 5) + groupCodeText(0x0A) +
                conceptPositionText(0x0A),
            "00001010");
  for (int code = 0; code < 256; ++code) {
    const std::string bits = bitText(code, 7) + bitText(code, 6) + bitText(code, 5) +
                             groupCodeText(code) + conceptPositionText(code);
    ASSERT_EQ(std::stoi(bits, nullptr, 2), code);
    ASSERT_EQ(HexToInt(conceptHexText(code).substr(1, 2)), code);
  }
}

TEST(HexToIntConversion, ReadsHexWithOrWithoutDollarAndYieldsZeroOtherwise) {
  EXPECT_EQ(HexToInt("0A"), 10);
  EXPECT_EQ(HexToInt("$0A"), 10);
  EXPECT_EQ(HexToInt("ff"), 255);
  EXPECT_EQ(HexToInt(""), 0);
  EXPECT_EQ(HexToInt("G1"), 0);
  EXPECT_EQ(HexToInt("$"), 0);
  EXPECT_EQ(HexToInt("1$2"), 0);
  EXPECT_EQ(HexToInt("0000000A"), 10);
  EXPECT_EQ(HexToInt("00000000A"), 10);
  EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
  EXPECT_EQ(HexToInt("100000000"), 0);  // beyond 32 bits
  EXPECT_EQ(HexToInt(" 1"), 0);
}

TEST(IntToBinConversion, DigitsAreClampedAndLowBitsKept) {
  EXPECT_EQ(IntToBin(255, 3), "111");
  EXPECT_EQ(IntToBin(10, 3), "010");
  EXPECT_EQ(IntToBin(5, 0), "");
  EXPECT_EQ(IntToBin(5, -2), "");
  const std::string wide = IntToBin(1, 40);
  EXPECT_EQ(wide.size(), 32u);
  EXPECT_EQ(wide, std::string(31, '0') + "1");
  EXPECT_EQ(IntToBin(-1, 4), "1111");
}

TEST(SchemeNames, LevelsHoldTheirCountsOfDistinctTwoCharacterNames) {
  std::set<std::string_view> groups(kGroupNames.begin(), kGroupNames.end());
  EXPECT_EQ(groups.size(), 32u);
  std::set<std::string_view> concepts(kConceptNames.begin(), kConceptNames.end());
  EXPECT_EQ(concepts.size(), 256u);
  for (auto name : kConceptNames) EXPECT_EQ(name.size(), 6u) << name;  // two CJK characters in UTF-8
  EXPECT_EQ(kConceptNames[0x00], "類詞");
  EXPECT_EQ(kConceptNames[0x0A], "代詞");
  EXPECT_EQ(kConceptNames[0x75], "家具");
  EXPECT_EQ(kConceptNames[0xFF], "殺戮");
  EXPECT_EQ(*findGroup("控制"), 31);
  EXPECT_EQ(*findGroup("起居"), 14);
  EXPECT_FALSE(findGroup("居家").has_value());  // a heading of the reference table, not a group
  EXPECT_FALSE(findGroup("控制 ").has_value());
  EXPECT_EQ(*findClass("人造"), 3);
  EXPECT_EQ(*findFamily("行為"), 3);
  EXPECT_EQ(*findStance("主觀"), 1);
}

TEST(LookupColumns, NumberIsParentIndexPlusOneInTwoDigits) {
  EXPECT_EQ(familyColumn(0), "Xian_Xiang01");
  EXPECT_EQ(familyColumn(1), "Xian_Xiang02");
  EXPECT_EQ(classColumn(3), "Ren_Zhi04");
  EXPECT_EQ(groupColumn(7), "Si_Bei08");
  EXPECT_EQ(conceptColumn(0), "GN_01");
  EXPECT_EQ(conceptColumn(14), "GN_15");
  EXPECT_EQ(conceptColumn(31), "GN_32");
}

TEST(LookupContents, ColumnsListChildrenInCodeOrder) {
  const auto tables = lookupTableContents();
  ASSERT_EQ(tables.size(), 5u);
  auto column = [&](std::string_view table, std::string_view name) -> const LookupColumnContent& {
    for (const auto& t : tables)
      if (t.table == table)
        for (const auto& c : t.columns)
          if (c.column == name) return c;
    throw std::runtime_error("missing column " + std::string(name));
  };
  EXPECT_EQ(column("2_Xian_Xiang", "Xian_Xiang02").rows, (std::vector<std::string>{"認識", "行為"}));
  EXPECT_EQ(column("3_Ren_Zhi", "Ren_Zhi02").rows, (std::vector<std::string>{"本存", "人造"}));
  EXPECT_EQ(column("4_Si_Bei", "Si_Bei04").rows,
            (std::vector<std::string>{"食衣", "住行", "起居", "工作"}));
  EXPECT_EQ(column("5_GN", "GN_15").rows,
            (std::vector<std::string>{"食具", "炊具", "容具", "盛具", "用具", "家具", "飾具", "輔具"}));
  EXPECT_EQ(column("5_GN", "GN_32").rows.back(), "殺戮");
  for (const auto& t : tables)
    for (const auto& c : t.columns) EXPECT_EQ(static_cast<int>(c.rows.size()), t.rowCount) << c.column;
  EXPECT_EQ(column("4_Si_Bei", "Binary").rows, (std::vector<std::string>{"00", "01", "10", "11"}));
}

}  // namespace
