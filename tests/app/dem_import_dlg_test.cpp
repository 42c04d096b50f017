// The importer dialog's progress bar shows whole percentages only.
#include "app/dem_import_dlg.h"

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

}  // namespace
}  // namespace kem::app
