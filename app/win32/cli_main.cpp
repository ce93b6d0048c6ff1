// SPDX-License-Identifier: MIT
// tavrel-cli.exe: the calculator as a filter on Windows. The same filter and options as on Linux;
// result lines end with CR LF. The command line is read as UTF-16, files are opened by their wide
// names, and standard input and output are read and written as bytes, without the C library.
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli_options.h"
#include "app/filter.h"
#include "app/win32/code_page.h"

namespace tavrel::app::win32 {
namespace {

constexpr std::size_t kChunk = 1 << 16;
constexpr DWORD kNoError = ERROR_SUCCESS;
// ERROR_DIRECTORY_NOT_SUPPORTED, which mingw-w64's headers lack: a directory named as a file.
constexpr DWORD kIsDirectory = 336;

std::string utf8_of(std::wstring_view s) {
  if (s.empty()) return {};
  const int size = static_cast<int>(s.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring wide_of(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// Writes one line of text to standard error: as UTF-16 to a console, as UTF-8 bytes elsewhere.
void report(std::string_view line) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
  const std::string text = std::string(line) + "\r\n";
  DWORD done = 0;
  if (is_console(err)) {
    const std::wstring wide = wide_of(text);
    WriteConsoleW(err, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
  } else {
    WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
  }
}

// Returns the words for a system error: those of the Linux program for the errors both know, so
// that a message reads the same on either system, and the system's own for the rest.
std::string error_text(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
      return "Permission denied";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_INVALID_HANDLE:
      return "Bad file descriptor";
    case kIsDirectory:
      return "Is a directory";
    default:
      break;
  }
  wchar_t* message = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = n > 0 ? std::wstring(message, n) : std::wstring();
  if (message != nullptr) LocalFree(message);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                           text.back() == L'.')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(error) : utf8_of(text);
}

// Ends the run after a failed write to standard output: quietly for a reader that has gone (a
// closed pipe: ERROR_NO_DATA on Windows, ERROR_PIPE_NOT_CONNECTED under Wine), with one line on
// standard error for every other failure.
[[noreturn]] void fail_to_write(DWORD error) {
  const bool reader_gone =
      error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA || error == ERROR_PIPE_NOT_CONNECTED;
  if (!reader_gone) {
    report("tavrel-cli: write error: " + error_text(error));
  }
  ExitProcess(2);
}

// Writes all the bytes to standard output, or ends the run.
void write_out(std::string_view bytes) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) fail_to_write(ERROR_INVALID_HANDLE);
  while (!bytes.empty()) {
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kChunk));
    DWORD done = 0;
    if (!WriteFile(out, bytes.data(), size, &done, nullptr)) fail_to_write(GetLastError());
    if (done == 0) fail_to_write(ERROR_WRITE_FAULT);
    bytes.remove_prefix(done);
  }
}

// Collects output with LF turned into CR LF and writes it to standard output in large blocks.
class CrLfWriter {
 public:
  CrLfWriter() { m_buffer.reserve(2 * kChunk + 2); }

  void add(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t lf = text.find('\n', at);
      const std::size_t end = lf == std::string_view::npos ? text.size() : lf;
      m_buffer.append(text, at, end - at);
      if (lf != std::string_view::npos) m_buffer.append("\r\n");
      at = end + 1;
      if (m_buffer.size() >= 2 * kChunk) flush();
    }
  }

  void flush() {
    write_out(m_buffer);
    m_buffer.clear();
  }

 private:
  std::string m_buffer;
};

// Reads a console as UTF-16 and hands it over as UTF-16LE bytes after their byte-order mark, so
// that any character typed reaches the filter, whatever the console's code page. Ctrl+Z (then
// Enter) ends the input; what was typed before it on its line counts.
DWORD read_console(HANDLE in, Filter& filter) {
  filter.feed("\xFF\xFE");
  std::vector<wchar_t> buffer(4096);
  for (;;) {
    DWORD n = 0;
    if (!ReadConsoleW(in, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      return GetLastError();
    }
    std::wstring_view got(buffer.data(), n);
    const std::size_t stop = got.find(L'\x1A');
    got = got.substr(0, stop);
    filter.feed(std::string_view(reinterpret_cast<const char*>(got.data()), got.size() * 2));
    if (n == 0 || stop != std::wstring_view::npos) return kNoError;
  }
}

// Reads a file, a pipe or a redirected standard input to its end; returns the error of a failed
// read, or kNoError.
DWORD read_bytes(HANDLE in, Filter& filter) {
  std::vector<char> buffer(kChunk);
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr)) {
      const DWORD error = GetLastError();
      return error == ERROR_BROKEN_PIPE ? kNoError : error;  // the writer has closed the pipe
    }
    if (n == 0) return kNoError;
    filter.feed(std::string_view(buffer.data(), n));
  }
}

// Reads one input to its end; returns the error of a failed open or read, or kNoError.
DWORD read_input(const std::string& path, Filter& filter) {
  DWORD error = kNoError;
  if (path == "-") {
    const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE) {
      error = ERROR_INVALID_HANDLE;
    } else {
      error = is_console(in) ? read_console(in, filter) : read_bytes(in, filter);
    }
  } else {
    const std::wstring name = wide_of(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    // Windows opens no directory for reading and would say "access denied".
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return kIsDirectory;
    }
    const HANDLE in = CreateFileW(name.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE) return GetLastError();
    error = read_bytes(in, filter);
    CloseHandle(in);
  }
  filter.end_of_input();
  return error;
}

// Returns the command line as UTF-8, for the options' parser.
std::vector<std::string> utf8_arguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) args.push_back(utf8_of(argv[i]));
  return args;
}

int run(int argc, wchar_t** argv) {
  const std::vector<std::string> args = utf8_arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  const ParseResult parsed = parse_options(argc, pointers.data());
  if (!parsed.error.empty()) {
    report("tavrel-cli: " + parsed.error);
    return 2;
  }
  const Options& options = parsed.options;
  CrLfWriter out;
  if (options.help || options.version) {
    out.add(options.help ? usage_text() : "Tavrel " TAVREL_VERSION "\n");
    out.flush();
    return 0;
  }
  Cp936 code_page;
  Filter filter(options.encoding, options.decimals, code_page,
                [&out](std::string_view lines) { out.add(lines); });
  for (const std::string& path : options.inputs) {
    if (const DWORD error = read_input(path, filter)) {
      // What was read before the failure is computed and written; the status tells of the loss.
      filter.finish();
      out.flush();
      report("tavrel-cli: " + (path == "-" ? std::string("standard input") : path) + ": " +
             error_text(error));
      return 2;
    }
  }
  filter.finish();
  out.flush();
  return 0;
}

}  // namespace
}  // namespace tavrel::app::win32

int wmain(int argc, wchar_t** argv) {
  return tavrel::app::win32::run(argc, argv);
}
