// One change of the project made in the form, as Edit > Undo and Redo take
// it back and make it again: the settings before and after it. Typing into
// one box (or dragging the slider) makes one change, not one per key.
#pragma once

#include <string>

#include <wx/cmdproc.h>

#include "core/project_settings.h"

namespace kem::app {

class CKemView;

class FormEditCommand : public wxCommand {
 public:
  // `name` says what changed ("Base height"); `extends` lets a later change
  // of the same name add to this one.
  FormEditCommand(CKemView* view, const std::string& name, const ProjectSettings& before,
                  const ProjectSettings& after, bool extends);

  // The settings after the change (already in place when it is recorded).
  bool Do() override;
  bool Undo() override;
  bool CanUndo() const override { return true; }

  // Takes `after` as the end of this change when `name` continues it.
  bool Extend(const std::string& name, const ProjectSettings& after);

 private:
  CKemView* m_view;
  std::string m_name;
  ProjectSettings m_before;
  ProjectSettings m_after;
  bool m_extends;
};

// Records a change already made, as the newest on `processor`: continues the
// current change when it is of the same kind and nothing was taken back
// since, else stores a new one.
void RecordFormEdit(wxCommandProcessor& processor, CKemView* view, const std::string& name,
                    const ProjectSettings& before, const ProjectSettings& after, bool extends);

}  // namespace kem::app
