// SPDX-License-Identifier: MIT
// The fatal report's box, and the hold on the window's events while it is open.
#include <QApplication>
#include <QMessageBox>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTest>

#include "app/fatal_error.h"
#include "app/qt/fatal_report_box.h"
#include "app/qt/main_window.h"
#include "app/window_rules.h"

using tavrel::app::Box;

class FatalReportTest : public QObject {
  Q_OBJECT

 private slots:
  void box_data();
  void box();
  void eventsHeldWhileTheBoxIsOpen();
};

void FatalReportTest::box_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QByteArray>("message");
  QTest::addColumn<QString>("shown");  // the box breaks its lines at "\n"

  QTest::newRow("index_beyond_last")
      << 1 << QByteArray(tavrel::app::kIndexBeyondLastMessage.data())
      << QStringLiteral("运行时出错!\n\n错误代码：1\n\n错误信息：数组成员引用下标超出定义范围\n");
  QTest::newRow("memory_64_bytes")
      << 0 << QByteArray("分配 64 字节内存失败!")
      << QStringLiteral("运行时出错!\n\n错误信息：分配 64 字节内存失败!\n");
  QTest::newRow("no_code_no_message") << 0 << QByteArray() << QStringLiteral("运行时出错!\n\n");
  QTest::newRow("negative_code") << -5 << QByteArray()
                                 << QStringLiteral("运行时出错!\n\n错误代码：-5\n\n");
}

void FatalReportTest::box() {
  QFETCH(int, code);
  QFETCH(QByteArray, message);
  QFETCH(QString, shown);

  const std::string report = tavrel::app::fatal_report(code, message.toStdString());
  const auto box = tavrel::app::qt::make_fatal_report_box(report.c_str());
  QCOMPARE(box->text(), shown);
  QCOMPARE(box->windowTitle(), QStringLiteral("错误"));
  QCOMPARE(box->icon(), QMessageBox::Critical);
  QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
  QCOMPARE(box->textFormat(), Qt::PlainText);
  QCOMPARE(box->parentWidget(), nullptr);
}

void FatalReportTest::eventsHeldWhileTheBoxIsOpen() {
  tavrel::app::qt::MainWindow window;
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QWidget* link = window.findChild<QWidget*>(QString::fromUtf8(tavrel::app::form::kLink.name));
  QWidget* input = window.findChild<QWidget*>(QString::fromUtf8(tavrel::app::form::kInput.name));
  const auto box = tavrel::app::qt::make_fatal_report_box("运行时出错!\r\n\r\n");

  {
    const tavrel::app::qt::HeldEvents held(box.get());
    QTest::mousePress(link, Qt::LeftButton);
    QCOMPARE(window.get_text(Box::input), "");
    QResizeEvent resize(QSize(640, 480), window.size());
    QApplication::sendEvent(&window, &resize);
    QCOMPARE(input->width(), 392);
    input->setFocus();
    QTest::keyClick(input, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    // The box itself still takes its input.
    QSignalSpy finished(box.get(), &QDialog::finished);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QTest::keyClick(box.get(), Qt::Key_Escape);
    QTRY_COMPARE(finished.count(), 1);
  }

  // Once released, the handlers run again.
  QTest::mousePress(link, Qt::LeftButton);
  QVERIFY(window.get_text(Box::input).starts_with(" Tavrel v1.1\r\n"));
}

QTEST_MAIN(FatalReportTest)
#include "fatal_report_test.moc"
