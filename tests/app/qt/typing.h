// SPDX-License-Identifier: MIT
// Typing any Unicode text into a widget, one key press per character.
#pragma once

#include <QString>
#include <QTest>
#include <QWidget>

namespace tavrel::app::qt::testing {

// Types text as a keyboard would: one key press per character (a surrogate pair counts as one),
// "\n" as the Return key, "\b" as Backspace. QTest::keyClicks cannot, as it passes only Latin-1
// characters.
inline void typeText(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('\n') || text[i] == QLatin1Char('\b')) {
      QTest::keyClick(widget, text[i] == QLatin1Char('\n') ? Qt::Key_Return : Qt::Key_Backspace);
      continue;
    }
    const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, n), Qt::NoModifier);
    i += n - 1;
  }
}

}  // namespace tavrel::app::qt::testing
