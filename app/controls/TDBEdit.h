#pragma once
// Single-line box that shows and edits one field of the current record
// (DBEdit1 .. DBEdit11).
//
// Contract:
//  - Bound with setDataSource() and setDataField(); the box owns its field
//    link. Every load shows the field's display text ("" without a field)
//    and takes the length limit from the field: a text field's size in
//    Big5 bytes, unless the box has a limit of its own (setMaxBytes).
//  - Typing, input-method text, paste, cut, undo and delete first ask the
//    link to edit (which puts a browsing record into edit state, or inserts
//    into an empty table); when the record cannot be edited the change is
//    refused and the text stays (see BoundLineEdit for the Big5 and length
//    rules, refused with a beep).
//  - Esc reloads the box from the field, discarding what was typed since the
//    last write-back, selects all its text and is consumed; the record
//    stays in edit state.
//  - Any change of the text, typed or set by code (clear() included), sets
//    the link's modified mark. Write-back (the focus leaving for another
//    control of the window, the dataset's post and browse-mode check) first
//    commits a running input-method composition, then, when marked, stores
//    the text in the field, cut to the field's size at a whole character.
//  - A write-back error on leaving selects all the text, takes the focus
//    back and shows the error in the error box (gui::showException).
//  - setReadOnly(true): the box never accepts typing and never starts an
//    edit, but still reloads whenever the record or its field changes.
#include <string>
#include <string_view>

#include "app/controls/BoundLineEdit.h"
#include "app/controls/ControlDataLink.h"

namespace framework {
class TDataSource;
class TField;
}  // namespace framework

class TDBEdit : public controls::BoundLineEdit {
  Q_OBJECT

 public:
  explicit TDBEdit(QWidget* parent);
  ~TDBEdit() override;

  framework::TDataSource* DataSource() const noexcept { return link_.DataSource(); }
  void setDataSource(framework::TDataSource* dataSource);
  const std::string& DataField() const noexcept { return link_.FieldName(); }
  void setDataField(std::string_view fieldName);
  framework::TField* Field() const noexcept { return link_.Field(); }
  framework::TFieldDataLink& DataLink() noexcept { return link_; }

  bool ReadOnly() const noexcept { return link_.ReadOnly(); }
  // Hides QLineEdit::setReadOnly: the link follows the box.
  void setReadOnly(bool readOnly);

  // The box's own length limit in Big5 bytes; 0 (the default) takes the
  // field's size.
  int maxBytes() const noexcept { return maxBytes_; }
  void setMaxBytes(int bytes);

  // Empties the text from code (sets the modified mark).
  void Clear() { clear(); }

 protected:
  bool beginChange() override;
  bool escapePressed() override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void load();
  void write();

  controls::ControlDataLink link_;
  int maxBytes_ = 0;
};
