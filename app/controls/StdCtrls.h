#pragma once
// The form's standard controls under the layout's class names, so that the
// layout and its tests can name every control's kind. They behave as the Qt
// widgets they derive from, apart from the settings stated here.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Paints a label's text as one left-aligned line whose ideographs start at
// the label's top edge, whatever line height the font has; for the
// paintEvent of single-line labels.
void paintLabelText(QLabel& label);

// Caption text; never takes the focus; plain text (no rich-text guessing);
// painted with paintLabelText().
class TLabel : public QLabel {
  Q_OBJECT

 public:
  TLabel(const QString& caption, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Single-line box not bound to any field.
class TEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TEdit(QWidget* parent);
};

class TCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  TCheckBox(const QString& caption, QWidget* parent);
};

// Push button; pressing Enter on it while it has the focus clicks it.
class TButton : public QPushButton {
  Q_OBJECT

 public:
  TButton(const QString& caption, QWidget* parent);
};
