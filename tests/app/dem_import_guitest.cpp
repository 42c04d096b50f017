// The importer dialog and the Convert command on a real display: the dialog's
// controls, whole-percentage progress, what Cancel does, and the main window
// taking no input during a conversion and taking it again after it whatever
// the outcome.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include "app/dem_import_command.h"
#include "app/dem_import_dlg.h"
#include "app/kem_app.h"
#include "app/main_frame.h"
#include "app/ui_hooks.h"
#include "frame_input.h"
#include "importer/raster_import.h"
#include "support/test_support.h"

namespace kem::app {
namespace {

// A 20-unit DEM of four points: a 3 x 3 height map after interpolation.
constexpr char kSmallDem[] = "0 0 0\n0 20 40\n20 0 20\n20 20 60\n";
constexpr std::uintmax_t kSmallMapBytes = 18 + 3 * 3 * 3;

void ClickCancel(CDemImportDlg& dialog) {
  wxCommandEvent click(wxEVT_BUTTON, kIdImporterCancel);
  click.SetEventObject(dialog.GetCancelButton());
  dialog.GetCancelButton()->GetEventHandler()->ProcessEvent(click);
}

wxString ControlText(wxWindow* dialog, int id) {
  wxWindow* control = dialog->FindWindow(id);
  return control != nullptr ? control->GetLabel() : wxString(wxS("<missing>"));
}

class DemImportDlg : public testing::Test {
 protected:
  void SetUp() override {
    m_dialog = new CDemImportDlg(nullptr);
    m_dialog->Show();
  }
  void TearDown() override { m_dialog->Destroy(); }

  CDemImportDlg* m_dialog = nullptr;
};

TEST_F(DemImportDlg, ShowsItsTextsWithAnEmptyStatusLine) {
  EXPECT_EQ(m_dialog->GetTitle(), wxS("vindle :: dem data importer"));
  EXPECT_EQ(m_dialog->GetClientSize(), m_dialog->ConvertDialogToPixels(wxSize(223, 71)));
  EXPECT_EQ(m_dialog->GetCancelButton()->GetLabel(), wxS("Cancel"));
  EXPECT_TRUE(m_dialog->GetCancelButton()->IsEnabled());
  // The long text wraps in its box: compare it with the line breaks undone.
  wxString description = ControlText(m_dialog, kIdImporterText);
  description.Replace(wxS("\n"), wxS(" "));
  EXPECT_EQ(description,
            wxS("The data converter will analyze the file you've selected, and produce 24-bit .tga "
                "image you can use as elevation source for terrain generator."));
  EXPECT_EQ(ControlText(m_dialog, kIdImporterStatus), wxString());
  EXPECT_EQ(m_dialog->GetProgressGauge()->GetRange(), 100);
  EXPECT_EQ(m_dialog->GetProgressGauge()->GetValue(), 0);
  EXPECT_FALSE(m_dialog->IsCancelled());
}

TEST_F(DemImportDlg, ProgressShowsWholePercentages) {
  m_dialog->SetProgress("Completing generated surface", 62.5F);
  EXPECT_EQ(m_dialog->GetProgressGauge()->GetValue(), 62);
  EXPECT_EQ(ControlText(m_dialog, kIdImporterStatus), wxS("Completing generated surface"));
}

TEST_F(DemImportDlg, CancelOnlySetsTheFlagAndDisablesTheButtonOnce) {
  for (int press = 0; press < 2; ++press) {
    ClickCancel(*m_dialog);
    EXPECT_TRUE(m_dialog->IsCancelled());
    EXPECT_FALSE(m_dialog->GetCancelButton()->IsEnabled());
    EXPECT_TRUE(m_dialog->IsShown());
  }
}

TEST_F(DemImportDlg, CloseBoxCancelsWithoutClosing) {
  EXPECT_FALSE(m_dialog->Close());
  EXPECT_TRUE(m_dialog->IsCancelled());
  EXPECT_FALSE(m_dialog->GetCancelButton()->IsEnabled());
  EXPECT_TRUE(m_dialog->IsShown());
}

TEST_F(DemImportDlg, EscapeCancelsWithoutClosing) {
  for (int press = 0; press < 2; ++press) {
    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    escape.SetEventObject(m_dialog);
    m_dialog->GetEventHandler()->ProcessEvent(escape);
    EXPECT_TRUE(m_dialog->IsCancelled());
    EXPECT_FALSE(m_dialog->GetCancelButton()->IsEnabled());
    EXPECT_TRUE(m_dialog->IsShown());
  }
}

// The application's main window, which a conversion blocks, with scripted
// message boxes and file dialogs.
class DemImportCommand : public testing::Test {
 protected:
  void SetUp() override {
    m_frame = CKemApp::Get()->MainFrame();
    ASSERT_NE(m_frame, nullptr);
    m_demPath = m_folder.File("area.xyz");
    test::WriteText(m_demPath, kSmallDem);
    SetMessageBoxAnswer([this](const wxString& text, const wxString& caption, long style) {
      m_messages.push_back({text, caption, style});
      return wxOK;
    });
  }
  void TearDown() override {
    SetMessageBoxAnswer({});
    SetFileDialogAnswer({});
  }

