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

#include "app/cli/options.h"
#include "app/codepage/gbk.h"
#include "app/decimals.h"
#include "app/line_stream.h"
#include "app/result_line.h"
#include "eval/script_component.h"

namespace {

using tavrel::app::cli::Encoding;
using tavrel::app::cli::Options;

constexpr std::size_t kChunk = 1 << 16;

// Collects result lines and writes them to standard output in large blocks.
class ResultWriter {
 public:
  ResultWriter() { m_buffer.reserve(2 * kChunk); }
  ~ResultWriter() { flush(); }

  // Adds one result line, its CR LF written as LF.
  void add(std::string_view line) {
    m_buffer.append(line.substr(0, line.size() - 2)).push_back('\n');
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

// One run over all inputs: bytes in, converted to the box's GBK text, split, computed, written.
class Filter {
 public:
  explicit Filter(const Options& options)
      : m_encoding(options.encoding), m_decimals(tavrel::app::tidy_decimals(options.decimals)) {}

  void feed(std::string_view bytes) {
    if (m_encoding == Encoding::gbk) {
      m_gbk.assign(bytes);
      for (char& c : m_gbk) c = c == '\0' ? '?' : c;
    } else {
      m_gbk = m_utf8.convert(bytes);
    }
    m_lines.feed(m_gbk, [this](std::string_view line) { write_result(line); });
  }

  void end_of_file() {
    if (m_encoding == Encoding::utf8) {
      m_gbk = m_utf8.finish();
      m_lines.feed(m_gbk, [this](std::string_view line) { write_result(line); });
    }
  }

  void finish() {
    m_lines.finish([this](std::string_view line) { write_result(line); });
    m_out.flush();
  }

 private:
  void write_result(std::string_view line) {
    m_out.add(tavrel::app::result_line(line, m_decimals, m_script));
  }

  Encoding m_encoding;
  tavrel::text::Text m_decimals;
  tavrel::codepage::Utf8ToGbkStream m_utf8;
  tavrel::app::LineStream m_lines;
  tavrel::eval::ScriptComponent m_script;
  ResultWriter m_out;
  std::string m_gbk;
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
  filter.end_of_file();
  if (!is_stdin) ::close(fd);
  return error;
}

}  // namespace

int main(int argc, char** argv) {
  const tavrel::app::cli::ParseResult parsed = tavrel::app::cli::parse_options(argc, argv);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "tavrel-cli: %s\n", parsed.error.c_str());
    return 2;
  }
  const Options& options = parsed.options;
  if (options.help) {
    std::fputs(tavrel::app::cli::usage_text(), stdout);
    return 0;
  }
  if (options.version) {
    std::puts("Tavrel 1.1");
    return 0;
  }
  Filter filter(options);
  for (const std::string& path : options.inputs) {
    if (const int error = read_input(path, filter)) {
      filter.finish();
      std::fprintf(stderr, "tavrel-cli: %s: %s\n", path == "-" ? "standard input" : path.c_str(),
                   std::strerror(error));
      return 2;
    }
  }
  filter.finish();
  return 0;
}
