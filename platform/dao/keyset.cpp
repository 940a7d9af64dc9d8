#include "platform/dao/keyset.h"

#include <algorithm>
#include <limits>

#include "platform/dao/storage.h"

namespace dao {

namespace {

constexpr std::size_t kLargestChunk = 65536;

}  // namespace

Keyset::Keyset(StoredTable& table, std::int64_t highestKeyAtOpen, std::vector<std::int64_t> firstKeys, bool complete)
    : table_(table),
      highestKeyAtOpen_(highestKeyAtOpen),
      head_(std::move(firstKeys)),
      complete_(complete || highestKeyAtOpen == 0),
      counted_(complete_) {
  backwardChunk_ = std::min(std::max<std::size_t>(table_.firstKeyChunk(), 1), kLargestChunk);
  forwardChunk_ = std::max<std::size_t>(backwardChunk_, head_.size() * 2);
}

std::int64_t Keyset::headBound() const noexcept {
  return head_.empty() ? std::numeric_limits<std::int64_t>::min() : head_.back();
}

std::int64_t Keyset::tailBound() const noexcept {
  return tailDescending_.empty() ? highestKeyAtOpen_ : tailDescending_.back() - 1;
}

void Keyset::count() {
  if (counted_) return;
  const std::int64_t unread = table_.countKeys(headBound(), highestKeyAtOpen_);
  counted_ = true;
  unread_ = static_cast<std::size_t>(std::max<std::int64_t>(unread, 0));
  if (unread_ == 0) joinHeadAndTail();
}

void Keyset::joinHeadAndTail() {
  // Keys only leave the unread range (others delete rows; new keys lie above
  // the bound), so a count left over means rows deleted before they were
  // read: everything after them moves up.
  if (counted_ && unread_ != 0) ++epoch_;
  head_.insert(head_.end(), tailDescending_.rbegin(), tailDescending_.rend());
  tailDescending_.clear();
  tailDescending_.shrink_to_fit();
  unread_ = 0;
  counted_ = true;
  complete_ = true;
}

bool Keyset::loadForward() {
  if (complete_) return false;
  const std::size_t before = head_.size();
  table_.keysForward(headBound(), tailBound(), forwardChunk_, head_);
  const std::size_t read = head_.size() - before;
  if (counted_) unread_ -= std::min(read, unread_);
  if (read < forwardChunk_ || (counted_ && unread_ == 0) || (!head_.empty() && head_.back() >= highestKeyAtOpen_)) {
    joinHeadAndTail();
  }
  forwardChunk_ = std::min(forwardChunk_ * 2, kLargestChunk);
  return true;
}

bool Keyset::loadBackward() {
  count();
  if (complete_) return false;
  const std::size_t before = tailDescending_.size();
  table_.keysBackward(headBound(), tailBound(), backwardChunk_, tailDescending_);
  const std::size_t read = tailDescending_.size() - before;
  unread_ -= std::min(read, unread_);
  if (read < backwardChunk_ || unread_ == 0) joinHeadAndTail();
  backwardChunk_ = std::min(backwardChunk_ * 2, kLargestChunk);
  return true;
}

bool Keyset::isRead(std::size_t index) const noexcept {
  if (index < head_.size()) return true;
  if (!counted_) return false;
  const std::size_t tailStart = head_.size() + unread_;
  return index >= tailStart && index - tailStart < tailDescending_.size() + appended_.size();
}

void Keyset::readIndex(std::size_t index) {
  while (!complete_ && !isRead(index)) {
    if (!counted_) {
      loadForward();
      continue;
    }
    const std::size_t tailStart = head_.size() + unread_;
    if (index >= tailStart) return;  // beyond the keys read at open: appended rows or nothing
    const std::size_t fromHead = index - head_.size();
    const std::size_t fromTail = tailStart - index;
    if (fromTail < fromHead) {
      loadBackward();
    } else {
      loadForward();
    }
  }
}

bool Keyset::hasIndex(std::size_t index) {
  readIndex(index);
  if (!counted_) return index < head_.size();
  return index < head_.size() + unread_ + tailDescending_.size() + appended_.size();
}

std::size_t Keyset::size() {
  count();
  return head_.size() + unread_ + tailDescending_.size() + appended_.size();
}

Keyset::Location Keyset::locate(std::int64_t rowId) {
  if (rowId > highestKeyAtOpen_) {
    const std::size_t base = size();
    const auto found = std::lower_bound(appended_.begin(), appended_.end(), rowId);
    const std::size_t index = base - appended_.size() + static_cast<std::size_t>(found - appended_.begin());
    return Location{index, found != appended_.end() && *found == rowId};
  }
  while (!complete_) {
    if (!head_.empty() && rowId <= head_.back()) break;
    if (!tailDescending_.empty() && rowId >= tailDescending_.back()) break;
    // Not read yet: read from the nearer end, judged by the keys' values
    // (keys are handed out in order, so they spread about evenly).
    const std::int64_t fromHead = rowId - (head_.empty() ? 0 : head_.back());
    const std::int64_t fromTail = tailBound() - rowId;
    if (fromTail < fromHead) {
      loadBackward();
    } else {
      loadForward();
    }
  }
  if (complete_ || (!head_.empty() && rowId <= head_.back())) {
    const auto found = std::lower_bound(head_.begin(), head_.end(), rowId);
    return Location{static_cast<std::size_t>(found - head_.begin()), found != head_.end() && *found == rowId};
  }
  // In the tail, read from the end: the entries up to the first key below rowId.
  const auto atOrAbove = std::partition_point(tailDescending_.begin(), tailDescending_.end(),
                                              [&](std::int64_t key) { return key >= rowId; });
  const auto above = static_cast<std::size_t>(atOrAbove - tailDescending_.begin());
  const std::size_t index = head_.size() + unread_ + (tailDescending_.size() - above);
  return Location{index, above > 0 && tailDescending_[above - 1] == rowId};
}

std::optional<std::size_t> Keyset::nextLive(std::size_t from) {
  for (std::size_t index = from; hasIndex(index); ++index) {
    if (!isRemoved(rowIdAt(index))) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> Keyset::previousLive(std::size_t from) {
  if (!hasIndex(from)) return std::nullopt;
  for (std::size_t index = from + 1; index-- > 0;) {
    if (!hasIndex(index)) continue;  // the keyset shrank while reading towards it
    if (!isRemoved(rowIdAt(index))) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> Keyset::liveEntry(std::size_t position) {
  // The entry sits `position` plus the removed entries before it; removed
  // entries are few, so this settles after a step or two.
  std::size_t index = position;
  while (hasIndex(index)) {
    const std::int64_t key = rowIdAt(index);
    if (isRemoved(key)) {
      ++index;
      continue;
    }
    const auto removedBefore =
        static_cast<std::size_t>(std::lower_bound(removed_.begin(), removed_.end(), key) - removed_.begin());
    if (index - removedBefore == position) return index;
    index = position + removedBefore;
  }
  return std::nullopt;
}

std::size_t Keyset::livePositionOf(std::size_t index) {
  const std::int64_t key = rowIdAt(index);
  return index - static_cast<std::size_t>(std::lower_bound(removed_.begin(), removed_.end(), key) - removed_.begin());
}

bool Keyset::contains(std::int64_t rowId) const {
  if (rowId <= 0) return false;
  if (rowId > highestKeyAtOpen_ && !std::binary_search(appended_.begin(), appended_.end(), rowId)) return false;
  return !isRemoved(rowId);
}

bool Keyset::isRemoved(std::int64_t rowId) const { return std::binary_search(removed_.begin(), removed_.end(), rowId); }

void Keyset::markRemoved(std::int64_t rowId) {
  const auto at = std::lower_bound(removed_.begin(), removed_.end(), rowId);
  if (at == removed_.end() || *at != rowId) removed_.insert(at, rowId);
}

void Keyset::append(std::int64_t rowId) {
  if (appended_.empty() || appended_.back() < rowId) {
    appended_.push_back(rowId);
  } else {
    appended_.insert(std::lower_bound(appended_.begin(), appended_.end(), rowId), rowId);
  }
}

void Keyset::forgetRowsDeletedElsewhere() {
  // Each run of keys read so far (ascending) is walked along with the keys
  // the table holds now over the same range; a key the table lacks was
  // deleted by another connection.
  std::vector<std::int64_t> gone;
  const auto sweep = [&](const std::vector<std::int64_t>& keys) {
    if (keys.empty()) return;
    const std::vector<std::int64_t> there = table_.keysBetween(keys.front(), keys.back());
    auto next = there.begin();
    for (const std::int64_t key : keys) {
      while (next != there.end() && *next < key) ++next;
      if (next == there.end() || *next != key) gone.push_back(key);
    }
  };
  sweep(head_);
  sweep(std::vector<std::int64_t>(tailDescending_.rbegin(), tailDescending_.rend()));
  sweep(appended_);
  for (const std::int64_t key : gone) {
    if (isRemoved(key)) continue;
    markRemoved(key);
    deletedElsewhere_.insert(std::lower_bound(deletedElsewhere_.begin(), deletedElsewhere_.end(), key), key);
  }

  // Keys not read yet are only counted; a row deleted among them is simply
  // not read later, but the count, and the positions of the tail behind
  // them, must be true now.
  if (!counted_ || complete_) return;
  const std::int64_t unread = table_.countKeys(headBound(), tailBound());
  const auto nowUnread = static_cast<std::size_t>(std::max<std::int64_t>(unread, 0));
  if (nowUnread == unread_) return;
  ++epoch_;
  unread_ = nowUnread;
  if (unread_ == 0) joinHeadAndTail();
}

bool Keyset::isDeletedElsewhere(std::int64_t rowId) const {
  return std::binary_search(deletedElsewhere_.begin(), deletedElsewhere_.end(), rowId);
}

}  // namespace dao
