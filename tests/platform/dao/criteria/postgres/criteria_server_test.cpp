// The PostgreSQL dialect against the SQLite one: the same criteria must
// match the same rows of the same data, each in its storage's own
// representation; and a prefix search must be an index range scan.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_pattern.h"
#include "platform/dao/criteria/criteria_utf8.h"
#include "platform/dao/typelib/dao_typelib.h"
#include "tests/platform/dao/criteria/postgres/criteria_server_fixture.h"

namespace {

using dao::criteria::compileCriteria;
using dao::criteria::CriteriaError;
using dao::criteria::SqlDialect;
using postgres::PostgresConnection;
using namespace criteria_server_test;

class CriteriaOnServerAndFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new std::optional<PostgresConnection>(connectToTestServer(skipReason_));
    if (!*server_) return;
    PostgresConnection& server = **server_;
    server.execute("SET client_min_messages = warning; DROP SCHEMA IF EXISTS zen_criteria_test CASCADE; CREATE SCHEMA zen_criteria_test;"
                   " SET search_path = zen_criteria_test;");
    // Twice: the schema creator may run it on every start.
    server.execute(dao::criteria::postgresCriteriaFunctionsSql());
    server.execute(dao::criteria::postgresCriteriaFunctionsSql());
    db_ = criteria_test::openMemoryDb().release();
    createAwkwardTable(db_, server);
  }

  static void TearDownTestSuite() {
    if (db_ != nullptr) sqlite3_close(db_);
    db_ = nullptr;
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (!*server_) {
      if (!skipReason_.empty()) GTEST_SKIP() << skipReason_;
      FAIL() << "no test server";
    }
  }

  PostgresConnection& server() { return **server_; }

  // Both outcomes of one criteria text; nullopt when it does not compile
  // (then it must not compile for either dialect).
  std::optional<std::pair<std::string, std::string>> onBoth(const std::string& criteria) {
    std::optional<dao::criteria::CompiledCriteria> file, onServer;
    std::string fileError, serverError;
    try {
      file = compileCriteria(criteria, resolve_, SqlDialect::Sqlite);
    } catch (const CriteriaError& e) {
      fileError = e.what();
    }
    try {
      onServer = compileCriteria(criteria, resolve_, SqlDialect::Postgres);
    } catch (const CriteriaError& e) {
      serverError = e.what();
    }
    EXPECT_EQ(fileError, serverError) << criteria;
    if (!file || !onServer) return std::nullopt;
    return std::make_pair(runOnSqlite(db_, "awkward", *file), runOnServer(server(), "awkward", *onServer));
  }

  void expectSameRows(const std::string& criteria) {
    const auto both = onBoth(criteria);
    if (!both) return;
    EXPECT_EQ(both->first, both->second)
        << criteria << "\n  server SQL: " << compileCriteria(criteria, resolve_, SqlDialect::Postgres).whereSql;
  }

  static inline std::optional<PostgresConnection>* server_ = nullptr;
  static inline std::string skipReason_;
  static inline sqlite3* db_ = nullptr;
  dao::criteria::ColumnResolver resolve_ = awkwardColumns();
};

