// The desktop application driven through its own windows: the main window,
// the project form and its notifications, projects saved and opened, a
// generation run from the Generate button, and the Convert command.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dnd.h>
#include <wx/event.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filehistory.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include "app/about_dlg.h"
#include "app/command_ids.h"
#include "app/dem_import_command.h"
#include "app/dem_import_dlg.h"
#include "app/doc_manager.h"
#include "app/kem_app.h"
#include "app/kem_doc.h"
#include "app/kem_view.h"
#include "app/main_frame.h"
#include "app/preview_pane.h"
#include "app/problem_list.h"
#include "app/project_form.h"
#include "app/ui_hooks.h"
#include "control_events.h"
#include "core/project_file.h"
#include "frame_input.h"
#include "support/test_support.h"

namespace kem::app {
namespace {

namespace fs = std::filesystem;

struct ShownMessage {
  wxString text;
  wxString caption;
  long style = 0;
};

fs::path SourceDir() {
  const char* dir = std::getenv("KEM_SOURCE_DIR");
  return dir ? fs::path(dir) : fs::path(KEM_TEST_SOURCE_DIR);
}

void Pump() {
  for (int i = 0; i < 3; ++i) {
    wxTheApp->Yield(true);
  }
}

// Writes a picture of `window` (as it is on the screen) to the screenshot
// folder, when the test run names one. During a run only drawing is let
// through first, so that no input or idle handler runs inside the run.
void Screenshot(wxWindow* window, const std::string& name, bool duringRun = false) {
  const char* dir = std::getenv("KEM_SCREENSHOT_DIR");
  if (!dir) {
    return;
  }
  window->Raise();
  window->Update();
  for (int i = 0; i < 20; ++i) {
    if (duringRun) {
      wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_UI);
    } else {
      wxTheApp->Yield(true);
    }
    wxMilliSleep(10);
  }
  // The screen counts physical pixels; windows on GTK count logical ones (two
  // per physical at GDK_SCALE=2), on Windows physical ones too.
#ifdef __WXMSW__
  const double scale = 1.0;
#else
  const double scale = window->GetContentScaleFactor();
#endif
  const wxRect logical = window->GetScreenRect();
  const wxRect r(wxRound(logical.x * scale), wxRound(logical.y * scale),
                 wxRound(logical.width * scale), wxRound(logical.height * scale));
#ifdef __WXMSW__
  // No image tools of the build machine are within reach of a Windows
  // program: the screen is copied as a bitmap, which run_gui_tests.sh turns
  // into the PNG.
  wxBitmap shot(r.width, r.height);
  {
    wxMemoryDC memory(shot);
    wxScreenDC screen;
    memory.Blit(0, 0, r.width, r.height, &screen, r.x, r.y);
  }
  const fs::path bmp = (fs::path(dir) / name).replace_extension(".bmp");
  EXPECT_TRUE(shot.ConvertToImage().SaveFile(bmp.string(), wxBITMAP_TYPE_BMP)) << bmp;
#else
  const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                              std::to_string(r.height) + "+" + std::to_string(r.x) + "+" +
                              std::to_string(r.y) + " +repage '" + (fs::path(dir) / name).string() +
                              "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
#endif
}

class KemApp : public testing::Test {
 protected:
  void SetUp() override {
    m_app = CKemApp::Get();
    ASSERT_NE(m_app, nullptr);
    m_frame = m_app->MainFrame();
    ASSERT_NE(m_frame, nullptr);
    SetMessageBoxAnswer([this](const wxString& text, const wxString& caption, long style) {
      m_messages.push_back({text, caption, style});
      m_frameEnabledAtMessage.push_back(FrameTakesInput(*m_frame));
      if ((style & wxYES_NO) && (style & wxCANCEL)) {
        return m_saveAnswer;
      }
      if (style & wxYES_NO) {
        return m_answerYes ? wxYES : wxNO;
      }
      return (style & wxCANCEL) && !m_answerOk ? wxCANCEL : wxOK;
    });
    m_previousDir = fs::current_path();
    m_folder.Chdir();
    NewProject();
  }

  void TearDown() override {
    // The next test starts from a project without edits to save.
    if (m_view && m_view->GetDocument()) {
      m_view->GetDocument()->Modify(false);
    }
    SetMessageBoxAnswer({});
    SetFileDialogAnswer({});
    fs::current_path(m_previousDir);
  }

  void NewProject() {
    Menu(wxID_NEW);
    m_view = dynamic_cast<CKemView*>(m_app->DocManager()->GetCurrentView());
    ASSERT_NE(m_view, nullptr);
    m_form = nullptr;
    for (wxWindow* child : m_frame->GetChildren()) {
      if (auto* form = dynamic_cast<ProjectForm*>(child)) {
        m_form = form;
      }
    }
    ASSERT_NE(m_form, nullptr);
  }

  ProjectSettings& Settings() { return m_view->GetDocument()->Settings(); }

  void Menu(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(m_frame);
    m_frame->ProcessWindowEvent(event);
    Pump();
  }

  // Typing into a box: the box changes and notifies as a key press would.
  void Type(wxTextCtrl* box, const std::string& text) {
    box->SetValue(wxString::FromUTF8(text));
    Pump();
  }

  void Click(wxButton* button) {
    SendClick(button);
    Pump();
  }

  void Choose(int format) {
    SendChoice(m_form->dataFormat, format);
    Pump();
  }

  void Tick(wxCheckBox* box, bool ticked) {
    SendTick(box, ticked);
    Pump();
  }

  void ClickArrow(SpinArrows* spin, bool up) {
    const wxSize size = spin->GetClientSize();
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.SetPosition(wxPoint(size.x / 2, up ? 1 : size.y - 2));
    down.SetEventObject(spin);
    spin->ProcessWindowEvent(down);
    wxMouseEvent release(wxEVT_LEFT_UP);
    release.SetEventObject(spin);
    spin->ProcessWindowEvent(release);
    Pump();
  }

  void AnswerFileDialog(const std::string& path) {
    SetFileDialogAnswer([path, this](const FileDialogRequest& request) -> std::optional<wxString> {
      m_fileRequests.push_back(request);
      return wxString::FromUTF8(path);
    });
  }

  std::vector<wxString> MessageTexts() const {
    std::vector<wxString> texts;
    for (const auto& m : m_messages) {
      texts.push_back(m.text);
    }
    return texts;
  }

  // Lets the preview's debounce delay pass and its survey come back.
  void WaitForPreview() {
    for (int i = 0; i < 2000 && (i < 3 || m_view->Preview()->Pending()); ++i) {
      wxTheApp->Yield(true);
      wxMilliSleep(5);
    }
    EXPECT_FALSE(m_view->Preview()->Pending());
  }

  // The rows of the problem list under the preview, and those of its errors.
  std::vector<std::string> ProblemRows(bool errorsOnly = false) const {
    std::vector<std::string> rows;
    const ProblemList* list = m_view->Preview()->Problems();
    for (long row = 0; row < list->GetItemCount(); ++row) {
      if (!errorsOnly || list->KindOf(row) == ProblemKind::kError) {
        rows.push_back(std::string(list->GetItemText(row).utf8_str()));
      }
    }
    return rows;
  }
  bool HasRow(const std::string& text) const {
    const std::vector<std::string> rows = ProblemRows();
    return std::find(rows.begin(), rows.end(), text) != rows.end();
  }

