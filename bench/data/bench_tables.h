#pragma once
// The databases the data-layer benchmarks run on, made once per run in a
// temporary folder and removed at exit:
//  - characters.mdb: "0_Data_Input" shaped as the program's character table
//    (the schema's columns, B5_Hex indexed as in the bundled file) with the
//    13,053 characters of Big5's two ideograph ranges, one per row;
//  - million.mdb: "Million" with 1,000,000 rows (ID, Key Text(16) indexed,
//    Payload Text(64)).
#include <string>
#include <vector>

namespace benchdata {

constexpr const char* kCharacterTable = "0_Data_Input";
constexpr const char* kMillionTable = "Million";
constexpr int kMillionRows = 1000000;

class BenchTables {
 public:
  static const BenchTables& instance();
  ~BenchTables();
  BenchTables(const BenchTables&) = delete;
  BenchTables& operator=(const BenchTables&) = delete;

  const std::string& charactersPath() const { return charactersPath_; }
  const std::string& millionPath() const { return millionPath_; }
  int characterRows() const { return characterRows_; }
  // B5_Hex of the n-th character row (0-based), upper case.
  const std::string& characterHex(int row) const { return hexes_.at(static_cast<std::size_t>(row)); }
  // Key of the n-th row of the million table.
  static std::string millionKey(int row);

 private:
  BenchTables();
  std::string folder_;
  std::string charactersPath_;
  std::string millionPath_;
  int characterRows_ = 0;
  std::vector<std::string> hexes_;
};

}  // namespace benchdata
