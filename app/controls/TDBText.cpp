#include "app/controls/TDBText.h"

#include "app/controls/FieldText.h"
#include "app/controls/StdCtrls.h"

TDBText::TDBText(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setFocusPolicy(Qt::NoFocus);
  link_.OnDataChange = [this] { setText(controls::displayText(link_.Field())); };
}

TDBText::~TDBText() = default;

void TDBText::setDataSource(framework::TDataSource* dataSource) { link_.SetDataSource(dataSource); }

void TDBText::setDataField(std::string_view fieldName) { link_.SetFieldName(std::string(fieldName)); }

void TDBText::paintEvent(QPaintEvent*) { paintLabelText(*this); }
