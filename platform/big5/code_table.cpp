#include "platform/big5/code_table.h"

#include <atomic>
#include <cerrno>
#include <iconv.h>

#include "platform/big5/big5.h"

namespace big5::detail {

namespace {

iconv_t asIconv(void* handle) { return static_cast<iconv_t>(handle); }

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

// Calls visit(code, codePoint) for every user-defined code, in order.
template <typename Visit>
void forEachUserDefinedCode(Visit visit) {
  for (const EudcRange& range : kEudcRanges) {
    char32_t codePoint = range.firstCodePoint;
    for (int lead = range.firstLead; lead <= range.lastLead; ++lead) {
      for (int index = lead == range.firstLead ? trailIndex(range.firstTrail) : 0; index < kTrailsPerLead; ++index)
        visit(static_cast<std::uint16_t>(lead << 8 | trailAt(index)), codePoint++);
    }
  }
}

}  // namespace

Converter::Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
  if (handle_ == reinterpret_cast<void*>(-1))
    throw ConversionError(std::string("The text conversion ") + from + " to " + to + " is not available on this system",
                          0);
}

Converter::~Converter() { iconv_close(asIconv(handle_)); }

std::size_t Converter::convertSome(std::string_view input, std::string& output) {
  iconv(asIconv(handle_), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  output.clear();
  output.resize(input.size() * 2 + 8);
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char* out = output.data();
  std::size_t outLeft = output.size();
  while (inLeft > 0) {
    if (iconv(asIconv(handle_), &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno != E2BIG) break;  // EILSEQ, or EINVAL for a truncated sequence
    const std::size_t used = output.size() - outLeft;
    output.resize(output.size() * 2);
    out = output.data() + used;
    outLeft = output.size() - used;
  }
  output.resize(output.size() - outLeft);
  return input.size() - inLeft;
}

bool Converter::convert(std::string_view input, std::string& output, std::size_t& failedAt) {
  const std::size_t converted = convertSome(input, output);
  if (converted == input.size()) return true;
  failedAt = converted;
  return false;
}

Converter& toBig5Converter() {
  thread_local Converter converter("CP950", "UTF-8");
  return converter;
}

Converter& toUtf8Converter() {
  thread_local Converter converter("UTF-8", "CP950");
  return converter;
}

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
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

char32_t decodeUtf8(std::string_view text, std::size_t at, std::size_t& length) noexcept {
  const auto lead = static_cast<unsigned char>(text[at]);
  char32_t codePoint = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    length = 1;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, codePoint = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, codePoint = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, codePoint = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = codePoint << 6 | (next & 0x3F);
  }
  if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return codePoint;
}

const CodeTable& CodeTable::instance() {
  static const CodeTable table;
  return table;
}

namespace {
// Work without the table, in bytes of text: an iconv call costs about as
// much as converting two dozen bytes, and building the table about as much
// as converting 100,000 bytes through iconv (a few thousand short texts).
constexpr std::size_t kCallCost = 24;
constexpr std::size_t kWorkThatPaysForTheTable = 96 * 1024;
std::atomic<std::size_t> workWithoutTable{0};
std::atomic<const CodeTable*> builtTable{nullptr};
}  // namespace

const CodeTable* CodeTable::whenWorthIt(std::size_t textBytes) {
  if (const CodeTable* table = builtTable.load(std::memory_order_acquire)) return table;
  const std::size_t work = textBytes + kCallCost;
  if (workWithoutTable.fetch_add(work, std::memory_order_relaxed) + work < kWorkThatPaysForTheTable) return nullptr;
  const CodeTable* table = &instance();
  builtTable.store(table, std::memory_order_release);
  return table;
}

CodeTable::CodeTable() : toUnicode_(0x10000, 0), toBig5_(0x10000, 0) {
  forEachUserDefinedCode([this](std::uint16_t code, char32_t codePoint) { toUnicode_[code] = codePoint; });
  // Straight to code points (UCS-4), not UTF-8: a third of the work.
  Converter toCodePoints("UCS-4LE", "CP950");
  for (int lead = 0x81; lead <= 0xFE; ++lead) readCodesOfLead(static_cast<unsigned char>(lead), toCodePoints);
  readCodesOfCodePoints();
  // The user-defined ranges win over anything iconv writes.
  forEachUserDefinedCode([this](std::uint16_t code, char32_t codePoint) { toBig5_[codePoint] = code; });
}

// Every two-byte code of one lead byte that is not user-defined, through
// iconv in as few calls as the codes iconv refuses allow.
void CodeTable::readCodesOfLead(unsigned char lead, Converter& toCodePoints) {
  std::string pairs;
  std::uint16_t codes[kTrailsPerLead];
  std::size_t count = 0;
  for (int index = 0; index < kTrailsPerLead; ++index) {
    const auto code = static_cast<std::uint16_t>(lead << 8 | trailAt(index));
    if (toUnicode_[code] != 0) continue;  // user-defined
    pairs.push_back(static_cast<char>(lead));
    pairs.push_back(static_cast<char>(code & 0xFF));
    codes[count++] = code;
  }
  std::string ucs4;
  std::size_t at = 0;
  while (at < pairs.size()) {
    const std::size_t converted = toCodePoints.convertSome(std::string_view(pairs).substr(at), ucs4);
    // Each pair iconv took gave one character; anything else is left to
    // iconv itself.
    if (ucs4.size() == converted * 2) {
      for (std::size_t k = 0; k < converted / 2; ++k) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(ucs4.data() + k * 4);
        const char32_t codePoint = char32_t(bytes[0]) | char32_t(bytes[1]) << 8 | char32_t(bytes[2]) << 16 |
                                   char32_t(bytes[3]) << 24;
        toUnicode_[codes[at / 2 + k]] = codePoint <= 0x10FFFF ? codePoint : 0;
      }
    }
    at += converted;
    if (at < pairs.size()) at += 2;  // a pair iconv refuses: not a character
  }
}

// The way back: each code point read is written as the code it was read
// from. Big5 has a few characters twice; for those iconv says which of the
// codes is written. Asking iconv about every code point instead would cost
// six times the whole table; the one case the inverse could get wrong, a
// code point iconv writes as a code that reads as another character, does
// not occur in this iconv, which the tests check code point by code point.
void CodeTable::readCodesOfCodePoints() {
  std::vector<char32_t> twice;
  for (std::size_t code = 0; code < toUnicode_.size(); ++code) {
    const char32_t codePoint = toUnicode_[code];
    if (codePoint == 0 || codePoint > 0xFFFF) continue;
    if (toBig5_[codePoint] == 0) {
      toBig5_[codePoint] = static_cast<std::uint16_t>(code);
    } else {
      twice.push_back(codePoint);
    }
  }
  std::string utf8;
  std::string written;
  for (char32_t codePoint : twice) {
    utf8.clear();
    appendUtf8(utf8, codePoint);
    toBig5_[codePoint] = 0;  // unless iconv writes one of the codes: then iconv decides each time
    if (toBig5Converter().convertSome(utf8, written) != utf8.size() || written.size() != 2) continue;
    const auto code = static_cast<std::uint16_t>(static_cast<unsigned char>(written[0]) << 8 |
                                                 static_cast<unsigned char>(written[1]));
    if (toUnicode_[code] == codePoint) toBig5_[codePoint] = code;
  }
}

}  // namespace big5::detail
