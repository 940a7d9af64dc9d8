#pragma once
// TOrvDaoDatabase: the connection component. It owns the DAO engine object,
// one workspace and the opened database, reached only through late-bound
// automation calls by member name, and gives the table datasets
// (TOrvDaoTable) the database object they open their recordsets on.
//
// Contract:
//  - Construction initialises COM for the thread, probes the engine's
//    versions "3.5" then "3.6" (registry key HKEY_CLASSES_ROOT\<ProgID>, then
//    an object of the ProgID created and dropped), creates the engine of the
//    first version found and sets the after-creation values of the
//    properties (the getters below say which). It fails with
//    EDatabaseError "Unable to init OLE objects!", "Cannot find DAO on your
//    system!" or "You does not have Microsoft DAO installed ot it is an OLD
//    Version!".
//  - Texts of this component (paths, account names, connect parameters) are
//    the platform's UTF-8 texts, as the file system and the messages take
//    them; record values are Big5 and belong to the tables.
//  - Setters refuse, while connected, every property that would change the
//    open connection (EDatabaseError with the exact text of the property,
//    the old value kept). While the component is loading (TComponent) the
//    setters of Version, SystemDatabase, Workspace, EngineType,
//    PrivateEngine, UserName and Password only store; outside loading they
//    re-create the engine and workspace at once (see the setters).
//    SetConnected is never deferred: a stored True connects as it is read.
//  - Loaded() re-creates the engine and workspace when still not connected,
//    discarding any failure.
//  - SetConnected(true) connects (no-op when connected): re-creates engine
//    and workspace, finds the file (SmartOpen), opens it, reads its version,
//    refreshes the collections, runs the engine-idle step. Its own failures
//    are EDatabaseError without a component name; engine failures arrive
//    unchanged as automation::EOleException. A failed connect leaves the
//    component not connected.
//  - SetConnected(false) closes every open table first, then the database;
//    engine and workspace stay.
//  - The destructor disconnects, closes the workspace and releases COM if
//    this component initialised it; it never throws.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/TComponent.h"
#include "platform/automation/automation_object.h"

namespace data {

class TOrvDaoTable;
class TOrvDaoDatabase;

// The engine's last error (DBEngine.Errors(0)); 0 and empty texts when none.
struct TDaoError {
  std::int32_t Number = 0;
  std::string Source;
  std::string Description;
  std::string HelpFile;
  std::int32_t HelpContext = 0;
};

// Receives "USER NAME=<v>", "PASSWORD=<v>", "DBPASSWORD=<v>" and may change
// the values after the "=".
using TLoginEvent = std::function<void(TOrvDaoDatabase&, std::vector<std::string>& loginParams)>;
using TConnectEvent = std::function<void(TOrvDaoDatabase&)>;

// The name quoting rule used in generated criteria: every part between dots
// in square brackets ("a.b.c" gives "[a].[b].[c]", "a" gives "[a]").
std::string BracketName(std::string_view name);

class TOrvDaoDatabase : public framework::TComponent {
 public:
  explicit TOrvDaoDatabase(std::string name = {}, framework::TComponent* owner = nullptr);
  ~TOrvDaoDatabase() override;

  void Loaded() override;

  // A program's start-up hint, before it builds the window whose components
  // will open `database`: the engine may begin readying what that database
  // needs (a server database's storage loads in the background meanwhile).
  // Changes nothing a component sees; never fails, since the open itself
  // reports whatever is wrong. Needs COM initialised on this thread.
  static void PrepareEngineFor(const std::string& database) noexcept;

