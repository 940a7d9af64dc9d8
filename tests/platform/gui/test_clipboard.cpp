#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QtTest>

#include "platform/big5/big5.h"
#include "platform/gui/clipboard.h"

class ClipboardTest : public QObject {
  Q_OBJECT

 private slots:
  void offersBig5BytesAndUnicode() {
    const std::string big5Text = big5::fromUtf8("　一　m") + "\r\n" + big5::fromUtf8("∕");
    gui::setClipboardBig5Text(big5Text);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    const QByteArray raw = data->data(QString::fromLatin1(gui::kBig5MimeType));
    QCOMPARE(std::string(raw.constData(), static_cast<std::size_t>(raw.size())), big5Text);
    QCOMPARE(data->text(), QStringLiteral("　一　m\r\n∕"));
  }

  void bytesThatAreNoBig5AreRefusedAndTheClipboardKept() {
    gui::setClipboardBig5Text("kept");
    QVERIFY_THROWS_EXCEPTION(EClipboardException, gui::setClipboardBig5Text("\xA4"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    bool refused = false;
    try {
      gui::setClipboardBig5Text("\xFF\xFF");
    } catch (const EClipboardException& e) {
      refused = true;
      QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Cannot open clipboard"));
    }
    QVERIFY2(refused, "bytes that are no Big5 reached the clipboard");
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
  }
};

QTEST_MAIN(ClipboardTest)
#include "test_clipboard.moc"
