// TOrvDaoDatabase: COM, the engine's versions and ProgIDs, creating and
// re-creating the engine and the workspace, and the registry lists.
#include "data/TOrvDaoDatabase.h"

#include "data/messages.h"
#include "framework/DbErrors.h"
#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"
#include "platform/automation/system_registry.h"
#include "platform/dao/typelib/dao_typelib.h"
#include "platform/dao/typelib/database_names.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using automation::RegistryRoot;
using framework::DatabaseError;

namespace {

// The Jet version behind a DAO version: DAO 3.5 runs Jet 3.5, DAO 3.6 Jet 4.0.
std::string_view JetVersion(std::string_view daoVersion) { return daoVersion == "3.5" ? "3.5" : "4.0"; }

automation::ObjectRef TryCreate(const std::string& progId) {
  try {
    return automation::createOleObject(progId);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

void TOrvDaoDatabase::InitializeCom() {
  const automation::HResult result = automation::CoInitialize();
  if (result != automation::hresult::ok && result != automation::hresult::alreadyInitialized) {
    DatabaseError(SUnableToInitOle);
  }
  comInitialized_ = true;
}

void TOrvDaoDatabase::ReleaseCom() noexcept {
  if (!comInitialized_) return;
  comInitialized_ = false;
  automation::CoUninitialize();
}

void TOrvDaoDatabase::PrepareEngineFor(const std::string& database) noexcept {
  // Only a server database has anything to ready; a file opens as before
  // without even an engine object made here.
  if (!namesServerDatabase(database)) return;
  try {
    if (automation::ObjectRef engine = TryCreate("DAO.DBEngine.36")) engine->call(member::kPrepareDatabase, {database});
  } catch (const std::exception&) {
    // An engine without the hint opens the database all the same.
  }
}

std::string TOrvDaoDatabase::ProgId(std::string_view version) const {
  const std::string suffix = version == "3.5" ? "35" : "36";
  return (privateEngine_ ? "DAO.PrivateDBEngine." : "DAO.DBEngine.") + suffix;
}

void TOrvDaoDatabase::ProbeVersions() {
  availableVersions_.clear();
  for (const char* version : {"3.5", "3.6"}) {
    const std::string progId = ProgId(version);
    if (!automation::registry::keyExists(RegistryRoot::ClassesRoot, progId)) continue;
    // Created only to see that it can be; released at once.
    if (TryCreate(progId)) availableVersions_.emplace_back(version);
  }
}

void TOrvDaoDatabase::CreateEngine() {
  usesDynaDao_ = true;
  engine_.reset();
  if (version_ == "3.5") {
    engine_ = TryCreate(ProgId("3.5"));
    if (!engine_) {
      engine_ = TryCreate(ProgId("3.6"));
      if (engine_) version_ = "3.6";
    }
  } else if (version_ == "3.6") {
    engine_ = TryCreate(ProgId("3.6"));
  }
  // No other version has an engine; without one nothing below can work.
  if (!engine_) DatabaseError(SNoDaoInstalled);
}

void TOrvDaoDatabase::ReadVersionTexts(bool clearUnknown) {
  versionDetails_ = engine_->get(member::kVersion).asText();
  const char mode = versionDetails_.size() >= 3 ? versionDetails_[2] : '\0';
  if (mode == '5') {
    versionInfo_ = "(In Access'97 mode)";
  } else if (mode == '6') {
    versionInfo_ = "(In Access'2000 mode)";
  } else if (clearUnknown) {
    versionInfo_.clear();
  }
}

std::string TOrvDaoDatabase::RegisteredSystemDatabase() const {
  const std::string key = framework::FormatText("SOFTWARE\\Microsoft\\JET\\%s\\Engines", {JetVersion(version_)});
  return automation::registry::readString(RegistryRoot::LocalMachine, key, "SystemDB").value_or(std::string());
}

void TOrvDaoDatabase::RecreateEngineAndWorkspace() {
  if (workspace_) {
    try {
      workspace_->call(member::kClose);
    } catch (const std::exception&) {
      // The old workspace is dropped either way.
    }
    workspace_.reset();
  }
  engine_.reset();
  ReleaseCom();
  InitializeCom();
  CreateEngine();
  // Passed unchanged, also when empty: where the workgroup file is looked
  // for is the engine's business.
  engine_->put(member::kSystemDB, systemDatabase_);
  ReadVersionTexts(false);
  engine_->put(member::kDefaultUser, userName_);
  engine_->put(member::kDefaultPassword, password_);
  automation::ObjectRef workspace =
      engine_->getObject(member::kCreateWorkspace, {workspaceName_, userName_, password_, engineType_});
  engine_->getObject(member::kWorkspaces)->call(member::kAppend, {workspace});
  if (engineType_ == workspace_type::odbc) workspace->put(member::kDefaultCursorDriver, defaultCursorDriver_);
  workspaceName_ = workspace->get(member::kName).asText();
  workspace_ = std::move(workspace);
}

void TOrvDaoDatabase::RebuildDatabaseTypes() {
  databaseTypes_ = {"Access", "ODBC"};
  const std::string key = framework::FormatText("SOFTWARE\\Microsoft\\JET\\%s\\ISAM Formats", {JetVersion(version_)});
  for (std::string& format : automation::registry::subkeyNames(RegistryRoot::LocalMachine, key)) {
    databaseTypes_.push_back(std::move(format));
  }
}

void TOrvDaoDatabase::ReadRegistryLists() {
  namespace registry = automation::registry;
  RebuildDatabaseTypes();
  odbcDrivers_ = registry::valueNames(RegistryRoot::LocalMachine, "SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers");
  constexpr std::string_view sources = "\\SOFTWARE\\ODBC\\odbc.ini\\ODBC Data Sources";
  systemDataSources_ = registry::valueNames(RegistryRoot::LocalMachine, sources);
  userDataSources_ = registry::valueNames(RegistryRoot::CurrentUser, sources);
  fileDataSources_.clear();
  const auto addFileSources = [&](RegistryRoot root, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      const auto file = registry::readString(root, "SOFTWARE\\ODBC\\ODBC.INI\\" + name, "DBQ");
      if (file && !file->empty()) fileDataSources_.push_back(name + "=" + *file);
    }
  };
  addFileSources(RegistryRoot::CurrentUser, userDataSources_);
  addFileSources(RegistryRoot::LocalMachine, systemDataSources_);
}

}  // namespace data
