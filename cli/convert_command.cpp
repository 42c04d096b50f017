// `kem-cli convert FILE.xyz`: the DEM conversion with a terminal standing in
// for the importer dialog. Ctrl+C plays the part of the Cancel button.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/commands.h"
#include "importer/convert_dem.h"
#include "importer/import_host.h"

namespace kem::cli {
namespace {

std::atomic<bool> gCancelRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the Ctrl+C flag is set in a signal handler");

extern "C" void OnConvertInterrupt(int) {
  gCancelRequested.store(true);
}

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) == 1;
#endif
}

void WriteToStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

// Ctrl+C sets the cancel flag while the object lives; the previous handler
// comes back afterwards.
class CancelOnInterrupt {
 public:
  CancelOnInterrupt() {
    gCancelRequested.store(false);
    previous_ = std::signal(SIGINT, OnConvertInterrupt);
  }
  ~CancelOnInterrupt() {
    if (previous_ != SIG_ERR) {
      std::signal(SIGINT, previous_);
    }
  }
  CancelOnInterrupt(const CancelOnInterrupt&) = delete;
  CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;

 private:
  void (*previous_)(int) = SIG_ERR;
};

// Progress as one line "<text> NN%" redrawn in place when standard error is
// a terminal; messages as their text and a newline on standard error.
class TerminalImportHost : public ImportHost {
 public:
  TerminalImportHost() : terminal_(StderrIsTerminal()) {}
  ~TerminalImportHost() override { ClearLine(); }

  void Repaint() override {}

  void SetProgress(const std::string& text, float percent) override {
    if (!terminal_) {
      return;
    }
    std::string line = text + " " + std::to_string(static_cast<int>(percent)) + "%";
    if (line != shown_) {
      WriteToStderr("\r" + line + "\033[K");
      shown_ = std::move(line);
    }
  }

  bool IsCancelled() const override { return gCancelRequested.load(); }

  // Writing is not cancellable; a Ctrl+C from here on is ignored.
  void DisableCancel() override {}

  void ShowError(const std::string&, const std::string& text) override {
    ClearLine();
    WriteToStderr(text + "\n");
  }

  bool PumpMessages() override { return true; }

 private:
  void ClearLine() {
    if (!shown_.empty()) {
      WriteToStderr("\r\033[K");
      shown_.clear();
    }
  }

  bool terminal_;
  std::string shown_;
};

}  // namespace

int RunConvert(const std::string& path) {
  CancelOnInterrupt interrupts;
  TerminalImportHost host;
  switch (convertdem(path, host)) {
    case ConvertResult::kWritten:
      return kExitOk;
    case ConvertResult::kCancelled:
      return kExitCancelled;
    case ConvertResult::kFailed:
      break;
  }
  return kExitFailed;
}

}  // namespace kem::cli
