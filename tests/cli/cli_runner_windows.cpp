#include "cli/cli_runner.h"

// windows.h first: the other system headers build on it.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/test_support.h"

namespace kem::test {

namespace {

// Longest a run may take, even on a busy machine.
constexpr DWORD kRunTimeoutMilliseconds = 120000;

// What kem-cli wrote, with Windows' text line ends ("\r\n", from its text-mode
// standard streams) read as "\n", so that the suites expect the same text on
// both systems.
std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\r' || i + 1 == raw.size() || raw[i + 1] != '\n') {
      text += raw[i];
    }
  }
  return text;
}

std::wstring Wide(const std::string& text) {
  return Utf8Path(text).wstring();
}

// One argument as the runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

HANDLE Inheritable(const std::wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, TRUE};
  const HANDLE file = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &attributes, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot open a file for kem-cli's standard streams");
  }
  return file;
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args,
                 const std::function<void(int pid)>& whileRunning) {
  const char* program = std::getenv("KEM_CLI");
  if (program == nullptr || *program == '\0') {
    throw std::runtime_error("KEM_CLI is not set");
  }
  TempDir capture;
  const std::string outPath = capture.File("out");
  const std::string errPath = capture.File("err");

  std::wstring commandLine = Quoted(Wide(program));
  for (const std::string& arg : args) {
    commandLine += L" " + Quoted(Wide(arg));
  }
  const HANDLE input = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE output = Inheritable(Wide(outPath), GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE error = Inheritable(Wide(errPath), GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process = {};
  // A process group of its own, so that Ctrl+Break reaches kem-cli alone.
  const BOOL started =
      CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                     nullptr, nullptr, &startup, &process);
  CloseHandle(input);
  CloseHandle(output);
  CloseHandle(error);
  if (!started) {
    throw std::runtime_error(std::string("cannot start ") + program);
  }
  if (whileRunning) {
    whileRunning(static_cast<int>(process.dwProcessId));
  }
  CliResult result;
  if (WaitForSingleObject(process.hProcess, kRunTimeoutMilliseconds) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
  } else {
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    result.exitCode = static_cast<int>(code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

CliResult RunCliOnTerminal(const std::vector<std::string>&, const std::string&,
                           const std::string&) {
  throw std::runtime_error("no pseudo-terminal on Windows");
}

bool SendStop(int pid, const StopSignal& stop) {
  return StopUnavailable(stop) == nullptr &&
         GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(pid)) != 0;
}

const char* StopUnavailable(const StopSignal& stop) {
  if (stop.number != kStopSignals[0].number) {
    return "Windows sends console programs Ctrl+C and Ctrl+Break, no SIGTERM or SIGHUP";
  }
  // Ctrl+Break reaches only the programs of one console: kem-cli shares this
  // process's, if it has one.
  DWORD mode = 0;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) &&
      !GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode)) {
    return "this test runs without a console, and Ctrl+Break travels only within one";
  }
  return nullptr;
}

}  // namespace kem::test
