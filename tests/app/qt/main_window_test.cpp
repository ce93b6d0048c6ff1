// SPDX-License-Identifier: MIT
// The main window: its controls as the form lays them out, the layout rule, and the six handlers
// driven through the controls as a user would.
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "app/pictures.h"
#include "app/qt/box_text.h"
#include "app/qt/edit_boxes.h"
#include "app/qt/fonts.h"
#include "app/qt/hyperlinker.h"
#include "app/qt/main_window.h"
#include "app/qt/picture_image.h"
#include "app/run_calculation.h"
#include "app/window_rules.h"
#include "eval/script_component.h"
#include "tests/app/qt/controls.h"
#include "tests/app/qt/full_run.h"
#include "tests/app/qt/typing.h"

using tavrel::app::Box;
using tavrel::app::qt::Hyperlinker;
using tavrel::app::qt::MainWindow;
using tavrel::app::qt::PlainBox;
using tavrel::app::qt::testing::fullRunResult;
using tavrel::app::qt::testing::typeText;
namespace form = tavrel::app::form;

namespace {

QString startText(const QWidget* control) {
  if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  if (auto* button = qobject_cast<const QPushButton*>(control)) return button->text();
  if (auto* line = qobject_cast<const QLineEdit*>(control)) return line->text();
  if (auto* box = qobject_cast<const QPlainTextEdit*>(control)) return box->toPlainText();
  return {};
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void controls_data();
  void controls();
  void stacking();
  void windowSettings();
  void editBoxSettings();
  void fonts();
  void pictures();

  void layoutRule_data();
  void layoutRule();
  void layoutRunsWhenShown();
  void minimiseAndRestore();

  void typingAndPasting_data();
  void typingAndPasting();
  void calculateButtonUsesDecimals();
  void resultWritesStartNoRun();
  void setTextRaisesOneChange();
  void appendTextFollowsTheEnd();

  void copyResult();
  void aboutLinkTwice();
  void aboutKeepsWhatGbkCannotHold();
  void linkLooks();
  void doubleClickClears();
  void clearAndAboutAreUndoable();
  void doubleClickInEmptyBoxRunsOnce();

  void escapeCloses_data();
  void escapeCloses();
  void dragging_data();
  void dragging();

 private:
  template <typename T = QWidget>
  T* control(const char* name) const {
    return tavrel::app::qt::testing::findControl<T>(*m_window, name);
  }
  PlainBox* input() const { return control<PlainBox>(form::kInput.name); }
  PlainBox* result() const { return control<PlainBox>(form::kResult.name); }
  QByteArray boxText(Box box) const { return QByteArray::fromStdString(m_window->get_text(box)); }

  std::unique_ptr<MainWindow> m_window;
};

void MainWindowTest::init() {
  m_window = std::make_unique<MainWindow>();
  m_window->show();
  QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void MainWindowTest::cleanup() {
  m_window.reset();
}

void MainWindowTest::controls_data() {
  QTest::addColumn<QByteArray>("name");
  QTest::addColumn<QByteArray>("kind");
  QTest::addColumn<QByteArray>("parent");
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("tabStop");

  const QByteArray window = form::kWindow;
  const QByteArray panel = form::kDecimalsPanel.name;
  // Geometry as laid out for the start client area of 396 x 372.
  QTest::newRow("link") << QByteArray(form::kLink.name)
                        << QByteArray("tavrel::app::qt::Hyperlinker") << window
                        << QRect(182, 9, 44, 15) << QStringLiteral("关于") << false;
  QTest::newRow("decimals") << QByteArray(form::kDecimals.name)
                            << QByteArray("tavrel::app::qt::DecimalsBox") << panel
                            << QRect(79, 3, 45, 24) << QString() << true;
  QTest::newRow("decimals_caption")
      << QByteArray(form::kDecimalsCaption.name) << QByteArray("QLabel") << panel
      << QRect(26, 7, 48, 16) << QStringLiteral("保留小数:") << false;
  QTest::newRow("decimals_symbol") << QByteArray(form::kDecimalsSymbol.name) << QByteArray("QLabel")
                                   << panel << QRect(8, 8, 16, 16) << QString() << false;
  QTest::newRow("decimals_panel") << QByteArray(form::kDecimalsPanel.name) << QByteArray("QLabel")
                                  << window << QRect(248, 176, 136, 32) << QString() << false;
  QTest::newRow("copy") << QByteArray(form::kCopy.name) << QByteArray("QPushButton") << window
                        << QRect(32, 184, 88, 24) << QStringLiteral("复制结果") << true;
  QTest::newRow("heading") << QByteArray(form::kHeading.name) << QByteArray("QLabel") << window
                           << QRect(16, 7, 216, 24)
                           << QStringLiteral("计算文本中的数学算式（每行）") << false;
  // The layout rule widens the result box from the form's 384 to the client width less 4.
  QTest::newRow("result") << QByteArray(form::kResult.name)
                          << QByteArray("tavrel::app::qt::PlainBox") << window
                          << QRect(0, 216, 392, 152) << QString() << true;
  QTest::newRow("calculate") << QByteArray(form::kCalculate.name) << QByteArray("QPushButton")
                             << window << QRect(124, 183, 112, 24) << QStringLiteral("计算")
                             << true;
  QTest::newRow("input") << QByteArray(form::kInput.name) << QByteArray("tavrel::app::qt::PlainBox")
                         << window << QRect(0, 32, 392, 144) << QString() << true;
}

void MainWindowTest::controls() {
  QFETCH(QByteArray, name);
  QFETCH(QByteArray, kind);
  QFETCH(QByteArray, parent);
  QFETCH(QRect, geometry);
  QFETCH(QString, text);
  QFETCH(bool, tabStop);

  const QWidget* widget = control(name.constData());
  QCOMPARE(QByteArray(widget->metaObject()->className()), kind);
  QCOMPARE(widget->parentWidget()->objectName(), QString::fromUtf8(parent));
  QCOMPARE(widget->geometry(), geometry);
  QCOMPARE(startText(widget), text);
  QCOMPARE(bool(widget->focusPolicy() & Qt::TabFocus), tabStop);
  QVERIFY(widget->isVisible());
  QVERIFY(widget->isEnabled());
}

void MainWindowTest::stacking() {
  // Qt lists children bottom first; the form lists them top first.
  const auto widgetNames = [](const QWidget* parent) {
    QStringList list;
    for (const QObject* child : parent->children()) {
      if (child->isWidgetType()) list.append(child->objectName());
    }
    return list;
  };
  const auto expected = [](std::initializer_list<const char*> topFirst) {
    QStringList list;
    for (const char* name : topFirst) list.prepend(QString::fromUtf8(name));
    return list;
  };
  QCOMPARE(
      widgetNames(m_window.get()),
      expected({form::kLink.name, form::kDecimalsPanel.name, form::kCopy.name, form::kHeading.name,
                form::kResult.name, form::kCalculate.name, form::kInput.name}));
  QCOMPARE(
      widgetNames(control(form::kDecimalsPanel.name)),
      expected({form::kDecimals.name, form::kDecimalsCaption.name, form::kDecimalsSymbol.name}));

  // The link lies inside the heading label and takes the mouse there.
  QCOMPARE(m_window->childAt(200, 15), control(form::kLink.name));
  QCOMPARE(m_window->childAt(100, 15), control(form::kHeading.name));

  // The script component is a plain object of the window, never shown.
  const QObject* script = m_window->findChild<QObject*>(QString::fromUtf8(form::kScript.name));
  QVERIFY(script != nullptr);
  QVERIFY(!script->isWidgetType());
  QCOMPARE(script->parent(), m_window.get());
}

void MainWindowTest::windowSettings() {
  QCOMPARE(m_window->windowTitle(), QStringLiteral("Tavrel"));
  QCOMPARE(m_window->objectName(), QString::fromUtf8(form::kWindow));
  QCOMPARE(m_window->size(), QSize(396, 372));

  // Centred by the outer size of 406 x 398 (integer division).
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QCOMPARE(m_window->pos(), QPoint(screen.x() + (screen.width() - 406) / 2,
                                   screen.y() + (screen.height() - 398) / 2));

  const Qt::WindowFlags flags = m_window->windowFlags();
  QVERIFY(flags & Qt::WindowMinimizeButtonHint);
  QVERIFY(flags & Qt::WindowMaximizeButtonHint);
  QVERIFY(flags & Qt::WindowSystemMenuHint);
  QVERIFY(!(flags & Qt::WindowStaysOnTopHint));
  QVERIFY(m_window->minimumSize() != m_window->maximumSize());  // resizable

  QCOMPARE(m_window->palette().color(QPalette::Window),
           m_window->palette().color(QPalette::Button));
  QCOMPARE(m_window->windowIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
           tavrel::app::qt::picture_image(tavrel::app::window_icon()));

  // The input box has the focus at start; Tab runs input, copy, calculate, decimals, result.
  QCOMPARE(QApplication::focusWidget(), input());
  const char* const order[] = {form::kCopy.name, form::kCalculate.name, form::kDecimals.name,
                               form::kResult.name, form::kInput.name};
  for (const char* name : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromUtf8(name));
  }
}

void MainWindowTest::editBoxSettings() {
  for (const char* name : {form::kInput.name, form::kResult.name}) {
    const auto* box = control<PlainBox>(name);
    QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(!box->isReadOnly());
    QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::black));
  }
  const auto* decimals = control<QLineEdit>(form::kDecimals.name);
  QVERIFY(!decimals->isReadOnly());
  QVERIFY(decimals->maxLength() > 1'000'000);  // no limit on the length of the text
  for (const char* name : {form::kCalculate.name, form::kCopy.name}) {
    const auto* button = control<QPushButton>(name);
    QVERIFY(!button->isDefault());
    QVERIFY(!button->autoDefault());
  }
}

