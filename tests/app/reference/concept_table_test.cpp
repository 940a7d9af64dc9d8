// The concept table: its frame of title, headings and concept lines, the
// quoted lines, the annotations' shape, and that it is Big5 text laid out
// one cell per Big5 byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/reference/reference_texts.h"
#include "app/reference/text_cells.h"
#include "classify/concept_scheme.h"
#include "platform/big5/big5.h"
#include "tests/app/reference/text_helpers.h"

namespace {

using reference::decodeUtf8;
using namespace reference::testing;

static_assert(sizeof(wchar_t) == sizeof(char32_t), "the annotation patterns match UTF-32 text");

const std::vector<std::string_view>& table() {
  static const std::vector<std::string_view> lines = reference::splitLines(reference::conceptTable());
  return lines;
}

// Line index (0-based) of the heading of group g and of the concept line of code c.
std::size_t headingLine(int g) { return 2 + 10 * static_cast<std::size_t>(g); }
std::size_t conceptLine(int code) { return headingLine(code / 8) + 1 + code % 8; }

std::string hex(int code) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", code);
  return text;
}

std::string fullWidthCode(int code) {
  static const char* const kDigits[] = {"０", "１", "２", "３", "４", "５", "６", "７",
                                        "８", "９", "Ａ", "Ｂ", "Ｃ", "Ｄ", "Ｅ", "Ｆ"};
  return std::string(kDigits[code / 16]) + kDigits[code % 16];
}

const char* const kHeadings[32] = {
    "　　0客觀－0抽象族－0定義類－00符號屬：意識層次。無〔體形能〕",
    "　　0客觀－0抽象族－0定義類－01語法屬：意識層次。無〔體形能〕",
    "　　0客觀－0抽象族－0定義類－10根源屬：基本概念，總綱領。可知",
    "　　0客觀－0抽象族－0定義類－11現象屬：皆〔可感〕═能量層次",
    "　　0客觀－0抽象族－1應用類－00規範屬：〔因═需要分辨〕",
    "　　0客觀－0抽象族－1應用類－01人際屬：無〔體形能〕",
    "　　0客觀－0抽象族－1應用類－10資訊屬：〔因═生活需要〕。",
    "　　0客觀－0抽象族－1應用類－11意義屬：〔因═生活經驗〕",
    "　　0客觀－1具象族－0本存類－00本體屬：〔因═能量變化〕═物質層次。",
    "　　0客觀－1具象族－0本存類－01肢體屬：字首〔因═分工〕═生命層次。",
    "　　0客觀－1具象族－0本存類－10植物屬：首〔因═光合作用〕═生命層次。",
    "　　0客觀－1具象族－0本存類－11動物屬：字首〔因═能動之生物〕═本能層次。",
    "　　0客觀－1具象族－1人造類－00食衣屬：字首〔因═需要〕═經驗層次",
    "　　0客觀－1具象族－1人造類－01住行屬：〔因═生活需要〕═經驗層次。",
    "　　0客觀－1具象族－1人造類－10居家屬：〔因═生活需要〕═學習層次。",
    "　　0客觀－1具象族－1人造類－11工作屬：〔因═工作需要〕═學習層次。",
    "　　1主觀－0認識族－0感知類－00刺激屬：字首〔因═自然狀況〕═生命層次",
    "　　1主觀－0認識族－0感知類－01感覺屬：字首〔因═刺激－感覺〕═本能層次",
    "　　1主觀－0認識族－0感知類－10心緒屬：字首〔因═刺激－反應〕═經驗層次",
    "　　1主觀－0認識族－0感知類－11認知屬：〔因═心緒表現〕═經驗層次。",
    "　　1主觀－0認識族－1狀態類－00化態屬：〔因═能量作用〕═經驗層次。",
    "　　1主觀－0認識族－1狀態類－01動態屬：〔因═力之作用〕═生命層次",
    "　　1主觀－0認識族－1狀態類－10界態屬：〔因═相互作用〕═經驗層次。",
    "　　1主觀－0認識族－1狀態類－11知態屬：〔因═事物變化〕═經驗層次",
    "　　1主觀－1行為族－0能力類－00官能屬：字首－器官〔因═功能═效應〕═本能層次",
    "　　1主觀－1行為族－0能力類－01體能屬：字首分類－部位〔體═功能，用═力〕═本能層次",
    "　　1主觀－1行為族－0能力類－10動作屬：字首分類－部位〔體═手，用═動作〕═經驗層次。",
    "　　1主觀－1行為族－0能力類－11智能屬：〔因═意識〕═意識層次。",
    "　　1主觀－1行為族－1經驗類－00生活屬：字首：介質〔因═生活需求〕　═經驗層次",
    "　　1主觀－1行為族－1經驗類－01　溝通屬：〔因═一己需求〕═意識層次。",
    "　　1主觀－1行為族－1經驗類－10行為屬：〔因═團體利益〕═意識層次。",
    "　　1主觀－1行為族－1經驗類－11控制屬：〔因═人之意志〕═意識層次",
};

