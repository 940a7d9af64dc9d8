#include "tools/dbbuild/big5_ideographs.h"

#include "platform/big5/big5.h"
#include "tools/dbbuild/utf8.h"

namespace dbbuild {
namespace {

struct CodeRange {
  std::uint16_t first;
  std::uint16_t last;
};

constexpr CodeRange kIdeographBlocks[] = {{0xA440, 0xC67E}, {0xC940, 0xF9D5}};

}  // namespace

std::vector<std::uint16_t> big5IdeographCodes() {
  std::vector<std::uint16_t> codes;
  for (const CodeRange& range : kIdeographBlocks) {
    for (unsigned code = range.first; code <= range.last; ++code)
      if (isBig5TrailByte(static_cast<unsigned char>(code & 0xFF)))
        codes.push_back(static_cast<std::uint16_t>(code));
  }
  return codes;
}

std::string big5HexText(std::uint16_t code) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, code = static_cast<std::uint16_t>(code >> 4))
    text[static_cast<std::size_t>(i)] = kDigits[code & 0xF];
  return text;
}

std::string big5Bytes(std::uint16_t code) {
  return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

Big5Enumeration enumerateBig5Ideographs(const Big5Decoder& decode) {
  Big5Enumeration result;
  for (std::uint16_t code : big5IdeographCodes()) {
    std::optional<std::string> text = decode(big5Bytes(code));
    if (text && singleCodePoint(*text))
      result.ideographs.push_back({code, std::move(*text)});
    else
      result.unmapped.push_back(code);
  }
  return result;
}

Big5Enumeration enumerateBig5Ideographs() {
  return enumerateBig5Ideographs([](std::string_view bytes) -> std::optional<std::string> {
    try {
      return big5::toUtf8(bytes);
    } catch (const big5::ConversionError&) {
      return std::nullopt;
    }
  });
}

}  // namespace dbbuild
