// Where the status-bar progress bar sits, how it steps and what the pane
// shows after it: the arithmetic, without a window.
#include "app/progress_placement.h"

#include <gtest/gtest.h>

namespace kem::app {
namespace {

// A status-bar pane 20 pixels high whose message "Terraforming boards ::"
// measures 120 pixels in a font with 4-pixel blanks: the bar may start at
// 10 + 120 + 4 * 4 = 146.
constexpr EdgeRect kPane{10, 2, 396, 22};
constexpr int kMessageWidth = 120;
constexpr int kBlankWidth = 4;
constexpr int kBarStart = 146;

struct WidthCase {
  const char* name;
  int size;
  int expectedRight;
};

TEST(ProgressPlacement, TakesItsShareOfTheWidthRightOfTheMessage) {
  // 396 - 146 = 250 pixels remain after the message.
  const WidthCase cases[] = {
      {"whole remaining width", 100, 396},
      {"99 per cent of 250 pixels cuts 2.5, truncated to 2", 99, 394},
      {"half", 50, 271},
      {"nothing", 0, kBarStart},
  };
  for (const WidthCase& c : cases) {
    const EdgeRect bar = PlaceProgressBar(kPane, kMessageWidth, kBlankWidth, true, c.size);
    EXPECT_EQ(bar.left, kBarStart) << c.name;
    EXPECT_EQ(bar.right, c.expectedRight) << c.name;
  }
}

TEST(ProgressPlacement, StartsAtThePaneEdgeWithoutAMessage) {
  const EdgeRect bar = PlaceProgressBar(kPane, 0, kBlankWidth, false, 100);
  EXPECT_EQ(bar.left, kPane.left);
  EXPECT_EQ(bar.right, kPane.right);
}

TEST(ProgressPlacement, IgnoresTheMeasuredWidthWhenThereIsNoMessage) {
  const EdgeRect bar = PlaceProgressBar(kPane, 77, kBlankWidth, false, 99);
  EXPECT_EQ(bar.left, kPane.left);
  // 386 pixels at 99 per cent: 3.86 cut, truncated to 3.
  EXPECT_EQ(bar.right, kPane.right - 3);
}

TEST(ProgressPlacement, InsetsByATenthOfThePaneHeight) {
  struct InsetCase {
    int top, bottom, expectedTop, expectedBottom;
  };
  const InsetCase cases[] = {
      {2, 22, 4, 20},  // 20 pixels high: 2 at each edge
      {0, 9, 0, 9},    // 9 pixels high: no inset
      {5, 35, 8, 32},  // 30 pixels high: 3
  };
  for (const InsetCase& c : cases) {
    const EdgeRect bar =
        PlaceProgressBar({0, c.top, 300, c.bottom}, kMessageWidth, kBlankWidth, true, 99);
    EXPECT_EQ(bar.top, c.expectedTop) << c.bottom - c.top;
    EXPECT_EQ(bar.bottom, c.expectedBottom) << c.bottom - c.top;
  }
}

TEST(ProgressPlacement, NeverGivesTheBarANegativeWidth) {
  // A message wider than the pane pushes the start past the pane's end.
  const EdgeRect bar = PlaceProgressBar({0, 0, 100, 20}, 150, kBlankWidth, true, 99);
  EXPECT_EQ(bar.left, 166);
  EXPECT_EQ(bar.right, 166);
}

TEST(ProgressPlacement, KeepsSizesToAPercentage) {
  EXPECT_EQ(PlaceProgressBar(kPane, kMessageWidth, kBlankWidth, true, 250),
            PlaceProgressBar(kPane, kMessageWidth, kBlankWidth, true, 100));
  EXPECT_EQ(PlaceProgressBar(kPane, kMessageWidth, kBlankWidth, true, -5),
            PlaceProgressBar(kPane, kMessageWidth, kBlankWidth, true, 0));
}

TEST(ProgressPlacement, FillsAfterMaximumStepsAndStartsOverOnTheNext) {
  int position = 0;
  for (int step = 1; step <= 12; ++step) {
    position = NextProgressPosition(position, 1, 0, 12);
    EXPECT_EQ(position, step);
  }
  EXPECT_EQ(NextProgressPosition(position, 1, 0, 12), 0);
}

TEST(ProgressPlacement, StartsOverAtTheLowerLimit) {
  EXPECT_EQ(NextProgressPosition(18, 3, 5, 20), 5);
  EXPECT_EQ(NextProgressPosition(17, 3, 5, 20), 20);
}

TEST(ProgressPlacement, DoesNotOverflowNearTheLargestPosition) {
  constexpr int kMax = 2147483647;
  EXPECT_EQ(NextProgressPosition(kMax, 1, 0, kMax), 0);
}

TEST(ProgressPlacement, FirstPaneGoesBackToTheIdleText) {
  EXPECT_EQ(PaneTextAfterProgress(0, "Ready"), "For Help, press F1");
  EXPECT_EQ(PaneTextAfterProgress(0, ""), "For Help, press F1");
}

TEST(ProgressPlacement, OtherPanesGetTheirEarlierTextBack) {
  EXPECT_EQ(PaneTextAfterProgress(1, "Ready"), "Ready");
  EXPECT_EQ(PaneTextAfterProgress(2, ""), "");
}

}  // namespace
}  // namespace kem::app
