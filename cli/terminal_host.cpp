#include "cli/terminal_host.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "cli/commands.h"

namespace kem::cli {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) {
  gInterrupted = 1;
}

void WriteToStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

class TerminalProgressBar : public ProgressBar {
 public:
  TerminalProgressBar(TerminalHost& host, std::string message, int maximum)
      : host_(host), message_(std::move(message)), maximum_(maximum) {
    Draw();
  }

  ~TerminalProgressBar() override { host_.DrawProgressLine(""); }

  int StepIt() override {
    const int previous = position_;
    position_ = position_ >= maximum_ ? 0 : position_ + 1;
    Draw();
    return previous;
  }

 private:
  void Draw() {
    const int percent =
        maximum_ > 0 ? static_cast<int>(static_cast<long long>(position_) * 100 / maximum_) : 100;
    if (percent != shownPercent_) {
      shownPercent_ = percent;
      host_.DrawProgressLine(message_ + " " + std::to_string(percent) + "%");
    }
  }

  TerminalHost& host_;
  std::string message_;
  int maximum_;
  int position_ = 0;
  int shownPercent_ = -1;
};

class SilentProgressBar : public ProgressBar {
 public:
  explicit SilentProgressBar(int maximum) : maximum_(maximum) {}
  int StepIt() override {
    const int previous = position_;
    position_ = position_ >= maximum_ ? 0 : position_ + 1;
    return previous;
  }

 private:
  int maximum_;
  int position_ = 0;
};

}  // namespace

TerminalHost::TerminalHost() : terminal_(isatty(STDERR_FILENO) == 1) {}

void TerminalHost::ShowMessage(const std::string& text) {
  ClearProgressLine();
  WriteToStderr(text + "\n");
}

void TerminalHost::ShowInformation(const std::string&, const std::string& text) {
  ClearProgressLine();
  WriteToStderr(text + "\n");
}

std::unique_ptr<ProgressBar> TerminalHost::CreateProgressBar(const std::string& message, int,
                                                             int maximum, bool, int) {
  if (!terminal_) {
    return std::make_unique<SilentProgressBar>(maximum);
  }
  return std::make_unique<TerminalProgressBar>(*this, message, maximum);
}

bool TerminalHost::PumpMessages() {
  if (gInterrupted != 0) {
    ClearProgressLine();
    if (interruptAction_) {
      interruptAction_();
    }
    std::_Exit(kExitCancelled);
  }
  return true;
}

void TerminalHost::DrawProgressLine(const std::string& line) {
  if (line.empty()) {
    ClearProgressLine();
    return;
  }
  WriteToStderr("\r" + line + "\033[K");
  lineDrawn_ = true;
}

void TerminalHost::ClearProgressLine() {
  if (lineDrawn_) {
    WriteToStderr("\r\033[K");
    lineDrawn_ = false;
  }
}

void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // a second Ctrl+C ends the process at once
  sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
  return gInterrupted != 0;
}

}  // namespace kem::cli
