// The form's controls on their own: navigator, drop-down lists, labels.
#include <QAbstractItemView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app/controls/StdCtrls.h"
#include "app/controls/TDBComboBox.h"
#include "app/controls/TDBNavigator.h"
#include "app/controls/TDBText.h"
#include "platform/gui/Application.h"
#include "platform/gui/font_map.h"

namespace {

// Rows of the widget's picture that hold any dark pixel (text ink).
std::pair<int, int> inkRows(QWidget& w) {
  const QImage image = w.grab().toImage();
  int first = -1, last = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

}  // namespace

class TestControls : public QObject {
  Q_OBJECT

 private slots:
  void navigatorSplitsItsWidthIntoEightButtons() {
    QWidget parent;
    TDBNavigator nav(&parent);
    nav.setGeometry(232, 343, 232, 24);
    parent.show();  // resize events reach hidden widgets only when shown
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    for (int i = 0; i < TDBNavigator::kButtonCount; ++i)
      QCOMPARE(nav.button(TDBNavigator::NavigateButton(i))->geometry(), QRect(i * 29, 0, 29, 24));
    nav.resize(235, 24);  // leftover pixels are handed out, none lost
    QCOMPARE(nav.button(TDBNavigator::nbCancel)->geometry().right(), 234);
  }

  void navigatorReportsWhichButtonWasClicked() {
    QWidget parent;
    TDBNavigator nav(&parent);
    nav.setGeometry(0, 0, 232, 24);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QSignalSpy spy(&nav, &TDBNavigator::buttonClicked);
    nav.setButtonEnabled(TDBNavigator::nbPost, true);
    nav.setButtonEnabled(TDBNavigator::nbLast, true);
    QTest::mouseClick(nav.button(TDBNavigator::nbPost), Qt::LeftButton);
    QTest::mouseClick(nav.button(TDBNavigator::nbLast), Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).value<TDBNavigator::NavigateButton>(), TDBNavigator::nbPost);
    QCOMPARE(spy.at(1).at(0).value<TDBNavigator::NavigateButton>(), TDBNavigator::nbLast);
  }

  void listRowsHaveTheItemHeight() {
    QWidget parent;
    TDBComboBox box(&parent);
    box.setFont(gui::layoutFont(gui::kMsSansSerif, 13));
    box.addItems({QStringLiteral("客觀"), QStringLiteral("主觀")});
    QCOMPARE(box.view()->sizeHintForRow(1), 16);
    box.setItemHeight(21);
    QCOMPARE(box.view()->sizeHintForRow(1), 21);
  }

  void labelTextIsNotCutAtTheBottom_data() {
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("height");
    QTest::newRow("13 px in 16") << 13 << 16;
    QTest::newRow("17 px in 21") << 17 << 21;
  }

  void labelTextIsNotCutAtTheBottom() {
    // The substitute CJK face's line (19 px for 13 px text) is taller than
    // the layout's label; the ideographs must still fit inside the box.
    QFETCH(int, pixels);
    QFETCH(int, height);
    QWidget parent;
    TLabel label(QStringLiteral("搜索國"), &parent);
    TDBText text(&parent);
    text.setText(QStringLiteral("國"));
    for (QLabel* l : {static_cast<QLabel*>(&label), static_cast<QLabel*>(&text)}) {
      l->setFont(gui::layoutFont(gui::kCourierNew, pixels, true));
      l->setGeometry(0, 0, 64, height);
      const auto [first, last] = inkRows(*l);
      QVERIFY(first >= 0);
      QVERIFY2(first <= 1, qPrintable(QString::number(first)));
      QVERIFY2(last < height - 1, qPrintable(QString::number(last)));
    }
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestControls test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_controls.moc"
