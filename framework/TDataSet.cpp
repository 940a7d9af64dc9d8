// TDataSet: opening and closing, the state, fields and field data, and the
// notices to data sources. Positioning is in TDataSetNavigation.cpp, editing
// in TDataSetEditing.cpp.
#include "framework/TDataSet.h"

#include <algorithm>
#include <exception>

#include "framework/BlobFields.h"
#include "framework/DbErrors.h"
#include "framework/FieldFactory.h"
#include "framework/TDataLink.h"
#include "framework/TDataSource.h"

namespace framework {

TDataSet::TDataSet(std::string name, TComponent* owner) : TComponent(std::move(name), owner) {}

TDataSet::~TDataSet() {
  // The links drop their field pointers before the fields go with the members.
  const std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* source : sources) source->DataSetDestroyed();
}

// ---- Opening and closing ----

void TDataSet::Open() {
  if (IsLoading()) {
    streamedActive_ = true;
    return;
  }
  if (state_ != dsInactive) return;
  if (BeforeOpen) BeforeOpen(*this);
  SetState(dsOpening);
  try {
    InternalOpen();
    fieldDefsValid_ = true;
    if (fields_.Count() == 0) CreateFields();
    InternalFirst();
    cursorSlot_ = -1;
    FillForward();
    activeSlot_ = 0;
    bof_ = true;
    eof_ = window_.empty();
  } catch (...) {
    AbandonOpen();
    throw;
  }
  SetState(dsBrowse);
  if (AfterOpen) AfterOpen(*this);
  if (!window_.empty()) DoAfterScroll();
}

void TDataSet::AbandonOpen() noexcept {
  try {
    if (IsCursorOpen()) InternalClose();
  } catch (...) {
    // The open's own error is the one worth reporting.
  }
  DestroyFields();
  ClearWindow();
  spare_.reset();
  bof_ = eof_ = true;
  SetState(dsInactive);  // the links never saw the dataset active
}

void TDataSet::Close() {
  if (IsLoading()) {
    streamedActive_ = false;
    return;
  }
  if (state_ == dsInactive) return;
  if (BeforeClose) BeforeClose(*this);
  SetState(dsInactive);
  std::exception_ptr failure;
  try {
    InternalClose();
  } catch (...) {
    failure = std::current_exception();
  }
  DestroyFields();
  ClearWindow();
  spare_.reset();
  bof_ = eof_ = true;
  if (failure) std::rethrow_exception(failure);
  if (AfterClose) AfterClose(*this);
}

void TDataSet::SetActive(bool active) {
  if (active) {
    Open();
  } else {
    Close();
  }
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (streamedActive_) {
    streamedActive_ = false;
    Open();
  }
}

// The one place that changes the state (see the table in the header).
void TDataSet::SetState(TDataSetState state) {
  if (state == state_) return;
  state_ = state;
  modified_ = false;
  DataEvent(deUpdateState);
}

bool TDataSet::GetCanModify() const { return Active() && !readOnly_; }

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckCanModify() const {
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
}

// ---- Fields ----

TFieldDefs& TDataSet::FieldDefs() {
  if (state_ == dsInactive && !fieldDefsValid_) {
    fieldDefsValid_ = true;  // set first: InternalInitFieldDefs calls back here
    try {
      InternalInitFieldDefs();
    } catch (...) {
      fieldDefsValid_ = false;
      throw;
    }
  }
  return fieldDefs_;
}

TField& TDataSet::FieldByName(std::string_view fieldName) const {
  TField* field = FindField(fieldName);
  if (field == nullptr) DatabaseErrorFmt(SFieldNotFound, {fieldName}, this);
  return *field;
}

void TDataSet::CreateFields() {
  DestroyFields();
  for (const TFieldDef& def : fieldDefs_) {
    auto field = framework::CreateField(def);
    field->Bind(this, def.FieldNo());
    fields_.Add(std::move(field));
  }
  if (Active()) DataEvent(deLayoutChange);
}

TRecordBuffer* TDataSet::ActiveRecordBuffer() noexcept {
  if (!Active() || window_.empty()) return nullptr;
  return window_[static_cast<std::size_t>(activeSlot_)].get();
}

bool TDataSet::GetFieldData(const TField& field, std::string* text) {
  const TRecordBuffer* buffer = ActiveRecordBuffer();
  const auto index = static_cast<std::size_t>(field.FieldNo() - 1);
  if (buffer == nullptr || field.FieldNo() < 1 || index >= buffer->FieldCount()) {
    if (text != nullptr) text->clear();
    return false;
  }
  const std::string& value = buffer->Text(index);
  if (text != nullptr) *text = value;
  return !value.empty();
}

void TDataSet::SetFieldData(TField& field, const std::string* text) {
  if (ActiveRecordBuffer() == nullptr) return;
  field.Validate(text);
  if (field.ReadOnly()) return;
  StoreFieldText(field, text != nullptr ? *text : std::string());
  DataEvent(deFieldChange, &field);
}

