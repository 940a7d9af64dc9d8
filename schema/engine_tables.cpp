#include "schema/engine_tables.h"

#include <string>

namespace schema {

dao::TableDefinition engineTableDefinition(const TableDefinition& table) {
  dao::TableDefinition definition;
  definition.name = std::string(table.name);
  for (const FieldDefinition& field : table.fields) {
    dao::ColumnDefinition column;
    column.name = std::string(field.name);
    switch (field.type) {
      case FieldType::AutoInc:
        column.type = dao::dbLong;
        column.autoIncrement = true;
        break;
      case FieldType::String:
        column.type = dao::dbText;
        column.size = field.size;
        break;
      case FieldType::Memo:
        column.type = dao::dbMemo;
        break;
      case FieldType::Integer:
        column.type = dao::dbLong;
        break;
    }
    definition.columns.push_back(std::move(column));
  }
  return definition;
}

}  // namespace schema
