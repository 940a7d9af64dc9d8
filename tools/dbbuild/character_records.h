#pragma once
// Assembles the character records of the bundled database from the data
// sources: one record per code page 950 ideograph, in Big5 order, with the
// character, its Big5 code, its Cangjie 5 code in letters and in radicals,
// and its Kangxi radical. A value that cannot be found stays empty (Null).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/dbbuild/big5_ideographs.h"
#include "tools/dbbuild/cangjie_table.h"
#include "tools/dbbuild/kangxi_radicals.h"
#include "tools/dbbuild/unihan_data.h"

namespace dbbuild {

struct CharacterRecord {
  std::uint16_t big5Code = 0;
  std::string word;                        // B5_Word: the character, UTF-8
  std::string hex;                         // B5_Hex: "A440"
  std::optional<std::string> cangjieCode;  // CJ_Code: "MNR"
  std::optional<std::string> cangjieNames; // CJ_Code_CN: "一弓口"
  std::optional<std::string> radical;      // Radical_Word: code page 950 form
};

struct CharacterSources {
  const CangjieTable& cangjie5;
  const CangjieTable& cangjie3;
  const UnihanData& unihan;
  const KangxiRadicals& radicals;
};

struct RecordStatistics {
  std::size_t records = 0;
  std::size_t listedWithSeveralCodes = 0;  // the table gives several, escapes included
  std::size_t withSeveralCodes = 0;        // the code rule chose among several
  std::size_t withoutCode = 0;
  std::size_t codeFromCanonicalForm = 0;
  std::size_t withoutRadicalValue = 0;     // no kRSUnicode for the character
  std::size_t withoutRadicalWord = 0;      // radical known, but no code page 950 form
  std::size_t radicalSubstituted = 0;      // a substitute form stands in
  std::size_t radicalsWithoutBig5Form = 0; // of the 214 radical ideographs
  std::size_t radicalsWithSubstitute = 0;  // of those, how many have a substitute
};

// One record per ideograph, in the given order.
std::vector<CharacterRecord> assembleRecords(const std::vector<Big5Ideograph>& ideographs,
                                             const CharacterSources& sources, RecordStatistics& statistics);

}  // namespace dbbuild
