// The status-bar progress bar: a gauge placed in a status-bar pane beside its
// message, kept in place whenever the status bar changes size or the bar
// erases its background.
#include "app/progress_bar.h"

#include <algorithm>
#include <string>
#include <utility>

#include <wx/app.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/statusbr.h>
#include <wx/weakref.h>

#include "app/status_texts.h"

namespace kem::app {

wxIMPLEMENT_DYNAMIC_CLASS(CProgressBar, wxGauge);

namespace {

std::string ToUtf8(const wxString& text) {
  return std::string(text.utf8_str());
}

EdgeRect ToEdges(const wxRect& rect) {
  return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

// What the generator steps: the bar itself, or nothing once its window has
// gone with the status bar.
class StatusProgressBar : public kem::ProgressBar {
 public:
  StatusProgressBar(CProgressBar* bar, std::string caption, int maximum)
      : m_bar(bar), m_caption(std::move(caption)), m_maximum(maximum) {
    ShowCount();
  }
  ~StatusProgressBar() override { delete m_bar.get(); }
  StatusProgressBar(const StatusProgressBar&) = delete;
  StatusProgressBar& operator=(const StatusProgressBar&) = delete;

  int StepIt() override {
    if (!m_bar) {
      return 0;
    }
    const int previous = m_bar->StepIt();
    ShowCount();
    return previous;
  }

 private:
  void ShowCount() {
    if (m_bar) {
      m_bar->SetMessage(
          wxString::FromUTF8(ProgressText(m_caption, m_bar->GetBarPosition(), m_maximum)));
    }
  }

  wxWeakRef<CProgressBar> m_bar;
  std::string m_caption;
  int m_maximum;
};

}  // namespace

CProgressBar::CProgressBar() = default;

CProgressBar::CProgressBar(const wxString& message, int size, int maxValue, bool smooth, int pane) {
  Create(message, size, maxValue, smooth, pane);
}

CProgressBar::~CProgressBar() {
  RestorePane();
  auto* statusBar = dynamic_cast<wxStatusBar*>(GetParent());
  if (statusBar != nullptr && !statusBar->IsBeingDeleted()) {
    statusBar->Unbind(wxEVT_SIZE, &CProgressBar::OnStatusBarSize, this);
  }
}

bool CProgressBar::Create(const wxString& message, int size, int maxValue, bool smooth, int pane) {
  if (HasWindow()) {
    return false;
  }
  wxStatusBar* statusBar = FindStatusBar();
  if (statusBar == nullptr || pane < 0 || pane >= statusBar->GetFieldsCount()) {
    return false;
  }
  wxRect item;
  if (!statusBar->GetFieldRect(pane, item)) {
    return false;
  }
  const long style = wxGA_HORIZONTAL | (smooth ? wxGA_SMOOTH : 0L);
  if (!wxGauge::Create(statusBar, kProgressBarId, std::max(maxValue, 1), item.GetPosition(),
                       item.GetSize(), style)) {
    return false;
  }
  SetRange(0, maxValue, 1);
  SetStep(1);
  m_message = message;
  m_size = size;
  m_pane = pane;
  m_previousText = statusBar->GetStatusText(pane);

  // A background erase keeps the bar in place where the platform sends one;
  // the status bar's size changes do it everywhere.
  Bind(wxEVT_ERASE_BACKGROUND, &CProgressBar::OnEraseBkgnd, this);
  statusBar->Bind(wxEVT_SIZE, &CProgressBar::OnStatusBarSize, this);

  Reposition();
  return true;
}

bool CProgressBar::SetRange(int lower, int upper, int step) {
  if (!HasWindow()) {
    return false;
  }
  m_lower = lower;
  m_upper = upper;
  m_step = step;
  m_position = std::clamp(m_position, lower, std::max(lower, upper));
  // The gauge counts from 0 and needs a range of at least one.
  wxGauge::SetRange(std::max(upper - lower, 1));
  wxGauge::SetValue(m_position - lower);
  return true;
}

int CProgressBar::SetStep(int step) {
  if (!HasWindow()) {
    return 0;
  }
  if (!IsShown()) {
    Show();
  }
  const int previous = m_step;
  m_step = step;
  return previous;
}

int CProgressBar::StepIt() {
  if (!HasWindow()) {
    return 0;
  }
  if (!IsShown()) {
    Show();
  }
  const int previous = m_position;
  m_position = NextProgressPosition(m_position, m_step, m_lower, m_upper);
  wxGauge::SetValue(std::clamp(m_position - m_lower, 0, GetRange()));
  return previous;
}

void CProgressBar::SetMessage(const wxString& message) {
  if (message != m_message) {
    m_message = message;
    Reposition();
  }
}

bool CProgressBar::Reposition() {
  if (!HasWindow()) {
    return false;
  }
  wxStatusBar* statusBar = OwningStatusBar();
  if (statusBar == nullptr || m_pane >= statusBar->GetFieldsCount()) {
    return false;
  }
  if (IsShown()) {
    statusBar->SetStatusText(m_message, m_pane);
    statusBar->Update();
  }
  // Measured in the status bar's own font, as the pane draws its text.
  const int messageWidth = statusBar->GetTextExtent(m_message).x;
  const int blankWidth = statusBar->GetTextExtent(wxS(" ")).x;

  wxRect item;
  if (!statusBar->GetFieldRect(m_pane, item)) {
    return false;
  }
  const EdgeRect placement =
      PlaceProgressBar(ToEdges(item), messageWidth, blankWidth, !m_message.empty(), m_size);
  if (placement != m_placement) {
    FillHeight(placement.bottom - placement.top);
    SetSize(placement.left, placement.top, placement.right - placement.left,
            placement.bottom - placement.top, wxSIZE_ALLOW_MINUS_ONE);
    Refresh();
    m_placement = placement;
  }
  statusBar->Update();
  return true;
}

wxStatusBar* CProgressBar::FindStatusBar() {
  wxWindow* top = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr;
  if (top == nullptr) {
    return nullptr;
  }
  wxWindow* found = nullptr;
  if (auto* frame = dynamic_cast<wxFrame*>(top)) {
    found = frame->GetStatusBar();
  } else {
    // Window numbers stop at 32767 here, so the standard status bar is known
    // by its standard name instead.
    found = top->FindWindow(wxString(wxStatusBarNameStr));
  }
  auto* statusBar = dynamic_cast<wxStatusBar*>(found);
  // A status bar on its way out can no longer show anything.
  if (statusBar == nullptr || statusBar->IsBeingDeleted()) {
    return nullptr;
  }
  return statusBar;
}

bool CProgressBar::HasWindow() const {
  return GetHandle() != nullptr;
}

void CProgressBar::FillHeight([[maybe_unused]] int height) {
#ifdef __WXGTK3__
  constexpr int kBarBorders = 4;
  if (height == m_filledHeight || height <= kBarBorders) {
    return;
  }
  m_filledHeight = height;
  GTKApplyCssStyle(FullHeightGaugeStyle(height).c_str());
#endif
}

std::string FullHeightGaugeStyle(int height) {
  // The trough's and the bar's borders lie outside their least heights.
  constexpr int kTroughBorders = 2;
  constexpr int kBarBorders = 4;
  return "progressbar trough { min-height: " +
         std::to_string(std::max(1, height - kTroughBorders)) +
         "px; } progressbar progress { min-height: " +
         std::to_string(std::max(1, height - kBarBorders)) + "px; }";
}

FullHeightGauge::FullHeightGauge(wxWindow* parent, int id, int range, const wxPoint& position,
                                 const wxSize& size)
    : wxGauge(parent, id, range, position, size, wxGA_HORIZONTAL | wxGA_SMOOTH) {
#ifdef __WXGTK3__
  GTKApplyCssStyle(FullHeightGaugeStyle(size.y).c_str());
#endif
}

wxStatusBar* CProgressBar::OwningStatusBar() const {
  wxStatusBar* statusBar = FindStatusBar();
  return statusBar != nullptr && statusBar == GetParent() ? statusBar : nullptr;
}

void CProgressBar::RestorePane() {
  if (!HasWindow()) {
    return;
  }
  Hide();
  const wxString text = wxString::FromUTF8(PaneTextAfterProgress(m_pane, ToUtf8(m_previousText)));
  wxStatusBar* statusBar = OwningStatusBar();
  if (statusBar != nullptr && m_pane < statusBar->GetFieldsCount()) {
    statusBar->SetStatusText(text, m_pane);
    statusBar->Update();
  }
}

void CProgressBar::OnEraseBkgnd(wxEraseEvent& event) {
  Reposition();
  event.Skip();
}

void CProgressBar::OnStatusBarSize(wxSizeEvent& event) {
  event.Skip();
  // The status bar lays out its panes in its own size handler, which runs
  // after this one: place the bar once that is done.
  CallAfter([this] { Reposition(); });
}

std::unique_ptr<kem::ProgressBar> MakeStatusProgressBar(const std::string& message, int size,
                                                        int maximum, bool smooth, int pane) {
  return std::make_unique<StatusProgressBar>(
      new CProgressBar(wxString::FromUTF8(message), size, maximum, smooth, pane), message, maximum);
}

}  // namespace kem::app
