#pragma once
// The layout names Windows font families ("Courier New", "MS Sans Serif",
// "System") that a Linux desktop does not have. This is the one place that
// maps them to installed fonts able to show Traditional Chinese.
//
// Contract:
//  - installFontSubstitutions() registers the mapping with Qt's font
//    matching; call it once after the application object exists. Widgets
//    keep the layout's family name as the requested family; Qt resolves it
//    to the substitute when it draws.
//  - Fixed-pitch families ("Courier New", "System") map to a monospaced CJK
//    face, the proportional one ("MS Sans Serif") to a proportional CJK face.
//  - layoutFont() builds a font as the layout states it: family, height in
//    pixels (never points, so it does not depend on the screen's dpi) and
//    whether it asks for fixed pitch.
#include <QFont>
#include <QString>
#include <QStringList>

namespace gui {

// Family names used by the layout.
inline constexpr const char* kCourierNew = "Courier New";
inline constexpr const char* kMsSansSerif = "MS Sans Serif";
inline constexpr const char* kSystem = "System";

// Installed families tried for a layout family, best first.
QStringList substitutesFor(const QString& layoutFamily);

void installFontSubstitutions();

QFont layoutFont(const QString& family, int pixelSize, bool fixedPitch = false);

}  // namespace gui
