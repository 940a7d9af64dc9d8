// The form's data side: the stored settings of the connection and the
// tables, their data sources, opening after the layout, the status line and
// the end of the form's life.
#include <QCloseEvent>

#include "app/Unit1.h"

#include "classify/cascade_handlers.h"
#include "app/form_reading.h"
#include "app/startup_trace.h"
#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "framework/TDataSource.h"
#include "platform/gui/error_display.h"
#include "schema/schema.h"

namespace {

constexpr const char* kGeneralOrder = "General (English, French, German, Portuguese, Italian, and Modern Spanish)";

}  // namespace

void TForm1::CreateDataComponents() {
  const auto storedOrGivenDatabase = [this]() -> std::string {
    return database_.isEmpty() ? std::string("Lexora_Concept.mdb") : database_.toStdString();
  };
  auto database = std::make_unique<data::TOrvDaoDatabase>("OrvDaoDatabase1", &components_);
  data::TOrvDaoDatabase& db = *database;
  OrvDaoDatabase1 = database.get();
  dataComponents_.push_back(std::move(database));
  // The stored settings in stored order. Connected comes last and connects
  // at once, with everything above in place and before any table exists.
  db.BeginLoading();
  ReadProperties(db, {
                         {"ComponentVersion", [&] { db.SetComponentVersion("8.00"); }},
                         {"Exclusive", [&] { db.SetExclusive(false); }},
                         {"DatabaseLanguage", [&] { db.SetDatabaseLanguage(kGeneralOrder); }},
                         {"DatabaseType", [&] { db.SetDatabaseType("Access"); }},
                         {"Database", [&] { db.SetDatabase(storedOrGivenDatabase()); }},
                         {"DatabaseVersionInfo", [&] { db.SetDatabaseVersionInfo("3.0"); }},
                         {"ReadOnly", [&] { db.SetReadOnly(false); }},
                         {"LoginPrompt", [&] { db.SetLoginPrompt(false); }},
                         {"UserName", [&] { db.SetUserName("Admin"); }},
                         {"UseODBCDialog", [&] { db.SetUseODBCDialog(true); }},
                         {"SystemDatabase", [&] { db.SetSystemDatabase("system.mdb"); }},
                         {"SaveUserName", [&] { db.SetSaveUserName(true); }},
                         {"ShowSystemObjects", [&] { db.SetShowSystemObjects(false); }},
                         {"SmartOpen", [&] { db.SetSmartOpen(true); }},
                         {"EngineType", [&] { db.SetEngineType(2); }},
                         {"PrivateEngine", [&] { db.SetPrivateEngine(false); }},
                         {"TrackTransactions", [&] { db.SetTrackTransactions(true); }},
                         {"UsesDynaDao", [&] { db.SetUsesDynaDao(true); }},
                         {"Version", [&] { db.SetVersion("3.6"); }},
                         {"VersionDetails", [&] { db.SetVersionDetails("3.6"); }},
                         {"VersionInfo", [&] { db.SetVersionInfo("(In Access'2000 mode)"); }},
                         {"Workspace", [&] { db.SetWorkspace("DaoWorkspace"); }},
                         {"DefaultCursorDriver", [&] { db.SetDefaultCursorDriver(-1); }},
                         {"QueryTimeout", [&] { db.SetQueryTimeout(60); }},
                         {"MdbVersionAutoDetect", [&] { db.SetMdbVersionAutoDetect(false); }},
                         {"Connected", [&] { db.SetConnected(true); }},
                     });
  startup_trace::mark("database open");

  namespace tables = schema::tables;
  OrvDaoTable1 = CreateTable(1, tables::DataInput);
  OrvDaoTable1->AfterScroll = [this](framework::TDataSet& dataSet) { OrvDaoTable1AfterScroll(dataSet); };
  OrvDaoTable1->AfterPost = [this](framework::TDataSet& dataSet) { OrvDaoTable1AfterPost(dataSet); };
  // A cancel after a failed post may follow the loss of the record to
  // another user: the count shown must be the one there is.
  OrvDaoTable1->AfterCancel = [this](framework::TDataSet&) { UpdateStatusLine(); };
  OrvDaoTable2 = CreateTable(2, tables::LiChang);
  OrvDaoTable3 = CreateTable(3, tables::XianXiang);
  OrvDaoTable4 = CreateTable(4, tables::RenZhi);
  OrvDaoTable5 = CreateTable(5, tables::SiBei);
  OrvDaoTable6 = CreateTable(6, tables::GN);

  framework::TDataSource** sources[] = {&DataSource1, &DataSource2, &DataSource3,
                                        &DataSource4, &DataSource5, &DataSource6};
  data::TOrvDaoTable* const sourceTables[] = {OrvDaoTable1, OrvDaoTable2, OrvDaoTable3,
                                              OrvDaoTable4, OrvDaoTable5, OrvDaoTable6};
  for (std::size_t i = 0; i < std::size(sources); ++i) {
    auto source = std::make_unique<framework::TDataSource>("DataSource" + std::to_string(i + 1), &components_);
    source->SetDataSet(sourceTables[i]);  // automatic edit stays on
    *sources[i] = source.get();
    dataComponents_.push_back(std::move(source));
  }
  BindControls(*DataSource1);
  startup_trace::mark("six tables and data sources created, controls bound");
}

