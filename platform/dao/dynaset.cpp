#include "platform/dao/dynaset.h"

#include <algorithm>
#include <limits>

#include "platform/dao/column_value.h"
#include "platform/dao/engine_error.h"

namespace dao {

namespace {

constexpr int kLongestStreak = 8;  // rows read ahead: up to 2^8 = 256

automation::ByteArray bookmarkOf(std::int64_t rowId) {
  if (rowId <= 0 || rowId > std::numeric_limits<std::int32_t>::max()) raise(error::invalidBookmark);
  const auto key = static_cast<std::uint32_t>(rowId);
  return automation::ByteArray{static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                               static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 24)};
}

}  // namespace

namespace {

constexpr std::size_t kRowsReadAtOpen = 16;

}  // namespace

Dynaset::Dynaset(std::shared_ptr<Storage> storage, std::shared_ptr<const TableSchema> table, bool readOnly)
    : storage_(std::move(storage)),
      stored_((requireOpen(), storage_->openTable(std::move(table)))),
      table_(stored_->sharedSchema()),
      readOnly_(readOnly || table_->alwaysReadOnly || storage_->isReadOnly()),
      reader_(*storage_, *stored_),
      findCache_(newFindCache()) {
  // One request takes the keyset's bound (the highest key now), its first
  // keys and their rows, so that opening costs about one query.
  const std::uint64_t stamp = storage_->contentStamp();
  OpenedTable opened = stored_->open(kRowsReadAtOpen);
  std::vector<std::int64_t> firstKeys;
  firstKeys.reserve(opened.firstRows.size());
  for (const RowData& row : opened.firstRows) firstKeys.push_back(row.rowId);
  const bool complete = firstKeys.size() < kRowsReadAtOpen;
  if (!firstKeys.empty()) reader_.adopt(std::move(opened.firstRows), firstKeys.front(), firstKeys.back(), stamp);
  keyset_ = std::make_shared<Keyset>(*stored_, opened.highestKey, std::move(firstKeys), complete);
  if (const auto first = keyset_->nextLive(0)) landAt(*first);
}

Dynaset::Dynaset(SharedKeyset, const Dynaset& original)
    : storage_(original.storage_),
      stored_(original.stored_),
      table_(original.table_),
      keyset_(original.keyset_),
      readOnly_(original.readOnly_),
      reader_(RowReader::SameTable{}, original.reader_),
      findCache_(original.findCache_) {}

std::unique_ptr<Dynaset> Dynaset::clone() const {
  requireOpen();
  return std::make_unique<Dynaset>(SharedKeyset{}, *this);
}

void Dynaset::requireOpen() const {
  if (!storage_->isOpen()) raise(error::objectClosed);
}

void Dynaset::requireUpdatable() const {
  if (readOnly_) raise(error::readOnlyObject);
}

bool Dynaset::isEmpty() { return !keyset_->nextLive(0).has_value(); }

void Dynaset::forgetStaleIndex() noexcept {
  // The keyset found rows deleted before their keys were read: positions
  // handed out before may have moved. The key still names the row.
  if (indexEpoch_ == keyset_->epoch()) return;
  indexEpoch_ = keyset_->epoch();
  position_.index.reset();
  lastLanding_.reset();
  streak_ = 0;
  direction_ = 0;
}

std::size_t Dynaset::currentIndex() {
  forgetStaleIndex();
  if (!position_.index) {
    const Keyset::Location location = keyset_->locate(position_.rowId);
    if (location.exact) position_.index = location.index;
    return location.index;
  }
  return *position_.index;
}

void Dynaset::endPendingChange() noexcept {
  editMode_ = EditMode::None;
  editValues_.clear();
  assigned_.clear();
}

void Dynaset::placeAt(Place place) {
  endPendingChange();
  position_ = Position{place, 0, std::nullopt};
  current_ = nullptr;
  currentLoaded_ = false;
  lastLanding_.reset();
  streak_ = 0;
  direction_ = 0;
}

void Dynaset::landAt(std::size_t index) {
  endPendingChange();
  // Rows visited one after the other are read ahead in growing ranges.
  int direction = 0;
  if (lastLanding_ && index == *lastLanding_ + 1) direction = 1;
  if (lastLanding_ && index + 1 == *lastLanding_) direction = -1;
  streak_ = direction == 0 ? 0 : (direction == direction_ ? std::min(streak_ + 1, kLongestStreak) : 1);
  direction_ = direction;
  lastLanding_ = index;
  indexEpoch_ = keyset_->epoch();
  position_ = Position{Place::OnRow, keyset_->rowIdAt(index), index};
  deferLoading();
}

