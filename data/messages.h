#pragma once
// The texts of the data layer's errors, in one table: the connection component
// and the table dataset raise them through framework::DatabaseError, and tests
// compare against them. They are the component's own texts, spelling included.
#include <string_view>

namespace data {

// Setting a property of a connected database
inline constexpr std::string_view SCannotSetDatabase =
    "TOrvDaoDatabase.F_Set_Database: Cannot set Database while Database is connected!";
inline constexpr std::string_view SCannotSetParameters =
    "TOrvDaoDatabase.F_Set_DatabaseParameters: Cannot set DatabaseParameters while Database is connected!";
inline constexpr std::string_view SCannotSetSystemDatabase =
    "TOrvDaoDatabase.F_Set_SystemDatabase: Cannot set SystemDatabase while Database is connected!";
inline constexpr std::string_view SCannotSetVersion =
    "TOrvDaoDatabase.F_Set_DaoVersion: Cannot set Dao Version while Database is connected!";
inline constexpr std::string_view SCannotSetWorkspace =
    "TOrvDaoDatabase.F_Set_Workspace: Cannot set Workspace while Database is connected!";
inline constexpr std::string_view SCannotSetDatabaseType =
    "TOrvDaoDatabase.F_Set_DatabaseType: Cannot set Database Type while Database is connected!";
inline constexpr std::string_view SCannotSetEngineType =
    "TOrvDaoDatabase.F_Set_EngineType: Cannot set EngineType Type while Database is connected!";
inline constexpr std::string_view SCannotSetPrivateEngine =
    "TOrvDaoDatabase.F_Set_EngineType: Cannot set PrivateEngine Type while Database is connected!";
inline constexpr std::string_view SCannotSetReadOnly =
    "TOrvDaoDatabase.F_Set_ReadOnly: Cannot change mode while Database is connected!";
inline constexpr std::string_view SCannotSetExclusive =
    "TOrvDaoDatabase.F_Set_Exclusive: Cannot change Exclusive mode while Database is connected!";
inline constexpr std::string_view SCannotSetLoginPrompt =
    "TOrvDaoDatabase.F_Set_LoginPrompt: Cannot change LoginPrompt while Database is connected!";
inline constexpr std::string_view SCannotSetUserName =
    "TOrvDaoDatabase.F_Set_UserName: Cannot change User Name while Database is connected!";
inline constexpr std::string_view SCannotSetPassword =
    "TOrvDaoDatabase.F_Set_Password: Cannot change Password while Database is connected!";
inline constexpr std::string_view SCannotSetDatabasePassword =
    "TOrvDaoDatabase.F_Set_DatabasePassword: Cannot change Database Password while Database is connected!";
inline constexpr std::string_view SCannotSetTrackTransactions =
    "Cannot set TrackTransactions property when Database is connected!";
inline constexpr std::string_view SNoDao = "Cannot find DAO on your system!";

// Connecting
inline constexpr std::string_view SDatabaseUndefined =
    "TOrvDaoDatabase.F_Set_Active: Database property is not defined!";
inline constexpr std::string_view SDatabaseTypeUndefined =
    "TOrvDaoDatabase.F_Set_Active: DatabaseType property is not defined!";
inline constexpr std::string_view SCannotFindDatabase = "Cannot find Database:\r\n";
inline constexpr std::string_view SNoOdbcDirectForAccess =
    "TOrvDaoDatabase.F_Set_Active: ODBC direct workspaces\r\nare NOT supported for MS Access Databases!";
inline constexpr std::string_view SNoOdbcDirect = "TOrvDaoDatabase.F_Set_Active: ODBC direct workspaces NOT supported!";
inline constexpr std::string_view SNotConnected = "TOrvDaoDatabase: Database is NOT connected";

// Finding the engine
inline constexpr std::string_view SUnableToInitOle = "Unable to init OLE objects!";
inline constexpr std::string_view SNoDaoInstalled =
    "You does not have Microsoft DAO installed ot it is an OLD Version!";

// Editing records
inline constexpr std::string_view SNotBig5 = "Field '%s' holds text that is not Big5 and cannot be stored";

// Locate
inline constexpr std::string_view SKeyCountMismatch =
    "Number of elements in the KeyValues array must be equal to the number of fields.";
inline constexpr std::string_view SNoIndex =
    "Index Property is Empty!\r\nYou must set an index before using Locate with StandardTables";

// Opening a table and setting its properties
inline constexpr std::string_view SMissingDatabase = "TOrvDaoTable.OpenDaoRecordset: Missing Database Property";
inline constexpr std::string_view SMissingTableName =
    "TOrvDaoTable.OpenDaoRecordset: Missing TableName or QueryDefName, or SQL is empty!";
inline constexpr std::string_view STableNotConnected = "TOrvDaoTable.OpenDaoRecordset: Database is NOT connected";
inline constexpr std::string_view SDynamicNeedsOdbc =
    "TOrvDaoTable.OpenDaoRecordset: DynamicTables are for ODBC connections only!";
inline constexpr std::string_view SCannotSetTableName =
    "TOrvDaoTable.F_Set_TableName: Cannot set TableName while Table is active!";
inline constexpr std::string_view SCannotSetTableType =
    "TOrvDaoTable.F_Set_TableType: Cannot set TableType while Table is active!";
inline constexpr std::string_view SCannotSetLockType =
    "TOrvDaoTable.F_Set_LockType: Cannot set LockType while Table is active!";
inline constexpr std::string_view STableCannotSetDatabase =
    "TOrvDaoTable.F_Set_Database: Cannot set Database while Table is Active!";

// Bookmarks
inline constexpr std::string_view SGotoNotActive =
    "TOrvDaoTable.InternalGotoBookmark: Cannot goto Bookmark - Table is not Active";
inline constexpr std::string_view SInvalidBookmark = "Invalid Bookmark!";
inline constexpr std::string_view SBookmarksNotSupported = "Bookmarks are not supported!";

// Writing field values
inline constexpr std::string_view SWriteReadOnly = "Cannot write to ReadOnly table!";

// Locate's criteria
inline constexpr std::string_view SUnableToBuild = "Unable to build Lookup Key SQL!";

}  // namespace data
