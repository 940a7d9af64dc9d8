#include "export/export_line.h"

#include <gtest/gtest.h>

#include "platform/big5/big5.h"

namespace {

using exporting::buildExportText;
using exporting::ExportRecord;

const std::string F = "\xA1\x40";
const std::string H = " ";

std::string b5(const char* utf8) { return big5::fromUtf8(utf8); }

ExportRecord exampleRecord() {
  ExportRecord r;
  r.B5_Word = b5("一");
  r.Li_Chang_B = "0";
  r.Li_Chang = b5("客觀");
  r.Xian_Xiang_B = "0";
  r.Xian_Xiang = b5("抽象");
  r.Ren_Zhi_B = "0";
  r.Ren_Zhi = b5("定義");
  r.Si_Bei_B = "00";
  r.Si_Bei = b5("符號");
  r.XI_B_8 = "010";
  r.Gai_Nian = b5("數詞");
  r.Gai_Nian_Hex = "002H";
  r.CJ_Code = "M";
  return r;
}

TEST(ExportLine, ClassifiedRecordLaidOutInFixedColumns) {
  const std::string expected = F + b5("一") + F + "0" + H + b5("客觀") + F + "0" + H + b5("抽象") + F +
                               "0" + H + b5("定義") + F + "00" + b5("符號") + F + "010" + H +
                               b5("數詞") + F + "002H" + b5("數詞") + F + "m" + F + F + F + H;
  EXPECT_EQ(buildExportText(exampleRecord(), false), expected);
}

TEST(ExportLine, TitleLineComesFirstWithCrLfAndNoBreakAtTheEnd) {
  ExportRecord r = exampleRecord();
  r.CJ_Input = b5("一字");
  const auto text = buildExportText(r, true);
  ASSERT_TRUE(text.has_value());
  const std::string title = b5("選字　立場觀　現象族　認知類　四別屬　八種細目　基本概念　倉頡碼　基　因　定　義");
  EXPECT_EQ(text->substr(0, title.size() + 2), title + "\r\n");
  EXPECT_EQ(text->substr(title.size() + 2), *buildExportText(r, false));
  EXPECT_EQ(text->substr(text->size() - 4), b5("一字"));
}

TEST(ExportLine, CodeAndFillAlwaysTakeEightColumns) {
  ExportRecord r;
  const std::pair<const char*, std::string> cases[] = {
      {"A", "a" + F + F + F + H},     {"AB", "ab" + F + F + F}, {"ABC", "abc" + F + F + H},
      {"ABCD", "abcd" + F + F},       {"abcde", "abcde" + F + H},
  };
  for (const auto& [code, tail] : cases) {
    r.CJ_Code = code;
    const auto text = buildExportText(r, false);
    ASSERT_TRUE(text.has_value()) << code;
    EXPECT_EQ(text->substr(text->size() - tail.size()), tail) << code;
  }
}

TEST(ExportLine, CodeOfNoneOrMoreThanFiveBytesExportsNothing) {
  ExportRecord r = exampleRecord();
  r.CJ_Code = "";
  EXPECT_FALSE(buildExportText(r, false).has_value());
  EXPECT_FALSE(buildExportText(r, true).has_value());
  r.CJ_Code = "ABCDEF";
  EXPECT_FALSE(buildExportText(r, false).has_value());
  EXPECT_FALSE(buildExportText(r, true).has_value());
  r.CJ_Code = b5("日月金");  // six bytes although three characters
  EXPECT_FALSE(buildExportText(r, false).has_value());
}

TEST(ExportLine, UnclassifiedRecordShowsOnlyTheSeparators) {
  ExportRecord r;
  r.B5_Word = b5("中");
  r.CJ_Code = "L";
  const std::string expected = F + b5("中") + F + H + F + H + F + H + F + F + H + F + F + "l" + F + F + F + H;
  EXPECT_EQ(buildExportText(r, false), expected);
}

TEST(ExportLine, OnlyAsciiCapitalsAreLowered) {
  ExportRecord r;
  r.CJ_Code = b5("中") + "X";  // three bytes: the fill follows the byte length
  r.B5_Word = "\xA4\x41";      // a Big5 character whose trail byte is 'A'
  const auto text = buildExportText(r, false);
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find(std::string("\xA4\x41")), std::string::npos);  // B5_Word untouched
  EXPECT_NE(text->find(b5("中") + "x" + F + F + H), std::string::npos);
}

}  // namespace
