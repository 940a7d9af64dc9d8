// What input methods hand over: late copies of a composition, text for a box
// the user has left, and control characters (a TAB pressed while composing).
#include <QTest>

#include <memory>

#include "app/controls/LateCommitRule.h"
#include "app/controls/TDBEdit.h"
#include "app/controls/TDBMemo.h"
#include "platform/gui/Application.h"
#include "tests/app/controls/ControlTests.h"

using namespace controls_test;
using controls::LateCommitRule;

namespace {

constexpr std::int64_t kWindow = LateCommitRule::kEchoWindowMs;
const QString kWo = QStringLiteral("我");
const QString kZi = QStringLiteral("字");

// Shows `text` in composition and ends it by committing it, at time `at`.
void composeAndCommit(LateCommitRule& rule, const QString& text, std::int64_t at) {
  QVERIFY(rule.admit({}, text, at));
  QVERIFY(rule.admit(text, {}, at));
}

}  // namespace

class TestInputCommits : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Harness> h;
  TDBEdit* edit = nullptr;  // as DBEdit6, on CJ_Input
  TDBMemo* memo = nullptr;  // as DBMemo1, on Note

 private slots:
  // ---- the rule itself ----------------------------------------------------

  void theSameTextAgainAfterACompositionEndedIsACopy() {
    LateCommitRule rule;
    composeAndCommit(rule, kWo, 1000);
    QVERIFY(!rule.admit(kWo, {}, 1010));
    // An input method answering both the reset and the focus leaving sends
    // two copies; neither gets through.
    QVERIFY(!rule.admit(kWo, {}, 1000 + kWindow));
    // Later than the window it is input again.
    QVERIFY(rule.admit(kWo, {}, 1001 + kWindow));
  }

  void aCopyMayCarryTheTabThatEndedTheComposition() {
    LateCommitRule rule;
    QVERIFY(rule.admit({}, kWo, 0));
    QVERIFY(rule.admit(kWo + QLatin1Char('\t'), {}, 0));
    QCOMPARE(rule.watched(), kWo);
    QVERIFY(!rule.admit(kWo, {}, 5));
  }

  void aDroppedCompositionIsWatchedButOneTheInputMethodClearsIsNot() {
    // A cancel drops the composition and resets the input method, which
    // may then commit the text it had.
    LateCommitRule rule;
    QVERIFY(rule.admit({}, QStringLiteral("手"), 0));
    QVERIFY(rule.admit({}, kWo, 1));
    rule.dropped(kWo, 2);
    QVERIFY(rule.admit({}, {}, 2));
    QVERIFY(!rule.admit(kWo, {}, 3));
    // ibus clears what it shows before it commits it: that commit is the
    // user's own.
    QVERIFY(rule.admit({}, kZi, 10));
    QVERIFY(rule.admit({}, {}, 11));
    QVERIFY(rule.admit(kZi, {}, 11));
    QVERIFY(rule.admit(kZi + QLatin1Char('\t'), {}, 12));
  }

  void otherTextNewCompositionsAndKeysEndTheWatch() {
    LateCommitRule rule;
    composeAndCommit(rule, kWo, 0);
    QVERIFY(rule.admit(kZi, {}, 1));  // different text: input
    QVERIFY(rule.admit(kWo, {}, 2));  // and the watch is over
    QCOMPARE(rule.watched(), QString());

    composeAndCommit(rule, kWo, 10);
    QVERIFY(rule.admit({}, QStringLiteral("竹"), 11));  // a new composition
    QVERIFY(rule.admit(kWo, {}, 12));

    composeAndCommit(rule, kWo, 20);
    rule.keyTyped();
    QVERIFY(rule.admit(kWo, {}, 21));
  }

  void commitsWithoutACompositionAreNeverCopies() {
    // Punctuation and the like come as commits without a composition: the
    // same one twice is typed twice.
    LateCommitRule rule;
    const QString comma = QStringLiteral("，");
    QVERIFY(rule.admit(comma, {}, 0));
    QVERIFY(rule.admit(comma, {}, 1));
    QVERIFY(rule.admit(comma, {}, 2));
  }

  void controlCharactersAreLeftOut() {
    QCOMPARE(controls::withoutControlCharacters(QStringLiteral("一\r\n二\t三\x7f四")), QStringLiteral("一二三四"));
    const auto line = controls::inputMethodText(QStringLiteral("一\r\n二"), false);
    QCOMPARE(line.text, QStringLiteral("一二"));
    QVERIFY(!line.tabPressed);
    const auto tab = controls::inputMethodText(QStringLiteral("我\t字"), false);
    QCOMPARE(tab.text, kWo);
    QVERIFY(tab.tabPressed);
    QCOMPARE(controls::inputMethodText(QStringLiteral("一\r\n二"), true).text, QStringLiteral("一\n二"));
    QCOMPARE(controls::inputMethodText(QStringLiteral("我\n\t"), true).text, kWo);
  }

  // ---- the boxes, with the guard installed ---------------------------------

  void init() {
    h = std::make_unique<Harness>();
    edit = new TDBEdit(&h->window);
    edit->setGeometry(0, 0, 200, 24);
    edit->setDataField("CJ_Input");
    edit->setDataSource(&h->source);
    memo = new TDBMemo(&h->window);
    memo->setGeometry(0, 30, 200, 80);
    memo->setDataField("Note");
    memo->setDataSource(&h->source);
    h->elsewhere->setGeometry(0, 120, 100, 24);
    h->table.Open();
    QVERIFY(h->Show());
    edit->setFocus(Qt::OtherFocusReason);
    edit->end(false);
  }

  void cleanup() { h.reset(); }

  void aCopyAfterAPostEditsNothing() {
    Compose(edit, kWo);
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天我"));
    Commit(edit, kWo);
    QCOMPARE(h->table.State(), dsBrowse);
    QCOMPARE(edit->text(), QStringLiteral("天空的天我"));
  }

  void aCopyAfterAMoveReachesNoOtherRecord() {
    Compose(edit, kZi);
    h->table.Next();
    Commit(edit, kZi);
    QCOMPARE(h->table.State(), dsBrowse);
    QCOMPARE(edit->text(), QStringLiteral("大地"));
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天字"));
    QCOMPARE(Stored(h->table, 1, "CJ_Input"), QStringLiteral("大地"));
  }

  void aCopyAfterACancelEditsNothing() {
    Compose(edit, kWo);
    h->table.Cancel();
    Commit(edit, kWo);
    QCOMPARE(h->table.State(), dsBrowse);
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
  }

  void aCopyAfterTheFocusMovedReachesNoOtherBox() {
    Compose(edit, kZi);
    memo->setFocus(Qt::MouseFocusReason);
    Commit(memo, kZi);
    QCOMPARE(FieldText(h->table, "CJ_Input"), QStringLiteral("天空的天字"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
    QVERIFY(!memo->DataLink().IsModified());
  }

  void differentTextAfterACompositionIsTyped() {
    Compose(edit, kWo);
    Commit(edit, kWo);
    Commit(edit, kZi);
    QCOMPARE(edit->text(), QStringLiteral("天空的天我字"));
  }

  void textForABoxWithoutTheFocusEditsNothing() {
    h->elsewhere->setFocus(Qt::TabFocusReason);
    Commit(edit, kZi);
    Commit(memo, kZi);
    QCOMPARE(h->table.State(), dsBrowse);
    QCOMPARE(edit->text(), QStringLiteral("天空的天"));
    QCOMPARE(memo->toPlainText(), QStringLiteral("第一行\n第二行"));
  }

  void aTabFromTheInputMethodMovesOnAndIsNotStored() {
    QWidget::setTabOrder(edit, memo);
    QWidget::setTabOrder(memo, h->elsewhere);
    Compose(edit, kWo);
    Commit(edit, kWo + QLatin1Char('\t'));
    QCOMPARE(edit->text(), QStringLiteral("天空的天我"));
    QVERIFY(memo->hasFocus());
    QCOMPARE(FieldText(h->table, "CJ_Input"), QStringLiteral("天空的天我"));

    memo->moveCursor(QTextCursor::End);
    Compose(memo, kZi);
    Commit(memo, kZi + QStringLiteral("\t"));
    QVERIFY(h->elsewhere->hasFocus());
    h->table.Post();
    QCOMPARE(Stored(h->table, 0, "Note"), QStringLiteral("第一行\r\n第二行字"));
  }

  void lineBreaksFromTheInputMethodStayOutOfAOneLineBox() {
    Commit(edit, QStringLiteral("一\r\n二\x01"));
    QCOMPARE(edit->text(), QStringLiteral("天空的天一二"));
    QVERIFY(edit->hasFocus());
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestInputCommits test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_input_commits.moc"