  void CopyDemoData() {
    for (const char* name :
         {"tile_blank.dat", "textures.txt", "demo_heightmap.tga", "demo_texturing_guide.tga"}) {
      fs::copy_file(SourceDir() / "data" / name, m_folder.path() / name,
                    fs::copy_options::overwrite_existing);
    }
  }

  CKemApp* m_app = nullptr;
  CMainFrame* m_frame = nullptr;
  CKemView* m_view = nullptr;
  ProjectForm* m_form = nullptr;
  test::TempDir m_folder;
  fs::path m_previousDir;
  std::vector<ShownMessage> m_messages;
  std::vector<bool> m_frameEnabledAtMessage;
  std::vector<FileDialogRequest> m_fileRequests;
  bool m_answerOk = true;
  bool m_answerYes = true;
  int m_saveAnswer = wxNO;  // the answer to "Save changes to NAME?"
};

TEST_F(KemApp, NewProjectShowsTheDefaultsInAResizableWindow) {
  EXPECT_EQ(m_frame->GetTitle(), "Kem - Untitled");
  EXPECT_TRUE(m_frame->IsShown());
  const long style = m_frame->GetWindowStyleFlag();
  EXPECT_TRUE(style & wxRESIZE_BORDER);
  EXPECT_TRUE(style & wxMAXIMIZE_BOX);
  // The form keeps its size at the left; the window never shrinks below it.
  EXPECT_EQ(m_form->GetPosition(), wxPoint(0, 0));
  EXPECT_EQ(m_form->GetSize(), m_form->GetMinSize());
  EXPECT_GT(m_frame->GetMinSize().x, m_form->GetMinSize().x);
  EXPECT_FALSE(style & wxMINIMIZE_BOX);
  EXPECT_TRUE(style & wxSYSTEM_MENU);
  EXPECT_TRUE(style & wxCAPTION);
  EXPECT_EQ(m_frame->GetStatusBar()->GetFieldsCount(), 1);
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0), "For Help, press F1");

  EXPECT_EQ(m_form->heightMapPath->GetValue(), "");
  EXPECT_EQ(m_form->baseHeight->GetValue(), "0");
  EXPECT_EQ(m_form->maxHeight->GetValue(), "0");
  EXPECT_EQ(m_form->dataFormat->GetCount(), 5u);
  EXPECT_EQ(m_form->dataFormat->GetString(1), "Terrrain colour scale");
  EXPECT_EQ(m_form->dataFormat->GetStringSelection(), "Chroma depth colours");
  EXPECT_TRUE(m_form->interpolate->GetValue());
  EXPECT_FALSE(m_form->randomize->GetValue());
  EXPECT_EQ(m_form->filterRadius->GetValue(), 2);
  EXPECT_EQ(m_form->filterRadius->GetMax(), 8);

  // Nothing to work on yet: only the paths and the pickers respond.
  EXPECT_FALSE(m_form->dataFormat->IsEnabled());
  EXPECT_FALSE(m_form->interpolate->IsEnabled());
  EXPECT_FALSE(m_form->baseHeight->IsEnabled());
  EXPECT_FALSE(m_form->baseHeightSpin->IsEnabled());
  EXPECT_FALSE(m_form->maxHeight->IsEnabled());
  EXPECT_FALSE(m_form->maxHeightSpin->IsEnabled());
  EXPECT_FALSE(m_form->randomize->IsEnabled());
  EXPECT_FALSE(m_form->filterRadius->IsEnabled());
  EXPECT_FALSE(m_form->generate->IsEnabled());
  EXPECT_TRUE(m_form->heightMapPath->IsEnabled());
  EXPECT_TRUE(m_form->pickOutput->IsEnabled());
  EXPECT_EQ(m_form->generate->GetLabel(), "&Generate .gnd file");
}

TEST_F(KemApp, MenuHasTheCommandsAndThePrompts) {
  wxMenuBar* bar = m_frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 5u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&File");
  EXPECT_EQ(bar->GetMenuLabel(1), "&Edit");
  EXPECT_EQ(bar->GetMenuLabel(2), "&Tools");
  EXPECT_EQ(bar->GetMenuLabel(3), "&View");
  EXPECT_EQ(bar->GetMenuLabel(4), "&Help");
  EXPECT_EQ(bar->FindItem(kIdGenerate)->GetItemLabel(), "&Generate .gnd File\tCtrl+G");
  EXPECT_EQ(bar->GetHelpString(kIdGenerate), "Generate Trainz .gnd file from supplied data");
  EXPECT_EQ(bar->GetHelpString(wxID_NEW), "Create a new document");
  EXPECT_EQ(bar->GetHelpString(wxID_EXIT), "Quit the application; prompts to save documents");
  EXPECT_EQ(bar->FindItem(kIdConvert)->GetItemLabelText(),
            "ASCII .XYZ DEM to 24-bit height map...");
  EXPECT_EQ(bar->FindItem(kIdConvertRaster)->GetItemLabelText(),
            wxString::FromUTF8(
                "Elevation raster (GeoTIFF, ASCII grid, HGT\u2026) to 24-bit height map..."));
  EXPECT_EQ(bar->FindItem(wxID_ABOUT)->GetItemLabelText(), "About Kem...");

  // The menu entry for Generate stays enabled while the button is not.
  ASSERT_FALSE(m_form->generate->IsEnabled());
  m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(bar->IsEnabled(kIdGenerate));
}

TEST_F(KemApp, StatusBarCanBeHiddenAndShown) {
  Menu(kIdViewStatusBar);
  EXPECT_FALSE(m_frame->GetStatusBar()->IsShown());
  Menu(kIdViewStatusBar);
  EXPECT_TRUE(m_frame->GetStatusBar()->IsShown());
}

