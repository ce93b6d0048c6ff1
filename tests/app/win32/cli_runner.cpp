// SPDX-License-Identifier: MIT
// tavrel_cli_runner PROGRAM PLAN: runs PROGRAM once for every line of PLAN, all in one Wine
// session. A line is NAME, STDIN and the arguments, separated by tabs, in UTF-8; STDIN is a file
// to read standard input from, or "|FILE" to send FILE through a pipe. Each run writes NAME.out,
// NAME.err and NAME.status (the exit code, or "timeout") beside PLAN.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kTimeoutMs = 120000;

std::wstring wide_of(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n);
  return out;
}

// Appends one argument to a command line, quoted as the C library's parser reads it back.
void append_argument(std::wstring& line, const std::wstring& arg) {
  if (!line.empty()) line.push_back(L' ');
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line.push_back(L'"');
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote itself escaped.
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line.push_back(c);
  }
  line.append(2 * backslashes, L'\\');
  line.push_back(L'"');
}

HANDLE open_inheritable(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(wide_of(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Writes the file into the pipe and closes it, on a thread of its own.
std::thread feed_pipe(const std::string& path, HANDLE pipe) {
  return std::thread([path, pipe] {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 16);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount()) {
      DWORD done = 0;
      if (!WriteFile(pipe, buffer.data(), static_cast<DWORD>(in.gcount()), &done, nullptr)) break;
    }
    CloseHandle(pipe);
  });
}

// Runs one line of the plan; returns false when the run could not start.
bool run(const std::wstring& program, const std::vector<std::string>& fields,
         const std::string& dir) {
  const std::string& name = fields[0];
  std::string input = fields[1];
  const bool through_pipe = !input.empty() && input[0] == '|';
  if (through_pipe) input.erase(0, 1);

  std::wstring line;
  append_argument(line, program);
  for (std::size_t i = 2; i < fields.size(); ++i) append_argument(line, wide_of(fields[i]));

  HANDLE in = INVALID_HANDLE_VALUE, pipe_writer = nullptr;
  if (through_pipe) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&in, &pipe_writer, &inherit, 0)) return false;
    SetHandleInformation(pipe_writer, HANDLE_FLAG_INHERIT, 0);
  } else {
    in = open_inheritable(input, false);
  }
  const HANDLE out = open_inheritable(dir + "/" + name + ".out", true);
  const HANDLE err = open_inheritable(dir + "/" + name + ".err", true);
  if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
    return false;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const bool started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(in);
  CloseHandle(out);
  CloseHandle(err);
  if (!started) {
    if (pipe_writer) CloseHandle(pipe_writer);
    return false;
  }
  std::thread feeder;
  if (through_pipe) feeder = feed_pipe(input, pipe_writer);
  std::string status;
  if (WaitForSingleObject(process.hProcess, kTimeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    status = std::to_string(code);
  } else {
    TerminateProcess(process.hProcess, 1);
    status = "timeout";
  }
  if (feeder.joinable()) feeder.join();
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ofstream(dir + "/" + name + ".status", std::ios::binary) << status << '\n';
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: tavrel_cli_runner PROGRAM PLAN\n", stderr);
    return 2;
  }
  const std::wstring program = wide_of(argv[1]);
  const std::string plan = argv[2];
  const std::string dir = plan.substr(0, plan.find_last_of('/'));
  std::ifstream lines(plan);
  for (std::string text; std::getline(lines, text);) {
    std::vector<std::string> fields;
    std::istringstream split(text);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() < 2 || !run(program, fields, dir)) {
      std::fprintf(stderr, "tavrel_cli_runner: cannot run \"%s\" (error %lu)\n", text.c_str(),
                   GetLastError());
      return 1;
    }
  }
  return 0;
}
