// TDataSet: the window of record buffers and positioning.
//
// The window holds consecutive rows, window_[0] the earliest. cursorSlot_
// records which of them the cursor stands on (-1: unknown, or a crack);
// every relative fetch first puts the cursor on the window's edge row.
// A fetch that fills a full window recycles the buffer that falls out as
// the spare, so walking costs no allocation.
//
// A shift, as reported to the links with deDataSetScroll, is how many slots
// the rows moved towards the start: a row at slot k before is at k - shift
// after.
#include <algorithm>

#include "framework/DbErrors.h"
#include "framework/TDataSet.h"

namespace framework {

void TDataSet::ClearWindow() noexcept {
  for (auto& buffer : window_) {
    try {
      FreeRecordBuffer(buffer);
    } catch (...) {
      buffer.reset();
    }
  }
  window_.clear();
  activeSlot_ = 0;
  cursorSlot_ = -1;
}

TRecordBuffer& TDataSet::Spare() {
  if (!spare_) spare_ = AllocRecordBuffer();
  return *spare_;
}

void TDataSet::PlaceCursor(int slot) {
  if (cursorSlot_ == slot) return;
  cursorSlot_ = -1;
  InternalSetToRecord(*window_[static_cast<std::size_t>(slot)]);
  cursorSlot_ = slot;
}

void TDataSet::UpdateCursorPos() {
  if (Active() && !window_.empty()) PlaceCursor(activeSlot_);
}

// Reads the row after the window's last one onto the end of the window.
// Anything but grOK means there is no such row.
bool TDataSet::FetchNext(int& shift) {
  shift = 0;
  if (!window_.empty()) PlaceCursor(static_cast<int>(window_.size()) - 1);
  TRecordBuffer& buffer = Spare();
  cursorSlot_ = -1;
  if (GetRecord(buffer, gmNext) != grOK) return false;
  if (!window_.empty() && static_cast<int>(window_.size()) >= capacity_) {
    std::unique_ptr<TRecordBuffer> oldest = std::move(window_.front());
    window_.erase(window_.begin());
    window_.push_back(std::move(spare_));
    spare_ = std::move(oldest);
    shift = 1;
  } else {
    window_.push_back(std::move(spare_));
  }
  cursorSlot_ = static_cast<int>(window_.size()) - 1;
  return true;
}

// Reads the row before the window's first one onto the front of the window;
// the rows already there move up one slot (a shift of -1).
bool TDataSet::FetchPrior() {
  if (!window_.empty()) PlaceCursor(0);
  TRecordBuffer& buffer = Spare();
  cursorSlot_ = -1;
  if (GetRecord(buffer, gmPrior) != grOK) return false;
  if (!window_.empty() && static_cast<int>(window_.size()) >= capacity_) {
    std::unique_ptr<TRecordBuffer> newest = std::move(window_.back());
    window_.pop_back();
    window_.insert(window_.begin(), std::move(spare_));
    spare_ = std::move(newest);
  } else {
    window_.insert(window_.begin(), std::move(spare_));
  }
  cursorSlot_ = 0;
  return true;
}

void TDataSet::FillForward() {
  int shift = 0;
  while (static_cast<int>(window_.size()) < capacity_ && FetchNext(shift)) {
  }
}

void TDataSet::FillBackward(int limit) {
  while (static_cast<int>(window_.size()) < limit && FetchPrior()) {
  }
}

void TDataSet::DoBeforeScroll() {
  if (BeforeScroll) BeforeScroll(*this);
}

void TDataSet::DoAfterScroll() {
  if (AfterScroll) AfterScroll(*this);
}

void TDataSet::First() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearWindow();
  bof_ = eof_ = true;
  InternalFirst();
  FillForward();
  activeSlot_ = 0;
  eof_ = window_.empty();
  DataEvent(deDataSetChange);
  DoAfterScroll();
}

void TDataSet::Last() {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearWindow();
  bof_ = eof_ = true;
  InternalLast();
  FillBackward(capacity_);
  activeSlot_ = std::max(0, static_cast<int>(window_.size()) - 1);
  bof_ = window_.empty();
  DataEvent(deDataSetChange);
  DoAfterScroll();
}

int TDataSet::MoveBy(int distance) {
  CheckBrowseMode();
  if (distance == 0 || (distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
  DoBeforeScroll();
  bof_ = eof_ = false;
  int moved = 0;
  int shift = 0;
  while (distance > 0) {
    if (activeSlot_ + 1 < static_cast<int>(window_.size())) {
      ++activeSlot_;
    } else {
      int fetchShift = 0;
      if (!FetchNext(fetchShift)) {
        eof_ = true;
        break;
      }
      shift += fetchShift;
      activeSlot_ = static_cast<int>(window_.size()) - 1;
    }
    ++moved;
    --distance;
  }
  while (distance < 0) {
    if (activeSlot_ > 0) {
      --activeSlot_;
    } else {
      if (!FetchPrior()) {
        bof_ = true;
        break;
      }
      --shift;
      activeSlot_ = 0;
    }
    --moved;
    ++distance;
  }
  if (moved != 0) DataEvent(deDataSetScroll, nullptr, shift);
  DoAfterScroll();
  return moved;
}

void TDataSet::Resync(TResyncMode mode) {
  CheckActive();
  TRecordBuffer& probe = Spare();
  cursorSlot_ = -1;
  if (mode.exact) {
    if (GetRecord(probe, gmCurrent) != grOK) DatabaseError(SRecordNotFound, this);
  } else if (GetRecord(probe, gmCurrent) != grOK && GetRecord(probe, gmNext) != grOK &&
             GetRecord(probe, gmPrior) != grOK) {
    ClearWindow();
    bof_ = eof_ = true;
    DataEvent(deDataSetChange);
    return;
  }
  const int target = mode.center ? (capacity_ - 1) / 2 : std::min(activeSlot_, capacity_ - 1);
  ClearWindow();
  window_.push_back(std::move(spare_));
  cursorSlot_ = 0;
  while (activeSlot_ < target && FetchPrior()) ++activeSlot_;
  int shift = 0;
  while (static_cast<int>(window_.size()) < capacity_ && FetchNext(shift)) {
  }
  while (static_cast<int>(window_.size()) < capacity_ && FetchPrior()) ++activeSlot_;
  bof_ = eof_ = false;
  DataEvent(deDataSetChange);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  UpdateCursorPos();
  InternalRefresh();
  Resync();
}

int TDataSet::RecNo() { return Active() ? GetRecNo() : -1; }

int TDataSet::RecordCount() {
  CheckActive();
  return GetRecordCount();
}

TBookmark TDataSet::GetBookmark() {
  if (!Active() || window_.empty()) return {};
  TRecordBuffer& buffer = *window_[static_cast<std::size_t>(activeSlot_)];
  if (GetBookmarkFlag(buffer) != bfCurrent) return {};
  return GetBookmarkData(buffer);
}

void TDataSet::GotoBookmark(const TBookmark& bookmark) {
  if (bookmark.empty()) return;
  CheckBrowseMode();
  DoBeforeScroll();
  CursorPosChanged();
  InternalGotoBookmark(bookmark);
  Resync({.exact = true, .center = true});
  DoAfterScroll();
}

}  // namespace framework
