#pragma once
// Telling the user why a box did not take what was pasted or typed: the
// system beep and a short notice shown as a tool tip under the box.
//
// Contract:
//  - refuse(box, text) beeps (gui::beep) and shows `text` under the box;
//    the last notice shown is kept for lastRefusal() (tests, screenshots).
//  - firstCharacterNotInBig5() is the first character (a whole code point)
//    that code page 950 cannot hold, or "" when Big5 holds all of it.
//  - The notices' texts are the ones below, exactly.
#include <QString>

class QWidget;

namespace controls {

QString notBig5Notice(const QString& character);     // 「😀」無法以 Big5 儲存
QString tooLongNotice(int bytes);                    // 文字太長：此欄最多 N 位元組
QString changedUnderneathNotice();                   // 這筆資料已被其他使用者修改…

void refuse(QWidget& box, const QString& notice);
const QString& lastRefusal();

QString firstCharacterNotInBig5(const QString& text);

// A pasted text as a one-line box takes it: its first line, without any
// control character.
QString firstLineOfPaste(const QString& text);

}  // namespace controls
