#pragma once
// A dataset over rows kept in memory, standing in for the main table so that
// the controls can be driven without a database: the cursor is an index into
// the rows (-1 and size() are the cracks), bookmarks are row ids, new rows go
// before the row the cursor stands on (appended ones at the end). Failures
// can be injected, and cursor work is counted.
#include <string>
#include <vector>

#include "framework/TDataSet.h"

namespace controls_test {

using namespace framework;

struct MemoryColumn {
  MemoryColumn(std::string name_, TFieldType type_ = ftString, int size_ = 20, bool required_ = false,
               std::string defaultText_ = {})
      : name(std::move(name_)), type(type_), size(size_), required(required_), defaultText(std::move(defaultText_)) {}

  std::string name;
  TFieldType type = ftString;
  int size = 20;
  bool required = false;
  std::string defaultText;
};

struct MemoryRow {
  int id;
  std::vector<std::string> values;
};

class MemoryDataSet : public TDataSet {
 public:
  MemoryDataSet(std::string name, std::vector<MemoryColumn> columns,
                const std::vector<std::vector<std::string>>& rows = {}, TComponent* owner = nullptr);
  ~MemoryDataSet() override;

  const std::vector<MemoryRow>& Rows() const noexcept { return rows_; }
  // Column `column` of every stored row, in order.
  std::vector<std::string> Column(int column) const;
  int Cursor() const noexcept { return cursor_; }

  // Non-empty: the next InternalEdit / InternalPost / InternalDelete throws
  // EDatabaseError with this text.
  std::string failEdit, failPost, failDelete;
  int getRecordCalls = 0;
  int setToRecordCalls = 0;

  bool Locate(const std::string& keyFields, const TKeyValues& keyValues, TLocateOptions options) override;
  void SetRecNo(int value) override;

 protected:
  void InternalOpen() override;
  void InternalClose() override { open_ = false; }
  void InternalInitFieldDefs() override;
  bool IsCursorOpen() const override { return open_; }
  void InternalFirst() override { cursor_ = -1; }
  void InternalLast() override { cursor_ = Size(); }
  TGetResult GetRecord(TRecordBuffer& buffer, TGetMode mode) override;
  void InternalSetToRecord(TRecordBuffer& buffer) override;
  void InternalGotoBookmark(const TBookmark& bookmark) override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalDelete() override;
  void InternalAddRecord(TRecordBuffer& buffer, bool append) override;
  void InternalInitRecord(TRecordBuffer& buffer) override;
  int GetRecNo() override;
  int GetRecordCount() override { return Size(); }

 private:
  int Size() const noexcept { return static_cast<int>(rows_.size()); }
  int IndexOfBookmark(const TBookmark& bookmark) const noexcept;
  void StoreNewRow(const TRecordBuffer& buffer, bool append);

  std::vector<MemoryColumn> columns_;
  std::vector<MemoryRow> rows_;
  int nextId_ = 1;
  int cursor_ = -1;
  bool open_ = false;
};

}  // namespace controls_test
