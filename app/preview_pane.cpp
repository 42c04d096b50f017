#include "app/preview_pane.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <wx/dcbuffer.h>
#include <wx/filedlg.h>
#include <wx/sizer.h>

#include "app/ui_hooks.h"
#include "core/generate_terrain.h"

namespace kem::app {
namespace {

// Long enough to let a typed number finish, short enough to feel immediate.
constexpr int kDebounceMs = 250;
constexpr int kMargin = 6;
constexpr char kTemplateWildcard[] = "Tile template (tile_blank.dat)|tile_blank.dat|All Files|*";

wxString Megabytes(std::int64_t bytes) {
  return wxString::Format("%.1f MB", static_cast<double>(bytes) / 1e6);
}

}  // namespace

wxString SurveySummary(const ProjectSurvey& survey) {
  if (!survey.imageOpened) {
    return "No height map to survey";
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
    : wxPanel(parent),
      m_timer(this),
      m_worker(this, [this](PreviewSurvey&& preview) { ShowSurvey(std::move(preview)); }) {
  m_canvas = new wxWindow(this, wxID_ANY, wxDefaultPosition, wxSize(240, 180));
  m_canvas->SetBackgroundStyle(wxBG_STYLE_PAINT);
  m_canvas->Bind(wxEVT_PAINT, &PreviewPane::OnPaintPicture, this);
  m_canvas->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    m_canvas->Refresh();
  });
  m_summary = new wxStaticText(this, wxID_ANY, "No height map to survey");
  m_problems = new ProblemList(this);
  m_locate = new wxButton(this, wxID_ANY, "Locate tile_blank.dat...");
  m_locate->Hide();
  m_locate->Bind(wxEVT_BUTTON, &PreviewPane::OnLocate, this);

  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_canvas, 3, wxEXPAND | wxALL, kMargin);
  sizer->Add(m_summary, 0, wxEXPAND | wxLEFT | wxRIGHT, kMargin);
  sizer->Add(m_problems, 2, wxEXPAND | wxALL, kMargin);
  sizer->Add(m_locate, 0, wxLEFT | wxRIGHT | wxBOTTOM, kMargin);
  SetSizer(sizer);
  Bind(wxEVT_TIMER, &PreviewPane::OnTimer, this);
}

void PreviewPane::Request(const ProjectSettings& settings, const FileLookup& lookup) {
  m_settings = settings;
  m_lookup = lookup;
  m_timer.StartOnce(kDebounceMs);
}

void PreviewPane::OnTimer(wxTimerEvent&) {
  m_worker.Start(m_settings, m_lookup);
}

void PreviewPane::ShowSurvey(PreviewSurvey&& preview) {
  const RgbImage& relief = preview.survey.relief;
  if (relief.width > 0 && relief.height > 0 &&
      relief.pixels.size() == static_cast<std::size_t>(relief.width) * relief.height * 3) {
    // wxImage frees its data with free().
    auto* data = static_cast<unsigned char*>(std::malloc(relief.pixels.size()));
    std::memcpy(data, relief.pixels.data(), relief.pixels.size());
    m_picture = wxImage(relief.width, relief.height, data);
  } else {
    m_picture = wxImage();
  }
  m_scaled = wxBitmap();
  m_summary->SetLabel(SurveySummary(preview.survey));
  m_problems->Show(preview);
  m_locate->Show(!preview.tileTemplateFound);
  Layout();
  m_canvas->Refresh();
}

void PreviewPane::OnPaintPicture(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(m_canvas);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  if (!m_picture.IsOk()) {
    return;
  }
  const wxSize area = m_canvas->GetClientSize();
  const double scale = std::min(static_cast<double>(area.x) / m_picture.GetWidth(),
                                static_cast<double>(area.y) / m_picture.GetHeight());
  const int width = std::max(1, static_cast<int>(m_picture.GetWidth() * scale));
  const int height = std::max(1, static_cast<int>(m_picture.GetHeight() * scale));
  if (!m_scaled.IsOk() || m_scaled.GetWidth() != width || m_scaled.GetHeight() != height) {
    m_scaled = wxBitmap(m_picture.Scale(width, height, wxIMAGE_QUALITY_BILINEAR));
  }
  dc.DrawBitmap(m_scaled, (area.x - width) / 2, (area.y - height) / 2);
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
  m_worker.Start(m_settings, m_lookup);
}

}  // namespace kem::app
