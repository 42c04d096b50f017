#include "core/layout_output.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

namespace kem {

namespace {

constexpr std::size_t kWriteBufferSize = std::size_t{1} << 20;
constexpr int kNameAttempts = 100;
constexpr const char* kTempSuffix = ".tmp-";
constexpr const char kNameChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";

class FileLayoutOutput : public LayoutOutput {
 public:
  FileLayoutOutput(std::FILE* file, const std::string& tempPath, const std::string& outputPath)
      : file_(file), tempPath_(tempPath), outputPath_(outputPath) {
    // Board blocks arrive 123318 bytes at a time; a large stream buffer keeps
    // the number of system calls low. Without it the stream's own buffer
    // still works, only slower.
    try {
      buffer_.resize(kWriteBufferSize);
      if (std::setvbuf(file_, reinterpret_cast<char*>(buffer_.data()), _IOFBF, buffer_.size()) !=
          0) {
        buffer_.clear();
      }
    } catch (const std::bad_alloc&) {
      buffer_.clear();
    }
  }

  ~FileLayoutOutput() override { Discard(); }

  void Write(const std::uint8_t* data, std::size_t size) override {
    if (failed_ || file_ == nullptr) {
      failed_ = true;
      return;
    }
    if (std::fwrite(data, 1, size, file_) != size) {
      failed_ = true;
    }
  }

  bool Failed() const override { return failed_; }

  bool Commit() override {
    if (file_ == nullptr || committed_) {
      return false;
    }
    bool ok = !failed_ && std::fflush(file_) == 0 && std::ferror(file_) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok) {
      std::error_code error;
      std::filesystem::rename(tempPath_, outputPath_, error);
      ok = !error;
    }
    if (!ok) {
      failed_ = true;
      std::remove(tempPath_.c_str());
      return false;
    }
    committed_ = true;
    return true;
  }

 private:
  void Discard() {
    if (file_ != nullptr) {
      std::fclose(file_);
      file_ = nullptr;
    }
    if (!committed_) {
      std::remove(tempPath_.c_str());
    }
  }

  std::FILE* file_;
  std::string tempPath_;
  std::string outputPath_;
  std::vector<std::uint8_t> buffer_;  // the stream's buffer; outlives every use by file_
  bool failed_ = false;
  bool committed_ = false;
};

std::string RandomName(std::mt19937& generator) {
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kNameChars) - 2);
  std::string name(6, 'x');
  for (auto& c : name) {
    c = kNameChars[pick(generator)];
  }
  return name;
}

}  // namespace

std::unique_ptr<LayoutOutput> CreateLayoutOutput(const std::string& outputPath) {
  if (outputPath.empty()) {
    return nullptr;
  }
  std::error_code error;
  if (std::filesystem::is_directory(outputPath, error)) {
    return nullptr;
  }
  std::random_device seed;
  std::mt19937 generator(seed());
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string tempPath = outputPath + kTempSuffix + RandomName(generator);
    // "x": fail rather than reuse a file that is already there.
    errno = 0;
    std::FILE* file = std::fopen(tempPath.c_str(), "wbx");
    if (file != nullptr) {
      try {
        return std::make_unique<FileLayoutOutput>(file, tempPath, outputPath);
      } catch (const std::bad_alloc&) {
        std::fclose(file);
        std::remove(tempPath.c_str());
        return nullptr;
      }
    }
    if (errno != EEXIST) {
      return nullptr;
    }
  }
  return nullptr;
}

}  // namespace kem
