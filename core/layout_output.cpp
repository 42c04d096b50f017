#include "core/layout_output.h"

#include "core/replacing_file.h"

namespace kem {

namespace {

// Board blocks arrive 123318 bytes at a time; a large stream buffer keeps the
// number of system calls low.
constexpr std::size_t kWriteBufferSize = std::size_t{1} << 20;

class FileLayoutOutput : public LayoutOutput {
 public:
  explicit FileLayoutOutput(std::unique_ptr<ReplacingFile> file) : file_(std::move(file)) {}

  void Write(const std::uint8_t* data, std::size_t size) override { file_->Write(data, size); }
  bool Failed() const override { return file_->Failed(); }
  bool Commit() override { return file_->Commit(); }

 private:
  std::unique_ptr<ReplacingFile> file_;
};

}  // namespace

std::unique_ptr<LayoutOutput> CreateLayoutOutput(const std::string& outputPath) {
  auto file = ReplacingFile::Create(outputPath, kWriteBufferSize);
  if (!file) {
    return nullptr;
  }
  return std::make_unique<FileLayoutOutput>(std::move(file));
}

}  // namespace kem
