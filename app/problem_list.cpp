#include "app/problem_list.h"

#include <string>
#include <vector>

#include <wx/artprov.h>
#include <wx/clipbrd.h>
#include <wx/imaglist.h>
#include <wx/menu.h>

#include "core/file_problems.h"
#include "core/generate_terrain.h"
#include "core/texture_table.h"

namespace kem::app {
namespace {

constexpr int kIconSide = 16;

// A place as the user reads it: its full path.
std::string Shown(const std::string& path) {
  return ShownPath(path);
}

// "tile_blank.dat found at PATH" or "... not found; looked in A, B, C".
wxString PlaceLine(const char* name, const std::string& found,
                   const std::vector<std::string>& places, bool isFound) {
  if (isFound) {
    return wxString::FromUTF8(std::string(name) + " found at " + Shown(found));
  }
  std::string line = std::string(name) + " not found; looked in ";
  for (std::size_t i = 0; i < places.size(); ++i) {
    line += (i ? ", " : "") + Shown(places[i]);
  }
  return wxString::FromUTF8(line);
}

}  // namespace

ProblemList::ProblemList(wxWindow* parent)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_NO_HEADER) {
  auto* icons = new wxImageList(kIconSide, kIconSide);
  for (const char* id : {wxART_ERROR, wxART_WARNING, wxART_INFORMATION}) {
    icons->Add(wxArtProvider::GetBitmap(id, wxART_MESSAGE_BOX, wxSize(kIconSide, kIconSide)));
  }
  AssignImageList(icons, wxIMAGE_LIST_SMALL);
  InsertColumn(0, "Problem");
  Bind(wxEVT_SIZE, &ProblemList::OnSize, this);
  Bind(wxEVT_MOTION, &ProblemList::OnMotion, this);
  Bind(wxEVT_KEY_DOWN, &ProblemList::OnKey, this);
  Bind(wxEVT_CONTEXT_MENU, &ProblemList::OnContextMenu, this);
}

void ProblemList::Show(const PreviewSurvey& preview) {
  m_surveyEntries.clear();
  const ProjectSurvey& survey = preview.survey;
  for (std::size_t i = 0; i < survey.problems.size(); ++i) {
    // The detail line goes under its message, as the message box shows it.
    std::string entry = survey.problems[i];
    if (i < survey.problemDetails.size() && !survey.problemDetails[i].empty()) {
      entry += "\n  " + survey.problemDetails[i];
    }
    m_surveyEntries.emplace_back(ProblemKind::kError, wxString::FromUTF8(entry));
  }
  for (const std::string& warning : survey.warnings) {
    m_surveyEntries.emplace_back(ProblemKind::kWarning, wxString::FromUTF8(warning));
  }
  for (const std::string& note : survey.notes) {
    m_surveyEntries.emplace_back(ProblemKind::kInformation, wxString::FromUTF8(note));
  }
  m_surveyEntries.emplace_back(ProblemKind::kInformation,
                               PlaceLine(kTileTemplateFile, preview.tileTemplate,
                                         preview.templatePlaces, preview.tileTemplateFound));
  m_surveyEntries.emplace_back(ProblemKind::kInformation,
                               PlaceLine(kTextureListFile, preview.textureList,
                                         preview.texturePlaces, preview.textureListFound));
  Rebuild();
}

void ProblemList::SetFormProblems(const std::vector<wxString>& problems) {
  std::vector<Entry> entries;
  for (const wxString& problem : problems) {
    entries.emplace_back(ProblemKind::kError, problem);
  }
  if (entries != m_formEntries) {
    m_formEntries = std::move(entries);
    Rebuild();
  }
}

void ProblemList::Rebuild() {
  Freeze();
  DeleteAllItems();
  m_rowEntries.clear();
  m_tipRow = -1;
  UnsetToolTip();
  for (const auto* entries : {&m_formEntries, &m_surveyEntries}) {
    for (const Entry& entry : *entries) {
      const wxArrayString lines = wxSplit(entry.second, '\n', '\0');
      for (std::size_t i = 0; i < lines.size(); ++i) {
        // The lines after the first are the entry's detail: indented, no icon.
        const wxString text = i == 0 ? lines[i] : "  " + lines[i].Strip(wxString::leading);
        const long row =
            InsertItem(GetItemCount(), text, i == 0 ? static_cast<int>(entry.first) : -1);
        SetItemData(row, static_cast<long>(entry.first));
        m_rowEntries.push_back(&entry);
      }
    }
  }
  Thaw();
}

ProblemKind ProblemList::KindOf(long row) const {
  return static_cast<ProblemKind>(GetItemData(row));
}

wxString ProblemList::EntryOf(long row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_rowEntries.size()) {
    return {};
  }
  return m_rowEntries[static_cast<std::size_t>(row)]->second;
}

wxString ProblemList::SelectedText() const {
  wxString text;
  const Entry* last = nullptr;
  for (long row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
       row = GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
    const Entry* entry = m_rowEntries[static_cast<std::size_t>(row)];
    if (entry != last) {
      text += entry->second + "\n";
      last = entry;
    }
  }
  return text;
}

bool ProblemList::CopySelection() {
  const wxString text = SelectedText();
  if (text.empty() || !wxTheClipboard->Open()) {
    return false;
  }
  wxTheClipboard->SetData(new wxTextDataObject(text));
  wxTheClipboard->Close();
  return true;
}

void ProblemList::OnSize(wxSizeEvent& event) {
  event.Skip();
  SetColumnWidth(0, GetClientSize().x);
}

void ProblemList::OnMotion(wxMouseEvent& event) {
  event.Skip();
  int flags = 0;
  const long row = HitTest(event.GetPosition(), flags);
  if (row == m_tipRow) {
    return;
  }
  m_tipRow = row;
  if (row < 0) {
    UnsetToolTip();
  } else {
    SetToolTip(EntryOf(row));
  }
}

void ProblemList::OnKey(wxKeyEvent& event) {
  if (event.GetModifiers() == wxMOD_CONTROL &&
      (event.GetKeyCode() == 'C' || event.GetKeyCode() == WXK_INSERT)) {
    CopySelection();
    return;
  }
  event.Skip();
}

void ProblemList::OnContextMenu(wxContextMenuEvent& event) {
  if (SelectedText().empty()) {
    event.Skip();
    return;
  }
  wxMenu menu;
  menu.Append(wxID_COPY, "&Copy\tCtrl+C");
  if (GetPopupMenuSelectionFromUser(menu) == wxID_COPY) {
    CopySelection();
  }
}

}  // namespace kem::app
