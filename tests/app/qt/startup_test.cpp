// SPDX-License-Identifier: MIT
// The program as a whole, run as a child process: its exit codes, the shutdown routine, the
// fatal reports it shows, and what it says where there is no display.
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "app/display.h"

namespace {

// Runs tavrel with the given environment changes (an empty value unsets the variable).
struct Run {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

Run runTavrel(const QList<QPair<QString, QString>>& changes) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const auto& [name, value] : changes) {
    if (value.isEmpty()) {
      environment.remove(name);
    } else {
      environment.insert(name, value);
    }
  }
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(TAVREL_EXE), {});
  Run run;
  if (!process.waitForStarted() || !process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}

const QPair<QString, QString> kOffscreen{QStringLiteral("QT_QPA_PLATFORM"),
                                         QStringLiteral("offscreen")};

QPair<QString, QString> seam(const QString& value) {
  return {QStringLiteral("TAVREL_TEST_SEAM"), value};
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void normalEnd();
  void fatalError_data();
  void fatalError();
  void noDisplay_data();
  void noDisplay();
  void displayAvailable_data();
  void displayAvailable();
};

void StartupTest::normalEnd() {
  // The window closes as soon as the loop runs: exit code 0 after one shutdown routine.
  const Run run = runTavrel({kOffscreen, seam(QStringLiteral("close"))});
  QCOMPARE(run.exitCode, 0);
  QCOMPARE(run.out, QByteArray("shutdown\n"));
}

void StartupTest::fatalError_data() {
  QTest::addColumn<QString>("action");
  QTest::addColumn<QByteArray>("report");

  QTest::newRow("index_beyond_last")
      << QStringLiteral("fatal:1:数组成员引用下标超出定义范围")
      << QByteArray(
             "运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n");
  QTest::newRow("no_code_no_message")
      << QStringLiteral("fatal:0:") << QByteArray("运行时出错!\r\n\r\n");
  // The program's operator new meets an address space capped just above what is in use.
  QTest::newRow("out_of_memory") << QStringLiteral("oom")
                                 << QByteArray(
                                        "运行时出错!\r\n\r\n错误信息：分配 64 字节内存失败!\r\n");
}

void StartupTest::fatalError() {
  QFETCH(QString, action);
  QFETCH(QByteArray, report);
#ifdef TAVREL_SANITIZED
  if (action == QLatin1String("oom")) QSKIP("sanitizers reserve more address space than the cap");
#endif
  const Run run = runTavrel({kOffscreen, seam(action)});
  // Exit code -1, as a parent sees it; one report, and no shutdown routine after it.
  QCOMPARE(run.exitCode, 255);
  QCOMPARE(run.out, report);
  QVERIFY2(!run.err.contains("运行时出错"), run.err.constData());  // the box could be shown
}

void StartupTest::noDisplay_data() {
  QTest::addColumn<QString>("platform");
  QTest::addColumn<QString>("display");
  QTest::addColumn<QByteArray>("reason");

  QTest::newRow("nothing_set") << QString() << QString()
                               << QByteArray("neither DISPLAY nor WAYLAND_DISPLAY is set");
  QTest::newRow("wayland_without_its_display")
      << QStringLiteral("wayland") << QStringLiteral(":1")
      << QByteArray("QT_QPA_PLATFORM=wayland needs a display");
  // A display that is named but cannot be reached: the plugin's fatal error is replaced.
  QTest::newRow("x_display_unreachable") << QStringLiteral("xcb") << QStringLiteral(":4711")
                                         << QByteArray("the X display \":4711\" cannot be opened");
}

void StartupTest::noDisplay() {
  QFETCH(QString, platform);
  QFETCH(QString, display);
  QFETCH(QByteArray, reason);

  const Run run = runTavrel({{QStringLiteral("QT_QPA_PLATFORM"), platform},
                             {QStringLiteral("DISPLAY"), display},
                             {QStringLiteral("WAYLAND_DISPLAY"), QString()},
                             seam(QStringLiteral("close"))});
  QCOMPARE(run.exitCode, 1);
  QCOMPARE(run.out, QByteArray());
  const QByteArray line = run.err.trimmed();
  QVERIFY2(!line.contains('\n'), run.err.constData());  // one line, and nothing from Qt
  QVERIFY2(line.startsWith("tavrel: no display"), run.err.constData());
  QVERIFY2(line.contains(reason), run.err.constData());
  for (const char* wayOut : {"desktop session", "xvfb-run", "tavrel-cli"}) {
    QVERIFY2(line.contains(wayOut), run.err.constData());
  }
}

void StartupTest::displayAvailable_data() {
  QTest::addColumn<QByteArray>("platform");  // "-" for unset
  QTest::addColumn<QByteArray>("display");
  QTest::addColumn<QByteArray>("wayland");
  QTest::addColumn<bool>("available");

  QTest::newRow("x_display") << QByteArray("-") << QByteArray(":0") << QByteArray("-") << true;
  QTest::newRow("wayland_display")
      << QByteArray("-") << QByteArray("-") << QByteArray("wayland-0") << true;
  QTest::newRow("none") << QByteArray("-") << QByteArray("-") << QByteArray("-") << false;
  QTest::newRow("empty_values") << QByteArray("") << QByteArray("") << QByteArray("") << false;
  QTest::newRow("offscreen") << QByteArray("offscreen") << QByteArray("-") << QByteArray("-")
                             << true;
  QTest::newRow("xcb_needs_x") << QByteArray("xcb") << QByteArray("-") << QByteArray("wayland-0")
                               << false;
  QTest::newRow("xcb_with_options")
      << QByteArray("xcb:nograb") << QByteArray(":0") << QByteArray("-") << true;
  QTest::newRow("wayland_needs_wayland")
      << QByteArray("wayland") << QByteArray(":0") << QByteArray("-") << false;
  QTest::newRow("fallback_list") << QByteArray("wayland;xcb") << QByteArray(":0") << QByteArray("-")
                                 << true;
  QTest::newRow("fallback_list_none")
      << QByteArray("wayland;xcb") << QByteArray("-") << QByteArray("-") << false;
}

void StartupTest::displayAvailable() {
  QFETCH(QByteArray, platform);
  QFETCH(QByteArray, display);
  QFETCH(QByteArray, wayland);
  QFETCH(bool, available);
  const auto value = [](const QByteArray& v) { return v == "-" ? nullptr : v.constData(); };
  QCOMPARE(tavrel::app::display_available(value(platform), value(display), value(wayland)),
           available);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