void Dynaset::landOnKey(std::int64_t rowId) {
  endPendingChange();
  position_ = Position{Place::OnRow, rowId, std::nullopt};
  lastLanding_.reset();
  streak_ = 0;
  direction_ = 0;
  deferLoading();
}

void Dynaset::deferLoading() noexcept {
  // The row is read when one of its values is first asked for (currentRow),
  // so that cursors moved only to be moved again (a clone's MoveFirst before
  // FindFirst, the row FindFirst lands on when only its bookmark is wanted)
  // read nothing.
  current_ = nullptr;
  currentLoaded_ = false;
}

void Dynaset::loadCurrent() {
  forgetStaleIndex();
  const std::int64_t rowId = position_.rowId;
  std::int64_t low = rowId;
  std::int64_t high = rowId;
  if (position_.index && streak_ > 0 && stored_->keepsRowsReadAhead()) {
    // Read ahead over keys already read only; reading keys is the moves' job.
    const std::size_t index = *position_.index;
    const std::size_t width = std::size_t{1} << streak_;
    if (direction_ > 0) {
      std::size_t last = index + width - 1;
      while (last > index && !keyset_->isRead(last)) --last;
      high = keyset_->rowIdAt(last);
    } else {
      std::size_t first = index >= width - 1 ? index - (width - 1) : 0;
      while (first < index && !keyset_->isRead(first)) ++first;
      low = keyset_->rowIdAt(first);
    }
  }
  if (low == high) takeFoundRow(rowId);
  current_ = reader_.read(rowId, low, high);
  currentLoaded_ = true;
}

const RowData& Dynaset::currentRow() {
  requireOpen();
  if (position_.place != Place::OnRow) raise(error::noCurrentRecord);
  if (keyset_->isRemoved(position_.rowId)) raise(error::recordDeleted);
  if (!currentLoaded_) loadCurrent();
  if (current_ == nullptr) reportRowGone();
  return *current_;
}

void Dynaset::reportRowGone() {
  // Another connection deleted the row: from now on the keyset holds only
  // the rows there are, so the count and positions the user sees are true.
  keyset_->forgetRowsDeletedElsewhere();
  raise(error::recordDeleted);
}

bool Dynaset::isBof() {
  requireOpen();
  return atBof();
}

bool Dynaset::isEof() {
  requireOpen();
  return atEof();
}

bool Dynaset::atBof() {
  return position_.place == Place::BeforeFirst || (position_.place == Place::AfterLast && isEmpty());
}

bool Dynaset::atEof() {
  return position_.place == Place::AfterLast || (position_.place == Place::BeforeFirst && isEmpty());
}

void Dynaset::moveFirst() {
  requireOpen();
  const auto first = keyset_->nextLive(0);
  if (!first) raise(error::noCurrentRecord);
  landAt(*first);
}

void Dynaset::moveLast() {
  requireOpen();
  const std::size_t size = keyset_->size();
  const auto last = size == 0 ? std::nullopt : keyset_->previousLive(size - 1);
  if (!last) raise(error::noCurrentRecord);
  landAt(*last);
}

void Dynaset::moveNext() {
  requireOpen();
  if (atEof()) raise(error::noCurrentRecord);
  std::size_t from = 0;
  if (position_.place == Place::OnRow) {
    const std::size_t index = currentIndex();
    from = position_.index ? index + 1 : index;
  }
  if (const auto next = keyset_->nextLive(from)) {
    landAt(*next);
  } else {
    placeAt(Place::AfterLast);
  }
}

void Dynaset::movePrevious() {
  requireOpen();
  if (atBof()) raise(error::noCurrentRecord);
  std::size_t before = 0;
  if (position_.place == Place::AfterLast) {
    before = keyset_->size();
  } else {
    before = currentIndex();
  }
  const auto previous = before == 0 ? std::nullopt : keyset_->previousLive(before - 1);
  if (previous) {
    landAt(*previous);
  } else {
    placeAt(Place::BeforeFirst);
  }
}

