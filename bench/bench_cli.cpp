// SPDX-License-Identifier: MIT
// tavrel-cli's throughput and memory on a million generated free-text lines (in this process on
// one thread and on the workers it starts, and as its own process), beside Node.js
// evaluating the same normalised expressions one eval per line and bc -l computing those it can
// read with 13 decimals (each process timed best of three), and tavrel-cli on a 1 GB pipe.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/filter.h"
#include "app/qt/code_page.h"
#include "formula/normalise_formula.h"
#include "support/line_generator.h"
#include "support/qt/whole_text.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Figures {
  double seconds = 0;
  long peak_kb = 0;
};

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long peak_rss_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Returns whether bc reads the expression: it has no "^" (a power in bc) and no "()".
bool bc_reads(std::string_view expression) {
  return expression.find('^') == std::string_view::npos &&
         expression.find("()") == std::string_view::npos;
}

// Writes the corpus as UTF-8 lines, the normalised expressions beside it, and those that bc
// reads, each after "scale=13;"; returns the number of those.
long write_corpus(const fs::path& lines_path, const fs::path& expressions_path,
                  const fs::path& bc_path, long count) {
  std::ofstream lines(lines_path, std::ios::binary);
  std::ofstream expressions(expressions_path, std::ios::binary);
  std::ofstream bc(bc_path, std::ios::binary);
  tavrel::support::lines::line_generator generator(20261211);
  long bc_lines = 0;
  for (long i = 0; i < count; ++i) {
    const tavrel::text::Text line = generator.next();
    const tavrel::text::Text expression = tavrel::formula::normalise_formula(line);
    lines << tavrel::support::qt::gbk_to_utf8(line) << '\n';
    expressions << expression << '\n';
    if (bc_reads(expression)) {
      bc << "scale=13;" << expression << '\n';
      ++bc_lines;
    }
  }
  return bc_lines;
}

// Runs the filter inside this process over the file, reading it in 64 KiB chunks, its results
// computed by `workers` threads (none: on this thread alone).
Figures run_in_process(const fs::path& path, std::size_t workers, long& lines_out) {
  const long before = peak_rss_kb();
  const auto start = Clock::now();
  lines_out = 0;
  tavrel::app::qt::GbkCodec code_page;
  tavrel::app::Filter filter(
      tavrel::app::Encoding::utf8, "", code_page,
      [&lines_out](std::string_view block) {
        lines_out += std::count(block.begin(), block.end(), '\n');
      },
      workers);
  std::ifstream in(path, std::ios::binary);
  std::vector<char> chunk(1 << 16);
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
    filter.feed(std::string_view(chunk.data(), static_cast<std::size_t>(in.gcount())));
  }
  filter.end_of_input();
  filter.finish();
  return {seconds_since(start), peak_rss_kb() - before};
}

// Starts argv with stdin from in_fd (or a file), stdout and stderr to /dev/null (bc reports
// every expression it cannot compute there); returns its pid.
pid_t spawn(const std::vector<std::string>& args, int in_fd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in_fd, STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::perror(argv[0]);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

Figures wait_for(pid_t pid, Clock::time_point start) {
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "child failed with status %d\n", status);
    std::exit(1);
  }
  return {seconds_since(start), usage.ru_maxrss};
}

Figures run_process(const std::vector<std::string>& args, const fs::path& input) {
  const int fd = open(input.c_str(), O_RDONLY);
  const auto start = Clock::now();
  const pid_t pid = spawn(args, fd);
  close(fd);
  return wait_for(pid, start);
}

// Runs the process `rounds` times; returns the figures of the fastest run, the one least
// disturbed by whatever else the machine does.
Figures best_run(const std::vector<std::string>& args, const fs::path& input, int rounds) {
  Figures best = run_process(args, input);
  for (int round = 1; round < rounds; ++round) {
    const Figures figures = run_process(args, input);
    if (figures.seconds < best.seconds) best = figures;
  }
  return best;
}

// Returns the peak resident memory of a running process in KiB, read from /proc.
long child_peak_kb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

