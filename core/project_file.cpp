#include "core/project_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/byte_io.h"
#include "core/file_ptr.h"
#include "core/open_file.h"
#include "core/replacing_file.h"

namespace kem {

namespace {

// String length forms.
constexpr std::uint8_t kLongLengthMarker = 0xFF;     // a wider length follows
constexpr std::uint16_t kWideLengthMarker = 0xFFFF;  // a 32-bit length follows
constexpr std::size_t kShortLengthLimit = 255;       // lengths below take one byte
constexpr std::size_t kWideLengthLimit = 65534;      // lengths below take 16 bits

class ProjectWriter {
 public:
  void PutByte(std::uint8_t value) { bytes_.push_back(value); }

  void PutLe16(std::uint16_t value) {
    std::uint8_t field[2];
    kem::PutLe16(field, value);
    bytes_.insert(bytes_.end(), field, field + 2);
  }

  void PutLe32(std::uint32_t value) {
    std::uint8_t field[4];
    kem::PutLe32(field, value);
    bytes_.insert(bytes_.end(), field, field + 4);
  }

  void Put(std::int32_t value) { PutLe32(static_cast<std::uint32_t>(value)); }
  void Put(float value) {
    std::uint8_t field[4];
    kem::PutFloat32(field, value);
    bytes_.insert(bytes_.end(), field, field + 4);
  }

  void Put(const std::string& text) {
    const std::size_t length = text.size();
    if (length < kShortLengthLimit) {
      PutByte(static_cast<std::uint8_t>(length));
    } else if (length < kWideLengthLimit) {
      PutByte(kLongLengthMarker);
      PutLe16(static_cast<std::uint16_t>(length));
    } else {
      PutByte(kLongLengthMarker);
      PutLe16(kWideLengthMarker);
      PutLe32(static_cast<std::uint32_t>(length));
    }
    bytes_.insert(bytes_.end(), text.begin(), text.end());
  }

  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads values front to back; every read checks that the bytes are there and
// fails for good once one is not.
class ProjectReader {
 public:
  explicit ProjectReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }

  void Get(std::int32_t& value) { value = static_cast<std::int32_t>(GetLe32()); }
  void Get(float& value) {
    if (!Have(4)) {
      value = 0.0f;
      return;
    }
    value = kem::GetFloat32(bytes_.data() + position_);
    position_ += 4;
  }

  void Get(std::string& text) { text = GetString(); }

 private:
  std::uint8_t GetByte() {
    if (!Have(1)) {
      return 0;
    }
    return bytes_[position_++];
  }

  std::uint16_t GetLe16() {
    if (!Have(2)) {
      return 0;
    }
    const std::uint16_t value = kem::GetLe16(bytes_.data() + position_);
    position_ += 2;
    return value;
  }

  std::uint32_t GetLe32() {
    if (!Have(4)) {
      return 0;
    }
    const std::uint32_t value = kem::GetLe32(bytes_.data() + position_);
    position_ += 4;
    return value;
  }

  std::string GetString() {
    std::size_t length = GetByte();
    if (length == kLongLengthMarker) {
      length = GetLe16();
      if (length == kWideLengthMarker) {
        length = GetLe32();
      }
    }
    // The length is checked against the bytes that remain before anything is
    // allocated for it.
    if (!Have(length)) {
      return {};
    }
    const auto* first = reinterpret_cast<const char*>(bytes_.data() + position_);
    position_ += length;
    return std::string(first, length);
  }

  bool Have(std::size_t count) {
    if (ok_ && count > bytes_.size() - position_) {
      ok_ = false;
    }
    return ok_;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

std::string FormatValue(float value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string FormatValue(std::int32_t value) {
  return std::to_string(value);
}

const std::string& FormatValue(const std::string& value) {
  return value;
}

}  // namespace

std::vector<std::uint8_t> EncodeProject(const ProjectSettings& settings) {
  ProjectWriter writer;
  ForEachProjectField(settings, [&writer](const char*, const auto& value) { writer.Put(value); });
  return writer.Take();
}

bool DecodeProject(std::span<const std::uint8_t> bytes, ProjectSettings& settings) {
  // Every field is read before any of them reaches `settings`.
  ProjectReader reader(bytes);
  ProjectSettings read;
  ForEachProjectField(read, [&reader](const char*, auto& value) { reader.Get(value); });
  if (!reader.ok()) {
    return false;
  }
  settings = std::move(read);
  return true;
}

bool SaveProjectFile(const std::string& path, const ProjectSettings& settings) {
  if (path.empty()) {
    return false;
  }
  const std::vector<std::uint8_t> bytes = EncodeProject(settings);

  auto file = ReplacingFile::Create(path);
  if (!file) {
    return false;
  }
  file->Write(bytes.data(), bytes.size());
  return file->Commit();
}

bool LoadProjectFile(const std::string& path, ProjectSettings& settings) {
  if (path.empty()) {
    return false;
  }
  const FilePtr file(OpenFile(path, "rb"));
  if (!file) {
    return false;
  }
  // Read in pieces so that a huge or endless file (a device, say) costs no
  // more than the limit.
  std::vector<std::uint8_t> bytes;
  constexpr std::size_t kChunk = 64 * 1024;
  while (!std::feof(file.get()) && !std::ferror(file.get())) {
    const std::size_t used = bytes.size();
    if (used > kMaxProjectFileSize) {
      return false;
    }
    bytes.resize(used + kChunk);
    bytes.resize(used + std::fread(bytes.data() + used, 1, kChunk, file.get()));
  }
  if (std::ferror(file.get()) || bytes.size() > kMaxProjectFileSize) {
    return false;
  }
  return DecodeProject(bytes, settings);
}

std::string DescribeProject(const ProjectSettings& settings) {
  std::string text;
  ForEachProjectField(settings, [&text](const char* name, const auto& value) {
    text += name;
    text += ": ";
    text += FormatValue(value);
    text += '\n';
  });
  return text;
}

}  // namespace kem
