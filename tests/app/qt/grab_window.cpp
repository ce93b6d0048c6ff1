// SPDX-License-Identifier: MIT
// Test helper: saves a picture of one X window as a PNG.
// Usage: tavrel_grab_window <window id> <out.png>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <window id> <out.png>\n", argv[0]);
    return 2;
  }
  QGuiApplication application(argc, argv);
  bool ok = false;
  const WId window = QString::fromLocal8Bit(argv[1]).toULongLong(&ok, 0);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!ok || screen == nullptr) {
    std::fprintf(stderr, "%s: no window %s or no screen\n", argv[0], argv[1]);
    return 2;
  }
  const QPixmap picture = screen->grabWindow(window);
  if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "%s: cannot grab window %s into %s\n", argv[0], argv[1], argv[2]);
    return 1;
  }
  return 0;
}
