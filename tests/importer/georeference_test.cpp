// Where a height map lies: its sidecar, read back by GDAL where it is there
// (the pixel that holds a known point, the corners, the coordinate system);
// the column order of XYZ text from its names; decimal commas.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "core/replacing_file.h"
#include "importer/convert_dem.h"
#include "importer/convert_elevation.h"
#include "importer/grid_sidecar.h"
#include "importer/recording_import_host.h"
#include "importer/route_area.h"
#include "importer/xyz_columns.h"
#include "support/test_outputs.h"
#include "support/test_support.h"

#ifdef KEM_WITH_GDAL
#include <gdal.h>
#include <ogr_srs_api.h>
#endif

namespace kem {
namespace {

using test::RecordingImportHost;
using test::TempDir;

struct ColumnsCase {
  const char* opening;
  bool accepted;
  XyzColumns columns;
};

TEST(XyzColumnNames, GiveTheOrderOrARefusal) {
  const ColumnsCase cases[] = {
      {"x y z\n1 2 3\n", true, {0, 1, 2, false}},
      {"Y X Z\n1 2 3\n", true, {1, 0, 2, false}},
      {"\"lat\";\"lon\";\"h\"\n1;2;3\n", true, {1, 0, 2, true}},
      {"northing,easting,height\n1,2,3\n", true, {1, 0, 2, false}},
      {"Z LONG LAT\r\n1 2 3\r\n", true, {1, 2, 0, false}},
      {"# exported\nEast North Elevation\n# more\n1 2 3\n", true, {0, 1, 2, false}},
      {"Rechtswert;Hochwert;Wert\n1;2;3\n", false, {}},  // two columns named, one not
      {"DEM of the valley\n1 2 3\n", true, {0, 1, 2, false}},
      {"1 2 3\nY X Z\n", true, {0, 1, 2, false}},  // names after a point are no names
      {"0,5;1;100\n", true, {0, 1, 2, true}},
      {"x;y;z\n0;1;100\n", true, {0, 1, 2, true}},
      {"0,1,100\n0.5,1,100\n", true, {0, 1, 2, false}},
      {"Y X\n1 2 3\n", false, {}},
      {"x x z\n1 2 3\n", false, {}},
      {"id x y z\n1 2 3 4\n", false, {}},
  };
  for (const ColumnsCase& c : cases) {
    XyzColumns columns;
    std::string error;
    ASSERT_EQ(ReadXyzColumns(c.opening, columns, error), c.accepted) << c.opening;
    if (c.accepted) {
      EXPECT_EQ(columns.x, c.columns.x) << c.opening;
      EXPECT_EQ(columns.y, c.columns.y) << c.opening;
      EXPECT_EQ(columns.z, c.columns.z) << c.opening;
      EXPECT_EQ(columns.decimalComma, c.columns.decimalComma) << c.opening;
    } else {
      EXPECT_NE(error.find("column names"), std::string::npos) << error;
    }
  }
}

TEST(GridSidecar, ReadsBackWhatItWrites) {
  const GridGeoreference written{"PROJCS[\"a <b> & c\"]", 499995, 5600055, 10, 11, 6};
  GridGeoreference read;
  ASSERT_TRUE(ParseGridSidecar(GridSidecarXml(written), read));
  EXPECT_EQ(read.crsWkt, written.crsWkt);
  EXPECT_EQ(read.west, 499995);
  EXPECT_EQ(read.north, 5600055);
  EXPECT_EQ(read.pixelSize, 10);
  EXPECT_FALSE(ParseGridSidecar("<PAMDataset></PAMDataset>", read));
}

// An 11 x 6 grid at 10 m whose height at column i, row j (from the south) is
// i + 100 j, listed with its columns in the order `header` names.
std::string Grid(const char* header, bool yFirst, const char* separator = " ") {
  std::string text = std::string(header) + "\n";
  for (int j = 0; j < 6; ++j) {
    for (int i = 0; i < 11; ++i) {
      const std::string x = std::to_string(500000 + 10 * i);
      const std::string y = std::to_string(5600000 + 10 * j);
      text += (yFirst ? y : x) + separator + (yFirst ? x : y) + separator +
              std::to_string(i + 100 * j) + "\n";
    }
  }
  return text;
}

class Georeference : public ::testing::Test {
 protected:
  RunOutcome Convert(const std::string& text, const ConvertOptions& given = {}) {
    test::WriteText(input_, text);
    ConvertOptions options = given;
    options.georeference = &georeference_;
    return ConvertElevation(input_, host_, options, report_);
  }

