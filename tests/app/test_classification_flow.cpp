// A character classified end to end through the form: the five lists chosen
// with the keyboard as a user would, posted with the navigator, read back
// from the file; then exported to the clipboard.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QToolButton>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

#include "app/Unit1.h"
#include "data/TOrvDaoTable.h"
#include "framework/TField.h"
#include "platform/big5/big5.h"
#include "platform/gui/beep.h"
#include "platform/gui/clipboard.h"
#include "tests/app/app_test_database.h"

namespace {

// Reads one column of the first record straight from the file.
std::string storedValue(const std::string& path, const char* column) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> guard(db, sqlite3_close);
  const std::string sql = std::string("SELECT \"") + column + "\" FROM \"0_Data_Input\" ORDER BY ID LIMIT 1";
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return "<error>";
  std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statementGuard(statement, sqlite3_finalize);
  if (sqlite3_step(statement) != SQLITE_ROW) return "<no row>";
  const auto* text = sqlite3_column_text(statement, 0);
  return text ? reinterpret_cast<const char*>(text) : "<null>";
}

std::string field(TForm1& form, const char* name) {
  return big5::toUtf8(form.OrvDaoTable1->FieldByName(name).AsString());
}

// Chooses the item at `index` of a closed list with the arrow keys, the way
// a keyboard user does: each step is a choice of its own.
void choose(TDBComboBox* list, int index) {
  list->setFocus();
  for (int step = 0; step < 20 && list->currentIndex() != index; ++step)
    QTest::keyClick(list, list->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
  QCOMPARE(list->currentIndex(), index);
}

}  // namespace

class ClassificationFlowTest : public QObject {
  Q_OBJECT

 private slots:
  void classifyPostAndExport() {
    AppTestDatabase database(3);
    TForm1 form(nullptr, TForm1Options{96, {}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    choose(form.DBComboBox1, 1);  // 主觀
    QCOMPARE(form.OrvDaoTable1->State(), framework::dsEdit);
    QCOMPARE(form.DBComboBox2->count(), 2);
    choose(form.DBComboBox2, 1);  // 行為: leaving list 1 stored its name
    QCOMPARE(field(form, "Li_Chang"), std::string("主觀"));
    choose(form.DBComboBox3, 1);  // 經驗
    choose(form.DBComboBox4, 3);  // 控制
    choose(form.DBComboBox5, 7);  // 殺戮
    QCOMPARE(form.DBComboBox5->currentText(), QStringLiteral("殺戮"));

    QTest::mouseClick(form.DBNavigator1->button(TDBNavigator::nbPost), Qt::LeftButton);
    QCOMPARE(form.OrvDaoTable1->State(), framework::dsBrowse);
    const char* expected[][2] = {{"Li_Chang", "主觀"}, {"Li_Chang_B", "1"},      {"Xian_Xiang", "行為"},
                                 {"Xian_Xiang_B", "1"}, {"Ren_Zhi", "經驗"},     {"Ren_Zhi_B", "1"},
                                 {"Si_Bei", "控制"},     {"Si_Bei_B", "11"},      {"Gai_Nian", "殺戮"},
                                 {"8_XI_B", "111"},      {"Gai_Nian_Hex", "0FFH"}};
    for (const auto& [column, value] : expected) QCOMPARE(storedValue(database.path(), column), std::string(value));
    QCOMPARE(form.DBEdit7->text(), QStringLiteral("0FFH"));
    QCOMPARE(form.DBEdit9->text(), QStringLiteral("殺戮"));

    form.CheckBox1->setChecked(true);
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QCOMPARE(data->text(),
             QStringLiteral("選字　立場觀　現象族　認知類　四別屬　八種細目　基本概念　倉頡碼　基　因　定　義\r\n"
                            "　一　1 主觀　1 行為　1 經驗　11控制　111 殺戮　0FFH殺戮　m　　　 "));
    const QByteArray big5Bytes = data->data(QString::fromLatin1(gui::kBig5MimeType));
    QCOMPARE(big5::toUtf8(std::string(big5Bytes.constData(), static_cast<std::size_t>(big5Bytes.size()))),
             data->text().toStdString());
  }

  void filledListsWriteNothingUntilChosen() {
    AppTestDatabase database(2);
    TForm1 form(nullptr, TForm1Options{96, {}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    choose(form.DBComboBox1, 1);  // fills list 2
    QCOMPARE(form.DBComboBox2->count(), 2);
    QCOMPARE(form.DBComboBox2->currentText(), QString());
    QCOMPARE(form.DBComboBox2->currentIndex(), -1);
    choose(form.DBComboBox2, 1);
    choose(form.DBComboBox3, 1);
    choose(form.DBComboBox4, 3);  // fills list 5
    QCOMPARE(form.DBComboBox5->currentText(), QString());
    QCOMPARE(form.DBEdit9->text(), QString());
    QTest::mouseClick(form.DBNavigator1->button(TDBNavigator::nbPost), Qt::LeftButton);
    QCOMPARE(storedValue(database.path(), "Gai_Nian"), std::string("<null>"));
    QCOMPARE(storedValue(database.path(), "Gai_Nian_Hex"), std::string("<null>"));
    QCOMPARE(storedValue(database.path(), "Si_Bei"), std::string("控制"));
  }

  void choosingAStanceOnAnEmptyTableInsertsARecord() {
    AppTestDatabase database(0);
    TForm1 form(nullptr, TForm1Options{96, {}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    choose(form.DBComboBox1, 0);
    QCOMPARE(form.OrvDaoTable1->State(), framework::dsInsert);
    QCOMPARE(field(form, "Li_Chang_B"), std::string("0"));
    QCOMPARE(form.DBComboBox2->count(), 2);
  }

  void exportWithoutCodeBeepsAndKeepsTheClipboard() {
    AppTestDatabase database(1);
    TForm1 form(nullptr, TForm1Options{96, {}});
    form.OrvDaoTable1->Edit();
    form.OrvDaoTable1->FieldByName("CJ_Code").SetAsString("ABCDEF");
    QGuiApplication::clipboard()->setText(QStringLiteral("previous line"));
    int beeps = 0;
    {
      gui::ScopedBeepHook counting([&] { ++beeps; });
      QTest::mouseClick(form.Button1, Qt::LeftButton);
    }
    QCOMPARE(beeps, 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("previous line"));
  }
};

QTEST_MAIN(ClassificationFlowTest)
#include "test_classification_flow.moc"
