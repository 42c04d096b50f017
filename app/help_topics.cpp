#include "app/help_topics.h"

#include <array>
#include <cstdlib>
#include <utility>

#include <wx/filename.h>
#include <wx/html/helpctrl.h>
#include <wx/stdpaths.h>
#include <wx/window.h>

#include "app/command_ids.h"
#include "app/ui_hooks.h"

namespace kem::app {
namespace {

struct Topic {
  int controlId;
  const char* page;
  int number = controlId;  // the control's number in the form's help table
};

// The controls with help, in the order of the form's help table, and the
// preview pane beside the form.
constexpr std::array<Topic, 13> kTopics = {{
    {kIdHeightMapPath, "height_map.html"},
    {kIdFilterGuidePath, "filter_guide.html"},
    {kIdFilterRadius, "filter_radius.html"},
    {kIdMaxHeight, "max_height.html"},
    {kIdBaseHeight, "base_height.html"},
    {kIdMinimapPath, "minimap.html"},
    {kIdOutputPath, "output_file.html"},
    {kIdTexturingGuidePath, "texturing_guide.html"},
    {kIdRandomize, "randomize.html"},
    {kIdDataFormat, "data_format.html"},
    {kIdInterpolate, "interpolate.html"},
    {kIdGenerate, "generate.html", kGenerateCommand},
    {kIdPreviewPane, "preview.html"},
}};

bool IsBook(const wxString& dir) {
  return wxFileName(dir, "kem.hhp").FileExists();
}

}  // namespace

std::optional<std::uint32_t> HelpContextForControl(int controlId) {
  for (const Topic& topic : kTopics) {
    if (topic.controlId == controlId) {
      return FormControlHelpContext(topic.number);
    }
  }
  return std::nullopt;
}

std::string HelpTopicPage(std::uint32_t context) {
  for (const Topic& topic : kTopics) {
    if (FormControlHelpContext(topic.number) == context) {
      return topic.page;
    }
  }
  return {};
}

wxString FindHelpBook() {
  wxString dir;
  if (wxGetEnv("KEM_HELP_DIR", &dir) && IsBook(dir)) {
    return wxFileName(dir, "kem.hhp").GetFullPath();
  }
  // Where an installed program has it: "help" beside the executable (the
  // Windows zip), or ../share/kem/help from it (Linux and the Windows setup).
  const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
  wxFileName beside = wxFileName::DirName(exe.GetPath());
  beside.AppendDir("help");
  wxFileName shared = wxFileName::DirName(exe.GetPath());
  shared.RemoveLastDir();
  shared.AppendDir("share");
  shared.AppendDir("kem");
  shared.AppendDir("help");
  for (const wxFileName& folder : {beside, shared}) {
    if (IsBook(folder.GetPath())) {
      return wxFileName(folder.GetPath(), "kem.hhp").GetFullPath();
    }
  }
#ifdef KEM_SOURCE_HELP_DIR
  if (IsBook(KEM_SOURCE_HELP_DIR)) {
    return wxString(KEM_SOURCE_HELP_DIR) + "/kem.hhp";
  }
#endif
  return {};
}

HelpViewer::HelpViewer() = default;
HelpViewer::~HelpViewer() = default;

bool HelpViewer::ShowContents() {
  return ShowPage(kHelpContentsPage);
}

bool HelpViewer::ShowControl(int controlId) {
  const auto context = HelpContextForControl(controlId);
  if (!context) {
    return false;
  }
  return ShowPage(HelpTopicPage(*context));
}

bool HelpViewer::ShowWindow(const wxWindow* window) {
  for (; window != nullptr; window = window->GetParent()) {
    if (HelpContextForControl(window->GetId())) {
      return ShowControl(window->GetId());
    }
  }
  return false;
}

void HelpViewer::Close() {
  if (m_controller) {
    m_controller->Quit();
  }
}

bool HelpViewer::ShowPage(const std::string& page) {
  m_lastPage = page;
  if (!m_controller) {
    m_controller = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE);
    m_controller->SetShouldPreventAppExit(false);
    const wxString book = FindHelpBook();
    m_loaded = !book.empty() && m_controller->AddBook(wxFileName(book));
  }
  if (!m_loaded) {
    ShowMessageBox("The help book of Kem (kem.hhp) was not found.", "Kem",
                   wxOK | wxICON_EXCLAMATION);
    return false;
  }
  return m_controller->Display(wxString::FromUTF8(page));
}

}  // namespace kem::app
