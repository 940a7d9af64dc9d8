// The SQL functions that compiled criteria call. Each one accepts any value
// SQLite may hand it (including Null, numbers, blobs and text that is not
// UTF-8) and never lets an exception cross into SQLite.
#include <sqlite3.h>

#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_pattern.h"
#include "platform/dao/criteria/criteria_utf8.h"
#include "platform/dao/criteria/criteria_values.h"

namespace dao::criteria {

namespace {

using detail::LikePattern;

// The value as text (numbers in SQLite's text form, blobs as their bytes).
// Precondition: the value is not Null.
std::string_view textOf(sqlite3_value* v) {
  const unsigned char* text = sqlite3_value_text(v);
  if (text == nullptr) throw std::bad_alloc();
  return {reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_value_bytes(v))};
}

void resultText(sqlite3_context* ctx, const std::string& text) {
  sqlite3_result_text64(ctx, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

template <typename Body>
void guarded(sqlite3_context* ctx, Body body) {
  try {
    body();
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(ctx);
  } catch (const std::exception& e) {
    sqlite3_result_error(ctx, e.what(), -1);
  } catch (...) {
    sqlite3_result_error(ctx, "unexpected failure in a criteria function", -1);
  }
}

void deletePattern(void* pattern) {
  std::unique_ptr<LikePattern> owner(static_cast<LikePattern*>(pattern));
}

// zen_like(value, pattern): 1 when the value matches, 0 when not, Null when
// either is Null. The compiled pattern is kept with the statement while the
// pattern argument stays the same (it is a bound parameter in compiled
// criteria), so it is parsed once per query rather than once per row.
void zenLike(sqlite3_context* ctx, int, sqlite3_value** argv) {
  guarded(ctx, [&] {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
      sqlite3_result_null(ctx);
      return;
    }
    const auto* cached = static_cast<const LikePattern*>(sqlite3_get_auxdata(ctx, 1));
    std::unique_ptr<LikePattern> fresh;
    if (cached == nullptr) {
      try {
        fresh = std::make_unique<LikePattern>(textOf(argv[1]));
      } catch (const detail::PatternSyntaxError& e) {
        throw CriteriaError(std::string("Invalid LIKE pattern: ") + e.what());
      }
      cached = fresh.get();
    }
    sqlite3_result_int(ctx, cached->matches(textOf(argv[0])) ? 1 : 0);
    // SQLite may destroy the pattern inside this call, so it is handed over last.
    if (fresh) sqlite3_set_auxdata(ctx, 1, fresh.release(), &deletePattern);
  });
}

// zen_fold(value): the value's text with every character case-folded.
void zenFold(sqlite3_context* ctx, int, sqlite3_value** argv) {
  guarded(ctx, [&] {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    resultText(ctx, detail::mapUtf8(textOf(argv[0]), detail::foldCase));
  });
}

// zen_num(value): a number as it is, a text holding a number as that number,
// anything else Null.
void zenNum(sqlite3_context* ctx, int, sqlite3_value** argv) {
  guarded(ctx, [&] {
    switch (sqlite3_value_type(argv[0])) {
      case SQLITE_INTEGER:
      case SQLITE_FLOAT: return sqlite3_result_value(ctx, argv[0]);
      case SQLITE_TEXT:
        if (const auto n = detail::parseNumber(textOf(argv[0]))) {
          if (n->isInteger) return sqlite3_result_int64(ctx, n->integer);
          return sqlite3_result_double(ctx, n->real);
        }
        [[fallthrough]];
      default: return sqlite3_result_null(ctx);
    }
  });
}

// zen_date(value): the day number of a date kept as the engine's date number
// or as text ("2020-12-31 10:00:00", "12/31/2020"); Null for anything else.
void zenDate(sqlite3_context* ctx, int, sqlite3_value** argv) {
  guarded(ctx, [&] {
    switch (sqlite3_value_type(argv[0])) {
      case SQLITE_INTEGER:
      case SQLITE_FLOAT:
        return sqlite3_result_double(ctx, detail::dayNumberFromOleDate(sqlite3_value_double(argv[0])));
      case SQLITE_TEXT: {
        const std::string_view text = textOf(argv[0]);
        if (const auto day = detail::parseDayNumber(text)) return sqlite3_result_double(ctx, *day);
        if (const auto n = detail::parseNumber(text)) {
          const double ole = n->isInteger ? static_cast<double>(n->integer) : n->real;
          return sqlite3_result_double(ctx, detail::dayNumberFromOleDate(ole));
        }
        [[fallthrough]];
      }
      default: return sqlite3_result_null(ctx);
    }
  });
}

// zen_guid(value): the canonical text of a GUID kept as 16 bytes or as text;
// Null for anything else.
void zenGuid(sqlite3_context* ctx, int, sqlite3_value** argv) {
  guarded(ctx, [&] {
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_BLOB && sqlite3_value_bytes(argv[0]) == 16) {
      const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
      if (bytes == nullptr) throw std::bad_alloc();
      return resultText(ctx, detail::guidFromBytes(bytes));
    }
    if (type == SQLITE_TEXT) {
      if (const auto guid = detail::canonicalGuid(textOf(argv[0]))) return resultText(ctx, *guid);
    }
    sqlite3_result_null(ctx);
  });
}

}  // namespace

void registerCriteriaFunctions(sqlite3* db) {
  if (db == nullptr) throw CriteriaError("Cannot register the criteria functions: no database connection.");
  struct Function {
    const char* name;
    int arguments;
    void (*body)(sqlite3_context*, int, sqlite3_value**);
  };
  static constexpr Function kFunctions[] = {
      {"zen_like", 2, &zenLike}, {"zen_fold", 1, &zenFold}, {"zen_num", 1, &zenNum},
      {"zen_date", 1, &zenDate}, {"zen_guid", 1, &zenGuid},
  };
  for (const Function& f : kFunctions) {
    const int rc = sqlite3_create_function_v2(db, f.name, f.arguments,
                                              SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                              nullptr, f.body, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      throw CriteriaError(std::string("Cannot register the criteria function ") + f.name + ": " +
                          sqlite3_errmsg(db));
    }
  }
}

}  // namespace dao::criteria
