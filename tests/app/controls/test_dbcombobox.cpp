// TDBComboBox over the main table: the order of a chosen item, typed text,
// the keys and the wheel, the open list, items and clearing.
#include <QAbstractItemView>
#include <QStyleHints>
#include <QTest>

#include <memory>

#include "app/controls/TDBComboBox.h"
#include "framework/DbErrors.h"
#include "platform/gui/Application.h"
#include "tests/app/controls/ControlTests.h"

using namespace controls_test;

class TestDBComboBox : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Harness> h;
  TDBComboBox* list = nullptr;  // as DBComboBox1, on Li_Chang
  Trace trace;
  int clicks = 0;

  void build(const std::vector<std::vector<std::string>>& rows) {
    h = std::make_unique<Harness>(rows);
    list = new TDBComboBox(&h->window);
    list->setGeometry(0, 0, 120, 24);
    list->addItems({QStringLiteral("客觀"), QStringLiteral("主觀")});
    list->setCurrentIndex(-1);
    list->setDataField("Li_Chang");
    list->setDataSource(&h->source);
    // What DBComboBox1Click can see when it runs.
    list->OnClick = [this] {
      ++clicks;
      trace.Add("click(" + std::string(h->table.State() == dsEdit     ? "edit"
                                       : h->table.State() == dsInsert ? "insert"
                                                                      : "browse") +
                "," + FieldText(h->table, "Li_Chang").toStdString() + "," + list->currentText().toStdString() + "," +
                std::to_string(list->ItemIndex()) + ")");
    };
    h->table.Open();
    RecordEvents(h->table, trace);
  }

  // Opens the list with the mouse, which starts nothing.
  void openWithTheMouse() {
    QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(list->width() - 8, list->height() / 2));
    QVERIFY(list->DroppedDown());
  }

  void chooseInTheOpenList(int row) {
    QAbstractItemView* view = list->view();
    view->setCurrentIndex(view->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Return);
  }

 private slots:
  void init() {
    clicks = 0;
    build(ThreeCharacters());
    QVERIFY(h->Show());
    list->setFocus(Qt::TabFocusReason);
    trace.Take();
  }

  void cleanup() {
    h.reset();
    trace.Take();
  }

  void choosingAnItemEditsTheRecordBeforeOnClickWhileTheFieldIsOld() {
    QCOMPARE(list->currentText(), QStringLiteral("客觀"));
    openWithTheMouse();
    QCOMPARE(h->table.State(), dsBrowse);
    chooseInTheOpenList(1);
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit;click(edit,客觀,主觀,1)"));
    QVERIFY(!list->DroppedDown());
    QCOMPARE(list->currentText(), QStringLiteral("主觀"));
    QVERIFY(list->DataLink().IsModified());
    QCOMPARE(FieldText(h->table, "Li_Chang"), QStringLiteral("客觀"));
    h->elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(FieldText(h->table, "Li_Chang"), QStringLiteral("主觀"));
  }

  void aChosenItemReachesTheFieldOnPost() {
    openWithTheMouse();
    chooseInTheOpenList(1);
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "Li_Chang"), QStringLiteral("主觀"));
  }

  void aMouseChoiceInTheOpenListRunsTheSameSteps() {
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    openWithTheMouse();
    QAbstractItemView* view = list->view();
    const QPoint item = view->visualRect(view->model()->index(1, 0)).center();
    QTest::mouseMove(view->viewport(), item);
    view->setCurrentIndex(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item);
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit;click(edit,客觀,主觀,1)"));
  }

  void typedTextAndTabWriteTheFieldWithoutOnClick() {
    // Even a typed text that equals an item is no choice.
    list->lineEdit()->selectAll();
    Type(list, QStringLiteral("主觀"));
    QCOMPARE(h->table.State(), dsEdit);
    QTest::keyClick(list, Qt::Key_Tab);
    QVERIFY(!list->hasFocus());
    QCOMPARE(FieldText(h->table, "Li_Chang"), QStringLiteral("主觀"));
    QCOMPARE(clicks, 0);
  }

  void inputMethodTextIsTypedTextToo() {
    list->lineEdit()->selectAll();
    Compose(list, QStringLiteral("主"));
    QCOMPARE(h->table.State(), dsEdit);
    Commit(list, QStringLiteral("主觀"));
    h->elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(FieldText(h->table, "Li_Chang"), QStringLiteral("主觀"));
    QCOMPARE(clicks, 0);
  }

  void arrowKeysStartTheEditAndChoose() {
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit;click(edit,客觀,主觀,1)"));
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(trace.Take(), std::string("click(edit,客觀,客觀,0)"));
  }

  void selectionKeysAndTheWheelAreCancelledWhenTheRecordCannotBeEdited() {
    h->table.SetReadOnly(true);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_PageDown);
    QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
    QWheelEvent wheel(QPointF(10, 10), list->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list, &wheel);
    QCOMPARE(list->currentText(), QStringLiteral("客觀"));
    QCOMPARE(list->currentIndex(), 0);
    QVERIFY(!list->DroppedDown());
    QCOMPARE(clicks, 0);
    QCOMPARE(h->table.State(), dsBrowse);
  }

  void aRefusedChoiceClosesTheListAndReloads() {
    h->table.SetReadOnly(true);
    openWithTheMouse();
    chooseInTheOpenList(1);
    QVERIFY(!list->DroppedDown());
    QCOMPARE(list->currentText(), QStringLiteral("客觀"));
    QCOMPARE(clicks, 0);
    QCOMPARE(trace.Take(), std::string());
  }

  void loadsWaitWhileTheListIsDroppedDown() {
    openWithTheMouse();
    // A field set in browse state stays in the buffer and tells the links.
    h->table.FieldByName("Li_Chang").SetAsString(big5::fromUtf8("主觀"));
    QCOMPARE(list->currentText(), QStringLiteral("客觀"));
    list->hidePopup();
    QCOMPARE(list->currentText(), QStringLiteral("主觀"));
  }

  void openingFromCodeStartsTheEdit() {
    list->showPopup();
    QCOMPARE(h->table.State(), dsEdit);
    list->hidePopup();
  }

  void itemsAreNeverTakenFromTheFieldAndSurviveMoves() {
    h->table.Next();
    QCOMPARE(list->currentText(), QStringLiteral("其他"));
    QCOMPARE(list->currentIndex(), -1);
    QCOMPARE(list->count(), 2);
    h->table.Next();
    QCOMPARE(list->currentText(), QString());
    h->table.First();
    QCOMPARE(list->currentIndex(), 0);
    QCOMPARE(list->count(), 2);
  }

  void escapeReloadsAndSelects() {
    list->lineEdit()->end(false);
    Type(list, QStringLiteral("x"));
    QCOMPARE(list->currentText(), QStringLiteral("客觀x"));
    QTest::keyClick(list, Qt::Key_Escape);
    QCOMPARE(list->currentText(), QStringLiteral("客觀"));
    QCOMPARE(list->lineEdit()->selectedText(), QStringLiteral("客觀"));
    QCOMPARE(h->table.State(), dsEdit);
  }

  void clearingFromCodeEmptiesTextAndItemsButNotTheField() {
    h->table.Edit();
    list->Clear();
    QCOMPARE(list->count(), 0);
    QCOMPARE(list->currentText(), QString());
    QVERIFY(list->DataLink().IsModified());
    QCOMPARE(FieldText(h->table, "Li_Chang"), QStringLiteral("客觀"));
    h->table.FieldByName("Li_Chang").Clear();
    QVERIFY(!list->DataLink().IsModified());
  }

  void theWriteCutsTheTextToTheFieldSize() {
    // Li_Chang holds 50 bytes; the list itself takes any length.
    list->lineEdit()->selectAll();
    const QString longText = QString(26, QChar(0x4E00));
    Type(list, longText);
    QCOMPARE(list->currentText(), longText);
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "Li_Chang"), QString(25, QChar(0x4E00)));
  }

  void anErrorOfOnClickGoesToTheErrorBox() {
    ErrorBoxes errors;
    list->OnClick = [] { framework::DatabaseError("Lookup table is closed"); };
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(errors.texts, QStringList{QStringLiteral("Lookup table is closed.")});
    QCOMPARE(h->table.State(), dsEdit);
  }

  void onAnEmptyTableAChoiceInsertsARecord() {
    build({});
    QVERIFY(h->Show());
    list->setFocus(Qt::TabFocusReason);
    trace.Take();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(trace.Take(), std::string("AfterInsert;AfterScroll;click(insert,,客觀,0)"));
    h->table.Post();
    QCOMPARE(h->table.Rows().size(), std::size_t{1});
    QCOMPARE(Stored(h->table, 0, "Li_Chang"), QStringLiteral("客觀"));
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestDBComboBox test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_dbcombobox.moc"
