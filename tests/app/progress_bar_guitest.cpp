// The status-bar progress bar in a real status bar: placement beside its
// message, stepping, the text its pane gets back, and a status bar that is
// missing or goes away.
#include "app/progress_bar.h"

#include <memory>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/statusbr.h>

namespace kem::app {
namespace {

const wxString kMessage = wxS("Terraforming boards ::");

EdgeRect FieldEdges(wxStatusBar* statusBar, int pane) {
  wxRect rect;
  EXPECT_TRUE(statusBar->GetFieldRect(pane, rect));
  return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

// A main window of its own with a two-pane status bar, made the application's
// top window for the length of a test.
class ProgressBarInStatusBar : public testing::Test {
 protected:
  void SetUp() override {
    m_previousTop = wxTheApp->GetTopWindow();
    m_frame = new wxFrame(nullptr, wxID_ANY, wxS("Kem"), wxDefaultPosition, wxSize(500, 200));
    m_statusBar = m_frame->CreateStatusBar(2);
    m_statusBar->SetStatusText(wxS("Ready"), 0);
    m_statusBar->SetStatusText(wxS("Caps"), 1);
    wxTheApp->SetTopWindow(m_frame);
    m_frame->Show();
  }

  void TearDown() override {
    wxTheApp->SetTopWindow(m_previousTop);
    delete m_frame;
  }

  wxWindow* m_previousTop = nullptr;
  wxFrame* m_frame = nullptr;
  wxStatusBar* m_statusBar = nullptr;
};

TEST_F(ProgressBarInStatusBar, SitsInThePaneRightOfItsMessage) {
  CProgressBar bar(kMessage, 99, 40, false, 0);
  EXPECT_EQ(bar.GetParent(), m_statusBar);
  EXPECT_EQ(bar.GetId(), kProgressBarId);
  EXPECT_TRUE(bar.IsShown());
  EXPECT_EQ(m_statusBar->GetStatusText(0), kMessage);

  const EdgeRect expected =
      PlaceProgressBar(FieldEdges(m_statusBar, 0), m_statusBar->GetTextExtent(kMessage).x,
                       m_statusBar->GetTextExtent(wxS(" ")).x, true, 99);
  EXPECT_EQ(bar.GetPlacement(), expected);
  const wxRect rect = bar.GetRect();
  EXPECT_EQ(rect.x, expected.left);
  EXPECT_EQ(rect.GetWidth(), expected.right - expected.left);
  EXPECT_GT(rect.x, FieldEdges(m_statusBar, 0).left + m_statusBar->GetTextExtent(kMessage).x);
}

TEST_F(ProgressBarInStatusBar, RepositionKeepsAnUnchangedPlacement) {
  CProgressBar bar(kMessage, 99, 40, false, 1);
  const EdgeRect first = bar.GetPlacement();
  EXPECT_TRUE(bar.Reposition());
  EXPECT_TRUE(bar.Reposition());
  EXPECT_EQ(bar.GetPlacement(), first);
  EXPECT_EQ(m_statusBar->GetStatusText(1), kMessage);
}

TEST_F(ProgressBarInStatusBar, EmptyMessageStartsAtThePaneEdge) {
  CProgressBar bar(wxString(), 100, 10, false, 1);
  EXPECT_EQ(bar.GetPlacement().left, FieldEdges(m_statusBar, 1).left);
  EXPECT_EQ(bar.GetPlacement().right, FieldEdges(m_statusBar, 1).right);
}

TEST_F(ProgressBarInStatusBar, StartsOverAfterTheMaximum) {
  CProgressBar bar(kMessage, 99, 12, false, 0);
  for (int step = 0; step < 12; ++step) {
    EXPECT_EQ(bar.StepIt(), step);
  }
  EXPECT_EQ(bar.GetValue(), bar.GetRange());  // full
  EXPECT_EQ(bar.StepIt(), 12);
  EXPECT_EQ(bar.GetBarPosition(), 0);
  EXPECT_EQ(bar.GetValue(), 0);
}

TEST_F(ProgressBarInStatusBar, SetStepReturnsThePreviousStep) {
  CProgressBar bar(kMessage, 99, 12, false, 0);
  EXPECT_EQ(bar.SetStep(3), 1);
  EXPECT_EQ(bar.StepIt(), 0);
  EXPECT_EQ(bar.GetBarPosition(), 3);
  EXPECT_TRUE(bar.SetRange(0, 2, 1));
  EXPECT_EQ(bar.GetBarPosition(), 2);
}

TEST_F(ProgressBarInStatusBar, FirstPaneShowsTheIdleTextAfterTheBar) {
  { CProgressBar bar(kMessage, 99, 10, false, 0); }
  EXPECT_EQ(m_statusBar->GetStatusText(0), wxS("For Help, press F1"));
  EXPECT_EQ(m_statusBar->GetStatusText(1), wxS("Caps"));
}

TEST_F(ProgressBarInStatusBar, OtherPanesGetTheirTextBack) {
  { CProgressBar bar(kMessage, 99, 10, false, 1); }
  EXPECT_EQ(m_statusBar->GetStatusText(1), wxS("Caps"));
  EXPECT_EQ(m_statusBar->GetStatusText(0), wxS("Ready"));
}

TEST_F(ProgressBarInStatusBar, PaneOutsideTheStatusBarGivesNoWindow) {
  CProgressBar bar(kMessage, 99, 10, false, 5);
  EXPECT_EQ(bar.GetHandle(), nullptr);
  EXPECT_EQ(bar.StepIt(), 0);
}

TEST_F(ProgressBarInStatusBar, HostBarStepsAndGivesThePaneBack) {
  {
    std::unique_ptr<kem::ProgressBar> bar =
        MakeStatusProgressBar("Filtering boards ::", 99, 3, false, 0);
    EXPECT_EQ(m_statusBar->GetStatusText(0), wxS("Filtering boards: 0 of 3"));
    EXPECT_EQ(bar->StepIt(), 0);
    EXPECT_EQ(bar->StepIt(), 1);
    EXPECT_EQ(m_statusBar->GetStatusText(0), wxS("Filtering boards: 2 of 3"));
  }
  EXPECT_EQ(m_statusBar->GetStatusText(0), wxS("For Help, press F1"));
  EXPECT_EQ(m_statusBar->FindWindow(kProgressBarId), nullptr);
}

TEST_F(ProgressBarInStatusBar, HostBarOutlivesItsStatusBar) {
  std::unique_ptr<kem::ProgressBar> bar =
      MakeStatusProgressBar("Terraforming boards ::", 99, 3, false, 0);
  EXPECT_EQ(bar->StepIt(), 0);
  m_frame->SetStatusBar(nullptr);
  delete m_statusBar;
  EXPECT_EQ(bar->StepIt(), 0);
  bar.reset();  // nothing left to restore
}

TEST(ProgressBarWithoutStatusBar, DoesNothing) {
  wxWindow* previousTop = wxTheApp->GetTopWindow();
  auto* frame = new wxFrame(nullptr, wxID_ANY, wxS("Kem"));
  wxTheApp->SetTopWindow(frame);
  {
    CProgressBar bar(kMessage, 99, 10, false, 0);
    EXPECT_EQ(bar.GetHandle(), nullptr);
    EXPECT_FALSE(bar.SetRange(0, 5, 1));
    EXPECT_EQ(bar.SetStep(2), 0);
    EXPECT_EQ(bar.StepIt(), 0);
    EXPECT_FALSE(bar.Reposition());
    std::unique_ptr<kem::ProgressBar> hostBar = MakeStatusProgressBar("x", 99, 10, false, 0);
    EXPECT_EQ(hostBar->StepIt(), 0);
  }
  wxTheApp->SetTopWindow(previousTop);
  delete frame;
}

TEST(ProgressBarWithoutStatusBar, FindsTheStandardStatusBarInOtherTopWindows) {
  wxWindow* previousTop = wxTheApp->GetTopWindow();
  auto* dialog = new wxDialog(nullptr, wxID_ANY, wxS("Kem"));
  auto* panel = new wxPanel(dialog);
  auto* otherBar = new wxStatusBar(panel, wxID_ANY, wxSTB_DEFAULT_STYLE, wxS("otherBar"));
  auto* statusBar = new wxStatusBar(panel, wxID_ANY);
  (void)otherBar;
  wxTheApp->SetTopWindow(dialog);
  EXPECT_EQ(CProgressBar::FindStatusBar(), statusBar);
  wxTheApp->SetTopWindow(previousTop);
  delete dialog;
}

}  // namespace
}  // namespace kem::app
