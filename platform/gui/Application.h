#pragma once
// The application object. Besides what QApplication does, it
//  - routes every exception that escapes an event handler (or a slot run by
//    one) to gui::showException(), then lets the event loop go on: Qt itself
//    must never see an exception cross its event loop. This is the last
//    resort; slots should be wrapped with gui::guarded() so that their
//    exceptions do not unwind through Qt's frames at all;
//  - fixes the look that the pixel layout was drawn for: the Fusion style,
//    the font substitutions of font_map.h, and no automatic high-dpi scaling
//    by Qt (the form scales its own layout, see layout_scale.h).
// Construct exactly one, before any widget, as with QApplication.
#include <QApplication>

namespace gui {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace gui
