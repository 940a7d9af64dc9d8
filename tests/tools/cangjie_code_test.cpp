// The Cangjie side of the builder: reading ibus-table databases and the rule
// that picks the one code a record shows.
#include <gtest/gtest.h>

#include "tests/tools/test_files.h"
#include "tools/dbbuild/cangjie_code.h"
#include "tools/dbbuild/cangjie_table.h"
#include "tools/dbbuild/data_source_error.h"

namespace dbbuild {
namespace {

using testing::CangjieEntries;
using testing::TempFolder;

CangjieTable tableFrom(const TempFolder& folder, const std::string& name, const CangjieEntries& entries) {
  testing::writeCangjieDatabase(folder / name, entries);
  return CangjieTable::load(folder / name);
}

std::optional<std::string> chosen(const CangjieTable& five, const CangjieTable& three, const std::string& ch,
                                  std::optional<std::string_view> canonical = std::nullopt) {
  const auto choice = chooseCangjieCode(five, three, ch, canonical);
  if (!choice) return std::nullopt;
  return choice->code;
}

TEST(CangjieTableTest, KeepsOnlySingleCharactersWithLetterCodes) {
  TempFolder folder;
  const CangjieTable table = tableFrom(folder, "t.db",
                                       {{",", "，"},          // a punctuation key
                                        {"mm", "二"},
                                        {"mmmm", "二二"},     // a phrase
                                        {"MM", "二"},         // the same code again, other case
                                        {"xmm", "二"},
                                        {"", "三"}});
  EXPECT_EQ(table.codesOf("二"), (std::vector<std::string>{"mm", "xmm"}));
  EXPECT_TRUE(table.codesOf("，").empty());
  EXPECT_TRUE(table.codesOf("二二").empty());
  EXPECT_TRUE(table.codesOf("三").empty());
  EXPECT_EQ(table.characterCount(), 1u);
}

TEST(CangjieTableTest, RefusesFilesThatAreNoIbusTable) {
  TempFolder folder;
  EXPECT_THROW(CangjieTable::load(folder / "missing.db"), DataSourceError);
  EXPECT_THROW(CangjieTable::load(folder.path()), DataSourceError);

  testing::writeText(folder / "text.db", "this is not a database at all, just some text\n");
  EXPECT_THROW(CangjieTable::load(folder / "text.db"), DataSourceError);

  // An SQLite file of another layout: the message says what is missing.
  testing::executeSql(folder / "other.db", "CREATE TABLE phrases (id INTEGER, keys TEXT, phrase TEXT);");
  try {
    CangjieTable::load(folder / "other.db");
    FAIL() << "a file without the tabkeys column was accepted";
  } catch (const DataSourceError& e) {
    EXPECT_NE(std::string(e.what()).find("tabkeys"), std::string::npos) << e.what();
  }
}

TEST(CangjieCodeChoiceTest, CollisionEscapesAreNeverChosen) {
  TempFolder folder;
  // The escape is listed first, is shorter and is the Cangjie 3 code: none of that counts.
  const CangjieTable five = tableFrom(folder, "5.db", {{"xa", "曰"}, {"amj", "曰"}, {"xab", "冐"}});
  const CangjieTable three = tableFrom(folder, "3.db", {{"xa", "曰"}});
  const auto choice = chooseCangjieCode(five, three, "曰", std::nullopt);
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->code, "AMJ");
  EXPECT_FALSE(choice->fromCanonicalForm);
  EXPECT_EQ(choice->listed, 2u);
  EXPECT_EQ(choice->candidates, 1u);
  // A character with escapes only has no code.
  EXPECT_FALSE(chosen(five, three, "冐"));
}

// "ab" is a Cangjie 3 code, but of another character: it must not count for 甲.
TEST(CangjieCodeChoiceTest, CangjieThreeAgreementBeatsLength) {
  TempFolder folder;
  const CangjieTable five = tableFrom(folder, "5.db", {{"ab", "甲"}, {"abcde", "甲"}, {"abc", "甲"}});
  const CangjieTable three = tableFrom(folder, "3.db", {{"abcde", "甲"}, {"ab", "乙"}});
  EXPECT_EQ(chosen(five, three, "甲"), "ABCDE");
}

TEST(CangjieCodeChoiceTest, ShortestThenAlphabeticalNotEntryOrder) {
  TempFolder folder;
  const CangjieTable five =
      tableFrom(folder, "5.db", {{"yrk", "丙"}, {"hrk", "丙"}, {"yr", "丙"}, {"zzz", "丁"}, {"bcd", "丁"}});
  const CangjieTable noThree = tableFrom(folder, "3.db", {});
  EXPECT_EQ(chosen(five, noThree, "丙"), "YR");
  EXPECT_EQ(chosen(five, noThree, "丁"), "BCD");

  // Among several Cangjie 3 agreements the shorter and then the earlier letter win too.
  const CangjieTable three = tableFrom(folder, "3b.db", {{"yrk", "丙"}, {"hrk", "丙"}});
  EXPECT_EQ(chosen(five, three, "丙"), "HRK");
}

TEST(CangjieCodeChoiceTest, CompatibilityIdeographsUseTheirCanonicalForm) {
  TempFolder folder;
  // C94A is U+FA0C and DDFC is U+FA0D; the table lists only U+5140 and U+55C0.
  const CangjieTable five = tableFrom(folder, "5.db", {{"mu", "\u5140"}, {"grhne", "\u55C0"}, {"gg", "\u55C0"}});
  const CangjieTable three = tableFrom(folder, "3.db", {{"grhne", "\u55C0"}});

  const auto wu = chooseCangjieCode(five, three, "\uFA0C", std::string_view("\u5140"));
  ASSERT_TRUE(wu);
  EXPECT_EQ(wu->code, "MU");
  EXPECT_TRUE(wu->fromCanonicalForm);
  // The Cangjie 3 preference is looked up under the same canonical form.
  EXPECT_EQ(chosen(five, three, "\uFA0D", std::string_view("\u55C0")), "GRHNE");
  // Without the canonical form there is nothing to find.
  EXPECT_FALSE(chosen(five, three, "\uFA0C"));
}

TEST(CangjieCodeChoiceTest, OwnCodesComeBeforeTheCanonicalForm) {
  TempFolder folder;
  const CangjieTable five = tableFrom(folder, "5.db", {{"abc", "\uFA0C"}, {"mu", "\u5140"}});
  const CangjieTable three = tableFrom(folder, "3.db", {{"mu", "\u5140"}});
  const auto choice = chooseCangjieCode(five, three, "\uFA0C", std::string_view("\u5140"));
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->code, "ABC");
  EXPECT_FALSE(choice->fromCanonicalForm);
}

TEST(CangjieRadicalNamesTest, EveryKeyHasItsRadical) {
  EXPECT_EQ(cangjieRadicalNames("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
            "日月金木水火土竹戈十大中一弓人心手口尸廿山女田難卜重");
  EXPECT_EQ(cangjieRadicalNames("mnr"), "一弓口");
  EXPECT_EQ(cangjieRadicalNames(""), "");
}

TEST(CangjieRadicalNamesTest, RejectsNonLetters) {
  EXPECT_THROW(cangjieRadicalNames("A1"), std::invalid_argument);
  EXPECT_THROW(cangjieRadicalNames("a,"), std::invalid_argument);
  EXPECT_THROW(cangjieRadicalNames("\xE6\x97\xA5"), std::invalid_argument);
}

}  // namespace
}  // namespace dbbuild