void MainWindowTest::fonts() {
  const QStringList substitutes = QFont::substitutes(QString::fromUtf8(tavrel::app::qt::kFace));
  QVERIFY(substitutes.size() >= 2);
  // Qt keeps the family names in lower case.
  QCOMPARE(substitutes.at(0).toLower(), QStringLiteral("wenquanyi micro hei"));
  QCOMPARE(substitutes.at(1).toLower(), QStringLiteral("noto sans cjk sc"));

  for (const char* name :
       {form::kLink.name, form::kDecimals.name, form::kDecimalsCaption.name, form::kCopy.name,
        form::kHeading.name, form::kResult.name, form::kCalculate.name, form::kInput.name}) {
    const QFont font = control(name)->font();
    QCOMPARE(font.family(), QString::fromUtf8(tavrel::app::qt::kFace));
    QCOMPARE(font.pixelSize(), name == form::kLink.name ? 14 : 12);
    QCOMPARE(font.weight(), QFont::Normal);
    QVERIFY(!font.italic());
    QVERIFY(!font.underline());
    // The captions are Chinese: the face that stands in must hold them, or they show as boxes.
    const QFontMetrics metrics(font);
    for (const char32_t code : QStringLiteral("计算复制结果保留小数关于（）").toUcs4()) {
      QVERIFY2(metrics.inFontUcs4(code), qPrintable(QFontInfo(font).family()));
    }
  }
}

