// The conversions read code page 950 from a table built once it pays, and
// through iconv before that; iconv stays the authority. These tests hold
// both ways against iconv itself, called here directly, over every byte pair
// and every code point of the Basic Multilingual Plane. The user-defined
// ranges are the one place where the program differs from iconv on purpose
// (see big5.h).
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <optional>
#include <string>
#include <variant>

#include "platform/big5/big5.h"
#include "platform/big5/code_table.h"

namespace {

// What iconv makes of a whole text: the converted text, or the offset it
// stops at.
using Outcome = std::variant<std::string, std::size_t>;

class Iconv {
 public:
  Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() { iconv_close(handle_); }

  Outcome operator()(std::string_view input) {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string output(input.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    if (iconv(handle_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
      return input.size() - inLeft;
    output.resize(output.size() - outLeft);
    return output;
  }

 private:
  iconv_t handle_;
};

// Run once with the table and once through iconv alone.
class Big5AgainstIconv : public ::testing::TestWithParam<bool> {
 protected:
  const big5::detail::CodeTable* table() const {
    return GetParam() ? &big5::detail::CodeTable::instance() : nullptr;
  }

  Outcome decoded(std::string_view big5Text) const {
    std::string out;
    std::size_t failedAt = 0;
    if (!big5::detail::big5ToUtf8(table(), big5Text, out, failedAt)) return failedAt;
    return out;
  }

  Outcome encoded(std::string_view utf8) const {
    std::string out;
    std::size_t failedAt = 0;
    if (!big5::detail::utf8ToBig5(table(), utf8, out, failedAt)) return failedAt;
    return out;
  }
};

std::string utf8Of(char32_t codePoint) {
  std::string s;
  if (codePoint < 0x80) {
    s.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    s.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    s.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    s.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    s.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    s.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
  return s;
}

std::string hex(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", value);
  return text;
}

bool isPrivateUseOfUserDefined(char32_t codePoint) { return codePoint >= 0xE000 && codePoint <= 0xF848; }

// Every byte pair, whatever it is (ASCII, a lead byte cut off, no character,
// a character) converts as iconv converts it, byte for byte or to the same
// failing offset; every character read comes back as iconv writes it.
TEST_P(Big5AgainstIconv, EveryBytePairConvertsBothWaysAsIconvConvertsIt) {
  Iconv toUtf8("UTF-8", "CP950");
  Iconv toBig5("CP950", "UTF-8");
  int characters = 0;
  std::string differences;
  for (int lead = 0; lead <= 0xFF; ++lead) {
    for (int trail = 0; trail <= 0xFF; ++trail) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      if (big5::isUserDefined(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))) continue;
      const Outcome expected = toUtf8(pair);
      const Outcome actual = decoded(pair);
      if (actual != expected) differences += "read " + hex(lead << 8 | trail) + " ";
      const std::string* text = std::get_if<std::string>(&actual);
      if (text == nullptr) continue;
      ++characters;
      if (encoded(*text) != toBig5(*text)) differences += "write " + hex(lead << 8 | trail) + " ";
    }
  }
  EXPECT_EQ(differences, "");
  EXPECT_GT(characters, 13053 + 400);
}

// Every code point of the Basic Multilingual Plane outside the user-defined
// part of the Private Use Area is written as iconv writes it or refused
// where iconv refuses it, alone and inside a text.
TEST_P(Big5AgainstIconv, EveryCodePointIsWrittenAsIconvWritesIt) {
  Iconv toBig5("CP950", "UTF-8");
  std::string differences;
  for (char32_t codePoint = 1; codePoint <= 0xFFFF; ++codePoint) {
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || isPrivateUseOfUserDefined(codePoint)) continue;
    const std::string alone = utf8Of(codePoint);
    if (encoded(alone) != toBig5(alone)) differences += "U+" + hex(static_cast<int>(codePoint)) + " ";
    const std::string inText = "ab" + alone + "\u4E00";
    if (encoded(inText) != toBig5(inText)) differences += "in text U+" + hex(static_cast<int>(codePoint)) + " ";
  }
  EXPECT_EQ(differences, "");
}

// Malformed UTF-8 and bytes that are no Big5 fail where iconv fails, after
// text the table converts.
TEST_P(Big5AgainstIconv, DamageInsideTextFailsAtIconvsOffset) {
  Iconv toUtf8("UTF-8", "CP950");
  Iconv toBig5("CP950", "UTF-8");
  const std::string big5Texts[] = {
      "\xA4\x40\xA4",          // a lead byte cut off at the end
      "\xA4\x40\xFF\x41",      // a byte that begins nothing
      "\xA4\x40\xA1\x30zz",    // a lead byte before a byte that is no trail
      "a\x80\xA4\x40",         // a byte iconv reads alone
  };
  for (const std::string& text : big5Texts) EXPECT_EQ(decoded(text), toUtf8(text)) << text;
  const std::string utf8Texts[] = {
      "\u4E00\xE4\xB8",           // a sequence cut off at the end
      "\u4E00\xC0\x80x",          // an overlong form
      "\u4E00\xED\xA0\x80",       // a surrogate
      "\u4E00\xF0\x9F\x98\x80",   // beyond the plane
      "\u4E00\x80\u4E00",         // a continuation byte alone
      "\u4E00\u00E9",             // a character code page 950 lacks
  };
  for (const std::string& text : utf8Texts) EXPECT_EQ(encoded(text), toBig5(text)) << text;
}

INSTANTIATE_TEST_SUITE_P(Ways, Big5AgainstIconv, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WithTheTable" : "ThroughIconvAlone";
                         });

// The public conversions agree with both ways once the table is in use: a
// text converted before and after the table is built comes out the same.
TEST(Big5Table, TextConvertsTheSameBeforeAndAfterTheTableIsBuilt) {
  const std::string text = "\xA4\x40\xA4\x41 abc \xFA\x40\xC9\x4A\xA2\xCC";
  const std::string utf8 = big5::toUtf8(text);
  std::string viaTable;
  std::size_t failedAt = 0;
  ASSERT_TRUE(big5::detail::big5ToUtf8(&big5::detail::CodeTable::instance(), text, viaTable, failedAt));
  EXPECT_EQ(viaTable, utf8);
  EXPECT_EQ(utf8, "\u4E00\u4E59 abc \uE000\uFA0C\u5341");
  EXPECT_EQ(big5::fromUtf8(utf8), "\xA4\x40\xA4\x41 abc \xFA\x40\xC9\x4A\xA4\x51");
}

}  // namespace
