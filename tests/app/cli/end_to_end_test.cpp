// SPDX-License-Identifier: MIT
// tavrel-cli run as a separate process, fed through pipes and files.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Returns the path in single quotes, for the shell.
std::string shell_quoted(const fs::path& path) {
  std::string q(1, '\'');
  q.append(path.string()).push_back('\'');
  return q;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("tavrel-cli-test-" + std::to_string(::getpid()));
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  fs::path write_file(const std::string& name, const std::string& bytes) {
    const fs::path path = m_dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

  // Runs tavrel-cli with the arguments (already quoted for the shell) and the bytes on stdin.
  Outcome run(const std::string& args, const std::string& stdin_bytes = "") {
    const fs::path in = write_file("stdin", stdin_bytes);
    const fs::path out = m_dir / "stdout";
    return run_redirected(args + " <" + shell_quoted(in) + " >" + shell_quoted(out), out);
  }

  // Runs tavrel-cli with the arguments and redirections, all quoted for the shell; out is where
  // standard output goes, when that is a file.
  Outcome run_redirected(const std::string& args, const fs::path& out = {}) {
    const fs::path err = m_dir / "stderr";
    const std::string command =
        shell_quoted(TAVREL_CLI_PATH) + " " + args + " 2>" + shell_quoted(err);
    const int raw = std::system(command.c_str());
    return Outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out.empty() ? "" : read_file(out),
                   read_file(err)};
  }

  fs::path m_dir;
};

TEST_F(CliTest, FiltersStandardInput) {
  const Outcome r = run("", "1+1\n2*3\r\n３ apples + 4\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1+1=2\n2*3=6\n3+4=7\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, ReadsFilesInOrderAndDashAsStandardInput) {
  const fs::path a = write_file("a.txt", "1\n2\n");
  const fs::path b = write_file("b.txt", "3");
  const Outcome r = run(shell_quoted(a) + " - " + shell_quoted(b), "7*6\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1=1\n2=2\n7*6=42\n3=3\n");
}

TEST_F(CliTest, TidiesTheDecimalsAsTheBoxDoes) {
  struct row {
    const char* decimals;
    const char* out;
  };
  const row rows[] = {{"007", "1/3=0.3333333\n"},
                      {"0", "1/3=0.3333333333333\n"},
                      {"-", "1/3=0.3333333333333\n"},
                      {"''", "1/3=0.3333333333333\n"},
                      {"-1", "1/3=0\n"},
                      {"99999999999", "1/3=0.33"}};
  for (const row& r : rows) {
    const Outcome o = run(std::string("--decimals ") + r.decimals, "1/3\n");
    EXPECT_EQ(o.status, 0) << r.decimals;
    // A count of 2147483647 pads as far as a value text may go; only its start is checked.
    EXPECT_EQ(o.out.substr(0, std::string(r.out).size()), r.out) << r.decimals;
  }
}

TEST_F(CliTest, ReplacesWhatGbkCannotHold) {
  // NUL and a malformed byte become "?" and vanish from the expression.
  const Outcome utf8 = run("", std::string("1\0+2\n1\xFF+2\n", 10));
  EXPECT_EQ(utf8.out, "1+2=3\n1+2=3\n");
  // Taken as GBK bytes, FF and the euro sign 80 are characters of one byte, which the
  // expression drops; a lead byte without a second byte is "?" and keeps the line break.
  const Outcome gbk = run("--encoding gbk", "1\xFF+2\n100\x80+20\x80\n5\x81\n3");
  EXPECT_EQ(gbk.out, "1+2=3\n100+20=120\n5=5\n3=3\n");
}

TEST_F(CliTest, ReadsGbkBytes) {
  // ３＋４ in GBK: A3 B3 A3 AB A3 B4.
  const Outcome r = run("--encoding=gbk", "\xA3\xB3\xA3\xAB\xA3\xB4\r\n");
  EXPECT_EQ(r.out, "3+4=7\n");
}

TEST_F(CliTest, ReadsUtf16FilesByTheirByteOrderMark) {
  using std::string_literals::operator""s;
  // "３＋４" and "1/4" with CR LF, UTF-16LE as PowerShell writes it; then a UTF-8 file.
  const fs::path ps = write_file("ps.txt",
                                 "\xFF\xFE\x13\xFF\x0B\xFF\x14\xFF\r\0\n\0"
                                 "1\0/\0"
                                 "4\0\r\0\n\0"s);
  const fs::path utf8 = write_file("utf8.txt", "\xEF\xBC\x95\n");
  for (const char* encoding : {"utf-8", "gbk"}) {
    // Standard input in UTF-16BE: 2*3.
    const Outcome r = run(std::string("--decimals 2 --encoding ") + encoding + " " +
                              shell_quoted(ps) + " - " + shell_quoted(utf8),
                          "\xFE\xFF\0"
                          "2\0*\0"
                          "3\0\n"s);
    EXPECT_EQ(r.status, 0) << encoding;
    // Read as GBK, the UTF-8 file's ５ (EF BC 95) is one character and a lone lead byte.
    EXPECT_EQ(r.out, std::string("3+4=7.00\n1/4=0.25\n2*3=6.00\n") +
                         (encoding == std::string("gbk") ? "=0.00\n" : "5=5.00\n"))
        << encoding;
  }
}

TEST_F(CliTest, LoneCrStaysInsideItsLine) {
  EXPECT_EQ(run("", "1\r2\n").out, "12=12\n");
}

TEST_F(CliTest, ReportsBadUsageWithStatusTwo) {
  const Outcome unknown = run("--nope");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(unknown.err, "tavrel-cli: unknown option '--nope' (see --help)\n");
  const Outcome missing = run("--decimals");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "tavrel-cli: option '--decimals' needs an argument\n");
}

