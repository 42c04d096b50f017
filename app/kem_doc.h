// CKemDoc: the one terrain project of the application. It owns the
// ProjectSettings that the form edits and Generate runs, and stores them in
// project files (no extension of their own).
//
// The project is never marked modified, so New, Open and Exit never ask
// whether to save it. A file that cannot be read leaves the project as it was.
#pragma once

#include <wx/docview.h>

#include "core/project_settings.h"

namespace kem::app {

// Project files have no extension of their own: the file dialogs list all files.
inline constexpr char kProjectFileWildcard[] = "All Files (*)|*";

class CKemDoc : public wxDocument {
 public:
  CKemDoc() = default;

  // Sets the new-project defaults and updates the views.
  bool OnNewDocument() override;
  // Reads the project at `filename`; on failure shows why and changes nothing.
  bool OnOpenDocument(const wxString& filename) override;
  // Save writes the file every time, even though the project is never
  // marked modified; without a path yet it asks for one.
  bool Save() override;
  // Asks for a file name (all files listed, no extension added) and saves.
  bool SaveAs() override;
  // Never modified, so never asks.
  bool OnSaveModified() override { return true; }
  void Modify(bool) override {}

  ProjectSettings& Settings() { return m_settings; }

 protected:
  bool DoSaveDocument(const wxString& file) override;
  bool DoOpenDocument(const wxString& file) override;

 private:
  ProjectSettings m_settings;

  wxDECLARE_DYNAMIC_CLASS(CKemDoc);
};

}  // namespace kem::app