  TempDir dir_;
  std::string input_ = dir_.File("area.xyz");
  std::string output_ = dir_.File("area.xyz.tga");
  RecordingImportHost host_;
  RasterReport report_;
  GridGeoreference georeference_;
};

TEST_F(Georeference, ColumnNamesInAnotherOrderGiveTheSameMap) {
  ASSERT_EQ(Convert(Grid("x y z", false)), RunOutcome::kWritten);
  const auto expected = test::ReadFile(output_);
  ASSERT_EQ(Convert(Grid("Y X Z", true)), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(output_), expected);
  EXPECT_EQ(georeference_.width, 11);
  EXPECT_EQ(georeference_.height, 6);
  std::string decimal = Grid("", false, ";");
  for (std::size_t at = 0; (at = decimal.find('\n', at + 1)) != std::string::npos;) {
    decimal.insert(at, ",0");  // the height with a decimal comma
    at += 2;
  }
  ASSERT_EQ(Convert(decimal.substr(1)), RunOutcome::kWritten) << host_.Errors().size();
  EXPECT_EQ(test::ReadFile(output_), expected);
  // Read in blocks on several threads, the same.
  ConvertOptions blocks;
  blocks.threads = 3;
  blocks.scanBlockBytes = 64;
  ASSERT_EQ(Convert(decimal.substr(1), blocks), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(output_), expected);
  ASSERT_EQ(Convert(Grid("Y X Z", true), blocks), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(output_), expected);
}

TEST_F(Georeference, RefusesColumnNamesOfNoOrderAndWritesNothing) {
  EXPECT_EQ(Convert("Y X\n0 0 1\n"), RunOutcome::kFailed);
  ASSERT_EQ(host_.Errors().size(), 1u);
  EXPECT_NE(host_.Errors()[0].find("\"Y X\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(output_));
  EXPECT_FALSE(std::filesystem::exists(GridSidecarPath(output_)));
}

TEST_F(Georeference, ASidecarThatCannotBeWrittenLeavesNeitherFile) {
  test::WriteText(input_, Grid("x y z", false));
  const OutputFileFactory noSidecar = [](const std::string& path) -> std::unique_ptr<OutputFile> {
    if (path.ends_with(".aux.xml")) {
      return nullptr;
    }
    return ReplacingFile::Create(path);
  };
  EXPECT_EQ(convertdem(input_, host_, noSidecar), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors().size(), 1u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);  // the input alone
}

TEST_F(Georeference, PutsTheXyzPointsAtTheCentresOfTheirPixels) {
  ASSERT_EQ(Convert(Grid("x y z", false)), RunOutcome::kWritten);
  GridGeoreference sidecar;
  ASSERT_TRUE(ReadGridSidecar(output_, sidecar));
  EXPECT_EQ(sidecar.crsWkt, "");  // no --crs: only the geotransform
  EXPECT_EQ(sidecar.west, 500000 - 5);
  EXPECT_EQ(sidecar.north, 5600050 + 5);
  const RouteArea area = DescribeRouteArea(georeference_);
  EXPECT_EQ(area.east, 500105);
  EXPECT_EQ(area.south, 5599995);
  EXPECT_FALSE(area.hasDegrees);
}

#ifdef KEM_WITH_GDAL

// Opens the height map through GDAL's Targa driver, which reads the sidecar.
GDALDatasetH OpenMap(const std::string& path) {
  GDALAllRegister();
  return GDALOpen(path.c_str(), GA_ReadOnly);
}

// The 24-bit code of the pixel that holds the point (x, y), by the
// geotransform GDAL read.
std::uint32_t CodeAt(GDALDatasetH map, double x, double y) {
  double t[6];
  double inverse[6];
  EXPECT_EQ(GDALGetGeoTransform(map, t), CE_None);
  EXPECT_TRUE(GDALInvGeoTransform(t, inverse));
  double px = 0;
  double py = 0;
  GDALApplyGeoTransform(inverse, x, y, &px, &py);
  std::uint32_t code = 0;
  for (int band = 1; band <= 3; ++band) {
    std::uint8_t value = 0;
    EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(map, band), GF_Read, static_cast<int>(px),
                           static_cast<int>(py), 1, 1, &value, 1, 1, GDT_Byte, 0, 0),
              CE_None);
    code = code << 8 | value;  // red, green, blue: high byte first
  }
  return code;
}

std::uint32_t HeightCodeOf(float height) {
  return static_cast<std::uint32_t>((static_cast<double>(height) + 1000) * 1677.7215576171875) &
         0xFFFFFF;
}

TEST_F(Georeference, GdalFindsTheHeightOfAKnownPointWithAndWithoutCrs) {
  std::string wkt;
  std::string error;
  ASSERT_TRUE(ResolveCrsDefinition("EPSG:25832", wkt, error)) << error;
  ASSERT_LT(wkt.size(), 100000u);
  for (const bool withCrs : {false, true}) {
    ConvertOptions options;
    options.georeference = &georeference_;
    if (withCrs) {
      options.crsWkt = wkt;
    }
    test::WriteText(input_, Grid("x y z", false));
    ASSERT_EQ(ConvertElevation(input_, host_, options, report_), RunOutcome::kWritten);
    GDALDatasetH map = OpenMap(output_);
    ASSERT_NE(map, nullptr);
    // Points at column 3, row 4 and at the corners of the grid.
    EXPECT_EQ(CodeAt(map, 500030, 5600040), HeightCodeOf(403));
    EXPECT_EQ(CodeAt(map, 500000, 5600050), HeightCodeOf(500));
    EXPECT_EQ(CodeAt(map, 500100, 5600000), HeightCodeOf(10));
    const OGRSpatialReferenceH srs = GDALGetSpatialRef(map);
    EXPECT_EQ(srs != nullptr, withCrs);
    if (srs != nullptr) {
      EXPECT_STREQ(OSRGetAuthorityCode(srs, nullptr), "25832");
    }
    GDALClose(map);
  }
  const RouteArea area = DescribeRouteArea(georeference_);
  ASSERT_TRUE(area.hasDegrees);
  EXPECT_EQ(area.crsName, "ETRS89 / UTM zone 32N (EPSG:25832)");
  EXPECT_NEAR(area.centreLatitude, 50.5521572, 1e-6);
  EXPECT_NEAR(area.centreLongitude, 9.0007058, 1e-6);
}

// A raster of `cols` x `rows` cells with the geotransform `t` in `epsg`.
void MakeRaster(const std::string& path, int cols, int rows, const double (&t)[6], int epsg) {
  GDALAllRegister();
  GDALDatasetH file =
      GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), cols, rows, 1, GDT_Float32, nullptr);
  ASSERT_NE(file, nullptr);
  GDALSetGeoTransform(file, const_cast<double*>(t));
  OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(srs, epsg);
  GDALSetSpatialRef(file, srs);
  OSRRelease(srs);
  GDALFillRaster(GDALGetRasterBand(file, 1), 100, 0);
  GDALClose(file);
}

