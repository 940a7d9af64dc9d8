#include "platform/gui/Application.h"

#include <QStyleFactory>

#include "platform/gui/error_display.h"
#include "platform/gui/font_map.h"

namespace gui {

namespace {

// Qt reads this setting while the application object is being constructed,
// so it has to be in place before the QApplication base is built. The layout
// is scaled by the form itself; Qt scaling it again would scale twice.
int& withoutToolkitScaling(int& argc) {
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  return argc;
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(withoutToolkitScaling(argc), argv) {
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
