#include "app/spin_arrows.h"

#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/time.h>

namespace kem::app {
namespace {

constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 60;

// Width of the arrows in pixels: as wide as a vertical scroll bar.
int ArrowWidth(const wxWindow* window) {
  const int width = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, window);
  return width > 8 ? width : 16;
}

void DrawArrow(wxDC& dc, const wxRect& rect, bool up, const wxColour& colour) {
  const int half = std::max(2, std::min(rect.width, rect.height) / 4);
  const wxPoint centre(rect.x + rect.width / 2, rect.y + rect.height / 2);
  wxPoint points[3];
  if (up) {
    points[0] = wxPoint(centre.x - half, centre.y + half / 2);
    points[1] = wxPoint(centre.x + half, centre.y + half / 2);
    points[2] = wxPoint(centre.x, centre.y - half / 2 - 1);
  } else {
    points[0] = wxPoint(centre.x - half, centre.y - half / 2);
    points[1] = wxPoint(centre.x + half, centre.y - half / 2);
    points[2] = wxPoint(centre.x, centre.y + half / 2 + 1);
  }
  dc.SetPen(wxPen(colour));
  dc.SetBrush(wxBrush(colour));
  dc.DrawPolygon(3, points);
}

}  // namespace

SpinArrows::SpinArrows(wxWindow* parent, wxWindowID id, wxTextCtrl* buddy) : m_repeat(this) {
  const wxRect box = buddy->GetRect();
  const int width = ArrowWidth(parent);
  buddy->SetSize(box.x, box.y, box.width - width, box.height);
  Create(parent, id, wxPoint(box.GetRight() + 1 - width, box.y), wxSize(width, box.height),
         wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE);
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &SpinArrows::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &SpinArrows::OnLeftDown, this);
  Bind(wxEVT_LEFT_DCLICK, &SpinArrows::OnLeftDown, this);
  Bind(wxEVT_LEFT_UP, &SpinArrows::OnLeftUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &SpinArrows::OnCaptureLost, this);
  Bind(wxEVT_TIMER, &SpinArrows::OnTimer, this);
  buddy->Bind(wxEVT_KEY_DOWN, &SpinArrows::OnBuddyKey, this);
}

int SpinArrows::StepForHoldTime(long heldMilliseconds) {
  if (heldMilliseconds >= 5000) {
    return 20;
  }
  if (heldMilliseconds >= 2000) {
    return 5;
  }
  return 1;
}

wxSize SpinArrows::DoGetBestSize() const {
  return wxSize(ArrowWidth(this), 20);
}

void SpinArrows::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
  dc.Clear();
  const wxRect upper(0, 0, size.x, size.y / 2);
  const wxRect lower(0, size.y / 2, size.x, size.y - size.y / 2);
  const int disabled = IsEnabled() ? 0 : static_cast<int>(wxCONTROL_DISABLED);
  const int pressed = wxCONTROL_PRESSED;
  wxRendererNative& renderer = wxRendererNative::Get();
  renderer.DrawPushButton(this, dc, upper, disabled | (m_pressed < 0 ? pressed : 0));
  renderer.DrawPushButton(this, dc, lower, disabled | (m_pressed > 0 ? pressed : 0));
  const wxColour arrow =
      wxSystemSettings::GetColour(IsEnabled() ? wxSYS_COLOUR_BTNTEXT : wxSYS_COLOUR_GRAYTEXT);
  DrawArrow(dc, upper, true, arrow);
  DrawArrow(dc, lower, false, arrow);
}

void SpinArrows::OnLeftDown(wxMouseEvent& event) {
  if (!IsEnabled()) {
    return;
  }
  m_pressed = event.GetY() < GetClientSize().y / 2 ? -1 : 1;
  m_pressStart = wxGetLocalTimeMillis();
  if (!HasCapture()) {
    CaptureMouse();
  }
  Refresh();
  Notify(m_pressed, 0);
  // The handler may have disabled or hidden us; only repeat while still pressed.
  if (m_pressed != 0) {
    m_repeat.StartOnce(kFirstRepeatMs);
  }
}

void SpinArrows::OnLeftUp(wxMouseEvent&) {
  StopRepeat();
}

void SpinArrows::OnCaptureLost(wxMouseCaptureLostEvent&) {
  m_repeat.Stop();
  m_pressed = 0;
  Refresh();
}

void SpinArrows::OnTimer(wxTimerEvent&) {
  if (m_pressed == 0) {
    return;
  }
  Notify(m_pressed, (wxGetLocalTimeMillis() - m_pressStart).ToLong());
  if (m_pressed != 0) {
    m_repeat.StartOnce(kRepeatMs);
  }
}

void SpinArrows::OnBuddyKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (IsEnabled() && !event.HasAnyModifiers() && (key == WXK_UP || key == WXK_DOWN)) {
    Notify(key == WXK_UP ? -1 : 1, 0);
    return;
  }
  event.Skip();
}

void SpinArrows::Notify(int direction, long heldMilliseconds) {
  if (m_onDelta) {
    m_onDelta(direction * StepForHoldTime(heldMilliseconds));
  }
}

void SpinArrows::StopRepeat() {
  m_repeat.Stop();
  m_pressed = 0;
  if (HasCapture()) {
    ReleaseMouse();
  }
  Refresh();
}

}  // namespace kem::app
