// Placement and stepping arithmetic of the status-bar progress bar.
#include "app/progress_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kem::app {

namespace {

// The blank space between the message and the bar, on each side of an
// imaginary separator: two blanks.
constexpr int kBlanksPerMargin = 2;

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

}  // namespace

EdgeRect PlaceProgressBar(const EdgeRect& pane, int messageWidth, int blankWidth, bool hasMessage,
                          int size) {
  EdgeRect bar = pane;
  const std::int64_t margin = std::int64_t{kBlanksPerMargin} * blankWidth;
  if (hasMessage) {
    bar.left = ClampToInt(std::int64_t{bar.left} + messageWidth + 2 * margin);
  }
  const std::int64_t percent = std::clamp(size, 0, 100);
  // Product first, then the quotient truncated toward zero.
  const std::int64_t cut = (std::int64_t{bar.right} - bar.left) * (100 - percent) / 100;
  bar.right = ClampToInt(bar.right - cut);
  if (bar.right < bar.left) {
    bar.right = bar.left;
  }
  const int inset = (bar.bottom - bar.top) / 10;
  bar.top += inset;
  bar.bottom -= inset;
  return bar;
}

int NextProgressPosition(int position, int step, int lower, int upper) {
  const std::int64_t next = std::int64_t{position} + step;
  if (next > upper || next < lower) {
    return lower;
  }
  return static_cast<int>(next);
}

std::string PaneTextAfterProgress(int pane, const std::string& previousText) {
  return pane == 0 ? std::string(kIdlePaneText) : previousText;
}

}  // namespace kem::app
