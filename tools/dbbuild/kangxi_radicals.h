#pragma once
// The Kangxi radicals as ideographs, and the form in which a record can
// hold one.
//
// CJKRadicals.txt (Debian's unicode-data, /usr/share/unicode/) lists each
// radical as "number; radical symbol; unified ideograph", e.g.
// "1; 2F00; 4E00". Rows whose number carries an apostrophe ("120'") are the
// simplified forms of a radical; the record wants the radical itself.
//
// The record stores Big5 text, and 28 of the 214 radical ideographs (for
// example 疒, 辵, 宀) have no code in code page 950. Three of them have
// another form of the same radical in the code page, which stands in for
// them: 旡 for 无 (71), 隸 for 隶 (171) and 青 for 靑 (174). The others
// leave the field empty.
#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace dbbuild {

class KangxiRadicals {
 public:
  static constexpr int kCount = 214;

  // Throws DataSourceError when the file cannot be read, a data line is
  // malformed, or a radical 1..214 has no row.
  static KangxiRadicals load(const std::filesystem::path& path);

  // The unified ideograph of radical `number` (1..214); nullopt outside it.
  std::optional<char32_t> ideograph(int number) const noexcept;

 private:
  std::array<char32_t, kCount + 1> ideographs_{};  // index 0 unused
};

struct RadicalWord {
  std::optional<std::string> text;  // UTF-8, one character that code page 950 holds
  bool substituted = false;         // another form of the radical stands in
};

// The form of the radical that a record can hold: the ideograph itself when
// code page 950 has it, otherwise the substitute form named above when that
// exists, otherwise no text.
RadicalWord radicalWord(int number, char32_t ideograph);

// The code-page-950 substitute of radical `number`, or nullopt.
std::optional<char32_t> substituteRadicalForm(int number) noexcept;

}  // namespace dbbuild