TEST_F(CriteriaOnServerAndFile, CriteriaOfTheEngineTestsMatchTheSameRows) {
  const std::vector<std::string> corpus = {
      // The data layer's locate texts.
      R"(([B5_Hex]  LIKE LCASE("a4a4*")))", R"(([B5_Hex]  LIKE LCASE("a4*")))", R"(([B5_Hex]  LIKE "A4A*"))",
      R"(([B5_Hex]  = LCASE("a4a5")))", R"(([B5_Hex]  = "A4B0"))", R"(([B5_Hex] IS NULL))", R"(([Num] = 10))",
      R"(([Price] = 2.25))", R"(([Day]  = #12/31/2020#))",
      R"(([Guid]  = {guid {12345678-1234-5678-9ABC-DEF012345678}}))", R"(([Bin]  = "abc"))",
      R"(([B5_Hex]  LIKE LCASE("a4*")) AND ([Num]  = 9))", R"(([awkward].[Txt]  LIKE LCASE("app*")))",
      R"(([B5_Hex]  LIKE LCASE("*")))", R"(([Txt]  LIKE LCASE("[[]bracket[]]*")))",
      R"(([B5_Hex]  LIKE LCASE("[#]1*")))", R"(([Txt]  LIKE LCASE("a[?]c*")))", R"(([B5_Hex]  LIKE LCASE("a[-]1*")))",
      R"(([B5_Hex]  LIKE LCASE("x[!]*")))", R"([Memo] = "say ""hi""")", R"([Memo] LIKE "*""hi""")",
      R"([Odd "Name?"] = 'Q')", R"([Odd "Name?"] < 'r' AND [Txt] <> '?')",
      // Case beyond ASCII: final sigma, KELVIN SIGN, long s, dotted capital I.
      R"([Txt] = "école")", R"([Txt] LIKE "É*")", R"([Txt] = "σίσυφος")", R"([Txt] LIKE "?Ί*Σ")",
      R"([Txt] = "APPLE")", R"([Txt] <> "apple" AND [Txt] < "b")", R"([Txt] LIKE "k*")", R"([Txt] LIKE "K*")",
      R"([Txt] LIKE "[j-l]elvin")", R"([Txt] LIKE "s*")", R"([Txt] LIKE "[r-t]un")", R"([Txt] = "sun")",
      R"([Txt] LIKE "i*")", R"([Txt] LIKE "İ*")", R"([Txt] LIKE "*ß*")", R"([Txt] LIKE "*ǆ")", R"([Txt] LIKE "*ǅ")",
      R"([Txt] LIKE "[α-ω]*")", R"([Txt] LIKE "[!α-ω]*")", R"([Txt] LIKE "*[Ａ-Ｚ]")", R"([Txt] LIKE "𐐨*")",
      R"([Txt] LIKE "中*")", R"([Txt] LIKE "*中文")", R"([Txt] LIKE "[一-丁]*")", R"([Txt] > "一")",
      R"([Txt] LIKE "a?b")", R"([Txt] LIKE "a*b")", R"([Txt] = "")", R"([Txt] LIKE "")", R"([Txt] LIKE "*")",
      R"([B5_Hex] LIKE "x@*")", R"([B5_Hex] LIKE "x[[]*")", R"([B5_Hex] LIKE "x`")", R"([B5_Hex] LIKE "X[@-`]")",
      // Wildcards, with "_" and "%" ordinary.
      R"([B5_Hex] LIKE "A4?4")", R"([B5_Hex] LIKE "A4A#")", R"([B5_Hex] LIKE "A4[!A]*")", R"([B5_Hex] LIKE "[a-b]0*")",
      R"([Txt] NOT LIKE "*c*")", R"([B5_Hex] LIKE "50%_*")", R"([B5_Hex] LIKE "50__off")", R"([B5_Hex] LIKE "50%")",
      R"([Txt] LIKE "x_")", R"([Txt] LIKE "x[_]")", R"([Txt] LIKE "*\*")", R"([Txt] LIKE "[*]*")",
      R"([B5_Hex] LIKE "[]A4A4")", R"([B5_Hex] LIKE "[!]")", R"([Txt] LIKE "[]]*")", R"([Txt] LIKE "[-a]*")",
      // Null rules, logic, numbers, booleans, currency.
      "[Num] IS NULL", "[Num] IS NOT NULL", "NOT [Num] IS NULL", "[Num] = NULL", "NOT ([Num] = NULL)",
      "NOT ([Num] = 10)", "[Num] = 10 OR [Num] = 9 AND [Flag] = True", "([Num] = 10 OR [Num] = 9) AND [Flag] = False",
      "NOT ([Num] = 10 OR [Num] = 9)", "not not [Num] = 10", "[Num] > 9", "[Num] >= -5 AND [Num] <= 1E1",
      "[Price] < 2", R"([Num] = "10")", R"([Code] > "9")", "[Code] > 9", "[Code] = 1000", "[Code] < 0",
      "[Code] = 12", "-[Code] < -5", "-[Num] < -50", "-[Small] > 32767", "-[Num] > 2147483647", "[Cost] = 0.1",
      "[Cost] > 1 AND [Cost] <= 1.5", "[Cost] < 0", "[Flag] = True", "[Flag] = FALSE", "[Flag]", "NOT [Flag]",
      "[Flag] = -1", "([Num] = 10) = True", "([Num] = 10) = False", "([Txt] LIKE 'a*') = [Flag]", "[Byte] > 100",
      "[Single] = 1.1", "[Single] < 0", "[Single] > 1E38", "[Price] > 1E299", "[Price] = 0.1",
      // Dates as numbers and as text.
      "[Day] > #12/31/2020#", "[Day] = #2020-12-31 10:00:00#", "[Day] = #12/31/2020 10:00 AM#",
      "[Day] < #12/30/1899#", "[Day] > #12/29/1899 05:00:00# AND [Day] < #12/29/1899 07:00:00#",
      "[DayText] = #12/31/2020 10:00:00#", R"([DayText] > "2020-12-31 12:00")", "[DayText] = #12/31/2020#",
      "[DayText] < #1/1/1900#", "[DayText] > #1/1/2000#", "[DayText] IS NULL", "[Day] = #12/31/9999 23:59:59#",
      "[Day] >= #1/1/2000# AND [Day] < #1/1/2001#", "[Day] = 0.5", "[Day] = #12:00#", "[DayText] = #12:00 PM#",
      // GUIDs and bytes.
      R"([Guid] = "{12345678-1234-5678-9abc-def012345678}")", R"([Guid] = {guid 12345678-1234-5678-9abc-def012345679})",
      R"([Guid] > "{00000000-0000-0000-0000-000000000000}")", "[Guid] IS NULL", R"([DayText] = [Guid])",
      R"([Bin] = "ABC")", R"([Bin] = "")", R"([Bin] > "a")", R"([Bin] = "中")", "[Bin] IS NOT NULL",
      // Patterns from fields, text of numbers.
      R"("ABC" LIKE [Code])", R"("x*y" LIKE [Txt])", R"([Txt] LIKE [Memo])", R"([B5_Hex] LIKE [Memo])",
      R"([Txt] NOT LIKE [Memo])", R"(UCASE([Num]) LIKE "1*")", R"(LCASE([Price]) LIKE "*.5")",
      R"([Price] LIKE "*e+*")", R"([Day] LIKE "*.0")", R"([Day] LIKE "-*")", R"([Single] LIKE "1.1*")",
      R"([Cost] LIKE "15*")", R"([Flag] LIKE "-1")", R"(LCASE([Day]) = "44196.0")", R"(UCASE([Price]) = "1.0E+300")",
      R"(LCASE(-[Code]) LIKE "-1*")", R"(LCASE(-[Price]) LIKE "*")", R"(UCASE([Txt]) = "ÉCOLE")",
      R"(LCASE(([Num] = 10)) = "-1")", R"(1.5 LIKE "1.5")", R"(1 LIKE "1")", R"(#1/1/2020# LIKE "4*")",
      R"([Byte] LIKE "2#0")", R"([Small] LIKE "-32768")",
  };
  for (const std::string& criteria : corpus) expectSameRows(criteria);
}

