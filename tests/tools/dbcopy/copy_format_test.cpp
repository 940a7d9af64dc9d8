// The pieces of a copy that need no server: COPY's text escaping, the
// binary decoder fed in arbitrary pieces, the row checksum's sensitivity,
// and telling servers from files on the command line.
#include "tools/dbcopy/copy_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "tools/dbcopy/copy_error.h"
#include "tools/dbcopy/database_copy.h"
#include "tools/dbcopy/server_database.h"

namespace dbcopy {
namespace {

std::string text(const Value& value) {
  std::string line;
  appendCopyText(line, value);
  return line;
}

TEST(CopyText, EscapesWhatWouldEndAFieldOrALineAndNothingElse) {
  EXPECT_EQ(text(Value::null()), "\\N");
  // The text "\N" is a value, not Null.
  EXPECT_EQ(text(Value::ofText("\\N")), "\\\\N");
  EXPECT_EQ(text(Value::ofText("a\tb\nc\rd\\e")), "a\\tb\\nc\\rd\\\\e");
  // UTF-8 (private use, U+FFFD, the euro sign) passes untouched.
  const std::string utf8 = "\xEE\x80\x80\xEF\xBF\xBD\xE2\x82\xAC";
  EXPECT_EQ(text(Value::ofText(utf8)), utf8);
  EXPECT_EQ(text(Value::ofText("")), "");
  EXPECT_EQ(text(Value::ofBytes(std::string("\x00\xff\x10", 3))), "\\\\x00ff10");
  EXPECT_EQ(text(Value::ofInteger(std::numeric_limits<std::int64_t>::min())), "-9223372036854775808");
}

TEST(CopyText, DoublesReadBackToTheSameBits) {
  for (const double number : {0.1, -0.0, 5e-324, 1.7976931348623157e308, 45678.999988425926, 1.0 / 3}) {
    const std::string written = text(Value::ofReal(number));
    double read = 1;
    std::from_chars(written.data(), written.data() + written.size(), read);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read), std::bit_cast<std::uint64_t>(number)) << written;
  }
  EXPECT_EQ(text(Value::ofReal(std::numeric_limits<double>::infinity())), "Infinity");
  EXPECT_EQ(text(Value::ofReal(-std::numeric_limits<double>::infinity())), "-Infinity");
  EXPECT_EQ(text(Value::ofReal(std::nan(""))), "NaN");
}

std::string be(std::uint64_t number, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((number >> (8 * i)) & 0xFF);
  return out;
}

std::string binaryStream() {
  std::string data("PGCOPY\n\377\r\n\0", 11);
  data += be(0, 4) + be(0, 4);
  // Row 1: key 7, real 0.5f, double 0.1, text "é", bytes 00 01, version 3.
  data += be(6, 2);
  data += be(8, 4) + be(7, 8);
  data += be(4, 4) + be(std::bit_cast<std::uint32_t>(0.5F), 4);
  data += be(8, 4) + be(std::bit_cast<std::uint64_t>(0.1), 8);
  data += be(2, 4) + "\xC3\xA9";
  data += be(2, 4) + std::string("\x00\x01", 2);
  data += be(8, 4) + be(3, 8);
  // Row 2: Nulls and a negative key.
  data += be(6, 2);
  data += be(8, 4) + be(static_cast<std::uint64_t>(-2), 8);
  for (int i = 0; i < 4; ++i) data += be(0xFFFFFFFF, 4);
  data += be(8, 4) + be(0, 8);
  data += be(0xFFFF, 2);
  return data;
}

const std::vector<WireType> kFields{WireType::BigInt, WireType::Real, WireType::Double,
                                    WireType::Text,   WireType::Bytes, WireType::BigInt};

std::string decodeAll(const std::string& data, std::size_t piece) {
  std::string trace;
  BinaryCopyDecoder decoder(kFields, [&](const std::vector<Value>& row) {
    for (const Value& value : row) {
      switch (value.kind) {
        case Value::Kind::Null: trace += "null "; break;
        case Value::Kind::Integer: trace += std::to_string(value.integer) + " "; break;
        case Value::Kind::Real: trace += std::to_string(value.real) + " "; break;
        default: trace += "[" + std::to_string(value.bytes.size()) + "] ";
      }
    }
    trace += "| ";
  });
  for (std::size_t at = 0; at < data.size(); at += piece) decoder.feed(std::string_view(data).substr(at, piece));
  decoder.finish();
  return trace;
}

