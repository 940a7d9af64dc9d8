// TDBEdit over the main table: loading, the edit that typing, input methods
// and the menu start, Esc, the Big5 rules, read-only boxes and write-back.
#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <memory>

#include "app/controls/TDBEdit.h"
#include "app/controls/TDBNavigator.h"
#include "framework/DbErrors.h"
#include "platform/gui/Application.h"
#include "tests/app/controls/ControlTests.h"

using namespace controls_test;

class TestDBEdit : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Harness> h;
  TDBEdit* edit = nullptr;  // as DBEdit6, on CJ_Input
  Trace trace;

  TDBEdit* boxOn(std::string_view field, int top) {
    auto* box = new TDBEdit(&h->window);
    box->setGeometry(0, top, 300, 24);
    box->setDataField(field);
    box->setDataSource(&h->source);
    box->show();
    return box;
  }

  void focusAtEnd(TDBEdit* box) {
    box->setFocus(Qt::OtherFocusReason);
    box->end(false);
  }

  QAction* menuAction(QMenu& menu, const char* name) { return menu.findChild<QAction*>(QString::fromLatin1(name)); }

 private slots:
  void init() {
    h = std::make_unique<Harness>();
    edit = boxOn("CJ_Input", 0);
    h->table.Open();
    RecordEvents(h->table, trace);
    QVERIFY(h->Show());
  }

  void cleanup() {
    h.reset();
    trace.Take();
  }

  void loadsTheFieldAndFollowsTheRecord() {
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    QCOMPARE(edit->byteLimit(), 250);
    h->table.Next();
    QCOMPARE(edit->text(), QStringLiteral("大地"));
    QVERIFY(!edit->DataLink().IsModified());
    h->table.Close();
    QCOMPARE(edit->text(), QString());
  }

  void typingStartsTheEditBeforeTheTextChanges() {
    focusAtEnd(edit);
    Type(edit, QStringLiteral("x"));
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit"));
    QCOMPARE(h->table.State(), dsEdit);
    QCOMPARE(edit->text(), QStringLiteral("天空的天x"));
    QVERIFY(edit->DataLink().IsModified());
    // Until the box writes back, the field keeps its value.
    QCOMPARE(FieldText(h->table, "CJ_Input"), QStringLiteral("天空的天"));
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天x"));
  }

  void keysThatDoNotChangeTheTextStartNoEdit() {
    focusAtEnd(edit);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Tab);
    edit->setFocus(Qt::OtherFocusReason);
    QCOMPARE(h->table.State(), dsBrowse);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(h->table.State(), dsEdit);
  }

  void aRecordThatCannotBeEditedRefusesEveryChange() {
    Beeps beeps;
    h->table.SetReadOnly(true);
    focusAtEnd(edit);
    Type(edit, QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    Commit(edit, QStringLiteral("字"));
    Compose(edit, QStringLiteral("中"));
    QGuiApplication::clipboard()->setText(QStringLiteral("貼"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    QVERIFY(!edit->composing());
    QCOMPARE(h->table.State(), dsBrowse);
    QCOMPARE(beeps.count, 0);  // refused quietly, as a read-only box is
  }

  void escapeRestoresTheTextAndKeepsTheEdit() {
    TDBNavigator navigator(&h->window);
    navigator.setDataSource(&h->source);
    focusAtEnd(edit);
    Type(edit, QStringLiteral("xyz"));
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    QCOMPARE(edit->selectedText(), QStringLiteral("天空的天"));
    QVERIFY(!edit->DataLink().IsModified());
    QCOMPARE(h->table.State(), dsEdit);
    QVERIFY(navigator.button(TDBNavigator::nbPost)->isEnabled());
    QVERIFY(navigator.button(TDBNavigator::nbCancel)->isEnabled());
  }

  void inputMethodTextGoesTheWayOfTyping() {
    focusAtEnd(edit);
    Commit(edit, QStringLiteral("字"));
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天字"));
    QVERIFY(edit->DataLink().IsModified());
    h->elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(FieldText(h->table, "CJ_Input"), QStringLiteral("天空的天字"));
  }

  void aCompositionStartsTheEditAndIsCommittedBeforeAPost() {
    focusAtEnd(edit);
    Compose(edit, QStringLiteral("中"));
    // The composition shows in the box, so the record is already editing,
    // but it is not the box's text yet.
    QCOMPARE(h->table.State(), dsEdit);
    QVERIFY(edit->composing());
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    h->table.Post();
    QVERIFY(!edit->composing());
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天中"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天中"));
  }

  void aCompositionIsCommittedBeforeAMove() {
    focusAtEnd(edit);
    Compose(edit, QStringLiteral("中"));
    trace.Take();
    h->table.Next();
    QCOMPARE(trace.Take(), std::string("BeforePost;AfterPost;AfterScroll"));
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天中"));
    QCOMPARE(edit->text(), QStringLiteral("大地"));
  }

  void aCompositionIsCommittedWhenTheFocusLeaves() {
    focusAtEnd(edit);
    Compose(edit, QStringLiteral("中"));
    h->elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(FieldText(h->table, "CJ_Input"), QStringLiteral("天空的天中"));
    QVERIFY(!edit->composing());
  }

  void cancellingTheRecordDropsAComposition() {
    focusAtEnd(edit);
    Compose(edit, QStringLiteral("中"));
    h->table.Cancel();
    QVERIFY(!edit->composing());
    h->table.Next();
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天"));
  }

  void theLimitIsTheFieldSizeInBig5Bytes() {
    // B5_Word holds 8 bytes: four Chinese characters, or ASCII and fewer.
    Beeps beeps;
    TDBEdit* word = boxOn("B5_Word", 30);
    QCOMPARE(word->byteLimit(), 8);
    word->setFocus(Qt::OtherFocusReason);
    word->selectAll();
    Type(word, QStringLiteral("一二三四五"));
    QCOMPARE(word->text(), QStringLiteral("一二三四"));
    QCOMPARE(beeps.count, 1);
    word->selectAll();
    Type(word, QStringLiteral("a一二三四"));
    QCOMPARE(word->text(), QStringLiteral("a一二三"));
    QCOMPARE(beeps.count, 2);
    // A paste that does not fit is refused whole.
    word->selectAll();
    Type(word, QStringLiteral("a"));
    QGuiApplication::clipboard()->setText(QStringLiteral("一二三四"));
    QTest::keyClick(word, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(word->text(), QStringLiteral("a"));
    QCOMPARE(beeps.count, 3);
    Commit(word, QStringLiteral("一二三"));
    QCOMPARE(word->text(), QStringLiteral("a一二三"));
    QCOMPARE(beeps.count, 3);
  }

  void textBig5CannotHoldIsRefusedNeverStoredAsQuestionMarks() {
    Beeps beeps;
    focusAtEnd(edit);
    Type(edit, QStringLiteral("们"));  // simplified only: not in code page 950
    QCOMPARE(beeps.count, 1);
    Commit(edit, QStringLiteral("我们"));
    QCOMPARE(beeps.count, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("们"));
    std::unique_ptr<QMenu> menu(edit->createContextMenu());
    menuAction(*menu, "paste")->trigger();
    QCOMPARE(beeps.count, 3);
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    Type(edit, QStringLiteral("們"));
    QCOMPARE(beeps.count, 3);
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天們"));
  }

  void theMenuStartsTheEditBeforeItPastes() {
    focusAtEnd(edit);
    QGuiApplication::clipboard()->setText(QStringLiteral("貼"));
    std::unique_ptr<QMenu> menu(edit->createContextMenu());
    QVERIFY(menuAction(*menu, "paste")->isEnabled());
    menuAction(*menu, "paste")->trigger();
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天貼"));
    // Undo from the menu, after a post brought the record back to browsing,
    // starts a new edit first.
    h->table.Post();
    trace.Take();
    menu.reset(edit->createContextMenu());
    menuAction(*menu, "undo")->trigger();
    QCOMPARE(trace.Take(), std::string("BeforeEdit;AfterEdit"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
  }

  void aReadOnlyBoxRefusesTypingButShowsWhatCodeSets() {
    TDBEdit* code = boxOn("Li_Chang_B", 30);
    code->setReadOnly(true);
    code->setFocus(Qt::OtherFocusReason);
    Type(code, QStringLiteral("1"));
    Commit(code, QStringLiteral("1"));
    QTest::keyClick(code, Qt::Key_Backspace);
    QCOMPARE(code->text(), QStringLiteral("0"));
    QCOMPARE(h->table.State(), dsBrowse);
    h->table.Edit();
    h->table.FieldByName("Li_Chang_B").SetAsString("1");
    QCOMPARE(code->text(), QStringLiteral("1"));
  }

  void clearingFromCodeMarksTheBoxUntilTheFieldIsCleared() {
    TDBEdit* code = boxOn("Li_Chang_B", 30);
    code->setReadOnly(true);
    h->table.Edit();
    code->Clear();
    QCOMPARE(code->text(), QString());
    QVERIFY(code->DataLink().IsModified());
    h->table.FieldByName("Li_Chang_B").Clear();
    QVERIFY(!code->DataLink().IsModified());
  }

  void aWriteBackErrorKeepsTheFocusAndTheEdit() {
    ErrorBoxes errors;
    h->table.FieldByName("CJ_Input").OnValidate = [](TField&, const std::string*) {
      framework::DatabaseError("Value refused");
    };
    focusAtEnd(edit);
    Type(edit, QStringLiteral("x"));
    h->elsewhere->setFocus(Qt::TabFocusReason);
    QCOMPARE(errors.texts, QStringList{QStringLiteral("Value refused.")});
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->selectedText(), QStringLiteral("天空的天x"));
    QCOMPARE(h->table.State(), dsEdit);
    QCOMPARE(FieldText(h->table, "CJ_Input"), QStringLiteral("天空的天"));
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestDBEdit test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_dbedit.moc"
