#include "support/test_support.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kem::test {

namespace {

class RecordingBar : public ProgressBar {
 public:
  explicit RecordingBar(RecordingHost& host) : host_(host) {}
  ~RecordingBar() override { host_.events.push_back({"progress-end", "", "", ""}); }
  int StepIt() override {
    ++host_.steps;
    return position_++;
  }

 private:
  RecordingHost& host_;
  int position_ = 0;
};

}  // namespace

void RecordingHost::ShowMessage(const std::string& text) {
  events.push_back({"message", "", text, ""});
}

void RecordingHost::ShowDetailedMessage(const std::string& text, const std::string& detail) {
  events.push_back({"message", "", text, detail});
}

void RecordingHost::ShowInformation(const std::string& caption, const std::string& text) {
  events.push_back({"information", caption, text, ""});
}

std::unique_ptr<ProgressBar> RecordingHost::CreateProgressBar(const std::string& message, int,
                                                              int maximum, bool, int) {
  events.push_back({"progress", std::to_string(maximum), message, ""});
  return std::make_unique<RecordingBar>(*this);
}

std::vector<std::string> RecordingHost::Messages() const {
  std::vector<std::string> texts;
  for (const auto& event : events) {
    if (event.kind == "message" || event.kind == "information") {
      texts.push_back(event.text);
    }
  }
  return texts;
}

std::vector<std::string> RecordingHost::Details() const {
  std::vector<std::string> details;
  for (const auto& event : events) {
    if (event.kind == "message") {
      details.push_back(event.detail);
    }
  }
  return details;
}

TempDir::TempDir() {
  std::random_device seed;
  auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("kem-test-" + std::to_string(seed()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!previous_.empty()) {
    std::filesystem::current_path(previous_, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Chdir() {
  if (previous_.empty()) {
    previous_ = std::filesystem::current_path();
  }
  std::filesystem::current_path(path_);
}

std::filesystem::path Utf8Path(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(Utf8Path(path), std::ios::binary | std::ios::trunc);
  out << text;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(Utf8Path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> TargaImage::Encode() const {
  std::vector<std::uint8_t> bytes(18, 0);
  bytes[0] = static_cast<std::uint8_t>(idField.size());
  bytes[2] = imageType;
  bytes[12] = static_cast<std::uint8_t>(width & 0xFF);
  bytes[13] = static_cast<std::uint8_t>(width >> 8);
  bytes[14] = static_cast<std::uint8_t>(height & 0xFF);
  bytes[15] = static_cast<std::uint8_t>(height >> 8);
  bytes[16] = static_cast<std::uint8_t>(pixelDepth);
  bytes[17] = static_cast<std::uint8_t>((topDown ? 0x20 : 0) | extraDescriptorBits);
  bytes.insert(bytes.end(), idField.begin(), idField.end());
  const int bpp = pixelDepth == 32 ? 4 : 3;
  bytes.reserve(bytes.size() + static_cast<std::size_t>(width) * height * bpp);
  for (int f = 0; f < height; ++f) {
    const int y = topDown ? f : height - 1 - f;
    for (int x = 0; x < width; ++x) {
      const auto rgb = pixel ? pixel(x, y) : std::array<std::uint8_t, 3>{0, 0, 0};
      bytes.push_back(rgb[2]);
      bytes.push_back(rgb[1]);
      bytes.push_back(rgb[0]);
      if (bpp == 4) {
        bytes.push_back(0xFF);
      }
    }
  }
  return bytes;
}

void TargaImage::Save(const std::string& path) const {
  WriteFile(path, Encode());
}

std::vector<std::uint8_t> SampleTemplate() {
  std::vector<std::uint8_t> bytes(780);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(i % 251);
  }
  return bytes;
}

}  // namespace kem::test
