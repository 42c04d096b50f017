// The preview beside the form in the running application: the survey of the
// demo project follows the form's changes, its toggles lay a guide over the
// relief, and the problem list tells what a run would meet and offers to find
// a missing tile_blank.dat.
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/slider.h>
#include <wx/utils.h>

#include "app/doc_manager.h"
#include "app/kem_app.h"
#include "app/kem_doc.h"
#include "app/kem_view.h"
#include "app/main_frame.h"
#include "app/preview_pane.h"
#include "app/problem_list.h"
#include "app/project_form.h"
#include "app/survey_worker.h"
#include "app/ui_hooks.h"
#include "control_events.h"
#include "core/file_system.h"
#include "core/generator_messages.h"
#include "support/test_support.h"

namespace kem::app {
namespace {

namespace fs = std::filesystem;

fs::path SourceDir() {
  const char* dir = std::getenv("KEM_SOURCE_DIR");
  return dir ? fs::path(dir) : fs::path(KEM_TEST_SOURCE_DIR);
}

class Preview : public testing::Test {
 protected:
  void SetUp() override {
    CKemApp* app = CKemApp::Get();
    ASSERT_NE(app, nullptr);
    m_previousDir = fs::current_path();
    m_folder.Chdir();
    for (const char* name : {"textures.txt", "demo_heightmap.tga", "demo_texturing_guide.tga"}) {
      fs::copy_file(SourceDir() / "data" / name, m_folder.path() / name);
    }
    // No question may wait for an answer: unsaved edits are dropped.
    SetMessageBoxAnswer([](const wxString&, const wxString&, long style) {
      return style & wxYES_NO ? wxNO : wxOK;
    });
    wxCommandEvent event(wxEVT_MENU, wxID_NEW);
    app->MainFrame()->ProcessWindowEvent(event);
    m_view = dynamic_cast<CKemView*>(app->DocManager()->GetCurrentView());
    ASSERT_NE(m_view, nullptr);
    for (wxWindow* child : app->MainFrame()->GetChildren()) {
      if (auto* form = dynamic_cast<ProjectForm*>(child)) {
        m_form = form;
      }
    }
    ASSERT_NE(m_form, nullptr);
    m_pane = m_view->Preview();
    ASSERT_NE(m_pane, nullptr);
  }

  void TearDown() override {
    SetFileDialogAnswer({});
    SetMessageBoxAnswer({});
    fs::current_path(m_previousDir);
  }

  // Lets the debounce delay pass and the survey come back.
  void WaitForSurvey() {
    for (int i = 0; i < 2000 && (i < 3 || m_pane->Pending()); ++i) {
      wxTheApp->Yield(true);
      wxMilliSleep(5);
    }
    ASSERT_FALSE(m_pane->Pending());
  }

  void Type(wxTextCtrl* box, const std::string& text) {
    box->SetValue(wxString::FromUTF8(text));
    WaitForSurvey();
  }

  void Choose(int format) {
    SendChoice(m_form->dataFormat, format);
    WaitForSurvey();
  }

  void SlideFilterRadius(int radius) {
    m_form->filterRadius->SetValue(radius);
    SendCommand(m_form->filterRadius, wxEVT_SLIDER, radius);
    WaitForSurvey();
  }

  // A click on a toggle.
  void Tick(wxCheckBox* toggle, bool ticked) {
    SendTick(toggle, ticked);
    wxTheApp->Yield(true);
  }

  // The picture's colour at a fraction of its width and height.
  std::array<unsigned char, 3> Probe(double x, double y) const {
    const wxImage& picture = m_pane->Picture();
    const int px = static_cast<int>(x * (picture.GetWidth() - 1));
    const int py = static_cast<int>(y * (picture.GetHeight() - 1));
    return {picture.GetRed(px, py), picture.GetGreen(px, py), picture.GetBlue(px, py)};
  }

  std::vector<std::pair<ProblemKind, wxString>> Rows() const {
    std::vector<std::pair<ProblemKind, wxString>> rows;
    ProblemList* list = m_pane->Problems();
    for (long row = 0; row < list->GetItemCount(); ++row) {
      rows.emplace_back(list->KindOf(row), list->GetItemText(row));
    }
    return rows;
  }

  testing::AssertionResult HasRow(ProblemKind kind, const wxString& text) const {
    wxString shown;
    for (const auto& row : Rows()) {
      if (row.first == kind && row.second.Contains(text)) {
        return testing::AssertionSuccess();
      }
      shown += wxString::Format("\n%d %s", static_cast<int>(row.first), row.second);
    }
    return testing::AssertionFailure() << "rows:" << shown.utf8_string();
  }