void MainWindowTest::pictures() {
  for (const QImage& picture : {tavrel::app::qt::picture_image(tavrel::app::window_icon()),
                                tavrel::app::qt::picture_image(tavrel::app::decimals_symbol())}) {
    QCOMPARE(picture.size(), QSize(16, 16));
    QCOMPARE(picture.format(), QImage::Format_ARGB32);
    QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);  // a transparent corner
  }
  const auto* symbol = control<QLabel>(form::kDecimalsSymbol.name);
  QCOMPARE(symbol->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
           tavrel::app::qt::picture_image(tavrel::app::decimals_symbol()));
  QCOMPARE(symbol->alignment(), Qt::AlignLeft | Qt::AlignTop);
}

void MainWindowTest::layoutRule_data() {
  QTest::addColumn<QSize>("client");
  QTest::addColumn<bool>("synthetic");  // sizes no window takes are sent as a resize event
  QTest::addColumn<int>("boxWidth");
  QTest::addColumn<int>("resultHeight");

  QTest::newRow("start") << QSize(396, 372) << false << 392 << 152;
  QTest::newRow("larger") << QSize(640, 480) << false << 636 << 260;
  QTest::newRow("narrower_than_the_controls") << QSize(200, 300) << false << 196 << 80;
  QTest::newRow("above_the_result_top") << QSize(300, 150) << false << 296 << 0;  // -70 as 0
  QTest::newRow("exactly_zero") << QSize(4, 220) << true << 0 << 0;
  QTest::newRow("minimised") << QSize(0, 0) << true << 0 << 0;  // -4 and -220 as 0
  QTest::newRow("beyond_the_largest") << QSize(40000, 32900) << true << 32627 << 32627;
}

