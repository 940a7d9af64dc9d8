#pragma once
// Databases the engine benchmarks run on, made once per run in a temporary
// folder: a table shaped like the character table "0_Data_Input" with
// 13,000 generated rows (B5_Hex "A440" upwards, indexed as in the bundled
// database; a copy without the index), and a 1,000,000-row table with an
// indexed text column.
#include <string>

namespace bench {

constexpr int kCharacterRows = 13000;
constexpr int kMillionRows = 1000000;
constexpr const char* kCharacterTable = "0_Data_Input";
constexpr const char* kPlainCharacterTable = "0_Data_Input_Plain";  // B5_Hex not indexed
constexpr const char* kMillionTable = "Million";

// Hex code of the n-th generated character row (0-based), upper case.
std::string characterHex(int row);
// Key of the n-th row of the million table.
std::string millionKey(int row);

class BenchDatabases {
 public:
  static const BenchDatabases& instance();
  const std::string& characterPath() const { return characterPath_; }
  const std::string& millionPath() const { return millionPath_; }
  ~BenchDatabases();

 private:
  BenchDatabases();
  std::string folder_;
  std::string characterPath_;
  std::string millionPath_;
};

}  // namespace bench
