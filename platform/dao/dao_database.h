#pragma once
// The automation Database object (and its TableDefs).
//
// Members: OpenRecordset(name[, type[, options[, lock type]]]), Name,
// Version ("3.0"), CollatingOrder (1033), QueryTimeout (read/write, 60),
// RecordsAffected (0: the engine runs no action queries), Updatable,
// Connect, TableDefs (TableDef: Name, Attributes, RecordCount, Fields,
// Indexes, Properties), QueryDefs, Containers, Relations (empty),
// Recordsets (the open ones), Properties, Close.
//
// OpenRecordset: the table name without brackets, letter case ignored
// (3078 when there is none). Types 1 (table) and 2 (dynaset) give an
// updatable dynaset, 4 (snapshot) and 8 (forward-only) a read-only one;
// 16 (dynamic) is 3251. The option dbReadOnly (4) and the lock type
// dbReadOnly (4) make it read-only; lock type 2 (pessimistic) is 3251.
// A database opened read-only gives read-only recordsets. After Close
// every member raises 3420, and so do the recordsets opened on it.
#include <memory>
#include <string>
#include <vector>

#include "platform/dao/dao_object.h"
#include "platform/dao/storage.h"

namespace dao {

class DaoRecordset;

// What the Database object and its collections share; the collections keep
// it alive on their own, as COM's children keep their parent.
struct DatabaseState {
  std::shared_ptr<Storage> storage;
  std::shared_ptr<ErrorLog> errors;
  std::string connect;
  std::int32_t queryTimeout = 60;
  std::vector<std::weak_ptr<DaoRecordset>> recordsets;
  std::vector<automation::ObjectRef> tableDefs;
  bool tableDefsRead = false;

  Storage& openStorage() const;
  void readTableDefs();
  std::vector<automation::ObjectRef> openRecordsets() const;
};

class DaoDatabase final : public DaoObject {
 public:
  DaoDatabase(std::shared_ptr<ErrorLog> errors, std::shared_ptr<Storage> storage, std::string connect);
  std::string_view typeName() const noexcept override { return "Database"; }

  std::shared_ptr<DaoRecordset> openRecordset(const automation::Arguments& arguments);
  void close() noexcept;
  bool isClosed() const noexcept { return !state_->storage->isOpen(); }
  const std::string& path() const noexcept { return state_->storage->displayName(); }

 protected:
  const automation::DispatchTable& dispatchTable() const override;

 private:
  Storage& storage() const { return state_->openStorage(); }
  std::shared_ptr<DaoCollection> tableDefs();
  std::shared_ptr<DaoCollection> recordsets();
  std::shared_ptr<DaoCollection> properties();
  std::shared_ptr<DaoCollection> emptyCollection(std::string typeName);

  std::shared_ptr<DatabaseState> state_;
  std::shared_ptr<DaoCollection> tableDefs_;
};

// A TableDef of TableDefs: the table's definition (not its rows).
automation::ObjectRef makeTableDef(std::shared_ptr<ErrorLog> errors, std::shared_ptr<Storage> storage,
                                   const std::string& tableName, std::int32_t attributes);

}  // namespace dao