void MainWindowTest::layoutRule() {
  QFETCH(QSize, client);
  QFETCH(bool, synthetic);
  QFETCH(int, boxWidth);
  QFETCH(int, resultHeight);

  const auto fixedGeometry = [this] {
    QList<QRect> list;
    for (const char* name : {form::kLink.name, form::kDecimalsPanel.name, form::kCopy.name,
                             form::kHeading.name, form::kCalculate.name}) {
      list.append(control(name)->geometry());
    }
    return list;
  };
  const QList<QRect> before = fixedGeometry();

  if (synthetic) {
    QResizeEvent event(client, m_window->size());
    QApplication::sendEvent(m_window.get(), &event);
  } else {
    m_window->resize(client);
    QTRY_COMPARE(m_window->size(), client);
  }

  QCOMPARE(input()->geometry(), QRect(0, 32, boxWidth, 144));
  QCOMPARE(result()->geometry(), QRect(0, 216, boxWidth, resultHeight));
  QCOMPARE(fixedGeometry(), before);  // cut off at the right edge rather than moved
}

void MainWindowTest::layoutRunsWhenShown() {
  // State: a window made but not shown. Expected: the form's sizes until it is shown.
  MainWindow window;
  const auto* box = window.findChild<QWidget*>(QString::fromUtf8(form::kResult.name));
  QCOMPARE(box->geometry(), QRect(0, 216, 384, 152));
  // Action: show it. Expected: the held-back resize event has run the layout rule.
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(box->geometry(), QRect(0, 216, 392, 152));
}

void MainWindowTest::minimiseAndRestore() {
  // The toolkit sends no resize when the window is minimised: the change of state alone applies
  // the rule with the 0 x 0 client area, and restoring applies it with the real size.
  m_window->setWindowState(Qt::WindowMinimized);
  QTRY_COMPARE(result()->size(), QSize(0, 0));
  QCOMPARE(input()->width(), 0);
  QCOMPARE(input()->height(), 144);  // only the widths and the result box's height change
  m_window->setWindowState(Qt::WindowNoState);
  QTRY_COMPARE(result()->geometry(), QRect(0, 216, 392, 152));
  QCOMPARE(input()->geometry(), QRect(0, 32, 392, 144));
}

void MainWindowTest::typingAndPasting_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("pasted");
  QTest::addColumn<QByteArray>("inputBytes");  // GBK, line breaks CR LF
  QTest::addColumn<QByteArray>("resultBytes");

  QTest::newRow("typed_ascii") << "1+1" << QString() << QByteArray("1+1")
                               << QByteArray("1+1=2\r\n");
  QTest::newRow("typed_full_width")
      << QStringLiteral("３＋４") << QString() << QByteArray("\xA3\xB3\xA3\xAB\xA3\xB4")
      << QByteArray("3+4=7\r\n");
  QTest::newRow("typed_words_and_units")
      << QStringLiteral("３ apples + 4") << QString() << QByteArray("\xA3\xB3 apples + 4")
      << QByteArray("3+4=7\r\n");
  QTest::newRow("typed_two_lines")
      << "1+1\n2*3" << QString() << QByteArray("1+1\r\n2*3") << QByteArray("1+1=2\r\n2*3=6\r\n");
  // Two Returns leave an empty line between, which gets a result line of its own.
  QTest::newRow("typed_empty_line") << "1+1\n\n2" << QString() << QByteArray("1+1\r\n\r\n2")
                                    << QByteArray("1+1=2\r\n=0\r\n2=2\r\n");
  QTest::newRow("pasted_lf_lines")
      << QString() << "1+1\n2*3" << QByteArray("1+1\r\n2*3") << QByteArray("1+1=2\r\n2*3=6\r\n");
  // A final line break leaves an empty last line, which gives no result line.
  QTest::newRow("pasted_crlf_lines")
      << QString() << "1+1\r\n2*3\r\n"
      << QByteArray("1+1\r\n2*3\r\n") << QByteArray("1+1=2\r\n2*3=6\r\n");
  // U+2603 is not in GBK and reaches the core as "?".
  QTest::newRow("pasted_outside_gbk") << QString() << QStringLiteral("\u2603 1+1")
                                      << QByteArray("? 1+1") << QByteArray("1+1=2\r\n");
  QTest::newRow("typed_then_deleted")
      << "12\b" << QString() << QByteArray("1") << QByteArray("1=1\r\n");
}

