// TDBNavigator over the main table: which buttons apply, what they do, the
// delete confirmation, errors, and the repeat of a held button.
#include <QTest>
#include <QToolButton>

#include <memory>

#include "app/controls/TDBEdit.h"
#include "app/controls/TDBNavigator.h"
#include "platform/gui/Application.h"
#include "platform/gui/confirmation.h"
#include "tests/app/controls/ControlTests.h"

using namespace controls_test;

namespace {

// A clock ticked by hand; it writes what the navigator asks of it.
class ManualRepeatTimer : public controls::RepeatTimer {
 public:
  explicit ManualRepeatTimer(Trace& trace) : trace_(trace) {}
  void start(int milliseconds) override {
    running_ = true;
    trace_.Add("start(" + std::to_string(milliseconds) + ")");
  }
  void stop() override {
    running_ = false;
    trace_.Add("stop");
  }
  void tick() {
    QVERIFY(running_);
    running_ = false;
    onTimeout();
  }
  bool running() const noexcept { return running_; }

 private:
  Trace& trace_;
  bool running_ = false;
};

}  // namespace

class TestDBNavigator : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Harness> h;
  TDBNavigator* nav = nullptr;
  Trace trace;

  void build(const std::vector<std::vector<std::string>>& rows) {
    h = std::make_unique<Harness>(rows);
    nav = new TDBNavigator(&h->window);
    nav->setGeometry(0, 100, 232, 24);
    nav->setDataSource(&h->source);
    h->table.Open();
    RecordEvents(h->table, trace);
  }

  // The enabled buttons, first to cancel, as F P N L I D S C or "-".
  QString enabled() const {
    static constexpr char kLetters[] = "FPNLIDSC";
    QString mask;
    for (int i = 0; i < TDBNavigator::kButtonCount; ++i)
      mask += QLatin1Char(nav->button(TDBNavigator::NavigateButton(i))->isEnabled() ? kLetters[i] : '-');
    return mask;
  }

  void click(TDBNavigator::NavigateButton which) { QTest::mouseClick(nav->button(which), Qt::LeftButton); }

 private slots:
  void init() {
    build(ThreeCharacters());
    QVERIFY(h->Show());
    trace.Take();
  }

  void cleanup() {
    h.reset();
    trace.Take();
  }

  void theButtonsFollowPositionStateAndDataset() {
    QCOMPARE(enabled(), QStringLiteral("--NLID--"));
    click(TDBNavigator::nbNext);
    QCOMPARE(enabled(), QStringLiteral("FPNLID--"));
    click(TDBNavigator::nbLast);
    QCOMPARE(enabled(), QStringLiteral("FP--ID--"));
    h->table.Edit();
    QCOMPARE(enabled(), QStringLiteral("FP--IDSC"));
    click(TDBNavigator::nbCancel);
    // The cancel re-reads the record, which no longer knows it is the last.
    QCOMPARE(enabled(), QStringLiteral("FPNLID--"));
    click(TDBNavigator::nbFirst);
    QCOMPARE(enabled(), QStringLiteral("--NLID--"));
    h->table.Close();
    QCOMPARE(enabled(), QStringLiteral("--------"));
    h->table.SetReadOnly(true);
    h->table.Open();
    QCOMPARE(enabled(), QStringLiteral("--NL----"));
  }

  void aNextThatFindsTheEndDisablesNextAndLast() {
    h->table.SetRecNo(3);
    QCOMPARE(enabled(), QStringLiteral("FPNLID--"));
    click(TDBNavigator::nbNext);
    QCOMPARE(h->table.RecNo(), 3);
    QCOMPARE(enabled(), QStringLiteral("FP--ID--"));
  }

  void onAnEmptyTableOnlyInsertApplies() {
    build({});
    QCOMPARE(enabled(), QStringLiteral("----I---"));
    click(TDBNavigator::nbInsert);
    QCOMPARE(h->table.State(), dsInsert);
    QCOMPARE(enabled(), QStringLiteral("FPNLIDSC"));
    click(TDBNavigator::nbCancel);
    QCOMPARE(enabled(), QStringLiteral("----I---"));
  }

  void deleteAnsweredWithCancelKeepsTheRecord() {
    QStringList asked;
    bool answer = false;
    gui::ScopedConfirmationHook hook([&](const gui::ConfirmationRequest& request) {
      asked << request.caption + QStringLiteral(": ") + request.text;
      return answer;
    });
    h->table.Next();
    trace.Take();
    click(TDBNavigator::nbDelete);
    QCOMPARE(asked, QStringList{QStringLiteral("Confirm: Delete record?")});
    QCOMPARE(h->table.RecordCount(), 3);
    QCOMPARE(h->table.RecNo(), 2);
    QCOMPARE(trace.Take(), std::string());
    answer = true;
    click(TDBNavigator::nbDelete);
    QCOMPARE(trace.Take(), std::string("AfterDelete;AfterScroll"));
    QCOMPARE(h->table.RecordCount(), 2);
    QCOMPARE(FieldText(h->table, "B5_Word"), QStringLiteral("人"));
  }

  void movingWithAPendingChangePostsItAndLeavesTheFocus() {
    TDBEdit edit(&h->window);
    edit.setGeometry(0, 0, 200, 24);
    edit.setDataField("CJ_Input");
    edit.setDataSource(&h->source);
    edit.show();
    edit.setFocus(Qt::OtherFocusReason);
    edit.end(false);
    Type(&edit, QStringLiteral("!"));
    trace.Take();
    click(TDBNavigator::nbNext);
    QCOMPARE(trace.Take(), std::string("BeforePost;AfterPost;AfterScroll"));
    QCOMPARE(Stored(h->table, 0, "CJ_Input"), QStringLiteral("天空的天!"));
    QVERIFY(edit.hasFocus());
  }

  void anErrorOfAnActionGoesToTheErrorBoxAndTheStateStays() {
    ErrorBoxes errors;
    h->table.failPost = "Write conflict";
    h->table.Edit();
    click(TDBNavigator::nbPost);
    QCOMPARE(errors.texts, QStringList{QStringLiteral("Write conflict.")});
    QCOMPARE(h->table.State(), dsEdit);
    QCOMPARE(enabled(), QStringLiteral("--NLIDSC"));
  }

  void holdingNextRepeatsAfter400ThenEvery100AndOnceMoreAtRelease() {
    build(std::vector<std::vector<std::string>>(6, MainRow({{"B5_Word", "字"}})));
    QVERIFY(h->Show());
    auto* clock = new ManualRepeatTimer(trace);
    nav->setRepeatTimer(std::unique_ptr<controls::RepeatTimer>(clock));
    trace.Take();

    QToolButton* next = nav->button(TDBNavigator::nbNext);
    QTest::mousePress(next, Qt::LeftButton);
    QCOMPARE(trace.Take(), std::string("start(400)"));  // a press alone does not move
    clock->tick();
    clock->tick();
    QCOMPARE(trace.Take(), std::string("AfterScroll;start(100);AfterScroll;start(100)"));
    QTest::mouseRelease(next, Qt::LeftButton);
    QCOMPARE(trace.Take(), std::string("stop;AfterScroll"));
    QCOMPARE(h->table.RecNo(), 4);
    QVERIFY(!clock->running());
  }

  void aShortClickMovesOnceAtTheRelease() {
    auto* clock = new ManualRepeatTimer(trace);
    nav->setRepeatTimer(std::unique_ptr<controls::RepeatTimer>(clock));
    trace.Take();
    click(TDBNavigator::nbNext);
    QCOMPARE(trace.Take(), std::string("start(400);stop;AfterScroll"));
    QCOMPARE(h->table.RecNo(), 2);
  }

  void theRepeatEndsWhenTheEndDisablesTheButton() {
    auto* clock = new ManualRepeatTimer(trace);
    nav->setRepeatTimer(std::unique_ptr<controls::RepeatTimer>(clock));
    trace.Take();
    QToolButton* next = nav->button(TDBNavigator::nbNext);
    QTest::mousePress(next, Qt::LeftButton);
    clock->tick();  // to record 2
    clock->tick();  // to record 3
    clock->tick();  // finds the end: next is disabled, which releases it
    QCOMPARE(trace.Take(), std::string("start(400);AfterScroll;start(100);AfterScroll;start(100);AfterScroll;stop"));
    QVERIFY(!clock->running());
    QVERIFY(!next->isEnabled());
    QCOMPARE(h->table.RecNo(), 3);
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestDBNavigator test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_dbnavigator.moc"