// Random criteria over every column: comparisons with literals of every
// kind, LIKE with patterns built from awkward characters, IS NULL, NOT,
// AND/OR, LCASE/UCASE and negation.
TEST_F(CriteriaOnServerAndFile, RandomCriteriaMatchTheSameRows) {
  const std::vector<std::string> fields = {"[Txt]", "[Memo]", "[B5_Hex]", "[Num]", "[Small]", "[Byte]", "[Flag]",
                                           "[Cost]", "[Price]", "[Single]", "[Day]", "[Guid]", "[Bin]", "[Code]",
                                           "[DayText]"};
  const std::vector<std::string> literals = {
      "\"a4a4\"", "\"A4\"", "\"école\"", "\"ÉCOLE\"", "\"σίσυφος\"", "\"中\"", "\"\"", "\"10\"", "\"9\"", "\"abc\"",
      "\"K\"", "\"s\"", "\"x[\"", "1", "0", "-1", "10", "2.25", "1E3", "1.5", "True", "False", "Null", "#12/31/2020#",
      "#2020-12-31 10:00:00#", "#10:30 PM#", "#1/2/2020#", "\"2020-12-31\"", "{guid {12345678-1234-5678-9abc-def012345678}}",
      "\"{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}\""};
  const std::vector<std::string> alphabet = {"a", "A", "4", "k", "K", "\u212A", "s", "S", "\u017F", "x", "@", "[[]",
                                             "_", "%", "0", "9", "\u00E9", "\u00C9", "\u03C3", "\u03A3", "\u03C2",
                                             "\u4E2D", "\u4E00", " ", "[]]", "[!]", "-", "i", "\u0130", "b", "c", "\""
                                             "\""};
  const std::vector<std::string> wildcards = {"*", "?", "#", "[a-z]", "[!a]", "[*]", "[A-C]", "[α-ω]", "[!0-9]",
                                              "[j-l]", "[r-t]", "[]"};
  const std::vector<std::string> comparisons = {" = ", " <> ", " < ", " <= ", " > ", " >= "};
  std::mt19937 rng(15);
  const auto pick = [&](const std::vector<std::string>& from) { return from[rng() % from.size()]; };
  const auto pattern = [&] {
    std::string p;
    const int length = static_cast<int>(rng() % 5);
    for (int i = 0; i < length; ++i) p += rng() % 3 == 0 ? pick(wildcards) : pick(alphabet);
    return "\"" + p + "\"";
  };
  // A GUID as text is its 16 bytes in SQLite and its text on the server (a
  // known difference), so [Guid] is only compared, never read as text.
  const auto textual = [&] {
    std::string f = pick(fields);
    return f == "[Guid]" ? std::string("[Txt]") : f;
  };
  const auto value = [&] {
    const bool field = rng() % 2;
    const std::string v = field ? pick(fields) : pick(literals);
    if (v == "[Guid]") return v;
    switch (rng() % 8) {
      case 0: return "LCASE(" + v + ")";
      case 1: return "UCASE(" + v + ")";
      case 2: return "-" + v;
      default: return v;
    }
  };
  const auto condition = [&] {
    switch (rng() % 6) {
      case 0: case 1: return value() + pick(comparisons) + value();
      case 2: return textual() + " LIKE " + pattern();
      case 3: return textual() + " NOT LIKE " + pattern();
      case 4: return pick(fields) + (rng() % 2 ? " IS NULL" : " IS NOT NULL");
      default: return "(" + value() + " = " + value() + ") = " + pick(literals);
    }
  };
  int compiled = 0;
  for (int round = 0; round < 1500; ++round) {
    std::string criteria = condition();
    const int more = static_cast<int>(rng() % 3);
    for (int i = 0; i < more; ++i) {
      criteria = (rng() % 2 ? "(" + criteria + ")" : criteria) + (rng() % 2 ? " AND " : " OR ") +
                 (rng() % 4 == 0 ? "NOT " : "") + condition();
    }
    const auto both = onBoth(criteria);
    if (!both) continue;
    ++compiled;
    ASSERT_EQ(both->first, both->second)
        << criteria << "\n  server SQL: " << compileCriteria(criteria, resolve_, SqlDialect::Postgres).whereSql;
  }
  EXPECT_GT(compiled, 500);
}

