// What the PostgreSQL dialect adds around the shared compiler: numbered,
// typed placeholders and the parameters' text form for libpq.
#include <charconv>
#include <string>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_sql_compiler.h"

namespace dao::criteria {

namespace detail {

namespace {

std::string_view postgresType(const SqlParameter& p) {
  if (std::holds_alternative<std::int64_t>(p)) return "int8";
  if (std::holds_alternative<double>(p)) return "float8";
  return "text";
}

}  // namespace

// The compiled SQL holds no string literals of the criteria (every value is
// a parameter); its only quoted parts are identifiers and a few constants,
// which may contain '?' in a column name, so those are skipped.
std::string numberPostgresPlaceholders(std::string_view sql, const std::vector<SqlParameter>& parameters) {
  std::string out;
  out.reserve(sql.size() + parameters.size() * 10);
  char quote = 0;
  std::size_t next = 0;
  for (char c : sql) {
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens: still inside
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '?') {
      if (next >= parameters.size()) throw CriteriaError("Internal error: more placeholders than parameters.");
      out += "$" + std::to_string(next + 1) + "::" + std::string(postgresType(parameters[next]));
      ++next;
      continue;
    }
    out.push_back(c);
  }
  if (next != parameters.size()) throw CriteriaError("Internal error: more parameters than placeholders.");
  return out;
}

}  // namespace detail

std::optional<std::string> postgresParameterText(const SqlParameter& parameter) {
  if (const auto* i = std::get_if<std::int64_t>(&parameter)) return std::to_string(*i);
  if (const auto* r = std::get_if<double>(&parameter)) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, *r);  // shortest exact form
    return std::string(buffer, result.ptr);
  }
  if (const auto* s = std::get_if<std::string>(&parameter)) return *s;
  return std::nullopt;
}

}  // namespace dao::criteria
