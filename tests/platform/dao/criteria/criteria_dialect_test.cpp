// The PostgreSQL form of compiled criteria, checked without a server: its
// placeholders and parameters. (tests/platform/dao/criteria/postgres/ runs
// it on a server against SQLite.)
#include <gtest/gtest.h>

#include <charconv>
#include <random>
#include <regex>
#include <string>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/database_builder.h"
#include "tests/platform/dao/criteria/criteria_test_support.h"

namespace {

using dao::criteria::compileCriteria;
using dao::criteria::CriteriaError;
using dao::criteria::SqlDialect;

// The placeholders of `sql` outside quoted names and constants, in order,
// with their casts ("$1::text").
std::vector<std::string> placeholders(const std::string& sql) {
  std::vector<std::string> found;
  char quote = 0;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '?') {
      found.push_back("?");
    } else if (c == '$') {
      std::size_t end = i + 1;
      while (end < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[end])) || sql[end] == ':')) ++end;
      found.push_back(sql.substr(i, end - i));
      i = end - 1;
    }
  }
  return found;
}

std::string expectedCast(const dao::criteria::SqlParameter& p) {
  if (std::holds_alternative<std::int64_t>(p)) return "int8";
  if (std::holds_alternative<double>(p)) return "float8";
  return "text";
}

const auto kResolve = criteria_test::resolverFor({
    {"a", {"a", dao::dbText}},    {"n", {"n", dao::dbLong}},      {"d", {"d", dao::dbDate}},
    {"g", {"g", dao::dbGUID}},    {"b", {"b", dao::dbBoolean}},   {"c", {"c", dao::dbCurrency}},
    {"bin", {"bin", dao::dbBinary}}, {"Odd \"?\" $1", {"Odd \"?\" $1", dao::dbText}},
});

void expectNumberedInOrder(const std::string& criteria) {
  const auto compiled = compileCriteria(criteria, kResolve, SqlDialect::Postgres);
  const auto found = placeholders(compiled.whereSql);
  ASSERT_EQ(found.size(), compiled.parameters.size()) << criteria << "\n" << compiled.whereSql;
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i], "$" + std::to_string(i + 1) + "::" + expectedCast(compiled.parameters[i]))
        << criteria << "\n" << compiled.whereSql;
  }
}

TEST(CriteriaForPostgres, PlaceholdersAreNumberedInParameterOrderOutsideQuotedNames) {
  expectNumberedInOrder(R"([Odd "?" $1] = "x?" AND [n] = 2.5 OR [a] LIKE "a4*" AND [d] > #1/1/2020#)");
  expectNumberedInOrder(R"([Odd "?" $1] LIKE "[a-c]?#" AND [g] = {guid {0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}})");
  expectNumberedInOrder(R"([bin] = "?" OR [c] = 1.5 OR "x" LIKE [a] OR ([n] = 1) = True)");
  const auto compiled = compileCriteria(R"([Odd "?" $1] = "abc")", kResolve, SqlDialect::Postgres);
  EXPECT_NE(compiled.whereSql.find(R"("Odd ""?"" $1")"), std::string::npos) << compiled.whereSql;
}

TEST(CriteriaForPostgres, RandomCriteriaAlwaysCarryAPlaceholderPerParameter) {
  const std::vector<std::string> pieces = {
      "[a]", "[n]", "[d]", "[g]", "[b]", "[c]", "[bin]", "[Odd \"?\" $1]", "(", ")", "AND", "OR", "NOT", "LIKE",
      "IS", "NULL", "True", "=", "<>", "<", ">=", "-", "\"a4*\"", "\"[!a-c]#\"", "\"?\"", "'$1'", "1", "1.5",
      "#1/1/2020#", "LCASE(", "UCASE(", "{guid {0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}}", "\"\""};
  std::mt19937 rng(2026);
  int compiled = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int count = 1 + static_cast<int>(rng() % 10);
    for (int i = 0; i < count; ++i) text += pieces[rng() % pieces.size()] + " ";
    try {
      compileCriteria(text, kResolve, SqlDialect::Postgres);
    } catch (const CriteriaError&) {
      EXPECT_THROW(compileCriteria(text, kResolve, SqlDialect::Sqlite), CriteriaError) << text;
      continue;
    }
    ++compiled;
    expectNumberedInOrder(text);
  }
  EXPECT_GT(compiled, 200);
}

TEST(CriteriaForPostgres, ParameterTextsReadBackAsTheSameValues) {
  using dao::criteria::postgresParameterText;
  EXPECT_EQ(postgresParameterText(std::int64_t{-9223372036854775807 - 1}), "-9223372036854775808");
  EXPECT_EQ(postgresParameterText(std::string("x'; --")), "x'; --");
  EXPECT_EQ(postgresParameterText(std::monostate{}), std::nullopt);
  for (double v : {0.1, 1.0 / 3.0, 44196.416666666664, -1.25, 1e300, 5e-324, 2.0}) {
    const std::string text = *postgresParameterText(v);
    double back = 0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    EXPECT_EQ(back, v) << text;
  }
}

}  // namespace

namespace {

// A prefix search whose range is exact leaves the server nothing to fold; a
// prefix the range covers only in part (k and s fold from non-ASCII letters
// too), or a pattern with more after its star, keeps the exact test.
TEST(CriteriaForPostgres, APrefixSearchIsTheIndexRangeAloneWhereThatIsExact) {
  const auto sqlOf = [](const char* criteria) {
    return compileCriteria(criteria, kResolve, SqlDialect::Postgres).whereSql;
  };
  for (const char* exactRange : {R"([a] LIKE "a4*")", R"([a] LIKE "A4**")", R"([a] LIKE "中*")"}) {
    const std::string sql = sqlOf(exactRange);
    EXPECT_EQ(sql.find("zen_fold"), std::string::npos) << exactRange << "\n" << sql;
    EXPECT_NE(sql.find(R"(lower("a" COLLATE "C") < )"), std::string::npos) << exactRange << "\n" << sql;
  }
  for (const char* needsTheTest : {R"([a] LIKE "a4*b")", R"([a] LIKE "a4?*")", R"([a] LIKE "sk*")",
                                   R"([a] LIKE "é*")", R"([a] LIKE "*")", R"(NOT [a] LIKE "a4*")"}) {
    EXPECT_NE(sqlOf(needsTheTest).find("zen_fold"), std::string::npos) << needsTheTest << "\n" << sqlOf(needsTheTest);
  }
}

}  // namespace
