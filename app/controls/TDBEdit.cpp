#include "app/controls/TDBEdit.h"

TDBEdit::TDBEdit(QWidget* parent) : QLineEdit(parent) {}
