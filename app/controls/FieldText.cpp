#include "app/controls/FieldText.h"

#include "framework/TField.h"
#include "platform/big5/big5.h"

namespace controls {

QString displayText(const framework::TField* field) {
  if (field == nullptr) return {};
  return QString::fromStdString(big5::toUtf8Lenient(field->DisplayText()));
}

std::string fieldBytes(const QString& text, const framework::TField& field) {
  std::string bytes = big5::fromUtf8(text.toStdString());
  if (field.DataType() == framework::ftString && field.Size() > 0)
    bytes = std::string(big5::cutToBytes(bytes, static_cast<std::size_t>(field.Size())));
  return bytes;
}

QString fromStoredLines(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

QString toStoredLines(QString text) {
  // A lone CR or LF that came from the field stays one line break.
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

}  // namespace controls
