#include "tools/dbbuild/cangjie_code.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

namespace dbbuild {
namespace {

constexpr std::array<std::string_view, 26> kKeyRadicals = {
    "日", "月", "金", "木", "水", "火", "土", "竹", "戈", "十", "大", "中", "一",
    "弓", "人", "心", "手", "口", "尸", "廿", "山", "女", "田", "難", "卜", "重"};

std::vector<std::string> usableCodes(const CangjieTable& table, std::string_view character) {
  std::vector<std::string> codes;
  for (const std::string& code : table.codesOf(character))
    if (code.front() != 'x') codes.push_back(code);
  return codes;
}

std::string upperCase(std::string code) {
  for (char& c : code)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return code;
}

}  // namespace

std::optional<CangjieChoice> chooseCangjieCode(const CangjieTable& cangjie5, const CangjieTable& cangjie3,
                                               std::string_view character,
                                               std::optional<std::string_view> canonicalForm) {
  std::string_view key = character;
  std::vector<std::string> codes = usableCodes(cangjie5, key);
  bool fromCanonical = false;
  if (codes.empty() && canonicalForm && *canonicalForm != character) {
    key = *canonicalForm;
    codes = usableCodes(cangjie5, key);
    fromCanonical = true;
  }
  if (codes.empty()) return std::nullopt;

  const auto better = [&](const std::string& a, const std::string& b) {
    const bool aInThree = cangjie3.contains(key, a);
    const bool bInThree = cangjie3.contains(key, b);
    if (aInThree != bInThree) return aInThree;
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
  };
  const std::string& best = *std::min_element(codes.begin(), codes.end(), better);
  return CangjieChoice{upperCase(best), cangjie5.codesOf(key).size(), codes.size(), fromCanonical};
}

std::string cangjieRadicalNames(std::string_view code) {
  std::string names;
  for (char c : code) {
    int index;
    if (c >= 'A' && c <= 'Z') index = c - 'A';
    else if (c >= 'a' && c <= 'z') index = c - 'a';
    else throw std::invalid_argument("not a Cangjie key letter: '" + std::string(1, c) + "'");
    names += kKeyRadicals[static_cast<std::size_t>(index)];
  }
  return names;
}

}  // namespace dbbuild
