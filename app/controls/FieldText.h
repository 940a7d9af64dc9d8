#pragma once
// Between a field's Big5 bytes and a control's Unicode text.
//
// Contract:
//  - displayText(): the field's display text as Unicode; "" without a
//    field. Bytes that are no Big5 show as U+FFFD instead of failing the
//    load, so a damaged row can still be seen and corrected.
//  - fieldBytes(): the control's text as Big5 for the field; a text field
//    with a size gets at most that many bytes, cut at a whole character.
//    Throws big5::ConversionError for a character code page 950 lacks:
//    such text is never stored as "?".
//  - Memo line breaks are stored as CR LF; Qt's editors work with LF.
#include <QString>

#include <string>

namespace framework {
class TField;
}

namespace controls {

QString displayText(const framework::TField* field);
std::string fieldBytes(const QString& text, const framework::TField& field);

QString fromStoredLines(QString text);
QString toStoredLines(QString text);

}  // namespace controls