TEST_F(KemApp, TypingPathsEnablesTheControlsThatNeedThem) {
  Type(m_form->heightMapPath, "vale.tga");
  EXPECT_EQ(Settings().heightMapPath, "vale.tga");
  EXPECT_TRUE(m_form->dataFormat->IsEnabled());
  EXPECT_TRUE(m_form->interpolate->IsEnabled());
  EXPECT_TRUE(m_form->baseHeight->IsEnabled());
  EXPECT_TRUE(m_form->maxHeightSpin->IsEnabled());
  EXPECT_FALSE(m_form->generate->IsEnabled());

  Type(m_form->outputPath, "v");
  EXPECT_TRUE(m_form->generate->IsEnabled());
  Type(m_form->outputPath, "");
  EXPECT_FALSE(m_form->generate->IsEnabled());

  Type(m_form->texturingGuidePath, "guide.tga");
  EXPECT_TRUE(m_form->randomize->IsEnabled());
  Type(m_form->filterGuidePath, "filter.tga");
  EXPECT_TRUE(m_form->filterRadius->IsEnabled());
  Type(m_form->minimapPath, "mini.tga");
  EXPECT_EQ(Settings().minimapPath, "mini.tga");
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(KemApp, TwentyFourBitFormatPresetsTheHeightRange) {
  Type(m_form->heightMapPath, "vale.tga");
  Choose(k24BitHeightCoding);
  EXPECT_EQ(Settings().dataFormat, k24BitHeightCoding);
  EXPECT_EQ(Settings().baseHeight, -1000.0f);
  EXPECT_EQ(Settings().maxHeight, 9000.0f);
  EXPECT_EQ(Settings().interpolate, 0);
  EXPECT_EQ(m_form->baseHeight->GetValue(), "-1000");
  EXPECT_EQ(m_form->maxHeight->GetValue(), "9000");
  EXPECT_FALSE(m_form->interpolate->GetValue());

  Type(m_form->baseHeight, "5");
  Tick(m_form->interpolate, true);
  Choose(kGreyScale);
  EXPECT_EQ(Settings().baseHeight, 5.0f);
  EXPECT_EQ(Settings().interpolate, 1);
  Choose(k24BitHeightCoding);
  EXPECT_EQ(m_form->baseHeight->GetValue(), "-1000");
  EXPECT_FALSE(m_form->interpolate->GetValue());
}

TEST_F(KemApp, SpinArrowsStepTheHeightsByOne) {
  Type(m_form->heightMapPath, "vale.tga");
  Type(m_form->baseHeight, "12.5");
  ClickArrow(m_form->baseHeightSpin, true);
  EXPECT_EQ(Settings().baseHeight, 13.5f);
  EXPECT_EQ(m_form->baseHeight->GetValue(), "13.5");
  ClickArrow(m_form->maxHeightSpin, false);
  EXPECT_EQ(Settings().maxHeight, -1.0f);
  EXPECT_EQ(m_form->maxHeight->GetValue(), "-1");
}

// Text that can never become a number is marked and listed while typing;
// only Generate (or Save) stops on it with a message.
TEST_F(KemApp, HeightThatIsNotANumberIsListedAndStopsOnlyARun) {
  CopyDemoData();
  Type(m_form->heightMapPath, "demo_heightmap.tga");
  Type(m_form->outputPath, "demo.gnd");
  Type(m_form->baseHeight, "7");
  Type(m_form->baseHeight, "7x");
  Type(m_form->minimapPath, "mini.tga");
  EXPECT_TRUE(m_messages.empty()) << testing::PrintToString(MessageTexts());
  EXPECT_EQ(Settings().baseHeight, 7.0f);
  EXPECT_EQ(Settings().minimapPath, "mini.tga");  // the rest of the form is still read
  ProblemList* problems = m_view->Preview()->Problems();
  ASSERT_GT(problems->GetItemCount(), 0);
  EXPECT_EQ(problems->GetItemText(0), "Base height: not a number");
  EXPECT_EQ(problems->KindOf(0), ProblemKind::kError);

  Click(m_form->generate);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, "Please enter a number.");
  EXPECT_FALSE(fs::exists(m_folder.path() / "demo.gnd"));
  EXPECT_EQ(wxWindow::FindFocus(), m_form->baseHeight);

  Type(m_form->baseHeight, "7");
  EXPECT_TRUE(problems->GetItemCount() == 0 ||
              problems->GetItemText(0) != "Base height: not a number");
}

TEST_F(KemApp, SavedProjectReopensIntoTheFormAndSavesIdentically) {
  Type(m_form->heightMapPath, "maps/vale.tga");
  Choose(k24BitHeightCoding);
  Type(m_form->texturingGuidePath, "guide.tga");
  Tick(m_form->randomize, true);
  Type(m_form->outputPath, "vale.gnd");
  const std::string first = m_folder.File("vale project");
  AnswerFileDialog(first);
  Menu(wxID_SAVEAS);
  ASSERT_TRUE(fs::exists(first));
  EXPECT_EQ(m_frame->GetTitle(), "Kem - vale project");
  ASSERT_FALSE(m_fileRequests.empty());
  EXPECT_TRUE(m_fileRequests.back().style & wxFD_SAVE);

  NewProject();
  EXPECT_EQ(m_frame->GetTitle(), "Kem - Untitled");
  EXPECT_EQ(m_form->heightMapPath->GetValue(), "");

  AnswerFileDialog(first);
  Menu(wxID_OPEN);
  EXPECT_EQ(m_frame->GetTitle(), "Kem - vale project");
  EXPECT_EQ(m_form->heightMapPath->GetValue(), "maps/vale.tga");
  EXPECT_EQ(m_form->dataFormat->GetSelection(), k24BitHeightCoding);
  EXPECT_EQ(m_form->baseHeight->GetValue(), "-1000");
  EXPECT_TRUE(m_form->randomize->GetValue());
  EXPECT_TRUE(m_form->generate->IsEnabled());

  const std::string second = m_folder.File("copy");
  AnswerFileDialog(second);
  Menu(wxID_SAVEAS);
  // Save As starts in the project's folder and offers its name; Open too.
  EXPECT_EQ(m_fileRequests.back().directory, wxString::FromUTF8(m_folder.path().string()));
  EXPECT_EQ(m_fileRequests.back().fileName, "vale project");
  EXPECT_EQ(m_fileRequests[m_fileRequests.size() - 2].directory,
            wxString::FromUTF8(m_folder.path().string()));
  EXPECT_EQ(test::ReadFile(first), test::ReadFile(second));

  // Save writes again although the project was never marked modified.
  fs::remove(second);
  m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(m_frame->GetMenuBar()->IsEnabled(wxID_SAVE));
  Menu(wxID_SAVE);
  EXPECT_EQ(test::ReadFile(first), test::ReadFile(second));
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(KemApp, NewProjectSavedAtOnceGivesTheFortyOneByteFile) {
  const std::string path = m_folder.File("empty");
  AnswerFileDialog(path);
  Menu(wxID_SAVE);
  EXPECT_EQ(test::ReadFile(path).size(), 41u);
}

TEST_F(KemApp, ProjectThatCannotBeReadLeavesTheProjectAsItWas) {
  Type(m_form->heightMapPath, "vale.tga");
  const std::string broken = m_folder.File("broken");
  test::WriteFile(broken, {0x05, 'a', 'b'});
  AnswerFileDialog(broken);
  Menu(wxID_OPEN);
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_EQ(m_messages[0].text, "Save changes to Untitled?");  // answered Don't Save
  EXPECT_TRUE(m_messages[1].text.Contains("broken"));
  EXPECT_EQ(m_frame->GetTitle(), "Kem - Untitled");
  EXPECT_EQ(Settings().heightMapPath, "vale.tga");
  EXPECT_EQ(m_form->heightMapPath->GetValue(), "vale.tga");
}

TEST_F(KemApp, RecentFileListKeepsTheLastFourProjects) {
  std::vector<std::string> paths;
  for (int i = 0; i < 5; ++i) {
    paths.push_back(m_folder.File("project" + std::to_string(i)));
    AnswerFileDialog(paths.back());
    Menu(wxID_SAVEAS);
  }
  CKemDocManager* manager = m_app->DocManager();
  ASSERT_EQ(manager->GetHistoryFilesCount(), 4u);
  EXPECT_EQ(manager->GetHistoryFile(0), paths[4]);
  EXPECT_EQ(manager->GetHistoryFile(3), paths[1]);
  wxMenu* file = m_frame->FileMenu();
  EXPECT_TRUE(file->FindItem(wxID_FILE4));
  EXPECT_FALSE(file->FindItem(wxID_FILE5));
  EXPECT_TRUE(file->GetLabel(wxID_FILE1).Contains("project4"));

  // The entries sit where the placeholder was: before Generate and Exit.
  size_t recent = 0;
  size_t generate = 0;
  file->FindChildItem(wxID_FILE1, &recent);
  file->FindChildItem(kIdGenerate, &generate);
  EXPECT_LT(recent, generate);

  // Choosing a recent file opens it.
  NewProject();
  Menu(wxID_FILE2);
  EXPECT_EQ(m_frame->GetTitle(), "Kem - project3");
}

TEST_F(KemApp, OutputPickerAddsTheExtensionAndAsksBeforeANewFile) {
  AnswerFileDialog(m_folder.File("valley"));
  Click(m_form->pickOutput);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.Contains("valley.gnd"));
  EXPECT_TRUE(m_messages[0].style & wxYES_NO);
  EXPECT_EQ(Settings().outputPath, m_folder.File("valley.gnd"));
  EXPECT_EQ(m_form->outputPath->GetValue(), wxString::FromUTF8(m_folder.File("valley.gnd")));
  EXPECT_TRUE(m_fileRequests.back().wildcard.StartsWith("Trainz Terrain Files (*.gnd)|*.gnd"));
  EXPECT_FALSE(m_fileRequests.back().style & wxFD_OVERWRITE_PROMPT);
  EXPECT_EQ(m_fileRequests.back().message, "Save Layout As");
  EXPECT_EQ(m_fileRequests.back().fileName, "Untitled.gnd");  // named after the project

  // An existing file raises no question.
  test::WriteText(m_folder.File("old.gnd"), "x");
  m_messages.clear();
  AnswerFileDialog(m_folder.File("old.gnd"));
  Click(m_form->pickOutput);
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(Settings().outputPath, m_folder.File("old.gnd"));
  // The picker opens in the folder of the file the field names, offering it.
  EXPECT_EQ(m_fileRequests.back().directory, wxString::FromUTF8(m_folder.path().string()));
  EXPECT_EQ(m_fileRequests.back().fileName, "valley.gnd");
}

