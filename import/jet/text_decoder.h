#pragma once
// Turning a Jet file's stored text into the UTF-8 the engine keeps, with
// the notes the import report lists (user-defined characters, bytes that
// are not text, characters code page 950 cannot hold).
#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jetimport {

struct TextFinding {
  enum class Kind { UserDefined, Invalid, OutsideBig5 } kind;
  std::string detail;
};

class TextDecoder {
 public:
  // jet3: the text is stored in `codePage` (950 is decoded by the Big5
  // layer); otherwise it arrives as UTF-8 already.
  TextDecoder(bool jet3, int codePage);
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;
  ~TextDecoder();

  // The text as UTF-8; findings are appended. Bytes that are no text become
  // U+FFFD in the result (the caller decides whether that may be written).
  std::string decode(std::string_view stored, std::vector<TextFinding>& findings);

 private:
  bool big5_;
  iconv_t other_ = reinterpret_cast<iconv_t>(-1);  // a Jet 3 code page other than 950
};

}  // namespace jetimport
