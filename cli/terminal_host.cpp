#include "cli/terminal_host.h"

namespace kem::cli {

namespace {

// Draws "<message> NN%" on the host's progress line whenever the whole per
// cent changes.
class TerminalProgressBar : public ProgressBar {
 public:
  TerminalProgressBar(ProgressLine& line, std::string message, int maximum)
      : line_(line), message_(std::move(message)), maximum_(maximum) {
    Draw();
  }

  ~TerminalProgressBar() override { line_.Clear(); }

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
      line_.Draw(message_ + " " + std::to_string(percent) + "%");
    }
  }

  ProgressLine& line_;
  std::string message_;
  int maximum_;
  int position_ = 0;
  int shownPercent_ = -1;
};

}  // namespace

std::unique_ptr<ProgressBar> TerminalHost::CreateProgressBar(const std::string& message, int,
                                                             int maximum, bool, int) {
  return std::make_unique<TerminalProgressBar>(progress_, message, maximum);
}

void TerminalImportHost::SetProgress(const std::string& text, float percent) {
  progress_.Draw(text + " " + std::to_string(static_cast<int>(percent)) + "%");
}

}  // namespace kem::cli