void TDataSet::StoreFieldText(const TField& field, std::string text) {
  TRecordBuffer* buffer = ActiveRecordBuffer();
  const auto index = static_cast<std::size_t>(field.FieldNo() - 1);
  if (buffer == nullptr || field.FieldNo() < 1 || index >= buffer->FieldCount()) return;
  buffer->SetChanged(index, std::move(text));
}

std::unique_ptr<TBlobStream> TDataSet::CreateBlobStream(TField& field, TBlobStreamMode mode) {
  std::string initial;
  if (mode != bmWrite) GetFieldData(field, &initial);
  auto stream = std::make_unique<TBlobStream>(field, mode, std::move(initial));
  if (mode == bmWrite) stream->Truncate();
  return stream;
}

// ---- Defaults of the optional virtual operations ----

void TDataSet::InternalEdit() {}
void TDataSet::InternalCancel() {}
void TDataSet::InternalRefresh() {}
void TDataSet::InternalAddRecord(TRecordBuffer&, bool) { DatabaseError(SNotSupported, this); }
void TDataSet::InternalInitRecord(TRecordBuffer& buffer) { buffer.Reset(); }
int TDataSet::GetRecNo() { return -1; }
void TDataSet::SetRecNo(int) {}
int TDataSet::GetRecordCount() { return -1; }
bool TDataSet::Locate(const std::string&, const TKeyValues&, TLocateOptions) { return false; }
bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const {
  if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

std::unique_ptr<TRecordBuffer> TDataSet::AllocRecordBuffer() {
  return std::make_unique<TRecordBuffer>(static_cast<std::size_t>(fieldDefs_.Count()));
}

void TDataSet::FreeRecordBuffer(std::unique_ptr<TRecordBuffer>& buffer) { buffer.reset(); }

void TDataSet::DoOnNewRecord() {
  if (OnNewRecord) OnNewRecord(*this);
}

// ---- Notices to data sources and links ----

void TDataSet::DataEvent(TDataEvent event, TField* field, int distance) {
  if (event == deFieldChange && (state_ == dsEdit || state_ == dsInsert)) modified_ = true;
  bool send = true;
  if (disableCount_ > 0) {
    switch (event) {
      case deUpdateState:
      case deUpdateRecord:
      case deCheckBrowseMode:
      case deFocusControl:
        break;
      case deLayoutChange:
        pendingLayout_ = true;
        send = false;
        break;
      default:
        pendingChange_ = true;
        send = false;
        break;
    }
  }
  if (send) NotifySources(event, field, distance);
  if (event == deFieldChange && field != nullptr) field->Change();
}

bool TDataSet::NotifySources(TDataEvent event, TField* field, int distance) {
  // A copy: a handler may attach or detach data sources.
  const std::vector<TDataSource*> sources = dataSources_;
  for (TDataSource* source : sources) {
    if (std::find(dataSources_.begin(), dataSources_.end(), source) == dataSources_.end()) continue;
    if (source->DataEvent(event, field, distance)) return true;
  }
  return false;
}

bool TDataSet::FocusFieldControl(TField& field) { return NotifySources(deFocusControl, &field, 0); }

void TDataSet::DisableControls() noexcept {
  if (disableCount_++ == 0) {
    pendingChange_ = false;
    pendingLayout_ = false;
  }
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0 || --disableCount_ > 0) return;
  const bool layout = pendingLayout_;
  const bool change = pendingChange_;
  pendingChange_ = pendingLayout_ = false;
  if (layout) {
    NotifySources(deLayoutChange, nullptr, 0);
  } else if (change) {
    NotifySources(deDataSetChange, nullptr, 0);
  }
}

void TDataSet::AddDataSource(TDataSource& source) {
  if (std::find(dataSources_.begin(), dataSources_.end(), &source) == dataSources_.end()) {
    dataSources_.push_back(&source);
  }
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource& source) noexcept {
  std::erase(dataSources_, &source);
  UpdateBufferCapacity();
}

int TDataSet::WantedCapacity() const noexcept {
  int wanted = 1;
  for (const TDataSource* source : dataSources_) wanted = std::max(wanted, source->MaxBufferCount());
  return wanted;
}

void TDataSet::UpdateBufferCapacity() noexcept {
  // A smaller window needs no fetch: the extra buffers go at the next rebuild.
  capacity_ = WantedCapacity();
}

void TDataSet::UpdateBufferCount() {
  const int wanted = WantedCapacity();
  if (wanted <= capacity_) {
    capacity_ = wanted;
    return;
  }
  capacity_ = wanted;
  if (state_ == dsBrowse && !window_.empty()) {
    UpdateCursorPos();
    Resync();
  }
}

}  // namespace framework
