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
//    are asked for: from the first key onwards, and from the last key
//    backwards once the number of keys is known, so that the last rows, and
//    rows found far down, cost no pass over the whole table. contains()
//    needs no reading at all.
//  - The number of keys not yet read is counted once, when a size or a
//    position from the end is first needed (a count, not a read of the
//    keys). A row another connection deletes after its key was read stays
//    in the keyset as a hole (the cursor reports it deleted, 3167); one
//    deleted before its key was read counts as such a hole until the keys
//    around it are read, and is then no longer in the keyset: positions
//    after it move up by one, and epoch() changes so that cursors find
//    their rows' positions again.
//  - Entries removed through the recordset (Delete) stay in place but are
//    not live: they count neither in liveCount() nor in positions.
//  - forgetRowsDeletedElsewhere() checks the keys read so far once more and
//    turns every hole into a removed entry, and counts the unread keys
//    afresh, so that positions and liveCount() are those of the rows there
//    are; isDeletedElsewhere() tells such entries from those removed through
//    the recordset.
//  - Indexes passed to rowIdAt() must have been proven by hasIndex() (or be
//    below the size and read, see isRead()).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace dao {

class StoredTable;

class Keyset {
 public:
  // `highestKeyAtOpen` bounds the keyset; `firstKeys` are its first keys,
  // read with it (all of them when `complete`).
  Keyset(StoredTable& table, std::int64_t highestKeyAtOpen,
         std::vector<std::int64_t> firstKeys, bool complete);

  // Whether the keyset has an entry at `index` (reads keys as needed).
  bool hasIndex(std::size_t index);
  // Whether the key at `index` has been read (rowIdAt may be called).
  bool isRead(std::size_t index) const noexcept;
  std::int64_t rowIdAt(std::size_t index) const {
    if (index < head_.size()) return head_[index];
    const std::size_t tailStart = head_.size() + unread_;
    if (index - tailStart < tailDescending_.size()) return tailDescending_[tailDescending_.size() - 1 - (index - tailStart)];
    return appended_[index - tailStart - tailDescending_.size()];
  }
  // Counts the keys not yet read when that was not done yet; reads none.
  std::size_t size();
  std::size_t liveCount() { return size() - removed_.size(); }
  // Changes whenever positions already handed out may have moved.
  std::uint64_t epoch() const noexcept { return epoch_; }

  // The first position whose key is >= rowId (reads keys through rowId,
  // from whichever end is nearer); `exact` tells whether that entry's key is
  // rowId.
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
  bool counted() const noexcept { return counted_; }
  void count();
  // Reads the next chunk after the head, or before the tail; false when
  // everything is read.
  bool loadForward();
  bool loadBackward();
  // After the last unread key was read: one run of keys, and the count
  // corrected when others deleted rows that were still unread.
  void joinHeadAndTail();
  // Reads keys from the nearer end until `index` is read.
  void readIndex(std::size_t index);
  std::int64_t headBound() const noexcept;  // keys to read are above this
  std::int64_t tailBound() const noexcept;  // and at most this

  StoredTable& table_;
  std::int64_t highestKeyAtOpen_ = 0;
  std::vector<std::int64_t> head_;            // the first keys, ascending
  std::vector<std::int64_t> tailDescending_;  // the last keys, descending
  bool complete_ = false;                     // every key <= highestKeyAtOpen_ read
  bool counted_ = false;
  std::size_t unread_ = 0;  // keys between head and tail (when counted)
  std::size_t forwardChunk_ = 256;
  std::size_t backwardChunk_ = 256;
  std::uint64_t epoch_ = 0;
  std::vector<std::int64_t> appended_;  // keys of rows added through the keyset, ascending
  std::vector<std::int64_t> removed_;   // ascending
  std::vector<std::int64_t> deletedElsewhere_;  // ascending, a part of removed_
};

}  // namespace dao
