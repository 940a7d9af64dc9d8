// Hostile and malformed criteria: every one must end in CriteriaError, and
// everything that compiles must be SQL that SQLite accepts.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_lexer.h"
#include "platform/dao/criteria/criteria_sql_compiler.h"
#include "platform/dao/database_builder.h"
#include "tests/platform/dao/criteria/criteria_test_support.h"

namespace {

using dao::criteria::compileCriteria;
using dao::criteria::CriteriaError;
using namespace criteria_test;

class HostileCriteria : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = openMemoryDb();
    exec(db_.get(), "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, n INTEGER, d REAL, g BLOB);"
                    "CREATE INDEX t_a ON t(a COLLATE NOCASE);"
                    "INSERT INTO t(a, n, d, g) VALUES ('A4A4', 1, 44196, NULL), ('x[y', 2, NULL, X'00'),"
                    " (NULL, NULL, NULL, NULL), ('[a-', 3, 1.5, NULL);");
    resolve_ = resolverFor({{"a", {"a", dao::dbText}}, {"n", {"n", dao::dbLong}},
                            {"d", {"d", dao::dbDate}}, {"g", {"g", dao::dbGUID}},
                            {"b", {"n", dao::dbBoolean}}});
  }

  // Compiles and, if that succeeds, runs the query to the end.
  void compileAndRun(const std::string& criteria) {
    const auto compiled = compileCriteria(criteria, resolve_);
    auto stmt = prepare(db_.get(), "SELECT id FROM t WHERE " + compiled.whereSql);
    bindAll(stmt.get(), compiled.parameters);
    int rc = 0;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    // A pattern taken from a field is only known while the query runs.
    if (rc != SQLITE_DONE) {
      EXPECT_NE(std::string(sqlite3_errmsg(db_.get())).find("Invalid LIKE pattern"), std::string::npos)
          << criteria << ": " << sqlite3_errmsg(db_.get());
    }
  }

  void expectRefused(const std::string& criteria) {
    EXPECT_THROW(compileCriteria(criteria, resolve_), CriteriaError) << criteria;
  }

  DbPtr db_;
  dao::criteria::ColumnResolver resolve_;
};

TEST_F(HostileCriteria, UnbalancedQuotesBracketsAndParentheses) {
  for (const char* text : {"\"", "'", "[a] = \"abc", "[a] = 'abc", "[a] = \"abc\"\"", "[a", "[a] = [n",
                           "a]", "(", ")", "(([a] = 1)", "([a] = 1))", "LCASE(", "LCASE(a", "#", "#1/1/2020",
                           "{guid", "{guid {", "{", "}", "[a] LIKE \"[\"", "[a] LIKE \"ab[cd\"",
                           "[a] LIKE \"[z-a]\"", "[a] = [[b]]", "[a] = ", "AND", "OR [a] = 1", "[a] = 1 AND",
                           "NOT", "[a] IS", "[a] IS NOT", "[a] LIKE", "[a] NOT", ".", "[a].", "[a] = ..5"}) {
    expectRefused(text);
  }
}

TEST_F(HostileCriteria, TypeMismatchesAndUnknownFunctions) {
  for (const char* text : {"[n] = \"abc\"", "[g] = 5", "[a]", "\"text\"", "[d] = \"tomorrow\"",
                           "[a] LIKE #1/1/2020#", "-{guid {0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}}",
                           "LCASE(#1/1/2020#) = 'x'", "LCASE() = 'x'", "LCASE(a, a) = 'x'", "Eval(a) = 1",
                           "[missing] = 1"}) {
    expectRefused(text);
  }
}

TEST_F(HostileCriteria, NulBytesAndInvalidUtf8) {
  expectRefused(std::string("[a] = \"x\0y\"", 11));
  expectRefused(std::string("\0", 1));
  expectRefused("[a] = \"\xFF\"");
  expectRefused("[a] = \"\xC0\xAF\"");
  expectRefused("[a\xED\xA0\x80] = 1");
  expectRefused("[a] = \"\xE4\xB8");
}

