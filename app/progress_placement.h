// Toolkit-free arithmetic of the status-bar progress bar: where the bar sits
// inside its pane, how a step advances it, and which text the pane gets back.
// Kept apart from the window code so that it can be checked without a screen.
#pragma once

#include <string>

namespace kem::app {

// Text of the first status-bar pane while the program is idle.
inline constexpr char kIdlePaneText[] = "For Help, press F1";

// A rectangle in window edges: right and bottom lie just outside it.
struct EdgeRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool operator==(const EdgeRect&) const = default;
};

// Where the bar goes inside `pane`. With a message (`hasMessage`) the bar
// starts `messageWidth` plus four `blankWidth`s right of the pane's left edge;
// it takes `size` per cent (0 to 100, clamped) of the width left after that,
// in whole pixels truncated toward the bar; it never gets a negative width;
// and it is inset by a tenth of the pane's height at top and bottom.
EdgeRect PlaceProgressBar(const EdgeRect& pane, int messageWidth, int blankWidth, bool hasMessage,
                          int size);

// Position after one step of `step` from `position` in the range `lower` to
// `upper`: a step past `upper` starts the bar over at `lower`.
int NextProgressPosition(int position, int step, int lower, int upper);

// The text that a pane gets back when its bar goes: the idle text for pane 0,
// otherwise the text that the pane showed before the bar came.
std::string PaneTextAfterProgress(int pane, const std::string& previousText);

}  // namespace kem::app
