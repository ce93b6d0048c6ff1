// SPDX-License-Identifier: MIT
// The decimal places box: what typing lets in, what pasting and input methods do, and the tidy
// when the box loses the focus.
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "app/qt/edit_boxes.h"
#include "tests/app/qt/typing.h"

using tavrel::app::qt::DecimalsBox;
using tavrel::app::qt::testing::typeText;

class DecimalsBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void typingAndTidy_data();
  void typingAndTidy();
  void controlKeysPass();
  void pasteIsNotFiltered();
  void inputMethodCommitIsFiltered();
  void caretAfterTidy_data();
  void caretAfterTidy();
  void selectionSurvivesTheFocus();
  void contextMenuDoesNotTidy();

 private:
  void moveFocusAway() {
    m_other->setFocus();
    QTRY_VERIFY(m_other->hasFocus());
  }

  std::unique_ptr<QWidget> m_host;
  DecimalsBox* m_box = nullptr;
  QLineEdit* m_other = nullptr;
};

void DecimalsBoxTest::init() {
  m_host = std::make_unique<QWidget>();
  m_box = new DecimalsBox(m_host.get());
  m_other = new QLineEdit(m_host.get());
  m_other->move(0, 40);
  m_host->show();
  QVERIFY(QTest::qWaitForWindowActive(m_host.get()));
  m_box->setFocus();
  QTRY_VERIFY(m_box->hasFocus());
}

void DecimalsBoxTest::cleanup() {
  m_host.reset();
}

void DecimalsBoxTest::typingAndTidy_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("shown");   // after typing
  QTest::addColumn<QString>("tidied");  // after losing the focus

  QTest::newRow("letter") << "a"
                          << ""
                          << "";
  QTest::newRow("point") << "."
                         << ""
                         << "";
  QTest::newRow("blank") << " 5"
                         << "5"
                         << "5";
  QTest::newRow("plus_sign") << "+5"
                             << "5"
                             << "5";
  QTest::newRow("mixed") << "1a2.3"
                         << "123"
                         << "123";
  QTest::newRow("outside_the_bmp") << QStringLiteral(
                                          "\U0001F600"
                                          "5")
                                   << "5"
                                   << "5";
  QTest::newRow("full_width_digits") << QStringLiteral("１２") << ""
                                     << "";
  QTest::newRow("leading_zeros") << "007"
                                 << "007"
                                 << "7";
  QTest::newRow("zero") << "0"
                        << "0"
                        << "";
  QTest::newRow("minus") << "-"
                         << "-"
                         << "";
  QTest::newRow("double_minus") << "--5"
                                << "--5"
                                << "";
  QTest::newRow("minus_after_digits") << "5-3"
                                      << "5-3"
                                      << "5";
  QTest::newRow("negative") << "-12"
                            << "-12"
                            << "-12";
  QTest::newRow("above_int32") << "99999999999"
                               << "99999999999"
                               << "2147483647";
  QTest::newRow("below_int32") << "-99999999999"
                               << "-99999999999"
                               << "-2147483648";
  // 2^64 + 1 wraps to 1 in the 64-bit reading before the 32-bit limit applies.
  QTest::newRow("wraps_modulo_2_64") << "18446744073709551617"
                                     << "18446744073709551617"
                                     << "1";
}

void DecimalsBoxTest::typingAndTidy() {
  QFETCH(QString, typed);
  QFETCH(QString, shown);
  QFETCH(QString, tidied);

  typeText(m_box, typed);
  QCOMPARE(m_box->text(), shown);
  moveFocusAway();
  QCOMPARE(m_box->text(), tidied);
}

void DecimalsBoxTest::controlKeysPass() {
  typeText(m_box, QStringLiteral("123"));
  QTest::keyClick(m_box, Qt::Key_Backspace);
  QCOMPARE(m_box->text(), QStringLiteral("12"));
  QTest::keyClick(m_box, Qt::Key_Home);
  QTest::keyClick(m_box, Qt::Key_Delete);
  QCOMPARE(m_box->text(), QStringLiteral("2"));
  QTest::keyClick(m_box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(m_box, Qt::Key_X, Qt::ControlModifier);  // cut
  QCOMPARE(m_box->text(), QString());
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("2"));
}

