// Compiled criteria evaluated by SQLite over a real table.
#include <gtest/gtest.h>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/database_builder.h"
#include "tests/platform/dao/criteria/criteria_test_support.h"

namespace {

using dao::criteria::compileCriteria;
using dao::criteria::CriteriaError;
using Ids = std::vector<std::int64_t>;

class CriteriaOnTable : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = criteria_test::openMemoryDb();
    criteria_test::exec(db_.get(), R"sql(
      CREATE TABLE items(id INTEGER PRIMARY KEY, B5_Hex TEXT, Name TEXT, Num INTEGER, Price REAL,
                         Flag INTEGER, Day REAL, DayText TEXT, Guid BLOB, Bin BLOB, Note TEXT,
                         Code TEXT, "Odd ""Name""" TEXT);
      CREATE INDEX items_hex ON items(B5_Hex COLLATE NOCASE);
      INSERT INTO items VALUES
        (1, 'A4A4', 'Apple', 10, 1.5, -1, 44196.0, '2020-12-31 10:00:00',
            X'78563412341278569ABCDEF012345678', X'616263', 'say "hi"', '9', 'q'),
        (2, 'A4A5', 'ÉCOLE', 9, 2.25, 0, 44196.416666666664, '2021-01-01', NULL, NULL, NULL, '10', NULL),
        (3, 'A4B0', 'école', 100, NULL, 1, NULL, NULL, NULL, NULL, NULL, 'abc', NULL),
        (4, 'B0A4', 'ΣΊΣΥΦΟΣ', NULL, NULL, NULL, -1.25, NULL, NULL, NULL, NULL, NULL, NULL),
        (5, 'a4a4', 'σίσυφος', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
        (6, '50%_off', 'x*y', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
        (7, '50ab off', '[bracket]', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
        (8, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
        (9, 'A-1', 'a?c', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
        (10, '#1', 'xzy', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),
        (11, 'x!', 'abc', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
      ALTER TABLE items ADD COLUMN Cost INTEGER;  -- currency: the amount times 10,000
      UPDATE items SET Cost = 15000 WHERE id = 1;
      UPDATE items SET Cost = 1000 WHERE id = 2;
    )sql");
    resolve_ = criteria_test::resolverFor({
        {"B5_Hex", {"B5_Hex", dao::dbText}},  {"Name", {"Name", dao::dbText}},
        {"Num", {"Num", dao::dbLong}},        {"Price", {"Price", dao::dbDouble}},
        {"Flag", {"Flag", dao::dbBoolean}},   {"Day", {"Day", dao::dbDate}},
        {"DayText", {"DayText", dao::dbDate}}, {"Guid", {"Guid", dao::dbGUID}},
        {"Bin", {"Bin", dao::dbBinary}},      {"Note", {"Note", dao::dbMemo}},
        {"Code", {"Code", dao::dbText}},      {"items.Name", {"Name", dao::dbText}},
        {"Odd \"Name\"", {"Odd \"Name\"", dao::dbText}}, {"Cost", {"Cost", dao::dbCurrency}},
    });
  }

  Ids find(const std::string& criteria) {
    return criteria_test::selectIds(db_.get(), "items", compileCriteria(criteria, resolve_));
  }

  criteria_test::DbPtr db_;
  dao::criteria::ColumnResolver resolve_;
};

TEST_F(CriteriaOnTable, LocateTextsOfTheDataLayer) {
  // Lower-cased value, upper-case data: the search box's case.
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE LCASE("a4a4*")))"), (Ids{1, 5}));
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE LCASE("a4*")))"), (Ids{1, 2, 3, 5}));
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE "A4A*"))"), (Ids{1, 2, 5}));
  EXPECT_EQ(find(R"(([B5_Hex]  = LCASE("a4a5")))"), (Ids{2}));
  EXPECT_EQ(find(R"(([B5_Hex]  = "A4B0"))"), (Ids{3}));
  EXPECT_EQ(find(R"((B5_Hex  LIKE LCASE("a4a4*")))"), (Ids{1, 5}));  // names unbracketed
  EXPECT_EQ(find(R"(([B5_Hex] IS NULL))"), (Ids{8}));
  EXPECT_EQ(find(R"(([Num] = 10))"), (Ids{1}));
  EXPECT_EQ(find(R"(([Price] = 2.25))"), (Ids{2}));
  EXPECT_EQ(find(R"(([Day]  = #12/31/2020#))"), (Ids{1}));
  EXPECT_EQ(find(R"(([Guid]  = {guid {12345678-1234-5678-9ABC-DEF012345678}}))"), (Ids{1}));
  EXPECT_EQ(find(R"(([Bin]  = "abc"))"), (Ids{1}));
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE LCASE("a4*")) AND ([Num]  = 9))"), (Ids{2}));
  EXPECT_EQ(find(R"(([items].[Name]  LIKE LCASE("app*")))"), (Ids{1}));
}

