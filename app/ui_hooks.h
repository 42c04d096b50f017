// Message boxes, file dialogs and folders shown by the desktop application.
//
// Everything the application asks the user goes through these calls, so
// that a scripted session (the GUI tests) can answer instead of a person.
// Without an answer installed they show the real modal dialogs.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include <wx/string.h>
#include <wx/window.h>

namespace kem::app {

// Shows wxMessageBox(text, caption, style, parent) and returns its answer
// (wxOK, wxCANCEL, wxYES, wxNO).
int ShowMessageBox(const wxString& text, const wxString& caption, long style,
                   wxWindow* parent = nullptr);

using MessageBoxAnswer =
    std::function<int(const wxString& text, const wxString& caption, long style)>;
// Answers every later message box with `answer` instead of showing it; an
// empty function shows them again.
void SetMessageBoxAnswer(MessageBoxAnswer answer);

// Asks "Save changes to NAME?" with the buttons Save, Don't Save and Cancel,
// through the same answer as ShowMessageBox (style wxYES_NO | wxCANCEL |
// wxICON_QUESTION, caption "Kem"). Returns wxYES (Save), wxNO (Don't Save) or
// wxCANCEL.
int ShowSaveQuestion(const wxString& name, wxWindow* parent = nullptr);

// One file dialog as the application asks for it.
struct FileDialogRequest {
  wxString message;
  wxString wildcard;
  long style = 0;  // wxFD_OPEN or wxFD_SAVE, plus wxFD_FILE_MUST_EXIST and the like
  // When not null, the dialog shows the "crop to whole boards" checkbox
  // (kFitBoardsLabel) ticked as *fitBoards says, and stores its state there
  // when the user confirms.
  bool* fitBoards = nullptr;
  wxString directory;  // the folder it starts in; empty for the toolkit's choice
  wxString fileName;   // the name it offers, without folder; may be empty
  // When not null, several files may be chosen: the first is returned, the
  // others are stored here in the order the dialog gives them.
  std::vector<wxString>* morePaths = nullptr;
};

inline constexpr char kFitBoardsLabel[] = "Crop to whole boards (72 c + 4 by 72 r + 4 pixels)";

// Shows the file dialog and returns the chosen full path, or nothing when it
// was cancelled.
std::optional<wxString> ShowFileDialog(wxWindow* parent, const FileDialogRequest& request);

using FileDialogAnswer = std::function<std::optional<wxString>(const FileDialogRequest&)>;
// Answers every later file dialog with `answer`; an empty function shows them again.
void SetFileDialogAnswer(FileDialogAnswer answer);

// Opens `folder` in the system's file manager; false when that failed.
bool ShowFolder(const wxString& folder);

using ShowFolderAnswer = std::function<bool(const wxString& folder)>;
// Answers every later ShowFolder with `answer`; an empty function opens them again.
void SetShowFolderAnswer(ShowFolderAnswer answer);

}  // namespace kem::app
