// Start-up with data: the connection and the six tables as the form loads
// them, the status line, a table the file lacks, closing the window with an
// edit pending, the end of the form, and the whole program started where no
// database can be found.
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <filesystem>

#include "app/Unit1.h"
#include "app/program_start.h"
#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "framework/TDataSource.h"
#include "platform/automation/call_observer.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"
#include "platform/big5/big5.h"
#include "platform/gui/Application.h"
#include "platform/gui/error_display.h"
#include "tests/app/app_test_database.h"

namespace {

QString statusLine(const TForm1& form) { return form.Label2->text(); }

std::unique_ptr<TForm1> createForm() { return std::make_unique<TForm1>(nullptr, TForm1Options{96, {}}); }

// What another program sees in the file: one column of "0_Data_Input".
QStringList storedColumn(const std::string& path, const char* field) {
  automation::ScopedComInitialization com;
  const automation::ObjectRef engine = automation::createOleObject("DAO.DBEngine.36");
  const automation::ObjectRef database =
      engine->getObject("CreateWorkspace", {"Check", "Admin", "", 2})->getObject("OpenDatabase", {path});
  const automation::ObjectRef rows = database->getObject("OpenRecordset", {"0_Data_Input", 2, 0, 3});
  QStringList values;
  while (!rows->get("EOF").asBoolean()) {
    const automation::Variant value = rows->getObject("Fields", {field})->get("Value");
    values << (value.isNull() ? QString() : QString::fromStdString(value.asText()));
    rows->call("MoveNext");
  }
  database->call("Close");
  return values;
}

void changeStoredValue(const std::string& path, int row, const char* field, const char* value) {
  automation::ScopedComInitialization com;
  const automation::ObjectRef engine = automation::createOleObject("DAO.DBEngine.36");
  const automation::ObjectRef database =
      engine->getObject("CreateWorkspace", {"Other", "Admin", "", 2})->getObject("OpenDatabase", {path});
  const automation::ObjectRef rows = database->getObject("OpenRecordset", {"0_Data_Input", 2, 0, 3});
  rows->call("Move", {row});
  rows->call("Edit");
  rows->getObject("Fields", {field})->put("Value", value);
  rows->call("Update");
  database->call("Close");
}

}  // namespace

class TestStartupData : public QObject {
  Q_OBJECT

  std::vector<gui::MessageBoxRequest> boxes_;
  std::unique_ptr<gui::ScopedMessageBoxHook> hook_;

 private slots:
  void init() {
    boxes_.clear();
    gui::setApplicationTitle(QString::fromUtf8(kApplicationTitle));
    hook_ = std::make_unique<gui::ScopedMessageBoxHook>(
        [this](const gui::MessageBoxRequest& r) { boxes_.push_back(r); });
  }
  void cleanup() { hook_.reset(); }

  void connectsWhileLoadingThenOpensTheTablesInOrder() {
    AppTestDatabase database(3);
    automation::CallRecorder calls;
    auto form = createForm();
    QStringList opened;
    bool connectedFirst = false;
    for (const automation::RecordedCall& call : calls.calls()) {
      if (call.member == "OpenDatabase") connectedFirst = opened.isEmpty();
      if (call.member == "OpenRecordset") opened << QString::fromStdString(call.arguments.at(0).asText());
    }
    QVERIFY(connectedFirst);
    QCOMPARE(opened, QStringList({"0_Data_Input", "1_Li_Chang", "2_Xian_Xiang", "3_Ren_Zhi", "4_Si_Bei", "5_GN"}));
    QVERIFY(form->OrvDaoDatabase1->Connected());
    QCOMPARE(form->OrvDaoDatabase1->Database(), std::string("Lexora_Concept.mdb"));
    QCOMPARE(form->OrvDaoDatabase1->DatabaseVersionInfo(), std::string("3.0"));
    for (data::TOrvDaoTable* table : {form->OrvDaoTable1, form->OrvDaoTable2, form->OrvDaoTable3,
                                      form->OrvDaoTable4, form->OrvDaoTable5, form->OrvDaoTable6})
      QVERIFY2(table->Active(), table->Name().c_str());
    QCOMPARE(form->DataSource1->DataSet(), form->OrvDaoTable1);
    QCOMPARE(form->DataSource6->DataSet(), form->OrvDaoTable6);
    QCOMPARE(statusLine(*form), QStringLiteral("1 ∕ 3  筆資料"));
    QVERIFY(boxes_.empty());
  }

