#include "platform/dao/dao_workspace.h"

#include <algorithm>

#include "platform/automation/text_compare.h"
#include "platform/dao/dao_database.h"
#include "platform/dao/storage.h"
#include "platform/dao/engine_error.h"

namespace dao {

using automation::Arguments;
using automation::ObjectRef;
using automation::Variant;

namespace {

// A user or group of the workgroup: only its Name.
class DaoNamedEntry final : public DaoObject {
 public:
  DaoNamedEntry(std::shared_ptr<ErrorLog> errors, std::string typeName, std::string name)
      : DaoObject(std::move(errors)), typeName_(std::move(typeName)), name_(std::move(name)) {}
  std::string_view typeName() const noexcept override { return typeName_; }

 protected:
  const automation::DispatchTable& dispatchTable() const override {
    static const automation::DispatchTable table = automation::DispatchTable::Builder<DaoNamedEntry>()
                                                       .property(member::kName, [](DaoNamedEntry& self) { return self.name_; })
                                                       .build();
    return table;
  }

 private:
  std::string typeName_;
  std::string name_;
};

// The part of a connect string before its first ';' names the format; the
// engine's own files have none.
void checkConnectString(const std::string& connect) {
  const std::string format = connect.substr(0, connect.find(';'));
  if (!format.empty() && !automation::equalsIgnoringAsciiCase(format, "MS Access")) raise(error::noInstallableFormat);
}

}  // namespace

DaoWorkspace::DaoWorkspace(std::shared_ptr<ErrorLog> errors, std::shared_ptr<const EngineSettings> settings,
                           std::string name, std::string userName)
    : DaoObject(std::move(errors)),
      settings_(std::move(settings)),
      name_(std::move(name)),
      userName_(std::move(userName)),
      databases_(std::make_shared<std::vector<std::shared_ptr<DaoDatabase>>>()) {}

void DaoWorkspace::requireOpen() const {
  if (closed_) raise(error::objectClosed);
}

std::shared_ptr<DaoDatabase> DaoWorkspace::openDatabase(const Arguments& arguments) {
  requireOpen();
  const std::string path = arguments[0].asText();
  OpenSettings open;
  open.exclusive = booleanArgument(arguments, 1, false);
  open.readOnly = booleanArgument(arguments, 2, false);
  open.lockTimeoutMilliseconds = settings_->lockTimeoutMilliseconds;
  const std::string connect = textArgument(arguments, 3);
  checkConnectString(connect);
  auto database = std::make_shared<DaoDatabase>(errorLog(), openStorage(path, open), connect);
  std::erase_if(*databases_, [](const std::shared_ptr<DaoDatabase>& entry) { return entry->isClosed(); });
  databases_->push_back(database);
  return database;
}

void DaoWorkspace::close() noexcept {
  for (const std::shared_ptr<DaoDatabase>& database : *databases_) database->close();
  databases_->clear();
  closed_ = true;
}

std::shared_ptr<DaoCollection> DaoWorkspace::databases() {
  requireOpen();
  const auto databases = databases_;
  const auto open = [databases] {
    std::vector<ObjectRef> list;
    for (const auto& database : *databases) {
      if (!database->isClosed()) list.push_back(database);
    }
    return list;
  };
  CollectionAccess access;
  access.count = [open] { return open().size(); };
  access.item = [open](std::size_t index) { return open()[index]; };
  access.find = [open](std::string_view name) -> std::optional<std::size_t> {
    const std::vector<ObjectRef> list = open();
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (list[i]->get("Name").asText() == name) return i;
    }
    return std::nullopt;
  };
  access.refresh = [] {};
  return std::make_shared<DaoCollection>("Databases", errorLog(), std::move(access));
}

std::shared_ptr<DaoCollection> DaoWorkspace::namedList(std::string typeName, std::vector<std::string> names) {
  requireOpen();
  auto entries = std::make_shared<std::vector<ObjectRef>>();
  const std::string entryType = typeName == "Users" ? "User" : "Group";
  for (const std::string& name : names) entries->push_back(std::make_shared<DaoNamedEntry>(errorLog(), entryType, name));
  CollectionAccess access;
  access.count = [entries] { return entries->size(); };
  access.item = [entries](std::size_t index) { return (*entries)[index]; };
  access.find = [names](std::string_view name) -> std::optional<std::size_t> {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (automation::equalsIgnoringAsciiCase(names[i], name)) return i;
    }
    return std::nullopt;
  };
  access.refresh = [] {};
  return std::make_shared<DaoCollection>(std::move(typeName), errorLog(), std::move(access));
}

std::shared_ptr<DaoCollection> DaoWorkspace::properties() {
  requireOpen();
  const std::string name = name_;
  const std::string userName = userName_;
  return makeProperties(errorLog(), [name, userName] {
    return PropertyList{
        {"Name", [name] { return Variant(name); }},
        {"UserName", [userName] { return Variant(userName); }},
        {"Type", [] { return Variant(2); }},
        {"IsolateODBCTrans", [] { return Variant(static_cast<std::int16_t>(0)); }},
    };
  });
}

const automation::DispatchTable& DaoWorkspace::dispatchTable() const {
  using Self = DaoWorkspace;
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<Self>()
          .method(member::kOpenDatabase, 1, 4,
                  [](Self& self, const Arguments& arguments) { return self.openDatabase(arguments); })
          .property(member::kName, [](Self& self) {
            self.requireOpen();
            return self.name_;
          })
          .property(member::kUserName, [](Self& self) {
            self.requireOpen();
            return self.userName_;
          })
          .property(member::kType, [](Self& self) {
            self.requireOpen();
            return 2;
          })
          .method(member::kClose, 0, 0,
                  [](Self& self, const Arguments&) {
                    self.requireOpen();
                    self.close();
                  })
          .property(member::kDatabases, [](Self& self) { return self.databases(); })
          .property(member::kUsers, [](Self& self) { return self.namedList("Users", {self.userName_}); })
          .property(member::kGroups, [](Self& self) { return self.namedList("Groups", {"Admins", "Users"}); })
          .property(member::kProperties, [](Self& self) { return self.properties(); })
          .property(member::kDefaultCursorDriver,
                    [](Self& self) -> int {
                      self.requireOpen();
                      raise(error::unsupportedOperation);
                    },
                    [](Self& self, const Variant&) {
                      self.requireOpen();
                      raise(error::unsupportedOperation);
                    })
          .build();
  return table;
}

}  // namespace dao
