// The importer dialog's progress bar shows whole percentages only; the box
// after a raster conversion says what was done to it.
#include "app/dem_import_dlg.h"
#include "app/dem_import_command.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace kem::app {
namespace {

TEST(DemImportDlgGauge, TruncatesTowardZero) {
  EXPECT_EQ(ImporterGaugePosition(62.5F), 62);
  EXPECT_EQ(ImporterGaugePosition(87.499F), 87);
  EXPECT_EQ(ImporterGaugePosition(99.99F), 99);
  EXPECT_EQ(ImporterGaugePosition(0.9F), 0);
  EXPECT_EQ(ImporterGaugePosition(100.0F), 100);
}

TEST(DemImportDlgGauge, StaysWithinTheBar) {
  EXPECT_EQ(ImporterGaugePosition(-3.0F), 0);
  EXPECT_EQ(ImporterGaugePosition(150.0F), 100);
  EXPECT_EQ(ImporterGaugePosition(std::numeric_limits<float>::infinity()), 100);
  EXPECT_EQ(ImporterGaugePosition(std::nanf("")), 0);
}

TEST(DescribeRasterReport, GivesTheZoneAndTheFilledCells) {
  kem::RasterReport report;
  report.utmZone = 33;
  report.utmNorth = false;
  report.epsg = 32733;
  EXPECT_EQ(DescribeRasterReport(report), "Reprojected to UTM zone 33S (EPSG:32733).");
  report.filledCells = 12;
  EXPECT_EQ(DescribeRasterReport(report),
            "Reprojected to UTM zone 33S (EPSG:32733).\nFilled 12 cells without data from their "
            "neighbours.");
  report.utmZone = 0;
  EXPECT_EQ(DescribeRasterReport(report), "Filled 12 cells without data from their neighbours.");
  report.impossibleCells = 2;
  EXPECT_EQ(DescribeRasterReport(report),
            "Took 2 cells whose heights are not finite or lie beyond 20000 m up or down as cells "
            "without data.\nFilled 12 cells without data from their neighbours.");
}

// The file dialog lists every format the build reads, all of them first.
TEST(ElevationFileFilter, ListsWhatTheBuildReads) {
  EXPECT_EQ(ElevationFileFilter(false, false), kDemFileFilter);
  const wxString both = ElevationFileFilter(true, false);
  EXPECT_TRUE(both.StartsWith("All elevation files|*.XYZ;*.xyz;*.tif;")) << both;
  EXPECT_TRUE(both.EndsWith("|All Files|*.*")) << both;
  EXPECT_TRUE(both.AfterFirst('|').AfterFirst('|').StartsWith("ASCII .XYZ")) << both;
  const wxString rasters = ElevationFileFilter(true, true);
  EXPECT_TRUE(rasters.AfterFirst('|').AfterFirst('|').StartsWith("Elevation rasters")) << rasters;
  EXPECT_EQ(wxSplit(rasters, '|').size(), 8u);
}

}  // namespace
}  // namespace kem::app
