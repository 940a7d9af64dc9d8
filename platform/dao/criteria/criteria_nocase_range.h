#pragma once
// Index ranges for case-insensitive prefix searches.
//
// The engine keeps case-insensitive indexes as "col COLLATE NOCASE". A LIKE
// pattern with a literal prefix can be served by such an index through
//   col COLLATE NOCASE >= lower AND col COLLATE NOCASE < upper
// added beside the exact test, provided the range never leaves out a value
// the exact test accepts. NOCASE folds ASCII A-Z only and compares bytes, so:
//  - the prefix is cut before the first character whose case class NOCASE
//    does not see as one (non-ASCII letters with case partners, and "k" and
//    "s", which KELVIN SIGN and LONG S fold to);
//  - the upper bound is the prefix with its last character incremented in
//    NOCASE's own order, where upper-case ASCII letters do not exist: "x@"
//    gives "x[" (not "xA", which NOCASE reads as "xa" and which would let in
//    "x[", "x_", ...); a last character with no successor is dropped and the
//    one before it incremented.
// Values are assumed to be SQLite TEXT in UTF-8, as the engine keeps text.
#include <optional>
#include <string>
#include <string_view>

namespace dao::criteria::detail {

struct NocaseRange {
  std::string lower;                 // inclusive
  std::optional<std::string> upper;  // exclusive; absent when there is no bound
  bool wholePrefix = false;          // the bounds cover the whole prefix given
};

// `foldedPrefix` is a literal prefix as LikePattern::literalPrefix() gives
// it. nullopt when no leading part of it can be used.
std::optional<NocaseRange> nocaseRangeForPrefix(std::u32string_view foldedPrefix);

}  // namespace dao::criteria::detail
