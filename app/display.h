// SPDX-License-Identifier: MIT
// Finding out, before the toolkit starts, whether there is a display to open the window on.
#pragma once

#include <string>

namespace tavrel::app {

// Returns true when the window can be shown: qpa_platform (the value of QT_QPA_PLATFORM, or
// null) names a platform that needs no display server, or the X display or the Wayland display
// it needs is set.
bool display_available(const char* qpa_platform, const char* display, const char* wayland_display);

// Returns why display_available gave false for these values, for no_display_message.
std::string missing_display(const char* qpa_platform);

// Returns why a display that is set could not be opened, for no_display_message.
std::string display_reason(const char* display, const char* wayland_display);

// Returns the one line that tells the user there is no display and names the ways out; reason
// says what was missing.
std::string no_display_message(const std::string& reason);

}  // namespace tavrel::app
