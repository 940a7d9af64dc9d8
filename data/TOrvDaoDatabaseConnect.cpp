// TOrvDaoDatabase: connecting and disconnecting, and the services the
// tables use while connected (collections, engine-idle step, last error,
// open tables, database language, query definitions).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <utility>

#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "data/messages.h"
#include "data/program_directory.h"
#include "framework/DbErrors.h"
#include "framework/TextRules.h"
#include "platform/dao/typelib/dao_typelib.h"
#include "platform/dao/typelib/database_names.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using automation::ObjectRef;
using framework::DatabaseError;
using framework::FormatText;
using framework::SameName;

namespace {

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

void RefreshCollection(const ObjectRef& owner, std::string_view collection) {
  if (owner) owner->getObject(collection)->call(member::kRefresh);
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
    if (queryTimeout_ != 60) daoDatabase_->put(member::kQueryTimeout, queryTimeout_);
    if (databaseType_ != "ODBC") databaseVersionInfo_ = daoDatabase_->get(member::kVersion).asText();
  } catch (...) {
    // Not connected after all: the opened database goes again.
    try {
      daoDatabase_->call(member::kClose);
    } catch (...) {
    }
    daoDatabase_.reset();
    throw;
  }
  networkFileSystem_.clear();
  try {
    networkFileSystem_ = daoDatabase_->get(member::kNetworkFileSystem).asText();
  } catch (const std::exception&) {
    // An engine that does not tell: taken as a local file.
  }
  RefreshCollections();
  connected_ = true;
  EngineIdle();
  if (OnAfterConnect) OnAfterConnect(*this);
}

void TOrvDaoDatabase::OpenAccessDatabase() {
  // A database on a server is named by its connection string: there is no
  // file to look for, and the engine reports a server it cannot reach.
  const bool onServer = namesServerDatabase(database_) && !FileExists(database_);
  if (smartOpen_ && !onServer && !FileExists(database_)) {
    // The rule is "the program's directory followed by what comes after the
    // path's last backslash or colon". Paths here have neither drive letters
    // nor backslashes, so both separators become "/": the file-name part is
    // what follows the last "/".
    const std::size_t slash = database_.rfind('/');
    database_ = ProgramDirectory() + database_.substr(slash == std::string::npos ? 0 : slash + 1);
  }
  if (!onServer && !FileExists(database_)) DatabaseError(std::string(SCannotFindDatabase) + database_);
  if (engineType_ != 2) DatabaseError(SNoOdbcDirectForAccess);
  const std::string connect = FormatText(";UID=%s;PWD=%s;%s", {userName_, databasePassword_, databaseParameters_});
  daoDatabase_ = workspace_->getObject(member::kOpenDatabase, {database_, exclusive_, readOnly_, connect});
}

void TOrvDaoDatabase::OpenOtherDatabase() {
  if (SameName(databaseType_, "ODBC")) {
    const std::string connect =
        StartsWithIgnoringCase(database_, "odbc;")
            ? FormatText("%s;%s", {database_, databaseParameters_})
            : FormatText("%s;UID=%s;PWD=%s;DSN=%s;%s",
                         {databaseType_, userName_, password_, database_, databaseParameters_});
    const std::string_view open = engineType_ == workspace_type::odbc ? member::kOpenConnection : member::kOpenDatabase;
    daoDatabase_ = workspace_->getObject(open, {database_, 1, readOnly_, connect});
    return;
  }
  // An installable format of the engine.
  if (engineType_ != 2) DatabaseError(SNoOdbcDirect);
  const std::string connect =
      !userName_.empty() && !password_.empty()
          ? FormatText("%s;UID=%s;PWD=%s;%s", {databaseType_, userName_, password_, databaseParameters_})
          : FormatText("%s;%s", {databaseType_, databaseParameters_});
  daoDatabase_ = workspace_->getObject(member::kOpenDatabase, {database_, exclusive_, readOnly_, connect});
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
      daoDatabase_->call(member::kClose);
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
  // Runs before every record read: the arguments are made once.
  static const automation::Arguments kFreeLocks{automation::Variant(idle::freeLocks)};
  static const automation::Arguments kRefreshCache{automation::Variant(idle::refreshCache)};
  engine_->call(member::kIdle, kFreeLocks);
  engine_->call(member::kIdle, kRefreshCache);
}

