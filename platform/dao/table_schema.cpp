#include "platform/dao/table_schema.h"

#include "platform/automation/text_compare.h"
#include "platform/dao/engine_error.h"

namespace dao {


bool ColumnSchema::isText() const noexcept { return daoType == dbText || daoType == dbMemo; }

int ColumnSchema::textLimit() const noexcept {
  if (daoType != dbText) return 0;
  return size > 0 ? size : 255;
}

int ColumnSchema::reportedSize(int daoType, int declaredSize) noexcept {
  switch (daoType) {
    case dbBoolean:
    case dbByte: return 1;
    case dbInteger: return 2;
    case dbLong:
    case dbSingle: return 4;
    case dbCurrency:
    case dbDouble:
    case dbDate: return 8;
    case dbText:
    case dbBinary: return declaredSize;
    default: return 0;
  }
}

std::optional<std::size_t> TableSchema::findColumn(std::string_view columnName) const noexcept {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (automation::equalsIgnoringAsciiCase(columns[i].name, columnName)) return i;
  }
  return std::nullopt;
}

bool isSupportedColumnType(int daoType) noexcept {
  switch (daoType) {
    case dbBoolean:
    case dbByte:
    case dbInteger:
    case dbLong:
    case dbCurrency:
    case dbSingle:
    case dbDouble:
    case dbDate:
    case dbBinary:
    case dbText:
    case dbLongBinary:
    case dbMemo: return true;
    default: return false;
  }
}

namespace {

ColumnSchema metadataColumn(std::string_view name, int type, int size) {
  ColumnSchema column;
  column.name = std::string(name);
  column.daoType = type;
  column.size = ColumnSchema::reportedSize(type, size);
  return column;
}

}  // namespace

const std::vector<MetadataTable>& metadataTables() {
  static const std::vector<MetadataTable> tables = {
      {"ZSysTables",
       "zen_tables",
       {metadataColumn("name", dbText, 255), metadataColumn("row_key", dbText, 255),
        metadataColumn("attributes", dbLong, 0)}},
      {"ZSysColumns",
       "zen_columns",
       {metadataColumn("table_name", dbText, 255), metadataColumn("ordinal", dbLong, 0),
        metadataColumn("name", dbText, 255), metadataColumn("dao_type", dbLong, 0),
        metadataColumn("size", dbLong, 0), metadataColumn("auto_increment", dbLong, 0),
        metadataColumn("required", dbLong, 0), metadataColumn("unique_values", dbLong, 0),
        metadataColumn("indexed", dbLong, 0), metadataColumn("default_value", dbText, 255),
        metadataColumn("format", dbText, 255)}},
  };
  return tables;
}

}  // namespace dao