TEST_F(CriteriaOnTable, AnEmptyPartialValueFindsEveryNonNullRow) {
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE LCASE("*")))").size(), 10u);
}

TEST_F(CriteriaOnTable, BracketedWildcardsInValuesAreLiteral) {
  EXPECT_EQ(find(R"(([Name]  LIKE LCASE("x[*]y*")))"), (Ids{6}));  // not 'xzy'
  EXPECT_EQ(find(R"(([Name]  LIKE LCASE("[[]bracket[]]*")))"), (Ids{7}));
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE LCASE("[#]1*")))"), (Ids{10}));
  EXPECT_EQ(find(R"(([Name]  LIKE LCASE("a[?]c*")))"), (Ids{9}));  // not 'abc'
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE LCASE("a[-]1*")))"), (Ids{9}));
  EXPECT_EQ(find(R"(([B5_Hex]  LIKE LCASE("x[!]*")))"), (Ids{11}));
}

TEST_F(CriteriaOnTable, DoubledQuotesAndSingleQuotes) {
  EXPECT_EQ(find(R"([Note] = "say ""hi""")"), (Ids{1}));
  EXPECT_EQ(find(R"([Note] LIKE "*""hi""")"), (Ids{1}));
  EXPECT_EQ(find(R"([Note] = 'say "hi"')"), (Ids{1}));
  EXPECT_EQ(find(R"([Odd "Name"] = 'Q')"), (Ids{1}));
}

TEST_F(CriteriaOnTable, TextComparisonIgnoresCaseBeyondAscii) {
  EXPECT_EQ(find(R"([Name] = "école")"), (Ids{2, 3}));
  EXPECT_EQ(find(R"([Name] LIKE "É*")"), (Ids{2, 3}));
  EXPECT_EQ(find(R"([Name] = "σίσυφος")"), (Ids{4, 5}));  // final sigma folds like sigma
  EXPECT_EQ(find(R"([Name] LIKE "?Ί*Σ")"), (Ids{4, 5}));
  EXPECT_EQ(find(R"([Name] = "APPLE")"), (Ids{1}));
  EXPECT_EQ(find(R"([Name] <> "apple" AND [Name] < "b")"), (Ids{7, 9, 11}));
}

TEST_F(CriteriaOnTable, SingleCharacterDigitAndListWildcards) {
  EXPECT_EQ(find(R"([B5_Hex] LIKE "A4?4")"), (Ids{1, 5}));
  EXPECT_EQ(find(R"([B5_Hex] LIKE "A4A#")"), (Ids{1, 2, 5}));
  EXPECT_EQ(find(R"([B5_Hex] LIKE "A4[!A]*")"), (Ids{3}));
  EXPECT_EQ(find(R"([B5_Hex] LIKE "[a-b]0*")"), (Ids{4}));
  EXPECT_EQ(find(R"([Name] NOT LIKE "*c*")"), (Ids{1, 4, 5, 6, 10}));
}

TEST_F(CriteriaOnTable, UnderscoreAndPercentAreOrdinaryCharacters) {
  EXPECT_EQ(find(R"([B5_Hex] LIKE "50%_*")"), (Ids{6}));
  EXPECT_EQ(find(R"([B5_Hex] LIKE "50__off")"), Ids{});
  EXPECT_EQ(find(R"([B5_Hex] LIKE "50%")"), Ids{});
}

TEST_F(CriteriaOnTable, NullTests) {
  EXPECT_EQ(find("[Num] IS NULL"), (Ids{4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(find("[Num] IS NOT NULL"), (Ids{1, 2, 3}));
  EXPECT_EQ(find("NOT [Num] IS NULL"), (Ids{1, 2, 3}));
  // Comparisons with Null are unknown both ways, as the engine has them.
  EXPECT_EQ(find("[Num] = NULL"), Ids{});
  EXPECT_EQ(find("NOT ([Num] = NULL)"), Ids{});
  EXPECT_EQ(find("NOT ([Num] = 10)"), (Ids{2, 3}));
}

TEST_F(CriteriaOnTable, AndBindsTighterThanOr) {
  EXPECT_EQ(find("[Num] = 10 OR [Num] = 9 AND [Flag] = True"), (Ids{1}));
  EXPECT_EQ(find("([Num] = 10 OR [Num] = 9) AND [Flag] = False"), (Ids{2}));
  EXPECT_EQ(find("[Num] = 9 AND [Flag] = False OR [Num] = 100"), (Ids{2, 3}));
  EXPECT_EQ(find("NOT ([Num] = 10 OR [Num] = 9)"), (Ids{3}));
  EXPECT_EQ(find("NOT [Num] = 10 AND NOT [Num] = 9"), (Ids{3}));
  EXPECT_EQ(find("not not [Num] = 10"), (Ids{1}));
}

TEST_F(CriteriaOnTable, NumbersCompareAsNumbersAndTextAsText) {
  EXPECT_EQ(find("[Num] > 9"), (Ids{1, 3}));
  EXPECT_EQ(find("[Num] >= -5 AND [Num] <= 1E1"), (Ids{1, 2}));
  EXPECT_EQ(find("[Price] < 2"), (Ids{1}));
  EXPECT_EQ(find(R"([Num] = "10")"), (Ids{1}));
  EXPECT_EQ(find(R"([Code] > "9")"), (Ids{3}));  // "10" sorts before "9" as text
  EXPECT_EQ(find("[Code] > 9"), (Ids{2}));       // the numeric texts compared as numbers
  EXPECT_EQ(find("-[Num] < -50"), (Ids{3}));
  EXPECT_EQ(find("[Cost] = 0.1"), (Ids{2}));
  EXPECT_EQ(find("[Cost] > 1 AND [Cost] <= 1.5"), (Ids{1}));
  EXPECT_THROW(find(R"([Num] = "ten")"), CriteriaError);
}

TEST_F(CriteriaOnTable, BooleansAreTrueForAnyNonZeroValue) {
  EXPECT_EQ(find("[Flag] = True"), (Ids{1, 3}));
  EXPECT_EQ(find("[Flag] = FALSE"), (Ids{2}));
  EXPECT_EQ(find("[Flag]"), (Ids{1, 3}));
  EXPECT_EQ(find("NOT [Flag]"), (Ids{2}));
  EXPECT_EQ(find("[Flag] = -1"), (Ids{1, 3}));
  EXPECT_EQ(find("([Num] = 10) = True"), (Ids{1}));
}

TEST_F(CriteriaOnTable, DatesCompareAsDayNumbersWhateverTheirStorage) {
  EXPECT_EQ(find("[Day] > #12/31/2020#"), (Ids{2}));
  EXPECT_EQ(find("[Day] = #2020-12-31 10:00:00#"), (Ids{2}));
  EXPECT_EQ(find("[Day] = #12/31/2020 10:00 AM#"), (Ids{2}));
  EXPECT_EQ(find("[Day] < #12/30/1899#"), (Ids{4}));  // 29 Dec 1899 06:00
  EXPECT_EQ(find("[Day] > #12/29/1899 05:00:00# AND [Day] < #12/29/1899 07:00:00#"), (Ids{4}));
  EXPECT_EQ(find("[DayText] = #12/31/2020 10:00:00#"), (Ids{1}));
  EXPECT_EQ(find(R"([DayText] > "2020-12-31 12:00")"), (Ids{2}));
}

TEST_F(CriteriaOnTable, GuidsAndBinaryValues) {
  EXPECT_EQ(find(R"([Guid] = "{12345678-1234-5678-9abc-def012345678}")"), (Ids{1}));
  EXPECT_EQ(find(R"([Guid] = {guid 12345678-1234-5678-9abc-def012345679})"), Ids{});
  EXPECT_EQ(find(R"([Bin] = "ABC")"), Ids{});  // bytes compare exactly
  EXPECT_THROW(find(R"([Guid] = "not a guid")"), CriteriaError);
  EXPECT_THROW(find("[Bin] = 5"), CriteriaError);
}

TEST_F(CriteriaOnTable, TextIsNeverPastedIntoTheSql) {
  const auto compiled = compileCriteria(R"([Name] = "x'); DROP TABLE items; --")", resolve_);
  EXPECT_EQ(compiled.whereSql.find("DROP"), std::string::npos);
  EXPECT_EQ(criteria_test::selectIds(db_.get(), "items", compiled), Ids{});
  EXPECT_EQ(find("[Num] = 10"), (Ids{1}));  // the table is still there
}

TEST_F(CriteriaOnTable, FieldNamesGoThroughTheResolver) {
  EXPECT_EQ(find("[name] = 'apple'"), (Ids{1}));
  try {
    find("[Missing] = 1");
    FAIL() << "an unknown field was accepted";
  } catch (const CriteriaError& e) {
    EXPECT_STREQ(e.what(), "Unknown field 'Missing'.");
  }
}

TEST_F(CriteriaOnTable, CompiledTextCombinesWithOtherConditions) {
  auto compiled = compileCriteria("[Num] = 10 OR [Num] = 9", resolve_);
  compiled.whereSql = "id > 1 AND " + compiled.whereSql;
  EXPECT_EQ(criteria_test::selectIds(db_.get(), "items", compiled), (Ids{2}));
}

TEST_F(CriteriaOnTable, APatternTakenFromAFieldIsMatchedAtRunTime) {
  EXPECT_EQ(find(R"("ABC" LIKE [Code])"), (Ids{3}));
  EXPECT_EQ(find(R"("x*y" LIKE [Name])"), (Ids{6}));
}

}  // namespace