void Dynaset::move(std::int32_t rows) {
  requireOpen();
  if (position_.place != Place::OnRow) raise(error::noCurrentRecord);
  if (rows == 0) {
    endPendingChange();
    if (keyset_->isRemoved(position_.rowId)) raise(error::recordDeleted);
    current_ = reader_.readFresh(position_.rowId);
    currentLoaded_ = true;
    // A row found gone is reported when it is read; the keyset is true at once.
    if (current_ == nullptr) keyset_->forgetRowsDeletedElsewhere();
    return;
  }
  const std::size_t index = currentIndex();
  const bool onLiveEntry = position_.index.has_value() && !keyset_->isRemoved(position_.rowId);
  // Live rows before the cursor; a cursor between rows (deleted, or a key
  // the keyset lacks) counts the next live row as its first step forward.
  const auto base = static_cast<std::int64_t>(index < keyset_->size() ? keyset_->livePositionOf(index)
                                                                      : keyset_->liveCount());
  const std::int64_t target = onLiveEntry || rows < 0 ? base + rows : base + rows - 1;
  if (target < 0) {
    placeAt(Place::BeforeFirst);
    return;
  }
  if (const auto entry = keyset_->liveEntry(static_cast<std::size_t>(target))) {
    landAt(*entry);
  } else {
    placeAt(Place::AfterLast);
  }
}

std::int32_t Dynaset::absolutePosition() {
  requireOpen();
  if (position_.place != Place::OnRow || keyset_->isRemoved(position_.rowId)) return -1;
  const std::size_t index = currentIndex();
  if (!position_.index) return -1;
  return static_cast<std::int32_t>(keyset_->livePositionOf(index));
}

void Dynaset::setAbsolutePosition(std::int32_t position) {
  requireOpen();
  if (position < 0) raise(error::invalidArgument);
  const auto entry = keyset_->liveEntry(static_cast<std::size_t>(position));
  if (!entry) raise(error::invalidArgument);
  landAt(*entry);
}

std::int32_t Dynaset::recordCount() {
  requireOpen();
  return static_cast<std::int32_t>(keyset_->liveCount());
}

automation::ByteArray Dynaset::bookmark() const {
  requireOpen();
  if (position_.place != Place::OnRow) raise(error::noCurrentRecord);
  if (keyset_->isRemoved(position_.rowId)) raise(error::recordDeleted);
  return bookmarkOf(position_.rowId);
}

void Dynaset::gotoBookmark(const automation::ByteArray& bookmark) {
  requireOpen();
  if (bookmark.size() != 4) raise(error::invalidBookmark);
  const std::int64_t rowId = static_cast<std::int32_t>(static_cast<std::uint32_t>(bookmark[0]) |
                                                       static_cast<std::uint32_t>(bookmark[1]) << 8 |
                                                       static_cast<std::uint32_t>(bookmark[2]) << 16 |
                                                       static_cast<std::uint32_t>(bookmark[3]) << 24);
  if (keyset_->isDeletedElsewhere(rowId)) {
    landOnKey(rowId);
    raise(error::recordDeleted);
  }
  if (!keyset_->contains(rowId)) raise(error::invalidBookmark);
  landOnKey(rowId);
  loadCurrent();
  if (current_ == nullptr) reportRowGone();
}

automation::ByteArray Dynaset::lastModified() const {
  requireOpen();
  if (!lastModified_) raise(error::noCurrentRecord);
  return bookmarkOf(*lastModified_);
}

const automation::Variant& Dynaset::value(std::size_t column) {
  // Reading the current row's fields is the hot path: one test when the row
  // is there to be read.
  if (editMode_ == EditMode::None && current_ != nullptr && currentLoaded_ && position_.place == Place::OnRow &&
      !keyset_->hasRemovals() && storage_->isOpen() && column < current_->values.size()) {
    return current_->values[column];
  }
  requireOpen();
  if (column >= table_->columns.size()) raise(error::itemNotFound);
  if (editMode_ != EditMode::None) return editValues_[column];
  return currentRow().values[column];
}

const std::vector<automation::Variant>& Dynaset::values() {
  if (editMode_ == EditMode::None && current_ != nullptr && currentLoaded_ && position_.place == Place::OnRow &&
      !keyset_->hasRemovals() && storage_->isOpen()) {
    return current_->values;
  }
  requireOpen();
  if (editMode_ != EditMode::None) return editValues_;
  return currentRow().values;
}

void Dynaset::setValue(std::size_t column, const automation::Variant& value) {
  requireOpen();
  if (column >= table_->columns.size()) raise(error::itemNotFound);
  const ColumnSchema& schema = table_->columns[column];
  if (editMode_ == EditMode::None) raise(error::updateWithoutEdit);
  if (schema.autoIncrement) raise(error::fieldNotUpdatable, schema.name);
  editValues_[column] = toStoredValue(value, schema);
  assigned_[column] = true;
}

}  // namespace dao
