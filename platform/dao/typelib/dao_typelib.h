#pragma once
// The engine's type library: the numbers and names that both sides of the
// automation interface agree on. The engine defines its objects with them;
// a client (the data layer) reaches those objects by ProgID and member name
// and reads these codes back. One home for each value, so that a code can be
// followed from the client's call to the engine's answer.
//
// Dependency-free on purpose: a client includes it without linking the engine.
// Late binding stays: a member name here is still looked up at the time of
// the call, without regard to letter case.
#include <cstdint>
#include <string_view>

namespace dao {

// Field type codes, as the engine reports them in Field.Type.
enum FieldTypeCode : int {
  dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5,
  dbSingle = 6, dbDouble = 7, dbDate = 8, dbBinary = 9, dbText = 10,
  dbLongBinary = 11, dbMemo = 12, dbGUID = 15, dbBigInt = 16,
  dbVarBinary = 17, dbChar = 18, dbNumeric = 19, dbDecimal = 20, dbFloat = 21,
};

// Field attribute bits, as Field.Attributes reports them.
namespace field_attribute {
constexpr std::int32_t fixed = 1;
constexpr std::int32_t variable = 2;
constexpr std::int32_t autoIncrement = 16;
constexpr std::int32_t updatable = 32;
constexpr std::int32_t system = 8192;
}  // namespace field_attribute

// TableDef.Attributes of system tables (dbSystemObject): a table is a system
// table when any of these bits is set.
constexpr std::int32_t kSystemTableAttributes = static_cast<std::int32_t>(0x80000002u);

// Recordset type codes (OpenRecordset's second argument).
namespace recordset_type {
constexpr int table = 1;
constexpr int dynaset = 2;
constexpr int snapshot = 4;
constexpr int forwardOnly = 8;
constexpr int dynamic = 16;
}  // namespace recordset_type

// Recordset.EditMode.
namespace edit_mode {
constexpr int none = 0;
constexpr int editing = 1;
constexpr int adding = 2;
}  // namespace edit_mode

// Workspace types (DBEngine.DefaultType, CreateWorkspace's fourth argument).
namespace workspace_type {
constexpr int odbc = 1;
constexpr int jet = 2;
}  // namespace workspace_type

// DBEngine.Idle's flags.
namespace idle {
constexpr int freeLocks = 1;
constexpr int refreshCache = 8;
}  // namespace idle

// The member names of the engine's objects (and the "Format" property of a
// field's Properties collection).
namespace member {
inline constexpr std::string_view kAbsolutePosition = "AbsolutePosition";
inline constexpr std::string_view kAddNew = "AddNew";
inline constexpr std::string_view kAllowZeroLength = "AllowZeroLength";
inline constexpr std::string_view kAppend = "Append";
inline constexpr std::string_view kAttributes = "Attributes";
inline constexpr std::string_view kBOF = "BOF";
inline constexpr std::string_view kBookmark = "Bookmark";
inline constexpr std::string_view kBookmarkable = "Bookmarkable";
inline constexpr std::string_view kCancelUpdate = "CancelUpdate";
inline constexpr std::string_view kClone = "Clone";
inline constexpr std::string_view kClose = "Close";
inline constexpr std::string_view kCollatingOrder = "CollatingOrder";
inline constexpr std::string_view kConnect = "Connect";
inline constexpr std::string_view kContainers = "Containers";
inline constexpr std::string_view kCount = "Count";
inline constexpr std::string_view kCreateQueryDef = "CreateQueryDef";
inline constexpr std::string_view kCreateWorkspace = "CreateWorkspace";
inline constexpr std::string_view kDatabases = "Databases";
inline constexpr std::string_view kDefaultCursorDriver = "DefaultCursorDriver";
inline constexpr std::string_view kDefaultPassword = "DefaultPassword";
inline constexpr std::string_view kDefaultType = "DefaultType";
inline constexpr std::string_view kDefaultUser = "DefaultUser";
inline constexpr std::string_view kDefaultValue = "DefaultValue";
inline constexpr std::string_view kDelete = "Delete";
inline constexpr std::string_view kDescription = "Description";
inline constexpr std::string_view kEOF = "EOF";
inline constexpr std::string_view kEdit = "Edit";
inline constexpr std::string_view kEditMode = "EditMode";
inline constexpr std::string_view kErrors = "Errors";
inline constexpr std::string_view kFieldSize = "FieldSize";
// Recordset.FieldValues([IncludeMemos], [IncludeBinaries]): the current
// row's field values in one call, an array in the order of Fields, each as
// its field's Value reads it (errors too: 3021 without a current row, 3167
// when the row is deleted). Memo fields (IncludeMemos False) and VarBinary
// and Long Binary fields (IncludeBinaries False) come as Empty instead;
// both default to True.
inline constexpr std::string_view kFieldValues = "FieldValues";
inline constexpr std::string_view kFields = "Fields";
inline constexpr std::string_view kFindFirst = "FindFirst";
inline constexpr std::string_view kFormat = "Format";
inline constexpr std::string_view kGroups = "Groups";
inline constexpr std::string_view kHelpContext = "HelpContext";
inline constexpr std::string_view kHelpFile = "HelpFile";
inline constexpr std::string_view kIdle = "Idle";
inline constexpr std::string_view kIndexes = "Indexes";
inline constexpr std::string_view kInherited = "Inherited";
inline constexpr std::string_view kIniPath = "IniPath";
inline constexpr std::string_view kItem = "Item";
inline constexpr std::string_view kLastModified = "LastModified";
inline constexpr std::string_view kLockEdits = "LockEdits";
inline constexpr std::string_view kLockTimeout = "LockTimeout";
inline constexpr std::string_view kLoginTimeout = "LoginTimeout";
inline constexpr std::string_view kMove = "Move";
inline constexpr std::string_view kMoveFirst = "MoveFirst";
inline constexpr std::string_view kMoveLast = "MoveLast";
inline constexpr std::string_view kMoveNext = "MoveNext";
inline constexpr std::string_view kMovePrevious = "MovePrevious";
inline constexpr std::string_view kName = "Name";
// DBEngine.PrepareDatabase(Name), this engine's own: a hint a program gives
// as soon as it knows which database it will open, before it builds its
// window. A server database's storage starts loading in the background; the
// open itself is unchanged. Never fails; nothing for a file.
inline constexpr std::string_view kPrepareDatabase = "PrepareDatabase";
inline constexpr std::string_view kNetworkFileSystem = "NetworkFileSystem";  // the engine's own: "NFS", "SMB2", ... or empty on a local disk
inline constexpr std::string_view kNoMatch = "NoMatch";
inline constexpr std::string_view kNumber = "Number";
inline constexpr std::string_view kOpenConnection = "OpenConnection";
inline constexpr std::string_view kOpenDatabase = "OpenDatabase";
inline constexpr std::string_view kOpenRecordset = "OpenRecordset";
inline constexpr std::string_view kOrdinalPosition = "OrdinalPosition";
inline constexpr std::string_view kProperties = "Properties";
inline constexpr std::string_view kQueryDefs = "QueryDefs";
inline constexpr std::string_view kQueryTimeout = "QueryTimeout";
inline constexpr std::string_view kRecordCount = "RecordCount";
inline constexpr std::string_view kRecordsAffected = "RecordsAffected";
inline constexpr std::string_view kRecordsets = "Recordsets";
inline constexpr std::string_view kRefresh = "Refresh";
inline constexpr std::string_view kRelations = "Relations";
inline constexpr std::string_view kRequired = "Required";
inline constexpr std::string_view kSQL = "SQL";
inline constexpr std::string_view kSize = "Size";
inline constexpr std::string_view kSource = "Source";
inline constexpr std::string_view kSourceField = "SourceField";
inline constexpr std::string_view kSourceTable = "SourceTable";
inline constexpr std::string_view kSystemDB = "SystemDB";
inline constexpr std::string_view kTableDefs = "TableDefs";
inline constexpr std::string_view kType = "Type";
inline constexpr std::string_view kUpdatable = "Updatable";
inline constexpr std::string_view kUpdate = "Update";
inline constexpr std::string_view kUserName = "UserName";
inline constexpr std::string_view kUsers = "Users";
inline constexpr std::string_view kValue = "Value";
inline constexpr std::string_view kVersion = "Version";
inline constexpr std::string_view kWorkspaces = "Workspaces";
}  // namespace member

}  // namespace dao