TEST_F(CriteriaOnServerAndFile, ServerTranslatesPatternsFromFieldsAsTheCompilerDoes) {
  std::mt19937 rng(1995);
  const std::vector<std::string> pieces = {"a", "Z", "\u00C9", "\u03A3", "\u212A", "\u4E2D", "\U00010400", "*", "?",
                                           "#", "[a-z]", "[!a-c]", "[]]", "[!]", "[*]", "[]", "[-]", "[a-]", "[^]",
                                           "\\", ".", "$", "(", "[\\-^]", "[\u00E0-\u00FF]", "[\u0000-\uFFFF]", "%",
                                           "_", "'", "\""};
  for (int round = 0; round < 300; ++round) {
    std::string p;
    const int length = static_cast<int>(rng() % 6);
    for (int i = 0; i < length; ++i) p += pieces[rng() % pieces.size()];
    std::optional<dao::criteria::detail::LikePattern> compiled;
    std::string refusal;
    try {
      compiled.emplace(p);
    } catch (const dao::criteria::detail::PatternSyntaxError& e) {
      refusal = std::string("Invalid LIKE pattern: ") + e.what();
    }
    if (!compiled) {
      try {
        server().query("SELECT zen_like_regex($1)", {p});
        FAIL() << "the server accepted " << p;
      } catch (const postgres::PostgresError& e) {
        EXPECT_NE(std::string(e.what()).find(refusal), std::string::npos) << e.what() << " / " << refusal;
      }
      continue;
    }
    const auto result = server().query("SELECT zen_like_regex($1)", {p});
    ASSERT_EQ(result.text(0, 0), compiled->postgresRegex()) << "pattern " << p;
    // The expression is valid on the server and matches the pattern's own
    // text exactly when the matcher does.
    const auto served = server().query("SELECT zen_like($1, $1)", {p});
    ASSERT_EQ(served.text(0, 0), compiled->matches(p) ? "t" : "f") << "pattern " << p;
  }
}

