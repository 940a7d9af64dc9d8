#include "app/controls/TDBEdit.h"

#include <QFocusEvent>

#include <exception>

#include "app/controls/FieldText.h"
#include "framework/TField.h"
#include "platform/gui/error_display.h"

TDBEdit::TDBEdit(QWidget* parent) : controls::BoundLineEdit(parent) {
  link_.OnDataChange = [this] { load(); };
  link_.OnUpdateData = [this] { write(); };
  link_.OnEditingChange = [this] {
    if (!link_.Editing()) dropComposition();
  };
  link_.OnBeforeUpdateData = [this] { commitComposition(); };
  link_.OnFocusControl = [this] { return controls::focusForLink(*this); };
  connect(this, &QLineEdit::textChanged, this, [this] { link_.Modified(); });
}

TDBEdit::~TDBEdit() = default;

void TDBEdit::setDataSource(framework::TDataSource* dataSource) { link_.SetDataSource(dataSource); }

void TDBEdit::setDataField(std::string_view fieldName) { link_.SetFieldName(std::string(fieldName)); }

void TDBEdit::setReadOnly(bool readOnly) {
  QLineEdit::setReadOnly(readOnly);
  link_.SetReadOnly(readOnly);
}

void TDBEdit::setMaxBytes(int bytes) {
  maxBytes_ = bytes > 0 ? bytes : 0;
  if (link_.Active()) link_.Reset();
}

void TDBEdit::load() {
  const framework::TField* field = link_.Field();
  int limit = maxBytes_;
  if (limit == 0 && field != nullptr && field->DataType() == framework::ftString) limit = field->Size();
  setByteLimit(limit);
  showFieldText(controls::displayText(field));
}

void TDBEdit::write() {
  framework::TField& field = *link_.Field();
  field.SetAsString(controls::fieldBytes(text(), field));
}

bool TDBEdit::beginChange() { return link_.EditOrReport(); }

bool TDBEdit::escapePressed() {
  link_.Reset();
  selectAll();
  return true;
}

void TDBEdit::focusOutEvent(QFocusEvent* event) {
  controls::BoundLineEdit::focusOutEvent(event);
  if (!controls::leavesControl(*event)) return;
  try {
    link_.UpdateRecord();  // commits a running composition first
  } catch (...) {
    selectAll();
    setFocus(Qt::OtherFocusReason);
    gui::showException(std::current_exception());
  }
}
