// Project file decoding: whatever the bytes, decoding either fails leaving
// the project as it was, or gives fields that encode to a file which decodes
// to the same fields and encodes to the same bytes again.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/project_file.h"
#include "core/project_settings.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kem;
  ProjectSettings settings;
  const std::vector<std::uint8_t> untouched = EncodeProject(settings);
  if (!DecodeProject(std::span<const std::uint8_t>(data, size), settings)) {
    fuzz::Require(EncodeProject(settings) == untouched, "a failed decode changed the project");
    return 0;
  }
  const std::vector<std::uint8_t> encoded = EncodeProject(settings);
  fuzz::Require(encoded.size() <= size, "a decoded project encodes longer than its file");

  ProjectSettings again;
  fuzz::Require(DecodeProject(encoded, again), "an encoded project does not decode");
  fuzz::Require(EncodeProject(again) == encoded, "decode and encode do not agree");
  fuzz::Require(DescribeProject(again) == DescribeProject(settings),
                "a project describes differently after a round trip");
  return 0;
}
