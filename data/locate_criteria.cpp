#include "data/locate_criteria.h"

#include <cstdio>

#include "data/TOrvDaoDatabase.h"
#include "data/messages.h"
#include "framework/DbErrors.h"
#include "platform/big5/big5.h"
#include "platform/big5/letter_case.h"

namespace data {

namespace {

// Calls `each` with every character of a Big5 text: one byte, or the two
// bytes of a double-byte character.
template <class Each>
void ForEachCharacter(std::string_view text, Each each) {
  for (std::size_t i = 0; i < text.size();) {
    const bool pair = big5::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    const std::size_t width = pair ? 2 : 1;
    each(text.substr(i, width));
    i += width;
  }
}

// The wildcard and list characters of the engine's LIKE, put in brackets
// so that they stand for themselves.
std::string Literal(std::string_view text) {
  std::string escaped;
  ForEachCharacter(text, [&](std::string_view c) {
    if (c.size() == 1 && std::string_view("!#*-?[]").find(c[0]) != std::string_view::npos) {
      escaped += '[';
      escaped += c;
      escaped += ']';
    } else {
      escaped += c;
    }
  });
  return escaped;
}

std::string DoubledQuotes(std::string_view text) {
  std::string doubled;
  ForEachCharacter(text, [&](std::string_view c) {
    doubled += c;
    if (c == "\"") doubled += '"';
  });
  return doubled;
}

std::string StringComparison(std::string value, framework::TLocateOptions options) {
  if (options.caseInsensitive) value = big5::lowerAsciiLetters(value);
  if (options.partialKey) value = Literal(value);
  value = DoubledQuotes(value);
  if (options.partialKey && options.caseInsensitive) return " LIKE LCASE(\"" + value + "*\")";
  if (options.partialKey) return " LIKE \"" + value + "*\"";
  if (options.caseInsensitive) return " = LCASE(\"" + value + "\")";
  return " = \"" + value + "\"";
}

// Decimal separator ".", thousands separator ",": the program's number texts.
std::string NumberText(std::string_view value) {
  std::string number;
  for (const char c : value) {
    if (c != ',') number += c;
  }
  return number;
}

// A buffer's date text ("yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss" or "hh:mm:ss")
// in the engine's literal form; a text of another shape is passed on.
std::string DateText(const std::string& value, framework::TFieldType type) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int used = 0;
  bool hasDate = false;
  const char* rest = value.c_str();
  if (std::sscanf(rest, "%d-%d-%d%n", &year, &month, &day, &used) == 3) {
    hasDate = true;
    rest += used;
  }
  const bool hasTime = std::sscanf(rest, " %d:%d:%d", &hour, &minute, &second) == 3 ||
                       std::sscanf(rest, " %d:%d", &hour, &minute) == 2;
  if (!hasDate && !hasTime) return value;
  char date[16];
  char time[16];
  std::snprintf(date, sizeof date, "%02d/%02d/%04d", month, day, year);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", hour, minute, second);
  if (type == framework::ftDate) return date;
  if (type == framework::ftTime) return time;
  return std::string(date) + " " + time;
}

std::string Comparison(const LocateKey& key, framework::TLocateOptions options) {
  using namespace framework;
  if (key.value == "NULL") return "IS NULL";
  switch (key.type) {
    case ftString:
    case ftMemo:
    case ftBlob: return StringComparison(key.value, options);
    default: break;
  }
  if (key.value.empty()) {
    switch (key.type) {
      case ftSmallint:
      case ftInteger:
      case ftWord:
      case ftBoolean:
      case ftFloat:
      case ftCurrency:
      case ftAutoInc:
      case ftDate:
      case ftTime:
      case ftDateTime:
      case ftBytes: return " IS NULL";
      default: DatabaseError(SUnableToBuild);
    }
  }
  switch (key.type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftBoolean:
    case ftFloat:
    case ftCurrency:
    case ftAutoInc: return " = " + NumberText(key.value);
    case ftDate:
    case ftTime:
    case ftDateTime: return " = #" + DateText(key.value, key.type) + "#";
    case ftBytes:
      if (key.guid) return " = {guid " + key.value + "}";
      return StringComparison(key.value, {});
    default: DatabaseError(SUnableToBuild);
  }
}

}  // namespace

std::string BuildLocateCriteria(const std::vector<LocateKey>& keys, framework::TLocateOptions options,
                                bool useBrackets) {
  std::string criteria;
  for (const LocateKey& key : keys) {
    if (!criteria.empty()) criteria += " AND ";
    criteria += '(';
    criteria += useBrackets ? BracketName(key.fieldName) : key.fieldName;
    criteria += ' ';
    criteria += Comparison(key, options);
    criteria += ')';
  }
  return criteria;
}

}  // namespace data
