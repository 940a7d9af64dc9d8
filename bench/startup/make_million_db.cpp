// Writes a copy of the program's database with 1,000,000 character records:
// the six tables as the bundled file has them (tools/dbbuild's writer, so
// the same fields, lookup contents and index), "0_Data_Input" holding the
// Big5 ideographs' characters over and over, each record with its own
// B5_Hex (the row number as eight upper-case hex digits, so that a prefix of
// the search box is selective).
//
//   make_million_db OUTPUT.mdb [ROWS]
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <vector>

#include "tools/dbbuild/big5_ideographs.h"
#include "tools/dbbuild/lexora_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.mdb [ROWS]\n", argv[0]);
    return 2;
  }
  const long rows = argc > 2 ? std::atol(argv[2]) : 1'000'000L;
  try {
    const dbbuild::Big5Enumeration big5 = dbbuild::enumerateBig5Ideographs();
    if (big5.ideographs.empty()) throw std::runtime_error("no Big5 ideographs");
    std::vector<dbbuild::CharacterRecord> records;
    records.reserve(static_cast<std::size_t>(rows));
    char hex[24];
    for (long i = 0; i < rows; ++i) {
      const dbbuild::Big5Ideograph& source = big5.ideographs[static_cast<std::size_t>(i) % big5.ideographs.size()];
      std::snprintf(hex, sizeof hex, "%08lX", i);
      records.push_back({source.code, source.utf8, hex, "M", "一", "一"});
    }
    dbbuild::writeLexoraDatabase(std::filesystem::path(argv[1]), records);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_million_db: %s\n", error.what());
    return 1;
  }
  return 0;
}