TEST_F(CliTest, KeepsResultsWrittenBeforeAnUnreadableFile) {
  // The last line of the readable file has no line end: it still counts.
  const fs::path a = write_file("a.txt", "1+2\n3");
  const std::string missing = (m_dir / "missing.txt").string();
  const std::string directory = m_dir.string();
  const struct {
    std::string path;
    std::string error;
  } rows[] = {{missing, "No such file or directory"}, {directory, "Is a directory"}};
  for (const auto& row : rows) {
    const Outcome r = run(shell_quoted(a) + " " + shell_quoted(row.path));
    EXPECT_EQ(r.status, 2) << row.path;
    EXPECT_EQ(r.out, "1+2=3\n3=3\n") << row.path;
    EXPECT_EQ(r.err, "tavrel-cli: " + row.path + ": " + row.error + "\n");
  }
}

TEST_F(CliTest, ReportsAClosedStandardInput) {
  const fs::path out = m_dir / "stdout";
  const Outcome r = run_redirected("<&- >" + shell_quoted(out), out);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "tavrel-cli: standard input: Bad file descriptor\n");
}

// Many result blocks of output, more than a pipe holds.
std::string many_lines() {
  std::string lines;
  for (int i = 0; i < 200'000; ++i) lines += "1+1\n";
  return lines;
}

TEST_F(CliTest, EndsWithStatusTwoWhenAWriteFails) {
  const fs::path small = write_file("small.txt", "1+1\n");
  const fs::path large = write_file("large.txt", many_lines());
  // The last block's write, a write in the middle of the run, and the closing of standard output
  // after --version, which the C library writes.
  for (const std::string& args :
       {shell_quoted(small), shell_quoted(large), std::string("--version")}) {
    const Outcome r = run_redirected(args + " </dev/null >/dev/full");
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.err, "tavrel-cli: write error: No space left on device\n") << args;
  }
}

TEST_F(CliTest, EndsQuietlyWhenTheReaderHasGone) {
  // SIGPIPE ignored, as some parents leave it: the write fails with EPIPE instead.
  const fs::path large = write_file("large.txt", many_lines());
  const fs::path status = m_dir / "status";
  const fs::path err = m_dir / "stderr";
  const std::string command = "(trap '' PIPE; " + shell_quoted(TAVREL_CLI_PATH) + " " +
                              shell_quoted(large) + " 2>" + shell_quoted(err) + "; echo $? >" +
                              shell_quoted(status) + ") | head -c 1 >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_NE(read_file(status), "0\n");
  EXPECT_NE(read_file(status), "");
  EXPECT_EQ(read_file(err), "");
}

TEST_F(CliTest, PrintsHelpAndVersion) {
  const Outcome help = run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: tavrel-cli", 0), 0u);
  const Outcome version = run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Tavrel 1.1\n");
}

TEST_F(CliTest, SurvivesAMegabyteOfRandomBytes) {
  std::mt19937 random(5);
  std::string bytes(1 << 20, '\0');
  for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? '\n' : random() % 256);
  for (const char* encoding : {"utf-8", "gbk"}) {
    const Outcome r = run(std::string("--decimals 3 --encoding ") + encoding, bytes);
    EXPECT_EQ(r.status, 0) << encoding;
    EXPECT_EQ(r.err, "") << encoding;
    // Every line of the output is "expression=value".
    std::istringstream lines(r.out);
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
      ASSERT_NE(line.find('='), std::string::npos) << encoding << " line " << count;
    }
    EXPECT_GT(count, 100000u) << encoding;
  }
}

TEST_F(CliTest, EmptyInputGivesNoOutput) {
  const Outcome r = run("", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
}

}  // namespace
