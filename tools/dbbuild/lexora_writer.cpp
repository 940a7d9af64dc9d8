#include "tools/dbbuild/lexora_writer.h"

#include <string>

#include "classify/lookup_tables.h"
#include "schema/engine_tables.h"

namespace dbbuild {
namespace {

const schema::TableDefinition& schemaTable(std::string_view name) {
  const schema::TableDefinition* table = schema::findTable(name);
  if (!table) throw std::logic_error("the schema has no table " + std::string(name));
  return *table;
}

}  // namespace

void writeLookupTable(dao::DatabaseBuilder& builder, const classify::LookupTableContent& content) {
  const schema::TableDefinition& table = schemaTable(content.table);
  std::vector<std::string> columns;
  for (const classify::LookupColumnContent& column : content.columns) {
    if (!table.findField(column.column))
      throw std::logic_error("table " + std::string(content.table) + " has no column " + column.column);
    columns.push_back(column.column);
  }
  std::vector<std::vector<dao::CellValue>> rows(static_cast<std::size_t>(content.rowCount));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    for (const classify::LookupColumnContent& column : content.columns) {
      if (row < column.rows.size())
        rows[row].emplace_back(column.rows[row]);
      else
        rows[row].emplace_back(std::nullopt);
    }
  }
  builder.insertRows(std::string(content.table), columns, rows);
}

namespace {

void writeCharacterRecords(dao::DatabaseBuilder& builder, const std::vector<CharacterRecord>& records) {
  namespace f = schema::fields;
  const std::vector<std::string> columns = {std::string(f::B5_Word), std::string(f::B5_Hex),
                                            std::string(f::CJ_Code), std::string(f::CJ_Code_CN),
                                            std::string(f::Radical_Word)};
  std::vector<std::vector<dao::CellValue>> rows;
  rows.reserve(records.size());
  for (const CharacterRecord& record : records)
    rows.push_back({record.word, record.hex, record.cangjieCode, record.cangjieNames, record.radical});
  builder.insertRows(std::string(schema::tables::DataInput), columns, rows);
}

}  // namespace

dao::TableDefinition daoTableDefinition(const schema::TableDefinition& table) {
  dao::TableDefinition definition = schema::engineTableDefinition(table);
  // The search box searches B5_Hex by prefix: the engine keeps an index for it.
  for (dao::ColumnDefinition& column : definition.columns)
    column.indexed = table.name == schema::tables::DataInput && column.name == schema::fields::B5_Hex;
  return definition;
}

void requireFreeOutputPath(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
  if (std::filesystem::exists(status))
    throw OutputExistsError(path.string() + " exists already; it is left as it is. "
                            "Remove or rename it to build a new database.");
}

void writeLexoraDatabase(const std::filesystem::path& path, const std::vector<CharacterRecord>& records) {
  requireFreeOutputPath(path);
  dao::DatabaseBuilder builder = dao::DatabaseBuilder::createNew(path.string());
  for (const schema::TableDefinition& table : schema::allTables()) builder.createTable(daoTableDefinition(table));
  for (const classify::LookupTableContent& content : classify::lookupTableContents())
    writeLookupTable(builder, content);
  writeCharacterRecords(builder, records);
  builder.commit();
}

}  // namespace dbbuild
