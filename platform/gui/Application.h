#pragma once
// The application object. Besides what QApplication does, it
//  - routes every exception that escapes an event handler (or a slot run by
//    one) to gui::showException(), then lets the event loop go on: Qt itself
//    must never see an exception cross its event loop. This is the last
//    resort; slots should be wrapped with gui::guarded() so that their
//    exceptions do not unwind through Qt's frames at all;
//  - fixes the look that the pixel layout was drawn for: the Fusion style
//    and the font substitutions of font_map.h. High-dpi screens are left to
//    Qt's own scaling: the layout is given in device-independent pixels,
//    which Qt maps to the screen's device pixel ratio (2 on a 192-dpi or
//    200 % screen), drawing text and vector glyphs at full resolution. The
//    screen's logical dpi then stays 96 and the form's own scaling
//    (layout_scale.h) is a no-op unless Qt's scaling is switched off.
// Construct exactly one, before any widget, as with QApplication.
#include <QApplication>

namespace gui {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace gui