// Every character of the fold table, every fold target and characters
// around them fold on the server as they do here, alone and within text
// (the server takes different routes for ASCII, Chinese and other text).
TEST_F(CriteriaOnServerAndFile, ServerFoldsEveryCharacterAsTheEngineDoes) {
  using namespace dao::criteria::detail;
  std::string all;
  for (const CaseMapEntry& e : simpleCaseFoldingTable()) {
    for (char32_t c : {e.from, e.to, char32_t(e.from + 1), char32_t(e.from - 1)}) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      appendUtf8(all, c);
    }
  }
  for (char32_t c = 1; c < 0x80; ++c) appendUtf8(all, c);
  all += "\u4E2D\u6587\uFF21\U00020000";
  const auto alone = server().query("SELECT string_agg(zen_fold(c), '' ORDER BY n) FROM"
                                    " unnest(string_to_array($1, NULL)) WITH ORDINALITY AS u(c, n)", {all});
  EXPECT_EQ(alone.text(0, 0), mapUtf8(all, foldCase));
  const auto together = server().query("SELECT zen_fold($1)", {all});
  EXPECT_EQ(together.text(0, 0), mapUtf8(all, foldCase));
  for (const std::string text : {"ABC \u00C9cole", "\u4E2D\u00C9", "\u212A\u017F", "x\U00010400y", "\u0391\u2C00",
                                 "\u1E9E\u00DF", "\u03A3\u2160"}) {
    EXPECT_EQ(server().query("SELECT zen_fold($1)", {text}).text(0, 0), mapUtf8(text, foldCase)) << text;
  }
}

TEST_F(CriteriaOnServerAndFile, InvalidPatternsFromFieldsFailAlikeOnBoth) {
  sqlite3_stmt* raw = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db_, "SELECT zen_like('x', ?)", -1, &raw, nullptr), SQLITE_OK);
  criteria_test::StmtPtr stmt(raw);
  for (const std::string pattern : {"ab[cd", "[z-a]", "x[!b-a]y"}) {
    sqlite3_reset(stmt.get());
    sqlite3_bind_text(stmt.get(), 1, pattern.c_str(), -1, SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_ERROR);
    const std::string fileMessage = sqlite3_errmsg(db_);
    try {
      server().query("SELECT zen_like('x', $1)", {pattern});
      FAIL() << "the server accepted " << pattern;
    } catch (const postgres::PostgresError& e) {
      EXPECT_NE(std::string(e.what()).find(fileMessage), std::string::npos) << e.what() << " / " << fileMessage;
    }
  }
}

TEST_F(CriteriaOnServerAndFile, RealsReadAsTextAsInSqlite) {
  for (double v : {44196.0, 1.5, -1.25, 0.1, 0.1 + 0.2, 1e300, 1e-5, 1e-4, 1e14, 1e15, 123456789012.25,
                   123456789012345678901.0, 9.9999999999999999e14, 2.0 / 3.0, -1e-300, 5e-324,
                   static_cast<double>(1.1f), 1.7976931348623157e308, 0.0, 100.0, 1e100}) {
    sqlite3_stmt* raw = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db_, "SELECT CAST(? AS TEXT)", -1, &raw, nullptr), SQLITE_OK);
    criteria_test::StmtPtr stmt(raw);
    sqlite3_bind_double(stmt.get(), 1, v);
    ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_ROW);
    const std::string file = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), 0));
    const auto onServer = server().query("SELECT zen_text($1::float8)", {dao::criteria::postgresParameterText(v)});
    EXPECT_EQ(onServer.text(0, 0), file) << v;
  }
}

