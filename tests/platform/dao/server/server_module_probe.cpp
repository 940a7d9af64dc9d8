// A program that gets the server storage the way the program does: it links
// the engine and the module's location (zen_dao_server_loader), not the
// storage. It opens each database named on its command line through the
// engine, as the program opens one, and prints one line per name: the rows
// of its table "People" or the engine's error, and whether the server's
// client library is loaded by then. After a failure it also prints why the
// module could not be loaded, when it was looked for. "--prepare NAME" gives
// the engine the start-up hint for NAME first (prints nothing); "--loaded"
// waits up to 10 s for the client library to be loaded without opening
// anything and prints whether it is. server_module_test runs
// it from the build folder and from copies laid out as installed.
#include <dlfcn.h>

#include <chrono>
#include <iostream>
#include <thread>
#include <string>

#include "platform/automation/class_registry.h"
#include "platform/automation/com_init.h"
#include "platform/automation/ole_exception.h"
#include "platform/dao/storage.h"

namespace {

bool clientLibraryLoaded() {
  void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
  if (library == nullptr) return false;
  dlclose(library);
  return true;
}

std::string rowsOf(const std::string& name) {
  automation::ObjectRef engine = automation::createOleObject("DAO.DBEngine.36");
  automation::ObjectRef workspace = engine->getObject("CreateWorkspace", {"Probe", "Admin", "", 2});
  automation::ObjectRef database = workspace->getObject("OpenDatabase", {name, false, true});
  automation::ObjectRef people = database->getObject("OpenRecordset", {"People", 2});
  people->call("MoveLast");
  const std::string rows = std::to_string(people->get("RecordCount").asInt32()) + " rows";
  people->call("Close");
  database->call("Close");
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  automation::ScopedComInitialization com;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--prepare" && i + 1 < argc) {
      dao::prepareDatabaseStorage(argv[++i]);
      continue;
    }
    if (std::string(argv[i]) == "--loaded") {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (!clientLibraryLoaded() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::cout << "client library " << (clientLibraryLoaded() ? "loaded" : "not loaded") << "\n";
      continue;
    }
    std::string outcome;
    std::string why;
    try {
      outcome = rowsOf(argv[i]);
    } catch (const automation::EOleException& error) {
      outcome = std::to_string(error.errorNumber()) + " " + error.what();
      why = dao::serverStorageLoadFailure();
    }
    std::cout << outcome << "; client library " << (clientLibraryLoaded() ? "loaded" : "not loaded") << "\n";
    if (!why.empty()) std::cout << "module: " << why << "\n";
  }
  return 0;
}
