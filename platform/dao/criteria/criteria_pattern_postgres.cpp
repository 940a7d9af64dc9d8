// LIKE patterns translated for PostgreSQL. The server matches them against
// zen_fold(value), so literals and list members are case-folded here, and a
// range is widened by the folds of the characters it holds: a value
// character c is in [lo-hi] without regard to case exactly when fold(c) is
// in [lo-hi] or is the fold of some character in [lo-hi].
#include <algorithm>

#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_pattern.h"
#include "platform/dao/criteria/criteria_utf8.h"

namespace dao::criteria::detail {

namespace {

bool isAsciiAlphanumeric(char32_t c) {
  return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

// One character of a regular expression: letters and digits as themselves,
// everything else as \uXXXX or \UXXXXXXXX, which mean the character itself
// inside and outside lists alike.
void appendRegexCharacter(std::string& out, char32_t c) {
  if (isAsciiAlphanumeric(c)) {
    out.push_back(static_cast<char>(c));
    return;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  const int digits = c > 0xFFFF ? 8 : 4;
  out += digits == 8 ? "\\U" : "\\u";
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out.push_back(kHex[(c >> shift) & 0xF]);
}

}  // namespace

std::optional<std::string> LikePattern::postgresLikePattern() const {
  std::string out;
  for (const Element& e : elements_) {
    switch (e.kind) {
      case Kind::AnyRun: out.push_back('%'); break;
      case Kind::AnyChar: out.push_back('_'); break;
      case Kind::Literal:
        if (e.folded == U'%' || e.folded == U'_' || e.folded == U'\\') out.push_back('\\');
        appendUtf8(out, e.folded);
        break;
      case Kind::Digit:
      case Kind::Set: return std::nullopt;
    }
  }
  return out;
}

std::string LikePattern::postgresRegex() const {
  std::string out = "^";
  for (const Element& e : elements_) {
    switch (e.kind) {
      case Kind::AnyRun: out += ".*"; break;
      case Kind::AnyChar: out += "."; break;
      case Kind::Digit: out += "[0-9]"; break;
      case Kind::Literal: appendRegexCharacter(out, e.folded); break;
      case Kind::Set: {
        const CharSet& set = sets_[e.set];
        out += set.negated ? "[^" : "[";
        for (char32_t c : set.foldedSingles) appendRegexCharacter(out, c);
        for (const auto& [lo, hi] : set.ranges) {
          appendRegexCharacter(out, lo);
          out.push_back('-');
          appendRegexCharacter(out, hi);
          for (const CaseMapEntry& fold : simpleCaseFoldingTable()) {
            if (fold.from >= lo && fold.from <= hi) appendRegexCharacter(out, fold.to);
          }
        }
        out.push_back(']');
        break;
      }
    }
  }
  out.push_back('$');
  return out;
}

}  // namespace dao::criteria::detail