void DecimalsBoxTest::pasteIsNotFiltered() {
  QGuiApplication::clipboard()->setText(QStringLiteral("ab 7"));
  QTest::keyClick(m_box, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(m_box->text(), QStringLiteral("ab 7"));
  moveFocusAway();
  QCOMPARE(m_box->text(), QString());  // no digits before the first other character

  m_box->setFocus();
  QTRY_VERIFY(m_box->hasFocus());
  QGuiApplication::clipboard()->setText(QStringLiteral(" 42x"));
  QTest::keyClick(m_box, Qt::Key_V, Qt::ControlModifier);
  moveFocusAway();
  QCOMPARE(m_box->text(), QStringLiteral("42"));
}

void DecimalsBoxTest::inputMethodCommitIsFiltered() {
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("1a２2"));
  QApplication::sendEvent(m_box, &commit);
  QCOMPARE(m_box->text(), QStringLiteral("12"));

  QInputMethodEvent letters;
  letters.setCommitString(QStringLiteral("ab"));
  QApplication::sendEvent(m_box, &letters);
  QCOMPARE(m_box->text(), QStringLiteral("12"));
}

void DecimalsBoxTest::caretAfterTidy_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("selectionStart");
  QTest::addColumn<int>("selectionLength");  // 0: the caret alone
  QTest::addColumn<QString>("tidied");
  QTest::addColumn<int>("caret");

  QTest::newRow("caret_inside") << " 5" << 1 << 0 << "5" << 1;
  QTest::newRow("caret_beyond_new_end") << "007" << 3 << 0 << "7" << 1;
  QTest::newRow("selection_start") << " 12" << 1 << 2 << "12" << 1;
  QTest::newRow("all_selected") << "12a" << 0 << 3 << "12" << 0;
  // An unchanged text keeps its caret.
  QTest::newRow("unchanged") << "75" << 1 << 0 << "75" << 1;
}

void DecimalsBoxTest::caretAfterTidy() {
  QFETCH(QString, text);
  QFETCH(int, selectionStart);
  QFETCH(int, selectionLength);
  QFETCH(QString, tidied);
  QFETCH(int, caret);

  m_box->setText(text);
  if (selectionLength > 0) {
    m_box->setSelection(selectionStart, selectionLength);
  } else {
    m_box->setCursorPosition(selectionStart);
  }
  moveFocusAway();
  QCOMPARE(m_box->text(), tidied);
  QCOMPARE(m_box->cursorPosition(), caret);
}

void DecimalsBoxTest::selectionSurvivesTheFocus() {
  // A text the tidy leaves as it is keeps its selection while the box lacks the focus (hidden
  // by the palette) and shows it again when the focus comes back by the mouse.
  m_box->setText(QStringLiteral("1234"));
  m_box->setSelection(1, 2);
  moveFocusAway();
  QCOMPARE(m_box->selectedText(), QStringLiteral("23"));
  QCOMPARE(m_box->palette().color(QPalette::Inactive, QPalette::Highlight), QColor(Qt::white));
  m_box->setFocus(Qt::MouseFocusReason);
  QTRY_VERIFY(m_box->hasFocus());
  QCOMPARE(m_box->selectedText(), QStringLiteral("23"));
  // A text the tidy changes loses it: the caret goes where the selection began.
  m_box->setText(QStringLiteral("0071"));
  m_box->setSelection(2, 2);
  moveFocusAway();
  QCOMPARE(m_box->text(), QStringLiteral("71"));
  QVERIFY(!m_box->hasSelectedText());
}

void DecimalsBoxTest::contextMenuDoesNotTidy() {
  m_box->setText(QStringLiteral("007"));
  QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(m_box, &popup);
  QCOMPARE(m_box->text(), QStringLiteral("007"));
  QFocusEvent away(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(m_box, &away);
  QCOMPARE(m_box->text(), QStringLiteral("7"));
}

QTEST_MAIN(DecimalsBoxTest)
#include "decimals_box_test.moc"
