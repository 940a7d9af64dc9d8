#pragma once
// Display-only label that shows one field of the current record (DBText1 on
// Radical_Word). It keeps the size it is given (no sizing to its text),
// never takes the focus, never edits, and shows an ampersand literally (no
// accelerator). Text placed as a TLabel's.
//
// Contract: every load of the link shows the field's display text; without
// a field (unbound, table closed, no such field) the label is empty.
#include <QLabel>

#include <string>
#include <string_view>

#include "framework/TFieldDataLink.h"

namespace framework {
class TDataSource;
class TField;
}  // namespace framework

class TDBText : public QLabel {
  Q_OBJECT

 public:
  explicit TDBText(QWidget* parent);
  ~TDBText() override;

  framework::TDataSource* DataSource() const noexcept { return link_.DataSource(); }
  void setDataSource(framework::TDataSource* dataSource);
  const std::string& DataField() const noexcept { return link_.FieldName(); }
  void setDataField(std::string_view fieldName);
  framework::TField* Field() const noexcept { return link_.Field(); }
  framework::TFieldDataLink& DataLink() noexcept { return link_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  framework::TFieldDataLink link_;
};
