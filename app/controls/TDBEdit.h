#pragma once
// Single-line box that shows one field of the current record.
//
// For now a plain QLineEdit carrying the layout's class name; the field link
// (load, edit-before-change, write-back on leaving) attaches here when the
// data layer exists. A box set read-only never accepts typing.
#include <QLineEdit>

class TDBEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TDBEdit(QWidget* parent);
};
