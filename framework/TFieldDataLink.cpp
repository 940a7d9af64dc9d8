#include "framework/TFieldDataLink.h"

#include "framework/TDataSet.h"
#include "framework/TField.h"

namespace framework {

void TFieldDataLink::SetFieldName(std::string name) {
  if (name == fieldName_) return;
  fieldName_ = std::move(name);
  UpdateField();
}

bool TFieldDataLink::CanModify() const noexcept {
  if (ReadOnly() || field_ == nullptr) return false;
  try {
    return field_->CanModify();
  } catch (...) {
    return false;
  }
}

bool TFieldDataLink::Edit() {
  if (CanModify()) TDataLink::Edit();
  return fieldEditing_;
}

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

bool TFieldDataLink::UpdateField() {
  TField* field = nullptr;
  if (Active() && !fieldName_.empty()) field = DataSet()->FindField(fieldName_);
  if (field == field_) return false;
  field_ = field;
  EditingChanged();
  RecordChanged(nullptr);
  return true;
}

void TFieldDataLink::SetEditing(bool editing) {
  if (editing == fieldEditing_) return;
  fieldEditing_ = editing;
  modified_ = false;
  if (OnEditingChange) OnEditingChange();
}

void TFieldDataLink::ActiveChanged() {
  UpdateField();
  if (OnActiveChange) OnActiveChange();
}

void TFieldDataLink::EditingChanged() { SetEditing(TDataLink::Editing() && CanModify()); }

void TFieldDataLink::LayoutChanged() {
  if (!UpdateField()) RecordChanged(nullptr);
}

void TFieldDataLink::RecordChanged(TField* field) {
  if (field != nullptr && field != field_) return;
  if (OnDataChange) OnDataChange();
  modified_ = false;
}

void TFieldDataLink::UpdateData() {
  if (!modified_) return;
  if (field_ != nullptr && OnUpdateData) OnUpdateData();
  modified_ = false;
}

bool TFieldDataLink::FocusControl(TField& field) {
  if (&field != field_ || !OnFocusControl) return false;
  return OnFocusControl();
}

}  // namespace framework
