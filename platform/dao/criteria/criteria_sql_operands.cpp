// Values of a criteria text: field references, literals, unary minus and the
// LCASE/UCASE functions, and how each converts for a comparison.
#include <algorithm>

#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_sql_compiler.h"
#include "platform/dao/criteria/criteria_utf8.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace dao::criteria::detail {

namespace {

ValueType typeOfColumn(int daoType) {
  switch (daoType) {
    case dbBoolean: case dbByte: case dbInteger: case dbLong: case dbCurrency: case dbSingle:
    case dbDouble: case dbBigInt: case dbNumeric: case dbDecimal: case dbFloat:
      return ValueType::Number;
    case dbDate: return ValueType::Date;
    case dbGUID: return ValueType::Guid;
    case dbBinary: case dbLongBinary: case dbVarBinary: return ValueType::Binary;
    default: return ValueType::Text;  // Text, Memo, Char and anything unknown
  }
}

Operand literalOf(ValueType type, std::size_t offset) {
  Operand o;
  o.type = type;
  o.offset = offset;
  o.literal = true;
  return o;
}

Operand numberLiteral(const NumberValue& n, std::size_t offset, std::string written) {
  Operand o = literalOf(ValueType::Number, offset);
  o.number = n;
  o.text = std::move(written);
  return o;
}

Operand computed(ValueType type, std::size_t offset, const Fragment& expression) {
  Operand o;
  o.type = type;
  o.offset = offset;
  o.value = expression;
  o.raw = expression;
  return o;
}

Fragment numberParameter(const NumberValue& n) {
  return n.isInteger ? parameter(n.integer) : parameter(n.real);
}

Fragment negated(const Fragment& f) {
  Fragment out;
  out.append("(-");
  out.append(f);
  out.append(")");
  out.depth = f.depth + 1;
  return out;
}

NumberValue negate(const NumberValue& n) {
  NumberValue out = n;
  if (n.isInteger) {
    out.integer = -n.integer;  // literals are written without sign, so never INT64_MIN
  } else {
    out.real = -n.real;
  }
  return out;
}

Fragment cast(const Fragment& f, std::string_view type) {
  Fragment out;
  out.append("CAST(");
  out.append(f);
  out.append(" AS ");
  out.append(type);
  out.append(")");
  out.depth = f.depth + 1;
  return out;
}

}  // namespace

Operand SqlCompiler::operand(const Node& node) {
  switch (node.kind) {
    case NodeKind::Column: return column(node);
    case NodeKind::Negate: return negation(node);
    case NodeKind::Call: return call(node);
    case NodeKind::Text: {
      Operand o = literalOf(ValueType::Text, node.offset);
      o.text = node.text;
      return o;
    }
    case NodeKind::Guid: {
      Operand o = literalOf(ValueType::Guid, node.offset);
      o.text = node.text;
      return o;
    }
    case NodeKind::Number: {
      const auto n = parseNumber(node.text);  // checked by the lexer
      if (!n) fail(node.offset, "malformed number " + node.text);
      return numberLiteral(*n, node.offset, node.text);
    }
    case NodeKind::Date: {
      Operand o = literalOf(ValueType::Date, node.offset);
      o.day = node.number;
      return o;
    }
    case NodeKind::Boolean: {
      NumberValue n;
      n.integer = node.boolean ? -1 : 0;  // the engine's True is -1
      return numberLiteral(n, node.offset, node.boolean ? "True" : "False");
    }
    case NodeKind::Null: return literalOf(ValueType::Null, node.offset);
    default: {
      // A condition used as a value: True (-1), False (0) or Null.
      const Fragment condition = output(this->condition(node, false));
      return computed(ValueType::Number, node.offset, truthValue(parenthesised(condition)));
    }
  }
}

