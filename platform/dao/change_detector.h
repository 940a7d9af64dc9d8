#pragma once
// Notices commits made by other connections to the same file, so that row
// values kept in memory are used only while nothing may have changed them.
//
// Contract: stamp() returns a number that differs from every earlier result
// whenever a connection other than this one may have committed since; equal
// results mean no commit happened in between. Spurious changes are allowed,
// missed ones are not.
//
// In WAL mode the wal-index header (documented in SQLite's WAL file format:
// the first 48 bytes of the "-shm" file, rewritten by every commit) tells
// this at the cost of a few memory reads; where that file cannot be mapped,
// "PRAGMA data_version" does (one statement per call). A connection holding
// the file exclusively sees no other commits at all.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dao/sqlite_handle.h"

namespace dao {

class ChangeDetector {
 public:
  virtual ~ChangeDetector() = default;
  virtual std::uint64_t stamp() = 0;

  // The cheapest detector that works for this connection (already open).
  static std::unique_ptr<ChangeDetector> forConnection(SqliteConnection& connection, bool exclusive, bool walMode);
};

}  // namespace dao