void MainWindowTest::typingAndPasting() {
  QFETCH(QString, typed);
  QFETCH(QString, pasted);
  QFETCH(QByteArray, inputBytes);
  QFETCH(QByteArray, resultBytes);

  QWidget* box = input();
  typeText(box, typed);
  if (!pasted.isEmpty()) {
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  }
  QCOMPARE(boxText(Box::input), inputBytes);
  QCOMPARE(boxText(Box::result), resultBytes);
}

void MainWindowTest::calculateButtonUsesDecimals() {
  typeText(input(), QStringLiteral("1+1"));
  QWidget* decimals = control(form::kDecimals.name);
  decimals->setFocus();
  QTRY_VERIFY(decimals->hasFocus());

  // Action: a new count. Expected: nothing until the next run.
  typeText(decimals, QStringLiteral("2"));
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\n"));
  QTest::mouseClick(control(form::kCalculate.name), Qt::LeftButton);
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2.00\r\n"));

  // Action: "--5", then the button. Expected: the click takes the focus, the box is tidied to
  // empty before the run, and the run uses no count.
  decimals->setFocus();
  QTRY_VERIFY(decimals->hasFocus());
  QTest::keyClick(decimals, Qt::Key_Backspace);
  typeText(decimals, QStringLiteral("--5"));
  QTest::mouseClick(control(form::kCalculate.name), Qt::LeftButton);
  QCOMPARE(boxText(Box::decimals), QByteArray());
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\n"));
}

void MainWindowTest::resultWritesStartNoRun() {
  typeText(input(), QStringLiteral("1+1"));
  QSignalSpy inputChanges(input(), &PlainBox::changed);
  QSignalSpy resultChanges(result(), &PlainBox::changed);

  // A run writes the result box in one edit, which it reports once, and leaves the input box.
  QTest::mouseClick(control(form::kCalculate.name), Qt::LeftButton);
  QCOMPARE(resultChanges.count(), 1);
  QCOMPARE(inputChanges.count(), 0);

  // What the user types into the result box stays until the next run.
  result()->moveCursor(QTextCursor::End);
  result()->setFocus();
  typeText(result(), QStringLiteral("x"));
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\nx"));
  typeText(input(), QStringLiteral("0"));
  QCOMPARE(boxText(Box::result), QByteArray("1+10=11\r\n"));
}

void MainWindowTest::setTextRaisesOneChange() {
  QSignalSpy inputChanges(input(), &PlainBox::changed);
  QSignalSpy resultChanges(result(), &PlainBox::changed);

  // Each run reports one change of the result box.
  m_window->set_text(Box::input, "1+1");
  QCOMPARE(inputChanges.count(), 1);
  QCOMPARE(resultChanges.count(), 1);  // exactly one run
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\n"));

  // The same text again still counts as one change, and runs once more.
  m_window->set_text(Box::input, "1+1");
  QCOMPARE(inputChanges.count(), 2);
  QCOMPARE(resultChanges.count(), 2);

  // The result box reports its own replacement once and starts nothing.
  m_window->set_text(Box::result, "x");
  QCOMPARE(resultChanges.count(), 3);
  QCOMPARE(inputChanges.count(), 2);
  QCOMPARE(boxText(Box::result), QByteArray("x"));
}

void MainWindowTest::appendTextFollowsTheEnd() {
  QByteArray lines;
  for (int i = 0; i < 60; ++i) lines += "1\r\n";
  m_window->set_text(Box::input, lines.toStdString());

  // After the run the caret is at the end of the result box, scrolled into view.
  const QPlainTextEdit* box = result();
  QCOMPARE(box->textCursor().position(), box->document()->characterCount() - 1);
  QVERIFY(box->verticalScrollBar()->value() > 0);
  QVERIFY(box->viewport()->rect().contains(box->cursorRect()));
  // The appends leave nothing to undo.
  QVERIFY(!box->document()->isUndoAvailable());
}