Operand SqlCompiler::column(const Node& node) {
  if (!resolve_) fail(node.offset, "no fields are known here, so '" + node.text + "' cannot be used");
  const ResolvedColumn resolved = resolve_(node.text);
  if (resolved.sqlName.empty() || resolved.sqlName.find('\0') != std::string::npos) {
    fail(node.offset, "the field '" + node.text + "' has no usable column name");
  }
  Fragment name;
  name.sql = quoteIdentifier(resolved.sqlName);

  Operand o;
  o.type = typeOfColumn(resolved.daoType);
  o.offset = node.offset;
  o.raw = name;
  o.value = name;
  switch (o.type) {
    case ValueType::Text:
      // Only these are declared as TEXT, which the NOCASE range relies on.
      if (resolved.daoType == dbText || resolved.daoType == dbMemo) o.textColumn = name.sql;
      break;
    case ValueType::Number:
      if (resolved.daoType == dbCurrency) {
        // Kept as COM's currency: the amount times 10,000 as an integer.
        Fragment amount;
        amount.append("(");
        amount.append(name);
        amount.append(postgres() ? " / 10000.0::float8)" : " / 10000.0)");
        amount.depth = 1;
        o.value = amount;
      } else if (resolved.daoType == dbBoolean) {
        // Stored as any non-zero number for True; compared as the engine's -1.
        Fragment test;
        test.append("(");
        test.append(name);
        test.append(" <> 0)");
        test.depth = 1;
        o.value = truthValue(test);
      } else if (postgres()) {
        o.narrowInteger = resolved.daoType == dbByte || resolved.daoType == dbInteger || resolved.daoType == dbLong;
      }
      break;
    case ValueType::Date: o.value = function("zen_date", name); break;
    case ValueType::Guid: o.value = function("zen_guid", name); break;
    default: break;
  }
  return o;
}

Operand SqlCompiler::negation(const Node& node) {
  const Operand v = operand(*node.children.front());
  if (v.literal) {
    switch (v.type) {
      case ValueType::Null: return v;
      case ValueType::Number: return numberLiteral(negate(v.number), node.offset, "-" + v.text);
      case ValueType::Date: {
        NumberValue n;
        n.isInteger = false;
        n.real = -v.day;
        return numberLiteral(n, node.offset, "");
      }
      case ValueType::Text:
        if (const auto n = parseNumber(v.text)) return numberLiteral(negate(*n), node.offset, "-" + v.text);
        break;
      default: break;
    }
    mismatch(node.offset);
  }
  switch (v.type) {
    case ValueType::Number:
    case ValueType::Date:
      if (v.narrowInteger) return computed(ValueType::Number, node.offset, negated(cast(v.value, "bigint")));
      return computed(ValueType::Number, node.offset, negated(v.value));
    case ValueType::Text:
      return computed(ValueType::Number, node.offset, negated(function("zen_num", v.value)));
    default: mismatch(node.offset);
  }
}

Operand SqlCompiler::call(const Node& node) {
  std::string name = node.text;
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
  const bool lower = name == "LCASE" || name == "LCASE$";
  const bool upper = name == "UCASE" || name == "UCASE$";
  if (!lower && !upper) {
    throw CriteriaError("Undefined function '" + node.text + "' in criteria at position " +
                        std::to_string(characterPosition(criteria_, node.offset)) + ".");
  }
  if (node.children.size() != 1) fail(node.offset, node.text + " takes exactly one argument");

  Operand a = operand(*node.children.front());
  a.offset = node.offset;
  if (a.literal) {
    switch (a.type) {
      case ValueType::Null: return a;
      case ValueType::Text:
      case ValueType::Guid:
      case ValueType::Number: {
        Operand o = literalOf(ValueType::Text, node.offset);
        o.text = mapUtf8(a.text, lower ? toLowerCase : toUpperCase);
        if (a.text.empty()) mismatch(node.offset);  // a negated date has no text form here
        return o;
      }
      default: mismatch(node.offset);
    }
  }
  // Text comparisons ignore case anyway, so a text column keeps its identity
  // (and its index); other values become their text.
  if (a.type == ValueType::Text) return a;
  if (postgres()) return computed(ValueType::Text, node.offset, asTextValue(a));
  return computed(ValueType::Text, node.offset, cast(a.raw, "TEXT"));
}

