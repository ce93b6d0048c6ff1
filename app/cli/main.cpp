// SPDX-License-Identifier: MIT
// tavrel-cli: the calculator as a filter. Reads free-text lines, writes "expression=value" lines.
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// Ends the run after a failed write to standard output: quietly for a reader that has gone (a
// closed pipe, with SIGPIPE ignored), with one line on standard error for every other failure.
[[noreturn]] void fail_to_write(int error) {
  if (error != EPIPE) std::fprintf(stderr, "tavrel-cli: write error: %s\n", std::strerror(error));
  std::_Exit(2);
}

// Writes all the bytes to standard output, or ends the run.
void write_out(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail_to_write(n < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Closes standard output, with what the C library still holds for it, or ends the run: a
// failure can first show here.
void close_standard_output() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) fail_to_write(errno != 0 ? errno : EIO);
  if (::close(STDOUT_FILENO) != 0 && errno != EINTR) fail_to_write(errno);
}

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
  if (options.help || options.version) {
    std::fputs(options.help ? tavrel::app::usage_text() : "Tavrel " TAVREL_VERSION "\n", stdout);
    close_standard_output();
    return 0;
  }
  tavrel::app::qt::GbkCodec code_page;
  Filter filter(options.encoding, options.decimals, code_page, write_out);
  for (const std::string& path : options.inputs) {
    if (const int error = read_input(path, filter)) {
      // What was read before the failure is computed and written; the status tells of the loss.
      filter.finish();
      close_standard_output();
      std::fprintf(stderr, "tavrel-cli: %s: %s\n", path == "-" ? "standard input" : path.c_str(),
                   std::strerror(error));
      return 2;
    }
  }
  filter.finish();
  close_standard_output();
  return 0;
}