void MainWindowTest::copyResult() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(QStringLiteral("kept"));

  // State: result box empty. Action: copy. Expected: the clipboard keeps its text.
  QTest::mouseClick(control(form::kCopy.name), Qt::LeftButton);
  QCOMPARE(clipboard->text(), QStringLiteral("kept"));

  // State: two result lines. Expected: the whole text with its final CR LF, as plain text.
  typeText(input(), QStringLiteral("1+1\n３＋４"));
  QTest::mouseClick(control(form::kCopy.name), Qt::LeftButton);
  QCOMPARE(clipboard->text(), QStringLiteral("1+1=2\r\n3+4=7\r\n"));
  QVERIFY(clipboard->mimeData()->hasText());
  QVERIFY(!clipboard->mimeData()->hasHtml());
}

void MainWindowTest::aboutLinkTwice() {
  typeText(input(), QStringLiteral("1+1"));
  QWidget* link = control(form::kLink.name);

  QTest::mousePress(link, Qt::LeftButton);
  QTest::mouseRelease(link, Qt::LeftButton);
  QTest::mousePress(link, Qt::RightButton);  // only the left button counts
  QTest::mouseRelease(link, Qt::RightButton);
  QTest::mousePress(link, Qt::LeftButton);
  QTest::mouseRelease(link, Qt::LeftButton);

  const std::string about(tavrel::app::kAboutText);
  const QByteArray expectedInput = QByteArray::fromStdString(about + about + "1+1");
  QCOMPARE(boxText(Box::input), expectedInput);
  QVERIFY(about.starts_with(" Tavrel v1.1\r\n"));
  QCOMPARE(QByteArray::fromStdString(about).count("\r\n"), 4);
  QVERIFY(about.ends_with("\r\n"));

  // Eight about lines and the former line, each with its result line.
  const QByteArray shown = boxText(Box::result);
  QCOMPARE(shown, fullRunResult(expectedInput.toStdString()));
  QCOMPARE(shown.count("\r\n"), 9);
  QVERIFY(shown.endsWith("\r\n1+1=2\r\n"));
}

void MainWindowTest::aboutKeepsWhatGbkCannotHold() {
  // The former text stays as it was, characters GBK has no bytes for included.
  typeText(input(), QStringLiteral("1\u2603\U0001F600"));
  QTest::mousePress(control(form::kLink.name), Qt::LeftButton);
  const QString about = tavrel::app::qt::box_text(tavrel::app::kAboutText);
  QCOMPARE(input()->toPlainText(),
           QString(about).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
               QStringLiteral("1\u2603\U0001F600"));
}

void MainWindowTest::linkLooks() {
  auto* link = control<Hyperlinker>(form::kLink.name);
  const auto colour = [link] { return link->palette().color(QPalette::WindowText).rgb(); };
  QCOMPARE(link->alignment(), Qt::AlignCenter);
  QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
  QCOMPARE(link->focusPolicy(), Qt::NoFocus);
  QCOMPARE(colour(), qRgb(192, 192, 192));

  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(link, &enter);
  QCOMPARE(colour(), qRgb(128, 224, 0));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(link, &leave);
  QCOMPARE(colour(), qRgb(192, 192, 192));
}

void MainWindowTest::doubleClickClears() {
  typeText(input(), QStringLiteral("1+1\n2"));
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\n2=2\r\n"));
  QTest::mouseDClick(input()->viewport(), Qt::LeftButton);
  QCOMPARE(boxText(Box::input), QByteArray());
  QCOMPARE(boxText(Box::result), QByteArray());
}

