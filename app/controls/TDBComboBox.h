#pragma once
// Editable drop-down list that shows one field of the current record. The
// edit part can hold any text; the items are only choices, so text typed and
// confirmed with Enter is never added to the items.
//
// For now unbound; the field link attaches when the data layer exists.
// itemHeight() is the height of one row of the drop-down list, in pixels.
#include <QComboBox>

class TDBComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TDBComboBox(QWidget* parent);

  int itemHeight() const noexcept { return itemHeight_; }
  void setItemHeight(int pixels);

 private:
  int itemHeight_ = 16;
};
