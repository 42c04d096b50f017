// Shared helpers for the tests: a host that records what it is shown, a
// temporary folder, and builders for small Targa images.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/host.h"
#include "support/recording_run.h"

// Skips the running test on Windows, saying why, for checks that mean
// nothing there (permission bits, signals, pseudo-terminals). Used inside a
// test body only.
#ifdef _WIN32
#define KEM_SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define KEM_SKIP_ON_WINDOWS(reason) static_cast<void>(0)
#endif

namespace kem::test {

// Records every message, information box and progress step in order.
class RecordingHost : public RecordingRun<Host> {
 public:
  struct Event {
    std::string kind;  // "message", "information", "progress", "step", "pump"
    std::string caption;
    std::string text;
    std::string detail;  // a message's detail line, "" without one
  };

  void ShowMessage(const std::string& text) override;
  void ShowDetailedMessage(const std::string& text, const std::string& detail) override;
  void ShowInformation(const std::string& caption, const std::string& text) override;
  std::unique_ptr<ProgressBar> CreateProgressBar(const std::string& message, int size, int maximum,
                                                 bool smooth, int pane) override;

  // Texts of the message boxes and information boxes, in order (first lines
  // only: details are kept apart).
  std::vector<std::string> Messages() const;

  // The detail line of each message box, in order, "" for one without.
  std::vector<std::string> Details() const;

  std::vector<Event> events;
  int steps = 0;
};

// A fresh folder under the system temporary folder, removed with its content
// when the object goes. `Chdir` makes it the current folder until then.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  void Chdir();

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// A UTF-8 path as std::filesystem takes it on every system (Windows would
// read a plain string in the local code page).
std::filesystem::path Utf8Path(const std::string& path);

// Whole-file helpers; paths are UTF-8.
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<std::uint8_t> ReadFile(const std::string& path);
// The names of the files in `folder`, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// An uncompressed true-colour Targa image built in memory. `pixel(x, y)`
// gives red, green, blue of picture pixel (x from the left, y from the top).
struct TargaImage {
  int width = 0;
  int height = 0;
  int pixelDepth = 24;
  bool topDown = false;
  std::uint8_t imageType = 2;
  std::uint8_t extraDescriptorBits = 0;
  std::vector<std::uint8_t> idField;
  std::function<std::array<std::uint8_t, 3>(int x, int y)> pixel;

  std::vector<std::uint8_t> Encode() const;
  void Save(const std::string& path) const;
};

// A 780-byte template whose byte i is i mod 251, easy to recognise in output.
std::vector<std::uint8_t> SampleTemplate();

}  // namespace kem::test
