#include <QApplication>
#include <QLineEdit>
#include <QtTest>

#include <memory>

#include "app/search/search_boxes.h"
#include "framework/TField.h"
#include "platform/big5/big5.h"
#include "tests/framework/MemoryDataSet.h"

using framework::testing::MemoryColumn;
using framework::testing::MemoryDataSet;

class SearchBoxesTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> window;
  QLineEdit* edit1 = nullptr;
  QLineEdit* edit2 = nullptr;
  std::unique_ptr<MemoryDataSet> table;
  int scrolls = 0;
  QString lastError;

  // A table of `count` records; record n holds the hex "R" + n, and the
  // records 10, 11 and 12 hold characters whose hex share a prefix.
  void makeTable(int count) {
    std::vector<std::vector<std::string>> rows;
    for (int n = 1; n <= count; ++n) rows.push_back({"R" + std::to_string(n)});
    if (count >= 12) {
      rows[9][0] = "A4A4";   // 中
      rows[10][0] = "A4A440";
      rows[11][0] = "6162";  // ab
    }
    table = std::make_unique<MemoryDataSet>("OrvDaoTable1", std::vector<MemoryColumn>{MemoryColumn("B5_Hex", framework::ftString, 32)}, rows);
    table->AfterScroll = [this](framework::TDataSet&) { ++scrolls; };
    table->Open();
    scrolls = 0;
    window = std::make_unique<QWidget>();
    edit1 = new QLineEdit(window.get());
    edit2 = new QLineEdit(window.get());
    new search::SearchBoxEvents({*edit1, *edit2, *table}, [this](const std::function<void()>& handler) {
      try {
        handler();
      } catch (const std::exception& e) {
        lastError = QString::fromUtf8(e.what());
      }
    });
    window->show();
  }

  void enterNumber(const QString& text) {
    edit2->setFocus();
    edit2->setText(text);
    QTest::keyClick(edit2, Qt::Key_Return);
  }

 private slots:
  void init() { lastError.clear(); }

  void oneAsciiLetterSearchesNothingTwoSearchTheirHex() {
    makeTable(20);
    edit2->setText("5");
    edit1->setFocus();
    QTest::keyClicks(edit1, "a");
    QCOMPARE(table->RecNo(), 1);
    QCOMPARE(edit2->text(), QStringLiteral("5"));  // nothing searched, nothing emptied
    QTest::keyClicks(edit1, "b");
    QCOMPARE(table->RecNo(), 12);
    QCOMPARE(edit1->selectedText(), QStringLiteral("ab"));
    QCOMPARE(edit2->text(), QString());
  }

  void aCharacterFindsTheFirstRecordWithItsPrefixWhateverTheCase() {
    makeTable(20);
    edit1->setText(QStringLiteral("中"));
    QCOMPARE(table->RecNo(), 10);  // A4A4 before A4A440
    QCOMPARE(edit1->selectedText(), QStringLiteral("中"));
    QVERIFY(edit1->hasFocus() || !QApplication::focusWindow());
  }

  void noMatchMovesNothingAndFiresNoScroll() {
    makeTable(20);
    table->SetRecNo(5);
    scrolls = 0;
    edit1->setText(QStringLiteral("國"));
    QCOMPARE(table->RecNo(), 5);
    QCOMPARE(scrolls, 0);
  }

  void jumpBoxRules_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("boxAfter");
    QTest::newRow("empty") << QString() << 1 << QString();
    QTest::newRow("37") << "37" << 37 << "37";
    QTest::newRow("beyond") << "150" << 100 << "100";
    QTest::newRow("zero") << "0" << 1 << "0";
    QTest::newRow("zero-led beyond") << "0150" << 1 << "0150";
    QTest::newRow("zero-led") << "007" << 7 << "007";
    QTest::newRow("beyond 32 bits") << "99999999999" << 100 << "100";
    QTest::newRow("pasted hex") << "$10" << 16 << "$10";
    QTest::newRow("pasted junk") << "12ab" << 100 << "100";
  }

  void jumpBoxRules() {
    QFETCH(QString, typed);
    QFETCH(int, record);
    QFETCH(QString, boxAfter);
    makeTable(100);
    table->SetRecNo(50);
    enterNumber(typed);
    QCOMPARE(table->RecNo(), record);
    QCOMPARE(edit2->text(), boxAfter);
    QCOMPARE(edit2->cursorPosition(), static_cast<int>(edit2->text().size()));
    QVERIFY(lastError.isEmpty());
  }

  void jumpBoxLetsOnlyDigitsAndBackspaceInButEveryKeyEmptiesTheSearchBox() {
    makeTable(100);
    edit2->setFocus();
    edit1->setText(QStringLiteral("x"));
    QTest::keyClicks(edit2, "1a-2 ");
    QCOMPARE(edit2->text(), QStringLiteral("12"));
    QCOMPARE(edit1->text(), QString());
    edit1->setText(QStringLiteral("x"));
    QTest::keyClick(edit2, Qt::Key_Backspace);
    QCOMPARE(edit2->text(), QStringLiteral("1"));
    QCOMPARE(edit1->text(), QString());
    QTest::keyClick(edit2, Qt::Key_Escape);
    QCOMPARE(edit2->text(), QStringLiteral("1"));
  }

  void inputMethodTextIsFilteredLikeTyping() {
    makeTable(100);
    edit2->setFocus();
    QInputMethodEvent letters;
    letters.setCommitString(QStringLiteral("三"));
    QApplication::sendEvent(edit2, &letters);
    QCOMPARE(edit2->text(), QString());
    QInputMethodEvent digits;
    digits.setCommitString(QStringLiteral("42"));
    QApplication::sendEvent(edit2, &digits);
    QCOMPARE(edit2->text(), QStringLiteral("42"));
  }

  void emptyTableJumpReportsTheError() {
    makeTable(0);
    enterNumber(QString());
    QVERIFY(!lastError.isEmpty());
  }
};

QTEST_MAIN(SearchBoxesTest)
#include "test_search_boxes.moc"
