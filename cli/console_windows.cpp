// The terminal and requests to end on Windows: the console's own calls.
// windows.h first: the other system headers build on it.
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "cli/terminal.h"
#include "core/blocking_call.h"

namespace kem::cli {

namespace {

// How long closing the console window waits for the run to discard its
// unfinished file; Windows ends the process after about five seconds anyway.
constexpr DWORD kCloseGraceMilliseconds = 4000;

// The POSIX signal numbers whose exit statuses the requests give, so that a
// script sees the same status on both systems.
constexpr int kInterruptSignal = 2;  // SIGINT: Ctrl+C and Ctrl+Break
constexpr int kHangUpSignal = 1;     // SIGHUP: the console window closed

bool gEndOnSecond = false;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      if (gEndOnSecond && Interrupted()) {
        return FALSE;  // the default handling ends the process
      }
      RecordInterrupt(kInterruptSignal);
      // A run waiting on a pipe would not see the flag until the pipe moves.
      if (kem::InBlockingCall()) {
        _exit(InterruptedExitStatus());
      }
      return TRUE;
    case CTRL_CLOSE_EVENT:
      // The process ends when this returns: give the run time to cancel.
      RecordInterrupt(kHangUpSignal);
      Sleep(kCloseGraceMilliseconds);
      return TRUE;
    default:
      return FALSE;
  }
}

std::string Utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) {
    return {};
  }
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();  // the terminating null
  return utf8;
}

// The runtime's isatty answers with any non-zero value for a console.
bool IsTerminal(std::FILE* stream) {
  return _isatty(_fileno(stream)) != 0;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    return std::vector<std::string>(argv, argv + argc);
  }
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    arguments.push_back(Utf8(wide[i]));
  }
  LocalFree(wide);
  return arguments;
}

bool StderrIsTerminal() {
  return IsTerminal(stderr);
}

bool StdinIsTerminal() {
  return IsTerminal(stdin);
}

bool EnableTerminalEscapes() {
  const HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) {
    return false;
  }
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

InterruptCatcher::InterruptCatcher(SecondInterrupt second) {
  ClearInterrupt();
  gEndOnSecond = second == SecondInterrupt::kEndsProcess;
  installed_ = SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
}

InterruptCatcher::~InterruptCatcher() {
  if (installed_) {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  }
}

}  // namespace kem::cli
