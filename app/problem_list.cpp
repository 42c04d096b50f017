#include "app/problem_list.h"

#include <string>
#include <vector>

#include <wx/artprov.h>
#include <wx/imaglist.h>

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
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_NO_HEADER | wxLC_SINGLE_SEL) {
  auto* icons = new wxImageList(kIconSide, kIconSide);
  for (const char* id : {wxART_ERROR, wxART_WARNING, wxART_INFORMATION}) {
    icons->Add(wxArtProvider::GetBitmap(id, wxART_MESSAGE_BOX, wxSize(kIconSide, kIconSide)));
  }
  AssignImageList(icons, wxIMAGE_LIST_SMALL);
  InsertColumn(0, "Problem");
  Bind(wxEVT_SIZE, &ProblemList::OnSize, this);
}

void ProblemList::Show(const PreviewSurvey& preview) {
  Freeze();
  DeleteAllItems();
  const ProjectSurvey& survey = preview.survey;
  for (std::size_t i = 0; i < survey.problems.size(); ++i) {
    Add(ProblemKind::kError, wxString::FromUTF8(survey.problems[i]));
    // The detail line under its message, as the message box shows it.
    if (i < survey.problemDetails.size() && !survey.problemDetails[i].empty()) {
      Add(ProblemKind::kError, wxString::FromUTF8("  " + survey.problemDetails[i]), false);
    }
  }
  for (const std::string& warning : survey.warnings) {
    Add(ProblemKind::kWarning, wxString::FromUTF8(warning));
  }
  for (const std::string& note : survey.notes) {
    Add(ProblemKind::kInformation, wxString::FromUTF8(note));
  }
  Add(ProblemKind::kInformation, PlaceLine(kTileTemplateFile, preview.tileTemplate,
                                           preview.templatePlaces, preview.tileTemplateFound));
  Add(ProblemKind::kInformation, PlaceLine(kTextureListFile, preview.textureList,
                                           preview.texturePlaces, preview.textureListFound));
  Thaw();
}

ProblemKind ProblemList::KindOf(long row) const {
  return static_cast<ProblemKind>(GetItemData(row));
}

void ProblemList::Add(ProblemKind kind, const wxString& text, bool withIcon) {
  const long row = InsertItem(GetItemCount(), text, withIcon ? static_cast<int>(kind) : -1);
  SetItemData(row, static_cast<long>(kind));
}

void ProblemList::OnSize(wxSizeEvent& event) {
  event.Skip();
  SetColumnWidth(0, GetClientSize().x);
}

}  // namespace kem::app
