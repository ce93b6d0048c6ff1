// SPDX-License-Identifier: MIT
// tavrel: the calculator's window.
#include "app/qt/program.h"

int main(int argc, char** argv) {
  return tavrel::app::qt::run_program(argc, argv);
}