TEST_F(KemApp, ImagePickerFillsThePathAndACancelKeepsIt) {
  AnswerFileDialog(m_folder.File("vale.tga"));
  Click(m_form->pickHeightMap);
  EXPECT_EQ(Settings().heightMapPath, m_folder.File("vale.tga"));
  EXPECT_TRUE(m_form->dataFormat->IsEnabled());
  EXPECT_TRUE(m_fileRequests.back().style & wxFD_FILE_MUST_EXIST);
  EXPECT_TRUE(m_fileRequests.back().wildcard.StartsWith("Targa Images (*.tga)|*.tga"));

  SetFileDialogAnswer([](const FileDialogRequest&) -> std::optional<wxString> { return {}; });
  Click(m_form->pickMinimap);
  EXPECT_EQ(Settings().minimapPath, "");
  EXPECT_EQ(Settings().heightMapPath, m_folder.File("vale.tga"));
}

TEST_F(KemApp, GenerateButtonWritesTheLayoutAndComesBackEnabled) {
  CopyDemoData();
  Type(m_form->heightMapPath, "demo_heightmap.tga");
  Type(m_form->maxHeight, "300");
  Type(m_form->outputPath, "demo.gnd");
  ASSERT_TRUE(m_form->generate->IsEnabled());
  Click(m_form->generate);
  EXPECT_TRUE(fs::exists(m_folder.path() / "demo.gnd")) << testing::PrintToString(MessageTexts());
  EXPECT_GT(fs::file_size(m_folder.path() / "demo.gnd"), 12u * 123318u);
  EXPECT_TRUE(m_form->generate->IsEnabled());
  EXPECT_TRUE(m_frame->IsEnabled());
  for (bool enabled : m_frameEnabledAtMessage) {
    EXPECT_FALSE(enabled);
  }
  // The result, with the full path written, stays in the status bar until the next command.
  const wxString wrote = "Wrote " + m_folder.File("demo.gnd") + ": 12 boards, 1.5 MB";
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0), wrote);
  Menu(kIdViewStatusBar);
  Menu(kIdViewStatusBar);
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0), wrote);
  AnswerFileDialog(m_folder.File("demo.kem"));
  Menu(wxID_SAVE);
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0), "For Help, press F1");
}

TEST_F(KemApp, StatusBarShowsTheProgressOfARun) {
  CopyDemoData();
  // A larger map (12 x 8 boards), so that the bar has many steps to show.
  constexpr int kBoards = 12 * 8;
  test::TargaImage map;
  map.width = 72 * 12 + 4;
  map.height = 72 * 8 + 4;
  map.pixel = [](int x, int y) -> std::array<std::uint8_t, 3> {
    const auto grey = static_cast<std::uint8_t>((x * 7 + y * 3) / 20 % 256);
    return {grey, grey, grey};
  };
  map.Save(m_folder.File("large.tga"));
  Type(m_form->heightMapPath, "large.tga");
  Choose(kGreyScale);
  Type(m_form->maxHeight, "500");
  Type(m_form->outputPath, "large.gnd");
  WaitForPreview();  // so that the screenshot shows this map

  // The run lets waiting events run between boards, and every such pump ends
  // with idle events: sampling the window there sees each step of the run,
  // however fast the machine.
  std::vector<wxString> paneTexts;
  bool shot = false;
  bool menuEnabledDuringRun = true;
  const float maxBefore = 500.0f;
  const auto sample = [&](wxIdleEvent& event) {
    event.Skip();
    const wxString text = m_frame->GetStatusBar()->GetStatusText(0);
    paneTexts.push_back(text);
    const auto seen = std::count_if(paneTexts.begin(), paneTexts.end(), [](const wxString& pane) {
      return pane.StartsWith("Terraforming boards: ");
    });
    if (seen == 2) {
      // Input to the window does nothing while the run is under way.
      menuEnabledDuringRun = m_frame->GetMenuBar()->IsEnabledTop(0);
      ClickArrow(m_form->maxHeightSpin, true);
    }
    // A third into the pass, so that the bar has moved and been painted.
    if (!shot && seen == kBoards / 3) {
      Screenshot(m_frame, "main_window_generating.png", true);
      shot = true;
    }
  };
  m_frame->Bind(wxEVT_IDLE, sample);
  Click(m_form->generate);
  m_frame->Unbind(wxEVT_IDLE, sample);
  EXPECT_TRUE(FrameTakesInput(*m_frame));
  EXPECT_TRUE(shot);
  EXPECT_FALSE(menuEnabledDuringRun);
  EXPECT_EQ(Settings().maxHeight, maxBefore);
  EXPECT_TRUE(m_frame->GetMenuBar()->IsEnabledTop(0));
  ClickArrow(m_form->maxHeightSpin, true);
  EXPECT_EQ(Settings().maxHeight, maxBefore + 1.0f);
  EXPECT_TRUE(fs::exists(m_folder.path() / "large.gnd")) << testing::PrintToString(MessageTexts());
  // The pane counts the boards as they are terraformed.
  EXPECT_NE(std::find(paneTexts.begin(), paneTexts.end(), "Terraforming boards: 40 of 96"),
            paneTexts.end());
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0),
            "Wrote " + m_folder.File("large.gnd") + ": 96 boards, 11.8 MB");
}

