#include "app/preview_pane.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <wx/dcbuffer.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>

#include "app/command_ids.h"
#include "app/status_texts.h"
#include "app/ui_hooks.h"
#include "core/file_lookup.h"
#include "core/generate_terrain.h"
#include "core/targa_source.h"
#include "core/texture_table.h"

namespace kem::app {
namespace {

// Long enough to let a typed number finish, short enough to feel immediate.
constexpr int kDebounceMs = 250;
constexpr int kMargin = 6;
constexpr char kTemplateWildcard[] = "Tile template (tile_blank.dat)|tile_blank.dat|All Files|*";

// One wheel notch or key press zooms by this much; past the largest zoom a
// relief pixel would be a block of the pane rather than a piece of ground.
constexpr double kZoomStep = 1.25;
constexpr double kMaxZoom = 64.0;
// From this many canvas pixels per relief pixel on, the relief is enlarged
// without blending so that its pixels and grid lines stay sharp.
constexpr double kSharpScale = 2.0;

// How often the files a survey read are looked at for changes on disk.
constexpr int kWatchMs = 1000;

// What the files behind a survey look like on disk: for each, whether it is
// there, its size and its last change. Any difference asks for a new survey.
std::vector<std::string> WatchedFiles(const ProjectSettings& settings, const FileLookup& lookup) {
  const ProjectSettings resolved = ResolveProjectPaths(settings, lookup);
  std::vector<std::string> files;
  for (const std::string* path : {&resolved.heightMapPath, &resolved.minimapPath,
                                  &resolved.texturingGuidePath, &resolved.filterGuidePath}) {
    if (!path->empty()) {
      files.push_back(*path);
    }
  }
  for (const char* name : {kTileTemplateFile, kTextureListFile}) {
    for (const std::string& place : SearchPlaces(name, lookup, true)) {
      files.push_back(place);
    }
  }
  return files;
}

std::string FilesState(const std::vector<std::string>& files) {
  namespace fs = std::filesystem;
  std::string state;
  for (const std::string& file : files) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error) {
      state += "-\n";
      continue;
    }
    const auto changed = fs::last_write_time(file, error).time_since_epoch().count();
    state += std::to_string(size) + " " + std::to_string(changed) + "\n";
  }
  return state;
}

wxString Megabytes(std::int64_t bytes) {
  return wxString::Format("%.1f MB", static_cast<double>(bytes) / 1e6);
}

// A survey's picture for the screen; empty when it has none.
wxImage ToImage(const RgbImage& picture) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height * 3) {
    return {};
  }
  // wxImage frees its data with free().
  auto* data = static_cast<unsigned char*>(std::malloc(picture.pixels.size()));
  std::memcpy(data, picture.pixels.data(), picture.pixels.size());
  return wxImage(picture.width, picture.height, data);
}

}  // namespace

wxString SurveySummary(const ProjectSurvey& survey) {
  if (!survey.imageOpened) {
    return survey.resolved.heightMapPath.empty()
               ? wxString("No height map to survey")
               : "The height map cannot be read: see the list below";
  }
  if (survey.grid.cols <= 0 || survey.grid.rows <= 0) {
    return wxString::Format(wxString::FromUTF8("%d × %d pixels: no room for a board"),
                            survey.imageWidth, survey.imageHeight);
  }
  wxString line =
      wxString::Format(wxString::FromUTF8("%d × %d boards"), survey.grid.cols, survey.grid.rows);
  if (survey.selectionMade) {
    line += wxString::Format(wxString::FromUTF8(", %d selected · "), survey.boardCount) +
            Megabytes(survey.layoutBytes);
  }
  if (survey.heightsRead) {
    line += wxString::Format(wxString::FromUTF8(" · heights %.1f to %.1f m"), survey.heights.min,
                             survey.heights.max);
  }
  return line;
}