data::TOrvDaoTable* TForm1::CreateTable(int number, std::string_view tableName) {
  auto table = std::make_unique<data::TOrvDaoTable>("OrvDaoTable" + std::to_string(number), &components_);
  data::TOrvDaoTable& t = *table;
  dataComponents_.push_back(std::move(table));
  // The other stored settings (dynaset, optimistic locks, brackets, record
  // numbers and count from the engine) are the class's defaults. Active is
  // only noted while loading; the table opens in OpenTables.
  t.BeginLoading();
  ReadProperties(t, {
                        {"Database", [&] { t.SetDatabase(OrvDaoDatabase1); }},
                        {"TableName", [&] { t.SetTableName(std::string(tableName)); }},
                        {"Active", [&] { t.SetActive(true); }},
                    });
  return &t;
}

void TForm1::OpenTables() {
  // Loaded() in creation order: the connection (already connected), then
  // OrvDaoTable1 to OrvDaoTable6, each opening now. A table that cannot
  // open is reported and stays closed; the others still open.
  components_.EndLoading([](std::exception_ptr error) { gui::showException(error); });
}

void TForm1::CloseDataComponents() noexcept {
  for (data::TOrvDaoTable* table :
       {OrvDaoTable1, OrvDaoTable2, OrvDaoTable3, OrvDaoTable4, OrvDaoTable5, OrvDaoTable6}) {
    if (table == nullptr) continue;
    try {
      table->Close();
    } catch (...) {
      // The form is going; a table that cannot close cleanly is dropped.
    }
  }
  if (OrvDaoDatabase1 != nullptr) {
    try {
      OrvDaoDatabase1->SetConnected(false);
    } catch (...) {
    }
  }
  while (!dataComponents_.empty()) dataComponents_.pop_back();
  OrvDaoDatabase1 = nullptr;
  OrvDaoTable1 = OrvDaoTable2 = OrvDaoTable3 = OrvDaoTable4 = OrvDaoTable5 = OrvDaoTable6 = nullptr;
  DataSource1 = DataSource2 = DataSource3 = DataSource4 = DataSource5 = DataSource6 = nullptr;
}

void TForm1::closeEvent(QCloseEvent* event) {
  // What the user typed is not lost with the window: the pending edit is
  // finished as a move would finish it.
  if (OrvDaoTable1 != nullptr &&
      (OrvDaoTable1->State() == framework::dsEdit || OrvDaoTable1->State() == framework::dsInsert)) {
    try {
      OrvDaoTable1->CheckBrowseMode();
    } catch (...) {
      gui::showException(std::current_exception());
      event->ignore();
      return;
    }
  }
  QWidget::closeEvent(event);
}

// ---------------------------------------------------------------------------
// Status line

void TForm1::OrvDaoTable1AfterScroll(framework::TDataSet&) { UpdateStatusLine(); }

void TForm1::OrvDaoTable1AfterPost(framework::TDataSet&) { classify::dropStanceCodeWithoutStance(*OrvDaoTable1); }

void TForm1::ShowNetworkShareNotice() {
  if (OrvDaoDatabase1 == nullptr || OrvDaoDatabase1->NetworkFileSystem().empty()) return;
  const std::string& fileSystem = OrvDaoDatabase1->NetworkFileSystem();
  // One line in the width left of the export check box; the tool tip says
  // it at length and stays.
  Label2->setText(QStringLiteral("注意：網路磁碟（%1）上多台電腦同時寫入並不安全，團隊請用伺服器資料庫。")
                      .arg(QString::fromStdString(fileSystem)));
  Label2->setToolTip(QStringLiteral("資料庫檔案位於網路磁碟（%1）上。多台電腦同時寫入同一檔案並不安全；"
                                    "團隊共用請改用伺服器資料庫。")
                         .arg(QString::fromStdString(fileSystem)));
  Label2->adjustSize();
}

void TForm1::UpdateStatusLine() {
  // Always the main table, whichever dataset raised the event.
  if (OrvDaoTable1 == nullptr || OrvDaoTable1->RecNo() < 1) {
    Label2->setText(QStringLiteral("資料庫全空"));
  } else {
    // U+2215 is the Big5 character A2 41 between two blanks.
    const int recNo = OrvDaoTable1->RecNo();
    const int count = OrvDaoTable1->RecordCount();
    Label2->setText(QString::number(recNo) + QStringLiteral(" ∕ ") + QString::number(count) +
                    QStringLiteral("  筆資料"));
  }
  Label2->adjustSize();
}

void TForm1::ShowStartupNote(const QString& note) {
  Label2->setText(note);
  Label2->adjustSize();
}
