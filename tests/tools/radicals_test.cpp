// Radicals: the Unihan radical-stroke values, the radical list, and the
// code page 950 form a record can hold.
#include <gtest/gtest.h>

#include "tests/tools/test_files.h"
#include "tools/dbbuild/data_source_error.h"
#include "tools/dbbuild/kangxi_radicals.h"
#include "tools/dbbuild/text_line_reader.h"
#include "tools/dbbuild/unihan_data.h"

namespace dbbuild {
namespace {

using testing::TempFolder;

const std::string kUnihanSample =
    "#\n# Unihan_IRGSources.txt\n#\n"
    "U+4E00\tkIRG_GSource\tG0-523B\n"
    "U+4E00\tkRSUnicode\t1.0\n"
    "U+4E2D\tkRSUnicode\t2.3\n"
    "U+4E2D\tkTotalStrokes\t4\n"
    "U+5140\tkRSUnicode\t10.1\n"
    "U+8FD9\tkRSUnicode\t162'.4\n"
    "U+4040\tkRSUnicode\t109.7 72.8\n"
    "U+FA0C\tkCompatibilityVariant\tU+5140\n"
    "U+FA0C\tkRSUnicode\t10.1\n"
    "U+20000\tkRSUnicode\t1.1\r\n"
    "U+2A6D6\tkRSUnicode\t214.15";  // no line end after the last line

TEST(RadicalNumberTest, FirstValueNumberBeforeTheDot) {
  EXPECT_EQ(UnihanData::parseRadicalNumber("1.0"), 1);
  EXPECT_EQ(UnihanData::parseRadicalNumber("214.15"), 214);
  EXPECT_EQ(UnihanData::parseRadicalNumber("109.7 72.8"), 109);
  EXPECT_EQ(UnihanData::parseRadicalNumber("162'.4"), 162);
  EXPECT_EQ(UnihanData::parseRadicalNumber("120''.3"), 120);
  EXPECT_EQ(UnihanData::parseRadicalNumber("85.-1"), 85);
}

TEST(RadicalNumberTest, RejectsWhatIsNoRadicalNumber) {
  for (std::string_view bad : {"", "12", ".5", "0.3", "215.1", "1234.1", "x.1", "'.1", " 1.0"})
    EXPECT_FALSE(UnihanData::parseRadicalNumber(bad)) << bad;
}

void expectSample(const UnihanData& data) {
  EXPECT_EQ(data.radicalNumber(U'\u4E00'), 1);
  EXPECT_EQ(data.radicalNumber(U'\u4E2D'), 2);
  EXPECT_EQ(data.radicalNumber(U'\u8FD9'), 162);
  EXPECT_EQ(data.radicalNumber(U'\u4040'), 109);
  EXPECT_EQ(data.radicalNumber(U'\U00020000'), 1);
  EXPECT_EQ(data.radicalNumber(U'\U0002A6D6'), 214);
  EXPECT_FALSE(data.radicalNumber(U'\u4E01'));
  EXPECT_EQ(data.compatibilityVariant(U'\uFA0C'), U'\u5140');
  EXPECT_FALSE(data.compatibilityVariant(U'\u5140'));
}

TEST(UnihanDataTest, ReadsPlainAndBzip2Files) {
  TempFolder folder;
  testing::writeText(folder / "plain.txt", kUnihanSample);
  expectSample(UnihanData::load(folder / "plain.txt"));
  // The compressed form is recognised by its content, whatever the name.
  testing::writeBzip2(folder / "packed.txt", kUnihanSample);
  expectSample(UnihanData::load(folder / "packed.txt"));
}

TEST(UnihanDataTest, RefusesBrokenOrForeignFiles) {
  TempFolder folder;
  EXPECT_THROW(UnihanData::load(folder / "missing.txt.bz2"), DataSourceError);

  testing::writeText(folder / "columns.txt", "U+4E00 kRSUnicode 1.0\n");
  EXPECT_THROW(UnihanData::load(folder / "columns.txt"), DataSourceError);
  // Another Unihan file: well-formed, but without radical data.
  testing::writeText(folder / "readings.txt", "U+4E00\tkMandarin\tyī\n");
  EXPECT_THROW(UnihanData::load(folder / "readings.txt"), DataSourceError);

  testing::writeBzip2(folder / "cut.bz2", kUnihanSample + kUnihanSample);
  const auto size = std::filesystem::file_size(folder / "cut.bz2");
  std::filesystem::resize_file(folder / "cut.bz2", size / 2);
  EXPECT_THROW(UnihanData::load(folder / "cut.bz2"), DataSourceError);
}

TEST(TextLineReaderTest, LongCompressedTextComesBackLineByLine) {
  // Far more than one read chunk, so lines cross the chunk borders.
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "line " + std::to_string(i) + "\n";
  TempFolder folder;
  testing::writeBzip2(folder / "long.bz2", text);
  TextLineReader reader(folder / "long.bz2");
  std::string line;
  int count = 0;
  while (reader.next(line)) {
    ASSERT_EQ(line, "line " + std::to_string(count));
    ++count;
  }
  EXPECT_EQ(count, 40000);
}

TEST(KangxiRadicalsTest, ReadsTheUnifiedIdeographOfEachRadical) {
  TempFolder folder;
  testing::writeText(folder / "CJKRadicals.txt", testing::radicalListText());
  const KangxiRadicals radicals = KangxiRadicals::load(folder / "CJKRadicals.txt");
  EXPECT_EQ(radicals.ideograph(1), U'一');
  EXPECT_EQ(radicals.ideograph(2), U'丨');
  // The simplified form 162' (U+8FB6) follows 162 in the file and must not replace it.
  EXPECT_EQ(radicals.ideograph(162), U'辵');
  EXPECT_FALSE(radicals.ideograph(0));
  EXPECT_FALSE(radicals.ideograph(215));
}

TEST(KangxiRadicalsTest, RefusesIncompleteLists) {
  TempFolder folder;
  std::string text = testing::radicalListText();
  const std::size_t row = text.find("\n100;");
  const std::size_t end = text.find('\n', row + 1);
  testing::writeText(folder / "gap.txt", text.substr(0, row) + text.substr(end));
  EXPECT_THROW(KangxiRadicals::load(folder / "gap.txt"), DataSourceError);
  testing::writeText(folder / "range.txt", testing::radicalListText() + "215; 2FD6; 9F9F\n");
  EXPECT_THROW(KangxiRadicals::load(folder / "range.txt"), DataSourceError);
}

TEST(RadicalWordTest, CodePage950FormOrSubstituteOrNothing) {
  const RadicalWord one = radicalWord(1, U'一');
  EXPECT_EQ(one.text, "一");
  EXPECT_FALSE(one.substituted);

  EXPECT_EQ(radicalWord(174, U'靑').text, "青");
  EXPECT_TRUE(radicalWord(174, U'靑').substituted);
  EXPECT_EQ(radicalWord(171, U'隶').text, "隸");
  EXPECT_EQ(radicalWord(71, U'无').text, "旡");

  for (auto [number, ideograph] : {std::pair{2, U'丨'}, {104, U'疒'}, {162, U'辵'}, {40, U'宀'}}) {
    const RadicalWord word = radicalWord(number, ideograph);
    EXPECT_FALSE(word.text) << number;
    EXPECT_FALSE(word.substituted) << number;
  }
  // A radical that code page 950 holds keeps its own form even where a substitute is known.
  EXPECT_EQ(radicalWord(174, U'青').text, "青");
  EXPECT_FALSE(radicalWord(174, U'青').substituted);
  EXPECT_FALSE(substituteRadicalForm(1));
}

}  // namespace
}  // namespace dbbuild
