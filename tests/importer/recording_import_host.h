// An ImportHost for the importer tests: records what the conversion shows,
// counts cancel tests and pump calls, and can press Cancel at a chosen moment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "importer/import_host.h"
#include "support/recording_run.h"

namespace kem::test {

class RecordingImportHost : public RecordingRun<ImportHost> {
 public:
  struct Event {
    std::string kind;  // "repaint", "progress", "disable", "error"
    std::string text;
    float percent = 0.0f;
    std::string caption;
  };

  void Repaint() override { events.push_back({"repaint", "", 0.0f, ""}); }

  void SetProgress(const std::string& text, float percent) override {
    events.push_back({"progress", text, percent, ""});
    if (cancelOnProgress && *cancelOnProgress == text) {
      RequestCancel();
    }
  }

  void DisableCancel() override {
    events.push_back({"disable", "", 0.0f, ""});
    cancelDisabled = true;
  }

  void ShowError(const std::string& caption, const std::string& text) override {
    events.push_back({"error", text, 0.0f, caption});
  }

  // The texts of the error boxes, in order.
  std::vector<std::string> Errors() const {
    std::vector<std::string> texts;
    for (const Event& event : events) {
      if (event.kind == "error") {
        texts.push_back(event.text);
      }
    }
    return texts;
  }

  // The progress events with `text`, in order.
  std::vector<Event> Progress(const std::string& text) const {
    std::vector<Event> found;
    for (const Event& event : events) {
      if (event.kind == "progress" && event.text == text) {
        found.push_back(event);
      }
    }
    return found;
  }

  std::size_t ProgressCount() const {
    std::size_t count = 0;
    for (const Event& event : events) {
      count += event.kind == "progress" ? 1 : 0;
    }
    return count;
  }

  std::vector<Event> events;
  bool cancelDisabled = false;
  std::optional<std::string> cancelOnProgress;  // press Cancel when this text is shown
};

}  // namespace kem::test
