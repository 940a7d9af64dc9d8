#include "platform/dao/dao_engine.h"

#include <algorithm>

#include "platform/automation/text_compare.h"
#include "platform/dao/dao_database.h"
#include "platform/dao/dao_object.h"
#include "platform/dao/dao_workspace.h"
#include "platform/dao/engine_error.h"
#include "platform/dao/storage.h"

namespace dao {

using automation::Arguments;
using automation::ObjectRef;
using automation::Variant;

namespace {

constexpr const char* kDefaultWorkspaceName = "#Default Workspace#";

class DaoError final : public DaoObject {
 public:
  DaoError(std::shared_ptr<ErrorLog> errors, ErrorRecord record) : DaoObject(std::move(errors)), record_(std::move(record)) {}
  std::string_view typeName() const noexcept override { return "Error"; }

 protected:
  const automation::DispatchTable& dispatchTable() const override {
    static const automation::DispatchTable table =
        automation::DispatchTable::Builder<DaoError>()
            .property(member::kNumber, [](DaoError& self) { return self.record_.number; })
            .property(member::kSource, [](DaoError& self) { return self.record_.source; })
            .property(member::kDescription, [](DaoError& self) { return self.record_.description; })
            .property(member::kHelpFile, [](DaoError& self) { return self.record_.helpFile; })
            .property(member::kHelpContext, [](DaoError& self) { return self.record_.helpContext; })
            .build();
    return table;
  }

 private:
  ErrorRecord record_;
};

// The engine's workspaces, shared with its Workspaces collection.
struct WorkspaceList {
  std::shared_ptr<ErrorLog> errors;
  std::shared_ptr<EngineSettings> settings;
  std::vector<std::shared_ptr<DaoWorkspace>> workspaces;
  bool defaultCreated = false;

  // The workspaces still open; the default workspace is made on first use.
  std::vector<std::shared_ptr<DaoWorkspace>>& open() {
    if (!defaultCreated) {
      defaultCreated = true;
      workspaces.insert(workspaces.begin(),
                        std::make_shared<DaoWorkspace>(errors, settings, kDefaultWorkspaceName, settings->defaultUser));
    }
    std::erase_if(workspaces, [](const std::shared_ptr<DaoWorkspace>& workspace) { return workspace->isClosed(); });
    return workspaces;
  }

  std::shared_ptr<DaoWorkspace> defaultWorkspace() {
    std::vector<std::shared_ptr<DaoWorkspace>>& list = open();
    if (list.empty() || list.front()->name() != kDefaultWorkspaceName) {
      list.insert(list.begin(),
                  std::make_shared<DaoWorkspace>(errors, settings, kDefaultWorkspaceName, settings->defaultUser));
    }
    return list.front();
  }

  void append(const ObjectRef& object) {
    auto workspace = std::dynamic_pointer_cast<DaoWorkspace>(object);
    if (!workspace || workspace->isClosed()) raise(error::invalidArgument);
    for (const auto& existing : open()) {
      if (existing == workspace || automation::equalsIgnoringAsciiCase(existing->name(), workspace->name())) {
        raise(error::duplicateName);
      }
    }
    workspaces.push_back(workspace);
  }

  std::optional<std::size_t> find(std::string_view name) {
    const auto& list = open();
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (automation::equalsIgnoringAsciiCase(list[i]->name(), name)) return i;
    }
    return std::nullopt;
  }

  void remove(std::string_view name) {
    const auto index = find(name);
    if (!index) raise(error::itemNotFound);
    workspaces.erase(workspaces.begin() + static_cast<std::ptrdiff_t>(*index));
  }
};

class DaoEngine final : public DaoObject {
 public:
  DaoEngine()
      : DaoObject(std::make_shared<ErrorLog>()),
        settings_(std::make_shared<EngineSettings>()),
        workspaces_(std::make_shared<WorkspaceList>(WorkspaceList{errorLog(), settings_, {}, false})) {}
  std::string_view typeName() const noexcept override { return "DBEngine"; }

 protected:
  const automation::DispatchTable& dispatchTable() const override;

 private:
  std::shared_ptr<DaoWorkspace> createWorkspace(const Arguments& arguments) {
    const std::string name = arguments[0].asText();
    const std::string user = arguments[1].asText();
    const std::string password = arguments[2].asText();
    const std::int32_t type = integerArgument(arguments, 3, settings_->defaultType);
    if (type == 1) raise(error::unsupportedOperation);
    if (type != 2) raise(error::invalidArgument);
    if (!automation::equalsIgnoringAsciiCase(user, "admin") || !password.empty()) raise(error::invalidAccount);
    return std::make_shared<DaoWorkspace>(errorLog(), settings_, name, user);
  }