TEST_F(Georeference, KeepsARastersCornersAndItsSystem) {
  const std::string raster = dir_.File("dem.tif");
  const double t[6] = {400000, 10, 0, 5600000, 0, -10};
  MakeRaster(raster, 90, 80, t, 25832);
  ASSERT_EQ(ConvertElevation(raster, host_, ConvertOptions(), report_), RunOutcome::kWritten);
  GDALDatasetH map = OpenMap(raster + ".tga");
  ASSERT_NE(map, nullptr);
  double read[6];
  ASSERT_EQ(GDALGetGeoTransform(map, read), CE_None);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(read[i], t[i]) << i;
  }
  ASSERT_NE(GDALGetSpatialRef(map), nullptr);
  EXPECT_STREQ(OSRGetAuthorityCode(GDALGetSpatialRef(map), nullptr), "25832");
  GDALClose(map);
  // Cut to whole boards, the corner moves in with the window: 90 x 80 keeps
  // 76 x 76, 7 columns and 2 rows in.
  ConvertOptions fit;
  fit.fitBoards = true;
  fit.georeference = &georeference_;
  ASSERT_EQ(ConvertElevation(raster, host_, fit, report_), RunOutcome::kWritten);
  EXPECT_EQ(georeference_.west, 400070);
  EXPECT_EQ(georeference_.north, 5599980);
  EXPECT_EQ(DescribeRouteArea(georeference_).boardCols, 1);
}

TEST_F(Georeference, PlacesARasterInDegreesInItsUtmZone) {
  const std::string raster = dir_.File("dem.tif");
  const double t[6] = {9.0, 0.001, 0, 50.5, 0, -0.001};
  MakeRaster(raster, 20, 20, t, 4326);
  ConvertOptions options;
  options.georeference = &georeference_;
  ASSERT_EQ(ConvertElevation(raster, host_, options, report_), RunOutcome::kWritten);
  GDALDatasetH map = OpenMap(raster + ".tga");
  ASSERT_NE(map, nullptr);
  ASSERT_NE(GDALGetSpatialRef(map), nullptr);
  EXPECT_STREQ(OSRGetAuthorityCode(GDALGetSpatialRef(map), nullptr), "32632");
  double read[6];
  ASSERT_EQ(GDALGetGeoTransform(map, read), CE_None);
  EXPECT_EQ(read[1], 10);
  GDALClose(map);
  // The north-west corner of the raster lies inside the map's top-left pixel.
  const RouteArea area = DescribeRouteArea(georeference_);
  ASSERT_TRUE(area.hasDegrees);
  EXPECT_NEAR(area.centreLongitude, 9.01, 0.001);
  EXPECT_NEAR(area.centreLatitude, 50.49, 0.001);
}

#endif  // KEM_WITH_GDAL

}  // namespace
}  // namespace kem