// PostgreSQL: any value as the text SQLite would give for it (zen_text
// renders reals as SQLite does); text stays as it is.
Fragment SqlCompiler::asTextValue(const Operand& o) const {
  const Fragment raw = asRaw(o);
  if (o.type == ValueType::Text || o.type == ValueType::Null || (o.literal && o.type == ValueType::Guid)) return raw;
  return function("zen_text", raw);
}

// A condition as a value: the engine's True (-1), False (0) or Null.
Fragment SqlCompiler::truthValue(const Fragment& condition) const {
  if (!postgres()) return negated(condition);
  Fragment out;
  out.append("(-");
  out.append(condition);
  out.append("::integer)");
  out.depth = condition.depth + 1;
  return out;
}

Fragment SqlCompiler::asText(const Operand& o) const {
  if (o.type == ValueType::Null) return constant("NULL");
  if (o.literal) return parameter(mapUtf8(o.text, foldCase));
  return function("zen_fold", o.value);
}

Fragment SqlCompiler::asNumber(const Operand& o, std::size_t at) const {
  if (o.literal) {
    switch (o.type) {
      case ValueType::Null: return constant("NULL");
      case ValueType::Number: return numberParameter(o.number);
      case ValueType::Date: return parameter(o.day);
      case ValueType::Text:
        if (const auto n = parseNumber(o.text)) return numberParameter(*n);
        break;
      default: break;
    }
    mismatch(at);
  }
  switch (o.type) {
    case ValueType::Number:
    case ValueType::Date: return o.value;
    case ValueType::Text: return function("zen_num", o.value);
    default: mismatch(at);
  }
}

Fragment SqlCompiler::asDay(const Operand& o, std::size_t at) const {
  if (o.type == ValueType::Text) {
    if (!o.literal) return function("zen_date", o.value);
    if (const auto day = parseDayNumber(o.text)) return parameter(*day);
  }
  return asNumber(o, at);
}

Fragment SqlCompiler::asGuid(const Operand& o, std::size_t at) const {
  if (o.type == ValueType::Null) return constant("NULL");
  if (o.literal) {
    if (o.type == ValueType::Guid) return parameter(o.text);
    if (o.type == ValueType::Text) {
      if (const auto guid = canonicalGuid(o.text)) return parameter(*guid);
    }
    mismatch(at);
  }
  if (o.type == ValueType::Guid) return o.value;
  if (o.type == ValueType::Text) return function("zen_guid", o.value);
  mismatch(at);
}

Fragment SqlCompiler::asBytes(const Operand& o, std::size_t at) const {
  if (o.type == ValueType::Null) return constant("NULL");
  if (o.literal) {
    if (o.type != ValueType::Text) mismatch(at);
    Fragment f = parameter(o.text);
    if (postgres()) return function("convert_to", [&] { f.append(", 'UTF8'"); return f; }());
    return cast(f, "BLOB");
  }
  if (o.type != ValueType::Binary && o.type != ValueType::Text) mismatch(at);
  if (postgres()) {
    if (o.type == ValueType::Binary) return o.raw;
    Fragment f = o.raw;
    f.append(", 'UTF8'");
    return function("convert_to", f);
  }
  return cast(o.raw, "BLOB");
}

Fragment SqlCompiler::asRaw(const Operand& o) const {
  if (!o.literal) return o.raw;
  switch (o.type) {
    case ValueType::Null: return constant("NULL");
    case ValueType::Number: return numberParameter(o.number);
    case ValueType::Date: return parameter(o.day);
    default: return parameter(o.text);
  }
}

}  // namespace dao::criteria::detail
