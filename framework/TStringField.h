#pragma once
// TStringField: a text column of a fixed size in bytes. A longer text is cut
// to the size on writing, at a whole Big5 character: a two-byte character
// that would be split is dropped whole, so half a character is never stored.
#include "framework/TField.h"

namespace framework {

class TStringField : public TField {
 public:
  // A size of 0 means no limit.
  explicit TStringField(int size = 20) : TField(ftString) { SetSize(size); }

  void SetAsString(const std::string& value) override;
};

}  // namespace framework
