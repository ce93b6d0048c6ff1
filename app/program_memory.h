// SPDX-License-Identifier: MIT
// Memory for the program: running out of it anywhere ends in the fatal-error path.
#pragma once

namespace tavrel::app {

// Sets memory aside that is given back when an allocation fails, so that the fatal report can
// still be shown in its box.
void reserve_memory_for_report();

}  // namespace tavrel::app
