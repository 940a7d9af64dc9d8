#include "tools/dbbuild/unihan_data.h"

#include <string>

#include "tools/dbbuild/data_source_error.h"
#include "tools/dbbuild/text_line_reader.h"
#include "tools/dbbuild/utf8.h"

namespace dbbuild {
namespace {

constexpr int kRadicalCount = 214;

std::optional<char32_t> find(const std::unordered_map<char32_t, char32_t>& map, char32_t key) {
  const auto found = map.find(key);
  if (found == map.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::optional<int> UnihanData::parseRadicalNumber(std::string_view value) noexcept {
  const std::size_t firstEnd = value.find(' ');
  const std::string_view first = value.substr(0, firstEnd);
  const std::size_t dot = first.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string_view number = first.substr(0, dot);
  while (!number.empty() && number.back() == '\'') number.remove_suffix(1);
  if (number.empty() || number.size() > 3) return std::nullopt;
  int radical = 0;
  for (char c : number) {
    if (c < '0' || c > '9') return std::nullopt;
    radical = radical * 10 + (c - '0');
  }
  if (radical < 1 || radical > kRadicalCount) return std::nullopt;
  return radical;
}

UnihanData UnihanData::load(const std::filesystem::path& path) {
  TextLineReader reader(path);
  UnihanData data;
  std::string line;
  std::size_t lineNumber = 0;
  const auto malformed = [&] {
    return DataSourceError(path.string() + ", line " + std::to_string(lineNumber) +
                           ": not a Unihan data line");
  };
  while (reader.next(line)) {
    ++lineNumber;
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) throw malformed();
    const std::optional<char32_t> character = parseCodePointNotation(std::string_view(line).substr(0, tab1));
    if (!character) throw malformed();
    const std::string_view property = std::string_view(line).substr(tab1 + 1, tab2 - tab1 - 1);
    const std::string_view value = std::string_view(line).substr(tab2 + 1);
    if (property == "kRSUnicode") {
      const std::optional<int> radical = parseRadicalNumber(value);
      if (!radical) throw malformed();
      data.radicals_[*character] = *radical;
    } else if (property == "kCompatibilityVariant") {
      const std::optional<char32_t> variant = parseCodePointNotation(value);
      if (!variant) throw malformed();
      data.variants_[*character] = *variant;
    }
  }
  if (data.radicals_.empty())
    throw DataSourceError(path.string() + ": holds no kRSUnicode values (not Unihan_IRGSources.txt?)");
  return data;
}

std::optional<int> UnihanData::radicalNumber(char32_t character) const {
  const auto found = radicals_.find(character);
  if (found == radicals_.end()) return std::nullopt;
  return found->second;
}

std::optional<char32_t> UnihanData::compatibilityVariant(char32_t character) const {
  return find(variants_, character);
}

}  // namespace dbbuild
