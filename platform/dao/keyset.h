#pragma once
// The rows of a dynaset: the row keys of the table as they were when the
// recordset opened, in key order, followed by the rows added through the
// recordset (or its clones, which share the keyset).
//
// Contract:
//  - The keyset is bounded at open: rows other connections add later are
//    not in it (their keys are above the highest key at open, and keys are
//    never reused).
//  - Keys are read from the table lazily, in growing chunks, as positions
//    are asked for; contains() needs no reading at all. A row another
//    connection deletes after its key was read stays in the keyset as a hole
//    (the cursor reports it deleted, 3167); one deleted before its chunk was
//    read is simply not in it.
//  - Entries removed through the recordset (Delete) stay in place but are
//    not live: they count neither in liveCount() nor in positions.
//  - forgetRowsDeletedElsewhere() reads the keys once more and turns every
//    hole into a removed entry, so that positions and liveCount() are those
//    of the rows there are; isDeletedElsewhere() tells such entries from
//    those removed through the recordset.
//  - Indexes passed in must be below size() as last reported (or be proven
//    by hasIndex()); size() reads the whole keyset.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dao {

class DatabaseConnection;
struct TableSchema;

class Keyset {
 public:
  // `highestKeyAtOpen` bounds the keyset; `firstKeys` are its first keys,
  // read with it (all of them when `complete`).
  Keyset(DatabaseConnection& connection, const TableSchema& table, std::int64_t highestKeyAtOpen,
         std::vector<std::int64_t> firstKeys, bool complete);

  // Whether the keyset has an entry at `index` (reads keys as needed).
  bool hasIndex(std::size_t index);
  std::int64_t rowIdAt(std::size_t index) const { return index < loaded_.size() ? loaded_[index] : appended_[index - loaded_.size()]; }
  std::size_t size();
  std::size_t liveCount() { return size() - removed_.size(); }

  // The first position whose key is >= rowId (reads keys through rowId);
  // `exact` tells whether that entry's key is rowId.
  struct Location {
    std::size_t index = 0;
    bool exact = false;
  };
  Location locate(std::int64_t rowId);

  // The first live entry at or after `from`, the last at or before `from`.
  std::optional<std::size_t> nextLive(std::size_t from);
  std::optional<std::size_t> previousLive(std::size_t from);
  // The entry of the `position`-th live row (0-based), if there is one.
  std::optional<std::size_t> liveEntry(std::size_t position);
  // Live entries before `index` (the 0-based position of a live entry).
  std::size_t livePositionOf(std::size_t index);

  bool hasRemovals() const noexcept { return !removed_.empty(); }
  bool contains(std::int64_t rowId) const;
  bool isRemoved(std::int64_t rowId) const;
  void markRemoved(std::int64_t rowId);
  void append(std::int64_t rowId);
  void forgetRowsDeletedElsewhere();
  bool isDeletedElsewhere(std::int64_t rowId) const;

 private:
  bool loadMore();
  void loadThrough(std::int64_t rowId);

  DatabaseConnection& connection_;
  std::string selectSql_;
  std::string rangeSql_;
  std::int64_t highestKeyAtOpen_ = 0;
  std::vector<std::int64_t> loaded_;    // keys <= highestKeyAtOpen_, ascending
  bool tableComplete_ = false;
  std::size_t nextChunk_ = 256;
  std::vector<std::int64_t> appended_;  // keys of rows added through the keyset, ascending
  std::vector<std::int64_t> removed_;   // ascending
  std::vector<std::int64_t> deletedElsewhere_;  // ascending, a part of removed_
};

}  // namespace dao
