// Help: the help book's topics by context number, and the help viewer.
//
// Each control of the project form has a help context number (see
// FormControlHelpContext); the book has one page for each, one for the
// preview pane beside the form, and one contents page for the program as a
// whole.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <wx/string.h>

class wxHtmlHelpController;
class wxWindow;

namespace kem::app {

// Help context of a form control (control number -> context number), in the
// order of the form's help table, or of the preview pane (kIdPreviewPane);
// statics and unknown numbers have none.
std::optional<std::uint32_t> HelpContextForControl(int controlId);

// The book's page for a context number, or an empty string for none.
std::string HelpTopicPage(std::uint32_t context);

// The book's contents page.
inline constexpr char kHelpContentsPage[] = "index.html";

// Where the help book (kem.hhp) is: $KEM_HELP_DIR, help/ beside the program,
// ../share/kem/help from it (the installed layouts), or, in a build made to
// run from its build folder, the source tree's help/.
wxString FindHelpBook();

// The help viewer of the application, created on first use.
class HelpViewer {
 public:
  HelpViewer();
  ~HelpViewer();
  // Opens the contents page. False when the book cannot be found.
  bool ShowContents();
  // Opens the topic of a form control; controls without help show nothing.
  bool ShowControl(int controlId);
  // Opens the topic of `window` or, when it has none, of the nearest window
  // around it that has one (a part of the preview pane shows the pane's).
  // False, showing nothing, when none has a topic or `window` is null.
  bool ShowWindow(const wxWindow* window);
  // Closes the help window, if it is open.
  void Close();
  // Page shown last, for tests ("" before any).
  const std::string& LastPage() const { return m_lastPage; }

 private:
  bool ShowPage(const std::string& page);

  std::unique_ptr<wxHtmlHelpController> m_controller;
  bool m_loaded = false;
  std::string m_lastPage;
};

}  // namespace kem::app
