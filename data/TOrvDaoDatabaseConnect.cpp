// TOrvDaoDatabase: connecting and disconnecting, and the services the
// tables use while connected (collections, engine-idle step, last error,
// open tables, database language, query definitions).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <utility>

#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "data/program_directory.h"
#include "framework/DbErrors.h"
#include "framework/TextRules.h"

namespace data {

using automation::ObjectRef;
using framework::DatabaseError;
using framework::FormatText;
using framework::SameName;

namespace {

constexpr std::string_view SDatabaseUndefined = "TOrvDaoDatabase.F_Set_Active: Database property is not defined!";
constexpr std::string_view SDatabaseTypeUndefined =
    "TOrvDaoDatabase.F_Set_Active: DatabaseType property is not defined!";
constexpr std::string_view SCannotFindDatabase = "Cannot find Database:\r\n";
constexpr std::string_view SNoOdbcDirectForAccess =
    "TOrvDaoDatabase.F_Set_Active: ODBC direct workspaces\r\nare NOT supported for MS Access Databases!";
constexpr std::string_view SNoOdbcDirect = "TOrvDaoDatabase.F_Set_Active: ODBC direct workspaces NOT supported!";
constexpr std::string_view SNotConnected = "TOrvDaoDatabase: Database is NOT connected";

// DAO's system-object bits of TableDef.Attributes (dbSystemObject).
constexpr std::uint32_t kSystemObjectMask = 0x80000002u;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

// One step of the collection refresh: its failure is ignored.
void OnItsOwn(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

void RefreshCollection(const ObjectRef& owner, const char* collection) {
  if (owner) owner->getObject(collection)->call("Refresh");
}

struct CollatingOrderName {
  int order;
  const char* name;
};

constexpr CollatingOrderName kCollatingOrders[] = {
    {1024, "Neutral"},
    {1025, "Arabic"},
    {1028, "Traditional Chinese"},
    {1029, "Czech"},
    {1030, "Norwegian or Danish"},
    {1032, "Greek"},
    {1033, "General (English, French, German, Portuguese, Italian, and Modern Spanish)"},
    {1034, "Spanish"},
    {1037, "Hebrew"},
    {1038, "Hungarian"},
    {1039, "Icelandic"},
    {1041, "Japanese"},
    {1042, "Korean"},
    {1043, "Dutch"},
    {1045, "Polish"},
    {1049, "Bulgarian or Russian"},
    {1053, "Swedish or Finnish"},
    {1054, "Thai"},
    {1055, "Turkish"},
    {1060, "Slovenian"},
    {2052, "Simplified Chinese"},
    {-1, "Undefined or unknown"},
};

}  // namespace

// ---- Connecting ----

void TOrvDaoDatabase::Connect() {
  if (connected_) return;
  if (database_.empty()) DatabaseError(SDatabaseUndefined);
  if (databaseType_.empty()) DatabaseError(SDatabaseTypeUndefined);
  if (OnBeforeConnect) OnBeforeConnect(*this);
  if (OnLogin) {
    std::vector<std::string> params = {"USER NAME=" + userName_, "PASSWORD=" + password_,
                                       "DBPASSWORD=" + databasePassword_};
    OnLogin(*this, params);
    const auto valueOf = [&params](std::string_view key, std::string& target) {
      for (const std::string& line : params) {
        if (StartsWithIgnoringCase(line, key)) target = line.substr(key.size());
      }
    };
    valueOf("USER NAME=", userName_);
    valueOf("PASSWORD=", password_);
    valueOf("DBPASSWORD=", databasePassword_);
  }
  RecreateEngineAndWorkspace();
  if (SameName(databaseType_, "Access")) {
    OpenAccessDatabase();
  } else {
    OpenOtherDatabase();
  }
  try {
    if (queryTimeout_ != 60) daoDatabase_->put("QueryTimeout", queryTimeout_);
    if (databaseType_ != "ODBC") databaseVersionInfo_ = daoDatabase_->get("Version").asText();
  } catch (...) {
    // Not connected after all: the opened database goes again.
    try {
      daoDatabase_->call("Close");
    } catch (...) {
    }
    daoDatabase_.reset();
    throw;
  }
  networkFileSystem_.clear();
  try {
    networkFileSystem_ = daoDatabase_->get("NetworkFileSystem").asText();
  } catch (const std::exception&) {
    // An engine that does not tell: taken as a local file.
  }
  RefreshCollections();
  connected_ = true;
  EngineIdle();
  if (OnAfterConnect) OnAfterConnect(*this);
}

void TOrvDaoDatabase::OpenAccessDatabase() {
  if (smartOpen_ && !FileExists(database_)) {
    // The rule is "the program's directory followed by what comes after the
    // path's last backslash or colon". Paths here have neither drive letters
    // nor backslashes, so both separators become "/": the file-name part is
    // what follows the last "/".
    const std::size_t slash = database_.rfind('/');
    database_ = ProgramDirectory() + database_.substr(slash == std::string::npos ? 0 : slash + 1);
  }
  if (!FileExists(database_)) DatabaseError(std::string(SCannotFindDatabase) + database_);
  if (engineType_ != 2) DatabaseError(SNoOdbcDirectForAccess);
  const std::string connect = FormatText(";UID=%s;PWD=%s;%s", {userName_, databasePassword_, databaseParameters_});
  daoDatabase_ = workspace_->getObject("OpenDatabase", {database_, exclusive_, readOnly_, connect});
}

void TOrvDaoDatabase::OpenOtherDatabase() {
  if (SameName(databaseType_, "ODBC")) {
    const std::string connect =
        StartsWithIgnoringCase(database_, "odbc;")
            ? FormatText("%s;%s", {database_, databaseParameters_})
            : FormatText("%s;UID=%s;PWD=%s;DSN=%s;%s",
                         {databaseType_, userName_, password_, database_, databaseParameters_});
    const char* open = engineType_ == 1 ? "OpenConnection" : "OpenDatabase";
    daoDatabase_ = workspace_->getObject(open, {database_, 1, readOnly_, connect});
    return;
  }
  // An installable format of the engine.
  if (engineType_ != 2) DatabaseError(SNoOdbcDirect);
  const std::string connect =
      !userName_.empty() && !password_.empty()
          ? FormatText("%s;UID=%s;PWD=%s;%s", {databaseType_, userName_, password_, databaseParameters_})
          : FormatText("%s;%s", {databaseType_, databaseParameters_});
  daoDatabase_ = workspace_->getObject("OpenDatabase", {database_, exclusive_, readOnly_, connect});
}

void TOrvDaoDatabase::Disconnect() {
  if (!connected_) return;
  if (OnBeforeDisconnect) OnBeforeDisconnect(*this);
  tableNames_.clear();
  queryNames_.clear();
  // A copy: each table would otherwise take itself off the list as it closes.
  const std::vector<OpenTable> tables = std::exchange(openTables_, {});
  for (const OpenTable& entry : tables) {
    try {
      entry.table->CloseByDatabase();
    } catch (...) {
      // The table is closed as far as it goes; the connection ends anyway.
    }
  }
  if (daoDatabase_) {
    try {
      daoDatabase_->call("Close");
    } catch (const std::exception&) {
    }
    daoDatabase_.reset();
  }
  transactionLog_.clear();
  connected_ = false;
  if (OnAfterDisconnect) OnAfterDisconnect(*this);
}

// ---- Services for the tables ----

void TOrvDaoDatabase::EngineIdle() {
  if (!engine_) return;
  engine_->call("Idle", {1});  // dbFreeLocks
  engine_->call("Idle", {8});  // dbRefreshCache
}

void TOrvDaoDatabase::RefreshCollections() {
  tableNames_.clear();
  queryNames_.clear();
  const bool jet = engineType_ == 2;
  if (jet) OnItsOwn([&] { RefreshCollection(daoDatabase_, "TableDefs"); });
  OnItsOwn([&] { RefreshCollection(daoDatabase_, "QueryDefs"); });
  if (SameName(databaseType_, "Access")) {
    OnItsOwn([&] { RefreshCollection(daoDatabase_, "Containers"); });
    OnItsOwn([&] { RefreshCollection(daoDatabase_, "Relations"); });
  }
  OnItsOwn([&] { RefreshCollection(daoDatabase_, "Recordsets"); });
  if (jet) OnItsOwn([&] { RefreshCollection(daoDatabase_, "Properties"); });
  OnItsOwn([&] { RefreshCollection(engine_, "Errors"); });
  OnItsOwn([&] { RefreshCollection(engine_, "Workspaces"); });
  OnItsOwn([&] { RefreshCollection(engine_, "Properties"); });
  if (jet) {
    OnItsOwn([&] { RefreshCollection(workspace_, "Users"); });
    OnItsOwn([&] { RefreshCollection(workspace_, "Groups"); });
  }
  OnItsOwn([&] { RefreshCollection(workspace_, "Databases"); });
  OnItsOwn([&] { RefreshCollection(workspace_, "Properties"); });
  if (!daoDatabase_) return;
  if (jet) {
    ObjectRef tableDefs;
    int count = 0;
    OnItsOwn([&] {
      tableDefs = daoDatabase_->getObject("TableDefs");
      count = tableDefs->get("Count").asInt32();
    });
    for (int i = 0; i < count; ++i) {
      OnItsOwn([&] {
        const ObjectRef table = tableDefs->getObject("Item", {i});
        const auto attributes = static_cast<std::uint32_t>(table->get("Attributes").asInt32());
        if (showSystemObjects_ || (attributes & kSystemObjectMask) == 0) {
          tableNames_.push_back(table->get("Name").asText());
        }
      });
    }
  }
  ObjectRef queryDefs;
  int queries = 0;
  OnItsOwn([&] {
    queryDefs = daoDatabase_->getObject("QueryDefs");
    queries = queryDefs->get("Count").asInt32();
  });
  for (int i = 0; i < queries; ++i) {
    OnItsOwn([&] { queryNames_.push_back(queryDefs->getObject("Item", {i})->get("Name").asText()); });
  }
}

TDaoError TOrvDaoDatabase::LastEngineError() const {
  TDaoError error;
  if (!engine_) return error;
  try {
    const ObjectRef errors = engine_->getObject("Errors");
    if (errors->get("Count").asInt32() == 0) return error;
    const ObjectRef first = errors->getObject("Item", {0});
    error.Number = first->get("Number").asInt32();
    error.Source = first->get("Source").asText();
    error.Description = first->get("Description").asText();
    error.HelpFile = first->get("HelpFile").asText();
    error.HelpContext = first->get("HelpContext").asInt32();
  } catch (const std::exception&) {
    // What could be read is what there is.
  }
  return error;
}

void TOrvDaoDatabase::AddOpenTable(TOrvDaoTable& table) { openTables_.push_back({table.TableName(), &table}); }

void TOrvDaoDatabase::RemoveOpenTable(const TOrvDaoTable& table) noexcept {
  std::erase_if(openTables_, [&](const OpenTable& entry) { return entry.table == &table; });
}

void TOrvDaoDatabase::NoteOpenedTable(const std::string& tableName) {
  if (!trackTransactions_ || transactionLog_.empty()) return;
  std::string& innermost = transactionLog_.back();
  if (!innermost.empty()) innermost += ';';
  innermost += tableName;
}

std::string TOrvDaoDatabase::DatabaseLanguage() const {
  if (!connected_) return {};
  int order = -1;
  try {
    order = daoDatabase_->get("CollatingOrder").asInt32();
  } catch (const std::exception&) {
    order = -1;
  }
  for (const CollatingOrderName& entry : kCollatingOrders) {
    if (entry.order == order) return entry.name;
  }
  return {};
}

// ---- Query definitions ----

void TOrvDaoDatabase::CreateQueryDef(const std::string& name, const std::string& sql) {
  if (!daoDatabase_) DatabaseError(SNotConnected);
  daoDatabase_->call("CreateQueryDef", {name, sql});
  RefreshCollections();
}

void TOrvDaoDatabase::SetQueryDefSQL(const std::string& name, const std::string& sql) {
  if (!daoDatabase_) DatabaseError(SNotConnected);
  daoDatabase_->getObject("QueryDefs")->getObject("Item", {name})->put("SQL", sql);
  RefreshCollections();
}

std::string TOrvDaoDatabase::QueryDefSQL(const std::string& name) const {
  try {
    if (daoDatabase_) return daoDatabase_->getObject("QueryDefs")->getObject("Item", {name})->get("SQL").asText();
  } catch (const std::exception&) {
  }
  return {};
}

void TOrvDaoDatabase::DeleteIndex(const std::string& table, const std::string& index) {
  if (!daoDatabase_) DatabaseError(SNotConnected);
  daoDatabase_->getObject("TableDefs")->getObject("Item", {table})->getObject("Indexes")->call("Delete", {index});
  RefreshCollections();
}

}  // namespace data
