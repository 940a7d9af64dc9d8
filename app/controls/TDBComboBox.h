#pragma once
// Editable drop-down list that shows and edits one field of the current
// record (DBComboBox1 .. DBComboBox5). The edit part can hold any text; the
// items are only choices, filled by code and never taken from the field.
//
// Contract:
//  - Load: the edit part shows the field's text, whether or not it is one of
//    the items (the item of that text, if any, becomes the current one).
//    Loads are skipped while the list is dropped down. Record moves leave
//    the items as they are.
//  - Choosing an item (from the open list with the mouse or Enter, with the
//    arrow or page keys or the wheel on the closed list) runs, in order:
//      1. link edit; when the record cannot be edited the choice is dropped,
//         the list closed, the text reloaded, and nothing below happens;
//      2. the edit part shows the chosen item;
//      3. link edit, OnClick, modified mark;
//      4. link edit, OnChange, modified mark.
//    During OnClick the record is in edit or insert state (on an empty
//    table the first edit inserts) and the edit part shows the item, but
//    the field still holds its previous value. An exception from OnClick or
//    OnChange stops the steps and goes to the error box.
//  - Opening the list from code or from the keyboard starts the edit;
//    opening or closing it with the mouse starts nothing. Closing it while
//    the record is not being edited reloads the text.
//  - Key-down: Backspace and the keys startsListEdit() counts start the
//    edit; Up, Down, Page Up and Page Down are cancelled when it cannot
//    start. Esc reloads the text from the field and selects it, and goes on
//    to the list. Typed text goes through the edit part (BoundLineEdit's
//    rules, no length limit): it marks the control modified and runs no
//    OnClick, even when it equals an item.
//  - Write-back (the focus leaving for another control of the window, the
//    dataset's post and browse-mode check): a running input-method
//    composition is committed, then the text, when marked modified, is
//    stored in the field, cut to the field's size at a whole character. A
//    write-back error on leaving selects the text, takes the focus back and
//    goes to the error box.
//  - Clear() empties the text and the items (and sets the modified mark);
//    the field is left as it is.
//  - itemHeight() is the height of one row of the drop-down list, in pixels.
//  - The popup view is watched for choices: replacing it with setView() is
//    not supported.
#include <QComboBox>

#include <functional>
#include <string>
#include <string_view>

#include "app/controls/ControlDataLink.h"

namespace framework {
class TDataSource;
class TField;
}  // namespace framework

class TDBComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TDBComboBox(QWidget* parent);
  ~TDBComboBox() override;

  int itemHeight() const noexcept { return itemHeight_; }
  void setItemHeight(int pixels);

  framework::TDataSource* DataSource() const noexcept { return link_.DataSource(); }
  void setDataSource(framework::TDataSource* dataSource);
  const std::string& DataField() const noexcept { return link_.FieldName(); }
  void setDataField(std::string_view fieldName);
  framework::TField* Field() const noexcept { return link_.Field(); }
  framework::TFieldDataLink& DataLink() noexcept { return link_; }
  bool ReadOnly() const noexcept { return link_.ReadOnly(); }
  void setReadOnly(bool readOnly);

  // The handlers of a chosen item (steps 3 and 4 above).
  std::function<void()> OnClick;
  std::function<void()> OnChange;

  void Clear();
  // Appends one choice. The shown text, the current item and the modified
  // mark stay as they are: a list filled by code must not write its first
  // entry into the field as if the user had chosen it.
  void AddItem(const QString& text);
  // The current item's index; -1 when the text is none of the items.
  int ItemIndex() const { return currentIndex(); }
  bool DroppedDown() const;

  void showPopup() override;
  void hidePopup() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class EditPart;

  void load();
  void write();
  // Step 1: answers whether the choice may go on.
  bool reportSelection();
  void itemChosen(int index);
  bool isChoiceInOpenList(QObject* watched, QEvent* event) const;

  controls::ControlDataLink link_;
  EditPart* edit_;
  int itemHeight_ = 16;
  bool openingByMouse_ = false;
  bool keyDownRefused_ = false;
};
