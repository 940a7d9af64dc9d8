// openStorage (storage.h): which storage a database name asks for.
#include "platform/dao/file_storage.h"
#include "platform/dao/storage.h"

namespace dao {

std::shared_ptr<Storage> openStorage(const std::string& name, const OpenSettings& settings) {
  // Every name is a database file for now; a server's connection string
  // ("postgresql://...", "postgres://...", "service=...", key=value) is to
  // be told from a path here and opened by its own storage.
  return FileStorage::open(name, settings);
}

}  // namespace dao
