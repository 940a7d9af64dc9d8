#pragma once
// Writes the bundled database "Lexora_Concept.mdb" through the engine's
// database builder: the six tables with their fields in stored order, the
// five lookup tables with the classification scheme's contents, and the
// character records.
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "classify/lookup_tables.h"
#include "platform/dao/database_builder.h"
#include "schema/schema.h"
#include "tools/dbbuild/character_records.h"

namespace dbbuild {

// The output file (or anything else at its path) exists already. The file
// is the user's work: it is never replaced.
class OutputExistsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The engine's definition of a schema table. Every text column keeps its
// size in characters; "B5_Hex" of the character table is indexed because
// the search box looks it up by prefix.
dao::TableDefinition daoTableDefinition(const schema::TableDefinition& table);

// Fills a created lookup table with the classification scheme's contents.
void writeLookupTable(dao::DatabaseBuilder& builder, const classify::LookupTableContent& content);

// Throws OutputExistsError when something exists at `path` (a dangling
// symbolic link counts too).
void requireFreeOutputPath(const std::filesystem::path& path);

// Creates the database at `path`: all six tables, the lookup tables filled
// from classify::lookupTableContents() row by row, and the records in the
// given order with every field they do not carry left Null. Nothing is left
// behind when it fails. Throws OutputExistsError as requireFreeOutputPath,
// and the engine's errors.
void writeLexoraDatabase(const std::filesystem::path& path, const std::vector<CharacterRecord>& records);

}  // namespace dbbuild
