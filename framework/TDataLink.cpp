#include "framework/TDataLink.h"

#include <algorithm>

#include "framework/TDataSet.h"
#include "framework/TDataSource.h"

namespace framework {

TDataLink::~TDataLink() {
  if (dataSource_ != nullptr) dataSource_->RemoveLink(*this);
}

void TDataLink::SetDataSource(TDataSource* dataSource) {
  if (dataSource == dataSource_) return;
  if (dataSource_ != nullptr) dataSource_->RemoveLink(*this);
  dataSource_ = dataSource;
  if (dataSource_ != nullptr) dataSource_->AddLink(*this);
  UpdateState();
}

TDataSet* TDataLink::DataSet() const noexcept { return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  UpdateState();
}

int TDataLink::ActiveRecord() const noexcept {
  if (!active_) return 0;
  return DataSet()->ActiveRecord() - firstRecord_;
}

void TDataLink::SetBufferCount(int count) {
  count = std::max(count, 1);
  if (count == bufferCount_) return;
  bufferCount_ = count;
  if (dataSource_ != nullptr && dataSource_->DataSet() != nullptr) {
    if (active_) AlignView(0);
    dataSource_->DataSet()->UpdateBufferCount();
  }
}

int TDataLink::RecordCount() const noexcept {
  if (!active_) return 0;
  return std::clamp(DataSet()->BufferRecordCount() - firstRecord_, 0, bufferCount_);
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_ != nullptr) dataSource_->Edit();
  return Editing();
}

void TDataLink::UpdateRecord() {
  struct UpdatingMark {
    bool& flag;
    explicit UpdatingMark(bool& f) : flag(f) { flag = true; }
    ~UpdatingMark() { flag = false; }
  } mark(updating_);
  UpdateData();
}

void TDataLink::UpdateState() {
  const TDataSet* dataSet = DataSet();
  const bool active = dataSource_ != nullptr && dataSource_->Enabled() && dataSet != nullptr && dataSet->Active();
  if (active != active_) {
    active_ = active;
    if (active_) {
      firstRecord_ = 0;
      AlignView(0);
    }
    ActiveChanged();
  }
  const TDataSetState state = dataSource_ != nullptr ? dataSource_->State() : dsInactive;
  const bool editing = active_ && !readOnly_ && (state == dsEdit || state == dsInsert);
  if (editing != editing_) {
    editing_ = editing;
    EditingChanged();
  }
}

void TDataLink::DataSourceDestroyed() {
  dataSource_ = nullptr;
  UpdateState();
}

int TDataLink::AlignView(int shift) noexcept {
  const TDataSet* dataSet = DataSet();
  const int active = dataSet->ActiveRecord();
  const int count = dataSet->BufferRecordCount();
  int first = firstRecord_ - shift;
  if (active < first) first = active;
  if (active >= first + bufferCount_) first = active - bufferCount_ + 1;
  // Show as many rows as there are: no empty rows below while rows above exist.
  first = std::min(first, std::max(0, count - bufferCount_));
  first = std::max(first, 0);
  const int distance = first - firstRecord_ + shift;
  firstRecord_ = first;
  return distance;
}

bool TDataLink::DataEvent(TDataEvent event, TField* field, int distance) {
  if (event == deUpdateState) {
    UpdateState();
    return false;
  }
  if (!active_) return false;
  switch (event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(field);
      break;
    case deDataSetChange:
      AlignView(0);
      DataSetChanged();
      break;
    case deDataSetScroll:
      DataSetScrolled(AlignView(distance));
      break;
    case deLayoutChange:
      AlignView(0);
      LayoutChanged();
      break;
    case deUpdateRecord:
      UpdateRecord();
      break;
    case deCheckBrowseMode:
      CheckBrowseMode();
      break;
    case deFocusControl:
      return field != nullptr && FocusControl(*field);
    case deUpdateState:
      break;
  }
  return false;
}

}  // namespace framework
