// The NOCASE index range added to prefix searches: its bounds, that SQLite
// uses it, and that it never leaves out a row the exact test accepts.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_nocase_range.h"
#include "platform/dao/database_builder.h"
#include "tests/platform/dao/criteria/criteria_test_support.h"

namespace {

using dao::criteria::compileCriteria;
using dao::criteria::detail::nocaseRangeForPrefix;
using namespace criteria_test;

TEST(CriteriaNocaseRange, BoundsOfPlainPrefixes) {
  auto r = nocaseRangeForPrefix(U"a4a4");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->lower, "a4a4");
  EXPECT_EQ(r->upper, "a4a5");
  EXPECT_TRUE(r->wholePrefix);
  r = nocaseRangeForPrefix(U"x9");
  EXPECT_EQ(r->upper, "x:");
  r = nocaseRangeForPrefix(U"xz");
  EXPECT_EQ(r->upper, "x{");
  r = nocaseRangeForPrefix(U"中");
  EXPECT_EQ(r->upper, "丮");  // U+4E2D + 1
}

TEST(CriteriaNocaseRange, UpperBoundSkipsTheUpperCaseLettersNocaseNeverSees) {
  // 'x@' + 1 would be 'xA', which NOCASE reads as 'xa' and so admits 'x[', 'x_'...
  auto r = nocaseRangeForPrefix(U"x@");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->upper, "x[");
  r = nocaseRangeForPrefix(U"xY");  // an upper-case letter given is bounded in lower case
  EXPECT_EQ(r->lower, "xy");
  EXPECT_EQ(r->upper, "xz");
}

TEST(CriteriaNocaseRange, LastCharactersWithoutSuccessorAreDropped) {
  auto r = nocaseRangeForPrefix(U"a\x7F");
  EXPECT_EQ(r->upper, "a\xC2\x80");  // U+0080, still well-formed
  r = nocaseRangeForPrefix(U"a\U0010FFFF");
  EXPECT_EQ(r->lower, "a\xF4\x8F\xBF\xBF");
  EXPECT_EQ(r->upper, "b");
  r = nocaseRangeForPrefix(U"\U0010FFFF\U0010FFFF");
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->upper);  // nothing above: only the lower bound
  r = nocaseRangeForPrefix(U"a\uD7FF");
  EXPECT_EQ(r->upper, "a\uE000");  // surrogates are skipped
}

TEST(CriteriaNocaseRange, StopsBeforeCharactersNocaseDoesNotFold) {
  auto r = nocaseRangeForPrefix(U"abkx");  // KELVIN SIGN folds to k
  ASSERT_TRUE(r);
  EXPECT_EQ(r->lower, "ab");
  EXPECT_FALSE(r->wholePrefix);
  r = nocaseRangeForPrefix(U"caf\u00E9");
  EXPECT_EQ(r->lower, "caf");
  EXPECT_FALSE(nocaseRangeForPrefix(U"\u00E9cole"));
  EXPECT_FALSE(nocaseRangeForPrefix(U"s"));
  EXPECT_FALSE(nocaseRangeForPrefix(U""));
}

class CriteriaIndexUse : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = openMemoryDb();
    exec(db_.get(), "CREATE TABLE t(id INTEGER PRIMARY KEY, B5_Hex TEXT, Note TEXT);"
                    "CREATE INDEX t_hex ON t(B5_Hex COLLATE NOCASE);");
    exec(db_.get(), "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                    "INSERT INTO t(B5_Hex) SELECT printf('%04X', 40000 + i) FROM n;");
    exec(db_.get(), "ANALYZE;");
  }

  std::string plan(const std::string& criteria, const std::string& tail = "") {
    const auto compiled = compileCriteria(criteria, resolverFor({{"B5_Hex", {"B5_Hex", dao::dbText}}}));
    auto stmt = prepare(db_.get(), "EXPLAIN QUERY PLAN SELECT id, Note FROM t WHERE " + compiled.whereSql + tail);
    bindAll(stmt.get(), compiled.parameters);
    std::string details;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
      details += reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 3));
      details += "; ";
    }
    return details;
  }

  DbPtr db_;
};

