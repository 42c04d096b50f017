#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string_view>
#include <system_error>

namespace kem::fuzz {

namespace {

class NoProgress : public ProgressBar {
 public:
  int StepIt() override { return position_++; }

 private:
  int position_ = 0;
};

std::filesystem::path& ScratchPath() {
  static std::filesystem::path path;
  return path;
}

void RemoveScratch() {
  std::error_code error;
  std::filesystem::current_path(std::filesystem::temp_directory_path(error), error);
  std::filesystem::remove_all(ScratchPath(), error);
}

std::filesystem::path MakeScratch() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  // A memory-backed folder where there is one: every run rewrites its input
  // files, and a disk-backed folder makes that the bulk of a run's time.
  std::error_code shmError;
  const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", shmError)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path candidate =
        base / ("kem-fuzz-" + std::to_string(random() % 1000000000u));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      return candidate;
    }
  }
  Require(false, "no scratch folder could be made");
  return {};
}

}  // namespace

const std::string& ScratchFolder() {
  static const std::string folder = [] {
    ScratchPath() = MakeScratch();
    std::atexit(RemoveScratch);
    return ScratchPath().string();
  }();
  return folder;
}

void EnterScratchFolder() {
  std::filesystem::current_path(ScratchFolder());
}

std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = (std::filesystem::path(ScratchFolder()) / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  Require(static_cast<bool>(out), "a scratch file could not be written");
  return path;
}

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

void QuietHost::ShowMessage(const std::string&) {
  ++messages;
}

void QuietHost::ShowInformation(const std::string&, const std::string&) {
  ++messages;
}

std::unique_ptr<ProgressBar> QuietHost::CreateProgressBar(const std::string&, int, int, bool, int) {
  return std::make_unique<NoProgress>();
}

void QuietImportHost::SetProgress(const std::string&, float percent) {
  Require(percent == percent, "a progress figure is not a number");
}

void QuietImportHost::ShowError(const std::string&, const std::string&) {
  ++errors;
}

void MemoryOutput::Write(const std::uint8_t* data, std::size_t size) {
  bytes_.insert(bytes_.end(), data, data + size);
}

OutputFileFactory MemoryOutputs(std::vector<std::uint8_t>& bytes) {
  auto sidecars = std::make_shared<std::vector<std::uint8_t>>();
  return [&bytes, sidecars](const std::string& path) {
    // A height map's sidecar goes apart: the bytes are the map's.
    constexpr std::string_view kSidecar = ".aux.xml";
    const bool sidecar =
        path.size() >= kSidecar.size() &&
        path.compare(path.size() - kSidecar.size(), kSidecar.size(), kSidecar) == 0;
    return std::make_unique<MemoryOutput>(sidecar ? *sidecars : bytes);
  };
}

}  // namespace kem::fuzz
