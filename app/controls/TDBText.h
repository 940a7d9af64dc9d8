#pragma once
// Display-only label that shows one field of the current record. It keeps
// the size it is given (no sizing to its text), never takes the focus, and
// shows an ampersand literally (no accelerator). Text placed as a TLabel's.
#include <QLabel>

class TDBText : public QLabel {
  Q_OBJECT

 public:
  explicit TDBText(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
