#pragma once
// What the five lookup tables of the database must hold so that the
// classification lists fill in code order: column n of each table lists the
// children of the parent with index n - 1, row 1 first. The database builder
// writes these contents and the tests check a file against them.
#include <string>
#include <string_view>
#include <vector>

namespace classify {

struct LookupColumnContent {
  std::string column;              // column name, e.g. "Si_Bei03"
  std::vector<std::string> rows;   // one value per row, UTF-8, row 1 first
};

struct LookupTableContent {
  std::string_view table;                  // e.g. "4_Si_Bei"
  std::vector<LookupColumnContent> columns;  // every column filled, read or not
  int rowCount = 0;
};

// The five lookup tables in the order "1_Li_Chang" .. "5_GN". Besides the
// columns the lists read, the unread columns ("Binary", "Test", "Hex_nn")
// are given the codes of their rows so the file stays self-explaining.
std::vector<LookupTableContent> lookupTableContents();

}  // namespace classify
