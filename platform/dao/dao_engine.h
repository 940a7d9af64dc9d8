#pragma once
// The engine's top object, DBEngine, as the class registered under the
// ProgID "DAO.DBEngine.36" (see engine_registration.cpp).
//
// Members: Version ("3.6"), SystemDB, DefaultUser, DefaultPassword,
// DefaultType (1 or 2), LoginTimeout, IniPath, LockTimeout (milliseconds a
// database waits for another program's lock before failing; 5000),
// CreateWorkspace(name, user, password[, type]), Workspaces (Count, Item,
// Append, Delete, Refresh; the default workspace "#Default Workspace#" comes
// first), OpenDatabase (on the default workspace), Idle([action]), Errors
// (Count, Item(i) with Number, Source, Description, HelpFile, HelpContext;
// Refresh), Properties.
//
// Accounts: the engine has one user, "admin" (any letter case), with an
// empty password; any other user or password in CreateWorkspace is 3029.
// Type 1 (ODBCDirect) is 3251. The workgroup file named by SystemDB is kept
// but not read: it need not exist.
//
// Idle does nothing: between calls the engine holds no read locks, and rows
// are read afresh after any commit, so there is nothing to free or refresh.
#include <memory>

#include "platform/automation/automation_object.h"

namespace dao {

constexpr const char* kEngineProgId = "DAO.DBEngine.36";
constexpr const char* kEngineVersion = "3.6";

// A new, independent DBEngine object.
automation::ObjectRef createEngine();

}  // namespace dao
