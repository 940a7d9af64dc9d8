#pragma once
// Datasets shared by the framework tests.
#include <string>
#include <vector>

#include "MemoryDataSet.h"

namespace framework::testing {

inline std::vector<MemoryColumn> CharacterColumns() {
  return {
      {"ID", ftAutoInc, 0},
      {"B5_Word", ftString, 8},
      {"B5_Hex", ftString, 8, /*required=*/true},
      {"Strokes", ftInteger, 0},
      {"Note", ftMemo, 0},
  };
}

// n rows: ID "1".."n", B5_Word "w1".., B5_Hex "H1".., Strokes "10".., Note "".
inline std::vector<std::vector<std::string>> CharacterRows(int n) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 1; i <= n; ++i) {
    const std::string k = std::to_string(i);
    rows.push_back({k, "w" + k, "H" + k, std::to_string(9 + i), ""});
  }
  return rows;
}

}  // namespace framework::testing
