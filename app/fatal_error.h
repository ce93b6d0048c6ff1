// SPDX-License-Identifier: MIT
// The fatal-error path: the one report the system gives the user before it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel::app {

// Index checks of the calculation run (never triggered by its loop).
inline constexpr std::int32_t kIndexBeyondLast = 1;
inline constexpr std::int32_t kIndexBelowOne = 4;
inline constexpr std::string_view kIndexBeyondLastMessage = "数组成员引用下标超出定义范围";
inline constexpr std::string_view kIndexBelowOneMessage = "数组成员引用下标必须大于等于1";

// Writes the report text for (code, message) into buffer, UTF-8, without allocating; returns the
// number of bytes the whole report has (it is cut to capacity - 1 bytes and 0-terminated).
std::size_t compose_fatal_report(char* buffer, std::size_t capacity, std::int32_t code,
                                 std::string_view message);

// Returns the report text for (code, message): "运行时出错!" CR LF CR LF, then the code part when
// code is not 0, then the message part when the message is not empty.
std::string fatal_report(std::int32_t code, std::string_view message);

// Shows a report and returns when the user has closed it; installed by the window.
using FatalReporter = void (*)(const char* report_utf8);

// Installs the reporter that fatal_error shows its report with; returns the one installed before.
// Without one the report goes to standard error.
FatalReporter set_fatal_reporter(FatalReporter reporter);

// Composes and shows the report, then ends the process with exit code -1 without the shutdown
// routine. Allocates nothing, so that it also serves when memory has run out.
[[noreturn]] void fatal_error(std::int32_t code, std::string_view message);

// The fatal error for memory that could not be had: code 0, "分配 %d 字节内存失败!".
[[noreturn]] void fatal_out_of_memory(std::size_t bytes);

}  // namespace tavrel::app
