#pragma once
// COM for the main thread (single-threaded apartment), the way the database
// engine is reached. Call once on the GUI thread, after the application
// object exists and before any component of the main form is created.
void initializeComForMainThread();
