#include "framework/TextRules.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/big5/letter_case.h"

namespace framework {

namespace {

std::string_view TrimBlanks(std::string_view text) noexcept {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) noexcept { return big5::sameName(a, b); }

std::optional<long long> ParseInteger(std::string_view text) noexcept {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<long long> ParseRoundedInteger(std::string_view text) noexcept {
  if (auto whole = ParseInteger(text)) return whole;
  const auto number = ParseFloat(text);
  if (!number) return std::nullopt;
  // nearbyint rounds halves to even in the default rounding mode.
  const double rounded = std::nearbyint(*number);
  if (!(rounded >= static_cast<double>(std::numeric_limits<long long>::min()) &&
        rounded < static_cast<double>(std::numeric_limits<long long>::max()))) {
    return std::nullopt;
  }
  return static_cast<long long>(rounded);
}

std::optional<double> ParseFloat(std::string_view text) noexcept {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || text.front() == '+') return std::nullopt;
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::string FloatToText(double value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (error != std::errc()) return {};
  return std::string(buffer, end);
}

}  // namespace framework
