// SPDX-License-Identifier: MIT
#include "app/display.h"

#include <string_view>

namespace tavrel::app {
namespace {

bool is_set(const char* value) {
  return value != nullptr && *value != '\0';
}

// Returns true when the platform plugin can start: xcb needs an X display, the Wayland plugins
// a Wayland display; the others (offscreen, vnc, eglfs, linuxfb ...) need neither.
bool platform_available(std::string_view platform, const char* display,
                        const char* wayland_display) {
  platform = platform.substr(0, platform.find(':'));  // "xcb:option=value"
  if (platform == "xcb") return is_set(display);
  if (platform.starts_with("wayland")) return is_set(wayland_display);
  return !platform.empty();
}

}  // namespace

bool display_available(const char* qpa_platform, const char* display, const char* wayland_display) {
  if (!is_set(qpa_platform)) return is_set(display) || is_set(wayland_display);
  // QT_QPA_PLATFORM may list fallbacks: "wayland;xcb".
  std::string_view list = qpa_platform;
  while (!list.empty()) {
    const std::size_t end = list.find(';');
    if (platform_available(list.substr(0, end), display, wayland_display)) return true;
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
  }
  return false;
}

std::string missing_display(const char* qpa_platform) {
  if (!is_set(qpa_platform)) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
  return std::string("QT_QPA_PLATFORM=") + qpa_platform + " needs a display that is not set";
}

std::string display_reason(const char* display, const char* wayland_display) {
  if (is_set(display)) return std::string("the X display \"") + display + "\" cannot be opened";
  if (is_set(wayland_display)) {
    return std::string("the Wayland display \"") + wayland_display + "\" cannot be opened";
  }
  return "the platform plugin found no display";
}

std::string no_display_message(const std::string& reason) {
  return "tavrel: no display to open the window on (" + reason +
         "); run it in a desktop session, under xvfb-run (xvfb-run tavrel), or use tavrel-cli.";
}

}  // namespace tavrel::app
