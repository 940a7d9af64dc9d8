#pragma once
// The Cangjie codes of single characters, read from an ibus-table database
// (Debian's ibus-table-cangjie5 and ibus-table-cangjie3 ship them as
// SQLite files under /usr/share/ibus-table/tables/).
//
// Such a database holds its entries in table "phrases" with the key
// sequence in "tabkeys" and the text in "phrase"; its "freq" column ranks
// different texts that share one key sequence for the input method's
// candidate list and says nothing about which of a character's several
// codes is its proper one, so it is not read.
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dbbuild {

class CangjieTable {
 public:
  // Reads every entry whose text is one character and whose key sequence
  // consists of letters only (entries for punctuation keys and phrases of
  // several characters are no Cangjie codes of a character). Opens the file
  // read-only. Throws DataSourceError when the file is missing, is no SQLite
  // database, or lacks the phrases table with its two columns.
  static CangjieTable load(const std::filesystem::path& path);

  // Adds one code of a character, as load() does for each entry. The code
  // is kept in lower case; a code the character already has is ignored.
  void add(std::string_view character, std::string_view code);

  // The character's codes in lower case, in the table's entry order, each
  // once; empty when the table does not list the character.
  const std::vector<std::string>& codesOf(std::string_view character) const;

  // Whether the character has this code (lower case, as codesOf gives it).
  bool contains(std::string_view character, std::string_view code) const;

  // Number of distinct characters listed.
  std::size_t characterCount() const noexcept { return codes_.size(); }

 private:
  std::unordered_map<std::string, std::vector<std::string>> codes_;
};

}  // namespace dbbuild
