// The command line: --database, --help and --version, and the errors.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTest>

#include "app/application_identity.h"
#include "app/command_line.h"

using Action = CommandLine::Action;

class TestCommandLine : public QObject {
  Q_OBJECT

  static CommandLine parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("zenmora"));
    return parseCommandLine(arguments);
  }

 private slots:
  void initTestCase() { identifyApplication(); }

  void theIdentityIsTheOneTheDesktopFilesUse() {
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Zenmora"));
    QCOMPARE(QCoreApplication::organizationDomain(), QStringLiteral("zenmora.org"));
    QCOMPARE(QCoreApplication::organizationName(), QString());  // it would move the data folder
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.zenmora.Zenmora"));
  }

  void withoutArgumentsTheProgramRunsAndLooksTheDatabaseUp() {
    qunsetenv("ZENMORA_DATABASE");
    const CommandLine line = parse({});
    QCOMPARE(line.action, Action::Run);
    QCOMPARE(line.options.database, QString());
  }

  void theEnvironmentNamesTheDatabaseWhenTheLineDoesNot() {
    qputenv("ZENMORA_DATABASE", "service=team");
    QCOMPARE(parse({}).options.database, QStringLiteral("service=team"));
    QCOMPARE(parse({"--database", "own.mdb"}).options.database, QStringLiteral("own.mdb"));
    qputenv("ZENMORA_DATABASE", "");
    QCOMPARE(parse({}).options.database, QString());
    qunsetenv("ZENMORA_DATABASE");
  }

  void theDatabaseIsPassedOnExactlyAsGiven() {
    QCOMPARE(parse({"--database", "/data/我的 資料.mdb"}).options.database, QStringLiteral("/data/我的 資料.mdb"));
    QCOMPARE(parse({"--database=relative/x.mdb"}).options.database, QStringLiteral("relative/x.mdb"));
    QCOMPARE(parse({"--database", "postgresql://host/db?x=1"}).options.database,
             QStringLiteral("postgresql://host/db?x=1"));
    QCOMPARE(parse({"--database", "a.mdb", "--database", "b.mdb"}).options.database, QStringLiteral("b.mdb"));
    QCOMPARE(parse({"--database", "a.mdb"}).action, Action::Run);
  }

  void badLinesFailWithAMessageAndTheUsageExitCode() {
    CommandLine line = parse({"--bogus"});
    QCOMPARE(line.action, Action::Fail);
    QCOMPARE(line.text, QStringLiteral("zenmora: Unknown option 'bogus'.\nTry 'zenmora --help' for more information."));
    line = parse({"--database"});
    QCOMPARE(line.action, Action::Fail);
    QCOMPARE(line.text,
             QStringLiteral("zenmora: Missing value after '--database'.\nTry 'zenmora --help' for more information."));
    line = parse({"Lexora_Concept.mdb"});
    QCOMPARE(line.action, Action::Fail);
    QCOMPARE(line.text, QStringLiteral("zenmora: unexpected argument 'Lexora_Concept.mdb'.\n"
                                       "Try 'zenmora --help' for more information."));
    QCOMPARE(answerCommandLine(line), kUsageExitCode);
  }

  void helpAndVersionAnswerEvenOnALineWithAnError() {
    CommandLine line = parse({"--bogus", "--help"});
    QCOMPARE(line.action, Action::ShowHelp);
    QVERIFY2(line.text.contains(QStringLiteral("--database <PATH>")), qPrintable(line.text));
    QVERIFY(line.text.contains(QStringLiteral("--version")));
    line = parse({"-v"});
    QCOMPARE(line.action, Action::ShowVersion);
    QCOMPARE(line.text, QStringLiteral("Zenmora %1\n").arg(QStringLiteral(ZENMORA_TEST_VERSION)));
    QCOMPARE(parse({"--version", "--help"}).action, Action::ShowHelp);
  }

  void onlyHelpAndVersionAreAnsweredBeforeTheWindowSystem() {
    const auto asks = [](std::vector<const char*> argv) {
      argv.insert(argv.begin(), "zenmora");
      return asksForHelpOrVersion(static_cast<int>(argv.size()), argv.data());
    };
    QVERIFY(asks({"--help"}));
    QVERIFY(asks({"-platform", "offscreen", "-v"}));
    QVERIFY(!asks({}));
    QVERIFY(!asks({"--database", "x.mdb"}));
    QVERIFY(!asks({"--helpful"}));
    QVERIFY(!asks({"--", "--help"}));  // after "--" it is a file name
  }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
