// The application object's exception route, the error boxes and the font
// mapping, on the offscreen platform.
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <stdexcept>
#include <vector>

#include "platform/gui/Application.h"
#include "platform/sysutils/EAbort.h"
#include "platform/gui/error_display.h"
#include "platform/gui/font_map.h"

namespace zen {
struct EDatabaseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};
}  // namespace zen

namespace {

const QEvent::Type kThrow = QEvent::Type(QEvent::User + 1);
const QEvent::Type kAbort = QEvent::Type(QEvent::User + 2);
const QEvent::Type kThrowInt = QEvent::Type(QEvent::User + 3);
const QEvent::Type kCount = QEvent::Type(QEvent::User + 4);

// A receiver whose event handler fails in the ways a handler can.
class Receiver : public QObject {
 public:
  int handled = 0;

  bool event(QEvent* e) override {
    if (e->type() == kThrow) throw zen::EDatabaseError("OrvDaoTable1: Record not found");
    if (e->type() == kAbort) throw EAbort();
    if (e->type() == kThrowInt) throw 42;
    if (e->type() == kCount) {
      ++handled;
      return true;
    }
    return QObject::event(e);
  }
};

}  // namespace

class TestErrorDisplay : public QObject {
  Q_OBJECT

  std::vector<gui::MessageBoxRequest> boxes_;
  std::unique_ptr<gui::ScopedMessageBoxHook> hook_;

 private slots:
  void init() {
    boxes_.clear();
    gui::setApplicationTitle(QStringLiteral("Zenmora１．０版"));
    hook_ = std::make_unique<gui::ScopedMessageBoxHook>(
        [this](const gui::MessageBoxRequest& r) { boxes_.push_back(r); });
  }
  void cleanup() { hook_.reset(); }

  void handlerExceptionIsShownAbortIsSilentAndTheLoopGoesOn() {
    Receiver receiver;
    for (QEvent::Type type : {kThrow, kAbort, kCount})
      QCoreApplication::postEvent(&receiver, new QEvent(type));
    QCoreApplication::sendPostedEvents(&receiver);
    QCOMPARE(boxes_.size(), std::size_t(1));  // the abort is silent
    QCOMPARE(boxes_[0].caption, QStringLiteral("Zenmora１．０版"));
    QCOMPARE(boxes_[0].text, QStringLiteral("OrvDaoTable1: Record not found."));
    QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
    QCOMPARE(receiver.handled, 1);
  }

  void exceptionOfAnyTypeIsShown() {
    Receiver receiver;
    QEvent e(kThrowInt);
    QCoreApplication::sendEvent(&receiver, &e);
    QCOMPARE(boxes_.size(), std::size_t(1));
    QCOMPARE(boxes_[0].text, QStringLiteral("Exception int."));
  }

  void guardedSlotShowsItsExceptionsAndKeepsWorking() {
    struct Handler {
      int calls = 0;
      void Button1Click(bool) {
        if (++calls == 2) throw EAbort();
        throw std::runtime_error("清除失敗");
      }
    } handler;
    QPushButton button(QStringLiteral("x"));
    QObject::connect(&button, &QPushButton::clicked, gui::guarded(&handler, &Handler::Button1Click));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);  // silent abort
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(handler.calls, 3);
    QCOMPARE(boxes_.size(), std::size_t(2));
    QCOMPARE(boxes_[0].text, QStringLiteral("清除失敗."));
    QCOMPARE(boxes_[0].caption, QStringLiteral("Zenmora１．０版"));
  }

  void startupFailureNamesClassModuleAndAddress() {
    gui::showStartupFailure(std::make_exception_ptr(zen::EDatabaseError("Could not find file")),
                            QStringLiteral("zenmora"));
    QCOMPARE(boxes_.size(), std::size_t(1));
    QCOMPARE(boxes_[0].caption, QStringLiteral("Application Error"));
    QCOMPARE(boxes_[0].icon, QMessageBox::Critical);
    const QRegularExpression expected(
        QStringLiteral("^Exception EDatabaseError in module zenmora at [0-9A-F]{8}\\.\nCould not find file\\.$"));
    QVERIFY2(expected.match(boxes_[0].text).hasMatch(), qPrintable(boxes_[0].text));
  }

  void layoutFamiliesResolveToChineseFonts_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("fixedPitch");
    QTest::newRow("Courier New") << QString::fromLatin1(gui::kCourierNew) << true;
    QTest::newRow("System") << QString::fromLatin1(gui::kSystem) << true;
    QTest::newRow("MS Sans Serif") << QString::fromLatin1(gui::kMsSansSerif) << false;
  }

  void layoutFamiliesResolveToChineseFonts() {
    QFETCH(QString, family);
    QFETCH(bool, fixedPitch);
    const QFont font = gui::layoutFont(family, 13, fixedPitch);
    QCOMPARE(font.family(), family);
    const QFontInfo info(font);
    QVERIFY2(gui::substitutesFor(family).contains(info.family()), qPrintable(info.family()));
    QCOMPARE(info.pixelSize(), 13);
    const QFontMetrics metrics(font);
    if (fixedPitch) {
      // Character cells: every ASCII character one cell, a Chinese one two.
      const QFontMetricsF cells(font);
      const qreal cell = cells.horizontalAdvance(QLatin1Char('W'));
      QCOMPARE(cells.horizontalAdvance(QLatin1Char('i')), cell);
      QCOMPARE(cells.horizontalAdvance(QStringLiteral("國")), 2 * cell);
    }
    for (QChar c : QStringLiteral("歸納練習概念對分類字首五代倉碼觀匯出剪貼筆資料庫全空禪"))
      QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestErrorDisplay test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_error_display.moc"
