// The one symbol the server storage's module exports (server_module.map):
// the storage factory (storage_factory.cpp) finds it with dlsym after
// loading the module on the first server name a program opens.
#include "platform/dao/server/server_storage.h"
#include "platform/dao/storage.h"

extern "C" dao::StorageOpener zenDaoServerStorageOpener() { return &dao::server::openServerStorage; }
