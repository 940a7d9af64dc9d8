// Registers the server storage with the engine when this library is part of
// a program. Nothing refers to this file: the library's link options name
// zenDaoServerRegistration to keep it in every program that links it.
#include "platform/dao/server/server_storage.h"
#include "platform/dao/storage.h"

extern "C" {
extern const int zenDaoServerRegistration;
const int zenDaoServerRegistration = [] {
  dao::registerServerStorage(&dao::server::openServerStorage);
  return 1;
}();
}
