#pragma once
// TDataSource: connects one dataset to the data links of controls. It
// forwards the dataset's state and notices to every link attached to it and
// starts automatic edits for them.
//
// Contract:
//  - State(): the dataset's state; dsInactive without a dataset, while
//    disabled, or while the dataset is opening.
//  - Edit(): with AutoEdit (the default) and the dataset in browse state,
//    calls the dataset's Edit (which inserts on an empty dataset); nothing
//    otherwise.
//  - Links are attached with TDataLink::SetDataSource. When the data source
//    or its dataset goes, the links see the data source or dataset vanish
//    and turn inactive.
//  - OnStateChange fires when State() changes; OnDataChange after the links
//    have handled a change of data (field given for a single-field change);
//    OnUpdateData before the links write back pending edits.
#include <functional>
#include <string>
#include <vector>

#include "framework/DbTypes.h"
#include "framework/TComponent.h"

namespace framework {

class TDataSet;
class TDataLink;
class TField;

class TDataSource : public TComponent {
 public:
  explicit TDataSource(std::string name = {}, TComponent* owner = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const noexcept { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  bool AutoEdit() const noexcept { return autoEdit_; }
  void SetAutoEdit(bool autoEdit) noexcept { autoEdit_ = autoEdit; }
  // A disabled data source shows its links an inactive dataset.
  bool Enabled() const noexcept { return enabled_; }
  void SetEnabled(bool enabled);
  TDataSetState State() const noexcept;
  void Edit();
  int LinkCount() const noexcept { return static_cast<int>(links_.size()); }

  std::function<void(TDataSource&)> OnStateChange;
  std::function<void(TDataSource&, TField*)> OnDataChange;
  std::function<void(TDataSource&)> OnUpdateData;

 private:
  friend class TDataSet;
  friend class TDataLink;

  // Returns true when a link took a focus request (and no one else may).
  bool DataEvent(TDataEvent event, TField* field, int distance);
  void AddLink(TDataLink& link);
  void RemoveLink(TDataLink& link) noexcept;
  void DataSetDestroyed();
  void NotifyState();
  int MaxBufferCount() const noexcept;
  bool IsLinked(const TDataLink* link) const noexcept;

  TDataSet* dataSet_ = nullptr;
  bool autoEdit_ = true;
  bool enabled_ = true;
  TDataSetState lastState_ = dsInactive;
  std::vector<TDataLink*> links_;
};

}  // namespace framework
