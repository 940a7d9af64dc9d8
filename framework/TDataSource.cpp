#include "framework/TDataSource.h"

#include <algorithm>

#include "framework/TDataLink.h"
#include "framework/TDataSet.h"

namespace framework {

TDataSource::TDataSource(std::string name, TComponent* owner) : TComponent(std::move(name), owner) {}

TDataSource::~TDataSource() {
  if (dataSet_ != nullptr) dataSet_->RemoveDataSource(*this);
  dataSet_ = nullptr;
  const std::vector<TDataLink*> links = links_;
  links_.clear();
  for (TDataLink* link : links) link->DataSourceDestroyed();
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_ != nullptr) dataSet_->RemoveDataSource(*this);
  dataSet_ = dataSet;
  if (dataSet_ != nullptr) dataSet_->AddDataSource(*this);
  NotifyState();
}

void TDataSource::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  NotifyState();
}

TDataSetState TDataSource::State() const noexcept {
  if (dataSet_ == nullptr || !enabled_ || dataSet_->State() == dsOpening) return dsInactive;
  return dataSet_->State();
}

void TDataSource::Edit() {
  if (autoEdit_ && State() == dsBrowse) dataSet_->Edit();
}

void TDataSource::DataSetDestroyed() {
  dataSet_ = nullptr;
  NotifyState();
}

void TDataSource::NotifyState() {
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) {
    if (IsLinked(link)) link->UpdateState();
  }
  const TDataSetState state = State();
  if (state != lastState_) {
    lastState_ = state;
    if (OnStateChange) OnStateChange(*this);
  }
}

bool TDataSource::DataEvent(TDataEvent event, TField* field, int distance) {
  if (event == deUpdateState) {
    NotifyState();
    return false;
  }
  if (!enabled_) return false;
  if (event == deUpdateRecord && OnUpdateData) OnUpdateData(*this);
  // A copy: a link's handler may detach links.
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) {
    if (!IsLinked(link)) continue;
    if (link->DataEvent(event, field, distance)) return true;
  }
  switch (event) {
    case deFieldChange:
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(*this, event == deFieldChange ? field : nullptr);
      break;
    default:
      break;
  }
  return false;
}

void TDataSource::AddLink(TDataLink& link) {
  if (!IsLinked(&link)) links_.push_back(&link);
  if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink& link) noexcept {
  std::erase(links_, &link);
  if (dataSet_ != nullptr) dataSet_->UpdateBufferCapacity();
}

int TDataSource::MaxBufferCount() const noexcept {
  int count = 1;
  for (const TDataLink* link : links_) count = std::max(count, link->BufferCount());
  return count;
}

bool TDataSource::IsLinked(const TDataLink* link) const noexcept {
  return std::find(links_.begin(), links_.end(), link) != links_.end();
}

}  // namespace framework
