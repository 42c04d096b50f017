#include "app/problem_list.h"

#include <string>
#include <vector>

#include <wx/artprov.h>
#include <wx/imaglist.h>

#include "core/generate_terrain.h"
#include "core/texture_table.h"

namespace kem::app {
namespace {

constexpr int kIconSide = 16;

// A place as the user reads it: a relative one is in the current folder.
std::string Shown(const std::string& path) {
  return path.empty() || path.front() == '/' ? path : "./" + path;
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
  for (const std::string& problem : preview.survey.problems) {
    Add(ProblemKind::kError, wxString::FromUTF8(problem));
  }
  for (const std::string& warning : preview.survey.warnings) {
    Add(ProblemKind::kWarning, wxString::FromUTF8(warning));
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

void ProblemList::Add(ProblemKind kind, const wxString& text) {
  const long row = InsertItem(GetItemCount(), text, static_cast<int>(kind));
  SetItemData(row, static_cast<long>(kind));
}

void ProblemList::OnSize(wxSizeEvent& event) {
  event.Skip();
  SetColumnWidth(0, GetClientSize().x);
}

}  // namespace kem::app