// Pipes the corpus into tavrel-cli again and again until at least `bytes` have gone through,
// reading it in small pieces so that this process stays small too. The peak is the child's own
// high-water mark, read while it runs (the rusage figure of a child would count the memory it
// shared with this process before it started).
Figures run_big_pipe(const std::string& cli, const fs::path& corpus, long long bytes,
                     long long& written, long long& lines) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) std::exit(1);  // the child must not keep the write end
  const auto start = Clock::now();
  const pid_t pid = spawn({cli}, fds[0]);
  close(fds[0]);
  written = lines = 0;
  long peak = 0;
  std::vector<char> piece(1 << 20);
  while (written < bytes) {
    std::ifstream in(corpus, std::ios::binary);
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
      const std::size_t size = static_cast<std::size_t>(in.gcount());
      for (std::size_t done = 0; done < size;) {
        const ssize_t n = write(fds[1], piece.data() + done, size - done);
        if (n <= 0) std::exit(1);
        done += static_cast<std::size_t>(n);
      }
      lines += std::count(piece.data(), piece.data() + size, '\n');
      written += static_cast<long long>(size);
      peak = std::max(peak, child_peak_kb(pid));
    }
  }
  close(fds[1]);
  peak = std::max(peak, child_peak_kb(pid));
  Figures figures = wait_for(pid, start);
  figures.peak_kb = peak;
  return figures;
}

const char* kNodeScript =
    "const lines = require('fs').readFileSync(process.argv[1], 'latin1').split('\\n');"
    "lines.pop(); const out = [];"
    "for (const line of lines) { let v; try { v = (0, eval)(line); } catch (e) { v = ''; }"
    "  out.push(String(v)); if (out.length === 65536) { process.stdout.write(out.join('\\n'));"
    "  out.length = 0; } }"
    "process.stdout.write(out.join('\\n'));";

void print(const char* what, long lines, const Figures& f) {
  std::printf("%-34s lines=%ld seconds=%.3f lines_per_s=%.0f peak_rss_kb=%ld\n", what, lines,
              f.seconds, lines / f.seconds, f.peak_kb);
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long long big = argc > 2 ? std::atoll(argv[2]) : (1LL << 30);
  const fs::path dir = fs::temp_directory_path() / ("tavrel-bench-cli-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path lines = dir / "lines.txt", expressions = dir / "expressions.txt";
  const fs::path bc_input = dir / "bc.txt";
  const long bc_lines = write_corpus(lines, expressions, bc_input, count);
  std::printf("corpus lines=%ld bytes=%ju\n", count,
              static_cast<std::uintmax_t>(fs::file_size(lines)));

  long filtered = 0, filtered_alone = 0;
  print("tavrel-cli in-process 1 thread", count, run_in_process(lines, 0, filtered_alone));
  const std::size_t workers = tavrel::app::default_worker_count();
  const std::string threaded = "tavrel-cli in-process " + std::to_string(workers) + " workers";
  print(threaded.c_str(), count, run_in_process(lines, workers, filtered));
  constexpr int kRounds = 3;  // the processes are timed best of three
  const Figures cli = best_run({TAVREL_CLI_PATH, lines.string()}, "/dev/null", kRounds);
  print("tavrel-cli whole-process", count, cli);
  const Figures node =
      best_run({"node", "-e", kNodeScript, expressions.string()}, "/dev/null", kRounds);
  print("node eval per line", count, node);
  std::printf("ratio tavrel-cli/node lines_per_s=%.1f\n", node.seconds / cli.seconds);
  const Figures bc = best_run({"bc", "-l", bc_input.string()}, "/dev/null", kRounds);
  print("bc -l scale=13 per line", bc_lines, bc);
  std::printf("ratio tavrel-cli/bc lines_per_s=%.1f\n",
              (static_cast<double>(count) / cli.seconds) / (bc_lines / bc.seconds));

  long long written = 0, big_lines = 0;
  const Figures pipe = run_big_pipe(TAVREL_CLI_PATH, lines, big, written, big_lines);
  std::printf(
      "tavrel-cli pipe bytes=%lld lines=%lld seconds=%.3f lines_per_s=%.0f peak_rss_kb=%ld\n",
      written, big_lines, pipe.seconds, big_lines / pipe.seconds, pipe.peak_kb);
  fs::remove_all(dir);
  return filtered == count && filtered_alone == count ? 0 : 1;
}
