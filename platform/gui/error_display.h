#pragma once
// The application's message boxes and the one place where exceptions that
// escaped an event handler are shown to the user.
//
// Contract:
//  - showException() is the single reporting point: Application::notify()
//    and the form's creation step call it. EAbort is silent; every other
//    exception becomes an error box captioned with the application title,
//    error icon, OK button, its text with the full-stop rule
//    (gui::withFullStop). It never throws.
//  - showStartupFailure() is the last resort when the main form cannot be
//    created: a box captioned "Application Error" with "Exception <class> in
//    module <module> at <address>." and the message. It never throws.
//  - Every box goes through showMessageBox(), which a test can replace with
//    setMessageBoxHook() so that nothing modal blocks it.
//  - guarded() wraps a handler connected to a signal so that what it throws
//    is reported right there. Qt's own libraries are built without exception
//    support: an exception unwinding through their frames up to
//    Application::notify() skips their clean-up (it leaks the event being
//    delivered, at least). notify() stays the last resort for handlers that
//    are not wrapped, such as event-function overrides.
#include <QMessageBox>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace gui {

// One message box with a single OK button, modal for the whole application.
struct MessageBoxRequest {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

using MessageBoxHook = std::function<void(const MessageBoxRequest&)>;

// Shows the box and returns when it is closed; with a hook set, hands the
// request to the hook instead.
void showMessageBox(const MessageBoxRequest& request);

// Replaces the box display; an empty hook restores real boxes. Returns the
// hook that was in place.
MessageBoxHook setMessageBoxHook(MessageBoxHook hook);

// Installs a hook for the lifetime of the object and restores the previous
// one afterwards.
class ScopedMessageBoxHook {
 public:
  explicit ScopedMessageBoxHook(MessageBoxHook hook) : previous_(setMessageBoxHook(std::move(hook))) {}
  ~ScopedMessageBoxHook() { setMessageBoxHook(std::move(previous_)); }
  ScopedMessageBoxHook(const ScopedMessageBoxHook&) = delete;
  ScopedMessageBoxHook& operator=(const ScopedMessageBoxHook&) = delete;

 private:
  MessageBoxHook previous_;
};

// The application title: caption of the error boxes and of the program's
// plain message boxes (the main window has its own caption). Kept apart from
// QGuiApplication::applicationDisplayName, which Qt would append to every
// window caption.
void setApplicationTitle(const QString& title);
QString applicationTitle();

// Reports an exception that escaped a handler (see the contract above).
void showException(std::exception_ptr error) noexcept;

// A slot that runs object->handler(args...) and reports an exception with
// showException(): connect(sender, &Sender::signal, form, gui::guarded(form, &Form::Handler)).
template <class Object, class... Args>
auto guarded(Object* object, void (Object::*handler)(Args...)) {
  return [object, handler](Args... args) {
    try {
      (object->*handler)(std::forward<Args>(args)...);
    } catch (...) {
      showException(std::current_exception());
    }
  };
}

// Reports an exception that ended the creation of the main form.
// moduleName is the program file's name, as shown in the box.
void showStartupFailure(std::exception_ptr error, const QString& moduleName) noexcept;

}  // namespace gui
