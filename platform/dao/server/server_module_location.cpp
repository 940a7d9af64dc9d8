// Tells the engine where the server storage's module lies (storage.h,
// registerServerStorageModule) when this library is part of a program.
// Nothing refers to this file: the library's link options name
// zenDaoServerModuleLocation to keep it in every program that links it.
//
// ZEN_SERVER_MODULE_BESIDE_PROGRAM: the module's path relative to the
// installed program's folder; ZEN_BUILD_FOLDER and ZEN_SERVER_MODULE_BUILT:
// the build folder and the module built there, for programs run from it.
#include "platform/dao/storage.h"

extern "C" {
extern const int zenDaoServerModuleLocation;
const int zenDaoServerModuleLocation = [] {
  dao::registerServerStorageModule(ZEN_SERVER_MODULE_BESIDE_PROGRAM, ZEN_BUILD_FOLDER, ZEN_SERVER_MODULE_BUILT);
  return 1;
}();
}
