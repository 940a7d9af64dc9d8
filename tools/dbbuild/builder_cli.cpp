#include "tools/dbbuild/builder_cli.h"

#include <cstdio>

#include "tools/dbbuild/big5_ideographs.h"
#include "tools/dbbuild/data_source_error.h"
#include "tools/dbbuild/lexora_writer.h"

namespace dbbuild {
namespace {

constexpr const char* kUsage =
    "usage: build_lexora_db [--cangjie5 PATH] [--cangjie3 PATH] [--unihan PATH] "
    "[--radicals PATH] OUTPUT.mdb";

void printCount(std::ostream& out, const char* label, std::size_t value) {
  char line[96];
  std::snprintf(line, sizeof line, "  %-44s %zu\n", label, value);
  out << line;
}

}  // namespace

BuilderOptions parseBuilderArguments(const std::vector<std::string>& arguments) {
  BuilderOptions options;
  bool haveOutput = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    std::filesystem::path* target = nullptr;
    if (argument == "--cangjie5") target = &options.cangjie5;
    else if (argument == "--cangjie3") target = &options.cangjie3;
    else if (argument == "--unihan") target = &options.unihan;
    else if (argument == "--radicals") target = &options.radicals;

    if (target) {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty())
        throw UsageError(argument + " needs a path");
      *target = arguments[++i];
    } else if (argument.size() > 1 && argument.front() == '-') {
      throw UsageError("unknown option " + argument);
    } else if (haveOutput || argument.empty()) {
      throw UsageError(argument.empty() ? "empty output path" : "only one output file can be given");
    } else {
      options.output = argument;
      haveOutput = true;
    }
  }
  if (!haveOutput) throw UsageError("no output file given");
  return options;
}

BuildReport buildLexoraDatabase(const BuilderOptions& options) {
  // Fails before the slow reading of the data when the user's file is there.
  requireFreeOutputPath(options.output);

  const CangjieTable cangjie5 = CangjieTable::load(options.cangjie5);
  const CangjieTable cangjie3 = CangjieTable::load(options.cangjie3);
  const UnihanData unihan = UnihanData::load(options.unihan);
  const KangxiRadicals radicals = KangxiRadicals::load(options.radicals);

  BuildReport report;
  Big5Enumeration enumeration = enumerateBig5Ideographs();
  report.unmappedCodes = std::move(enumeration.unmapped);
  const std::vector<CharacterRecord> records =
      assembleRecords(enumeration.ideographs, {cangjie5, cangjie3, unihan, radicals}, report.statistics);

  const std::string licenseText = composeLicenseText(
      {{"Cangjie 5 table", options.cangjie5},
       {"Cangjie 3 table", options.cangjie3},
       {"Unihan radical-stroke data", options.unihan},
       {"Kangxi radicals", options.radicals}},
      options.licenses, report.missingLicenses);

  writeLexoraDatabase(options.output, records);
  report.licenseFile = licensePathFor(options.output);
  writeTextFile(report.licenseFile, licenseText);
  return report;
}

void printReport(const BuildReport& report, const std::filesystem::path& output, std::ostream& out) {
  const RecordStatistics& s = report.statistics;
  out << "Built " << output.string() << "\n";
  printCount(out, "records:", s.records);
  printCount(out, "Big5 codes without a character (skipped):", report.unmappedCodes.size());
  printCount(out, "characters listed with several codes:", s.listedWithSeveralCodes);
  printCount(out, "  of them several without escape codes:", s.withSeveralCodes);
  printCount(out, "characters without a Cangjie code:", s.withoutCode);
  printCount(out, "codes found under the canonical form:", s.codeFromCanonicalForm);
  printCount(out, "radicals without a Big5 form:", s.radicalsWithoutBig5Form);
  printCount(out, "  of them with a substitute form:", s.radicalsWithSubstitute);
  printCount(out, "characters given a substitute radical:", s.radicalSubstituted);
  printCount(out, "characters without a radical (no form):", s.withoutRadicalWord);
  printCount(out, "characters without radical data:", s.withoutRadicalValue);
  out << "Licence notices: " << report.licenseFile.string() << "\n";
}

int runBuilder(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  BuilderOptions options;
  try {
    options = parseBuilderArguments(arguments);
  } catch (const UsageError& e) {
    err << "build_lexora_db: " << e.what() << "\n" << kUsage << "\n";
    return kExitFailed;
  }
  try {
    const BuildReport report = buildLexoraDatabase(options);
    printReport(report, options.output, out);
    for (const std::filesystem::path& missing : report.missingLicenses)
      err << "build_lexora_db: warning: licence notice " << missing.string() << " not found\n";
    return kExitBuilt;
  } catch (const OutputExistsError& e) {
    err << "build_lexora_db: " << e.what() << "\n";
    return kExitOutputExists;
  } catch (const std::exception& e) {
    err << "build_lexora_db: " << e.what() << "\n";
    return kExitFailed;
  }
}

}  // namespace dbbuild
