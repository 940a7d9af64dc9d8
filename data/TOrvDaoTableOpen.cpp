// TOrvDaoTable: properties, opening the recordset, field definitions from
// the engine, and closing.
#include <algorithm>

#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "data/engine_text.h"
#include "data/messages.h"
#include "framework/DbErrors.h"
#include "framework/TextRules.h"
#include "platform/big5/big5.h"
#include "platform/dao/typelib/dao_typelib.h"

namespace data {

using namespace dao;  // the engine's type library: member names and codes

using automation::ObjectRef;
using framework::DatabaseError;
using framework::TFieldType;

namespace {

struct MappedType {
  TFieldType type;
  int size;
};

MappedType MapDaoType(int daoType, int daoSize, std::int32_t attributes, const std::string& format) {
  using namespace framework;
  switch (daoType) {
    case dbBoolean: return {ftBoolean, 0};
    case dbByte:
    case dbInteger: return {ftSmallint, 0};
    case dbLong: return {(attributes & field_attribute::autoIncrement) != 0 ? ftAutoInc : ftInteger, 0};
    case dbBigInt: return {ftInteger, 0};
    case dbCurrency: return {ftCurrency, 0};
    case dbSingle:
    case dbDouble:
    case dbNumeric:
    case dbDecimal:
    case dbFloat: return {ftFloat, 0};
    case dbDate:
      return {format == "Long Time" || format == "Medium Time" || format == "Short Time" ? ftTime : ftDateTime, 0};
    case dbBinary:
    case dbGUID: return {ftBytes, daoSize};
    case dbText:
    case dbChar: return {ftString, daoSize == 0 ? 255 : daoSize};
    case dbLongBinary:
    case dbVarBinary: return {ftBlob, daoSize};
    case dbMemo: return {ftMemo, daoSize};
    default: return {ftUnknown, 0};
  }
}

bool IsNumericDaoType(int daoType) {
  switch (daoType) {
    case dbByte:
    case dbInteger:
    case dbLong:
    case dbCurrency:
    case dbSingle:
    case dbDouble:
    case dbBigInt:
    case dbNumeric:
    case dbDecimal:
    case dbFloat: return true;
    default: return false;
  }
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    if (framework::SameName(text.substr(i, part.size()), part)) return true;
  }
  return false;
}

// A field's DefaultValue as the engine reports it, in the form a new row's
// buffer takes.
std::string DefaultTextOf(int daoType, std::string value) {
  if ((daoType == dbText || daoType == dbMemo) && value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  if (daoType == dbDate) {
    // Only a date literal is kept, in the buffers' date text.
    if (value.size() < 2 || value.front() != '#' || value.back() != '#') return {};
    try {
      const automation::Date date = automation::Variant(value.substr(1, value.size() - 2)).asDate();
      return automation::Variant(date).asText();
    } catch (const std::exception&) {
      return {};
    }
  }
  if (framework::SameName(value, "Null")) return {};
  return Big5FromEngine(value);
}

// The field's "Format" property when its Properties collection has one.
std::string FormatProperty(const ObjectRef& field) {
  const ObjectRef properties = field->getObject(member::kProperties);
  const int count = properties->get(member::kCount).asInt32();
  for (int i = 0; i < count; ++i) {
    const ObjectRef property = properties->getObject(member::kItem, {i});
    if (framework::SameName(property->get(member::kName).asText(), member::kFormat)) {
      return property->get(member::kValue).asText();
    }
  }
  return {};
}

}  // namespace

TOrvDaoTable::TOrvDaoTable(std::string name, framework::TComponent* owner)
    : framework::TDataSet(std::move(name), owner) {}

TOrvDaoTable::~TOrvDaoTable() {
  try {
    Close();
  } catch (...) {
    // Closing ignores the engine's failures already; nothing is left to report.
  }
}

// ---- Properties ----

void TOrvDaoTable::CheckInactive(std::string_view message) const {
  if (Active() || cursorOpen_) DatabaseError(message);
}

void TOrvDaoTable::SetDatabase(TOrvDaoDatabase* database) {
  if (database == database_) return;
  CheckInactive(STableCannotSetDatabase);
  if (database_ != nullptr) RemoveFreeNotification(*database_);
  database_ = database;
  if (database_ != nullptr) FreeNotification(*database_);
}

void TOrvDaoTable::SetTableName(const std::string& tableName) {
  CheckInactive(SCannotSetTableName);
  tableName_ = tableName;
  // Definitions stored with the component never survive: the engine's count.
  if (!tableName.empty()) InvalidateFieldDefs();
}

void TOrvDaoTable::SetTableType(int tableType) {
  CheckInactive(SCannotSetTableType);
  tableType_ = tableType;
}

void TOrvDaoTable::SetLockType(int lockType) {
  CheckInactive(SCannotSetLockType);
  lockType_ = lockType;
}

bool TOrvDaoTable::LockEdits() {
  if (!cursorOpen_ || ReadOnly() || database_ == nullptr) return false;
  if (framework::SameName(database_->DatabaseType(), "ODBC")) return false;
  if (tableType_ != 1 && tableType_ != 2) return false;
  return recordset_->get(member::kLockEdits).asBoolean();
}

bool TOrvDaoTable::GetCanModify() const { return cursorOpen_ && !ReadOnly(); }

void TOrvDaoTable::Notification(framework::TComponent& component, framework::TOperation operation) {
  framework::TDataSet::Notification(component, operation);
  if (operation == framework::opRemove && &component == static_cast<framework::TComponent*>(database_)) {
    database_ = nullptr;
  }
}

// ---- Opening ----

void TOrvDaoTable::OpenDaoRecordset() {
  if (database_ == nullptr) DatabaseError(SMissingDatabase);
  if (tableName_.empty()) DatabaseError(SMissingTableName);
  if (databaseAutoActivate_) {
    database_->SetConnected(true);
  } else if (!database_->Connected()) {
    DatabaseError(STableNotConnected);
  }
  if (tableType_ == recordset_type::dynamic && database_->DatabaseType() != "ODBC") DatabaseError(SDynamicNeedsOdbc);
  if (database_->ReadOnly() || tableType_ == recordset_type::snapshot || tableType_ == recordset_type::forwardOnly) {
    SetReadOnly(true);
  }

  // The name exactly as written, without brackets.
  recordset_ = database_->DaoDatabase()->getObject(
      member::kOpenRecordset, {big5::toUtf8Lenient(tableName_), tableType_, openOptions_, lockType_});
  try {
    database_->EngineIdle();
    if (!recordset_->get(member::kUpdatable).asBoolean()) SetReadOnly(true);
    bookmarkable_ = recordset_->get(member::kBookmarkable).asBoolean();
    bookmarkIndexes_.clear();
    bookmarkHandles_.clear();
    database_->RefreshCollections();
    recordsAffected_ = database_->DaoDatabase()->get(member::kRecordsAffected).asInt32();

    const ObjectRef fields = recordset_->getObject(member::kFields);
    const int count = fields->get(member::kCount).asInt32();
    // The Field objects are fetched once here; every later read of a value
    // goes to them directly, with no collection look-up.
    fieldObjects_.clear();
    fieldInfo_.assign(static_cast<std::size_t>(count), FieldInfo{});
    for (int i = 0; i < count; ++i) fieldObjects_.push_back(fields->getObject(member::kItem, {i}));
    const bool jet = database_->EngineType() == workspace_type::jet;
    for (std::size_t i = 0; i < fieldObjects_.size(); ++i) {
      const ObjectRef& field = fieldObjects_[i];
      FieldInfo& info = fieldInfo_[i];
      info.daoType = field->get(member::kType).asInt32();
      if (ReadOnly() || !useDaoProperties_) continue;
      const std::int32_t attributes = field->get(member::kAttributes).asInt32();
      info.writable = (attributes & field_attribute::updatable) != 0 &&
                      (attributes & (field_attribute::autoIncrement | field_attribute::system)) == 0;
      if (jet) info.defaultText = DefaultTextOf(info.daoType, field->get(member::kDefaultValue).asText());
    }
  } catch (...) {
    ReleaseRecordset();
    throw;
  }
  currentIndex_ = highestIndex_ = cachedCount_ = -1;
  stepCounter_ = -1;
  recount_ = true;
}

void TOrvDaoTable::ReadFieldDefs() {
  framework::TFieldDefs& defs = FieldDefs();
  defs.Clear();
  const bool jet = database_ != nullptr && database_->EngineType() == workspace_type::jet;
  for (std::size_t i = 0; i < fieldObjects_.size(); ++i) {
    const ObjectRef& field = fieldObjects_[i];
    FieldInfo& info = fieldInfo_[i];
    const int daoType = field->get(member::kType).asInt32();
    const std::string name = Big5FromEngine(field->get(member::kName).asText());
    const int size = field->get(member::kSize).asInt32();
    const std::string format = daoType == dbDate ? FormatProperty(field) : std::string();
    std::int32_t attributes = 0;
    if (daoType == dbLong) attributes = field->get(member::kAttributes).asInt32();
    const MappedType mapped = MapDaoType(daoType, size, attributes, format);
    if (mapped.type == framework::ftAutoInc && jet) info.defaultText.clear();
    if (IsNumericDaoType(daoType) && ContainsIgnoringCase(info.defaultText, "genuniqueid")) info.defaultText.clear();
    if (mapped.type == framework::ftBlob) info.defaultText.clear();
    const bool required = !ReadOnly() && useDaoProperties_ && field->get(member::kRequired).asBoolean();
    defs.Add(name, mapped.type, mapped.size, required);
  }
}

void TOrvDaoTable::InternalInitFieldDefs() {
  if (cursorOpen_) {
    ReadFieldDefs();
    return;
  }
  // Asked for while closed: open the recordset just for its definitions.
  OpenDaoRecordset();
  try {
    ReadFieldDefs();
  } catch (...) {
    ReleaseRecordset();
    throw;
  }
  ReleaseRecordset();
}

void TOrvDaoTable::InternalOpen() {
  OpenDaoRecordset();
  try {
    ReadFieldDefs();
    CreateFields();
    for (int i = 0; i < Fields().Count() && i < static_cast<int>(fieldInfo_.size()); ++i) {
      if (!fieldInfo_[static_cast<std::size_t>(i)].writable) Fields()[i].SetReadOnly(true);
    }
  } catch (...) {
    ReleaseRecordset();
    throw;
  }
  cursorOpen_ = true;
  if (tableType_ == recordset_type::table) {
    try {
      GetRecordCount();
    } catch (const std::exception&) {
      // Only a warm-up of the count.
    }
  }
  // The framework puts the cursor before the first row itself (InternalFirst).
  database_->AddOpenTable(*this);
  database_->NoteOpenedTable(tableName_);
  database_->EngineIdle();
}

// ---- Closing ----

void TOrvDaoTable::ReleaseRecordset() noexcept {
  fieldObjects_.clear();
  if (recordset_) {
    try {
      recordset_->call(member::kClose);
    } catch (...) {
      // Closing cannot fail the caller: the reference goes either way.
    }
    recordset_.reset();
  }
}

void TOrvDaoTable::InternalClose() {
  if (!cursorOpen_) {
    ReleaseRecordset();
    return;
  }
  if (engineEditing_) {
    try {
      recordset_->call(member::kCancelUpdate);
    } catch (...) {
    }
    engineEditing_ = false;
  }
  cursorOpen_ = false;
  ReleaseRecordset();
  fieldInfo_.clear();
  bookmarkIndexes_.clear();
  bookmarkHandles_.clear();
  if (!closedByDatabase_ && database_ != nullptr) database_->RemoveOpenTable(*this);
  oldValues_.reset();
}

void TOrvDaoTable::CloseByDatabase() {
  closedByDatabase_ = true;
  try {
    SetActive(false);
  } catch (...) {
    closedByDatabase_ = false;
    throw;
  }
  closedByDatabase_ = false;
}

}  // namespace data
