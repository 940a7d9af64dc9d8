#pragma once
// The schema's tables as the database engine creates them: the one place
// that decides which engine type each field type becomes. Used by the
// bundled database's builder and by every test or benchmark that makes a
// database of its own.
#include "platform/dao/database_builder.h"
#include "schema/schema.h"

namespace schema {

// AutoInc → Long with auto-increment, String → Text of its size,
// Memo → Memo, Integer → Long. No column is indexed or required.
dao::TableDefinition engineTableDefinition(const TableDefinition& table);

}  // namespace schema
