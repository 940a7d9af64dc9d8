// Refused pastes say why; pasted text in a one-line box is one line without
// control characters; a record changed by another writer is shown before
// anything is typed onto it.
#include <QClipboard>
#include <QTest>

#include <memory>

#include "app/controls/RefusalNotice.h"
#include "app/controls/TDBEdit.h"
#include "app/controls/TDBMemo.h"
#include "platform/gui/Application.h"
#include "tests/app/controls/ControlTests.h"

using namespace controls_test;

namespace {

// The main table whose edit reads the row again and finds that another
// writer changed it, as the engine's table does.
class ChangedUnderneath : public MemoryDataSet {
 public:
  using MemoryDataSet::MemoryDataSet;
  std::string field;     // set: the next edit finds this field changed
  std::string newValue;  // to this (UTF-8)

 protected:
  void InternalEdit() override {
    MemoryDataSet::InternalEdit();
    if (field.empty()) return;
    ActiveRecordBuffer()->SetLoaded(static_cast<std::size_t>(FieldByName(field).FieldNo() - 1),
                                    big5::fromUtf8(newValue));
    field.clear();
  }
};

void paste(QWidget* box, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

}  // namespace

class TestRefusals : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> window;
  std::unique_ptr<ChangedUnderneath> table;
  std::unique_ptr<TDataSource> source;
  TDBEdit* edit = nullptr;  // on CJ_Input, 250 bytes
  TDBMemo* memo = nullptr;  // on Note

 private slots:
  void init() {
    window = std::make_unique<QWidget>();
    table = std::make_unique<ChangedUnderneath>("OrvDaoTable1", MainTableColumns(), ThreeCharacters());
    source = std::make_unique<TDataSource>("DataSource1");
    source->SetDataSet(table.get());
    edit = new TDBEdit(window.get());
    edit->setGeometry(0, 0, 200, 24);
    edit->setDataField("CJ_Input");
    edit->setDataSource(source.get());
    memo = new TDBMemo(window.get());
    memo->setGeometry(0, 30, 200, 80);
    memo->setDataField("Note");
    memo->setDataSource(source.get());
    table->Open();
    window->show();
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    edit->setFocus(Qt::OtherFocusReason);
    edit->end(false);
  }

  void cleanup() {
    window.reset();
    source.reset();
    table.reset();
  }

  void aOneLineBoxTakesTheFirstLineWithoutControlCharacters() {
    paste(edit, QStringLiteral("一\r\n二\t三"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天一"));
    edit->selectAll();
    paste(edit, QStringLiteral("甲\t乙\x01"));
    QCOMPARE(edit->text(), QStringLiteral("甲乙"));
    table->Post();
    QCOMPARE(Stored(*table, 0, "CJ_Input"), QStringLiteral("甲乙"));
  }

  void aRefusedPasteBeepsAndNamesTheCharacter() {
    Beeps beeps;
    paste(edit, QStringLiteral("ab😀cd"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    QCOMPARE(beeps.count, 1);
    QCOMPARE(controls::lastRefusal(), QStringLiteral("「😀」無法以 Big5 儲存"));
    paste(edit, QStringLiteral("我们的"));
    QCOMPARE(controls::lastRefusal(), QStringLiteral("「们」無法以 Big5 儲存"));
    paste(memo, QStringLiteral("筆記😀"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(beeps.count, 3);
    QCOMPARE(controls::lastRefusal(), QStringLiteral("「😀」無法以 Big5 儲存"));
  }

  void aPasteTooLongForTheFieldSaysSo() {
    // CJ_Input holds 250 bytes; 天空的天 takes 8.
    Beeps beeps;
    paste(edit, QString(122, QChar(0x5b57)) + QStringLiteral("ab"));  // 246 more bytes
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    QCOMPARE(beeps.count, 1);
    QCOMPARE(controls::lastRefusal(), QStringLiteral("文字太長：此欄最多 250 位元組"));
    paste(edit, QString(120, QChar(0x5b57)) + QStringLiteral("ab"));  // 242 more: exactly 250, taken
    QCOMPARE(edit->text().size(), 126);
    QCOMPARE(beeps.count, 1);
  }

  void typingOntoARecordChangedUnderneathShowsItFirst() {
    Beeps beeps;
    table->field = "CJ_Input";
    table->newValue = "外部";
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("t"));
    QCOMPARE(edit->text(), QStringLiteral("外部"));
    QCOMPARE(beeps.count, 1);
    QCOMPARE(controls::lastRefusal(), QStringLiteral("這筆資料已被其他使用者修改，現在顯示的是新的內容"));
    QCOMPARE(table->State(), dsEdit);
    // Now the user sees it, typing goes on as usual.
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("ok"));
    table->Post();
    QCOMPARE(Stored(*table, 0, "CJ_Input"), QStringLiteral("外部ok"));
  }

  void pastingOntoARecordChangedUnderneathShowsItFirst() {
    table->field = "Note";
    table->newValue = "外部筆記";
    memo->setFocus(Qt::OtherFocusReason);
    paste(memo, QStringLiteral("貼上"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("外部筆記"));
    QCOMPARE(controls::lastRefusal(), QStringLiteral("這筆資料已被其他使用者修改，現在顯示的是新的內容"));
  }

  void aChangeElsewhereInTheRecordDoesNotStopTyping() {
    table->field = "Note";
    table->newValue = "外部筆記";
    QTest::keyClicks(edit, QStringLiteral("x"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天x"));
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestRefusals test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_refusals.moc"