// Escape and the Cancel button (the Generate button during a run) stop the
// run: nothing is written, and the layout that was there stays.
class KemAppCancel : public KemApp, public testing::WithParamInterface<bool> {};

// A map of 12 x 8 boards, large enough that a run can be stopped midway.
void SaveLargeMap(const std::string& path) {
  test::TargaImage map;
  map.width = 72 * 12 + 4;
  map.height = 72 * 8 + 4;
  map.pixel = [](int x, int y) -> std::array<std::uint8_t, 3> {
    const auto grey = static_cast<std::uint8_t>((x + y) % 256);
    return {grey, grey, grey};
  };
  map.Save(path);
}

TEST_P(KemAppCancel, StopsTheRunAndKeepsTheOldLayout) {
  const bool escape = GetParam();
  CopyDemoData();
  SaveLargeMap(m_folder.File("large.tga"));
  test::WriteText(m_folder.File("large.gnd"), "previous layout");
  Type(m_form->heightMapPath, "large.tga");
  Type(m_form->maxHeight, "500");
  Type(m_form->outputPath, "large.gnd");
  const auto before = std::distance(fs::directory_iterator(m_folder.path()), {});

  wxString label;
  bool sent = false;
  const auto cancel = [&](wxIdleEvent& event) {
    event.Skip();
    if (sent || !m_frame->GetStatusBar()->GetStatusText(0).StartsWith("Terraforming boards: 3 ")) {
      return;
    }
    sent = true;
    label = m_form->generate->GetLabel();
    if (escape) {
      wxKeyEvent key(wxEVT_CHAR_HOOK);
      key.m_keyCode = WXK_ESCAPE;
      key.SetEventObject(m_form->maxHeight);
      m_form->maxHeight->ProcessWindowEvent(key);
    } else {
      wxCommandEvent click(wxEVT_BUTTON, m_form->generate->GetId());
      click.SetEventObject(m_form->generate);
      m_form->generate->ProcessWindowEvent(click);
    }
  };
  m_frame->Bind(wxEVT_IDLE, cancel);
  Click(m_form->generate);
  m_frame->Unbind(wxEVT_IDLE, cancel);
  ASSERT_TRUE(sent);
  EXPECT_EQ(label, "Cancel");
  EXPECT_EQ(m_form->generate->GetLabel(), "&Generate .gnd file");
  EXPECT_TRUE(m_messages.empty()) << testing::PrintToString(MessageTexts());
  EXPECT_EQ(test::ReadFile(m_folder.File("large.gnd")).size(), 15u);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_folder.path()), {}), before);
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0), "Cancelled; nothing was written.");
  EXPECT_TRUE(FrameTakesInput(*m_frame));
}

INSTANTIATE_TEST_SUITE_P(Ways, KemAppCancel, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Escape" : "CancelButton");
                         });

// A real click on Generate, then a real Escape from the keyboard: the click
// leaves the focus on the button, which is disabled for a moment as the run
// starts, and the key must still reach the run.
TEST_F(KemApp, EscapeCancelsARunStartedByClickingGenerate) {
  CopyDemoData();
  SaveLargeMap(m_folder.File("large.tga"));
  Type(m_form->heightMapPath, "large.tga");
  Type(m_form->maxHeight, "500");
  Type(m_form->outputPath, "large.gnd");
  m_frame->Raise();
  Pump();

  wxUIActionSimulator input;
  bool sent = false;
  bool started = false;
  const auto escape = [&](wxIdleEvent& event) {
    event.Skip();
    if (m_frame->GetStatusBar()->GetStatusText(0).StartsWith("Terraforming boards: ")) {
      started = true;
    }
    if (!sent && m_frame->GetStatusBar()->GetStatusText(0).StartsWith("Terraforming boards: 3 ")) {
      sent = true;
      input.Char(WXK_ESCAPE);
    }
  };
  m_frame->Bind(wxEVT_IDLE, escape);
  input.MouseMove(m_form->generate->GetScreenRect().GetPosition() + wxPoint(10, 10));
  input.MouseClick();
  // Dispatched as the main loop would, not from inside Yield: the run's own
  // pumping of events cannot nest in a Yield.
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  for (int i = 0; i < 2000 && !(sent && m_form->generate->GetLabel() != "Cancel"); ++i) {
    loop->DispatchTimeout(5);
    loop->ProcessIdle();
  }
  m_frame->Unbind(wxEVT_IDLE, escape);
  ASSERT_TRUE(started) << "the click started no run " << fs::exists(m_folder.path() / "large.gnd")
                       << testing::PrintToString(MessageTexts()) << " at "
                       << m_form->generate->GetScreenRect().x << ","
                       << m_form->generate->GetScreenRect().y << " frame "
                       << m_frame->GetScreenRect().x << "," << m_frame->GetScreenRect().y
                       << " mouse " << wxGetMousePosition().x << "," << wxGetMousePosition().y;
  ASSERT_TRUE(sent);
  EXPECT_FALSE(fs::exists(m_folder.path() / "large.gnd"));
  EXPECT_TRUE(FrameTakesInput(*m_frame));
}

TEST_F(KemApp, SliderKeysShowTheRadiusAndMarkTheProject) {
  Type(m_form->filterGuidePath, "filter.tga");
  AnswerFileDialog(m_folder.File("radius.kem"));
  Menu(wxID_SAVE);
  ASSERT_EQ(m_frame->GetTitle(), "Kem - radius.kem");
  EXPECT_EQ(m_form->filterRadiusValue->GetLabel(), "2 boards");

  m_frame->Raise();
  m_form->filterRadius->SetFocus();
  Pump();
  wxUIActionSimulator input;
  input.Char(WXK_LEFT);
  for (int i = 0; i < 100 && Settings().filterRadius == 2; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  EXPECT_EQ(Settings().filterRadius, 1);
  EXPECT_EQ(m_form->filterRadiusValue->GetLabel(), "1 board");
  EXPECT_EQ(m_frame->GetTitle(), "Kem - radius.kem*");
  // New now asks before it drops the change.
  Menu(wxID_NEW);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, "Save changes to radius.kem?");
}

