#include "app/form_command.h"

#include "app/kem_view.h"

namespace kem::app {

FormEditCommand::FormEditCommand(CKemView* view, const std::string& name,
                                 const ProjectSettings& before, const ProjectSettings& after,
                                 bool extends)
    : wxCommand(true, wxString::FromUTF8(name)),
      m_view(view),
      m_name(name),
      m_before(before),
      m_after(after),
      m_extends(extends) {}

bool FormEditCommand::Do() {
  m_view->ApplyEdit(m_after);
  return true;
}

bool FormEditCommand::Undo() {
  m_view->ApplyEdit(m_before);
  return true;
}

bool FormEditCommand::Extend(const std::string& name, const ProjectSettings& after) {
  if (!m_extends || name != m_name) {
    return false;
  }
  m_after = after;
  return true;
}

void RecordFormEdit(wxCommandProcessor& processor, CKemView* view, const std::string& name,
                    const ProjectSettings& before, const ProjectSettings& after, bool extends) {
  auto* current = dynamic_cast<FormEditCommand*>(processor.GetCurrentCommand());
  const bool newest = !processor.CanRedo();
  // A saved project must read modified after a further change of the same box.
  const bool saved = !processor.IsDirty();
  if (extends && current && newest && !saved && current->Extend(name, after)) {
    return;
  }
  processor.Store(new FormEditCommand(view, name, before, after, extends));
  processor.SetMenuStrings();
}

}  // namespace kem::app
