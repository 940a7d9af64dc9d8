#pragma once
// The input rule of the bound single-line boxes: the text must be Big5 text
// of at most a given number of bytes.
//
// Contract:
//  - validate() answers Invalid for a text with a character code page 950
//    lacks, or whose Big5 form is longer than byteLimit() (0: no limit);
//    Acceptable otherwise. QLineEdit then undoes the change that made the
//    text invalid, so the box keeps the text it had.
//  - Every Invalid answer raises the refusal mark; the box clears it before
//    a change of the user's and beeps when the change raised it.
#include <QValidator>

namespace controls {

class Big5Validator : public QValidator {
 public:
  explicit Big5Validator(QObject* parent) : QValidator(parent) {}

  int byteLimit() const noexcept { return byteLimit_; }
  void setByteLimit(int bytes) noexcept { byteLimit_ = bytes > 0 ? bytes : 0; }

  State validate(QString& input, int& pos) const override;

  bool refused() const noexcept { return refused_; }
  void clearRefusal() noexcept { refused_ = false; }

 private:
  int byteLimit_ = 0;
  mutable bool refused_ = false;
};

}  // namespace controls