TEST_F(KemApp, UndoTakesBackTheTwentyFourBitPresetAndRedoMakesItAgain) {
  Type(m_form->heightMapPath, "vale.tga");
  Type(m_form->baseHeight, "1");
  Type(m_form->baseHeight, "12");  // one change, typed in two keys
  Tick(m_form->interpolate, false);
  Choose(k24BitHeightCoding);
  ASSERT_EQ(m_form->baseHeight->GetValue(), "-1000");

  Menu(wxID_UNDO);
  EXPECT_EQ(Settings().baseHeight, 12.0f);
  EXPECT_EQ(Settings().dataFormat, kChromaDepthColours);
  EXPECT_EQ(m_form->baseHeight->GetValue(), "12");
  EXPECT_EQ(m_form->dataFormat->GetSelection(), kChromaDepthColours);
  Menu(wxID_UNDO);
  EXPECT_TRUE(m_form->interpolate->GetValue());
  Menu(wxID_UNDO);
  EXPECT_EQ(m_form->baseHeight->GetValue(), "0");
  Menu(wxID_REDO);
  Menu(wxID_REDO);
  Menu(wxID_REDO);
  EXPECT_EQ(Settings().baseHeight, -1000.0f);
  EXPECT_EQ(Settings().maxHeight, 9000.0f);
  EXPECT_EQ(m_form->maxHeight->GetValue(), "9000");
  m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(m_frame->GetMenuBar()->GetLabel(wxID_UNDO).StartsWith("&Undo Changes"))
      << m_frame->GetMenuBar()->GetLabel(wxID_UNDO);

  // Undone back to where it was saved, the project is no longer modified.
  AnswerFileDialog(m_folder.File("undo.kem"));
  Menu(wxID_SAVE);
  Type(m_form->maxHeight, "300");
  EXPECT_EQ(m_frame->GetTitle(), "Kem - undo.kem*");
  Menu(wxID_UNDO);
  EXPECT_EQ(m_frame->GetTitle(), "Kem - undo.kem");
  // A new project has nothing to take back.
  NewProject();
  Menu(wxID_UNDO);
  EXPECT_EQ(Settings().heightMapPath, "");
}

TEST_F(KemApp, NewAndOpenKeepTheWindowsSizeAndPathBoxesStretch) {
  const wxSize least = m_frame->GetSize();
  const int boxWidth = m_form->heightMapPath->GetSize().x;
  m_frame->SetSize(least.x + 300, least.y + 40);
  Pump();
  const wxSize wide = m_frame->GetSize();
  // Half the extra width, give or take the pixel a sizer rounds.
  EXPECT_NEAR(m_form->heightMapPath->GetSize().x, boxWidth + 150, 1);
  // The Pick button follows the box (Windows leaves a pixel between them).
  EXPECT_NEAR(m_form->pickHeightMap->GetRect().GetLeft(),
              m_form->heightMapPath->GetRect().GetRight() + 1, 1);
  NewProject();
  EXPECT_EQ(m_frame->GetSize(), wide);
  m_frame->SetSize(least);
  Pump();
  EXPECT_EQ(m_form->heightMapPath->GetSize().x, boxWidth);
}

TEST_F(KemApp, DroppedFilesSetAPathOpenAProjectOrConvert) {
  const auto drop = [this](wxWindow* window, const std::string& path) {
    auto* target = dynamic_cast<wxFileDropTarget*>(window->GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString files;
    files.Add(wxString::FromUTF8(path));
    EXPECT_TRUE(target->OnDropFiles(0, 0, files));
    Pump();
  };
  drop(m_form->texturingGuidePath, m_folder.File("guide.tga"));
  EXPECT_EQ(Settings().texturingGuidePath, m_folder.File("guide.tga"));

  ProjectSettings settings;
  settings.heightMapPath = "dropped.tga";
  ASSERT_TRUE(SaveProjectFile(m_folder.File("dropped.kem"), settings));
  drop(m_form, m_folder.File("dropped.kem"));
  EXPECT_EQ(m_frame->GetTitle(), "Kem - dropped.kem");
  EXPECT_EQ(m_form->heightMapPath->GetValue(), "dropped.tga");

  test::WriteText(m_folder.File("drop.xyz"), "0 0 0\n0 20 40\n20 0 20\n20 20 60\n");
  m_answerYes = false;
  drop(m_view->Preview(), m_folder.File("drop.xyz"));
  EXPECT_TRUE(fs::exists(m_folder.File("drop.xyz.tga")));
  EXPECT_EQ(Settings().heightMapPath, "dropped.tga");  // the offer was declined
}

// Edits mark the project; New then asks whether to save them.
class KemAppSaveQuestion : public KemApp, public testing::WithParamInterface<int> {};

TEST_P(KemAppSaveQuestion, OnNewSavesDropsOrKeepsTheEdits) {
  const int answer = GetParam();
  EXPECT_EQ(m_frame->GetTitle(), "Kem - Untitled");
  Type(m_form->heightMapPath, "vale.tga");
  EXPECT_EQ(m_frame->GetTitle(), "Kem - Untitled*");
  m_saveAnswer = answer;
  AnswerFileDialog(m_folder.File("vale.kem"));
  Menu(wxID_NEW);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, "Save changes to Untitled?");
  EXPECT_EQ(m_messages[0].style, wxYES_NO | wxCANCEL | wxICON_QUESTION);
  EXPECT_EQ(fs::exists(m_folder.File("vale.kem")), answer == wxYES);
  EXPECT_EQ(Settings().heightMapPath, answer == wxCANCEL ? "vale.tga" : "");
  EXPECT_EQ(m_frame->GetTitle(), answer == wxCANCEL ? "Kem - Untitled*" : "Kem - Untitled");
}

INSTANTIATE_TEST_SUITE_P(Answers, KemAppSaveQuestion, testing::Values(wxYES, wxNO, wxCANCEL),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == wxYES  ? "Save"
                                              : info.param == wxNO ? "DontSave"
                                                                   : "Cancel");
                         });

TEST_F(KemApp, SavingClearsTheMark) {
  Type(m_form->heightMapPath, "vale.tga");
  AnswerFileDialog(m_folder.File("vale.kem"));
  Menu(wxID_SAVE);
  EXPECT_EQ(m_frame->GetTitle(), "Kem - vale.kem");
  Menu(wxID_NEW);
  EXPECT_TRUE(m_messages.empty()) << testing::PrintToString(MessageTexts());
}

TEST_F(KemApp, TypingANegativeHeightIsNeverInterrupted) {
  for (const char* text : {"-", "-2", "-20"}) {
    Type(m_form->baseHeight, text);
  }
  EXPECT_TRUE(m_messages.empty()) << testing::PrintToString(MessageTexts());
  EXPECT_EQ(Settings().baseHeight, -20.0f);
  EXPECT_EQ(m_form->baseHeight->GetValue(), "-20");

  // Leaving a box that still holds half a number lists it, and asks nothing.
  m_form->maxHeight->SetFocus();
  Type(m_form->maxHeight, "12e");
  m_form->heightMapPath->SetFocus();
  wxFocusEvent left(wxEVT_KILL_FOCUS, m_form->maxHeight->GetId());
  left.SetEventObject(m_form->maxHeight);
  m_form->maxHeight->ProcessWindowEvent(left);
  Pump();
  EXPECT_TRUE(m_messages.empty()) << testing::PrintToString(MessageTexts());
  EXPECT_EQ(m_view->Preview()->Problems()->GetItemText(0), "Max. height: not a number");
}

