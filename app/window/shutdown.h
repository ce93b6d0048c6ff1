// SPDX-License-Identifier: MIT
// The shutdown routine, run once at the normal end of the program.
#pragma once

#include "app/result_cache.h"

namespace tavrel::window {

// Releases what lives from one calculation run to the next, the result lines the window keeps,
// and stops showing fatal reports in a box, since the toolkit goes away after this. (The formula
// normaliser keeps no texts between calls, so there is nothing of it to release.)
void shutdown_routine(app::ResultCache& results);

}  // namespace tavrel::window
