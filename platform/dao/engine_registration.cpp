// Registers the engine under its ProgID when the engine library is part of a
// program. Programs reach the engine only through createOleObject(), so no
// code refers to this file: the library's link options name
// zenDaoEngineRegistration to keep it in every program that links the
// library.
#include "platform/automation/class_registry.h"
#include "platform/dao/dao_engine.h"

extern "C" {
extern const int zenDaoEngineRegistration;
const int zenDaoEngineRegistration = [] {
  automation::registerClass(dao::kEngineProgId, [] { return dao::createEngine(); });
  return 1;
}();
}
