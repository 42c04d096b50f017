// Reads a .gnd layout file back and checks its structure: head, board index,
// template block, texture section and every board block, in file order.
//
// Reading streams: the front of the file (head to texture section) is read
// once, then one board block at a time into a buffer that every block reuses,
// so memory stays flat whatever the board count. Every read is checked
// against the size of the file; the first fault ends the reading and is
// reported with the byte offset where it lies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kem {

// Where the reader's bytes come from: read front to back.
class LayoutSource {
 public:
  virtual ~LayoutSource() = default;

  // Total size in bytes.
  virtual std::int64_t Size() const = 0;

  // Reads `size` bytes at the current position into `into`. Returns false
  // when they could not all be read.
  virtual bool Read(std::uint8_t* into, std::size_t size) = 0;
};

// A source over bytes held in memory (not copied: they must outlive it).
std::unique_ptr<LayoutSource> MemoryLayoutSource(const std::uint8_t* bytes, std::size_t size);

// A source reading the file at `path`; null when it cannot be opened or
// names a folder.
std::unique_ptr<LayoutSource> FileLayoutSource(const std::string& path);

// A board's place relative to the anchor board (block 0), whose deltas are 0.
// Rows count downward, columns to the right. The reader accepts only places
// that one height map can give: all the boards within kMaxLayoutSpan columns
// and rows.
struct LayoutBoardPlace {
  std::int32_t rowDelta = 0;
  std::int32_t colDelta = 0;
};

// A real texture record: the slot number and the two keys.
struct LayoutTexture {
  std::int32_t slot = 0;
  std::int32_t keyB = 0;
  std::int32_t keyA = 0;
};

struct LayoutFault {
  std::int64_t offset = 0;  // byte of the file where the fault lies
  std::string message;      // says what is wrong there, without the offset
};

// What the front of the file says, and what reading found.
struct LayoutContents {
  std::int64_t fileSize = 0;
  bool headRead = false;        // the head was sound, so boardCount holds its count
  std::int32_t boardCount = 0;  // from the head
  // Block order: block 0 is the anchor. A file of no board still carries one
  // unindexed block, listed here as the anchor.
  std::vector<LayoutBoardPlace> places;
  std::vector<LayoutTexture> textures;  // the real records, in order
  std::int64_t blocksRead = 0;          // board blocks read and found sound
  float minHeight = 0.0f;               // over the vertices of the blocks read
  float maxHeight = 0.0f;
  std::optional<LayoutFault> fault;  // the first fault, when there is one
};

// One board block as read: the vertex heights decoded from their records and
// the minimap pixels as stored.
struct LayoutBoardView {
  std::int64_t block = 0;
  LayoutBoardPlace place;
  // 76 x 76 heights, vertex (x, y) at 76 * x + y: x from the left, y from the
  // top of the board as the height map shows it.
  const float* heights = nullptr;
  // The vertices' texture slots (0 for none), in the same order.
  const std::uint8_t* slots = nullptr;
  // 128 runs of 128 pixels (blue, green, red, 0): run r is picture column r
  // from the left, pixel q within it picture row q from the top.
  const std::uint8_t* minimap = nullptr;
};

// Called once the front of the file has been read and found sound (the
// places and textures are known); then once per sound board block.
struct LayoutVisitor {
  std::function<void(const LayoutContents&)> front;
  std::function<void(const LayoutBoardView&)> board;
};

// Reads and checks the whole of `source`, calling `visitor` on the way.
// Returns what was found; `fault` holds the first structural fault, and
// nothing after it is read.
LayoutContents ReadLayout(LayoutSource& source, const LayoutVisitor& visitor = {});

// True when `bytes` (the first bytes of a file) start with the letters of a
// layout file's head, whatever its version.
bool LooksLikeLayout(const std::uint8_t* bytes, std::size_t size);

}  // namespace kem
