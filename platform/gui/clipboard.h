#pragma once
// Putting Big5 text on the clipboard for another program to paste.
//
// The text is offered twice: as the Big5 bytes themselves (MIME type
// "text/plain;charset=Big5", for programs that read Big5 as the original
// clipboard format did) and as Unicode ("text/plain" / UTF-8), so that any
// Linux program pastes the same characters.
//
// Contract: replaces the whole clipboard content. Throws
// EClipboardException("Cannot open clipboard") when no clipboard can be
// written (no clipboard service, or the text is no Big5), leaving the
// clipboard as it was.
#include <stdexcept>
#include <string>

class EClipboardException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace gui {

inline constexpr const char* kBig5MimeType = "text/plain;charset=Big5";

void setClipboardBig5Text(const std::string& big5Text);

}  // namespace gui