  // ---- Published properties (layout order) ----
  // Informational: the component's own version "9.10"; a stored value is ignored.
  const std::string& ComponentVersion() const noexcept { return componentVersion_; }
  void SetComponentVersion(const std::string&) noexcept {}
  bool Exclusive() const noexcept { return exclusive_; }
  void SetExclusive(bool value);
  // The open database's collating order by name (empty when not
  // connected); a stored value is ignored.
  std::string DatabaseLanguage() const;
  void SetDatabaseLanguage(const std::string&) noexcept {}
  // "Access" after creation; setting it also empties Database.
  const std::string& DatabaseType() const noexcept { return databaseType_; }
  void SetDatabaseType(const std::string& value);
  const std::string& Database() const noexcept { return database_; }
  void SetDatabase(const std::string& value);
  const std::string& DatabaseParameters() const noexcept { return databaseParameters_; }
  void SetDatabaseParameters(const std::string& value);
  // After connecting: the database's Version ("3.0"); a stored value is ignored.
  const std::string& DatabaseVersionInfo() const noexcept { return databaseVersionInfo_; }
  // The network or FUSE file system the connected database file lies on
  // ("NFS", "SMB/CIFS", "FUSE", ...); empty on a local disk, before
  // connecting, and for engines that do not tell.
  const std::string& NetworkFileSystem() const noexcept { return networkFileSystem_; }
  void SetDatabaseVersionInfo(const std::string&) noexcept {}
  bool ReadOnly() const noexcept { return readOnly_; }
  // True also makes every open table read-only.
  void SetReadOnly(bool value);
  // Asking for login values needs a dialog, which this layer does not
  // have: the value is kept and the stored values are used as they stand.
  bool LoginPrompt() const noexcept { return loginPrompt_; }
  void SetLoginPrompt(bool value);
  const std::string& UserName() const noexcept { return userName_; }
  void SetUserName(const std::string& value);
  bool UseODBCDialog() const noexcept { return useOdbcDialog_; }
  void SetUseODBCDialog(bool value) noexcept { useOdbcDialog_ = value; }
  const std::string& Password() const noexcept { return password_; }
  void SetPassword(const std::string& value);
  const std::string& DatabasePassword() const noexcept { return databasePassword_; }
  void SetDatabasePassword(const std::string& value);
  // The engine's workgroup file; after creation the registered default
  // (HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\JET\<3.5 or 4.0>\Engines,
  // "SystemDB"). Setting an empty text takes that default.
  const std::string& SystemDatabase() const noexcept { return systemDatabase_; }
  void SetSystemDatabase(const std::string& value);
  bool SaveUserName() const noexcept { return saveUserName_; }
  void SetSaveUserName(bool value) noexcept { saveUserName_ = value; }
  // Setting it refreshes the collections when connected.
  bool ShowSystemObjects() const noexcept { return showSystemObjects_; }
  void SetShowSystemObjects(bool value);
  // Look for a missing database file in the program's directory.
  bool SmartOpen() const noexcept { return smartOpen_; }
  void SetSmartOpen(bool value) noexcept { smartOpen_ = value; }
  // DAO workspace type: 2 Jet, 1 ODBCDirect.
  int EngineType() const noexcept { return engineType_; }
  void SetEngineType(int value);
  bool PrivateEngine() const noexcept { return privateEngine_; }
  void SetPrivateEngine(bool value);
  bool TrackTransactions() const noexcept { return trackTransactions_; }
  void SetTrackTransactions(bool value);
  // Informational; True once an engine was created.
  bool UsesDynaDao() const noexcept { return usesDynaDao_; }
  void SetUsesDynaDao(bool) noexcept {}
  // "3.5" or "3.6"; only the first three characters of a new value count.
  const std::string& Version() const noexcept { return version_; }
  void SetVersion(const std::string& value);
  // Informational: the engine's Version and "(In Access'97 mode)" /
  // "(In Access'2000 mode)"; stored values are ignored.
  const std::string& VersionDetails() const noexcept { return versionDetails_; }
  void SetVersionDetails(const std::string&) noexcept {}
  const std::string& VersionInfo() const noexcept { return versionInfo_; }
  void SetVersionInfo(const std::string&) noexcept {}
  // The workspace to create; after creation the name the engine gave it.
  const std::string& Workspace() const noexcept { return workspaceName_; }
  void SetWorkspace(const std::string& value);
  int DefaultCursorDriver() const noexcept { return defaultCursorDriver_; }
  void SetDefaultCursorDriver(int value);
  // Seconds; given to the database only when not 60.
  int QueryTimeout() const noexcept { return queryTimeout_; }
  void SetQueryTimeout(int value) noexcept { queryTimeout_ = value; }
  // Choosing the engine version from the file's header is not built; the
  // value is kept.
  bool MdbVersionAutoDetect() const noexcept { return mdbVersionAutoDetect_; }
  void SetMdbVersionAutoDetect(bool value) noexcept { mdbVersionAutoDetect_ = value; }
  bool Connected() const noexcept { return connected_; }
  void SetConnected(bool value);

  // ---- Events ----
  TLoginEvent OnLogin;
  TConnectEvent OnBeforeConnect, OnAfterConnect, OnBeforeDisconnect, OnAfterDisconnect;

