// Text goes through the engine byte for byte: every Big5 ideograph and
// symbol of code page 950 (converted to Unicode by iconv), written with
// AddNew and read back, plus characters that Unicode normalisation would
// change.
#include <iconv.h>

#include "tests/platform/dao/engine_test_support.h"

using namespace enginetest;
using automation::ObjectRef;
using automation::Variant;

namespace {

// UTF-8 of one Big5 code, or empty when code page 950 has no character there.
std::string big5ToUtf8(iconv_t converter, unsigned code) {
  char in[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  char out[16];
  char* input = in;
  char* output = out;
  std::size_t inLeft = 2;
  std::size_t outLeft = sizeof out;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  if (iconv(converter, &input, &inLeft, &output, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return {};
  return std::string(out, output);
}

std::vector<std::string> big5Characters(unsigned first, unsigned last) {
  iconv_t converter = iconv_open("UTF-8", "CP950");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::vector<std::string> characters;
  for (unsigned code = first; code <= last; ++code) {
    const unsigned trail = code & 0xFF;
    if (!((trail >= 0x40 && trail <= 0x7E) || (trail >= 0xA1 && trail <= 0xFE))) continue;
    std::string text = big5ToUtf8(converter, code);
    if (!text.empty()) characters.push_back(std::move(text));
  }
  iconv_close(converter);
  return characters;
}

}  // namespace

TEST(UnicodeRoundTrip, EveryBig5IdeographAndSymbolComesBackByteForByte) {
  std::vector<std::string> characters = big5Characters(0xA440, 0xC67E);
  const std::vector<std::string> second = big5Characters(0xC940, 0xF9D5);
  characters.insert(characters.end(), second.begin(), second.end());
  ASSERT_EQ(characters.size(), 13053u);
  const std::vector<std::string> symbols = big5Characters(0xA140, 0xA3BF);
  ASSERT_GT(symbols.size(), 400u);
  characters.insert(characters.end(), symbols.begin(), symbols.end());
  // Eight characters to a row: every post reaches the database file before
  // it returns, and one post per character would make the test needlessly
  // long; what is compared is still every character's bytes.
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < characters.size(); i += 8) {
    rows.emplace_back();
    for (std::size_t j = i; j < characters.size() && j < i + 8; ++j) rows.back() += characters[j];
  }
  // Compatibility ideographs such as U+FA0C (C94A) stay what they are.
  rows.push_back("\xef\xa8\x8c");
  rows.push_back("e\xcc\x81");  // e + combining acute, not merged into é

  TemporaryFolder folder;
  createPeopleDatabase(folder.file("big5.mdb"), {});
  {
    EngineSession session(folder.file("big5.mdb"));
    ObjectRef recordset = session.openTable();
    ObjectRef name = recordset->getObject("Fields", {"Name"});
    for (const std::string& row : rows) {
      recordset->call("AddNew");
      name->put("Value", row);
      recordset->call("Update");
    }
  }
  EngineSession session(folder.file("big5.mdb"));
  ObjectRef recordset = session.openTable();
  ObjectRef name = recordset->getObject("Fields", {"Name"});
  std::size_t index = 0;
  while (!recordset->get("EOF").asBoolean()) {
    ASSERT_LT(index, rows.size());
    ASSERT_EQ(name->get("Value").asText(), rows[index]) << "row " << index;
    ++index;
    recordset->call("MoveNext");
  }
  EXPECT_EQ(index, rows.size());
}
