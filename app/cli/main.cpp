// SPDX-License-Identifier: MIT
// tavrel-cli: the calculator as a filter. Reads free-text lines, writes "expression=value" lines.
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_options.h"
#include "app/filter.h"
#include "app/qt/code_page.h"

namespace {

using tavrel::app::Filter;
using tavrel::app::Options;

constexpr std::size_t kChunk = 1 << 16;

// Collects result lines and writes them to standard output in large blocks.
class ResultWriter {
 public:
  ResultWriter() { m_buffer.reserve(2 * kChunk); }
  ~ResultWriter() { flush(); }

  // Adds one result line.
  void add(std::string_view line) {
    m_buffer.append(line);
    if (m_buffer.size() >= kChunk) flush();
  }

  void flush() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
      const ssize_t n = ::write(STDOUT_FILENO, m_buffer.data() + done, m_buffer.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
  }

 private:
  std::string m_buffer;
};

// Reads one input to its end; returns the error number of a failed open or read, or 0.
int read_input(const std::string& path, Filter& filter) {
  const bool is_stdin = path == "-";
  const int fd = is_stdin ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  std::vector<char> buffer(kChunk);
  int error = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    filter.feed(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
  }
  filter.end_of_input();
  if (!is_stdin) ::close(fd);
  return error;
}

}  // namespace

int main(int argc, char** argv) {
  const tavrel::app::ParseResult parsed = tavrel::app::parse_options(argc, argv);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "tavrel-cli: %s\n", parsed.error.c_str());
    return 2;
  }
  const Options& options = parsed.options;
  if (options.help) {
    std::fputs(tavrel::app::usage_text(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("Tavrel " TAVREL_VERSION);
    return 0;
  }
  ResultWriter out;
  tavrel::app::qt::GbkCodec code_page;
  Filter filter(options.encoding, options.decimals, code_page,
                [&out](std::string_view line) { out.add(line); });
  for (const std::string& path : options.inputs) {
    if (const int error = read_input(path, filter)) {
      filter.finish();
      out.flush();
      std::fprintf(stderr, "tavrel-cli: %s: %s\n", path == "-" ? "standard input" : path.c_str(),
                   std::strerror(error));
      return 2;
    }
  }
  filter.finish();
  return 0;
}
