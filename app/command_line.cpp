#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <variant>
#include <vector>

namespace {

// A field of ProgramOptions: a string option takes a value, a flag does not.
using Target = std::variant<QString ProgramOptions::*, bool ProgramOptions::*>;

struct OptionEntry {
  QStringList names;
  const char* description;
  const char* valueName;  // empty for a flag
  Target target;
};

// The options, in the order --help lists them.
const std::vector<OptionEntry>& optionTable() {
  static const std::vector<OptionEntry> table = {
      {{QStringLiteral("database")},
       "Open the database at PATH instead of looking for Lexora_Concept.mdb in the current folder, the program's "
       "folder and the user's data folder. PATH may also name a database on a PostgreSQL server: a connection URI "
       "(postgresql://[user@]host[:port]/dbname) or service=NAME; ~/.pgpass, pg_service.conf and the PG* variables "
       "apply. Without this option the environment variable ZENMORA_DATABASE is used when it is set.",
       "PATH", &ProgramOptions::database},
      {{QStringLiteral("startup-trace")},
       "Print to standard error how long each step of the start took, up to the window's first paint.", "",
       &ProgramOptions::startupTrace},
  };
  return table;
}

QString withProgramName(const QString& message) {
  return QStringLiteral("%1: %2\nTry '%1 --help' for more information.")
      .arg(QCoreApplication::applicationName().toLower(), message);
}

}  // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Classifies the Chinese character records of Lexora_Concept.mdb into concepts."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  std::vector<QCommandLineOption> options;
  for (const OptionEntry& entry : optionTable()) {
    options.emplace_back(entry.names, QString::fromUtf8(entry.description), QString::fromUtf8(entry.valueName));
    parser.addOption(options.back());
  }

  CommandLine result;
  const bool parsed = parser.parse(arguments);
  if (parser.isSet(help)) {
    result.action = CommandLine::Action::ShowHelp;
    result.text = parser.helpText();
    return result;
  }
  if (parser.isSet(version)) {
    result.action = CommandLine::Action::ShowVersion;
    result.text = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                               QCoreApplication::applicationVersion());
    return result;
  }
  if (!parsed) {
    result.action = CommandLine::Action::Fail;
    result.text = withProgramName(parser.errorText());
    return result;
  }
  if (!parser.positionalArguments().isEmpty()) {
    result.action = CommandLine::Action::Fail;
    result.text = withProgramName(QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    return result;
  }
  for (std::size_t i = 0; i < options.size(); ++i) {
    const QCommandLineOption& option = options[i];
    std::visit(
        [&](auto field) {
          using Field = std::remove_reference_t<decltype(result.options.*field)>;
          if constexpr (std::is_same_v<Field, bool>) {
            result.options.*field = parser.isSet(option);
          } else {
            if (parser.isSet(option)) result.options.*field = parser.values(option).constLast();
          }
        },
        optionTable()[i].target);
  }
  // A team sets its server once for every start (a desktop file, a login
  // script); the command line still wins.
  if (result.options.database.isEmpty()) result.options.database = qEnvironmentVariable("ZENMORA_DATABASE");
  return result;
}

bool asksForHelpOrVersion(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--") == 0) return false;
    for (const char* name : {"-h", "--help", "--help-all", "-?", "-v", "--version"}) {
      if (std::strcmp(a, name) == 0) return true;
    }
  }
  return false;
}

int answerCommandLine(const CommandLine& parsed) {
  const QByteArray text = parsed.text.toLocal8Bit();
  switch (parsed.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
      std::fputs(text.constData(), stdout);
      std::fflush(stdout);
      return 0;
    case CommandLine::Action::Fail:
      std::fprintf(stderr, "%s\n", text.constData());
      return kUsageExitCode;
    case CommandLine::Action::Run:
      break;
  }
  return 0;
}
