#pragma once
// Multi-line box that shows one memo field of the current record. Lines wrap
// at the box's width and a vertical scroll bar is always shown. The Tab key
// moves the focus on (it is not typed into the text).
//
// For now unbound; the field link attaches when the data layer exists.
#include <QPlainTextEdit>

class TDBMemo : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TDBMemo(QWidget* parent);
};