TEST_F(HostileCriteria, HugeInputIsRefusedWithoutBeingParsed) {
  expectRefused(std::string(1 << 20, '('));
  expectRefused("[a] = \"" + std::string(4 << 20, 'x') + "\"");
  try {
    compileCriteria(std::string(3 << 20, ' '), resolve_);
    FAIL();
  } catch (const CriteriaError& e) {
    EXPECT_NE(std::string(e.what()).find("too long"), std::string::npos);
  }
}

TEST_F(HostileCriteria, DeepNestingIsRefused) {
  expectRefused(std::string(100000, '(') + "[a] = 1" + std::string(100000, ')'));
  std::string calls;
  for (int i = 0; i < 5000; ++i) calls += "LCASE(";
  expectRefused(calls);
}

TEST_F(HostileCriteria, LargestCriteriaThatFitStillRun) {
  compileAndRun("[a] LIKE \"" + std::string(dao::criteria::detail::kMaxCriteriaBytes - 20, 'x') + "*\"");
  // Flat lists as long as allowed: SQLite must accept them (expression
  // depth, parameter count).
  const auto list = [](int conditions, const std::string& condition, const std::string& separator) {
    std::string s = condition;
    for (int i = 1; i < conditions; ++i) s += separator + condition;
    return s;
  };
  const int most = dao::criteria::detail::kMaxConditions;
  compileAndRun(list(most, "[a] LIKE \"ab*\"", " OR "));
  compileAndRun(list(most, "[a]=\"bs\"", "AND"));
  expectRefused(list(most + 1, "[n] = 1", " OR "));
  compileAndRun(std::string(200, '(') + "[a] = 1" + std::string(200, ')'));
  std::string nots;
  for (int i = 0; i < 10001; ++i) nots += "NOT ";
  compileAndRun(nots + "[a] = 'x'");
}

TEST_F(HostileCriteria, AlternatingNestingStopsBeforeSqliteWould) {
  const auto alternating = [](int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += std::string("[a] LIKE \"x*\" ") + (i % 2 ? "AND" : "OR") + " (";
    s += "([n] = 1) = True";
    return s + std::string(depth, ')');
  };
  int accepted = 0;
  for (int depth = 1; depth <= 60; ++depth) {
    try {
      compileCriteria(alternating(depth), resolve_);
    } catch (const CriteriaError& e) {
      EXPECT_NE(std::string(e.what()).find("too complex"), std::string::npos);
      break;
    }
    compileAndRun(alternating(depth));
    accepted = depth;
  }
  EXPECT_GE(accepted, 15);
  EXPECT_LT(accepted, 60);
}

// Random soups of the language's own pieces: each text is either refused
// with CriteriaError or compiles into SQL that prepares and runs.
TEST_F(HostileCriteria, RandomTokenSoupNeverEscapesTheContract) {
  const std::vector<std::string> pieces = {
      "[a]", "[n]", "[d]", "[g]", "[b]", "a", "n", " ", "(", ")", "(", ")", "AND", "OR", "NOT", "LIKE", "IS",
      "NULL", "True", "False", "=", "<>", "<", ">=", "-", "+", ",", ".", "\"", "\"a4*\"", "\"[*]\"", "\"x[\"",
      "'q'", "1", "1.5", "2E3", "#1/1/2020#", "#", "LCASE(", "UCASE(", "{guid {0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}}",
      "[", "]", "*", "?", "\"\"\"\"", "\xC3\xA9", "\xFF", "!", "'", "[a].[n]"};
  std::mt19937 rng(77);
  int compiled = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int count = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < count; ++i) text += pieces[rng() % pieces.size()] + (rng() % 2 ? " " : "");
    try {
      compileAndRun(text);
      ++compiled;
    } catch (const CriteriaError&) {
    }
  }
  EXPECT_GT(compiled, 100);
}

}  // namespace