  // ---- Services for the tables ----
  // The engine objects; empty references when there is none.
  const automation::ObjectRef& DaoEngine() const noexcept { return engine_; }
  const automation::ObjectRef& DaoWorkspace() const noexcept { return workspace_; }
  // Valid while Connected().
  const automation::ObjectRef& DaoDatabase() const noexcept { return daoDatabase_; }
  // engine.Idle(1) then engine.Idle(8): locks freed, caches refreshed.
  void EngineIdle();
  // Re-reads the engine's collections and the table and query names; each
  // engine call on its own, a failing one is skipped.
  void RefreshCollections();
  TDaoError LastEngineError() const;
  // Tables open on this database, in the order they opened.
  int OpenTableCount() const noexcept { return static_cast<int>(openTables_.size()); }
  void AddOpenTable(TOrvDaoTable& table);
  void RemoveOpenTable(const TOrvDaoTable& table) noexcept;
  // Open transaction levels (the program never starts one) and the note a
  // table leaves in the innermost one when it opens.
  int TransactionLevels() const noexcept { return static_cast<int>(transactionLog_.size()); }
  void NoteOpenedTable(const std::string& tableName);

  // Filled by the collection refresh.
  const std::vector<std::string>& TableNames() const noexcept { return tableNames_; }
  const std::vector<std::string>& QueryNames() const noexcept { return queryNames_; }
  // Filled at creation.
  const std::vector<std::string>& AvailableVersions() const noexcept { return availableVersions_; }
  const std::vector<std::string>& DatabaseTypes() const noexcept { return databaseTypes_; }
  const std::vector<std::string>& OdbcDrivers() const noexcept { return odbcDrivers_; }
  const std::vector<std::string>& SystemDataSources() const noexcept { return systemDataSources_; }
  const std::vector<std::string>& UserDataSources() const noexcept { return userDataSources_; }
  // "name=DBQ" of every data source with a file.
  const std::vector<std::string>& FileDataSources() const noexcept { return fileDataSources_; }

  // Query definitions (the program uses none). All but the read refresh
  // the collections afterwards; the read gives "" when it fails.
  void CreateQueryDef(const std::string& name, const std::string& sql);
  void SetQueryDefSQL(const std::string& name, const std::string& sql);
  std::string QueryDefSQL(const std::string& name) const;
  void DeleteIndex(const std::string& table, const std::string& index);

 protected:
  void Notification(framework::TComponent& component, framework::TOperation operation) override;

 private:
  struct OpenTable {
    std::string name;
    TOrvDaoTable* table;
  };

  // Engine (TOrvDaoDatabaseEngine.cpp).
  void InitializeCom();
  void ReleaseCom() noexcept;
  void ProbeVersions();
  std::string ProgId(std::string_view version) const;
  void CreateEngine();
  void ReadVersionTexts(bool clearUnknown);
  void RecreateEngineAndWorkspace();
  void ReadRegistryLists();
  void RebuildDatabaseTypes();
  std::string RegisteredSystemDatabase() const;
  // Runs a setter's change outside loading: re-create, or put the old value
  // back, re-create with it and raise.
  template <class T>
  void ApplyEngineSetting(T& property, T value);

  // Connection (TOrvDaoDatabaseConnect.cpp).
  void Connect();
  void OpenAccessDatabase();
  void OpenOtherDatabase();
  void Disconnect();
  void CheckNotConnected(std::string_view message) const;

  std::string componentVersion_ = "9.10";
  bool exclusive_ = false;
  std::string databaseType_ = "Access";
  std::string database_;
  std::string databaseParameters_;
  std::string databaseVersionInfo_;
  std::string networkFileSystem_;
  bool readOnly_ = false;
  bool loginPrompt_ = false;
  std::string userName_ = "Admin";
  bool useOdbcDialog_ = true;
  std::string password_;
  std::string databasePassword_;
  std::string systemDatabase_;
  bool saveUserName_ = true;
  bool showSystemObjects_ = false;
  bool smartOpen_ = true;
  int engineType_ = 2;
  bool privateEngine_ = false;
  bool trackTransactions_ = true;
  bool usesDynaDao_ = false;
  std::string version_;
  std::string versionDetails_;
  std::string versionInfo_;
  std::string workspaceName_ = "DaoWorkspace";
  int defaultCursorDriver_ = -1;
  int queryTimeout_ = 60;
  bool mdbVersionAutoDetect_ = false;
  bool connected_ = false;

  automation::ObjectRef engine_;
  automation::ObjectRef workspace_;
  automation::ObjectRef daoDatabase_;
  bool comInitialized_ = false;

  std::vector<std::string> availableVersions_;
  std::vector<OpenTable> openTables_;
  std::vector<std::string> tableNames_;
  std::vector<std::string> queryNames_;
  std::vector<std::string> transactionLog_;
  std::vector<std::string> databaseTypes_;
  std::vector<std::string> odbcDrivers_;
  std::vector<std::string> systemDataSources_;
  std::vector<std::string> userDataSources_;
  std::vector<std::string> fileDataSources_;
};

}  // namespace data
