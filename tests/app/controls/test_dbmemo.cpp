// TDBMemo and TDBText over the main table.
#include <QAction>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QTextBlock>

#include <memory>

#include "app/controls/TDBMemo.h"
#include "app/controls/TDBText.h"
#include "platform/gui/Application.h"
#include "tests/app/controls/ControlTests.h"

using namespace controls_test;

namespace {

// Columns of the widget's picture that hold any dark pixel (text ink).
int inkColumns(QWidget& widget) {
  const QImage image = widget.grab().toImage();
  int columns = 0;
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y)
      if (qGray(image.pixel(x, y)) < 128) {
        ++columns;
        break;
      }
  return columns;
}

}  // namespace

class TestDBMemo : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Harness> h;
  TDBMemo* memo = nullptr;  // as DBMemo1, on Note
  Trace trace;

  void focusAtEnd() {
    memo->setFocus(Qt::OtherFocusReason);
    memo->moveCursor(QTextCursor::End);
  }

 private slots:
  void init() {
    h = std::make_unique<Harness>();
    memo = new TDBMemo(&h->window);
    memo->setGeometry(0, 0, 300, 80);
    memo->setDataField("Note");
    memo->setDataSource(&h->source);
    h->table.Open();
    RecordEvents(h->table, trace);
    QVERIFY(h->Show());
  }

  void cleanup() {
    h.reset();
    trace.Take();
  }

  void loadsTheWholeMemoAsLines() {
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(memo->document()->blockCount(), 2);
    QVERIFY(memo->loaded());
    h->table.Next();
    QCOMPARE(memo->toPlainText(), QString());
    QVERIFY(!memo->DataLink().IsModified());
  }

  void enterStartsTheEditAndBreaksTheLine() {
    focusAtEnd();
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit"));
    QCOMPARE(memo->document()->blockCount(), 3);
    Type(memo, QStringLiteral("三"));
    h->elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(FieldText(h->table, "Note"), QStringLiteral("第一行\r\n第二行\r\n三"));
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "Note"), QStringLiteral("第一行\r\n第二行\r\n三"));
  }

  void aRecordThatCannotBeEditedLeavesTheMemoAsItIs() {
    h->table.SetReadOnly(true);
    focusAtEnd();
    Type(memo, QStringLiteral("x"));
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClick(memo, Qt::Key_Backspace);
    Commit(memo, QStringLiteral("字"));
    QGuiApplication::clipboard()->setText(QStringLiteral("貼"));
    QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(h->table.State(), dsBrowse);
  }

  void textBig5CannotHoldIsRefusedWithABeep() {
    Beeps beeps;
    focusAtEnd();
    Type(memo, QStringLiteral("们"));
    Commit(memo, QStringLiteral("我们"));
    QGuiApplication::clipboard()->setText(QStringLiteral("们"));
    std::unique_ptr<QMenu> menu(memo->createContextMenu());
    menu->findChild<QAction*>(QStringLiteral("paste"))->trigger();
    QCOMPARE(beeps.count, 3);
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
    Commit(memo, QStringLiteral("我們"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行我們"));
    QCOMPARE(beeps.count, 3);
  }

  void aCompositionIsCommittedBeforeAPost() {
    focusAtEnd();
    Compose(memo, QStringLiteral("中"));
    QCOMPARE(h->table.State(), dsEdit);
    QVERIFY(memo->composing());
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "Note"), QStringLiteral("第一行\r\n第二行中"));
  }

  void escapeReloadsFromTheField() {
    focusAtEnd();
    Type(memo, QStringLiteral("xyz"));
    QTest::keyClick(memo, Qt::Key_Escape);
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(h->table.State(), dsEdit);
    QVERIFY(!memo->DataLink().IsModified());
  }

  void labelFollowsTheRecordAtItsFixedSize() {
    TDBText label(&h->window);
    label.setGeometry(0, 100, 33, 16);
    label.setDataField("Radical_Word");
    label.setDataSource(&h->source);
    QCOMPARE(label.text(), QStringLiteral("大"));
    h->table.Edit();
    h->table.FieldByName("Radical_Word").SetAsString(big5::fromUtf8("很長部首"));
    QCOMPARE(label.text(), QStringLiteral("很長部首"));
    QCOMPARE(label.geometry(), QRect(0, 100, 33, 16));
    h->table.Close();
    QCOMPARE(label.text(), QString());
  }

  void anAmpersandIsShownNotTakenAsAnAccelerator() {
    TDBText label(&h->window);
    label.setGeometry(0, 100, 33, 16);
    label.setDataField("Radical_Word");
    label.setDataSource(&h->source);
    h->table.Edit();
    h->table.FieldByName("Radical_Word").SetAsString("&");
    QVERIFY(inkColumns(label) > 0);
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestDBMemo test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_dbmemo.moc"
