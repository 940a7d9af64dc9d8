#include "platform/gui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

#include "platform/big5/big5.h"

namespace gui {

void setClipboardBig5Text(const std::string& big5Text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) throw EClipboardException("Cannot open clipboard");
  std::string unicode;
  try {
    unicode = big5::toUtf8(big5Text);
  } catch (const big5::ConversionError&) {
    throw EClipboardException("Cannot open clipboard");
  }
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(kBig5MimeType),
                QByteArray(big5Text.data(), static_cast<qsizetype>(big5Text.size())));
  data->setText(QString::fromUtf8(unicode.data(), static_cast<qsizetype>(unicode.size())));
  clipboard->setMimeData(data.release());  // the clipboard takes ownership
}

}  // namespace gui
