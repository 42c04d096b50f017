// Parts of the shell that need no screen: dialog units, help context
// numbers and their pages, the spin's hold steps, and the recent-file list of
// four kept in the settings.
#include <memory>

#include <gtest/gtest.h>
#include <wx/fileconf.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/init.h>

#include "app/command_ids.h"
#include "app/dialog_units.h"
#include "app/doc_manager.h"
#include "app/help_topics.h"
#include "app/spin_arrows.h"
#include "support/test_support.h"

namespace kem::app {
namespace {

TEST(DialogUnits, ConvertWithRounding) {
  EXPECT_EQ(DialogUnitsToPixels(239, 6, 4), 359);   // 358.5 rounds up
  EXPECT_EQ(DialogUnitsToPixels(316, 13, 8), 514);  // 513.5 rounds up
  EXPECT_EQ(DialogUnitsToPixels(4, 7, 4), 7);
  EXPECT_EQ(DialogUnitsToPixels(0, 7, 4), 0);
  EXPECT_EQ(DialogUnitsToPixels(-4, 7, 4), -7);
}

TEST(DialogUnits, HorizontalBaseFromTheLetters) {
  EXPECT_EQ(HorizontalBaseUnit(312), 6);  // 12 per pair of letters: 6
  EXPECT_EQ(HorizontalBaseUnit(338), 7);  // 13 rounds up: 7
  EXPECT_EQ(HorizontalBaseUnit(0), 0);
}

TEST(HelpTopics, FormControlsCarryTheFormsContextNumbers) {
  EXPECT_EQ(HelpContextForControl(kIdHeightMapPath), 2154103786u);
  EXPECT_EQ(HelpContextForControl(kIdInterpolate), 0x806503FEu);
  EXPECT_EQ(HelpContextForControl(kIdGenerate), 0x80658003u);
  EXPECT_EQ(HelpContextForControl(kIdPreviewPane), 0x80650406u);
  EXPECT_EQ(HelpContextForControl(kIdPickHeightMap), std::nullopt);
  EXPECT_EQ(HelpContextForControl(-1), std::nullopt);
}

TEST(HelpTopics, EveryContextHasAPageInTheBook) {
  const wxString book = FindHelpBook();
  ASSERT_FALSE(book.empty());
  const wxString dir = wxFileName(book).GetPath();
  for (int id : {kIdHeightMapPath, kIdFilterGuidePath, kIdFilterRadius, kIdMaxHeight, kIdBaseHeight,
                 kIdMinimapPath, kIdOutputPath, kIdTexturingGuidePath, kIdRandomize, kIdDataFormat,
                 kIdInterpolate, kIdGenerate, kIdPreviewPane}) {
    const auto context = HelpContextForControl(id);
    ASSERT_TRUE(context) << id;
    const std::string page = HelpTopicPage(*context);
    ASSERT_FALSE(page.empty()) << id;
    EXPECT_TRUE(wxFileName(dir, wxString(page)).FileExists()) << page;
  }
  EXPECT_TRUE(wxFileName(dir, kHelpContentsPage).FileExists());
  EXPECT_EQ(HelpTopicPage(0x80650001u), "");
}

TEST(SpinArrows, HeldArrowStepsFaster) {
  EXPECT_EQ(SpinArrows::StepForHoldTime(0), 1);
  EXPECT_EQ(SpinArrows::StepForHoldTime(1999), 1);
  EXPECT_EQ(SpinArrows::StepForHoldTime(2000), 5);
  EXPECT_EQ(SpinArrows::StepForHoldTime(5000), 20);
}

TEST(DocManager, KeepTheLastFourNewestFirst) {
  wxFileHistory history(kRecentFileCount);
  for (const char* name : {"/p/a", "/p/b", "/p/c", "/p/d", "/p/e"}) {
    history.AddFileToHistory(name);
  }
  ASSERT_EQ(history.GetCount(), 4u);
  EXPECT_EQ(history.GetHistoryFile(0), "/p/e");
  EXPECT_EQ(history.GetHistoryFile(3), "/p/b");
  // Opening one again moves it to the top without a duplicate.
  history.AddFileToHistory("/p/c");
  EXPECT_EQ(history.GetCount(), 4u);
  EXPECT_EQ(history.GetHistoryFile(0), "/p/c");
}

TEST(DocManager, SurviveTheSettingsFile) {
  // The settings classes ask the running program for its folders.
  wxInitializer wx;
  ASSERT_TRUE(wx.IsOk());
  test::TempDir folder;
  const wxString file = wxString::FromUTF8(folder.File("Kem.ini"));
  {
    wxFileConfig config("Kem", "Local AppWizard-Generated Applications", file, wxString(),
                        wxCONFIG_USE_LOCAL_FILE);
    wxFileHistory history(kRecentFileCount);
    history.AddFileToHistory("/p/one");
    history.AddFileToHistory("/p/two");
    SaveRecentFiles(history, config);
  }
  wxFileConfig config("Kem", "Local AppWizard-Generated Applications", file, wxString(),
                      wxCONFIG_USE_LOCAL_FILE);
  // The value names Windows programs of this kind use, newest first.
  EXPECT_EQ(config.Read("Recent File List/File1"), "/p/two");
  EXPECT_EQ(config.Read("Recent File List/File2"), "/p/one");
  EXPECT_FALSE(config.Exists("Recent File List/File3"));
  wxFileHistory history(kRecentFileCount);
  LoadRecentFiles(history, config);
  ASSERT_EQ(history.GetCount(), 2u);
  EXPECT_EQ(history.GetHistoryFile(0), "/p/two");
  EXPECT_EQ(history.GetHistoryFile(1), "/p/one");
}

}  // namespace
}  // namespace kem::app
