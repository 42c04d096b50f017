// An ImportHost for the importer tests: records what the conversion shows,
// counts cancel tests and pump calls, and can press Cancel at a chosen moment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "importer/import_host.h"

namespace kem::test {

class RecordingImportHost : public ImportHost {
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
      cancelled = true;
    }
  }

  bool IsCancelled() const override {
    ++cancelTests;
    return cancelled;
  }

  void DisableCancel() override {
    events.push_back({"disable", "", 0.0f, ""});
    cancelDisabled = true;
  }

  void ShowError(const std::string& caption, const std::string& text) override {
    events.push_back({"error", text, 0.0f, caption});
  }

  bool PumpMessages() override {
    ++pumps;
    if (cancelAtPump && *cancelAtPump == pumps) {
      cancelled = true;
    }
    return true;
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
  bool cancelled = false;
  bool cancelDisabled = false;
  mutable std::int64_t cancelTests = 0;
  std::int64_t pumps = 0;
  std::optional<std::string> cancelOnProgress;  // press Cancel when this text is shown
  std::optional<std::int64_t> cancelAtPump;     // press Cancel inside this pump call (from 1)
};

}  // namespace kem::test