PreviewPane::PreviewPane(wxWindow* parent)
    : wxPanel(parent, kIdPreviewPane),
      m_timer(this),
      m_watch(this),
      m_worker(this, [this](PreviewSurvey&& preview) { ShowSurvey(std::move(preview)); }) {
  m_canvas = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxSize(240, 180));
  m_canvas->SetBackgroundStyle(wxBG_STYLE_PAINT);
  m_canvas->Bind(wxEVT_PAINT, &PreviewPane::OnPaintPicture, this);
  m_canvas->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    ClampCentre();
    m_canvas->Refresh();
  });
  m_canvas->Bind(wxEVT_MOUSEWHEEL, &PreviewPane::OnWheel, this);
  m_canvas->Bind(wxEVT_LEFT_DOWN, &PreviewPane::OnLeftDown, this);
  m_canvas->Bind(wxEVT_LEFT_UP, &PreviewPane::OnLeftUp, this);
  m_canvas->Bind(wxEVT_MOTION, &PreviewPane::OnMotion, this);
  m_canvas->Bind(wxEVT_LEAVE_WINDOW, &PreviewPane::OnLeave, this);
  m_canvas->Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { EndDrag(); });
  m_canvas->Bind(wxEVT_CHAR, &PreviewPane::OnKey, this);
  m_guideToggle = new wxCheckBox(this, wxID_ANY, "Texturing guide");
  m_guideToggle->SetToolTip("Lay the texturing guide's colours over the relief");
  m_minimapToggle = new wxCheckBox(this, wxID_ANY, "Minimap");
  m_minimapToggle->SetToolTip(
      "Lay the colours of the boards' minimap pictures over the relief: the minimap image, "
      "or the height map itself when there is none");
  for (wxCheckBox* toggle : {m_guideToggle, m_minimapToggle}) {
    toggle->Disable();
    toggle->Bind(wxEVT_CHECKBOX, &PreviewPane::OnToggle, this);
  }
  m_summary = new wxStaticText(this, wxID_ANY, "No height map to survey");
  m_problems = new ProblemList(this);
  m_locate = new wxButton(this, wxID_ANY, "Locate tile_blank.dat...");
  m_locate->Hide();
  m_locate->Bind(wxEVT_BUTTON, &PreviewPane::OnLocate, this);

  auto* toggles = new wxBoxSizer(wxHORIZONTAL);
  toggles->Add(m_guideToggle, 0, wxRIGHT, 2 * kMargin);
  toggles->Add(m_minimapToggle);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_canvas, 3, wxEXPAND | wxALL, kMargin);
  sizer->Add(toggles, 0, wxLEFT | wxRIGHT | wxBOTTOM, kMargin);
  sizer->Add(m_summary, 0, wxEXPAND | wxLEFT | wxRIGHT, kMargin);
  sizer->Add(m_problems, 2, wxEXPAND | wxALL, kMargin);
  sizer->Add(m_locate, 0, wxLEFT | wxRIGHT | wxBOTTOM, kMargin);
  SetSizer(sizer);
  Bind(wxEVT_TIMER, &PreviewPane::OnTimer, this, m_timer.GetId());
  Bind(wxEVT_TIMER, &PreviewPane::OnWatch, this, m_watch.GetId());
  m_watch.Start(kWatchMs);
}

void PreviewPane::Resurvey() {
  m_timer.Stop();
  StartSurvey();
}

void PreviewPane::StartSurvey() {
  m_watchedFiles = WatchedFiles(m_settings, m_lookup);
  m_filesState = FilesState(m_watchedFiles);
  m_worker.Start(m_settings, m_lookup);
}

void PreviewPane::OnWatch(wxTimerEvent&) {
  if (m_timer.IsRunning() || m_watchedFiles.empty()) {
    return;
  }
  if (FilesState(m_watchedFiles) != m_filesState) {
    StartSurvey();
  }
}

void PreviewPane::Request(const ProjectSettings& settings, const FileLookup& lookup) {
  m_settings = settings;
  m_lookup = lookup;
  m_timer.StartOnce(kDebounceMs);
}

void PreviewPane::OnTimer(wxTimerEvent&) {
  StartSurvey();
}

