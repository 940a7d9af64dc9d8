#pragma once
// The automation Workspace object, and the engine settings it shares with
// its DBEngine.
//
// Members: OpenDatabase(file[, exclusive[, read-only[, connect]]]), Name,
// UserName, Type (2, Jet), Close, Databases (the open ones), Users, Groups,
// Properties (each with Refresh), DefaultCursorDriver (ODBCDirect only:
// 3251).
//
// OpenDatabase: exclusive and read-only are automation Booleans; the
// connect string may carry ";UID=...;PWD=...;" (ignored: the engine's files
// have no passwords); a connect string naming another format ("dBASE IV;",
// "ODBC;...") is 3170. File errors as file_storage.h states. Lock
// waits last DBEngine.LockTimeout milliseconds. After Close every member
// raises 3420 and its databases are closed.
#include <memory>
#include <string>
#include <vector>

#include "platform/dao/dao_object.h"

namespace dao {

class DaoDatabase;

struct EngineSettings {
  std::string systemDb;
  std::string defaultUser = "admin";
  std::string defaultPassword;
  std::int32_t defaultType = 2;
  std::int32_t loginTimeout = 20;
  std::int32_t lockTimeoutMilliseconds = 5000;
};

class DaoWorkspace final : public DaoObject {
 public:
  DaoWorkspace(std::shared_ptr<ErrorLog> errors, std::shared_ptr<const EngineSettings> settings, std::string name,
               std::string userName);
  std::string_view typeName() const noexcept override { return "Workspace"; }

  const std::string& name() const noexcept { return name_; }
  bool isClosed() const noexcept { return closed_; }
  std::shared_ptr<DaoDatabase> openDatabase(const automation::Arguments& arguments);
  void close() noexcept;

 protected:
  const automation::DispatchTable& dispatchTable() const override;

 private:
  void requireOpen() const;
  std::shared_ptr<DaoCollection> databases();
  std::shared_ptr<DaoCollection> namedList(std::string typeName, std::vector<std::string> names);
  std::shared_ptr<DaoCollection> properties();

  std::shared_ptr<const EngineSettings> settings_;
  std::string name_;
  std::string userName_;
  bool closed_ = false;
  // Shared with the Databases collection.
  std::shared_ptr<std::vector<std::shared_ptr<DaoDatabase>>> databases_;
};

}  // namespace dao