TEST(BinaryCopyDecoder, RowsComeOutWhateverPiecesTheDataArrivesIn) {
  const std::string expected = "7 0.500000 0.100000 [2] [2] 3 | -2 null null null null 0 | ";
  const std::string data = binaryStream();
  EXPECT_EQ(decodeAll(data, data.size()), expected);
  EXPECT_EQ(decodeAll(data, 1), expected);
  EXPECT_EQ(decodeAll(data, 5), expected);
}

TEST(BinaryCopyDecoder, RefusesWhatIsNotTheExpectedData) {
  const std::string data = binaryStream();
  // Cut before the trailer: the stream ended early.
  EXPECT_THROW(decodeAll(data.substr(0, data.size() - 2), 7), CopyError);
  EXPECT_THROW(decodeAll("COPY text\n" + data, data.size()), CopyError);
  // One field fewer than the stream holds.
  BinaryCopyDecoder fewer({WireType::BigInt}, [](const std::vector<Value>&) {});
  EXPECT_THROW(fewer.feed(data), CopyError);
  // A double where the stream holds a 4-byte real.
  BinaryCopyDecoder wrong({WireType::BigInt, WireType::Double, WireType::Double, WireType::Text, WireType::Bytes,
                           WireType::BigInt},
                          [](const std::vector<Value>&) {});
  EXPECT_THROW(wrong.feed(data), CopyError);
}

TEST(TableChecksum, EveryPartOfARowCounts) {
  const Row base{5, 2, {Value::ofInteger(5), Value::ofText("a"), Value::null(), Value::ofReal(0.0)}};
  TableChecksum reference;
  reference.add(base);
  const auto differs = [&](const Row& row) {
    TableChecksum other;
    other.add(row);
    return !(other == reference);
  };
  Row row = base;
  row.key = 6;
  EXPECT_TRUE(differs(row));
  row = base;
  row.version = 3;
  EXPECT_TRUE(differs(row));
  row = base;
  row.values[1] = Value::ofBytes("a");  // same bytes, other kind
  EXPECT_TRUE(differs(row));
  row = base;
  row.values[2] = Value::ofText("");  // empty text is not Null
  EXPECT_TRUE(differs(row));
  row = base;
  row.values[3] = Value::ofReal(-0.0);
  EXPECT_TRUE(differs(row));
  row = base;
  row.values[1] = Value::ofText("");
  row.values[2] = Value::ofText("a");  // the same bytes spread differently
  EXPECT_TRUE(differs(row));
  EXPECT_FALSE(differs(base));

  // Order counts, and so does the number of rows.
  TableChecksum ab;
  TableChecksum ba;
  Row other = base;
  other.key = 9;
  ab.add(base);
  ab.add(other);
  ba.add(other);
  ba.add(base);
  EXPECT_FALSE(ab == ba);
  EXPECT_EQ(ab.rows(), 2);
  EXPECT_EQ(reference.hex().size(), 16U);
}

TEST(CopyArguments, ServersAreToldFromFiles) {
  EXPECT_TRUE(namesServer("postgresql://team@db.example/lexora"));
  EXPECT_TRUE(namesServer("postgres://db/lexora"));
  EXPECT_TRUE(namesServer("service=lexora"));
  EXPECT_TRUE(namesServer("host=/run/pg dbname=x"));
  EXPECT_FALSE(namesServer("Lexora_Concept.mdb"));
  EXPECT_FALSE(namesServer("./a=b.mdb"));
  EXPECT_FALSE(namesServer("/data/x=1.mdb"));


  const CopyCommand command = parseCopyArguments({"--replace", "a.mdb", "service=team", "--report", "r.txt"});
  EXPECT_TRUE(command.replace);
  EXPECT_EQ(command.source, "a.mdb");
  EXPECT_EQ(command.target, "service=team");
  EXPECT_EQ(command.reportFile, "r.txt");
  EXPECT_THROW(parseCopyArguments({"a.mdb", "b.mdb"}), std::invalid_argument);
  EXPECT_THROW(parseCopyArguments({"service=a", "service=b"}), std::invalid_argument);
  EXPECT_THROW(parseCopyArguments({"a.mdb"}), std::invalid_argument);
  EXPECT_THROW(parseCopyArguments({"a.mdb", "service=a", "--force"}), std::invalid_argument);
  EXPECT_THROW(parseCopyArguments({"a.mdb", "service=a", "--report"}), std::invalid_argument);
}

}  // namespace
}  // namespace dbcopy
