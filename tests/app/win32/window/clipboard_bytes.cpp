// SPDX-License-Identifier: MIT
// Writes the clipboard's CF_TEXT as hex bytes, up to and including its terminating zero, or
// "none" when it holds none: the bytes in the system code page that another program reads.
#include <windows.h>

#include <cstdio>

int main() {
  if (!OpenClipboard(nullptr)) return 1;
  HANDLE data = GetClipboardData(CF_TEXT);
  const auto* bytes =
      data != nullptr ? static_cast<const unsigned char*>(GlobalLock(data)) : nullptr;
  if (bytes == nullptr) {
    std::printf("none\n");
  } else {
    const SIZE_T size = GlobalSize(data);
    for (SIZE_T i = 0; i < size; ++i) {
      std::printf("%02x", bytes[i]);
      if (bytes[i] == 0) break;
    }
    std::printf("\n");
    GlobalUnlock(data);
  }
  CloseClipboard();
  return 0;
}