  std::shared_ptr<DaoCollection> workspaces() {
    const std::shared_ptr<WorkspaceList> list = workspaces_;
    CollectionAccess access;
    access.count = [list] { return list->open().size(); };
    access.item = [list](std::size_t index) -> ObjectRef { return list->open()[index]; };
    access.find = [list](std::string_view name) { return list->find(name); };
    access.refresh = [list] { list->open(); };
    access.append = [list](const ObjectRef& workspace) { list->append(workspace); };
    access.remove = [list](std::string_view name) { list->remove(name); };
    return std::make_shared<DaoCollection>("Workspaces", errorLog(), std::move(access));
  }

  std::shared_ptr<DaoCollection> errors() {
    const std::shared_ptr<ErrorLog> log = errorLog();
    CollectionAccess access;
    access.count = [log] { return log->errors().size(); };
    access.item = [log](std::size_t index) -> ObjectRef { return std::make_shared<DaoError>(log, log->errors()[index]); };
    access.refresh = [] {};
    return std::make_shared<DaoCollection>("Errors", log, std::move(access));
  }

  std::shared_ptr<DaoCollection> properties() {
    const std::shared_ptr<const EngineSettings> settings = settings_;
    return makeProperties(errorLog(), [settings] {
      return PropertyList{
          {"Version", [] { return Variant(kEngineVersion); }},
          {"SystemDB", [settings] { return Variant(settings->systemDb); }},
          {"DefaultUser", [settings] { return Variant(settings->defaultUser); }},
          {"DefaultType", [settings] { return Variant(settings->defaultType); }},
          {"LoginTimeout", [settings] { return Variant(static_cast<std::int16_t>(settings->loginTimeout)); }},
          {"LockTimeout", [settings] { return Variant(settings->lockTimeoutMilliseconds); }},
      };
    });
  }

  std::shared_ptr<EngineSettings> settings_;
  std::shared_ptr<WorkspaceList> workspaces_;
  std::string iniPath_;
};

const automation::DispatchTable& DaoEngine::dispatchTable() const {
  using Self = DaoEngine;
  static const automation::DispatchTable table =
      automation::DispatchTable::Builder<Self>()
          .property(member::kVersion, [](Self&) { return std::string(kEngineVersion); })
          .property(member::kSystemDB, [](Self& self) { return self.settings_->systemDb; },
                    [](Self& self, const Variant& value) { self.settings_->systemDb = value.asText(); })
          .property(member::kDefaultUser, [](Self& self) { return self.settings_->defaultUser; },
                    [](Self& self, const Variant& value) { self.settings_->defaultUser = value.asText(); })
          .property(member::kDefaultPassword, [](Self&) { return std::string(); },
                    [](Self& self, const Variant& value) { self.settings_->defaultPassword = value.asText(); })
          .property(member::kDefaultType, [](Self& self) { return self.settings_->defaultType; },
                    [](Self& self, const Variant& value) {
                      const std::int32_t type = value.asInt32();
                      if (type != 1 && type != 2) raise(error::invalidArgument);
                      self.settings_->defaultType = type;
                    })
          .property(member::kLoginTimeout, [](Self& self) { return static_cast<std::int16_t>(self.settings_->loginTimeout); },
                    [](Self& self, const Variant& value) { self.settings_->loginTimeout = value.asInt32(); })
          .property(member::kIniPath, [](Self& self) { return self.iniPath_; },
                    [](Self& self, const Variant& value) { self.iniPath_ = value.asText(); })
          .property(member::kLockTimeout, [](Self& self) { return self.settings_->lockTimeoutMilliseconds; },
                    [](Self& self, const Variant& value) {
                      const std::int32_t milliseconds = value.asInt32();
                      if (milliseconds < 0) raise(error::invalidArgument);
                      self.settings_->lockTimeoutMilliseconds = milliseconds;
                    })
          .method(member::kCreateWorkspace, 3, 4,
                  [](Self& self, const Arguments& arguments) { return self.createWorkspace(arguments); })
          .property(member::kWorkspaces, [](Self& self) { return self.workspaces(); })
          .method(member::kOpenDatabase, 1, 4,
                  [](Self& self, const Arguments& arguments) { return self.workspaces_->defaultWorkspace()->openDatabase(arguments); })
          .method(member::kIdle, 0, 1, [](Self&, const Arguments& arguments) { (void)integerArgument(arguments, 0, 0); })
          .method(member::kPrepareDatabase, 1, 1,
                  [](Self&, const Arguments& arguments) { prepareDatabaseStorage(textArgument(arguments, 0)); })
          .property(member::kErrors, [](Self& self) { return self.errors(); })
          .property(member::kProperties, [](Self& self) { return self.properties(); })
          .build();
  return table;
}

}  // namespace

ObjectRef createEngine() { return std::make_shared<DaoEngine>(); }

}  // namespace dao
