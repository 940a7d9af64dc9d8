#include "platform/big5/big5.h"

#include <algorithm>
#include <string>

#include "platform/big5/code_table.h"

namespace big5 {
namespace {

using detail::CodeTable;

// Big5 → UTF-8, a table look-up per character. What the table does not know
// (bytes that are no character, a lead byte cut off at the end) goes to
// iconv, one character at a time, so the result and the offset of a failure
// are iconv's. On failure failedAt is the offset in the whole input.
bool big5ToUtf8ByTable(const CodeTable& table, std::string_view big5, std::string& out, std::size_t& failedAt) {
  out.clear();
  out.reserve(big5.size() * 3 / 2 + 1);
  std::string piece;
  std::size_t i = 0;
  while (i < big5.size()) {
    const auto lead = static_cast<unsigned char>(big5[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    const bool pair = isLeadByte(lead) && i + 1 < big5.size();
    if (pair) {
      if (const char32_t codePoint = table.unicodeOf(lead, static_cast<unsigned char>(big5[i + 1]))) {
        detail::appendUtf8(out, codePoint);
        i += 2;
        continue;
      }
    }
    const std::size_t width = pair ? 2 : 1;
    std::size_t failedInPiece = 0;
    if (!detail::toUtf8Converter().convert(big5.substr(i, width), piece, failedInPiece)) {
      failedAt = i + failedInPiece;
      return false;
    }
    out += piece;
    i += width;
  }
  return true;
}

// Length of the UTF-8 sequence that starts with `lead`, 1 for a byte that
// cannot start one: how much of the text one iconv call is given.
std::size_t sequenceLength(unsigned char lead) noexcept {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 1;
}

// UTF-8 → Big5, as big5ToUtf8ByTable the other way: characters the table does not
// know, and malformed UTF-8, go to iconv one at a time.
bool utf8ToBig5ByTable(const CodeTable& table, std::string_view utf8, std::string& out, std::size_t& failedAt) {
  out.clear();
  out.reserve(utf8.size());
  std::string piece;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto first = static_cast<unsigned char>(utf8[i]);
    if (first < 0x80) {
      out.push_back(static_cast<char>(first));
      ++i;
      continue;
    }
    if (first >= 0xE1 && first <= 0xEC && i + 2 < utf8.size()) {
      // Three bytes with leads E1..EC (U+1000..U+CFFF, the ideographs among
      // them) can be neither overlong nor surrogates: decoded in place.
      const auto second = static_cast<unsigned char>(utf8[i + 1]);
      const auto third = static_cast<unsigned char>(utf8[i + 2]);
      if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
        const char32_t codePoint = char32_t(first & 0x0F) << 12 | char32_t(second & 0x3F) << 6 | (third & 0x3F);
        if (const std::uint16_t code = table.codeOf(codePoint)) {
          out.push_back(static_cast<char>(code >> 8));
          out.push_back(static_cast<char>(code & 0xFF));
          i += 3;
          continue;
        }
      }
    }
    std::size_t length = 0;
    if (const char32_t codePoint = detail::decodeUtf8(utf8, i, length)) {
      if (const std::uint16_t code = table.codeOf(codePoint)) {
        out.push_back(static_cast<char>(code >> 8));
        out.push_back(static_cast<char>(code & 0xFF));
        i += length;
        continue;
      }
    } else {
      length = std::min(sequenceLength(first), utf8.size() - i);
    }
    std::size_t failedInPiece = 0;
    if (!detail::toBig5Converter().convert(utf8.substr(i, length), piece, failedInPiece)) {
      failedAt = i + failedInPiece;
      return false;
    }
    out += piece;
    i += length;
  }
  return true;
}

// Big5 → UTF-8 without the table: the user-defined codes by hand, the runs
// between them through iconv. On failure failedAt is the offset in the whole input.
bool big5ToUtf8ByIconv(std::string_view big5, std::string& out, std::size_t& failedAt) {
  out.clear();
  std::string piece;
  std::size_t runStart = 0;
  std::size_t i = 0;
  const auto flushRun = [&](std::size_t end) {
    if (end == runStart) return true;
    std::size_t failedInRun = 0;
    if (!detail::toUtf8Converter().convert(big5.substr(runStart, end - runStart), piece, failedInRun)) {
      failedAt = runStart + failedInRun;
      return false;
    }
    out += piece;
    return true;
  };
  while (i < big5.size()) {
    const auto lead = static_cast<unsigned char>(big5[i]);
    if (!isLeadByte(lead) || i + 1 >= big5.size()) {
      ++i;
      continue;
    }
    const char32_t eudc = detail::eudcCodePoint(lead, static_cast<unsigned char>(big5[i + 1]));
    if (eudc != 0) {
      if (!flushRun(i)) return false;
      detail::appendUtf8(out, eudc);
      runStart = i + 2;
    }
    i += 2;
  }
  return flushRun(big5.size());
}

// UTF-8 → Big5 with the user-defined ranges, as big5ToUtf8 the other way.
bool utf8ToBig5ByIconv(std::string_view utf8, std::string& out, std::size_t& failedAt) {
  out.clear();
  std::string piece;
  std::size_t runStart = 0;
  const auto flushRun = [&](std::size_t end) {
    if (end == runStart) return true;
    std::size_t failedInRun = 0;
    if (!detail::toBig5Converter().convert(utf8.substr(runStart, end - runStart), piece, failedInRun)) {
      failedAt = runStart + failedInRun;
      return false;
    }
    out += piece;
    return true;
  };
  for (std::size_t i = 0; i + 2 < utf8.size(); ++i) {
    // The Private Use Area E000..F8FF is EE 80 80 .. EF A3 BF.
    const auto first = static_cast<unsigned char>(utf8[i]);
    if (first != 0xEE && first != 0xEF) continue;
    const auto second = static_cast<unsigned char>(utf8[i + 1]);
    const auto third = static_cast<unsigned char>(utf8[i + 2]);
    if ((second & 0xC0) != 0x80 || (third & 0xC0) != 0x80) continue;
    const char32_t codePoint = (char32_t(first & 0x0F) << 12) | (char32_t(second & 0x3F) << 6) | (third & 0x3F);
    const std::string code = detail::eudcBytes(codePoint);
    if (code.empty()) continue;
    if (!flushRun(i)) return false;
    out += code;
    runStart = i + 3;
    i += 2;
  }
  return flushRun(utf8.size());

}

bool isAscii(std::string_view text) noexcept {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

std::string describeUtf8At(std::string_view utf8, std::size_t offset) {
  // Quote the offending character itself when it is a whole UTF-8 sequence.
  std::size_t end = offset + 1;
  while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
  return std::string(utf8.substr(offset, end - offset));
}

}  // namespace

bool detail::big5ToUtf8(const CodeTable* table, std::string_view big5, std::string& out, std::size_t& failedAt) {
  return table != nullptr ? big5ToUtf8ByTable(*table, big5, out, failedAt) : big5ToUtf8ByIconv(big5, out, failedAt);
}

bool detail::utf8ToBig5(const CodeTable* table, std::string_view utf8, std::string& out, std::size_t& failedAt) {
  return table != nullptr ? utf8ToBig5ByTable(*table, utf8, out, failedAt) : utf8ToBig5ByIconv(utf8, out, failedAt);
}

namespace {

// The table once it has paid for itself.
bool big5ToUtf8(std::string_view big5, std::string& out, std::size_t& failedAt) {
  return detail::big5ToUtf8(CodeTable::whenWorthIt(big5.size()), big5, out, failedAt);
}

bool utf8ToBig5(std::string_view utf8, std::string& out, std::size_t& failedAt) {
  return detail::utf8ToBig5(CodeTable::whenWorthIt(utf8.size()), utf8, out, failedAt);
}

}  // namespace

std::optional<std::string> tryFromUtf8(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  std::size_t failedAt = 0;
  if (!utf8ToBig5(utf8, out, failedAt)) return std::nullopt;
  return out;
}

std::string fromUtf8(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  std::size_t failedAt = 0;
  if (!utf8ToBig5(utf8, out, failedAt))
    throw ConversionError("The character \"" + describeUtf8At(utf8, failedAt) +
                              "\" cannot be stored in Big5 text",
                          failedAt);
  return out;
}

std::string toUtf8(std::string_view big5) {
  if (isAscii(big5)) return std::string(big5);
  std::string out;
  std::size_t failedAt = 0;
  if (!big5ToUtf8(big5, out, failedAt))
    throw ConversionError("The bytes at offset " + std::to_string(failedAt) + " are not Big5 text",
                          failedAt);
  return out;
}

std::string toUtf8Lenient(std::string_view big5) {
  std::string out;
  std::size_t failedAt = 0;
  std::string piece;
  while (!big5.empty()) {
    if (big5ToUtf8(big5, piece, failedAt)) {
      out += piece;
      break;
    }
    // Keep what converted before the damage, replace one character's worth
    // of bytes, and go on after it.
    std::string head;
    std::size_t unused = 0;
    big5ToUtf8(big5.substr(0, failedAt), head, unused);
    out += head;
    out += "\xEF\xBF\xBD";
    const bool pair = isLeadByte(static_cast<unsigned char>(big5[failedAt])) && failedAt + 1 < big5.size();
    big5.remove_prefix(failedAt + (pair ? 2 : 1));
  }
  return out;
}

bool isUserDefined(unsigned char lead, unsigned char trail) noexcept {
  return detail::eudcCodePoint(lead, trail) != 0;
}

bool canEncode(std::string_view utf8) { return tryFromUtf8(utf8).has_value(); }

std::size_t byteLength(std::string_view utf8) { return fromUtf8(utf8).size(); }

std::string_view cutToBytes(std::string_view big5, std::size_t maxBytes) noexcept {
  if (big5.size() <= maxBytes) return big5;
  std::size_t end = 0;
  while (end < big5.size()) {
    const std::size_t width =
        (isLeadByte(static_cast<unsigned char>(big5[end])) && end + 1 < big5.size()) ? 2 : 1;
    if (end + width > maxBytes) break;
    end += width;
  }
  return big5.substr(0, end);
}

std::string cutUtf8ToBig5Bytes(std::string_view utf8, std::size_t maxBytes) {
  std::size_t used = 0;
  std::size_t end = 0;
  while (end < utf8.size()) {
    std::size_t next = end + 1;
    while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80) ++next;
    const std::size_t width = byteLength(utf8.substr(end, next - end));
    if (used + width > maxBytes) break;
    used += width;
    end = next;
  }
  return std::string(utf8.substr(0, end));
}

}  // namespace big5
