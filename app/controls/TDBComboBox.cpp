#include "app/controls/TDBComboBox.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QWheelEvent>

#include <exception>

#include "app/controls/BoundLineEdit.h"
#include "app/controls/EditKeys.h"
#include "app/controls/FieldText.h"
#include "framework/TField.h"
#include "platform/gui/error_display.h"

namespace {

// Rows of a fixed height, whatever the font's own line height.
class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  FixedHeightDelegate(const TDBComboBox* box, QObject* parent) : QStyledItemDelegate(parent), box_(box) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(box_->itemHeight());
    return size;
  }

 private:
  const TDBComboBox* box_;
};

}  // namespace

// The edit part asks the list's link before any change of the user's.
class TDBComboBox::EditPart : public controls::BoundLineEdit {
 public:
  explicit EditPart(TDBComboBox& owner) : controls::BoundLineEdit(&owner), owner_(owner) {}

 protected:
  bool beginChange() override { return !owner_.keyDownRefused_ && owner_.link_.EditOrReport(); }

 private:
  TDBComboBox& owner_;
};

TDBComboBox::TDBComboBox(QWidget* parent) : QComboBox(parent), edit_(new EditPart(*this)) {
  setLineEdit(edit_);
  setInsertPolicy(QComboBox::NoInsert);
  // No completion: typed text stays what was typed.
  setCompleter(nullptr);
  // QComboBox makes the item of a matching text current, and reports it as
  // chosen, when the edit part finishes editing; typed text must never run
  // OnClick, so the list does not listen for that.
  disconnect(edit_, &QLineEdit::editingFinished, this, nullptr);
  setItemDelegate(new FixedHeightDelegate(this, this));
  // Installed after the popup's own filters, so seen first.
  view()->installEventFilter(this);
  view()->viewport()->installEventFilter(this);

  link_.OnDataChange = [this] { load(); };
  link_.OnUpdateData = [this] { write(); };
  link_.OnEditingChange = [this] {
    if (!link_.Editing()) edit_->dropComposition();
  };
  link_.OnBeforeUpdateData = [this] { edit_->commitComposition(); };
  link_.OnFocusControl = [this] { return controls::focusForLink(*this); };
  connect(edit_, &QLineEdit::textChanged, this, [this] { link_.Modified(); });
  connect(this, &QComboBox::activated, this, [this](int index) { itemChosen(index); });
}

TDBComboBox::~TDBComboBox() = default;

void TDBComboBox::setItemHeight(int pixels) {
  itemHeight_ = pixels;
  view()->doItemsLayout();
}

void TDBComboBox::setDataSource(framework::TDataSource* dataSource) { link_.SetDataSource(dataSource); }

void TDBComboBox::setDataField(std::string_view fieldName) { link_.SetFieldName(std::string(fieldName)); }

void TDBComboBox::setReadOnly(bool readOnly) {
  edit_->setReadOnly(readOnly);
  link_.SetReadOnly(readOnly);
}

void TDBComboBox::Clear() {
  clear();
  edit_->clear();
}

void TDBComboBox::AddItem(const QString& text) {
  const int index = currentIndex();
  const QString shown = edit_->text();
  const QSignalBlocker quietList(this);
  const QSignalBlocker quietEdit(edit_);
  // An empty QComboBox makes its first item current, and shows it.
  addItem(text);
  if (currentIndex() != index) setCurrentIndex(index);
  if (edit_->text() != shown) edit_->setText(shown);
}

bool TDBComboBox::DroppedDown() const { return view()->isVisible(); }

void TDBComboBox::load() {
  if (DroppedDown()) return;
  const QString text = controls::displayText(link_.Field());
  const int index = findText(text);
  if (index != currentIndex()) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
  }
  edit_->showFieldText(text);
}

void TDBComboBox::write() {
  framework::TField& field = *link_.Field();
  field.SetAsString(controls::fieldBytes(edit_->text(), field));
}

bool TDBComboBox::reportSelection() {
  if (link_.EditOrReport()) return true;
  hidePopup();
  return false;
}

void TDBComboBox::itemChosen(int index) {
  try {
    // A choice that came another way than the ones watched below still
    // cannot change a record that refuses the edit.
    if (!link_.Edit()) {
      link_.Reset();
      return;
    }
    // Step 2 as the list applied it; the edit above may have reloaded the
    // text when the list was already closed.
    if (currentIndex() != index) {
      const QSignalBlocker quiet(this);
      setCurrentIndex(index);
    }
    const QString item = itemText(index);
    if (edit_->text() != item) edit_->setText(item);
    link_.Edit();
    if (OnClick) OnClick();
    link_.Modified();
    link_.Edit();
    if (OnChange) OnChange();
    link_.Modified();
  } catch (...) {
    gui::showException(std::current_exception());
  }
}

bool TDBComboBox::isChoiceInOpenList(QObject* watched, QEvent* event) const {
  if (!DroppedDown()) return false;
  if (watched == view()->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    return mouse->button() == Qt::LeftButton && view()->viewport()->rect().contains(at) &&
           view()->indexAt(at).isValid();
  }
  if (watched == view() && event->type() == QEvent::KeyPress) {
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select) &&
           view()->currentIndex().isValid();
  }
  return false;
}

bool TDBComboBox::eventFilter(QObject* watched, QEvent* event) {
  if (isChoiceInOpenList(watched, event) && !reportSelection()) return true;
  return QComboBox::eventFilter(watched, event);
}

void TDBComboBox::showPopup() {
  if (!openingByMouse_) link_.EditOrReport();
  QComboBox::showPopup();
}

void TDBComboBox::hidePopup() {
  QComboBox::hidePopup();
  if (!link_.Editing()) link_.Reset();
}

void TDBComboBox::mousePressEvent(QMouseEvent* event) {
  openingByMouse_ = true;
  QComboBox::mousePressEvent(event);
  openingByMouse_ = false;
}

void TDBComboBox::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool refused = controls::startsListEdit(key) && !link_.EditOrReport();
  if (refused && controls::movesListSelection(key)) {
    event->accept();
    return;
  }
  if (key == Qt::Key_Escape) {
    link_.Reset();
    edit_->selectAll();
  }
  // A key whose edit was just refused is not asked about again by the edit
  // part (an error of the edit would be reported twice).
  keyDownRefused_ = refused;
  QComboBox::keyPressEvent(event);
  keyDownRefused_ = false;
}

void TDBComboBox::wheelEvent(QWheelEvent* event) {
  // The wheel on the closed list moves the selection, a choice like the
  // arrow keys.
  if (!DroppedDown() && !link_.EditOrReport()) {
    event->accept();
    return;
  }
  QComboBox::wheelEvent(event);
}

void TDBComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (!controls::leavesControl(*event)) return;
  try {
    link_.UpdateRecord();  // commits a running composition first
  } catch (...) {
    edit_->selectAll();
    setFocus(Qt::OtherFocusReason);
    gui::showException(std::current_exception());
  }
}
