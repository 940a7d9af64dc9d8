#include "platform/gui/font_map.h"

namespace gui {

namespace {

// Noto CJK TC is the first choice (clear at small sizes); AR PL UMing TW is
// the fallback when only the Arphic fonts are installed.
const QStringList& monospaced() {
  static const QStringList families{QStringLiteral("Noto Sans Mono CJK TC"),
                                    QStringLiteral("AR PL UMing TW")};
  return families;
}

const QStringList& proportional() {
  static const QStringList families{QStringLiteral("Noto Sans CJK TC"),
                                    QStringLiteral("AR PL UMing TW")};
  return families;
}

}  // namespace

QStringList substitutesFor(const QString& layoutFamily) {
  if (layoutFamily == QLatin1String(kCourierNew) || layoutFamily == QLatin1String(kSystem))
    return monospaced();
  if (layoutFamily == QLatin1String(kMsSansSerif)) return proportional();
  return {};
}

void installFontSubstitutions() {
  for (const char* family : {kCourierNew, kMsSansSerif, kSystem})
    QFont::insertSubstitutions(QString::fromLatin1(family), substitutesFor(QString::fromLatin1(family)));
}

QFont layoutFont(const QString& family, int pixelSize, bool fixedPitch) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setFixedPitch(fixedPitch);
  font.setStyleHint(fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
  return font;
}

}  // namespace gui
