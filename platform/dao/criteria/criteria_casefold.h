#pragma once
// Unicode case data for the criteria language, and the character-level case
// operations built on it.
//
// Contract:
//  - The tables (generated into criteria_casefold_table.cpp by
//    tools/gen_casefold.py) are sorted by `from`, hold only characters whose
//    mapping differs from themselves, and map one character to one character
//    (simple mappings; no Turkic special case).
//  - foldCase() is the comparison key: two characters are "the same letter in
//    another case" exactly when their folds are equal.
#include <span>

namespace dao::criteria::detail {

struct CaseMapEntry {
  char32_t from;
  char32_t to;
};

std::span<const CaseMapEntry> simpleCaseFoldingTable();
std::span<const CaseMapEntry> simpleLowercaseTable();
std::span<const CaseMapEntry> simpleUppercaseTable();

char32_t foldCase(char32_t c);
char32_t toLowerCase(char32_t c);
char32_t toUpperCase(char32_t c);

// Whether some character of c's case class (every character with the same
// fold) lies in [lo, hi]; this is how a LIKE range such as [a-z] matches
// without regard to case.
bool caseClassIntersects(char32_t c, char32_t lo, char32_t hi);

// Whether SQLite's NOCASE collation (which folds only ASCII A-Z) agrees with
// foldCase() for c: every character with c's fold is c itself or c's ASCII
// case partner. False for example for 'k' (KELVIN SIGN folds to it), 's'
// (LONG S) and every non-ASCII letter that has a case partner.
bool isNocaseSafe(char32_t c);

}  // namespace dao::criteria::detail
