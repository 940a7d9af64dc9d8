#pragma once
// TFieldDataLink: the link of a control bound to one field of the current
// record (edit boxes, lists, memos, labels). The control supplies four
// callbacks and calls Edit(), Modified(), Reset() and UpdateRecord().
//
// Contract:
//  - FieldName is resolved to Field() (letter case ignored) whenever the
//    dataset opens or its layout changes; a missing field gives nullptr (the
//    control shows an empty text).
//  - CanModify(): not read-only, the field exists and the field can be
//    modified (the dataset can modify and the field is not read-only).
//  - Editing(): the dataset is in edit or insert state and CanModify();
//    recomputed on every state change; a change clears the modified mark
//    and calls OnEditingChange.
//  - Edit(): when CanModify(), asks the data source to edit (with AutoEdit,
//    the dataset's Edit, which inserts on an empty dataset); answers
//    Editing().
//  - Modified() sets the mark that the control's text differs from the field.
//  - Load (OnDataChange) happens on a change of this field or of the whole
//    record, on a dataset change, scroll or layout change, and on Reset();
//    each load clears the mark. Changes of this field caused by the link's
//    own write-back are not loaded back.
//  - Write back (OnUpdateData) happens on UpdateRecord() (the control leaving)
//    and on the dataset's update-record request (post and the browse-mode
//    check), only when marked modified; it clears the mark.
//  - A focus request for Field() calls OnFocusControl, which answers
//    whether the control took the focus.
#include <functional>
#include <string>

#include "framework/TDataLink.h"

namespace framework {

class TFieldDataLink : public TDataLink {
 public:
  const std::string& FieldName() const noexcept { return fieldName_; }
  void SetFieldName(std::string name);
  TField* Field() const noexcept { return field_; }
  bool CanModify() const noexcept;
  bool Editing() const noexcept override { return fieldEditing_; }
  bool Edit() override;
  void Modified() noexcept { modified_ = true; }
  bool IsModified() const noexcept { return modified_; }
  void Reset();

  // The control loads its text from Field() (or empties it when none).
  std::function<void()> OnDataChange;
  // The control's read-only state follows Editing().
  std::function<void()> OnEditingChange;
  // The control writes its text into Field().
  std::function<void()> OnUpdateData;
  // The link turned active or inactive.
  std::function<void()> OnActiveChange;
  // The control takes the focus if it can; answers whether it did.
  std::function<bool()> OnFocusControl;

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;
  bool FocusControl(TField& field) override;

 private:
  // Resolves the field name; returns whether the field changed (which
  // already reloaded the control).
  bool UpdateField();
  void SetEditing(bool editing);

  std::string fieldName_;
  TField* field_ = nullptr;
  bool fieldEditing_ = false;
  bool modified_ = false;
};

}  // namespace framework
