#include "platform/gui/error_display.h"

#include <cxxabi.h>

#include <cstdio>
#include <typeinfo>

#include "platform/sysutils/EAbort.h"
#include "platform/gui/exception_text.h"

namespace gui {

namespace {

MessageBoxHook& hookSlot() {
  static MessageBoxHook hook;
  return hook;
}

QString& titleSlot() {
  static QString title;
  return title;
}

// What the boxes say about an exception: its class and its message.
struct Described {
  std::string className;
  std::string message;
};

// Must be called inside a catch block (it asks the runtime which exception is
// being handled).
Described describeCurrent(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return {exceptionClassName(typeid(e)), e.what()};
  } catch (...) {
    // Not derived from std::exception: the class name is all there is.
    const std::type_info* type = abi::__cxa_current_exception_type();
    const std::string name = type ? exceptionClassName(*type) : "unknown";
    return {name, "Exception " + name};
  }
}

bool isAbort(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    return true;
  } catch (...) {
    return false;
  }
}

// Last words when even the box cannot be shown (out of memory, say).
void reportUnshowable(const char* what) noexcept { std::fprintf(stderr, "%s\n", what); }

}  // namespace

void showMessageBox(const MessageBoxRequest& request) {
  if (const MessageBoxHook& hook = hookSlot()) {
    hook(request);
    return;
  }
  QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

MessageBoxHook setMessageBoxHook(MessageBoxHook hook) {
  MessageBoxHook previous = std::move(hookSlot());
  hookSlot() = std::move(hook);
  return previous;
}

void setApplicationTitle(const QString& title) { titleSlot() = title; }

QString applicationTitle() { return titleSlot(); }

void showException(std::exception_ptr error) noexcept {
  if (!error || isAbort(error)) return;
  try {
    const Described d = describeCurrent(error);
    showMessageBox({applicationTitle(), QString::fromStdString(withFullStop(d.message)),
                    QMessageBox::Critical});
  } catch (...) {
    reportUnshowable("An error occurred and could not be shown.");
  }
}

void showStartupFailure(std::exception_ptr error, const QString& moduleName) noexcept {
  if (!error) return;
  try {
    const Described d = describeCurrent(error);
    const auto address = stableCodeAddress(reinterpret_cast<const void*>(&showStartupFailure));
    const std::string text =
        applicationErrorText(d.className, moduleName.toStdString(), address, d.message);
    showMessageBox({QStringLiteral("Application Error"), QString::fromStdString(text),
                    QMessageBox::Critical});
  } catch (...) {
    reportUnshowable("The program could not start.");
  }
}

}  // namespace gui