const std::map<int, std::string> kQuotedLines = {
    {0x00, "００類詞"},
    {0x08, "０８意詞"},
    {0x10, "１０本源：〔體═宇宙〕〔用═知識〕〔有性質，無形體數量，可知事物理法〕"},
    {0x18, "１８景象：〔體═環境〕〔用═視觸覺　〕〔可知時理法〕"},
    {0x62, "６２佐食：〔體═物質〕〔用═助食〕〔性質〕〔可知地物理法〕"},
    {0x80, "８０光狀：〔因－能量，果－見光〕〔體═光，用═辨識〕〔可知事物〕"},
    {0xA8, "Ａ８轉動：〔因－角動量，果－轉動〕〔體═物體，用═中軸〕〔可知事地物理〕"},
    {0xFF, "ＦＦ殺戮：〔因－目的，果－死亡〕〔體═生命，用═武力〕〔可知人事時地物情理法〕"},
};

TEST(ConceptTable, Has321LinesEndingWithTheLastConcept) {
  ASSERT_EQ(table().size(), 321u);
  EXPECT_EQ(static_cast<int>(table().size()), reference::kConceptTableLineCount);
  EXPECT_EQ(table().back(), kQuotedLines.at(0xFF));
  EXPECT_FALSE(reference::conceptTable().ends_with('\n')) << "no line break after the last line";
}

TEST(ConceptTable, IsTitleEmptyLineAndThirtyTwoBlocks) {
  ASSERT_EQ(table().size(), 321u);
  EXPECT_EQ(table()[0], "２５６類概念分類表：");
  EXPECT_EQ(table()[1], "");
  for (int g = 0; g < 32; ++g) {
    EXPECT_EQ(table()[headingLine(g)], kHeadings[g]) << "group " << g;
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(table()[conceptLine(8 * g + i)].empty());
    if (g < 31) {
      EXPECT_EQ(table()[headingLine(g) + 9], "") << "after group " << g;
    }
  }
  EXPECT_EQ(std::count(table().begin(), table().end(), std::string_view()), 32);
}

// The headings spell the scheme's codes and names, except the three groups
// that the table names differently from the classification lists.
TEST(ConceptTable, HeadingsFollowTheScheme) {
  const std::map<int, std::string> renamed = {{14, "居家"}, {26, "動作"}, {30, "行為"}};
  for (int g = 0; g < 32; ++g) {
    const int code = 8 * g;
    const std::string group = renamed.count(g) ? renamed.at(g) : std::string(classify::kGroupNames[g]);
    const std::string expected = "　　" + classify::bitText(code, 7) + std::string(classify::kStanceNames[code / 128]) +
                                 "－" + classify::bitText(code, 6) + std::string(classify::kFamilyNames[code / 64]) +
                                 "族－" + classify::bitText(code, 5) + std::string(classify::kClassNames[code / 32]) +
                                 "類－" + classify::groupCodeText(code) + (g == 29 ? "　" : "") + group + "屬：";
    EXPECT_EQ(table()[headingLine(g)].substr(0, expected.size()), expected) << "group " << g;
  }
  EXPECT_NE(classify::kGroupNames[14], "居家");
  EXPECT_NE(classify::kGroupNames[26], "動作");
  EXPECT_NE(classify::kGroupNames[30], "行為");
}

