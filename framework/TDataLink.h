#pragma once
// TDataLink: a control's (or any client's) connection to a data source. A
// link is told about its dataset through the notices below (protected
// virtuals, called synchronously) and acts on it through the public
// operations.
//
// Contract:
//  - Active(): attached to an enabled data source whose dataset is open.
//    Editing(): active, not read-only, and the dataset in edit or insert
//    state. Both are recomputed on every state notice; a change calls
//    ActiveChanged() / EditingChanged() (activation first).
//  - Notices arrive only while the link is active (ActiveChanged also when
//    it turns inactive):
//      RecordChanged(field)   a field of the current record changed (field
//                             given), or the record as a whole (nullptr);
//                             not sent while the link itself is updating
//      DataSetChanged()       the window was rebuilt
//      DataSetScrolled(d)     the link's rows moved d rows (d may be 0 for a
//                             multi-row link whose view stayed put while the
//                             current row moved inside it)
//      LayoutChanged()        the fields were rearranged
//      UpdateData()           write pending edits into the fields (comes
//                             through UpdateRecord, so the link is updating)
//      CheckBrowseMode()      finish any editing the link does itself
//      FocusControl(field)    focus the control of that field; return true
//                             when done
//    The defaults: DataSetScrolled calls DataSetChanged, which calls
//    RecordChanged(nullptr); the others do nothing.
//  - Buffers: a link that shows several rows (a grid) sets BufferCount; the
//    dataset keeps at least that many rows in its window and the link sees
//    its own part of it (ActiveRecord is the current row's place in it).
//  - The link does not own its data source; destroying either detaches.
#include "framework/DbTypes.h"

namespace framework {

class TDataSet;
class TDataSource;
class TField;

class TDataLink {
 public:
  TDataLink() = default;
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const noexcept { return dataSource_; }
  void SetDataSource(TDataSource* dataSource);
  // The data source's dataset, or nullptr.
  TDataSet* DataSet() const noexcept;
  bool Active() const noexcept { return active_; }
  virtual bool Editing() const noexcept { return editing_; }
  bool ReadOnly() const noexcept { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // Place of the current record among the link's rows; 0 while inactive.
  int ActiveRecord() const noexcept;
  int BufferCount() const noexcept { return bufferCount_; }
  void SetBufferCount(int count);
  // Rows the link can show now (at most BufferCount).
  int RecordCount() const noexcept;

  // Unless read-only, asks the data source to edit (automatic edit); answers
  // Editing().
  virtual bool Edit();
  // Runs UpdateData() with the updating mark set, so that the field-change
  // notices caused by the link's own writes are not echoed back to it.
  void UpdateRecord();
  bool Updating() const noexcept { return updating_; }

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
  virtual bool FocusControl(TField& /*field*/) { return false; }
  virtual void EditingChanged() {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*field*/) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;

  bool DataEvent(TDataEvent event, TField* field, int distance);
  void UpdateState();
  void DataSourceDestroyed();
  // Keeps the current row inside the link's rows after the window's rows
  // moved by `shift` slots; returns how many rows the link's view moved.
  int AlignView(int shift) noexcept;

  TDataSource* dataSource_ = nullptr;
  int bufferCount_ = 1;
  int firstRecord_ = 0;  // window slot of the link's first row
  bool active_ = false;
  bool editing_ = false;
  bool readOnly_ = false;
  bool updating_ = false;
};

}  // namespace framework
