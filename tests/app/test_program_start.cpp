// The start-up sequence and its three failure paths: an exception in a
// handler while the loop runs, an exception in FormCreate, and an exception
// that ends the creation of the main form.
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <stdexcept>
#include <vector>

#include "app/Unit1.h"
#include "app/program_start.h"
#include "platform/gui/Application.h"
#include "platform/gui/error_display.h"
#include "tests/app/app_test_database.h"

namespace zen {
struct EDatabaseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
}  // namespace zen

namespace {

// Closes every window once the loop has started, so that runProgram returns.
void closeAllWindowsSoon() {
  QTimer::singleShot(0, [] { QApplication::closeAllWindows(); });
}

const QEvent::Type kFail = QEvent::Type(QEvent::User + 1);
const QEvent::Type kClose = QEvent::Type(QEvent::User + 2);

// A main window whose handler fails on every kFail event.
class FailingForm : public QWidget {
 public:
  int* failures = nullptr;

  bool event(QEvent* e) override {
    if (e->type() == kFail) {
      ++*failures;
      throw zen::EDatabaseError("OrvDaoTable1: Field 'B5_Hex' not found");
    }
    if (e->type() == kClose) return close();
    return QWidget::event(e);
  }
};

bool anyWindowVisible() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) return true;
  return false;
}

}  // namespace

class TestProgramStart : public QObject {
  Q_OBJECT

  std::vector<gui::MessageBoxRequest> boxes_;
  std::unique_ptr<gui::ScopedMessageBoxHook> hook_;

 private slots:
  void init() {
    boxes_.clear();
    gui::setApplicationTitle(QString());
    hook_ = std::make_unique<gui::ScopedMessageBoxHook>(
        [this](const gui::MessageBoxRequest& r) { boxes_.push_back(r); });
  }
  void cleanup() { hook_.reset(); }

  void normalRunShowsTheFormAndEndsWithTheLoop() {
    bool shown = false;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TForm1*>(w) && w->isVisible()) shown = true;
      QApplication::closeAllWindows();
    });
    QCOMPARE(runProgram(), 0);
    QVERIFY(shown);
    QCOMPARE(gui::applicationTitle(), QStringLiteral("Zenmora１．０版"));
    QVERIFY(boxes_.empty());
  }

  void handlerExceptionIsShownAndTheLoopGoesOn() {
    // Each event is one turn of the loop; the last one closes the window.
    int failures = 0;
    const MainFormFactory factory = [&failures] {
      auto form = std::make_unique<FailingForm>();
      form->failures = &failures;
      for (QEvent::Type type : {kFail, kFail, kClose}) QCoreApplication::postEvent(form.get(), new QEvent(type));
      return form;
    };
    QCOMPARE(runProgram(factory), 0);
    QCOMPARE(failures, 2);
    QCOMPARE(boxes_.size(), std::size_t(2));
    QCOMPARE(boxes_[0].caption, QStringLiteral("Zenmora１．０版"));
    QCOMPARE(boxes_[0].text, QStringLiteral("OrvDaoTable1: Field 'B5_Hex' not found."));
    QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
  }

  void formCreateExceptionIsShownAndTheWindowStillOpens() {
    bool shown = false;
    bool checked = true;
    const MainFormFactory factory = [] {
      TForm1Options options;
      options.probe = [](TForm1& form, CreationStep step) {
        if (step == CreationStep::LayoutLoaded) form.CheckBox1->setChecked(true);
        if (step == CreationStep::FormCreate) throw std::runtime_error("狀態列無法更新");
      };
      return std::make_unique<TForm1>(nullptr, options);
    };
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<TForm1*>(w)) {
          shown = form->isVisible();
          checked = form->CheckBox1->isChecked();
        }
      }
      QApplication::closeAllWindows();
    });
    QCOMPARE(runProgram(factory), 0);
    QCOMPARE(boxes_.size(), std::size_t(1));
    QCOMPARE(boxes_[0].caption, QStringLiteral("Zenmora１．０版"));
    QCOMPARE(boxes_[0].text, QStringLiteral("狀態列無法更新."));
    QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
    QVERIFY(shown);
    QVERIFY(!checked);
  }

  void failedCreationShowsApplicationErrorAndExitsWithOne_data() {
    QTest::addColumn<int>("failingStep");
    QTest::newRow("while the layout loads") << int(CreationStep::LayoutLoaded);
    QTest::newRow("while the tables open") << int(CreationStep::TablesOpened);
  }

  void failedCreationShowsApplicationErrorAndExitsWithOne() {
    QFETCH(int, failingStep);
    const MainFormFactory factory = [failingStep] {
      TForm1Options options;
      options.probe = [failingStep](TForm1&, CreationStep step) {
        if (int(step) == failingStep)
          throw zen::EDatabaseError("OrvDaoDatabase1.Connected: Could not find file Lexora_Concept.mdb");
      };
      return std::make_unique<TForm1>(nullptr, options);
    };
    closeAllWindowsSoon();  // would only matter if the loop ran by mistake
    QCOMPARE(runProgram(factory), 1);
    QVERIFY(!anyWindowVisible());
    QCOMPARE(boxes_.size(), std::size_t(1));
    QCOMPARE(boxes_[0].caption, QStringLiteral("Application Error"));
    QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QRegularExpression expected(
        QStringLiteral("^Exception EDatabaseError in module %1 at [0-9A-F]{8}\\.\n"
                       "OrvDaoDatabase1\\.Connected: Could not find file Lexora_Concept\\.mdb\\.$")
            .arg(QRegularExpression::escape(module)));
    QVERIFY2(expected.match(boxes_[0].text).hasMatch(), qPrintable(boxes_[0].text));
    QCoreApplication::processEvents();  // let the pending close run
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  const AppTestDatabase database;  // the form connects to it while it loads
  TestProgramStart test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_program_start.moc"