TEST_F(CriteriaIndexUse, PrefixSearchUsesTheNocaseIndex) {
  EXPECT_NE(plan(R"(([B5_Hex]  LIKE LCASE("a4a4*")))").find("SEARCH t USING INDEX t_hex"), std::string::npos);
  EXPECT_NE(plan(R"([B5_Hex] = "9c4f")").find("SEARCH t USING INDEX t_hex"), std::string::npos);
  EXPECT_NE(plan(R"([B5_Hex] LIKE "9c*" OR [B5_Hex] LIKE "A0*")").find("USING INDEX t_hex"), std::string::npos);
  // The first match in ID order, as a FindFirst over the table's order asks.
  EXPECT_NE(plan(R"([B5_Hex] LIKE "a4*")", " ORDER BY id LIMIT 1").find("SEARCH t USING INDEX t_hex"),
            std::string::npos);
}

TEST_F(CriteriaIndexUse, PatternsWithoutALiteralPrefixScan) {
  EXPECT_NE(plan(R"([B5_Hex] LIKE "*a4")").find("SCAN t"), std::string::npos);
}

// The property that matters: adding the range never loses a row. Every
// random pattern is run twice over the same random strings, once as compiled
// (with the range) and once through zen_like alone, and the row sets must
// be equal. The alphabet is chosen to hit NOCASE's weak spots: letters next
// to '@', '[' and '`', k/s with their non-ASCII forms, accented and Greek
// letters, DEL, the last code point, and wildcard characters.
TEST(CriteriaNocaseRangeProperty, NeverExcludesATrueMatch) {
  const std::vector<std::string> alphabet = {
      "a", "A", "k", "K", "\u212A", "s", "S", "\u017F", "x", "X", "z", "Z", "@", "[", "_", "`",
      "{", "%", "0", "9", ":", "\x7F", "\u00E9", "\u00C9", "\u03C3", "\u03A3", "\u03C2", "\u4E2D",
      "\U0010FFFF", " ", "!", "-", "]"};
  const std::vector<std::string> wildcards = {"*", "?", "#", "[a-z]", "[!a]", "[*]", "[[]", "[]]"};

  std::mt19937 rng(20240521);
  const auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
  const auto escaped = [](const std::string& c) {
    return (c == "[" || c == "]" || c == "!" || c == "-") ? "[" + c + "]" : c;
  };

  DbPtr db = openMemoryDb();
  exec(db.get(), "CREATE TABLE v(id INTEGER PRIMARY KEY, s TEXT); CREATE INDEX v_s ON v(s COLLATE NOCASE);");
  {
    auto insert = prepare(db.get(), "INSERT INTO v(s) VALUES (?)");
    for (int i = 0; i < 3000; ++i) {
      std::string s;
      const int length = static_cast<int>(rng() % 6);
      for (int j = 0; j < length; ++j) s += pick(alphabet);
      sqlite3_bind_text(insert.get(), 1, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
      ASSERT_EQ(sqlite3_step(insert.get()), SQLITE_DONE);
      sqlite3_reset(insert.get());
    }
  }
  const auto resolve = resolverFor({{"s", {"s", dao::dbText}}});

  int withRange = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string pattern;
    const int prefixLength = 1 + static_cast<int>(rng() % 4);
    for (int j = 0; j < prefixLength; ++j) {
      pattern += escaped(pick(alphabet));
    }
    if (rng() % 4 != 0) pattern += pick(wildcards);
    if (rng() % 3 == 0) pattern += escaped(pick(alphabet));
    std::string quoted;
    for (char c : pattern) quoted += (c == '"') ? std::string("\"\"") : std::string(1, c);

    const auto compiled = compileCriteria("[s] LIKE \"" + quoted + "\"", resolve);
    withRange += compiled.whereSql.find("COLLATE NOCASE") != std::string::npos;

    dao::criteria::CompiledCriteria bruteForce{"zen_like(s, ?)", {pattern}};
    ASSERT_EQ(selectIds(db.get(), "v", compiled), selectIds(db.get(), "v", bruteForce))
        << "pattern " << pattern << " compiled as " << compiled.whereSql;

    // Plain equality takes the same route.
    const auto equal = compileCriteria("[s] = \"" + quoted + "\"", resolve);
    dao::criteria::CompiledCriteria foldedEqual{"zen_fold(s) = zen_fold(?)", {pattern}};
    ASSERT_EQ(selectIds(db.get(), "v", equal), selectIds(db.get(), "v", foldedEqual)) << "text " << pattern;
  }
  EXPECT_GT(withRange, 500) << "too few patterns exercised the range";
}

}  // namespace
