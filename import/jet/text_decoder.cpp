#include "import/jet/text_decoder.h"

#include <fmt/format.h>

#include <cerrno>

#include "import/jet/import_report.h"
#include "platform/big5/big5.h"

namespace jetimport {
namespace {

bool isAscii(std::string_view text) noexcept {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

char32_t firstCodePoint(std::string_view utf8) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  if (utf8.empty()) return 0;
  if (b(0) < 0x80) return b(0);
  if (b(0) < 0xE0 && utf8.size() >= 2) return (char32_t(b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  if (b(0) < 0xF0 && utf8.size() >= 3) return (char32_t(b(0) & 0x0F) << 12) | (char32_t(b(1) & 0x3F) << 6) | (b(2) & 0x3F);
  if (utf8.size() >= 4)
    return (char32_t(b(0) & 0x07) << 18) | (char32_t(b(1) & 0x3F) << 12) | (char32_t(b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  return 0;
}

std::size_t sequenceLength(unsigned char lead) noexcept {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

std::string userDefinedDetail(std::string_view utf8Character, std::string_view big5Code) {
  return fmt::format("{} U+{:04X} (Big5 {})", utf8Character, static_cast<unsigned>(firstCodePoint(utf8Character)),
                     hexBytes(big5Code).erase(2, 1));
}

// Notes the user-defined characters and the characters code page 950 lacks
// in UTF-8 text.
void noteUnicodeText(std::string_view utf8, std::vector<TextFinding>& findings) {
  if (isAscii(utf8)) return;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t length = std::min(sequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    const std::string_view character = utf8.substr(i, length);
    if (length > 1) {
      if (const auto code = big5::tryFromUtf8(character)) {
        if (code->size() == 2 && big5::isUserDefined(static_cast<unsigned char>((*code)[0]),
                                                     static_cast<unsigned char>((*code)[1])))
          findings.push_back({TextFinding::Kind::UserDefined, userDefinedDetail(character, *code)});
      } else if (character != "\xEF\xBF\xBD") {
        findings.push_back({TextFinding::Kind::OutsideBig5,
                            fmt::format("{} U+{:04X} at character offset {}", character,
                                        static_cast<unsigned>(firstCodePoint(character)), i)});
      }
    }
    i += length;
  }
}

}  // namespace

TextDecoder::TextDecoder(bool jet3, int codePage) : big5_(jet3 && codePage == 950) {
  if (jet3 && !big5_) {
    const std::string name = fmt::format("CP{}", codePage == 0 ? 1252 : codePage);
    other_ = iconv_open("UTF-8", name.c_str());
    if (other_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(fmt::format("the file's code page {} is not available on this system", codePage));
  }
}

TextDecoder::~TextDecoder() {
  if (other_ != reinterpret_cast<iconv_t>(-1)) iconv_close(other_);
}

std::string TextDecoder::decode(std::string_view stored, std::vector<TextFinding>& findings) {
  if (isAscii(stored)) return std::string(stored);
  if (big5_) {
    // Note every user-defined code, and every spot the Big5 layer refuses.
    for (std::size_t i = 0; i + 1 < stored.size(); ++i) {
      const auto lead = static_cast<unsigned char>(stored[i]);
      if (!big5::isLeadByte(lead)) continue;
      const auto trail = static_cast<unsigned char>(stored[i + 1]);
      if (big5::isUserDefined(lead, trail))
        findings.push_back({TextFinding::Kind::UserDefined,
                            userDefinedDetail(big5::toUtf8(stored.substr(i, 2)), stored.substr(i, 2))});
      ++i;
    }
    try {
      return big5::toUtf8(stored);
    } catch (const big5::ConversionError&) {
    }
    std::string_view rest = stored;
    std::size_t consumed = 0;
    while (!rest.empty()) {
      try {
        big5::toUtf8(rest);
        break;
      } catch (const big5::ConversionError& e) {
        const std::size_t at = e.offset();
        const bool pair = big5::isLeadByte(static_cast<unsigned char>(rest[at])) && at + 1 < rest.size();
        const std::size_t width = pair ? 2 : 1;
        findings.push_back({TextFinding::Kind::Invalid,
                            fmt::format("bytes {} at byte offset {} (value {})", hexBytes(rest.substr(at, width)),
                                        consumed + at, hexBytes(stored))});
        rest.remove_prefix(at + width);
        consumed += at + width;
      }
    }
    return big5::toUtf8Lenient(stored);
  }
  if (other_ == reinterpret_cast<iconv_t>(-1)) {
    noteUnicodeText(stored, findings);
    return std::string(stored);
  }
  std::string out;
  iconv(other_, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(stored.data());
  std::size_t inLeft = stored.size();
  while (inLeft > 0) {
    char buffer[1024];
    char* outPointer = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(other_, &in, &inLeft, &outPointer, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
      const std::size_t at = stored.size() - inLeft;
      findings.push_back({TextFinding::Kind::Invalid,
                          fmt::format("byte {} at byte offset {}", hexBytes(stored.substr(at, 1)), at)});
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
    }
  }
  noteUnicodeText(out, findings);
  return out;
}

}  // namespace jetimport
