#include "tools/dbbuild/character_records.h"

#include "platform/big5/big5.h"
#include "tools/dbbuild/cangjie_code.h"
#include "tools/dbbuild/utf8.h"

namespace dbbuild {
namespace {

void countRadicalForms(const KangxiRadicals& radicals, RecordStatistics& statistics) {
  for (int number = 1; number <= KangxiRadicals::kCount; ++number) {
    const std::optional<char32_t> ideograph = radicals.ideograph(number);
    if (!ideograph || big5::canEncode(utf8FromCodePoint(*ideograph))) continue;
    ++statistics.radicalsWithoutBig5Form;
    if (radicalWord(number, *ideograph).substituted) ++statistics.radicalsWithSubstitute;
  }
}

}  // namespace

std::vector<CharacterRecord> assembleRecords(const std::vector<Big5Ideograph>& ideographs,
                                             const CharacterSources& sources, RecordStatistics& statistics) {
  statistics = {};
  countRadicalForms(sources.radicals, statistics);

  std::vector<CharacterRecord> records;
  records.reserve(ideographs.size());
  for (const Big5Ideograph& ideograph : ideographs) {
    CharacterRecord record;
    record.big5Code = ideograph.code;
    record.word = ideograph.utf8;
    record.hex = big5HexText(ideograph.code);

    const std::optional<char32_t> character = singleCodePoint(ideograph.utf8);
    std::optional<char32_t> canonical;
    if (character) canonical = sources.unihan.compatibilityVariant(*character);
    const std::optional<std::string> canonicalText =
        canonical ? std::optional<std::string>(utf8FromCodePoint(*canonical)) : std::nullopt;

    const std::optional<CangjieChoice> choice =
        chooseCangjieCode(sources.cangjie5, sources.cangjie3, ideograph.utf8,
                          canonicalText ? std::optional<std::string_view>(*canonicalText) : std::nullopt);
    if (choice) {
      record.cangjieCode = choice->code;
      record.cangjieNames = cangjieRadicalNames(choice->code);
      if (choice->listed > 1) ++statistics.listedWithSeveralCodes;
      if (choice->candidates > 1) ++statistics.withSeveralCodes;
      if (choice->fromCanonicalForm) ++statistics.codeFromCanonicalForm;
    } else {
      ++statistics.withoutCode;
    }

    std::optional<int> radical;
    if (character) radical = sources.unihan.radicalNumber(*character);
    if (!radical && canonical) radical = sources.unihan.radicalNumber(*canonical);
    const std::optional<char32_t> radicalIdeograph =
        radical ? sources.radicals.ideograph(*radical) : std::nullopt;
    if (radicalIdeograph) {
      RadicalWord word = radicalWord(*radical, *radicalIdeograph);
      record.radical = std::move(word.text);
      if (word.substituted) ++statistics.radicalSubstituted;
      if (!record.radical) ++statistics.withoutRadicalWord;
    } else {
      ++statistics.withoutRadicalValue;
    }

    records.push_back(std::move(record));
  }
  statistics.records = records.size();
  return records;
}

}  // namespace dbbuild
