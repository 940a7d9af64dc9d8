#include "app/controls/RefusalNotice.h"

#include <QStringView>
#include <QToolTip>
#include <QWidget>

#include "app/controls/LateCommitRule.h"
#include "platform/big5/big5.h"
#include "platform/gui/beep.h"

namespace controls {

namespace {

QString& lastSlot() {
  static QString last;
  return last;
}

}  // namespace

QString notBig5Notice(const QString& character) {
  return QStringLiteral("「%1」無法以 Big5 儲存").arg(character);
}

QString tooLongNotice(int bytes) { return QStringLiteral("文字太長：此欄最多 %1 位元組").arg(bytes); }

QString changedUnderneathNotice() {
  return QStringLiteral("這筆資料已被其他使用者修改，現在顯示的是新的內容");
}

void refuse(QWidget& box, const QString& notice) {
  lastSlot() = notice;
  gui::beep();
  QToolTip::showText(box.mapToGlobal(QPoint(0, box.height())), notice, &box);
}

const QString& lastRefusal() { return lastSlot(); }

QString firstCharacterNotInBig5(const QString& text) {
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString character = text.mid(i, length);
    if (!big5::canEncode(character.toStdString())) return character;
    i += length;
  }
  return {};
}

QString firstLineOfPaste(const QString& text) {
  qsizetype end = text.size();
  for (qsizetype i = 0; i < text.size(); ++i)
    if (text.at(i) == QLatin1Char('\r') || text.at(i) == QLatin1Char('\n')) {
      end = i;
      break;
    }
  return withoutControlCharacters(text.left(end));
}

}  // namespace controls
