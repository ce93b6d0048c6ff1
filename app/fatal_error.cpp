// SPDX-License-Identifier: MIT
#include "app/fatal_error.h"

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavrel::app {
namespace {

std::atomic<FatalReporter> g_reporter{nullptr};

// Appends bytes to a bounded buffer, keeping count of the whole length.
class ReportWriter {
 public:
  ReportWriter(char* buffer, std::size_t capacity) : m_buffer(buffer), m_capacity(capacity) {}

  void append(std::string_view bytes) {
    for (char c : bytes) {
      if (m_capacity > 0 && m_size + 1 < m_capacity) m_buffer[m_size] = c;
      ++m_size;
    }
    terminate();
  }

  std::size_t size() const { return m_size; }

 private:
  void terminate() {
    if (m_capacity > 0) m_buffer[m_size < m_capacity ? m_size : m_capacity - 1] = '\0';
  }

  char* m_buffer;
  std::size_t m_capacity;
  std::size_t m_size = 0;
};

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

std::size_t compose_fatal_report(char* buffer, std::size_t capacity, std::int32_t code,
                                 std::string_view message) {
  ReportWriter writer(buffer, capacity);
  writer.append("运行时出错!");
  writer.append(kCrLf);
  writer.append(kCrLf);
  if (code != 0) {
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, "%" PRId32, code);
    writer.append("错误代码：");
    writer.append(std::string_view(digits, static_cast<std::size_t>(n)));
    writer.append(kCrLf);
    writer.append(kCrLf);
  }
  if (!message.empty()) {
    writer.append("错误信息：");
    writer.append(message);
    writer.append(kCrLf);
  }
  return writer.size();
}

std::string fatal_report(std::int32_t code, std::string_view message) {
  const std::size_t size = compose_fatal_report(nullptr, 0, code, message);
  std::string report(size, '\0');
  compose_fatal_report(report.data(), size + 1, code, message);
  return report;
}

FatalReporter set_fatal_reporter(FatalReporter reporter) {
  return g_reporter.exchange(reporter);
}

void fatal_error(std::int32_t code, std::string_view message) {
  // A fixed buffer: the report must be composable when memory has run out.
  static char report[1024];
  compose_fatal_report(report, sizeof report, code, message);
  if (FatalReporter reporter = g_reporter.exchange(nullptr)) {
    reporter(report);
  } else {
    std::fputs(report, stderr);
  }
  std::_Exit(-1);
}

void fatal_out_of_memory(std::size_t bytes) {
  static char message[64];
  std::snprintf(message, sizeof message, "分配 %zu 字节内存失败!", bytes);
  fatal_error(0, message);
}

}  // namespace tavrel::app
