#include "tools/dbbuild/kangxi_radicals.h"

#include <string_view>

#include "platform/big5/big5.h"
#include "tools/dbbuild/data_source_error.h"
#include "tools/dbbuild/text_line_reader.h"
#include "tools/dbbuild/utf8.h"

namespace dbbuild {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<int> parseNumber(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

KangxiRadicals KangxiRadicals::load(const std::filesystem::path& path) {
  TextLineReader reader(path);
  KangxiRadicals radicals;
  std::string line;
  std::size_t lineNumber = 0;
  while (reader.next(line)) {
    ++lineNumber;
    const std::string_view content = trim(line);
    if (content.empty() || content.front() == '#') continue;
    const std::size_t semi1 = content.find(';');
    const std::size_t semi2 = semi1 == std::string_view::npos ? semi1 : content.find(';', semi1 + 1);
    if (semi2 == std::string_view::npos)
      throw DataSourceError(path.string() + ", line " + std::to_string(lineNumber) + ": not a radical line");
    const std::string_view number = trim(content.substr(0, semi1));
    if (number.find('\'') != std::string_view::npos) continue;  // a simplified form
    const std::optional<int> radical = parseNumber(number);
    const std::optional<char32_t> ideograph =
        parseCodePointNotation("U+" + std::string(trim(content.substr(semi2 + 1))));
    if (!radical || *radical < 1 || *radical > kCount || !ideograph)
      throw DataSourceError(path.string() + ", line " + std::to_string(lineNumber) + ": not a radical line");
    radicals.ideographs_[static_cast<std::size_t>(*radical)] = *ideograph;
  }
  for (int number = 1; number <= kCount; ++number)
    if (radicals.ideographs_[static_cast<std::size_t>(number)] == 0)
      throw DataSourceError(path.string() + ": radical " + std::to_string(number) + " is missing");
  return radicals;
}

std::optional<char32_t> KangxiRadicals::ideograph(int number) const noexcept {
  if (number < 1 || number > kCount) return std::nullopt;
  return ideographs_[static_cast<std::size_t>(number)];
}

std::optional<char32_t> substituteRadicalForm(int number) noexcept {
  switch (number) {
    case 71: return U'旡';   // 无 and 旡 are the two forms of radical 71
    case 171: return U'隸';  // the code page has the radical only as the full character
    case 174: return U'青';  // the current form of 靑
    default: return std::nullopt;
  }
}

RadicalWord radicalWord(int number, char32_t ideograph) {
  std::string text = utf8FromCodePoint(ideograph);
  if (big5::canEncode(text)) return {std::move(text), false};
  if (const std::optional<char32_t> substitute = substituteRadicalForm(number)) {
    std::string form = utf8FromCodePoint(*substitute);
    if (big5::canEncode(form)) return {std::move(form), true};
  }
  return {std::nullopt, false};
}

}  // namespace dbbuild
