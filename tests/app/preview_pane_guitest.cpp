// The preview beside the form in the running application: the survey of the
// demo project follows the form's changes, its toggles lay a guide over the
// relief, and the problem list tells what a run would meet and offers to find
// a missing tile_blank.dat.
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/slider.h>
#include <wx/utils.h>

#include "app/command_ids.h"
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
    // The next test's New asks no question about this one's edits.
    if (m_view != nullptr && m_view->GetDocument() != nullptr) {
      m_view->GetDocument()->Modify(false);
    }
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

  // A map of 2 x 2 boards, stored bottom up with 2 unused rows (at its top):
  // its grey rises by one a pixel down and by one every two pixels right, so
  // that with heights 0 to 255 m every pixel's height is known. The relief
  // then has a pixel for each of the boards' 148 x 148.
  void SurveyGradient() {
    test::TargaImage map;
    map.width = 148;
    map.height = 150;
    map.pixel = [](int x, int y) {
      const auto grey = static_cast<std::uint8_t>(x / 2 + y);
      return std::array<std::uint8_t, 3>{grey, grey, grey};
    };
    map.Save(m_folder.File("gradient.tga"));
    Type(m_form->heightMapPath, "gradient.tga");
    Choose(kGreyScale);
    Type(m_form->baseHeight, "0");
    Type(m_form->maxHeight, "255");
    ASSERT_EQ(m_pane->Picture().GetSize(), wxSize(148, 148));
  }

  void SendMouse(wxEventType type, const wxPoint& at, int wheel = 0) {
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.SetEventObject(m_pane->Canvas());
    event.m_wheelRotation = wheel;
    event.m_wheelDelta = 120;
    event.m_leftDown = type == wxEVT_LEFT_DOWN || type == wxEVT_MOTION;
    m_pane->Canvas()->GetEventHandler()->ProcessEvent(event);
  }

  wxString StatusText() const {
    return CKemApp::Get()->MainFrame()->GetStatusBar()->GetStatusText();
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
  const auto saved = std::filesystem::last_write_time(m_folder.File("changing.tga"));
  paint(false);
  map.Save(m_folder.File("changing.tga"));
  // A clock as coarse as some file systems' still sees a newer file.
  std::filesystem::last_write_time(m_folder.File("changing.tga"), saved + std::chrono::seconds(2));
  for (int i = 0; i < 2000 && Probe(0.2, 0.5) == before; ++i) {
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

namespace kem::app {
namespace {

TEST_F(Preview, ZoomsAboutThePointerPansByDraggingAndFitsAgain) {
  SurveyGradient();
  const wxSize area = m_pane->Canvas()->GetClientSize();
  const wxPoint middle(area.x / 2, area.y / 2);
  const wxRealPoint whole = m_pane->PictureAt(middle);
  EXPECT_NEAR(whole.x, 74.0, 1.0);
  EXPECT_NEAR(whole.y, 74.0, 1.0);

  // Two notches up over the picture's upper part: that ground stays under
  // the pointer and grows by 1.25 a notch. (Across, the pointer stays in the
  // middle: a picture still narrower than the pane is centred there.)
  const wxPoint pointer(area.x / 2, area.y / 3);
  const wxRealPoint held = m_pane->PictureAt(pointer);
  const wxRealPoint right = m_pane->PictureAt(pointer + wxPoint(10, 0));
  SendMouse(wxEVT_MOUSEWHEEL, pointer, 240);
  EXPECT_NEAR(m_pane->Zoom(), 1.5625, 1e-9);
  EXPECT_NEAR(m_pane->PictureAt(pointer).x, held.x, 1e-6);
  EXPECT_NEAR(m_pane->PictureAt(pointer).y, held.y, 1e-6);
  EXPECT_NEAR(m_pane->PictureAt(pointer + wxPoint(10, 0)).x - held.x, (right.x - held.x) / 1.5625,
              1e-6);

  // Further in, a drag to the right and down brings ground from the left
  // and above, as far as the picture's top left corner.
  for (int i = 0; i < 8; ++i) {
    m_pane->ZoomIn();
  }
  const wxRealPoint before = m_pane->PictureAt(middle);
  const double step = m_pane->PictureAt(middle + wxPoint(100, 0)).x / 100.0 - before.x / 100.0;
  SendMouse(wxEVT_LEFT_DOWN, middle);
  SendMouse(wxEVT_MOTION, middle + wxPoint(8, 6));
  SendMouse(wxEVT_LEFT_UP, middle + wxPoint(8, 6));
  EXPECT_NEAR(m_pane->PictureAt(middle).x, before.x - 8 * step, 1e-6);
  EXPECT_NEAR(m_pane->PictureAt(middle).y, before.y - 6 * step, 1e-6);
  SendMouse(wxEVT_LEFT_DOWN, middle);
  SendMouse(wxEVT_MOTION, middle + wxPoint(5000, 5000));
  SendMouse(wxEVT_LEFT_UP, middle + wxPoint(5000, 5000));
  EXPECT_NEAR(m_pane->PictureAt(wxPoint(0, 0)).x, 0.0, 1e-6);
  EXPECT_NEAR(m_pane->PictureAt(wxPoint(0, 0)).y, 0.0, 1e-6);

  // Zoom to Fit (the View menu's command) shows the whole map again; the
  // whole map is as far out as zooming goes.
  wxCommandEvent fit(wxEVT_MENU, kIdZoomFit);
  CKemApp::Get()->MainFrame()->ProcessWindowEvent(fit);
  EXPECT_EQ(m_pane->Zoom(), 1.0);
  EXPECT_NEAR(m_pane->PictureAt(middle).x, whole.x, 1e-9);
  EXPECT_NEAR(m_pane->PictureAt(middle).y, whole.y, 1e-9);
  m_pane->ZoomOut();
  EXPECT_EQ(m_pane->Zoom(), 1.0);
  wxCommandEvent in(wxEVT_MENU, kIdZoomIn);
  CKemApp::Get()->MainFrame()->ProcessWindowEvent(in);
  EXPECT_NEAR(m_pane->Zoom(), 1.25, 1e-9);
  EXPECT_NEAR(m_pane->PictureAt(middle).x, whole.x, 1e-6);
}

TEST_F(Preview, StatusBarNamesTheBoardPixelAndHeightUnderThePointer) {
  SurveyGradient();
  const wxString idle = StatusText();
  // Zoomed in, so that the pointer's picture pixel is beyond doubt.
  const wxSize area = m_pane->Canvas()->GetClientSize();
  for (int i = 0; i < 8; ++i) {
    m_pane->ZoomIn();
  }
  // Relief pixel (x, y) is height map pixel (x, y + 2) below the 2 unused
  // rows, whose grey is x / 2 + y + 2.
  const auto over = [this, area](double x, double y) {
    const wxRealPoint origin = m_pane->PictureAt(wxPoint(0, 0));
    const wxRealPoint unit = m_pane->PictureAt(wxPoint(100, 100));
    const double scale = 100.0 / (unit.x - origin.x);
    return wxPoint(static_cast<int>((x - origin.x) * scale),
                   static_cast<int>((y - origin.y) * scale));
  };
  struct Case {
    double x, y;
    const char* text;
  };
  // The middle of the map, then around the board corner at (72, 72).
  for (const Case& c :
       {Case{74.5, 74.5, "Board column 1, row 1 \u00b7 pixel (74, 76) \u00b7 113.0 m"},
        Case{71.5, 71.5, "Board column 0, row 0 \u00b7 pixel (71, 73) \u00b7 108.0 m"},
        Case{72.5, 71.5, "Board column 1, row 0 \u00b7 pixel (72, 73) \u00b7 109.0 m"}}) {
    const wxPoint at = over(c.x, c.y);
    ASSERT_TRUE(wxRect(area).Contains(at)) << c.text;
    SendMouse(wxEVT_MOTION, at);
    EXPECT_EQ(StatusText(), wxString::FromUTF8(c.text));
  }
  // Leaving the picture puts back what the bar said.
  wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
  m_pane->Canvas()->GetEventHandler()->ProcessEvent(leave);
  EXPECT_EQ(StatusText(), idle);

  // The last board column and row reach 4 pixels further, to the map's
  // right and bottom edges.
  m_pane->ZoomToFit();
  SendMouse(wxEVT_MOTION, over(147.9, 147.9));
  EXPECT_EQ(StatusText(), wxString::FromUTF8("Board column 1, row 1 \u00b7 pixel (147, 149) "
                                             "\u00b7 222.0 m"));
  // Off the picture, in the pane's margin, nothing is read.
  SendMouse(wxEVT_MOTION, over(-3.0, 74.0));
  EXPECT_EQ(StatusText(), idle);
}

}  // namespace
}  // namespace kem::app