TEST_F(KemApp, AProjectOpenedFromAnotherFolderGenerates) {
  const fs::path project = m_folder.path() / "route";
  fs::create_directory(project);
  for (const char* name : {"tile_blank.dat", "demo_heightmap.tga"}) {
    fs::copy_file(SourceDir() / "data" / name, project / name);
  }
  ProjectSettings settings;
  settings.heightMapPath = "demo_heightmap.tga";
  settings.maxHeight = 300.0f;
  settings.outputPath = "route.gnd";
  ASSERT_TRUE(SaveProjectFile((project / "route.kem").string(), settings));
  // The start folder holds a height map of the same name, too small for a board.
  test::TargaImage other;
  other.width = other.height = 10;
  other.pixel = [](int, int) { return std::array<std::uint8_t, 3>{0, 0, 0}; };
  other.Save(m_folder.File("demo_heightmap.tga"));
  AnswerFileDialog((project / "route.kem").string());
  Menu(wxID_OPEN);
  WaitForPreview();
  EXPECT_TRUE(HasRow("demo_heightmap.tga: using " + (project / "demo_heightmap.tga").string() +
                     ", not " + m_folder.File("demo_heightmap.tga")))
      << testing::PrintToString(ProblemRows());
  Click(m_form->generate);
  // The layout goes beside the project, not into the start folder, and is
  // made from the project's own map.
  EXPECT_GT(fs::file_size(project / "route.gnd"), 12u * 123318u)
      << testing::PrintToString(MessageTexts());
  EXPECT_FALSE(fs::exists(m_folder.path() / "route.gnd"));
  EXPECT_TRUE(m_messages.empty()) << testing::PrintToString(MessageTexts());
  // The folder written to is offered.
  wxString shown;
  SetShowFolderAnswer([&shown](const wxString& folder) {
    shown = folder;
    return true;
  });
  m_frame->UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(m_frame->GetMenuBar()->IsEnabled(kIdOpenFolder));
  Menu(kIdOpenFolder);
  SetShowFolderAnswer({});
  EXPECT_EQ(shown, wxString::FromUTF8(project.string()));
}

// The demo project saved into another folder still finds its images.
TEST_F(KemApp, SaveAsIntoAnotherFolderRewritesThePathsAndKeepsTheProjectWorking) {
  CopyDemoData();  // tile_blank.dat and textures.txt stay in the start folder
  const fs::path data = m_folder.path() / "data";
  const fs::path other = m_folder.path() / "other";
  fs::create_directories(data);
  fs::create_directories(other);
  for (const char* name : {"demo.kem", "demo_heightmap.tga", "demo_texturing_guide.tga"}) {
    fs::copy_file(SourceDir() / "data" / name, data / name);
  }
  AnswerFileDialog((data / "demo.kem").string());
  Menu(wxID_OPEN);
  AnswerFileDialog((other / "demo.kem").string());
  Menu(wxID_SAVEAS);
  EXPECT_EQ(fs::path(Settings().heightMapPath), fs::path("../data/demo_heightmap.tga"));
  EXPECT_EQ(fs::path(Settings().texturingGuidePath), fs::path("../data/demo_texturing_guide.tga"));
  EXPECT_EQ(Settings().outputPath, "demo.gnd");  // no layout yet: it goes beside the new project
  EXPECT_EQ(m_form->heightMapPath->GetValue(), wxString::FromUTF8(Settings().heightMapPath));
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0),
            "Saved " + (other / "demo.kem").string() + "; 2 paths rewritten for its new folder");
  WaitForPreview();
  EXPECT_EQ(ProblemRows(true), std::vector<std::string>{}) << testing::PrintToString(ProblemRows());
  Click(m_form->generate);
  EXPECT_TRUE(fs::exists(other / "demo.gnd")) << testing::PrintToString(MessageTexts());
}

// A message keeps its first line and names the file and the reason on a
// second, in the message box and in the problem list alike; a placeholder
// template is named as such.
TEST_F(KemApp, MessagesNameTheFileAndTheReason) {
  CopyDemoData();
  test::TargaImage small;
  small.width = small.height = 76;
  small.pixel = [](int, int) { return std::array<std::uint8_t, 3>{0, 0, 0}; };
  small.Save(m_folder.File("small.tga"));
  struct Case {
    std::string heightMap, guide, output;
    std::string message, detail;
    bool surveyed = true;  // the survey can tell without trying to write
  };
  std::vector<Case> cases = {
      {m_folder.File("none.tga"), "", m_folder.File("o.gnd"),
       "Error: image not found or failed to open.", m_folder.File("none.tga") + ": no such file"},
      {m_folder.File("demo_heightmap.tga"), m_folder.File("small.tga"), m_folder.File("o.gnd"),
       "Error: size doesn't match the size of elevation data image.",
       "texturing guide " + m_folder.File("small.tga") +
           " is 76 x 76 pixels; the height map is 292 x 220 pixels"},
  };
#ifndef _WIN32
  // Nobody may create files in /sys, though its permissions say the
  // administrator may: only the run itself finds out.
  if (fs::is_directory("/sys/kernel")) {
    cases.push_back({m_folder.File("demo_heightmap.tga"), "", "/sys/kernel/o.gnd",
                     "Error: layout file could not be created.",
                     "the folder /sys/kernel is read-only", false});
  }
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    m_messages.clear();
    Type(m_form->heightMapPath, c.heightMap);
    Type(m_form->texturingGuidePath, c.guide);
    Type(m_form->outputPath, c.output);
    Type(m_form->maxHeight, "300");
    WaitForPreview();
    EXPECT_TRUE(!c.surveyed || (HasRow(c.message) && HasRow("  " + c.detail)))
        << testing::PrintToString(ProblemRows());
    EXPECT_TRUE(HasRow(
        "tile_blank.dat is a placeholder: layouts made with it will not load in the simulator; "
        "copy the simulator's own file."));
    Click(m_form->generate);
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(std::string(m_messages[0].text.utf8_str()), c.message + "\n  " + c.detail);
  }
}

TEST_F(KemApp, FlatTerrainQuestionCancelledWritesNothing) {
  CopyDemoData();
  Type(m_form->heightMapPath, "demo_heightmap.tga");
  Type(m_form->outputPath, "flat.gnd");
  m_answerOk = false;
  Click(m_form->generate);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text,
            "The defined height range will result in absolutely flat terrain. Are you sure it's "
            "OK?");
  EXPECT_EQ(m_messages[0].caption, "Kem");
  EXPECT_EQ(m_messages[0].style, wxOK | wxCANCEL | wxICON_QUESTION | wxCANCEL_DEFAULT);
  EXPECT_FALSE(m_frameEnabledAtMessage[0]);
  EXPECT_FALSE(fs::exists(m_folder.path() / "flat.gnd"));
  EXPECT_TRUE(m_form->generate->IsEnabled());
  EXPECT_TRUE(m_frame->IsEnabled());
}

