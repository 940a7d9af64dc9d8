#include "app/controls/TDBComboBox.h"

#include <QAbstractItemView>
#include <QStyledItemDelegate>

namespace {

// Rows of a fixed height, whatever the font's own line height.
class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  FixedHeightDelegate(const TDBComboBox* box, QObject* parent)
      : QStyledItemDelegate(parent), box_(box) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(box_->itemHeight());
    return size;
  }

 private:
  const TDBComboBox* box_;
};

}  // namespace

TDBComboBox::TDBComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setItemDelegate(new FixedHeightDelegate(this, this));
}

void TDBComboBox::setItemHeight(int pixels) {
  itemHeight_ = pixels;
  view()->doItemsLayout();
}
