#include "framework/BlobFields.h"

#include <algorithm>
#include <cstring>

#include "framework/DbErrors.h"
#include "framework/TDataSet.h"

namespace framework {

namespace {
constexpr std::string_view SBlobStreamReadOnly = "Cannot write to a blob stream opened for reading";
}

TBlobStream::TBlobStream(TField& field, TBlobStreamMode mode, std::string initial)
    : field_(field), mode_(mode), bytes_(std::move(initial)) {}

TBlobStream::~TBlobStream() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; callers who care call Close() themselves.
  }
}

std::size_t TBlobStream::Read(char* dest, std::size_t count) noexcept {
  const std::size_t n = std::min(count, bytes_.size() - position_);
  if (n > 0) std::memcpy(dest, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

std::string TBlobStream::ReadAll() {
  std::string rest = bytes_.substr(position_);
  position_ = bytes_.size();
  return rest;
}

void TBlobStream::Write(std::string_view bytes) {
  CheckWritable();
  const std::size_t overwrite = std::min(bytes.size(), bytes_.size() - position_);
  bytes_.replace(position_, overwrite, bytes.substr(0, overwrite));
  bytes_.append(bytes.substr(overwrite));
  position_ += bytes.size();
  written_ = true;
  Store(bytes_);
}

void TBlobStream::Truncate() {
  CheckWritable();
  bytes_.resize(position_);
  written_ = true;
  Store(bytes_);
}

void TBlobStream::Close() {
  if (closed_) return;
  closed_ = true;
  if (written_ && field_.DataSet() != nullptr) field_.DataSet()->DataEvent(deFieldChange, &field_);
}

void TBlobStream::Store(const std::string& whole) {
  if (field_.ReadOnly() || field_.DataSet() == nullptr) return;
  field_.DataSet()->StoreFieldText(field_, whole);
}

void TBlobStream::CheckWritable() const {
  if (mode_ == bmRead) DatabaseError(SBlobStreamReadOnly);
}

std::string TBlobField::AsString() const {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
  // The stream only reads; the const_cast lends the field to it.
  auto stream = dataSet->CreateBlobStream(const_cast<TBlobField&>(*this), bmRead);
  return stream->ReadAll();
}

void TBlobField::SetAsString(const std::string& value) {
  TDataSet* dataSet = DataSet();
  if (dataSet == nullptr) DatabaseErrorFmt(SDataSetMissing, {DisplayName()});
  Validate(value.empty() ? nullptr : &value);
  auto stream = dataSet->CreateBlobStream(*this, bmWrite);
  stream->Write(value);
  stream->Close();
}

}  // namespace framework
