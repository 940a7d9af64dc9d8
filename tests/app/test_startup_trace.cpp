// The start-up trace: off unless asked for, steps in order with their times,
// ended once by the window's first paint.
#include <QRegularExpression>
#include <QWidget>
#include <QtTest>

#include "app/startup_trace.h"

namespace {

struct Line {
  double sinceMain = 0;
  double took = 0;
  QString step;
};

QList<Line> parse(const std::string& report) {
  static const QRegularExpression pattern(QStringLiteral(R"(^startup-trace: +(-?[0-9]+\.[0-9]{3}) ms +([+-][0-9]+\.[0-9]{3}) ms  (.+)$)"));
  QList<Line> lines;
  for (const QString& text : QString::fromStdString(report).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
      qWarning("not a trace line: %s", qPrintable(text));
      return {};
    }
    lines.append({match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3)});
  }
  return lines;
}

QStringList steps(const QList<Line>& lines) {
  QStringList names;
  for (const Line& line : lines) names.append(line.step);
  return names;
}

}  // namespace

class StartupTraceTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { startup_trace::reset(); }

  void withoutTheArgumentNothingIsRecorded() {
    const char* argv[] = {"zenmora", "--startup-traces", "startup-trace"};
    startup_trace::enableFromArguments(3, argv);
    QVERIFY(!startup_trace::enabled());
    startup_trace::mark("database open");
    QWidget window;
    startup_trace::watchFirstPaint(window);
    QVERIFY(window.children().isEmpty());  // no watcher
    QCOMPARE(startup_trace::report(), std::string());
  }

  void stepsInOrderThenFirstPaintOnceThenTheTotal() {
    const char* argv[] = {"zenmora", "--startup-trace"};
    startup_trace::enableFromArguments(2, argv);
    QVERIFY(startup_trace::enabled());
    startup_trace::mark("database open");
    QTest::qWait(5);
    startup_trace::mark("six tables");
    QWidget window;
    window.resize(200, 100);
    startup_trace::watchFirstPaint(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(startup_trace::report().find("first paint") != std::string::npos);
    window.update();
    QTest::qWait(20);  // a second paint adds nothing

    const QList<Line> lines = parse(startup_trace::report());
    QCOMPARE(steps(lines), (QStringList{QStringLiteral("process start to main (loading the libraries; to the clock tick)"),
                                        QStringLiteral("database open"), QStringLiteral("six tables"),
                                        QStringLiteral("first paint"), QStringLiteral("total from the process's start")}));
    QCOMPARE(lines[0].sinceMain, 0.0);
    QVERIFY(lines[0].took > 0);  // the test process started before this test ran
    QVERIFY(lines[2].took >= 5.0);
    double previous = 0;
    for (int i = 1; i <= 3; ++i) {
      QVERIFY(lines[i].took >= 0);
      QVERIFY(lines[i].sinceMain >= previous);
      QVERIFY(qAbs(lines[i].sinceMain - previous - lines[i].took) < 0.01);  // each step ends where the next begins
      previous = lines[i].sinceMain;
    }
    QVERIFY(qAbs(lines[4].took - (lines[0].took + lines[3].sinceMain)) < 0.01);
  }
};

QTEST_MAIN(StartupTraceTest)
#include "test_startup_trace.moc"
