// TOrvDaoDatabase: creation, destruction, loading and the property setters.
// The engine and workspace are made in TOrvDaoDatabaseEngine.cpp, the
// connection in TOrvDaoDatabaseConnect.cpp.
#include "data/TOrvDaoDatabase.h"

#include "data/TOrvDaoTable.h"
#include "data/messages.h"
#include "framework/DbErrors.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using framework::DatabaseError;


std::string BracketName(std::string_view name) {
  std::string quoted = "[";
  for (const char c : name) {
    if (c == '.') {
      quoted += "].[";
    } else {
      quoted += c;
    }
  }
  quoted += ']';
  return quoted;
}

TOrvDaoDatabase::TOrvDaoDatabase(std::string name, framework::TComponent* owner)
    : framework::TComponent(std::move(name), owner) {
  InitializeCom();
  try {
    ProbeVersions();
    if (availableVersions_.empty()) DatabaseError(SNoDao);
    version_ = availableVersions_.front() == "3.5" ? "3.5" : "3.6";
    CreateEngine();
    systemDatabase_ = RegisteredSystemDatabase();
    if (!systemDatabase_.empty()) engine_->put(member::kSystemDB, systemDatabase_);
    engine_->put(member::kDefaultUser, userName_);
    engine_->put(member::kDefaultPassword, password_);
    engine_->put(member::kDefaultType, engineType_);
    ReadVersionTexts(true);
    ReadRegistryLists();
  } catch (...) {
    engine_.reset();
    ReleaseCom();
    throw;
  }
}

TOrvDaoDatabase::~TOrvDaoDatabase() {
  try {
    Disconnect();
  } catch (...) {
    // A component going away cannot report; the tables are closed anyway.
  }
  if (workspace_) {
    try {
      workspace_->call(member::kClose);
    } catch (...) {
    }
  }
  workspace_.reset();
  daoDatabase_.reset();
  engine_.reset();
  ReleaseCom();
}

void TOrvDaoDatabase::Loaded() {
  framework::TComponent::Loaded();
  if (connected_) return;
  try {
    RecreateEngineAndWorkspace();
  } catch (...) {
    // The engine is made again before every connect, which then reports.
  }
}

void TOrvDaoDatabase::Notification(framework::TComponent& component, framework::TOperation operation) {
  framework::TComponent::Notification(component, operation);
  if (operation != framework::opRemove) return;
  // The dying table can only be compared by address here.
  std::erase_if(openTables_, [&](const OpenTable& entry) {
    return static_cast<const framework::TComponent*>(entry.table) == &component;
  });
}

void TOrvDaoDatabase::CheckNotConnected(std::string_view message) const {
  if (connected_) DatabaseError(message);
}

template <class T>
void TOrvDaoDatabase::ApplyEngineSetting(T& property, T value) {
  if (IsLoading()) {
    property = std::move(value);
    return;
  }
  T previous = property;
  property = std::move(value);
  try {
    RecreateEngineAndWorkspace();
  } catch (...) {
    property = std::move(previous);
    try {
      RecreateEngineAndWorkspace();
    } catch (...) {
      // The first failure is the one the caller hears of.
    }
    throw;
  }
}

void TOrvDaoDatabase::SetExclusive(bool value) {
  CheckNotConnected(SCannotSetExclusive);
  exclusive_ = value;
}

void TOrvDaoDatabase::SetDatabaseType(const std::string& value) {
  CheckNotConnected(SCannotSetDatabaseType);
  databaseType_ = value;
  database_.clear();
}

void TOrvDaoDatabase::SetDatabase(const std::string& value) {
  CheckNotConnected(SCannotSetDatabase);
  database_ = value;
}

void TOrvDaoDatabase::SetDatabaseParameters(const std::string& value) {
  CheckNotConnected(SCannotSetParameters);
  databaseParameters_ = value;
}

void TOrvDaoDatabase::SetReadOnly(bool value) {
  CheckNotConnected(SCannotSetReadOnly);
  readOnly_ = value;
  if (!value) return;
  for (const OpenTable& entry : openTables_) entry.table->SetReadOnly(true);
}

void TOrvDaoDatabase::SetLoginPrompt(bool value) {
  CheckNotConnected(SCannotSetLoginPrompt);
  loginPrompt_ = value;
}

void TOrvDaoDatabase::SetUserName(const std::string& value) {
  CheckNotConnected(SCannotSetUserName);
  userName_ = value;
  if (IsLoading()) return;
  try {
    RecreateEngineAndWorkspace();
  } catch (...) {
    // An account the engine refuses is reported by the next connect.
  }
}

void TOrvDaoDatabase::SetPassword(const std::string& value) {
  CheckNotConnected(SCannotSetPassword);
  password_ = value;
  if (IsLoading()) return;
  try {
    RecreateEngineAndWorkspace();
  } catch (...) {
    // As for the user name.
  }
}

void TOrvDaoDatabase::SetDatabasePassword(const std::string& value) {
  CheckNotConnected(SCannotSetDatabasePassword);
  databasePassword_ = value;
}

void TOrvDaoDatabase::SetSystemDatabase(const std::string& value) {
  CheckNotConnected(SCannotSetSystemDatabase);
  ApplyEngineSetting(systemDatabase_, value.empty() ? RegisteredSystemDatabase() : value);
}

void TOrvDaoDatabase::SetShowSystemObjects(bool value) {
  showSystemObjects_ = value;
  if (connected_) RefreshCollections();
}

void TOrvDaoDatabase::SetEngineType(int value) {
  CheckNotConnected(SCannotSetEngineType);
  ApplyEngineSetting(engineType_, value);
}

void TOrvDaoDatabase::SetPrivateEngine(bool value) {
  CheckNotConnected(SCannotSetPrivateEngine);
  ApplyEngineSetting(privateEngine_, value);
}

void TOrvDaoDatabase::SetTrackTransactions(bool value) {
  CheckNotConnected(SCannotSetTrackTransactions);
  trackTransactions_ = value;
}

void TOrvDaoDatabase::SetVersion(const std::string& value) {
  CheckNotConnected(SCannotSetVersion);
  ApplyEngineSetting(version_, value.substr(0, 3));
  RebuildDatabaseTypes();
}

void TOrvDaoDatabase::SetWorkspace(const std::string& value) {
  CheckNotConnected(SCannotSetWorkspace);
  ApplyEngineSetting(workspaceName_, value);
}

void TOrvDaoDatabase::SetDefaultCursorDriver(int value) {
  defaultCursorDriver_ = value;
  if (engineType_ == workspace_type::odbc && workspace_) workspace_->put(member::kDefaultCursorDriver, value);
}

void TOrvDaoDatabase::SetConnected(bool value) {
  if (value) {
    Connect();
  } else {
    Disconnect();
  }
}

}  // namespace data
