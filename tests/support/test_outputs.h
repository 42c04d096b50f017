// Outputs for tests of layout files and height maps: one that keeps the bytes
// in memory, and one that fails after a given number of bytes, the way a full
// disk does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/output_file.h"
#include "core/replacing_file.h"

namespace kem::test {

class MemoryOutput : public OutputFile {
 public:
  void Write(const std::uint8_t* data, std::size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
  }
  bool Failed() const override { return false; }
  bool Commit() override { return true; }

  std::vector<std::uint8_t> bytes;
};

// Passes writes to a real output until `limit` bytes have gone through, then
// fails every write; or fails only when committed.
class FailingOutput : public OutputFile {
 public:
  FailingOutput(std::unique_ptr<OutputFile> inner, std::size_t limit, bool failCommit)
      : inner_(std::move(inner)), limit_(limit), failCommit_(failCommit) {}

  void Write(const std::uint8_t* data, std::size_t size) override {
    if (failed_ || written_ + size > limit_) {
      failed_ = true;
      return;
    }
    written_ += size;
    inner_->Write(data, size);
  }
  bool Failed() const override { return failed_ || inner_->Failed(); }
  bool Commit() override { return !failCommit_ && !Failed() && inner_->Commit(); }

 private:
  std::unique_ptr<OutputFile> inner_;
  std::size_t limit_;
  bool failCommit_;
  std::size_t written_ = 0;
  bool failed_ = false;
};

// A factory that wraps the real output in a FailingOutput.
inline OutputFileFactory FailingAfter(std::size_t limit, bool failCommit = false) {
  return [limit, failCommit](const std::string& path) -> std::unique_ptr<OutputFile> {
    std::unique_ptr<OutputFile> inner = ReplacingFile::Create(path);
    if (!inner) {
      return nullptr;
    }
    return std::make_unique<FailingOutput>(std::move(inner), limit, failCommit);
  };
}

}  // namespace kem::test
