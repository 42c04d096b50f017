#include "app/preview_pane.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <wx/dcbuffer.h>
#include <wx/filedlg.h>
#include <wx/sizer.h>

#include "app/command_ids.h"
#include "app/ui_hooks.h"
#include "core/file_lookup.h"
#include "core/generate_terrain.h"
#include "core/texture_table.h"

namespace kem::app {
namespace {

// Long enough to let a typed number finish, short enough to feel immediate.
constexpr int kDebounceMs = 250;
constexpr int kMargin = 6;
constexpr char kTemplateWildcard[] = "Tile template (tile_blank.dat)|tile_blank.dat|All Files|*";

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
    m_canvas->Refresh();
  });
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
  m_pictures = {ToImage(survey.relief), ToImage(survey.guideRelief), ToImage(survey.minimapRelief)};
  for (auto [toggle, overlay] : {std::pair{m_guideToggle, Overlay::kTexturingGuide},
                                 std::pair{m_minimapToggle, Overlay::kMinimap}}) {
    const bool available = m_pictures[static_cast<std::size_t>(overlay)].IsOk();
    toggle->Enable(available);
    if (!available) {
      toggle->SetValue(false);
    }
  }
  m_summary->SetLabel(SurveySummary(survey));
  m_problems->Show(preview);
  m_locate->Show(!preview.tileTemplateFound);
  Layout();
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

void PreviewPane::OnPaintPicture(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(m_canvas);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  const wxImage& picture = Picture();
  if (!picture.IsOk()) {
    return;
  }
  const wxSize area = m_canvas->GetClientSize();
  const double scale = std::min(static_cast<double>(area.x) / picture.GetWidth(),
                                static_cast<double>(area.y) / picture.GetHeight());
  const int width = std::max(1, static_cast<int>(picture.GetWidth() * scale));
  const int height = std::max(1, static_cast<int>(picture.GetHeight() * scale));
  if (!m_scaled.IsOk() || m_scaled.GetWidth() != width || m_scaled.GetHeight() != height) {
    m_scaled = wxBitmap(picture.Scale(width, height, wxIMAGE_QUALITY_BILINEAR));
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
  StartSurvey();
}

}  // namespace kem::app