void PreviewPane::ShowSurvey(PreviewSurvey&& preview) {
  const ProjectSurvey& survey = preview.survey;
  const wxSize before = Picture().IsOk() ? Picture().GetSize() : wxSize();
  m_pictures = {ToImage(survey.relief), ToImage(survey.guideRelief), ToImage(survey.minimapRelief)};
  for (auto [toggle, overlay] : {std::pair{m_guideToggle, Overlay::kTexturingGuide},
                                 std::pair{m_minimapToggle, Overlay::kMinimap}}) {
    const bool available = m_pictures[static_cast<std::size_t>(overlay)].IsOk();
    toggle->Enable(available);
    if (!available) {
      toggle->SetValue(false);
    }
  }
  wxString summary = SurveySummary(survey);
  for (const std::string& line : preview.areaLines) {
    summary += "\n" + wxString::FromUTF8(line);
  }
  m_summary->SetLabel(summary);
  m_problems->Show(preview);
  m_locate->Show(!preview.tileTemplateFound);
  m_heights = survey.reliefHeights;
  m_factor = std::max(1, survey.reliefFactor);
  m_topOffset = survey.unusedRowsAtTop ? survey.unusedRows : 0;
  m_boardCols = survey.grid.cols;
  m_boardRows = survey.grid.rows;
  Layout();
  ShowReadout({});
  // The same map surveyed again keeps its place; another one is shown whole.
  if (!Picture().IsOk() || Picture().GetSize() != before) {
    m_zoom = 1.0;
    EndDrag();
  }
  ClampCentre();
  ShowPicture();
}

void PreviewPane::OnToggle(wxCommandEvent& event) {
  // Two colourings of the same ground at once would hide each other.
  if (event.IsChecked()) {
    (event.GetEventObject() == m_guideToggle ? m_minimapToggle : m_guideToggle)->SetValue(false);
  }
  ShowPicture();
}

void PreviewPane::ShowPicture() {
  m_shown = m_guideToggle->GetValue()     ? Overlay::kTexturingGuide
            : m_minimapToggle->GetValue() ? Overlay::kMinimap
                                          : Overlay::kNone;
  m_scaled = wxBitmap();
  m_canvas->Refresh();
}

double PreviewPane::FitScale() const {
  const wxImage& picture = Picture();
  if (!picture.IsOk()) {
    return 1.0;
  }
  const wxSize area = m_canvas->GetClientSize();
  const double scale = std::min(static_cast<double>(area.x) / picture.GetWidth(),
                                static_cast<double>(area.y) / picture.GetHeight());
  return scale > 0.0 ? scale : 1.0;
}

wxRealPoint PreviewPane::Origin() const {
  const wxSize area = m_canvas->GetClientSize();
  const double scale = Scale();
  return {area.x / 2.0 - m_centre.x * scale, area.y / 2.0 - m_centre.y * scale};
}

wxRealPoint PreviewPane::PictureAt(const wxPoint& canvasPoint) const {
  const wxRealPoint origin = Origin();
  const double scale = Scale();
  return {(canvasPoint.x - origin.x) / scale, (canvasPoint.y - origin.y) / scale};
}

void PreviewPane::ClampCentre() {
  const wxImage& picture = Picture();
  if (!picture.IsOk()) {
    return;
  }
  const wxSize area = m_canvas->GetClientSize();
  const double scale = Scale();
  const auto clamp = [scale](double centre, int side, int span) {
    const double half = span / 2.0 / scale;
    return side <= 2.0 * half ? side / 2.0 : std::clamp(centre, half, side - half);
  };
  m_centre = {clamp(m_centre.x, picture.GetWidth(), area.x),
              clamp(m_centre.y, picture.GetHeight(), area.y)};
}

