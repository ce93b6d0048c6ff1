// SPDX-License-Identifier: MIT
#include "app/window/shutdown.h"

#include "app/fatal_error.h"

namespace tavrel::window {

void shutdown_routine(app::ResultCache& results) {
  results.clear();
  app::set_fatal_reporter(nullptr);
}

}  // namespace tavrel::window
