#include "app/com_startup.h"

void initializeComForMainThread() {
  // Hook for the automation layer; nothing to initialise before it exists.
}
