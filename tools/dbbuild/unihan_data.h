#pragma once
// The two Unihan properties the database builder needs, read from
// Unihan_IRGSources.txt (Debian's unicode-data ships it bzip2-compressed as
// /usr/share/unicode/Unihan_IRGSources.txt.bz2):
//   kRSUnicode             radical and residual strokes, e.g. "9.5" or
//                          "120'.3 149.4"; the first value's number before
//                          the dot is the Kangxi radical.
//   kCompatibilityVariant  the unified ideograph that a compatibility
//                          ideograph decomposes to canonically.
// Lines are "U+XXXX<TAB>property<TAB>value"; "#" starts a comment line.
#include <filesystem>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace dbbuild {

class UnihanData {
 public:
  // Throws DataSourceError when the file cannot be read, a data line is
  // malformed, or the file holds no kRSUnicode value at all (wrong file).
  static UnihanData load(const std::filesystem::path& path);

  // The Kangxi radical number (1..214) of the character, or nullopt.
  std::optional<int> radicalNumber(char32_t character) const;

  // The unified ideograph the character stands for when it is a
  // compatibility ideograph, or nullopt.
  std::optional<char32_t> compatibilityVariant(char32_t character) const;

  // The radical number of a kRSUnicode value: the first value's digits
  // before the dot, ignoring the apostrophes that mark a simplified form of
  // the radical (the radical is the same). nullopt when it is no such value
  // or the number is outside 1..214.
  static std::optional<int> parseRadicalNumber(std::string_view value) noexcept;

  std::size_t radicalCount() const noexcept { return radicals_.size(); }

 private:
  std::unordered_map<char32_t, int> radicals_;
  std::unordered_map<char32_t, char32_t> variants_;
};

}  // namespace dbbuild