  test::TempDir m_folder;
  fs::path m_previousDir;
  CKemView* m_view = nullptr;
  ProjectForm* m_form = nullptr;
  PreviewPane* m_pane = nullptr;
};

TEST_F(Preview, FollowsTheFormatAndTheFilterRadius) {
  // One marker in the top-left board: the radius decides how many boards
  // around it are generated.
  test::TargaImage guide;
  guide.width = 292;
  guide.height = 220;
  guide.topDown = true;
  guide.pixel = [](int x, int y) -> std::array<std::uint8_t, 3> {
    return x == 30 && y == 30 ? std::array<std::uint8_t, 3>{0, 255, 255}
                              : std::array<std::uint8_t, 3>{0, 0, 0};
  };
  guide.Save(m_folder.File("filter.tga"));

  Type(m_form->heightMapPath, "demo_heightmap.tga");
  Type(m_form->outputPath, "demo.gnd");
  Type(m_form->baseHeight, "50");
  Type(m_form->maxHeight, "276");
  EXPECT_EQ(m_pane->Summary().utf8_string(),
            "4 × 3 boards, 12 selected · 1.5 MB · heights 50.0 to 251.1 m");
  ASSERT_TRUE(m_pane->Picture().IsOk());
  EXPECT_GE(m_pane->Picture().GetWidth(), 200);

  const auto chromaPixel = Probe(0.5, 0.5);
  Choose(1);
  EXPECT_NE(m_pane->Summary().utf8_string(),
            "4 × 3 boards, 12 selected · 1.5 MB · heights 50.0 to 251.1 m");
  EXPECT_NE(Probe(0.5, 0.5), chromaPixel);
  Choose(0);

  Type(m_form->filterGuidePath, "filter.tga");
  SlideFilterRadius(0);
  const wxString oneBoard = m_pane->Summary();
  EXPECT_TRUE(oneBoard.Contains(", 1 selected")) << oneBoard;
  const auto dimmed = Probe(0.9, 0.9);
  SlideFilterRadius(8);
  EXPECT_TRUE(m_pane->Summary().Contains(", 12 selected")) << m_pane->Summary();
  EXPECT_NE(Probe(0.9, 0.9), dimmed);
}

TEST_F(Preview, LaysTheTexturingGuideOverTheReliefWithoutSurveyingAgain) {
  Type(m_form->heightMapPath, "demo_heightmap.tga");
  Type(m_form->outputPath, "demo.gnd");
  // The minimap source is the height map itself until a minimap image is given.
  EXPECT_FALSE(m_pane->GuideToggle()->IsEnabled());
  EXPECT_TRUE(m_pane->MinimapToggle()->IsEnabled());
  const auto relief = Probe(0.3, 0.4);

  Type(m_form->texturingGuidePath, "demo_texturing_guide.tga");
  ASSERT_TRUE(m_pane->GuideToggle()->IsEnabled());
  EXPECT_EQ(Probe(0.3, 0.4), relief);
  Tick(m_pane->GuideToggle(), true);
  EXPECT_FALSE(m_pane->Pending());  // a toggle only redraws
  const auto guide = Probe(0.3, 0.4);
  EXPECT_NE(guide, relief);
  // One overlay at a time.
  Tick(m_pane->MinimapToggle(), true);
  EXPECT_FALSE(m_pane->GuideToggle()->GetValue());
  EXPECT_NE(Probe(0.3, 0.4), guide);
  Tick(m_pane->MinimapToggle(), false);
  EXPECT_EQ(Probe(0.3, 0.4), relief);

  // Without the guide its toggle goes off and the relief comes back.
  Tick(m_pane->GuideToggle(), true);
  Type(m_form->texturingGuidePath, "");
  EXPECT_FALSE(m_pane->GuideToggle()->IsEnabled());
  EXPECT_FALSE(m_pane->GuideToggle()->GetValue());
  EXPECT_EQ(Probe(0.3, 0.4), relief);
}

TEST_F(Preview, ListsAMissingTemplateAndAMismatchedGuideAndLocatesTheTemplate) {
  test::TargaImage small;
  small.width = 100;
  small.height = 100;
  small.pixel = [](int, int) { return std::array<std::uint8_t, 3>{0, 0, 0}; };
  small.Save(m_folder.File("guide.tga"));
  const fs::path settingsCopy = fs::path(UserSettingsFolder()) / "tile_blank.dat";
  fs::remove(settingsCopy);

  Type(m_form->heightMapPath, "demo_heightmap.tga");
  Type(m_form->outputPath, "demo.gnd");
  Type(m_form->texturingGuidePath, "guide.tga");
  EXPECT_TRUE(HasRow(ProblemKind::kError, kTemplateMissingMessage));
  EXPECT_TRUE(HasRow(ProblemKind::kError, "size doesn't match the size of elevation data image"));
  EXPECT_TRUE(HasRow(ProblemKind::kInformation, "tile_blank.dat not found; looked in"));
  EXPECT_TRUE(HasRow(ProblemKind::kInformation, wxString::FromUTF8(UserSettingsFolder())));
  EXPECT_TRUE(HasRow(ProblemKind::kInformation, "textures.txt found at"));
  EXPECT_TRUE(m_pane->LocateButton()->IsShown());
  // The list only informs: Generate stays available.
  EXPECT_TRUE(m_form->generate->IsEnabled());

  const std::string chosen = (SourceDir() / "data" / "tile_blank.dat").string();
  SetFileDialogAnswer([chosen](const FileDialogRequest&) { return wxString::FromUTF8(chosen); });
  SendClick(m_pane->LocateButton());
  WaitForSurvey();
  EXPECT_TRUE(fs::exists(settingsCopy));
  EXPECT_FALSE(HasRow(ProblemKind::kError, kTemplateMissingMessage));
  EXPECT_TRUE(HasRow(ProblemKind::kInformation, "tile_blank.dat found at"));
  EXPECT_FALSE(m_pane->LocateButton()->IsShown());
  fs::remove(settingsCopy);
}

TEST_F(Preview, FollowsAHeightMapChangedOnDisk) {
  test::TargaImage map;
  map.width = 148;
  map.height = 148;
  // A slope down to the east, then one down to the west.
  const auto paint = [&map](bool east) {
    map.pixel = [east](int x, int) {
      const auto grey = static_cast<std::uint8_t>(east ? 200 - x : 53 + x);
      return std::array<std::uint8_t, 3>{grey, grey, grey};
    };
  };
  paint(true);
  map.Save(m_folder.File("changing.tga"));
  Type(m_form->heightMapPath, "changing.tga");
  Choose(kGreyScale);
  Type(m_form->maxHeight, "255");
  const auto before = Probe(0.2, 0.5);

  // Nothing in the form changes: the pane notices the file by itself.
  paint(false);
  map.Save(m_folder.File("changing.tga"));
  for (int i = 0; i < 600 && Probe(0.2, 0.5) == before; ++i) {
    wxTheApp->Yield(true);
    wxMilliSleep(5);
  }
  WaitForSurvey();
  EXPECT_NE(Probe(0.2, 0.5), before);
}

TEST_F(Preview, ListsEachLineOfAnEntryAndCopiesWholeEntries) {
  PreviewSurvey preview;
  preview.survey.problems = {"Height map: no heights\n  Is the data format the right one?"};
  preview.survey.warnings = {"Filter guide: no marker"};
  ProblemList* list = m_pane->Problems();
  list->SetFormProblems({});
  list->Show(preview);
  ASSERT_EQ(list->GetItemCount(), 5);  // two lines, a warning, two places
  EXPECT_EQ(list->GetItemText(0), "Height map: no heights");
  EXPECT_EQ(list->GetItemText(1), "  Is the data format the right one?");
  EXPECT_EQ(list->KindOf(1), ProblemKind::kError);
  EXPECT_EQ(list->EntryOf(1), "Height map: no heights\n  Is the data format the right one?");

  // Either row of an entry copies the entry once, whole.
  for (long row : {0L, 1L, 2L}) {
    list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  }
  EXPECT_EQ(list->SelectedText(),
            "Height map: no heights\n  Is the data format the right one?\nFilter guide: no "
            "marker\n");
  WaitForSurvey();
}

TEST_F(Preview, ANewerSurveyReplacesAnOlderOneUndelivered) {
  wxEvtHandler owner;
  std::vector<bool> delivered;  // whether each survey shown found its map
  {
    SurveyWorker worker(&owner, [&delivered](PreviewSurvey&& preview) {
      delivered.push_back(preview.survey.imageOpened);
    });
    ProjectSettings older;
    older.heightMapPath = "missing.tga";
    ProjectSettings newer;
    newer.heightMapPath = "demo_heightmap.tga";
    worker.Start(older, {});
    worker.Start(newer, {});
    for (int i = 0; i < 2000 && worker.Busy(); ++i) {
      wxTheApp->Yield(true);
      wxMilliSleep(5);
    }
    // Started again and dropped at once: nothing arrives after the worker goes.
    worker.Start(older, {});
  }
  wxTheApp->Yield(true);
  EXPECT_EQ(delivered, std::vector<bool>{true});
}

}  // namespace
}  // namespace kem::app
