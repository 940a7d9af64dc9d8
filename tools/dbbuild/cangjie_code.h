#pragma once
// The one Cangjie 5 code a character record shows, and its Chinese form.
//
// The Cangjie 5 table gives some characters several codes. The rule that
// picks the conventional one:
//   1. Take the character's codes; when it has none, those of its canonical
//      form (code page 950 holds two compatibility ideographs, C94A U+FA0C
//      and DDFC U+FA0D, that the table lists only as U+5140 and U+55C0).
//   2. Drop codes beginning with "x": the table uses them to escape key
//      collisions, they are not the character's own decomposition.
//   3. Of several, prefer those the Cangjie 3 table also gives the character
//      (under the same form), then the shortest, then the first in
//      alphabetical order.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "tools/dbbuild/cangjie_table.h"

namespace dbbuild {

struct CangjieChoice {
  std::string code;               // upper-case key letters, 1 to 5 of them
  std::size_t listed = 0;         // codes the table gives, escapes included
  std::size_t candidates = 0;     // usable codes the rule chose from (after step 2)
  bool fromCanonicalForm = false; // found only under the canonical form
};

// The chosen code, or nullopt when neither the character nor its canonical
// form has a usable code. `canonicalForm` is the character's canonical
// decomposition when that differs from the character itself.
std::optional<CangjieChoice> chooseCangjieCode(const CangjieTable& cangjie5, const CangjieTable& cangjie3,
                                               std::string_view character,
                                               std::optional<std::string_view> canonicalForm);

// Each key letter of a code as the Cangjie radical printed on its key
// (A 日, B 月, ..., X 難, Y 卜, Z 重), in UTF-8. Letters of either case;
// throws std::invalid_argument for any other character.
std::string cangjieRadicalNames(std::string_view code);

}  // namespace dbbuild
