#pragma once
// Shared by the data-layer tests: temporary folders, small databases made
// with the DatabaseBuilder, a connection component and tables opened on
// them as the form opens them, a second engine session to look at what was
// stored (or to play another user), and Big5 helpers.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/TOrvDaoDatabase.h"
#include "data/TOrvDaoTable.h"
#include "framework/TComponent.h"
#include "platform/automation/com_init.h"
#include "platform/dao/database_builder.h"

namespace datatest {

class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Changes the current directory for its lifetime.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::filesystem::path& directory);
  ~ScopedCurrentDirectory();
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};

// Big5 bytes of a UTF-8 literal, and back.
std::string B5(const std::string& utf8);
std::string U8(const std::string& big5);

// "Words": ID (auto-increment), B5_Word Text(8), B5_Hex Text(32) indexed,
// Code Text(8) unique, Amount Long (default 0), Note Memo, Loose Text of
// size 0. Cells are UTF-8; nullopt is Null.
struct Word {
  std::optional<std::string> word;
  std::optional<std::string> hex;
  std::optional<std::string> code;
  std::optional<std::string> amount;
  std::optional<std::string> note;
};
dao::TableDefinition WordsTable();
// "Lookup": ID, Col01 and Col02 Text(16), Binary Long; like "2_Xian_Xiang".
dao::TableDefinition LookupTable();

// A database with "Words" holding `words` and "Lookup" holding `lookup`
// (Col01, Col02 per row).
void CreateDatabase(const std::string& path, const std::vector<Word>& words,
                    const std::vector<std::pair<std::string, std::string>>& lookup = {});
// "Words" with rows W1..Wn: hex "A4<n as 2 hex digits>", code "C<n>", amount n.
void CreateNumberedWords(const std::string& path, int count);

// The form's side: a component owner, the connection and its tables.
class Form {
 public:
  // Connected to `path` with the stored settings of OrvDaoDatabase1.
  explicit Form(const std::string& path);
  ~Form();
  data::TOrvDaoTable& OpenTable(const std::string& tableName, const std::string& name = "OrvDaoTable1");

  framework::TComponent owner{"Form1"};
  std::unique_ptr<data::TOrvDaoDatabase> database;
  std::vector<std::unique_ptr<data::TOrvDaoTable>> tables;
};

// Another engine session on the same file (another program, as far as the
// form can tell), for reading what was stored and for changing rows behind
// the form's back.
class OtherUser {
 public:
  explicit OtherUser(const std::string& path);
  // The values of one column in key order, as text (UTF-8); nullopt for Null.
  std::vector<std::optional<std::string>> Column(const std::string& table, const std::string& field);
  int RowCount(const std::string& table);
  void SetValue(const std::string& table, int row, const std::string& field, const automation::Variant& value);
  void DeleteRow(const std::string& table, int row);

 private:
  automation::ObjectRef Open(const std::string& table, int row);
  automation::ScopedComInitialization com_;
  automation::ObjectRef engine_;
  automation::ObjectRef database_;
};

// Runs `call`, expecting the engine's EOleException with this number and text.
void ExpectEngineError(const std::function<void()>& call, int number, const std::string& description);
// Runs `call`, expecting EDatabaseError with exactly this text.
void ExpectDatabaseError(const std::function<void()>& call, const std::string& message);

// The fields' texts of the current record, as Big5.
std::string Text(data::TOrvDaoTable& table, const std::string& field);

}  // namespace datatest
