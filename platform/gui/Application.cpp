#include "platform/gui/Application.h"

#include <QStyleFactory>

#include "platform/gui/error_display.h"
#include "platform/gui/font_map.h"

namespace gui {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  installFontSubstitutions();
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    showException(std::current_exception());
    return false;
  }
}

}  // namespace gui