void PreviewPane::ZoomAt(double factor, const wxPoint& canvasPoint) {
  if (!Picture().IsOk()) {
    return;
  }
  const wxRealPoint held = PictureAt(canvasPoint);
  const double zoom = std::clamp(m_zoom * factor, 1.0, kMaxZoom);
  if (zoom == m_zoom) {
    return;
  }
  m_zoom = zoom;
  // Put `held` back under the pointer, then keep the picture over the pane.
  const wxSize area = m_canvas->GetClientSize();
  const double scale = Scale();
  m_centre = {held.x + (area.x / 2.0 - canvasPoint.x) / scale,
              held.y + (area.y / 2.0 - canvasPoint.y) / scale};
  ClampCentre();
  m_canvas->SetCursor(m_zoom > 1.0 ? wxCursor(wxCURSOR_HAND) : wxNullCursor);
  m_canvas->Refresh();
}

void PreviewPane::ZoomIn() {
  const wxSize area = m_canvas->GetClientSize();
  ZoomAt(kZoomStep, wxPoint(area.x / 2, area.y / 2));
}

void PreviewPane::ZoomOut() {
  const wxSize area = m_canvas->GetClientSize();
  ZoomAt(1.0 / kZoomStep, wxPoint(area.x / 2, area.y / 2));
}

void PreviewPane::ZoomToFit() {
  ZoomAt(0.0, wxPoint());
}

void PreviewPane::OnWheel(wxMouseEvent& event) {
  const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
  ZoomAt(std::pow(kZoomStep, static_cast<double>(event.GetWheelRotation()) / delta),
         event.GetPosition());
}

void PreviewPane::OnKey(wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case '+':
    case '=':
    case WXK_NUMPAD_ADD:
      ZoomIn();
      break;
    case '-':
    case WXK_NUMPAD_SUBTRACT:
      ZoomOut();
      break;
    default:
      event.Skip();
  }
}

void PreviewPane::OnLeftDown(wxMouseEvent& event) {
  event.Skip();
  m_canvas->SetFocus();
  if (m_zoom > 1.0 && !m_dragging) {
    m_dragging = true;
    m_dragStart = event.GetPosition();
    m_dragCentre = m_centre;
    m_canvas->CaptureMouse();
  }
}

void PreviewPane::EndDrag() {
  if (m_dragging) {
    m_dragging = false;
    if (m_canvas->HasCapture()) {
      m_canvas->ReleaseMouse();
    }
  }
}

void PreviewPane::OnLeftUp(wxMouseEvent& event) {
  event.Skip();
  EndDrag();
}

void PreviewPane::OnMotion(wxMouseEvent& event) {
  event.Skip();
  if (m_dragging) {
    const double scale = Scale();
    const wxPoint moved = event.GetPosition() - m_dragStart;
    m_centre = {m_dragCentre.x - moved.x / scale, m_dragCentre.y - moved.y / scale};
    ClampCentre();
    m_canvas->Refresh();
  }
  ShowReadout(ReadoutAt(event.GetPosition()));
}

void PreviewPane::OnLeave(wxMouseEvent& event) {
  event.Skip();
  ShowReadout({});
}

wxString PreviewPane::ReadoutAt(const wxPoint& canvasPoint) const {
  const wxImage& picture = Picture();
  if (!picture.IsOk()) {
    return {};
  }
  const wxRealPoint at = PictureAt(canvasPoint);
  const int width = picture.GetWidth();
  const int height = picture.GetHeight();
  if (!(at.x >= 0.0 && at.y >= 0.0 && at.x < width && at.y < height)) {
    return {};
  }
  // The relief covers the boards' windows only: 72 pixels a board, the last
  // column and row as far as their windows reach.
  const std::int64_t gridWidth = std::int64_t{m_boardCols} * kBoardSide + kWindowSide - kBoardSide;
  const std::int64_t gridHeight = std::int64_t{m_boardRows} * kBoardSide + kWindowSide - kBoardSide;
  const auto sample = [this](double at, std::int64_t side) {
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(at * m_factor), 0, side - 1);
  };
  const std::int64_t x = sample(at.x, gridWidth);
  const std::int64_t y = sample(at.y, gridHeight);
  PointerSpot spot;
  spot.x = static_cast<int>(x);
  spot.y = static_cast<int>(y) + m_topOffset;
  const std::size_t pixel = static_cast<std::size_t>(at.y) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(at.x);
  if (m_boardCols > 0 && m_boardRows > 0 &&
      m_heights.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) &&
      !std::isnan(m_heights[pixel])) {
    spot.onBoards = true;
    spot.col = static_cast<int>(std::min<std::int64_t>(x / kBoardSide, m_boardCols - 1));
    spot.row = static_cast<int>(std::min<std::int64_t>(y / kBoardSide, m_boardRows - 1));
    spot.metres = m_heights[pixel];
  }
  return wxString::FromUTF8(PointerText(spot));
}

