#include "platform/dao/dao_database.h"

#include <algorithm>

#include "platform/automation/text_compare.h"
#include "platform/dao/dao_recordset.h"
#include "platform/dao/dynaset.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/table_schema.h"

namespace dao {

using automation::Arguments;
using automation::ObjectRef;
using automation::Variant;

namespace {

constexpr std::int32_t kOptionReadOnly = 4;   // dbReadOnly among the options
constexpr std::int32_t kOptionPassThrough = 64;  // dbSQLPassThrough
constexpr std::int32_t kLockPessimistic = 2;
constexpr std::int32_t kLockReadOnly = 4;

}  // namespace

Storage& DatabaseState::openStorage() const {
  if (!storage->isOpen()) raise(error::objectClosed);
  return *storage;
}

void DatabaseState::readTableDefs() {
  Storage& database = openStorage();
  tableDefs.clear();
  for (const TableSummary& summary : database.listTables()) {
    tableDefs.push_back(makeTableDef(errors, storage, summary.name, summary.attributes));
  }
  tableDefsRead = true;
}

std::vector<ObjectRef> DatabaseState::openRecordsets() const {
  std::vector<ObjectRef> open;
  for (const auto& weak : recordsets) {
    if (auto recordset = weak.lock(); recordset && !recordset->isClosed()) open.push_back(recordset);
  }
  return open;
}

DaoDatabase::DaoDatabase(std::shared_ptr<ErrorLog> errors, std::shared_ptr<Storage> storage, std::string connect)
    : DaoObject(errors), state_(std::make_shared<DatabaseState>()) {
  state_->storage = std::move(storage);
  state_->errors = std::move(errors);
  state_->connect = std::move(connect);
}

void DaoDatabase::close() noexcept {
  for (const std::weak_ptr<DaoRecordset>& weak : state_->recordsets) {
    if (auto recordset = weak.lock()) recordset->close();
  }
  state_->recordsets.clear();
  state_->tableDefs.clear();
  state_->storage->close();
}

std::shared_ptr<DaoRecordset> DaoDatabase::openRecordset(const Arguments& arguments) {
  Storage& database = storage();
  const std::string name = arguments[0].asText();
  const std::int32_t type = integerArgument(arguments, 1, recordset_type::table);
  const std::int32_t options = integerArgument(arguments, 2, 0);
  const std::int32_t lockType = integerArgument(arguments, 3, 3);
  bool readOnly = false;
  switch (type) {
    case recordset_type::table:
    case recordset_type::dynaset: break;
    case recordset_type::snapshot:
    case recordset_type::forwardOnly: readOnly = true; break;
    case recordset_type::dynamic: raise(error::unsupportedOperation);
    default: raise(error::invalidArgument);
  }
  if ((options & kOptionPassThrough) != 0 || lockType == kLockPessimistic) raise(error::unsupportedOperation);
  if ((options & kOptionReadOnly) != 0 || lockType == kLockReadOnly) readOnly = true;
  std::shared_ptr<const TableSchema> table = database.loadTableSchema(name);
  auto dynaset = std::make_unique<Dynaset>(state_->storage, std::move(table), readOnly);
  auto recordset = std::make_shared<DaoRecordset>(errorLog(), std::move(dynaset), type);
  std::erase_if(state_->recordsets, [](const std::weak_ptr<DaoRecordset>& weak) {
    const auto open = weak.lock();
    return !open || open->isClosed();
  });
  state_->recordsets.push_back(recordset);
  return recordset;
}

std::shared_ptr<DaoCollection> DaoDatabase::tableDefs() {
  storage();
  if (!tableDefs_) {
    const std::shared_ptr<DatabaseState> state = state_;
    const auto ensureRead = [state] {
      state->openStorage();
      if (!state->tableDefsRead) state->readTableDefs();
    };
    CollectionAccess access;
    access.count = [state, ensureRead] {
      ensureRead();
      return state->tableDefs.size();
    };
    access.item = [state](std::size_t index) { return state->tableDefs[index]; };
    access.find = [state, ensureRead](std::string_view name) -> std::optional<std::size_t> {
      ensureRead();
      for (std::size_t i = 0; i < state->tableDefs.size(); ++i) {
        if (automation::equalsIgnoringAsciiCase(state->tableDefs[i]->get("Name").asText(), name)) return i;
      }
      return std::nullopt;
    };
    access.refresh = [state] { state->readTableDefs(); };
    tableDefs_ = std::make_shared<DaoCollection>("TableDefs", errorLog(), std::move(access));
  }
  return tableDefs_;
}

std::shared_ptr<DaoCollection> DaoDatabase::recordsets() {
  storage();
  const std::shared_ptr<DatabaseState> state = state_;
  CollectionAccess access;
  access.count = [state] { return state->openRecordsets().size(); };
  access.item = [state](std::size_t index) { return state->openRecordsets()[index]; };
  access.refresh = [] {};
  return std::make_shared<DaoCollection>("Recordsets", errorLog(), std::move(access));
}

std::shared_ptr<DaoCollection> DaoDatabase::properties() {
  storage();
  const std::shared_ptr<DatabaseState> state = state_;
  return makeProperties(errorLog(), [state] {
    return PropertyList{
        {"Name", [state] { return Variant(state->openStorage().displayName()); }},
        {"Connect", [state] { return Variant(state->connect); }},
        {"Version", [state] { return Variant(state->openStorage().version()); }},
        {"CollatingOrder", [state] { return Variant(state->openStorage().collatingOrder()); }},
        {"QueryTimeout", [state] { return Variant(static_cast<std::int16_t>(state->queryTimeout)); }},
        {"Updatable", [state] { return Variant(!state->openStorage().isReadOnly()); }},
        {"Transactions", [] { return Variant(true); }},
        {"RecordsAffected", [] { return Variant(0); }},
    };
  });
}

std::shared_ptr<DaoCollection> DaoDatabase::emptyCollection(std::string typeName) {
  storage();
  return makeEmptyCollection(std::move(typeName), errorLog());
}

const automation::DispatchTable& DaoDatabase::dispatchTable() const {
  using Self = DaoDatabase;
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<Self>()
          .method(member::kOpenRecordset, 1, 4,
                  [](Self& self, const Arguments& arguments) { return self.openRecordset(arguments); })
          .property(member::kName, [](Self& self) { return self.storage().displayName(); })
          .property(member::kVersion, [](Self& self) { return self.storage().version(); })
          .property(member::kCollatingOrder, [](Self& self) { return self.storage().collatingOrder(); })
          .property(member::kQueryTimeout,
                    [](Self& self) {
                      self.storage();
                      return static_cast<std::int16_t>(self.state_->queryTimeout);
                    },
                    [](Self& self, const Variant& value) {
                      self.storage();
                      const std::int32_t seconds = value.asInt32();
                      if (seconds < 0 || seconds > 32767) raise(error::invalidArgument);
                      self.state_->queryTimeout = seconds;
                    })
          .property(member::kRecordsAffected, [](Self& self) {
            self.storage();
            return 0;
          })
          .property(member::kUpdatable, [](Self& self) { return !self.storage().isReadOnly(); })
          // The engine's own: the network or FUSE file system the file lies
          // on ("NFS", "SMB2", ...), empty on a local disk.
          .property(member::kNetworkFileSystem, [](Self& self) { return self.storage().networkFileSystem(); })
          .property(member::kConnect, [](Self& self) {
            self.storage();
            return self.state_->connect;
          })
          .property(member::kTableDefs, [](Self& self) { return self.tableDefs(); })
          .property(member::kQueryDefs, [](Self& self) { return self.emptyCollection("QueryDefs"); })
          .property(member::kContainers, [](Self& self) { return self.emptyCollection("Containers"); })
          .property(member::kRelations, [](Self& self) { return self.emptyCollection("Relations"); })
          .property(member::kRecordsets, [](Self& self) { return self.recordsets(); })
          .property(member::kProperties, [](Self& self) { return self.properties(); })
          .method(member::kCreateQueryDef, 0, 2,
                  [](Self& self, const Arguments&) {
                    self.storage();
                    raise(error::unsupportedOperation);
                  })
          .method(member::kClose, 0, 0,
                  [](Self& self, const Arguments&) {
                    self.storage();
                    self.close();
                  })
          .build();
  return table;
}

}  // namespace dao
