// CKemDoc: the one terrain project of the application. It owns the
// ProjectSettings that the form edits and Generate runs, and stores them in
// project files (no extension of their own).
//
// Editing the form marks the project modified (an asterisk in the title);
// New, Open, a recent file and Exit then ask whether to save it first. A file
// that cannot be read leaves the project as it was.
#pragma once

#include <string>

#include <wx/docview.h>

#include "core/file_lookup.h"
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
  // Save writes the file every time, modified or not; without a path yet it
  // asks for one. A height box whose text is not a number stops it with
  // "Please enter a number.".
  bool Save() override;
  // Asks for a file name (all files listed, no extension added) and saves.
  // Saved into another folder, each relative path is rewritten to name the
  // same file from there, and the status bar says how many were.
  bool SaveAs() override;
  // When modified, asks "Save changes to NAME?": Save saves (false when that
  // fails or is cancelled), Don't Save drops the edits, Cancel returns false.
  bool OnSaveModified() override;

  ProjectSettings& Settings() { return m_settings; }

  // The folder of the project's file; empty while it has none.
  std::string Folder() const;

  // Where a run finds the project's files: its folder, or for an untitled
  // project the folder of the last project opened or saved (else the user's
  // documents folder), never the program's own; and the settings folder.
  FileLookup Lookup() const;

 protected:
  bool DoSaveDocument(const wxString& file) override;
  bool DoOpenDocument(const wxString& file) override;

 private:
  // Reads the form strictly; false when a height box stopped the read.
  bool TakeForm();

  ProjectSettings m_settings;

  wxDECLARE_DYNAMIC_CLASS(CKemDoc);
};

}  // namespace kem::app
