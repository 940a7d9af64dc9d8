#include "platform/gui/confirmation.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace gui {

namespace {

ConfirmationHook& hookSlot() {
  static ConfirmationHook hook;
  return hook;
}

}  // namespace

bool askConfirmation(const ConfirmationRequest& request) {
  if (const ConfirmationHook& hook = hookSlot()) return hook(request);

  QMessageBox box(QMessageBox::Question, request.caption, request.text, QMessageBox::NoButton);
  // Fixed English button texts, whatever translation Qt would apply.
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(cancel);
  box.setWindowModality(Qt::ApplicationModal);
  // Centred on the screen, not over the window that asked: a box that was
  // moved explicitly keeps its place when it is shown.
  box.adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = box.frameGeometry();
    frame.moveCenter(screen->geometry().center());
    box.move(frame.topLeft());
  }
  box.exec();
  return box.clickedButton() == ok;
}

ConfirmationHook setConfirmationHook(ConfirmationHook hook) {
  ConfirmationHook previous = std::move(hookSlot());
  hookSlot() = std::move(hook);
  return previous;
}

}  // namespace gui