TEST(ConceptTable, ConceptLinesStartWithFullWidthCodeAndSchemeName) {
  for (int code = 0; code < 256; ++code) {
    const std::string_view line = table()[conceptLine(code)];
    const std::string prefix = fullWidthCode(code) + std::string(classify::kConceptNames[code]);
    ASSERT_GE(line.size(), prefix.size()) << "code " << hex(code);
    EXPECT_EQ(line.substr(0, prefix.size()), prefix) << "code " << hex(code);
    if (code < 0x10) {
      EXPECT_EQ(line.size(), prefix.size()) << "codes 00 to 0F carry no annotation";
    } else {
      EXPECT_EQ(line.substr(prefix.size(), 3), "：") << "code " << hex(code);
    }
  }
}

TEST(ConceptTable, QuotedLinesAreExact) {
  for (const auto& [code, line] : kQuotedLines) EXPECT_EQ(table()[conceptLine(code)], line) << "code " << hex(code);
}

// 10 to 7F: substance, use, optional notes (such as 〔性質〕), what can be
// known; 80 to FF: cause and effect, substance and use, what can be known.
// What can be known is a selection of 人事時地物情理法 in that order.
TEST(ConceptTable, EveryAnnotationHasItsShape) {
  const std::wregex objective(
      LR"(：〔體═([^〔〕]+)〕〔用═([^〔〕]+)〕(?:〔(?!可知)[^〔〕═－：]+〕)*〔可知([人事時地物情理法]+)〕)");
  const std::wregex subjective(
      LR"(：〔因－([^〔〕，]+)，果－([^〔〕，]+)〕〔體═([^〔〕，]+)，用═([^〔〕，]+)〕〔可知([人事時地物情理法]+)〕)");
  const std::wstring order = L"人事時地物情理法";
  for (int code = 0x11; code <= 0xFE; ++code) {
    const std::u32string line = decodeUtf8(table()[conceptLine(code)]);
    const std::wstring annotation(line.begin() + 4, line.end());
    std::wsmatch match;
    const bool shaped = std::regex_match(annotation, match, code < 0x80 ? objective : subjective);
    EXPECT_TRUE(shaped) << "code " << hex(code) << ": " << table()[conceptLine(code)];
    if (!shaped) continue;
    const std::wstring known = match[match.size() - 1].str();
    std::size_t last = 0;
    for (std::size_t i = 0; i < known.size(); ++i) {
      const std::size_t at = order.find(known[i]);
      EXPECT_TRUE(i == 0 || at > last) << "code " << hex(code) << ": 可知 out of order or repeated";
      last = at;
    }
  }
}

TEST(ConceptTable, AnnotationsAreAllDifferent) {
  std::set<std::string_view> seen;
  for (int code = 0x10; code <= 0xFF; ++code) {
    const std::string_view line = table()[conceptLine(code)];
    EXPECT_TRUE(seen.insert(line.substr(line.find("："))).second) << "code " << hex(code) << " repeats an annotation";
  }
}

// Every character exists in Big5, and every line takes as many cells as it
// has Big5 bytes: the pane's cell rule is the Big5 byte count.
TEST(ReferenceTexts, AreBig5TextWithOneCellPerByte) {
  for (std::string_view text : {reference::conceptTree(), reference::conceptTable()}) {
    EXPECT_TRUE(big5::canEncode(text));
    for (std::string_view line : reference::splitLines(text))
      EXPECT_EQ(big5::byteLength(line), static_cast<std::size_t>(reference::cellsOf(decodeUtf8(line)))) << line;
    EXPECT_EQ(text.find('\r'), std::string_view::npos);
    EXPECT_EQ(text.find('\t'), std::string_view::npos);
  }
}

}  // namespace