void PreviewPane::ShowReadout(const wxString& text) {
  auto* frame = dynamic_cast<wxFrame*>(wxGetTopLevelParent(this));
  wxStatusBar* status = frame != nullptr ? frame->GetStatusBar() : nullptr;
  if (status == nullptr) {
    return;
  }
  if (text.empty()) {
    if (m_readoutShown) {
      m_readoutShown = false;
      status->SetStatusText(m_statusBefore);
    }
    return;
  }
  if (!m_readoutShown) {
    m_readoutShown = true;
    m_statusBefore = status->GetStatusText();
  }
  status->SetStatusText(text);
}

void PreviewPane::OnPaintPicture(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(m_canvas);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  const wxImage& picture = Picture();
  if (!picture.IsOk()) {
    return;
  }
  // Only the part of the picture in view is scaled: at a large zoom the
  // whole would be far bigger than the pane.
  const wxSize area = m_canvas->GetClientSize();
  const double scale = Scale();
  const wxRealPoint origin = Origin();
  const int left = std::max(0, static_cast<int>(std::floor(-origin.x / scale)));
  const int top = std::max(0, static_cast<int>(std::floor(-origin.y / scale)));
  const int right =
      std::min(picture.GetWidth(), static_cast<int>(std::ceil((area.x - origin.x) / scale)));
  const int bottom =
      std::min(picture.GetHeight(), static_cast<int>(std::ceil((area.y - origin.y) / scale)));
  if (right <= left || bottom <= top) {
    return;
  }
  const int x = static_cast<int>(std::lround(origin.x + left * scale));
  const int y = static_cast<int>(std::lround(origin.y + top * scale));
  const int width = std::max(1, static_cast<int>(std::lround(origin.x + right * scale)) - x);
  const int height = std::max(1, static_cast<int>(std::lround(origin.y + bottom * scale)) - y);
  const wxRect source(left, top, right - left, bottom - top);
  if (!m_scaled.IsOk() || m_scaledSource != source || m_scaled.GetWidth() != width ||
      m_scaled.GetHeight() != height) {
    const wxImage part =
        source.GetSize() == picture.GetSize() ? picture : picture.GetSubImage(source);
    m_scaled = wxBitmap(part.Scale(
        width, height, scale >= kSharpScale ? wxIMAGE_QUALITY_NEAREST : wxIMAGE_QUALITY_BILINEAR));
    m_scaledSource = source;
  }
  dc.DrawBitmap(m_scaled, x, y);
}

void PreviewPane::OnLocate(wxCommandEvent&) {
  FileDialogRequest request;
  request.message = "Locate tile_blank.dat";
  request.wildcard = kTemplateWildcard;
  request.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  const auto chosen = ShowFileDialog(this, request);
  if (!chosen || m_lookup.settingsFolder.empty()) {
    return;
  }
  // A copy in the settings folder serves every project from any folder.
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path folder = fs::path(m_lookup.settingsFolder);
  fs::create_directories(folder, error);
  fs::copy_file(fs::path(std::string(chosen->utf8_str())), folder / kTileTemplateFile,
                fs::copy_options::overwrite_existing, error);
  if (error) {
    ShowMessageBox("tile_blank.dat could not be copied to " + wxString::FromUTF8(folder.string()),
                   "Kem", wxOK | wxICON_EXCLAMATION, this);
  }
  StartSurvey();
}

}  // namespace kem::app
