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

// User-defined characters (EUDC). Windows' code page 950 gives four Big5
// ranges to characters a user draws with the EUDC editor and maps them, in
// this order, onto the Private Use Area from U+E000 on. The system iconv
// knows only the last range, so all four are mapped here, both ways, and a
// rare character typed that way keeps its code through every conversion.
struct EudcRange {
  unsigned char firstLead;
  unsigned char lastLead;
  unsigned char firstTrail;  // of the first lead only: C6 begins at C6A1
  char32_t firstCodePoint;
};
constexpr EudcRange kEudcRanges[] = {
    {0xFA, 0xFE, 0x40, 0xE000},
    {0x8E, 0xA0, 0x40, 0xE311},
    {0x81, 0x8D, 0x40, 0xEEB8},
    {0xC6, 0xC8, 0xA1, 0xF6B1},
};
constexpr char32_t kLastEudcCodePoint = 0xF848;
constexpr int kTrailsPerLead = 157;  // 40..7E and A1..FE

bool isTrailByte(unsigned char byte) noexcept {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xFE);
}

int trailIndex(unsigned char trail) noexcept { return trail <= 0x7E ? trail - 0x40 : trail - 0xA1 + 63; }

unsigned char trailAt(int index) noexcept {
  return static_cast<unsigned char>(index < 63 ? 0x40 + index : 0xA1 + index - 63);
}

// The code point of a user-defined Big5 code, or 0 when the code is none.
char32_t eudcCodePoint(unsigned char lead, unsigned char trail) noexcept {
  if (!isTrailByte(trail)) return 0;
  for (const EudcRange& range : kEudcRanges) {
    if (lead < range.firstLead || lead > range.lastLead) continue;
    const int skipped = trailIndex(range.firstTrail);
    const int index = trailIndex(trail);
    if (lead == range.firstLead && index < skipped) return 0;
    return range.firstCodePoint + static_cast<char32_t>((lead - range.firstLead) * kTrailsPerLead + index - skipped);
  }
  return 0;
}

// The Big5 code of a Private Use Area code point, or an empty string.
std::string eudcBytes(char32_t codePoint) {
  if (codePoint < kEudcRanges[0].firstCodePoint || codePoint > kLastEudcCodePoint) return {};
  const EudcRange* found = nullptr;
  for (const EudcRange& range : kEudcRanges)
    if (codePoint >= range.firstCodePoint && (!found || range.firstCodePoint > found->firstCodePoint)) found = &range;
  const int offset = static_cast<int>(codePoint - found->firstCodePoint) + trailIndex(found->firstTrail);
  std::string code;
  code.push_back(static_cast<char>(found->firstLead + offset / kTrailsPerLead));
  code.push_back(static_cast<char>(trailAt(offset % kTrailsPerLead)));
  return code;
}

void appendUtf8(std::string& out, char32_t codePoint) {
  // Only Private Use Area code points come here: always three bytes.
  out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
  out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
  out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
}

// Big5 → UTF-8 with the user-defined ranges: the runs between them go
// through iconv. On failure failedAt is the offset in the whole input.
bool big5ToUtf8(std::string_view big5, std::string& out, std::size_t& failedAt) {
  out.clear();
  std::string piece;
  std::size_t runStart = 0;
  std::size_t i = 0;
  const auto flushRun = [&](std::size_t end) {
    if (end == runStart) return true;
    std::size_t failedInRun = 0;
    if (!toUtf8Converter().convert(big5.substr(runStart, end - runStart), piece, failedInRun)) {
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
    const char32_t eudc = eudcCodePoint(lead, static_cast<unsigned char>(big5[i + 1]));
    if (eudc != 0) {
      if (!flushRun(i)) return false;
      appendUtf8(out, eudc);
      runStart = i + 2;
    }
    i += 2;
  }
  return flushRun(big5.size());
}

// UTF-8 → Big5 with the user-defined ranges, as big5ToUtf8 the other way.
bool utf8ToBig5(std::string_view utf8, std::string& out, std::size_t& failedAt) {
  out.clear();
  std::string piece;
  std::size_t runStart = 0;
  const auto flushRun = [&](std::size_t end) {
    if (end == runStart) return true;
    std::size_t failedInRun = 0;
    if (!toBig5Converter().convert(utf8.substr(runStart, end - runStart), piece, failedInRun)) {
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
    const std::string code = eudcBytes(codePoint);
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

bool isUserDefined(unsigned char lead, unsigned char trail) noexcept { return eudcCodePoint(lead, trail) != 0; }

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
