#pragma once
// Which database names the engine's OpenDatabase takes as a database
// server's connection string rather than a file name. Part of the type
// library: a client needs to know it to leave such a name alone (no look-up
// in the program's folder, no check that a file exists), and it must agree
// with the engine's own reading of the name.
//
// Dependency-free, like dao_typelib.h.
#include <string_view>

namespace dao {

// A "postgresql://" or "postgres://" URI, or key=value pairs ("service=team",
// "host=/run/db dbname=lexora"), as the server's client library itself tells
// them from a bare database name. (OpenDatabase still opens a file that
// exists under such a name as the file.)
constexpr bool namesServerDatabase(std::string_view name) noexcept {
  if (name.starts_with("postgresql://") || name.starts_with("postgres://")) return true;
  // key=value: a keyword (ASCII letters and underscores) at the start,
  // spaces allowed around it as the client library allows them.
  std::size_t i = 0;
  while (i < name.size() && name[i] == ' ') ++i;
  const std::size_t keyword = i;
  while (i < name.size() &&
         ((name[i] >= 'a' && name[i] <= 'z') || (name[i] >= 'A' && name[i] <= 'Z') || name[i] == '_')) {
    ++i;
  }
  if (i == keyword) return false;
  while (i < name.size() && name[i] == ' ') ++i;
  return i < name.size() && name[i] == '=';
}

}  // namespace dao
