#include "core/project_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/byte_io.h"
#include "core/replacing_file.h"

namespace kem {

namespace {

// String length forms.
constexpr std::uint8_t kLongLengthMarker = 0xFF;     // a wider length follows
constexpr std::uint16_t kWideLengthMarker = 0xFFFF;  // a 32-bit length follows
constexpr std::size_t kShortLengthLimit = 255;       // lengths below take one byte
constexpr std::size_t kWideLengthLimit = 65534;      // lengths below take 16 bits

// The persisted fields, read completely before any of them reaches the job.
struct ProjectFields {
  std::string heightMapPath;
  std::int32_t reservedA = 0;
  std::string minimapPath;
  std::int32_t reservedB = 0;
  std::int32_t randomizeTextures = 0;
  std::string texturingGuidePath;
  std::int32_t reservedC = 0;
  std::int32_t filterRadius = 0;
  std::string filterGuidePath;
  std::string outputPath;
  float baseHeight = 0.0f;
  float maxHeight = 0.0f;
  std::int32_t dataFormat = 0;
  std::int32_t interpolate = 0;
};

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

  void PutInt(std::int32_t value) { PutLe32(static_cast<std::uint32_t>(value)); }
  void PutReal(float value) {
    std::uint8_t field[4];
    kem::PutFloat32(field, value);
    bytes_.insert(bytes_.end(), field, field + 4);
  }

  void PutString(const std::string& text) {
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

  std::int32_t GetInt() { return static_cast<std::int32_t>(GetLe32()); }
  float GetReal() {
    if (!Have(4)) {
      return 0.0f;
    }
    const float value = kem::GetFloat32(bytes_.data() + position_);
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

 private:
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

std::string FormatReal(float value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

std::vector<std::uint8_t> EncodeProject(const TerrainJob& job) {
  ProjectWriter writer;
  writer.PutString(job.heightMapPath);
  writer.PutInt(job.reservedA);
  writer.PutString(job.minimapPath);
  writer.PutInt(job.reservedB);
  writer.PutInt(job.randomizeTextures);
  writer.PutString(job.texturingGuidePath);
  writer.PutInt(job.reservedC);
  writer.PutInt(job.filterRadius);
  writer.PutString(job.filterGuidePath);
  writer.PutString(job.outputPath);
  writer.PutReal(job.baseHeight);
  writer.PutReal(job.maxHeight);
  writer.PutInt(job.dataFormat);
  writer.PutInt(job.interpolate);
  return writer.Take();
}

bool DecodeProject(std::span<const std::uint8_t> bytes, TerrainJob& job) {
  ProjectReader reader(bytes);
  ProjectFields fields;
  fields.heightMapPath = reader.GetString();
  fields.reservedA = reader.GetInt();
  fields.minimapPath = reader.GetString();
  fields.reservedB = reader.GetInt();
  fields.randomizeTextures = reader.GetInt();
  fields.texturingGuidePath = reader.GetString();
  fields.reservedC = reader.GetInt();
  fields.filterRadius = reader.GetInt();
  fields.filterGuidePath = reader.GetString();
  fields.outputPath = reader.GetString();
  fields.baseHeight = reader.GetReal();
  fields.maxHeight = reader.GetReal();
  fields.dataFormat = reader.GetInt();
  fields.interpolate = reader.GetInt();
  if (!reader.ok()) {
    return false;
  }

  job.heightMapPath = std::move(fields.heightMapPath);
  job.reservedA = fields.reservedA;
  job.minimapPath = std::move(fields.minimapPath);
  job.reservedB = fields.reservedB;
  job.randomizeTextures = fields.randomizeTextures;
  job.texturingGuidePath = std::move(fields.texturingGuidePath);
  job.reservedC = fields.reservedC;
  job.filterRadius = fields.filterRadius;
  job.filterGuidePath = std::move(fields.filterGuidePath);
  job.outputPath = std::move(fields.outputPath);
  job.baseHeight = fields.baseHeight;
  job.maxHeight = fields.maxHeight;
  job.dataFormat = fields.dataFormat;
  job.interpolate = fields.interpolate;
  return true;
}

bool SaveProjectFile(const std::string& path, const TerrainJob& job) {
  if (path.empty()) {
    return false;
  }
  const std::vector<std::uint8_t> bytes = EncodeProject(job);

  auto file = ReplacingFile::Create(path);
  if (!file) {
    return false;
  }
  file->Write(bytes.data(), bytes.size());
  return file->Commit();
}

bool LoadProjectFile(const std::string& path, TerrainJob& job) {
  if (path.empty()) {
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return false;
  }
  // Read in pieces so that a huge or endless file (a device, say) costs no
  // more than the limit.
  std::vector<std::uint8_t> bytes;
  constexpr std::size_t kChunk = 64 * 1024;
  while (file) {
    const std::size_t used = bytes.size();
    if (used > kMaxProjectFileSize) {
      return false;
    }
    bytes.resize(used + kChunk);
    file.read(reinterpret_cast<char*>(bytes.data() + used), static_cast<std::streamsize>(kChunk));
    bytes.resize(used + static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad() || bytes.size() > kMaxProjectFileSize) {
    return false;
  }
  return DecodeProject(bytes, job);
}

std::string DescribeProject(const TerrainJob& job) {
  std::string text;
  const auto line = [&text](const char* name, const std::string& value) {
    text += name;
    text += ": ";
    text += value;
    text += '\n';
  };
  line("heightMapPath", job.heightMapPath);
  line("reservedA", std::to_string(job.reservedA));
  line("minimapPath", job.minimapPath);
  line("reservedB", std::to_string(job.reservedB));
  line("randomizeTextures", std::to_string(job.randomizeTextures));
  line("texturingGuidePath", job.texturingGuidePath);
  line("reservedC", std::to_string(job.reservedC));
  line("filterRadius", std::to_string(job.filterRadius));
  line("filterGuidePath", job.filterGuidePath);
  line("outputPath", job.outputPath);
  line("baseHeight", FormatReal(job.baseHeight));
  line("maxHeight", FormatReal(job.maxHeight));
  line("dataFormat", std::to_string(job.dataFormat));
  line("interpolate", std::to_string(job.interpolate));
  return text;
}

}  // namespace kem
