#include "platform/dao/criteria/criteria_pattern.h"

#include <algorithm>

#include "platform/dao/criteria/criteria_casefold.h"
#include "platform/dao/criteria/criteria_utf8.h"

namespace dao::criteria::detail {

LikePattern::LikePattern(std::string_view patternUtf8) {
  const std::u32string p = decodeUtf8(patternUtf8);
  std::size_t i = 0;
  while (i < p.size()) {
    const char32_t c = p[i];
    switch (c) {
      case U'*':
        if (elements_.empty() || elements_.back().kind != Kind::AnyRun) {
          elements_.push_back({Kind::AnyRun});
        }
        ++i;
        break;
      case U'?':
        elements_.push_back({Kind::AnyChar});
        ++i;
        break;
      case U'#':
        elements_.push_back({Kind::Digit});
        ++i;
        break;
      case U'[':
        i = parseSet(p, i);
        break;
      default:
        elements_.push_back({Kind::Literal, foldCase(c)});
        ++i;
        break;
    }
  }
}

// Parses the list opened at p[open]; returns the index after its "]".
std::size_t LikePattern::parseSet(std::u32string_view p, std::size_t open) {
  // "[]]" and "[!]" are how a literal "]" or "!" is written.
  if (p.substr(open, 3) == U"[]]" || p.substr(open, 3) == U"[!]") {
    elements_.push_back({Kind::Literal, p[open + 1]});
    return open + 3;
  }
  const std::size_t close = p.find(U']', open + 1);
  if (close == std::u32string_view::npos) {
    throw PatternSyntaxError("missing ']' closing the list opened at character " +
                             std::to_string(open + 1) + " of the pattern");
  }
  std::u32string_view body = p.substr(open + 1, close - open - 1);
  CharSet set;
  if (!body.empty() && body.front() == U'!') {
    set.negated = true;
    body.remove_prefix(1);
  }
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char32_t lo = body[i];
    const bool isRange = lo != U'-' && i + 2 < body.size() && body[i + 1] == U'-';
    if (isRange) {
      const char32_t hi = body[i + 2];
      if (hi < lo) {
        throw PatternSyntaxError("the range in the list at character " + std::to_string(open + 1) +
                                 " of the pattern runs backwards");
      }
      set.ranges.emplace_back(lo, hi);
      i += 2;
    } else {
      set.foldedSingles.push_back(foldCase(lo));
    }
  }

  if (!set.negated && set.ranges.empty() && set.foldedSingles.empty()) {
    // "[]": a zero-length match, nothing to add.
  } else if (!set.negated && set.ranges.empty() && set.foldedSingles.size() == 1) {
    elements_.push_back({Kind::Literal, set.foldedSingles.front()});  // an escape such as [*]
  } else {
    elements_.push_back({Kind::Set, 0, sets_.size()});
    sets_.push_back(std::move(set));
  }
  return close + 1;
}

bool LikePattern::matchesOne(const Element& e, char32_t c) const {
  switch (e.kind) {
    case Kind::AnyChar: return true;
    case Kind::Digit: return c >= U'0' && c <= U'9';
    case Kind::Literal: return foldCase(c) == e.folded;
    case Kind::Set: {
      const CharSet& set = sets_[e.set];
      const char32_t folded = foldCase(c);
      bool in = std::find(set.foldedSingles.begin(), set.foldedSingles.end(), folded) !=
                set.foldedSingles.end();
      for (std::size_t r = 0; !in && r < set.ranges.size(); ++r) {
        in = caseClassIntersects(c, set.ranges[r].first, set.ranges[r].second);
      }
      return in != set.negated;
    }
    case Kind::AnyRun: break;
  }
  return false;
}

bool LikePattern::matches(std::string_view valueUtf8) const {
  // A pattern that ends in its only "*" ("abc*", the search box's kind)
  // decides on the value's first characters: those are decoded one by one
  // and the rest of the value is never looked at.
  if (!elements_.empty() && elements_.back().kind == Kind::AnyRun &&
      std::none_of(elements_.begin(), elements_.end() - 1,
                   [](const Element& e) { return e.kind == Kind::AnyRun; })) {
    std::size_t pos = 0;
    for (std::size_t p = 0; p + 1 < elements_.size(); ++p) {
      if (pos >= valueUtf8.size() || !matchesOne(elements_[p], decodeUtf8(valueUtf8, pos))) return false;
    }
    return true;
  }
  const std::u32string value = decodeUtf8(valueUtf8);
  // Every element except "*" consumes exactly one character, so on a
  // mismatch it is enough to let the most recent "*" absorb one more
  // character and retry from just after it.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t p = 0, v = 0, starP = kNone, starV = 0;
  while (v < value.size()) {
    if (p < elements_.size() && elements_[p].kind == Kind::AnyRun) {
      starP = p++;
      starV = v;
    } else if (p < elements_.size() && matchesOne(elements_[p], value[v])) {
      ++p;
      ++v;
    } else if (starP != kNone) {
      p = starP + 1;
      v = ++starV;
    } else {
      return false;
    }
  }
  while (p < elements_.size() && elements_[p].kind == Kind::AnyRun) ++p;
  return p == elements_.size();
}

std::u32string LikePattern::literalPrefix() const {
  std::u32string prefix;
  for (const Element& e : elements_) {
    if (e.kind != Kind::Literal) break;
    prefix.push_back(e.folded);
  }
  return prefix;
}

bool LikePattern::isLiteral() const {
  return std::all_of(elements_.begin(), elements_.end(),
                     [](const Element& e) { return e.kind == Kind::Literal; });
}

bool LikePattern::isPrefixThenAnything() const {
  const auto firstWildcard = std::find_if(elements_.begin(), elements_.end(),
                                          [](const Element& e) { return e.kind != Kind::Literal; });
  return firstWildcard != elements_.begin() && firstWildcard != elements_.end() &&
         std::all_of(firstWildcard, elements_.end(), [](const Element& e) { return e.kind == Kind::AnyRun; });
}

}  // namespace dao::criteria::detail
