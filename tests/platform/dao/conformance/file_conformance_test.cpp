// The engine's conformance suites over the database file.
#include "tests/platform/dao/conformance/file_test_database.h"

ZEN_INSTANTIATE_STORAGE_CONFORMANCE(File, (conformance::StorageKind{"File", conformance::makeFileDatabase}));