void MainWindowTest::clearAndAboutAreUndoable() {
  // State: two lines typed. Action: a double-click clears them. Expected: Ctrl+Z brings them
  // back, and that undo is one change with one run.
  typeText(input(), QStringLiteral("1+1\n2"));
  const QByteArray typed = boxText(Box::input);
  QTest::mouseDClick(input()->viewport(), Qt::LeftButton);
  QCOMPARE(boxText(Box::input), QByteArray());
  QSignalSpy inputChanges(input(), &PlainBox::changed);
  QSignalSpy resultChanges(result(), &PlainBox::changed);
  QTest::keyClick(input(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(boxText(Box::input), typed);
  QCOMPARE(inputChanges.count(), 1);
  QCOMPARE(resultChanges.count(), 1);
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\n2=2\r\n"));

  // The about link's prepend is one undo step too.
  QTest::mousePress(control(form::kLink.name), Qt::LeftButton);
  QTest::mouseRelease(control(form::kLink.name), Qt::LeftButton);
  QVERIFY(boxText(Box::input).startsWith(" Tavrel v"));
  QTest::keyClick(input(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(boxText(Box::input), typed);
  QCOMPARE(boxText(Box::result), QByteArray("1+1=2\r\n2=2\r\n"));
  // The run's writes to the result box are no undo steps.
  QVERIFY(!result()->document()->isUndoAvailable());
}

void MainWindowTest::doubleClickInEmptyBoxRunsOnce() {
  // State: empty input, something the user typed into the result box.
  result()->setFocus();
  typeText(result(), QStringLiteral("junk"));
  QSignalSpy inputChanges(input(), &PlainBox::changed);
  QSignalSpy resultChanges(result(), &PlainBox::changed);

  // Action: double-click the empty input box. Expected: one change, one run, which empties the
  // result box (a run over no lines writes the result box exactly once).
  QTest::mouseDClick(input()->viewport(), Qt::LeftButton);
  QCOMPARE(inputChanges.count(), 1);
  QCOMPARE(resultChanges.count(), 1);
  QCOMPARE(boxText(Box::result), QByteArray());
}

void MainWindowTest::escapeCloses_data() {
  QTest::addColumn<QByteArray>("focused");
  for (const char* name : {form::kInput.name, form::kResult.name, form::kDecimals.name,
                           form::kCalculate.name, form::kCopy.name}) {
    QTest::newRow(name) << QByteArray(name);
  }
}

void MainWindowTest::escapeCloses() {
  QFETCH(QByteArray, focused);
  QWidget* widget = control(focused.constData());
  widget->setFocus();
  QTRY_VERIFY(widget->hasFocus());
  QTest::keyClick(widget, Qt::Key_Escape);
  QTRY_VERIFY(!m_window->isVisible());
}

void MainWindowTest::dragging_data() {
  QTest::addColumn<QByteArray>("pressed");  // empty: the window's own client area
  QTest::addColumn<QPoint>("at");           // in the pressed control
  QTest::addColumn<bool>("moves");

  QTest::newRow("heading_label") << QByteArray(form::kHeading.name) << QPoint(10, 12) << true;
  QTest::newRow("decimals_caption")
      << QByteArray(form::kDecimalsCaption.name) << QPoint(5, 8) << true;
  QTest::newRow("decimals_symbol")
      << QByteArray(form::kDecimalsSymbol.name) << QPoint(8, 8) << true;
  QTest::newRow("decimals_panel") << QByteArray(form::kDecimalsPanel.name) << QPoint(130, 28)
                                  << true;
  QTest::newRow("empty_client_area") << QByteArray() << QPoint(300, 15) << true;
  QTest::newRow("link") << QByteArray(form::kLink.name) << QPoint(20, 7) << false;
  QTest::newRow("input_box") << QByteArray(form::kInput.name) << QPoint(50, 50) << false;
  QTest::newRow("decimals_box") << QByteArray(form::kDecimals.name) << QPoint(10, 10) << false;
  QTest::newRow("button") << QByteArray(form::kCopy.name) << QPoint(10, 10) << false;
}

void MainWindowTest::dragging() {
  QFETCH(QByteArray, pressed);
  QFETCH(QPoint, at);
  QFETCH(bool, moves);

  QWidget* target = pressed.isEmpty() ? m_window.get() : control(pressed.constData());
  if (auto* box = qobject_cast<QPlainTextEdit*>(target)) target = box->viewport();
  if (pressed.isEmpty()) QCOMPARE(m_window->childAt(at), nullptr);
  const QPoint start = m_window->pos();
  const QPoint step(30, 20);

  // The offscreen platform cannot move windows itself, so this drives the move-by-mouse path.
  QTest::mousePress(target, Qt::LeftButton, {}, at);
  QTest::mouseMove(target, at + step);
  QTest::mouseRelease(target, Qt::LeftButton, {}, at + step);

  if (moves) {
    QTRY_COMPARE(m_window->pos(), start + step);
  } else {
    QCOMPARE(m_window->pos(), start);
  }
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
