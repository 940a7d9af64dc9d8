#include "platform/dao/criteria/criteria_casefold.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace dao::criteria::detail {

namespace {

char32_t lookup(std::span<const CaseMapEntry> table, char32_t c) {
  auto it = std::lower_bound(table.begin(), table.end(), c,
                             [](const CaseMapEntry& e, char32_t key) { return e.from < key; });
  return (it != table.end() && it->from == c) ? it->to : c;
}

// Fold target -> every character folding to it (other than the target itself),
// sorted by target so that a case class can be listed without scanning.
const std::vector<CaseMapEntry>& foldSources() {
  static const std::vector<CaseMapEntry> sources = [] {
    std::vector<CaseMapEntry> v;
    for (const CaseMapEntry& e : simpleCaseFoldingTable()) v.push_back({e.to, e.from});
    std::sort(v.begin(), v.end(), [](const CaseMapEntry& a, const CaseMapEntry& b) {
      return a.from < b.from || (a.from == b.from && a.to < b.to);
    });
    return v;
  }();
  return sources;
}

template <typename Visit>
bool anyInCaseClass(char32_t c, Visit visit) {
  const char32_t fold = foldCase(c);
  if (visit(c) || visit(fold)) return true;
  const auto& sources = foldSources();
  auto it = std::lower_bound(sources.begin(), sources.end(), fold,
                             [](const CaseMapEntry& e, char32_t key) { return e.from < key; });
  for (; it != sources.end() && it->from == fold; ++it) {
    if (visit(it->to)) return true;
  }
  return false;
}

char32_t asciiLower(char32_t c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

}  // namespace

char32_t foldCase(char32_t c) {
  if (c < 0x80) return asciiLower(c);
  return lookup(simpleCaseFoldingTable(), c);
}

char32_t toLowerCase(char32_t c) {
  if (c < 0x80) return asciiLower(c);
  return lookup(simpleLowercaseTable(), c);
}

char32_t toUpperCase(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
  return lookup(simpleUppercaseTable(), c);
}

bool caseClassIntersects(char32_t c, char32_t lo, char32_t hi) {
  return anyInCaseClass(c, [lo, hi](char32_t x) { return x >= lo && x <= hi; });
}

bool isNocaseSafe(char32_t c) {
  // Unsafe when the case class holds a character that NOCASE would not treat
  // as equal to c: anything other than c itself or its ASCII case partner.
  const bool unsafe = anyInCaseClass(c, [c](char32_t x) {
    if (x == c) return false;
    return !(x < 0x80 && c < 0x80 && asciiLower(x) == asciiLower(c));
  });
  return !unsafe;
}

}  // namespace dao::criteria::detail
