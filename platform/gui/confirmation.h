#pragma once
// The confirmation box: a question with OK and Cancel, asked before an
// operation that cannot be undone (the navigator's delete).
//
// Contract:
//  - askConfirmation() shows a modal box with the caption, the question
//    icon, the text and the buttons "OK" and "Cancel", centred on the
//    primary screen, and answers true only when OK was pressed (Cancel, Esc
//    and closing the box answer false).
//  - With a hook set the hook answers instead and nothing is shown, so a
//    test can answer the question without a modal loop.
#include <QString>

#include <functional>
#include <utility>

namespace gui {

struct ConfirmationRequest {
  QString caption;
  QString text;
};

bool askConfirmation(const ConfirmationRequest& request);

using ConfirmationHook = std::function<bool(const ConfirmationRequest&)>;

// Replaces the box; an empty hook restores it. Returns the hook that was in
// place.
ConfirmationHook setConfirmationHook(ConfirmationHook hook);

// Installs a hook for the lifetime of the object.
class ScopedConfirmationHook {
 public:
  explicit ScopedConfirmationHook(ConfirmationHook hook) : previous_(setConfirmationHook(std::move(hook))) {}
  ~ScopedConfirmationHook() { setConfirmationHook(std::move(previous_)); }
  ScopedConfirmationHook(const ScopedConfirmationHook&) = delete;
  ScopedConfirmationHook& operator=(const ScopedConfirmationHook&) = delete;

 private:
  ConfirmationHook previous_;
};

}  // namespace gui
