#pragma once
// The two-byte codes of code page 950 and their Unicode code points, as a
// look-up table both ways, so that converting a record's texts costs a
// look-up per character instead of an iconv call per text.
//
// iconv stays the authority: the table is filled from iconv (plus the
// user-defined ranges, see big5.h) when it is first asked for, and holds
// only what iconv converts one to one. Anything the table does not know
// (a byte pair that is no character, a character code page 950 lacks, a
// one-way mapping) is answered 0, and the caller asks iconv itself.
//
// Internal to the big5 library; the rest of the program uses big5.h.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace big5::detail {

// An iconv descriptor for one direction. No //TRANSLIT or //IGNORE: an
// unmappable character must fail, never turn into "?" or vanish.
class Converter {
 public:
  Converter(const char* to, const char* from);
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter();

  // Converts as much of the input as converts, into output (replaced), and
  // returns how many input bytes that was: input.size() when all of it.
  std::size_t convertSome(std::string_view input, std::string& output);

  // Converts the whole input. On failure returns false and sets failedAt to
  // the byte offset of the character that could not be converted.
  bool convert(std::string_view input, std::string& output, std::size_t& failedAt);

 private:
  void* handle_;
};

// One descriptor per direction and thread: opening one costs far more than a
// short conversion, and descriptors must not be shared between threads.
Converter& toBig5Converter();
Converter& toUtf8Converter();

// The Private Use Area code point of a user-defined (EUDC) code, or 0 when
// the code is none.
char32_t eudcCodePoint(unsigned char lead, unsigned char trail) noexcept;

// The user-defined code of a Private Use Area code point, or an empty string
// when the code point is none of them.
std::string eudcBytes(char32_t codePoint);

class CodeTable {
 public:
  // The table, built on the first call (thread-safe).
  static const CodeTable& instance();

  // The table once it pays: building it costs about as much as a few
  // thousand short texts converted through iconv, so a program that converts
  // only a few texts (a start-up showing one record) never builds it. Counts
  // the non-ASCII text about to be converted; nullptr until then.
  static const CodeTable* whenWorthIt(std::size_t textBytes);

  // The code point of the two-byte code lead/trail; 0 when the table does
  // not know it.
  char32_t unicodeOf(unsigned char lead, unsigned char trail) const noexcept {
    return toUnicode_[static_cast<std::size_t>(lead) << 8 | trail];
  }

  // The two-byte code (lead << 8 | trail) of a code point; 0 when the table
  // does not know it.
  std::uint16_t codeOf(char32_t codePoint) const noexcept {
    return codePoint < toBig5_.size() ? toBig5_[codePoint] : 0;
  }

 private:
  CodeTable();
  void readCodesOfLead(unsigned char lead, Converter& toCodePoints);
  void readCodesOfCodePoints();

  std::vector<char32_t> toUnicode_;   // by lead << 8 | trail
  std::vector<std::uint16_t> toBig5_;  // by code point, U+0000..U+FFFF
};

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

// The code point of the well-formed UTF-8 sequence at text[at], with its
// length in length; 0 for a sequence that is malformed, overlong, a
// surrogate or cut short.
char32_t decodeUtf8(std::string_view text, std::size_t at, std::size_t& length) noexcept;

// The conversions of big5.h, with the table or, when table is nullptr,
// through iconv alone (user-defined codes aside). Both give the same text
// and fail at the same offset: failedAt, the offset in the whole input.
bool big5ToUtf8(const CodeTable* table, std::string_view big5, std::string& out, std::size_t& failedAt);
bool utf8ToBig5(const CodeTable* table, std::string_view utf8, std::string& out, std::size_t& failedAt);

}  // namespace big5::detail
