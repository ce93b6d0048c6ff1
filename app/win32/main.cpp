// SPDX-License-Identifier: MIT
// tavrel.exe: the calculator's window.
#include <windows.h>

#include "app/win32/program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return tavrel::app::win32::run_program(instance);
}
