#include "platform/dao/dao_database.h"

#include <algorithm>

#include "platform/automation/text_compare.h"
#include "platform/dao/dao_recordset.h"
#include "platform/dao/dynaset.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/file_format.h"
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

DaoDatabase::DaoDatabase(std::shared_ptr<ErrorLog> errors, std::shared_ptr<DatabaseConnection> connection,
                         std::string connect)
    : DaoObject(std::move(errors)), connection_(std::move(connection)), connect_(std::move(connect)) {}

DatabaseConnection& DaoDatabase::connection() const {
  if (!connection_->isOpen()) raise(error::objectClosed);
  return *connection_;
}

void DaoDatabase::close() noexcept {
  for (const std::weak_ptr<DaoRecordset>& weak : recordsets_) {
    if (auto recordset = weak.lock()) recordset->close();
  }
  recordsets_.clear();
  tableDefObjects_.clear();
  connection_->close();
}

std::shared_ptr<DaoRecordset> DaoDatabase::openRecordset(const Arguments& arguments) {
  DatabaseConnection& database = connection();
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
  std::shared_ptr<const TableSchema> table;
  try {
    table = loadTableSchema(database.sql(), name);
  } catch (const SqliteError& failure) {
    database.raiseSqliteFailure(failure);
  }
  auto dynaset = std::make_unique<Dynaset>(connection_, table, readOnly);
  auto recordset = std::make_shared<DaoRecordset>(errorLog(), std::move(dynaset), type);
  std::erase_if(recordsets_, [](const std::weak_ptr<DaoRecordset>& weak) {
    const auto open = weak.lock();
    return !open || open->isClosed();
  });
  recordsets_.push_back(recordset);
  return recordset;
}

std::shared_ptr<DaoCollection> DaoDatabase::tableDefs() {
  connection();
  if (!tableDefs_) {
    const std::weak_ptr<DaoDatabase> weakSelf = std::static_pointer_cast<DaoDatabase>(shared_from_this());
    const auto self = [weakSelf] {
      auto database = weakSelf.lock();
      if (!database) raise(error::objectClosed);
      database->connection();
      return database;
    };
    const auto read = [self] {
      auto database = self();
      database->tableDefObjects_.clear();
      try {
        for (const TableSummary& summary : listTables(database->connection().sql())) {
          database->tableDefObjects_.push_back(
              makeTableDef(database->errorLog(), database->connection_, summary.name, summary.attributes));
        }
      } catch (const SqliteError& failure) {
        database->connection().raiseSqliteFailure(failure);
      }
      database->tableDefsRead_ = true;
    };
    const auto ensureRead = [self, read] {
      if (!self()->tableDefsRead_) read();
    };
    CollectionAccess access;
    access.count = [self, ensureRead] {
      ensureRead();
      return self()->tableDefObjects_.size();
    };
    access.item = [self](std::size_t index) { return self()->tableDefObjects_[index]; };
    access.find = [self, ensureRead](std::string_view name) -> std::optional<std::size_t> {
      ensureRead();
      auto& objects = self()->tableDefObjects_;
      for (std::size_t i = 0; i < objects.size(); ++i) {
        if (automation::equalsIgnoringCase(objects[i]->get("Name").asText(), name)) return i;
      }
      return std::nullopt;
    };
    access.refresh = read;
    tableDefs_ = std::make_shared<DaoCollection>("TableDefs", errorLog(), std::move(access));
  }
  return tableDefs_;
}

std::shared_ptr<DaoCollection> DaoDatabase::recordsets() {
  connection();
  const std::weak_ptr<DaoDatabase> weakSelf = std::static_pointer_cast<DaoDatabase>(shared_from_this());
  const auto open = [weakSelf] {
    std::vector<ObjectRef> list;
    if (auto database = weakSelf.lock()) {
      for (const auto& weak : database->recordsets_) {
        if (auto recordset = weak.lock(); recordset && !recordset->isClosed()) list.push_back(recordset);
      }
    }
    return list;
  };
  CollectionAccess access;
  access.count = [open] { return open().size(); };
  access.item = [open](std::size_t index) { return open()[index]; };
  access.refresh = [] {};
  return std::make_shared<DaoCollection>("Recordsets", errorLog(), std::move(access));
}

std::shared_ptr<DaoCollection> DaoDatabase::properties() {
  connection();
  const auto self = std::static_pointer_cast<DaoDatabase>(shared_from_this());
  const std::weak_ptr<DaoDatabase> weakSelf = self;
  return makeProperties(errorLog(), [weakSelf] {
    auto database = weakSelf.lock();
    if (!database) raise(error::objectClosed);
    return PropertyList{
        {"Name", [database] { return Variant(database->connection().path()); }},
        {"Connect", [database] { return Variant(database->connect_); }},
        {"Version", [] { return Variant(kFormatVersion); }},
        {"CollatingOrder", [] { return Variant(kCollatingOrder); }},
        {"QueryTimeout", [database] { return Variant(static_cast<std::int16_t>(database->queryTimeout_)); }},
        {"Updatable", [database] { return Variant(!database->connection().isReadOnly()); }},
        {"Transactions", [] { return Variant(true); }},
        {"RecordsAffected", [] { return Variant(0); }},
    };
  });
}

std::shared_ptr<DaoCollection> DaoDatabase::emptyCollection(std::string typeName) {
  connection();
  return makeEmptyCollection(std::move(typeName), errorLog());
}

const automation::DispatchTable& DaoDatabase::dispatchTable() const {
  using Self = DaoDatabase;
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<Self>()
          .method("OpenRecordset", 1, 4,
                  [](Self& self, const Arguments& arguments) { return self.openRecordset(arguments); })
          .property("Name", [](Self& self) { return self.connection().path(); })
          .property("Version", [](Self& self) {
            self.connection();
            return std::string(kFormatVersion);
          })
          .property("CollatingOrder", [](Self& self) {
            self.connection();
            return kCollatingOrder;
          })
          .property("QueryTimeout",
                    [](Self& self) {
                      self.connection();
                      return static_cast<std::int16_t>(self.queryTimeout_);
                    },
                    [](Self& self, const Variant& value) {
                      self.connection();
                      const std::int32_t seconds = value.asInt32();
                      if (seconds < 0 || seconds > 32767) raise(error::invalidArgument);
                      self.queryTimeout_ = seconds;
                    })
          .property("RecordsAffected", [](Self& self) {
            self.connection();
            return 0;
          })
          .property("Updatable", [](Self& self) { return !self.connection().isReadOnly(); })
          .property("Connect", [](Self& self) {
            self.connection();
            return self.connect_;
          })
          .property("TableDefs", [](Self& self) { return self.tableDefs(); })
          .property("QueryDefs", [](Self& self) { return self.emptyCollection("QueryDefs"); })
          .property("Containers", [](Self& self) { return self.emptyCollection("Containers"); })
          .property("Relations", [](Self& self) { return self.emptyCollection("Relations"); })
          .property("Recordsets", [](Self& self) { return self.recordsets(); })
          .property("Properties", [](Self& self) { return self.properties(); })
          .method("CreateQueryDef", 0, 2,
                  [](Self& self, const Arguments&) {
                    self.connection();
                    raise(error::unsupportedOperation);
                  })
          .method("Close", 0, 0,
                  [](Self& self, const Arguments&) {
                    self.connection();
                    self.close();
                  })
          .build();
  return table;
}

}  // namespace dao