void TOrvDaoDatabase::RefreshCollections() {
  tableNames_.clear();
  queryNames_.clear();
  const bool jet = engineType_ == workspace_type::jet;
  if (jet) OnItsOwn([&] { RefreshCollection(daoDatabase_, member::kTableDefs); });
  OnItsOwn([&] { RefreshCollection(daoDatabase_, member::kQueryDefs); });
  if (SameName(databaseType_, "Access")) {
    OnItsOwn([&] { RefreshCollection(daoDatabase_, member::kContainers); });
    OnItsOwn([&] { RefreshCollection(daoDatabase_, member::kRelations); });
  }
  OnItsOwn([&] { RefreshCollection(daoDatabase_, member::kRecordsets); });
  if (jet) OnItsOwn([&] { RefreshCollection(daoDatabase_, member::kProperties); });
  OnItsOwn([&] { RefreshCollection(engine_, member::kErrors); });
  OnItsOwn([&] { RefreshCollection(engine_, member::kWorkspaces); });
  OnItsOwn([&] { RefreshCollection(engine_, member::kProperties); });
  if (jet) {
    OnItsOwn([&] { RefreshCollection(workspace_, member::kUsers); });
    OnItsOwn([&] { RefreshCollection(workspace_, member::kGroups); });
  }
  OnItsOwn([&] { RefreshCollection(workspace_, member::kDatabases); });
  OnItsOwn([&] { RefreshCollection(workspace_, member::kProperties); });
  if (!daoDatabase_) return;
  if (jet) {
    ObjectRef tableDefs;
    int count = 0;
    OnItsOwn([&] {
      tableDefs = daoDatabase_->getObject(member::kTableDefs);
      count = tableDefs->get(member::kCount).asInt32();
    });
    for (int i = 0; i < count; ++i) {
      OnItsOwn([&] {
        const ObjectRef table = tableDefs->getObject(member::kItem, {i});
        const auto attributes = static_cast<std::uint32_t>(table->get(member::kAttributes).asInt32());
        if (showSystemObjects_ || (attributes & static_cast<std::uint32_t>(kSystemTableAttributes)) == 0) {
          tableNames_.push_back(table->get(member::kName).asText());
        }
      });
    }
  }
  ObjectRef queryDefs;
  int queries = 0;
  OnItsOwn([&] {
    queryDefs = daoDatabase_->getObject(member::kQueryDefs);
    queries = queryDefs->get(member::kCount).asInt32();
  });
  for (int i = 0; i < queries; ++i) {
    OnItsOwn([&] { queryNames_.push_back(queryDefs->getObject(member::kItem, {i})->get(member::kName).asText()); });
  }
}

TDaoError TOrvDaoDatabase::LastEngineError() const {
  TDaoError error;
  if (!engine_) return error;
  try {
    const ObjectRef errors = engine_->getObject(member::kErrors);
    if (errors->get(member::kCount).asInt32() == 0) return error;
    const ObjectRef first = errors->getObject(member::kItem, {0});
    error.Number = first->get(member::kNumber).asInt32();
    error.Source = first->get(member::kSource).asText();
    error.Description = first->get(member::kDescription).asText();
    error.HelpFile = first->get(member::kHelpFile).asText();
    error.HelpContext = first->get(member::kHelpContext).asInt32();
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
    order = daoDatabase_->get(member::kCollatingOrder).asInt32();
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
  daoDatabase_->call(member::kCreateQueryDef, {name, sql});
  RefreshCollections();
}

void TOrvDaoDatabase::SetQueryDefSQL(const std::string& name, const std::string& sql) {
  if (!daoDatabase_) DatabaseError(SNotConnected);
  daoDatabase_->getObject(member::kQueryDefs)->getObject(member::kItem, {name})->put(member::kSQL, sql);
  RefreshCollections();
}

std::string TOrvDaoDatabase::QueryDefSQL(const std::string& name) const {
  try {
    if (daoDatabase_) {
      return daoDatabase_->getObject(member::kQueryDefs)->getObject(member::kItem, {name})->get(member::kSQL).asText();
    }
  } catch (const std::exception&) {
  }
  return {};
}

void TOrvDaoDatabase::DeleteIndex(const std::string& table, const std::string& index) {
  if (!daoDatabase_) DatabaseError(SNotConnected);
  const ObjectRef tableDef = daoDatabase_->getObject(member::kTableDefs)->getObject(member::kItem, {table});
  tableDef->getObject(member::kIndexes)->call(member::kDelete, {index});
  RefreshCollections();
}

}  // namespace data