TEST_F(KemApp, CtrlGOnAnEmptyProjectLeavesTheButtonAsTheFieldsSay) {
  ASSERT_FALSE(m_form->generate->IsEnabled());
  for (const bool answer : {true, false}) {
    m_messages.clear();
    m_answerOk = answer;
    Menu(kIdGenerate);
    // New project: flat range, then the driver's own message for the missing map.
    ASSERT_GE(m_messages.size(), answer ? 2u : 1u);
    EXPECT_TRUE(m_messages[0].text.StartsWith("The defined height range"));
    EXPECT_FALSE(m_form->generate->IsEnabled());
    EXPECT_TRUE(m_frame->IsEnabled());
  }
}

TEST_F(KemApp, HelpOpensTheTopicOfAControlOrTheContents) {
  m_form->heightMapPath->SetFocus();
  Pump();
  Menu(wxID_HELP);
  EXPECT_EQ(m_app->Help().LastPage(), "height_map.html");
  Menu(wxID_HELP_CONTENTS);
  EXPECT_EQ(m_app->Help().LastPage(), "index.html");

  // Help mode or the caption's help button, then a click on a control.
  wxHelpEvent request(wxEVT_HELP, kIdDataFormat);
  request.SetEventObject(m_form->dataFormat);
  m_form->dataFormat->ProcessWindowEvent(request);
  EXPECT_EQ(m_app->Help().LastPage(), "data_format.html");

  // Any part of the preview pane has the pane's topic, by F1 or a request.
  PreviewPane* pane = m_view->Preview();
  pane->Problems()->SetFocus();
  Pump();
  Menu(wxID_HELP);
  EXPECT_EQ(m_app->Help().LastPage(), "preview.html");
  Menu(wxID_HELP_CONTENTS);
  wxHelpEvent paneRequest(wxEVT_HELP, pane->MinimapToggle()->GetId());
  paneRequest.SetEventObject(pane->MinimapToggle());
  pane->MinimapToggle()->ProcessWindowEvent(paneRequest);
  EXPECT_EQ(m_app->Help().LastPage(), "preview.html");
  EXPECT_TRUE(m_messages.empty()) << testing::PrintToString(MessageTexts());
  m_app->Help().Close();
  Pump();
}

TEST_F(KemApp, AboutBoxShowsTheVersion) {
  CAboutDlg about(m_frame);
  bool found = false;
  for (wxWindow* child : about.GetChildren()) {
    if (auto* text = dynamic_cast<wxStaticText*>(child)) {
      found = found || text->GetLabel().StartsWith("Kem Version 0.1.18\n");
    }
  }
  EXPECT_TRUE(found);
  EXPECT_TRUE(about.FindWindow(wxID_OK));
}

TEST_F(KemApp, ConvertCommandConvertsADemAndACancelWritesNothing) {
  const std::string dem = m_folder.File("hill.xyz");
  std::string text;
  for (int y = 0; y <= 200; y += 10) {
    for (int x = 0; x <= 300; x += 10) {
      text += std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + y) + "\n";
    }
  }
  test::WriteText(dem, text);
  bool frameTookInput = true;
  const RunOutcome written =
      RunDemImport(m_frame, wxString::FromUTF8(dem), [&](CDemImportDlg& dialog) {
        frameTookInput = FrameTakesInput(*m_frame);
        Screenshot(&dialog, "importer_dialog.png");
      });
  EXPECT_EQ(written, RunOutcome::kWritten);
  EXPECT_FALSE(frameTookInput);
  EXPECT_TRUE(fs::exists(dem + ".tga"));
  EXPECT_TRUE(FrameTakesInput(*m_frame));

  fs::remove(dem + ".tga");
  const RunOutcome cancelled = RunDemImport(m_frame, wxString::FromUTF8(dem),
                                            [](CDemImportDlg& dialog) { dialog.OnCancel(); });
  EXPECT_EQ(cancelled, RunOutcome::kCancelled);
  EXPECT_FALSE(fs::exists(dem + ".tga"));
  EXPECT_TRUE(FrameTakesInput(*m_frame));
}

TEST_F(KemApp, ToolsMenuConvertsTheChosenDem) {
  const std::string dem = m_folder.File("small.xyz");
  test::WriteText(dem, "0 0 0\n0 20 40\n20 0 20\n20 20 60\n");
  SetFileDialogAnswer([](const FileDialogRequest&) -> std::optional<wxString> { return {}; });
  Menu(kIdConvert);
  EXPECT_FALSE(fs::exists(dem + ".tga"));
  EXPECT_TRUE(FrameTakesInput(*m_frame));

  AnswerFileDialog(dem);
  Menu(kIdConvert);
  EXPECT_TRUE(fs::exists(dem + ".tga"));
  EXPECT_TRUE(m_frame->IsEnabled());
  ASSERT_FALSE(m_fileRequests.empty());
  EXPECT_TRUE(m_fileRequests.back().style & wxFD_FILE_MUST_EXIST);
  // The height map is named, and taken as the project's when the offer is
  // accepted, with the 24-bit coding's range.
  EXPECT_EQ(m_frame->GetStatusBar()->GetStatusText(0),
            wxString::FromUTF8("Wrote small.xyz.tga: 3 \u00d7 3 pixels, 0 \u00d7 0 boards, ") +
                std::to_string(fs::file_size(dem + ".tga")) + " bytes");
  ASSERT_FALSE(m_messages.empty());
  EXPECT_EQ(m_messages.back().text.BeforeFirst('\n'), "Use small.xyz.tga as the height map?");
  EXPECT_EQ(Settings().heightMapPath, dem + ".tga");
  EXPECT_EQ(Settings().dataFormat, k24BitHeightCoding);
  EXPECT_EQ(Settings().baseHeight, -1000.0f);
  EXPECT_EQ(m_frame->GetTitle(), "Kem - Untitled*");
  // The next conversion starts where the last one was.
  Menu(kIdConvert);
  EXPECT_EQ(m_fileRequests.back().directory, wxString::FromUTF8(m_folder.path().string()));
}

TEST_F(KemApp, ScreenshotOfTheDemoProject) {
  CopyDemoData();
  fs::copy_file(SourceDir() / "data" / "demo.kem", m_folder.path() / "demo.kem");
  AnswerFileDialog(m_folder.File("demo.kem"));
  Menu(wxID_OPEN);
  EXPECT_EQ(m_frame->GetTitle(), "Kem - demo.kem");
  EXPECT_TRUE(m_messages.empty());
  WaitForPreview();
  Screenshot(m_frame, "main_window.png");
  // The texturing guide laid over the relief.
  wxCheckBox* guide = m_view->Preview()->GuideToggle();
  ASSERT_TRUE(guide->IsEnabled());
  for (const bool ticked : {true, false}) {
    SendTick(guide, ticked);
    if (ticked) {
      Screenshot(m_view->Preview(), "preview_texturing_guide.png");
    }
  }
}

}  // namespace
}  // namespace kem::app
