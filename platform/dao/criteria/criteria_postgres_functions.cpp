// The server side of the PostgreSQL dialect: SQL and PL/pgSQL functions that
// do what criteria_functions.cpp does inside SQLite, on the server's stored
// representation (see criteria.h), with nothing to install on the server.
// Every function is IMMUTABLE and PARALLEL SAFE and depends on no setting of
// the server: case folding is this program's own table (translate() maps one
// character to one, as simple folding does), text ordering is "C", and
// strings with backslashes are written E'...' so that
// standard_conforming_strings does not matter.
#include <string>

#include "platform/dao/criteria/criteria.h"
#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_utf8.h"

namespace dao::criteria {

namespace {

// The fold table as two SQL string literals of equal length in characters.
std::pair<std::string, std::string> foldTableLiterals() {
  std::string from = "'", to = "'";
  for (const detail::CaseMapEntry& e : detail::simpleCaseFoldingTable()) {
    detail::appendUtf8(from, e.from);
    detail::appendUtf8(to, e.to);
  }
  return {from + "'", to + "'"};
}

// The part of the fold table for characters in [lo, hi): a regular
// expression literal matching any of them, and the two translate() literals.
struct FoldGroup {
  std::string anyOf, from, to;
};

// Each translate() table starts with the ASCII characters mapped to
// themselves (after lower() there are no capitals), most frequent first:
// translate() stops at the first entry that matches, so a space or a letter
// costs a few comparisons instead of a pass over the whole table.
FoldGroup foldGroup(char32_t lo, char32_t hi) {
  static constexpr std::string_view kAsciiFirst =
      " eaoinrtslcdhumpgfybwvkxjqz0123456789-.,:;_()/[]*?#!\"%&+<=>@^`{|}~$";
  FoldGroup g{"'[", "'" + std::string(kAsciiFirst), "'" + std::string(kAsciiFirst)};
  for (const detail::CaseMapEntry& e : detail::simpleCaseFoldingTable()) {
    if (e.from < lo || e.from >= hi) continue;
    detail::appendUtf8(g.anyOf, e.from);
    detail::appendUtf8(g.from, e.from);
    detail::appendUtf8(g.to, e.to);
  }
  g.anyOf += "]'";
  g.from += "'";
  g.to += "'";
  return g;
}

// STRICT: Null in, Null out, without running the body.
constexpr const char* kAttributes = "IMMUTABLE STRICT PARALLEL SAFE";

std::string sqlFunction(const std::string& signature, const std::string& returns, const std::string& body) {
  return "CREATE OR REPLACE FUNCTION " + signature + " RETURNS " + returns + " LANGUAGE sql " + kAttributes +
         "\nAS $zen$" + body + "$zen$;\n";
}

std::string plpgsqlFunction(const std::string& signature, const std::string& returns, const std::string& extra,
                            const std::string& body, bool strict = true) {
  return "CREATE OR REPLACE FUNCTION " + signature + " RETURNS " + returns + " LANGUAGE plpgsql " +
         (strict ? kAttributes : "IMMUTABLE PARALLEL SAFE") + extra + "\nAS $zen$\n" + body + "$zen$;\n";
}

}  // namespace

std::string postgresCriteriaFunctionsSql() {
  const auto [from, to] = foldTableLiterals();
  std::string sql;

  // translate() searches its whole table for every character of the text,
  // so the table beyond ASCII is split: Latin, Greek and Cyrillic, which
  // most folding text needs, and the rest.
  const FoldGroup all = foldGroup(0x80, 0x110000), common = foldGroup(0x80, 0x530),
                  rest = foldGroup(0x530, 0x110000);
  sql += plpgsqlFunction("zen_fold_beyond_ascii(v text)", "text", "", R"(DECLARE
  w text := v;
BEGIN
  IF w ~ )" + common.anyOf + R"( THEN w := translate(w, )" + common.from + ", " + common.to + R"(); END IF;
  IF w ~ )" + rest.anyOf + R"( THEN w := translate(w, )" + rest.from + ", " + rest.to + R"(); END IF;
  RETURN w;
END;
)");

  // zen_fold(text): every character case-folded. lower() under "C" folds
  // exactly A-Z; text with no character beyond ASCII that folds (ASCII,
  // Chinese, lower-case letters) needs nothing more.
  sql += sqlFunction("zen_fold(v text)", "text",
                     "SELECT CASE WHEN octet_length(v) = char_length(v) OR v !~ " + all.anyOf +
                     " THEN lower(v COLLATE \"C\") ELSE zen_fold_beyond_ascii(lower(v COLLATE \"C\")) END");

  // zen_text(value): the value as SQLite renders it as text (reals as
  // "%!.15g": 15 significant digits, at least one after the point).
  sql += sqlFunction("zen_text(v text)", "text", "SELECT v");
  sql += sqlFunction("zen_text(v smallint)", "text", "SELECT v::text");
  sql += sqlFunction("zen_text(v integer)", "text", "SELECT v::text");
  sql += sqlFunction("zen_text(v bigint)", "text", "SELECT v::text");
  sql += plpgsqlFunction("zen_text(v double precision)", "text", "", R"(DECLARE
  n numeric;
  s text;
  digits text;
  e integer;
BEGIN
  IF v = 'NaN'::float8 THEN RETURN NULL; END IF;
  IF v = 'Infinity'::float8 THEN RETURN 'Inf'; END IF;
  IF v = '-Infinity'::float8 THEN RETURN '-Inf'; END IF;
  IF v = 0 THEN RETURN '0.0'; END IF;
  n := abs(v)::numeric;
  FOR pass IN 1..2 LOOP
    s := trim_scale(n)::text;
    IF n >= 1 THEN
      e := length(split_part(s, '.', 1)) - 1;
    ELSE
      e := -(length(substring(s from '^0[.](0*)')) + 1);
    END IF;
    n := round(n, 14 - e);  -- 15 significant digits; may carry into one more
  END LOOP;
  s := trim_scale(n)::text;
  IF e < -4 OR e > 14 THEN
    digits := trim(trailing '0' from ltrim(replace(s, '.', ''), '0'));
    s := substr(digits, 1, 1) || '.' || coalesce(nullif(substr(digits, 2), ''), '0') || 'e' ||
         CASE WHEN e < 0 THEN '-' ELSE '+' END || CASE WHEN abs(e) < 10 THEN '0' ELSE '' END || abs(e)::text;
  ELSIF position('.' in s) = 0 THEN
    s := s || '.0';
  END IF;
  RETURN CASE WHEN v < 0 THEN '-' || s ELSE s END;
END;
)");
  sql += sqlFunction("zen_text(v real)", "text", "SELECT zen_text(v::double precision)");
  // Numbers read from text (zen_num) keep scale 0 when they were integers.
  sql += sqlFunction("zen_text(v numeric)", "text",
                     "SELECT CASE WHEN scale(v) = 0 THEN v::text ELSE zen_text(v::double precision) END");
  sql += plpgsqlFunction("zen_text(v bytea)", "text", "", R"(BEGIN
  RETURN convert_from(v, 'UTF8');
EXCEPTION WHEN others THEN
  RETURN NULL;
END;
)");

  // zen_num(text): a text holding a number as that number, else Null.
  // Integers that fit 64 bits come back exact with scale 0; other numbers
  // as the double they denote (its shortest exact decimal), scale >= 1.
  sql += plpgsqlFunction("zen_num(v text)", "numeric", " SET extra_float_digits = 1", R"(DECLARE
  t text := btrim(v, E' \t\r\n');
  f double precision;
  n numeric;
BEGIN
  IF t !~ '^[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)([eE][+-]?[0-9]+)?$' THEN RETURN NULL; END IF;
  IF t ~ '^[+-]?[0-9]+$' THEN
    n := t::numeric;
    IF n BETWEEN -9223372036854775808 AND 9223372036854775807 THEN RETURN n; END IF;
  END IF;
  IF length(t) > 300 OR t ~ '[eE]' THEN
    BEGIN
      f := t::double precision;
    EXCEPTION WHEN others THEN
      RETURN NULL;
    END;
  ELSE
    f := t::double precision;
  END IF;
  IF f = 'Infinity'::float8 OR f = '-Infinity'::float8 THEN RETURN NULL; END IF;
  n := f::text::numeric;
  RETURN CASE WHEN scale(n) = 0 THEN n + 0.0 ELSE n END;
END;
)");

  // zen_date: the continuous day number of a date number or a date text,
  // rounded to whole milliseconds (half away from zero).
  sql += sqlFunction("zen_round_ms(x double precision)", "double precision",
                     "SELECT CASE WHEN x = 'NaN'::float8 THEN x"
                     " WHEN abs(x) > 1.7976931348623157e308::float8 / 86400000::float8 THEN sign(x) * 'Infinity'::float8"
                     " ELSE (trunc(y) + CASE WHEN abs(y - trunc(y)) >= 0.5 THEN sign(y) ELSE 0 END) / 86400000::float8"
                     " END FROM (SELECT x * 86400000::float8 AS y) r");
  sql += sqlFunction("zen_date(v double precision)", "double precision",
                     "SELECT zen_round_ms(CASE WHEN v < 0 THEN trunc(v) + (trunc(v) - v) ELSE v END)");
  sql += plpgsqlFunction("zen_time_seconds(h text, mi text, s text, f text, ampm text)", "double precision",
                         "", R"(DECLARE
  hh integer := h::integer;
  sec double precision := 0;
BEGIN
  IF mi::integer > 59 THEN RETURN NULL; END IF;
  IF s IS NOT NULL THEN
    IF s::integer > 59 THEN RETURN NULL; END IF;
    sec := s::double precision;
    IF f IS NOT NULL THEN sec := sec + f::double precision / power(10::double precision, length(f)); END IF;
  END IF;
  IF ampm IS NOT NULL THEN
    IF hh < 1 OR hh > 12 THEN RETURN NULL; END IF;
    hh := hh % 12 + CASE WHEN upper(ampm COLLATE "C") = 'PM' THEN 12 ELSE 0 END;
  ELSIF hh > 23 THEN
    RETURN NULL;
  END IF;
  RETURN (hh * 3600 + mi::integer * 60)::double precision + sec;
END;
)", false);  // seconds, fraction and AM/PM may be Null
  sql += plpgsqlFunction("zen_date(v text)", "double precision", "", R"(DECLARE
  b constant text := E'[ \t\r\n]';
  tm constant text := '([0-9]{1,2}):([0-9]{2})(?::([0-9]{2})(?:[.]([0-9]{1,9}))?)?' || b || '*([AaPp][Mm])?' || b || '*';
  m text[];
  y integer;
  mo integer;
  d integer;
  last integer;
  secs double precision := 0;
  n numeric;
BEGIN
  m := regexp_match(v, '^' || b || '*' || tm || '$');
  IF m IS NOT NULL THEN
    RETURN zen_round_ms(zen_time_seconds(m[1], m[2], m[3], m[4], m[5]) / 86400::double precision);
  END IF;
  m := regexp_match(v, '^' || b || '*([0-9]{1,4})([/-])([0-9]{1,2})([/-])([0-9]{1,4})(?:T(?:' || tm || ')?|' ||
                       b || '+(?:' || tm || ')?)?$');
  IF m IS NULL THEN
    n := zen_num(v);
    RETURN CASE WHEN n IS NULL THEN NULL ELSE zen_date(n::double precision) END;
  END IF;
  IF m[2] <> m[4] THEN RETURN NULL; END IF;
  IF length(m[1]) = 4 THEN
    IF length(m[5]) > 2 THEN RETURN NULL; END IF;
    y := m[1]::integer; mo := m[3]::integer; d := m[5]::integer;
  ELSIF length(m[1]) <= 2 THEN
    mo := m[1]::integer; d := m[3]::integer; y := m[5]::integer;
    IF length(m[5]) <= 2 THEN y := y + CASE WHEN y < 30 THEN 2000 ELSE 1900 END; END IF;
  ELSE
    RETURN NULL;
  END IF;
  IF y < 100 OR mo < 1 OR mo > 12 THEN RETURN NULL; END IF;
  last := CASE WHEN mo = 2 THEN CASE WHEN (y % 4 = 0 AND y % 100 <> 0) OR y % 400 = 0 THEN 29 ELSE 28 END
               WHEN mo IN (4, 6, 9, 11) THEN 30 ELSE 31 END;
  IF d < 1 OR d > last THEN RETURN NULL; END IF;
  IF m[6] IS NOT NULL THEN
    secs := zen_time_seconds(m[6], m[7], m[8], m[9], m[10]);
  ELSIF m[11] IS NOT NULL THEN
    secs := zen_time_seconds(m[11], m[12], m[13], m[14], m[15]);
  END IF;
  RETURN zen_round_ms((make_date(y, mo, d) - DATE '1899-12-30')::double precision + secs / 86400::double precision);
END;
)");

  // zen_guid: the canonical "{XXXXXXXX-...}" of a GUID's text or of its 16
  // bytes in the Windows layout; Null for anything else.
  sql += sqlFunction("zen_guid(v text)", "text",
                     "SELECT CASE WHEN g ~ '^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$'"
                     " THEN '{' || upper(g COLLATE \"C\") || '}' END"
                     " FROM (SELECT CASE WHEN octet_length(t) = 38 AND left(t, 1) = '{' AND right(t, 1) = '}'"
                     " THEN substr(t, 2, 36) ELSE t END AS g FROM (SELECT btrim(v, E' \\t\\r\\n') AS t) a) b");
  sql += sqlFunction("zen_guid(v bytea)", "text",
                     "SELECT CASE WHEN length(v) = 16 THEN '{' || substr(h, 7, 2) || substr(h, 5, 2) || substr(h, 3, 2)"
                     " || substr(h, 1, 2) || '-' || substr(h, 11, 2) || substr(h, 9, 2) || '-' || substr(h, 15, 2)"
                     " || substr(h, 13, 2) || '-' || substr(h, 17, 4) || '-' || substr(h, 21, 12) || '}' END"
                     " FROM (SELECT upper(encode(v, 'hex') COLLATE \"C\") AS h) x");

  // zen_like_regex(pattern): the pattern as an anchored regular expression
  // over the folded value, the same text LikePattern::postgresRegex() gives;
  // zen_like(value, pattern) matches with it (patterns taken from a field).
  sql += sqlFunction("zen_regex_char(c text)", "text",
                     "SELECT CASE WHEN c ~ '^[0-9A-Za-z]$' THEN c"
                     " WHEN ascii(c) > 65535 THEN E'\\\\U' || lpad(upper(to_hex(ascii(c)) COLLATE \"C\"), 8, '0')"
                     " ELSE E'\\\\u' || lpad(upper(to_hex(ascii(c)) COLLATE \"C\"), 4, '0') END");
  sql += plpgsqlFunction("zen_like_regex(p text)", "text", "", R"(DECLARE
  chars text[] := coalesce(string_to_array(p, NULL), '{}');
  n integer := coalesce(array_length(chars, 1), 0);
  froms text[];
  tos text[];
  i integer := 1;
  k integer;
  closing integer;
  c text;
  body text[];
  negated boolean;
  singles text[];
  ranges text;
  rangeCount integer;
  out text := '^';
  run boolean := false;  -- the last thing added was ".*": "**" and "*[]*" are one
BEGIN
  WHILE i <= n LOOP
    c := chars[i];
    IF c = '*' THEN
      IF NOT run THEN out := out || '.*'; END IF;
      run := true; i := i + 1; CONTINUE;
    ELSIF c = '?' THEN
      out := out || '.'; i := i + 1;
    ELSIF c = '#' THEN
      out := out || '[0-9]'; i := i + 1;
    ELSIF c = '[' THEN
      IF i + 2 <= n AND chars[i + 2] = ']' AND chars[i + 1] IN (']', '!') THEN
        out := out || zen_regex_char(chars[i + 1]); i := i + 3; run := false; CONTINUE;
      END IF;
      closing := NULL;
      FOR j IN i + 1..n LOOP
        IF chars[j] = ']' THEN closing := j; EXIT; END IF;
      END LOOP;
      IF closing IS NULL THEN
        RAISE EXCEPTION 'Invalid LIKE pattern: missing '']'' closing the list opened at character % of the pattern', i;
      END IF;
      body := coalesce(chars[i + 1:closing - 1], '{}');
      negated := coalesce(array_length(body, 1), 0) > 0 AND body[1] = '!';
      IF negated THEN body := coalesce(body[2:], '{}'); END IF;
      singles := '{}'; ranges := ''; rangeCount := 0; k := 1;
      WHILE k <= coalesce(array_length(body, 1), 0) LOOP
        IF body[k] <> '-' AND k + 2 <= array_length(body, 1) AND body[k + 1] = '-' THEN
          IF ascii(body[k + 2]) < ascii(body[k]) THEN
            RAISE EXCEPTION 'Invalid LIKE pattern: the range in the list at character % of the pattern runs backwards', i;
          END IF;
          ranges := ranges || zen_regex_char(body[k]) || '-' || zen_regex_char(body[k + 2]);
          IF froms IS NULL THEN
            froms := string_to_array()" + from + R"(, NULL);
            tos := string_to_array()" + to + R"(, NULL);
          END IF;
          FOR j IN 1..array_length(froms, 1) LOOP
            IF ascii(froms[j]) BETWEEN ascii(body[k]) AND ascii(body[k + 2]) THEN
              ranges := ranges || zen_regex_char(tos[j]);
            END IF;
          END LOOP;
          rangeCount := rangeCount + 1; k := k + 3;
        ELSE
          singles := singles || zen_fold(body[k]); k := k + 1;
        END IF;
      END LOOP;
      IF NOT negated AND rangeCount = 0 AND coalesce(array_length(singles, 1), 0) = 0 THEN
        i := closing + 1; CONTINUE;  -- "[]" matches nothing, zero characters
      ELSIF NOT negated AND rangeCount = 0 AND array_length(singles, 1) = 1 THEN
        out := out || zen_regex_char(singles[1]);
      ELSE
        out := out || CASE WHEN negated THEN '[^' ELSE '[' END;
        FOR j IN 1..coalesce(array_length(singles, 1), 0) LOOP
          out := out || zen_regex_char(singles[j]);
        END LOOP;
        out := out || ranges || ']';
      END IF;
      i := closing + 1;
    ELSE
      out := out || zen_regex_char(zen_fold(c)); i := i + 1;
    END IF;
    run := false;
  END LOOP;
  RETURN out || '$';
END;
)");
  sql += sqlFunction("zen_like(v text, p text)", "boolean", "SELECT zen_fold(v) ~ zen_like_regex(p)");
  return sql;
}

}  // namespace dao::criteria
