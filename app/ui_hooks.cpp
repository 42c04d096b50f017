#include "app/ui_hooks.h"

#include <utility>

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

namespace kem::app {
namespace {

MessageBoxAnswer& MessageAnswer() {
  static MessageBoxAnswer answer;
  return answer;
}

FileDialogAnswer& FileAnswer() {
  static FileDialogAnswer answer;
  return answer;
}

}  // namespace

int ShowMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
  if (MessageAnswer()) {
    return MessageAnswer()(text, caption, style);
  }
  return wxMessageBox(text, caption, style, parent);
}

int ShowSaveQuestion(const wxString& name, wxWindow* parent) {
  const wxString text = wxString::Format("Save changes to %s?", name);
  constexpr long kStyle = wxYES_NO | wxCANCEL | wxICON_QUESTION;
  if (MessageAnswer()) {
    return MessageAnswer()(text, "Kem", kStyle);
  }
  wxMessageDialog dialog(parent, text, "Kem", kStyle);
  dialog.SetYesNoCancelLabels("&Save", "Do&n't Save", "Cancel");
  switch (dialog.ShowModal()) {
    case wxID_YES:
      return wxYES;
    case wxID_NO:
      return wxNO;
    default:
      return wxCANCEL;
  }
}

void SetMessageBoxAnswer(MessageBoxAnswer answer) {
  MessageAnswer() = std::move(answer);
}

std::optional<wxString> ShowFileDialog(wxWindow* parent, const FileDialogRequest& request) {
  if (FileAnswer()) {
    return FileAnswer()(request);
  }
  wxFileDialog dialog(parent, request.message, request.directory, wxString(), request.wildcard,
                      request.style);
  if (dialog.ShowModal() != wxID_OK) {
    return std::nullopt;
  }
  return dialog.GetPath();
}

void SetFileDialogAnswer(FileDialogAnswer answer) {
  FileAnswer() = std::move(answer);
}

}  // namespace kem::app
