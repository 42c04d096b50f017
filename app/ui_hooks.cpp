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

void SetMessageBoxAnswer(MessageBoxAnswer answer) {
  MessageAnswer() = std::move(answer);
}

std::optional<wxString> ShowFileDialog(wxWindow* parent, const FileDialogRequest& request) {
  if (FileAnswer()) {
    return FileAnswer()(request);
  }
  wxFileDialog dialog(parent, request.message, wxString(), wxString(), request.wildcard,
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
