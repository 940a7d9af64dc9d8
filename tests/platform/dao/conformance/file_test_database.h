#pragma once
// The database-file kind of storage for the conformance suites: a file made
// with the DatabaseBuilder in a temporary folder, opened by FileStorage.
#include <memory>

#include "tests/platform/dao/conformance/storage_conformance.h"

namespace conformance {

std::unique_ptr<TestDatabase> makeFileDatabase();

}  // namespace conformance
