#pragma once
// The error the database builder raises when one of its data sources (a
// Cangjie table, the Unihan file, the radical list) cannot be read or does
// not have the expected layout. what() names the file and what is wrong.
#include <stdexcept>
#include <string>

namespace dbbuild {

class DataSourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace dbbuild
