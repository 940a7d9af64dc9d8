#include "app/com_startup.h"

#include "platform/automation/com_init.h"

void initializeComForMainThread() {
  // The thread stays initialised for the whole run; the database engine's
  // objects are created on it. A failure here shows up as the connection's
  // own "Unable to init OLE objects!" when the form loads.
  automation::CoInitialize();
}
