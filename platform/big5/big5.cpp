#include "platform/big5/big5.h"

#include <cerrno>
#include <iconv.h>

#include <string>

namespace big5 {
namespace {

// One iconv descriptor per direction and thread: opening one costs far more
// than a short conversion, and descriptors must not be shared between
// threads. No //TRANSLIT or //IGNORE: an unmappable character must fail,
// never turn into "?" or vanish.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1))
      throw ConversionError(std::string("The text conversion ") + from + " to " + to +
                                " is not available on this system",
                            0);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { iconv_close(handle_); }

  // Converts the whole input. On failure returns false and sets failedAt to
  // the byte offset of the character that could not be converted.
  bool convert(std::string_view input, std::string& output, std::size_t& failedAt) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    output.clear();
    output.resize(input.size() * 2 + 8);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    while (inLeft > 0) {
      if (iconv(handle_, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        const std::size_t used = output.size() - outLeft;
        output.resize(output.size() * 2);
        out = output.data() + used;
        outLeft = output.size() - used;
        continue;
      }
      failedAt = input.size() - inLeft;  // EILSEQ or EINVAL (truncated sequence)
      return false;
    }
    output.resize(output.size() - outLeft);
    return true;
  }

 private:
  iconv_t handle_;
};

Converter& toBig5Converter() {
  thread_local Converter converter("CP950", "UTF-8");
  return converter;
}

Converter& toUtf8Converter() {
  thread_local Converter converter("UTF-8", "CP950");
  return converter;
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

std::optional<std::string> tryFromUtf8(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  std::size_t failedAt = 0;
  if (!toBig5Converter().convert(utf8, out, failedAt)) return std::nullopt;
  return out;
}

std::string fromUtf8(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  std::string out;
  std::size_t failedAt = 0;
  if (!toBig5Converter().convert(utf8, out, failedAt))
    throw ConversionError("The character \"" + describeUtf8At(utf8, failedAt) +
                              "\" cannot be stored in Big5 text",
                          failedAt);
  return out;
}

std::string toUtf8(std::string_view big5) {
  if (isAscii(big5)) return std::string(big5);
  std::string out;
  std::size_t failedAt = 0;
  if (!toUtf8Converter().convert(big5, out, failedAt))
    throw ConversionError("The bytes at offset " + std::to_string(failedAt) + " are not Big5 text",
                          failedAt);
  return out;
}

std::string toUtf8Lenient(std::string_view big5) {
  std::string out;
  std::size_t failedAt = 0;
  std::string piece;
  while (!big5.empty()) {
    if (toUtf8Converter().convert(big5, piece, failedAt)) {
      out += piece;
      break;
    }
    // Keep what converted before the damage, replace one character's worth
    // of bytes, and go on after it.
    std::string head;
    std::size_t unused = 0;
    toUtf8Converter().convert(big5.substr(0, failedAt), head, unused);
    out += head;
    out += "\xEF\xBF\xBD";
    const bool pair = isLeadByte(static_cast<unsigned char>(big5[failedAt])) && failedAt + 1 < big5.size();
    big5.remove_prefix(failedAt + (pair ? 2 : 1));
  }
  return out;
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