// The largest criteria the compiler accepts run on the server as well: long
// patterns become long regular expressions, long lists deep expressions.
TEST_F(CriteriaOnServerAndFile, LargestCriteriaRunOnTheServerToo) {
  const auto list = [](int conditions, const std::string& condition, const std::string& separator) {
    std::string s = condition;
    for (int i = 1; i < conditions; ++i) s += separator + condition;
    return s;
  };
  const std::size_t room = 65'536 - 40;
  std::string nested;
  for (int depth = 0; depth < 12; ++depth) nested += std::string("[Txt] LIKE \"x*\" ") + (depth % 2 ? "AND" : "OR") + " (";
  nested += "([Num] = 1) = True" + std::string(12, ')');
  for (const std::string& criteria :
       {"[Txt] LIKE \"" + std::string(room, 'x') + "*\"", "[Txt] LIKE \"" + std::string(room / 2, '#') + "\"",
        "[Txt] LIKE \"*" + list(static_cast<int>(room / 12), "[!a-z]", "") + "\"",
        "[Txt] LIKE \"" + list(static_cast<int>(room / 10), "*a?", "") + "\"",
        list(1000, "[Txt] LIKE \"ab*\"", " OR "), list(1000, "[B5_Hex] LIKE \"[α-ω]*\"", " OR "),
        list(1000, "[Txt]=\"bs\"", "AND"), list(1000, "-[Small] < [Byte]", " OR "), nested}) {
    const auto both = onBoth(criteria);
    ASSERT_TRUE(both) << criteria.substr(0, 200);
    EXPECT_EQ(both->first, both->second) << criteria.substr(0, 200);
    EXPECT_EQ(both->second.find("error"), std::string::npos) << both->second;
  }
}

// A table shaped like the data-entry table, with the index the server schema
// gives an indexed text column: the prefix search is a range scan on it.
TEST_F(CriteriaOnServerAndFile, PrefixSearchIsAnIndexRangeScan) {
  server().execute(
      "CREATE TABLE \"0_Data_Input\" (\"ID\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
      " \"B5_Hex\" text, \"Note\" text, zen_version bigint NOT NULL DEFAULT 0);"
      "CREATE INDEX \"zen_ix_0_Data_Input_1\" ON \"0_Data_Input\" (lower(\"B5_Hex\" COLLATE \"C\"));"
      "INSERT INTO \"0_Data_Input\" (\"B5_Hex\") SELECT upper(to_hex(40000 + i)) FROM generate_series(1, 13053) i;"
      "ANALYZE \"0_Data_Input\";");
  const auto resolve = criteria_test::resolverFor({{"B5_Hex", {"B5_Hex", dao::dbText}}});
  const auto plan = [&](const std::string& criteria, const std::string& tail = "") {
    const auto compiled = compileCriteria(criteria, resolve, SqlDialect::Postgres);
    std::vector<postgres::Parameter> parameters;
    for (const auto& p : compiled.parameters) parameters.push_back(dao::criteria::postgresParameterText(p));
    const auto result = server().query(
        "EXPLAIN SELECT \"ID\", \"Note\" FROM \"0_Data_Input\" WHERE " + compiled.whereSql + tail, parameters);
    std::string text;
    for (int r = 0; r < result.rows(); ++r) text += std::string(result.text(r, 0)) + "\n";
    return text;
  };
  for (const std::string criteria : {R"(B5_Hex LIKE 'a4*')", R"(([B5_Hex]  LIKE LCASE("9c4f*")))",
                                     R"([B5_Hex] LIKE "9c*" OR [B5_Hex] LIKE "A0*")"}) {
    const std::string text = plan(criteria);
    const bool scan = text.find("Index Scan using \"zen_ix_0_Data_Input_1\"") != std::string::npos ||
                      text.find("Bitmap Index Scan on \"zen_ix_0_Data_Input_1\"") != std::string::npos;
    EXPECT_TRUE(scan) << criteria << "\n" << text;
    EXPECT_NE(text.find("Index Cond: ((lower((\"B5_Hex\")::text) >="), std::string::npos) << criteria << "\n" << text;
  }
  const std::string equality = plan(R"([B5_Hex] = "9C4F")");
  EXPECT_NE(equality.find("Index Cond: (lower((\"B5_Hex\")::text) = '9c4f'::text)"), std::string::npos) << equality;
  EXPECT_NE(plan(R"([B5_Hex] LIKE "*a4")").find("Seq Scan"), std::string::npos);
  // The range holds exactly the rows the pattern matches.
  const auto compiled = compileCriteria("B5_Hex LIKE 'a4*'", resolve, SqlDialect::Postgres);
  std::vector<postgres::Parameter> parameters;
  for (const auto& p : compiled.parameters) parameters.push_back(dao::criteria::postgresParameterText(p));
  const auto found = server().query("SELECT min(\"ID\"), count(*) FROM \"0_Data_Input\" WHERE " + compiled.whereSql,
                                    parameters);
  EXPECT_EQ(found.integer(0, 0), 1984);  // 40000 + 1984 = 0xA400
  EXPECT_EQ(found.integer(0, 1), 256);
}

}  // namespace