  struct Message {
    wxString text;
    wxString caption;
    long style;
  };

  test::TempDir m_folder;
  std::string m_demPath;
  CMainFrame* m_frame = nullptr;
  std::vector<Message> m_messages;
};

TEST_F(DemImportCommand, WritesTheHeightMapBesideTheDem) {
  bool frameTookInputDuringRun = true;
  CDemImportDlg* shown = nullptr;
  const RunOutcome result = RunDemImport(m_frame, m_demPath, [&](CDemImportDlg& dialog) {
    frameTookInputDuringRun = FrameTakesInput(*m_frame);
    shown = &dialog;
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_EQ(dialog.GetParent(), nullptr);
  });
  EXPECT_EQ(result, RunOutcome::kWritten);
  EXPECT_FALSE(frameTookInputDuringRun);
  EXPECT_TRUE(FrameTakesInput(*m_frame));
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(shown));
  EXPECT_EQ(std::filesystem::file_size(m_demPath + ".tga"), kSmallMapBytes);
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(DemImportCommand, CancelBeforeTheFirstTestWritesNothing) {
  const RunOutcome result =
      RunDemImport(m_frame, m_demPath, [](CDemImportDlg& dialog) { ClickCancel(dialog); });
  EXPECT_EQ(result, RunOutcome::kCancelled);
  EXPECT_FALSE(std::filesystem::exists(m_demPath + ".tga"));
  EXPECT_TRUE(FrameTakesInput(*m_frame));
}

TEST_F(DemImportCommand, CancelPressedWhileConvertingStopsIt) {
  // Enough points that placement pumps events many times; the click waits in
  // the queue until the first pump.
  std::string dem;
  for (int row = 0; row < 60; ++row) {
    for (int col = 0; col < 60; ++col) {
      dem += std::to_string(col * 10) + " " + std::to_string(row * 10) + " 5\n";
    }
  }
  test::WriteText(m_demPath, dem);
  RunOutcome result = RunOutcome::kWritten;
  wxGUIEventLoop loop;
  wxTheApp->CallAfter([&] {
    result = RunDemImport(m_frame, m_demPath, [](CDemImportDlg& dialog) {
      auto* click = new wxCommandEvent(wxEVT_BUTTON, kIdImporterCancel);
      click->SetEventObject(dialog.GetCancelButton());
      dialog.GetCancelButton()->GetEventHandler()->QueueEvent(click);
    });
    loop.Exit();
  });
  loop.Run();
  EXPECT_EQ(result, RunOutcome::kCancelled);
  EXPECT_FALSE(std::filesystem::exists(m_demPath + ".tga"));
  EXPECT_TRUE(FrameTakesInput(*m_frame));
}

TEST_F(DemImportCommand, FailedConversionShowsAnErrorAndEnablesTheWindow) {
  const RunOutcome result = RunDemImport(m_frame, m_folder.File("missing.xyz"));
  EXPECT_EQ(result, RunOutcome::kFailed);
  EXPECT_TRUE(FrameTakesInput(*m_frame));
  ASSERT_EQ(m_messages.size(), 1U);
  EXPECT_EQ(m_messages[0].caption, wxS("RezozorUduzuvur.convertdem"));
  EXPECT_EQ(m_messages[0].style, wxOK | wxICON_ERROR);
}

TEST_F(DemImportCommand, AsksForAnExistingDemFile) {
  std::optional<FileDialogRequest> asked;
  SetFileDialogAnswer([&](const FileDialogRequest& request) -> std::optional<wxString> {
    asked = request;
    return wxString(m_demPath);
  });
  RunDemImportCommand(m_frame);
  ASSERT_TRUE(asked.has_value());
  EXPECT_EQ(asked->wildcard, ElevationFileFilter(kem::ReadsGdalRasters(), false));
  EXPECT_EQ(asked->style, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  EXPECT_TRUE(std::filesystem::exists(m_demPath + ".tga"));
  EXPECT_TRUE(FrameTakesInput(*m_frame));
}

TEST_F(DemImportCommand, AsksForAnElevationRasterAndReadsWhatTheFileHolds) {
  std::optional<FileDialogRequest> asked;
  SetFileDialogAnswer([&](const FileDialogRequest& request) -> std::optional<wxString> {
    asked = request;
    return wxString(m_demPath);
  });
  RunRasterImportCommand(m_frame);
  ASSERT_TRUE(asked.has_value());
  EXPECT_EQ(asked->wildcard, ElevationFileFilter(kem::ReadsGdalRasters(), true));
  // XYZ text chosen there is still converted, as XYZ.
  EXPECT_TRUE(std::filesystem::exists(m_demPath + ".tga"));
  // Only the offer to use the height map in the project.
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.StartsWith("Use ")) << m_messages[0].text;
  EXPECT_TRUE(m_frame->IsEnabled());
}

TEST_F(DemImportCommand, TickedCropCheckboxCutsTheHeightMapToWholeBoards) {
  // 80 x 77 points, 10 units apart: one board, 76 x 76 pixels, fits.
  std::string text;
  for (int row = 0; row < 77; ++row) {
    for (int col = 0; col < 80; ++col) {
      text += std::to_string(col * 10) + " " + std::to_string(row * 10) + " 5\n";
    }
  }
  test::WriteText(m_demPath, text);
  SetFileDialogAnswer([&](const FileDialogRequest& request) -> std::optional<wxString> {
    if (request.fitBoards == nullptr) {
      ADD_FAILURE() << "no crop checkbox";
      return wxString(m_demPath);
    }
    EXPECT_FALSE(*request.fitBoards);  // off unless ticked
    *request.fitBoards = true;
    return wxString(m_demPath);
  });
  RunDemImportCommand(m_frame);
  const std::vector<std::uint8_t> bytes = test::ReadFile(m_demPath + ".tga");
  ASSERT_GE(bytes.size(), 18U);
  EXPECT_EQ(bytes[12] | bytes[13] << 8, 76);
  EXPECT_EQ(bytes[14] | bytes[15] << 8, 76);

  // The choice and the folder are there for the next conversion; untick it
  // again for the tests after this one.
  SetFileDialogAnswer([&](const FileDialogRequest& request) -> std::optional<wxString> {
    EXPECT_TRUE(request.fitBoards != nullptr && *request.fitBoards);
    EXPECT_EQ(request.directory, wxFileName(m_demPath).GetPath());
    *request.fitBoards = false;
    return wxString(m_demPath);
  });
  RunDemImportCommand(m_frame);
  SetFileDialogAnswer([&](const FileDialogRequest& request) -> std::optional<wxString> {
    EXPECT_FALSE(*request.fitBoards);
    return std::nullopt;
  });
  RunDemImportCommand(m_frame);
}

TEST_F(DemImportCommand, CancelledFileDialogOpensNoImporter) {
  SetFileDialogAnswer([](const FileDialogRequest&) -> std::optional<wxString> { return {}; });
  const size_t windowsBefore = wxTopLevelWindows.GetCount();
  RunDemImportCommand(m_frame);
  EXPECT_EQ(wxTopLevelWindows.GetCount(), windowsBefore);
  EXPECT_TRUE(FrameTakesInput(*m_frame));
  EXPECT_FALSE(std::filesystem::exists(m_demPath + ".tga"));
}

}  // namespace
}  // namespace kem::app