  void theStatusLineFollowsTheMainTable() {
    AppTestDatabase database(5);
    auto form = createForm();
    data::TOrvDaoTable& main = *form->OrvDaoTable1;
    main.Next();
    QCOMPARE(statusLine(*form), QStringLiteral("2 ∕ 5  筆資料"));
    main.SetRecNo(5);
    QCOMPARE(statusLine(*form), QStringLiteral("5 ∕ 5  筆資料"));
    main.SetRecNo(2);
    main.Insert();
    QCOMPARE(statusLine(*form), QStringLiteral("2 ∕ 5  筆資料"));
    main.FieldByName("B5_Word").SetAsString(big5::fromUtf8("新"));
    main.Post();
    QCOMPARE(statusLine(*form), QStringLiteral("2 ∕ 5  筆資料"));  // a post is no scroll
    // The posted row is current; inserting again recounts while the new row
    // has no place in the engine yet.
    main.Insert();
    QCOMPARE(statusLine(*form), QStringLiteral("6 ∕ 6  筆資料"));
    main.Cancel();
    QCOMPARE(statusLine(*form), QStringLiteral("6 ∕ 6  筆資料"));
    QCOMPARE(QString::fromStdString(big5::toUtf8(main.FieldByName("B5_Word").AsString())), QStringLiteral("新"));
    main.First();
    QCOMPARE(statusLine(*form), QStringLiteral("1 ∕ 6  筆資料"));
  }

  void anEmptyMainTableSaysSo() {
    AppTestDatabase database(0);
    auto form = createForm();
    QCOMPARE(statusLine(*form), QStringLiteral("資料庫全空"));
    QVERIFY(form->OrvDaoTable1->Active());
    QVERIFY(boxes_.empty());
  }

  void aTableTheFileLacksIsReportedAndTheFormStillOpens() {
    AppTestDatabase database(1, {"5_GN"});
    auto form = createForm();
    QCOMPARE(boxes_.size(), std::size_t(1));
    QCOMPARE(boxes_[0].caption, QStringLiteral("Zenmora１．０版"));
    QCOMPARE(boxes_[0].text, QStringLiteral("Cannot find table or query '5_GN'."));
    QVERIFY(!form->OrvDaoTable6->Active());
    QVERIFY(form->OrvDaoTable5->Active());
    QCOMPARE(statusLine(*form), QStringLiteral("1 ∕ 1  筆資料"));
  }

  void closingTheWindowPostsTheRecordBeingEdited() {
    AppTestDatabase database(2);
    auto form = createForm();
    form->show();
    form->OrvDaoTable1->Edit();
    form->OrvDaoTable1->FieldByName("CJ_Input").SetAsString("typed");
    QVERIFY(form->close());
    QCOMPARE(form->OrvDaoTable1->State(), framework::dsBrowse);
    QCOMPARE(storedColumn(database.path(), "CJ_Input"), QStringList({"typed", ""}));
  }

  void aPostThatFailsOnCloseIsShownAndTheWindowStays() {
    AppTestDatabase database(2);
    auto form = createForm();
    form->show();
    form->OrvDaoTable1->Edit();
    form->OrvDaoTable1->FieldByName("CJ_Input").SetAsString("mine");
    changeStoredValue(database.path(), 0, "CJ_Input", "theirs");
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    QCOMPARE(boxes_.size(), std::size_t(1));
    QVERIFY2(boxes_[0].text.startsWith(QStringLiteral("Write conflict")), qPrintable(boxes_[0].text));
    QCOMPARE(form->OrvDaoTable1->State(), framework::dsEdit);
    QVERIFY(form->close());  // the second post starts a fresh edit and wins
    QCOMPARE(storedColumn(database.path(), "CJ_Input"), QStringList({"mine", ""}));
  }

  void destroyingTheFormClosesTheTablesAndDisconnects() {
    AppTestDatabase database(1);
    auto form = createForm();
    automation::CallRecorder calls;
    form.reset();
    QCOMPARE(calls.count("Close", "Recordset"), std::size_t(6));
    QCOMPARE(calls.count("Close", "Database"), std::size_t(1));
    QCOMPARE(calls.count("Close", "Workspace"), std::size_t(1));
  }

  void theProgramEndsWithTheReadingErrorWhenTheDatabaseIsMissing() {
    // A copy of the program in an empty folder: neither the current
    // directory nor the program's own holds the database.
    AppTestDatabase unused(0);
    const std::filesystem::path folder = std::filesystem::path(unused.folder()) / "empty";
    std::filesystem::create_directory(folder);
    const std::filesystem::path program = folder / "zenmora";
    std::filesystem::copy_file(ZENMORA_PROGRAM, program);
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("ZENMORA_NONINTERACTIVE"), QStringLiteral("1"));
    // Nor does the user's data folder, and no installed template is found.
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString((folder / "data-home").string()));
    environment.insert(QStringLiteral("XDG_DATA_DIRS"), QString::fromStdString((folder / "data-dirs").string()));
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program.string()), {});
    QVERIFY(process.waitForStarted());
    if (!process.waitForFinished(60000)) {
      process.kill();
      process.waitForFinished();
      QFAIL("the program did not end");
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    const QString shown = QString::fromUtf8(process.readAllStandardError());
    const QRegularExpression expected(
        QStringLiteral("(^|\n)Application Error\nException EReadError in module zenmora at [0-9A-F]{8}\\.\n"
                       "Error reading OrvDaoDatabase1\\.Connected: Cannot find Database:\r\n%1\\.\n")
            .arg(QRegularExpression::escape(QString::fromStdString((folder / "Lexora_Concept.mdb").string()))));
    QVERIFY2(expected.match(shown).hasMatch(), qPrintable(shown));
  }
};

int main(int argc, char** argv) {
  gui::Application app(argc, argv);
  TestStartupData test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_startup_data.moc"
