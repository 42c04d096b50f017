// Elevation rasters through GDAL: the same bytes as the same grid written as
// XYZ text, feet, cells without data, degrees into UTM, cropping to whole
// boards, cancel and refusals. The rasters are made with GDAL's own API.
#ifdef KEM_WITH_GDAL

#include "importer/raster_import.h"

#include <arpa/inet.h>
#include <cpl_string.h>
#include <gdal.h>
#include <netinet/in.h>
#include <ogr_srs_api.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <ostream>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "importer/convert_elevation.h"
#include "importer/import_messages.h"
#include "importer/recording_import_host.h"
#include "support/test_support.h"

namespace kem {
namespace {

using test::RecordingImportHost;
using test::TempDir;

constexpr char kAllNoData[] =
    "Error: the elevation raster holds no heights: every cell is marked as having no data.";

// A raster to make: its cells row by row from the north, where they lie, and
// what it declares.
struct RasterSample {
  const char* driver = "GTiff";
  int cols = 0;
  int rows = 0;
  double geoTransform[6] = {400000, 10, 0, 5600000, 0, -10};
  int epsg = 0;  // 0: no coordinate system
  std::vector<float> heights;
  bool hasNoData = false;
  double noData = 0;
  const char* unit = nullptr;
};

void MakeRaster(const std::string& path, const RasterSample& raster) {
  GDALAllRegister();
  GDALDatasetH memory =
      GDALCreate(GDALGetDriverByName("MEM"), "", raster.cols, raster.rows, 1, GDT_Float32, nullptr);
  ASSERT_NE(memory, nullptr);
  GDALSetGeoTransform(memory, const_cast<double*>(raster.geoTransform));
  if (raster.epsg != 0) {
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, raster.epsg);
    GDALSetSpatialRef(memory, srs);
    OSRRelease(srs);
  }
  GDALRasterBandH band = GDALGetRasterBand(memory, 1);
  if (raster.hasNoData) {
    GDALSetRasterNoDataValue(band, raster.noData);
  }
  if (raster.unit != nullptr) {
    GDALSetRasterUnitType(band, raster.unit);
  }
  ASSERT_EQ(GDALRasterIO(band, GF_Write, 0, 0, raster.cols, raster.rows,
                         const_cast<float*>(raster.heights.data()), raster.cols, raster.rows,
                         GDT_Float32, 0, 0),
            CE_None);
  GDALDatasetH file = GDALCreateCopy(GDALGetDriverByName(raster.driver), path.c_str(), memory,
                                     FALSE, nullptr, nullptr, nullptr);
  ASSERT_NE(file, nullptr);
  GDALClose(file);
  GDALClose(memory);
}

// Heights of a small hill with fractions and negatives, row by row.
std::vector<float> Hill(int cols, int rows) {
  std::vector<float> heights;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      heights.push_back(static_cast<float>(-12.5 + 37.25 * std::sin(c * 0.7) * std::cos(r * 0.4) +
                                           3.125 * r + 0.001 * c));
    }
  }
  return heights;
}

// The raster's cells as XYZ text: one point at the centre of each cell, the
// height scaled by `metres` and printed so that it reads back as that float.
std::string AsXyz(const RasterSample& raster, double metres = 1.0) {
  std::string text = "x,y,z\n";
  char line[128];
  for (int r = 0; r < raster.rows; ++r) {
    for (int c = 0; c < raster.cols; ++c) {
      const double x = raster.geoTransform[0] + (c + 0.5) * raster.geoTransform[1];
      const double y = raster.geoTransform[3] + (r + 0.5) * raster.geoTransform[5];
      const auto z =
          static_cast<float>(static_cast<double>(raster.heights[r * raster.cols + c]) * metres);
      std::snprintf(line, sizeof line, "%.1f,%.1f,%.9g\n", x, y, z);
      text += line;
    }
  }
  return text;
}

class RasterImport : public ::testing::Test {
 protected:
  RunOutcome Convert(const std::string& path, const ConvertOptions& options = {}) {
    return ConvertElevation(path, host_, options, report_);
  }

  // Converts `sample` as a raster file and as XYZ text; expects the same bytes.
  void ExpectSameAsXyz(const RasterSample& sample, const std::string& name, double metres = 1.0,
                       const ConvertOptions& options = {}) {
    const std::string raster = dir_.File(name);
    MakeRaster(raster, sample);
    test::WriteText(dir_.File("same.xyz"), AsXyz(sample, metres));
    ConvertOptions rasterOptions = options;
    rasterOptions.outputPath = dir_.File("raster.tga");
    ConvertOptions xyzOptions = options;
    xyzOptions.outputPath = dir_.File("xyz.tga");
    ASSERT_EQ(Convert(raster, rasterOptions), RunOutcome::kWritten) << name;
    ASSERT_EQ(Convert(dir_.File("same.xyz"), xyzOptions), RunOutcome::kWritten) << name;
    EXPECT_TRUE(host_.Errors().empty());
    EXPECT_EQ(test::ReadFile(dir_.File("raster.tga")), test::ReadFile(dir_.File("xyz.tga")))
        << name;
  }

  TempDir dir_;
  RecordingImportHost host_;
  RasterReport report_;
};

struct FormatCase {
  const char* name;
  const char* driver;
  const char* file;
  int epsg;
};

class RasterFormats : public RasterImport, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(RasterFormats, GiveTheBytesOfTheSameGridAsXyz) {
  RasterSample raster;
  raster.driver = GetParam().driver;
  raster.cols = 9;
  raster.rows = 6;
  raster.epsg = GetParam().epsg;
  raster.heights = Hill(raster.cols, raster.rows);
  ExpectSameAsXyz(raster, GetParam().file);
  EXPECT_EQ(report_.filledCells, 0u);
  EXPECT_EQ(report_.utmZone, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, RasterFormats,
    ::testing::Values(FormatCase{"geotiff_utm", "GTiff", "area.tif", 25832},
                      FormatCase{"geotiff_without_system", "GTiff", "plain.tif", 0},
                      FormatCase{"ascii_grid", "AAIGrid", "area.asc", 0},
                      FormatCase{"erdas_imagine", "HFA", "area.img", 32633}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

// Heights of some thousand feet, where the US survey foot's 2 ppm over the
// international foot changes the codes.
TEST_F(RasterImport, TakesHeightsInFeetAsFeet) {
  struct FootCase {
    const char* unit;
    double metres;
  };
  for (const FootCase& foot :
       {FootCase{"ft", 0.3048}, FootCase{"US survey foot", 1200.0 / 3937.0}}) {
    RasterSample raster;
    raster.cols = 5;
    raster.rows = 4;
    raster.epsg = 25832;
    raster.heights = Hill(raster.cols, raster.rows);
    for (float& height : raster.heights) {
      height = 8000.0f + 40.0f * height;
    }
    raster.unit = foot.unit;
    ExpectSameAsXyz(raster, "feet.tif", foot.metres);
  }
}

TEST_F(RasterImport, CutsBothPathsToTheSameWholeBoards) {
  RasterSample raster;
  raster.cols = 200;
  raster.rows = 90;
  raster.epsg = 25832;
  raster.heights = Hill(raster.cols, raster.rows);
  ConvertOptions fit;
  fit.fitBoards = true;
  ExpectSameAsXyz(raster, "boards.tif", 1.0, fit);
  const std::vector<std::uint8_t> bytes = test::ReadFile(dir_.File("raster.tga"));
  ASSERT_EQ(bytes.size(), 18u + 3u * 148 * 76);
  EXPECT_EQ(bytes[12] | bytes[13] << 8, 148);
  // The first pixel is cell (7, 26) of the grid: (90 - 76) / 2 and (200 - 148) / 2.
  std::uint8_t pixel[3];
  EncodeHeightPixels(&raster.heights[7 * 200 + 26], 1, pixel);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 18, bytes.begin() + 21),
            std::vector<std::uint8_t>(pixel, pixel + 3));
  // Under one board there is nothing to cut.
  raster.cols = 75;
  raster.heights = Hill(raster.cols, raster.rows);
  MakeRaster(dir_.File("small.tif"), raster);
  EXPECT_EQ(Convert(dir_.File("small.tif"), fit), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors().back(), kSmallerThanABoard);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("small.tif.tga")));
}

TEST_F(RasterImport, FillsCellsWithoutDataFromTheirNeighboursAndCountsThem) {
  RasterSample raster;
  raster.cols = 8;
  raster.rows = 6;
  raster.epsg = 25832;
  raster.heights.assign(48, 250.0f);
  raster.hasNoData = true;
  raster.noData = -9999;
  for (int cell : {0, 9, 27, 28, 47}) {
    raster.heights[cell] = -9999.0f;
  }
  MakeRaster(dir_.File("holes.tif"), raster);
  ASSERT_EQ(Convert(dir_.File("holes.tif")), RunOutcome::kWritten);
  EXPECT_EQ(report_.filledCells, 5u);
  // Filled from neighbours that are all 250: every pixel codes about 250.
  const std::vector<std::uint8_t> bytes = test::ReadFile(dir_.File("holes.tif.tga"));
  ASSERT_EQ(bytes.size(), 18u + 3u * 48);
  const std::uint32_t expected = HeightCode(250.0f);
  for (std::size_t at = 18; at < bytes.size(); at += 3) {
    const std::uint32_t code = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16;
    EXPECT_NEAR(static_cast<double>(code), static_cast<double>(expected), 2.0) << at;
  }
  EXPECT_FALSE(host_.Progress("Completing generated surface").empty());
}

// Cells 30 m wide are warped onto the 10 m grid: a cell without data takes
// no part in its neighbours' weighting.
TEST_F(RasterImport, KeepsTheHeightsAroundCellsWithoutDataWhenWarping) {
  RasterSample raster;
  raster.cols = 8;
  raster.rows = 6;
  raster.geoTransform[1] = 30;
  raster.geoTransform[5] = -30;
  raster.epsg = 25832;
  raster.heights.assign(48, 250.0f);
  raster.hasNoData = true;
  raster.noData = -9999;
  for (int cell : {9, 27, 28}) {
    raster.heights[cell] = -9999.0f;
  }
  MakeRaster(dir_.File("holes.tif"), raster);
  ASSERT_EQ(Convert(dir_.File("holes.tif")), RunOutcome::kWritten);
  EXPECT_GT(report_.filledCells, 0u);
  const std::vector<std::uint8_t> bytes = test::ReadFile(dir_.File("holes.tif.tga"));
  ASSERT_EQ(bytes.size(), 18u + 3u * 24 * 18);
  const std::uint32_t expected = HeightCode(250.0f);
  for (std::size_t at = 18; at < bytes.size(); at += 3) {
    const std::uint32_t code = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16;
    ASSERT_NEAR(static_cast<double>(code), static_cast<double>(expected), 2.0) << at;
  }
}

TEST_F(RasterImport, RefusesARasterWithNoDataAtAll) {
  RasterSample raster;
  raster.cols = 4;
  raster.rows = 3;
  raster.heights.assign(12, -32768.0f);
  raster.hasNoData = true;
  raster.noData = -32768;
  MakeRaster(dir_.File("void.tif"), raster);
  EXPECT_EQ(Convert(dir_.File("void.tif")), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kAllNoData});
  EXPECT_EQ(host_.events.back().caption, "RezozorUduzuvur.convertdem");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("void.tif.tga")));
}

// A height map's pixels as height codes.
std::vector<std::uint32_t> Codes(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint32_t> codes;
  for (std::size_t at = 18; at + 2 < bytes.size(); at += 3) {
    codes.push_back(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16);
  }
  return codes;
}

// Heights that are not finite or lie on no ground are cells without data:
// filled from their neighbours and counted apart.
TEST_F(RasterImport, TakesImpossibleHeightsAsCellsWithoutData) {
  RasterSample raster;
  raster.cols = 8;
  raster.rows = 6;
  raster.heights.assign(48, 250.0f);
  const float inf = std::numeric_limits<float>::infinity();
  raster.heights[3] = inf;
  raster.heights[12] = -inf;
  raster.heights[20] = 3e38f;
  raster.heights[33] = -3e38f;
  raster.heights[40] = std::numeric_limits<float>::quiet_NaN();
  MakeRaster(dir_.File("odd.tif"), raster);
  ASSERT_EQ(Convert(dir_.File("odd.tif")), RunOutcome::kWritten);
  EXPECT_EQ(report_.filledCells, 5u);
  EXPECT_EQ(report_.impossibleCells, 4u);
  for (const std::uint32_t code : Codes(test::ReadFile(dir_.File("odd.tif.tga")))) {
    EXPECT_NEAR(static_cast<double>(code), static_cast<double>(HeightCode(250.0f)), 2.0);
  }
}

struct RefusalCase {
  const char* name;
  int cols;
  int rows;
  double cellSize;
  int dataCells;  // cells from the north-west corner that hold data, the rest no data
  const char* message;
};

class RasterRefusals : public RasterImport, public ::testing::WithParamInterface<RefusalCase> {};

// Refused before the grid is allocated or filled, with the numbers.
TEST_P(RasterRefusals, NameTheirNumbersAndWriteNothing) {
  const RefusalCase& c = GetParam();
  RasterSample raster;
  raster.cols = c.cols;
  raster.rows = c.rows;
  raster.geoTransform[1] = c.cellSize;
  raster.geoTransform[5] = -c.cellSize;
  raster.heights.assign(static_cast<std::size_t>(c.cols) * c.rows, -9999.0f);
  std::fill(raster.heights.begin(), raster.heights.begin() + c.dataCells, 120.0f);
  raster.hasNoData = true;
  raster.noData = -9999;
  MakeRaster(dir_.File("refused.tif"), raster);
  EXPECT_EQ(Convert(dir_.File("refused.tif")), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{c.message});
  EXPECT_FALSE(std::filesystem::exists(dir_.File("refused.tif.tga")));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, RasterRefusals,
    ::testing::Values(
        RefusalCase{"cells_of_300_km", 2, 2, 300000, 4,
                    "Error: the DEM's cells are 300000 m across, 30000 times the height map's 10 "
                    "m; cells more than 1000 m across (100 times) are too coarse for a route."},
        RefusalCase{"more_than_a_layout", 102, 102, 990, 102 * 102,
                    "Error: the DEM would make a height map of 10098 x 10098 pixels (101969604), "
                    "more than the 100571712 that the largest layout (17412 boards of 76 x 76 "
                    "pixels) reads."},
        RefusalCase{"one_cell_of_data", 200, 200, 10, 1,
                    "Error: the elevation raster's data covers only 0.0025% of its area (1 of "
                    "40000 cells); at least 1% must hold heights for the rest to be filled from "
                    "them."}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// Data in one corner: the cells far from it are filled in one sweep of a
// pyramid, the grid whole.
TEST_F(RasterImport, FillsCellsFarFromTheData) {
  RasterSample raster;
  raster.cols = 600;
  raster.rows = 400;
  raster.heights.assign(600 * 400, -9999.0f);
  for (int r = 0; r < 40; ++r) {
    std::fill_n(raster.heights.begin() + r * 600, 70, 300.0f);
  }
  raster.hasNoData = true;
  raster.noData = -9999;
  MakeRaster(dir_.File("corner.tif"), raster);
  ASSERT_EQ(Convert(dir_.File("corner.tif")), RunOutcome::kWritten);
  EXPECT_EQ(report_.filledCells, 600u * 400 - 40 * 70);
  for (const std::uint32_t code : Codes(test::ReadFile(dir_.File("corner.tif.tga")))) {
    ASSERT_NEAR(static_cast<double>(code), static_cast<double>(HeightCode(300.0f)), 2.0);
  }
}

// A VRT file opens any file or address it names: refused unless allowed,
// whatever its file is called, and GDAL reaches no network even then.
class RasterVirtual : public RasterImport {
 protected:
  // A VRT over one band of `source`, a raw file or a raster.
  std::string Vrt(const std::string& source, bool raw) {
    if (raw) {
      return "<VRTDataset rasterXSize=\"4\" rasterYSize=\"2\"><GeoTransform>0, 10, 0, 20, 0, "
             "-10</GeoTransform><VRTRasterBand dataType=\"Byte\" band=\"1\" "
             "subClass=\"VRTRawRasterBand\"><SourceFilename relativetoVRT=\"0\">" +
             source +
             "</SourceFilename><ImageOffset>0</ImageOffset><PixelOffset>1</PixelOffset>"
             "<LineOffset>4</LineOffset></VRTRasterBand></VRTDataset>\n";
    }
    return "<VRTDataset rasterXSize=\"3\" rasterYSize=\"2\"><GeoTransform>400000, 10, 0, "
           "5600000, 0, -10</GeoTransform><VRTRasterBand dataType=\"Float32\" "
           "band=\"1\"><SimpleSource><SourceFilename relativeToVRT=\"0\">" +
           source +
           "</SourceFilename><SourceBand>1</SourceBand></SimpleSource></VRTRasterBand>"
           "</VRTDataset>\n";
  }
};

TEST_F(RasterVirtual, RefusesAVrtUnlessAllowed) {
  test::WriteText(dir_.File("evil_dem.tif"), Vrt("/etc/passwd", true));
  EXPECT_EQ(Convert(dir_.File("evil_dem.tif")), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kImportVirtualRefused});
  EXPECT_FALSE(std::filesystem::exists(dir_.File("evil_dem.tif.tga")));
  // A path into GDAL's virtual file systems likewise.
  ConvertOptions options;
  options.outputPath = dir_.File("web.tga");
  EXPECT_EQ(Convert("/vsicurl/http://127.0.0.1:9/dem.tif", options), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors().back(), kImportVirtualRefused);
  // Allowed, a VRT over a raster converts as the raster does.
  RasterSample raster;
  raster.cols = 3;
  raster.rows = 2;
  raster.heights = Hill(3, 2);
  MakeRaster(dir_.File("area.tif"), raster);
  test::WriteText(dir_.File("area.vrt"), Vrt(dir_.File("area.tif"), false));
  options.allowVirtual = true;
  options.outputPath = dir_.File("vrt.tga");
  ASSERT_EQ(Convert(dir_.File("area.vrt"), options), RunOutcome::kWritten);
  ASSERT_EQ(Convert(dir_.File("area.tif")), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(dir_.File("vrt.tga")), test::ReadFile(dir_.File("area.tif.tga")));
}

TEST_F(RasterVirtual, ReachesNoNetworkEvenWhenAllowed) {
  // A listening socket on this machine: a connection GDAL made would wait in
  // its queue.
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string url =
      "/vsicurl/http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/dem.tif";
  test::WriteText(dir_.File("web.vrt"), Vrt(url, false));
  ConvertOptions options;
  options.allowVirtual = true;
  // Were a request sent, it would wait for an answer only so long.
  CPLSetConfigOption("GDAL_HTTP_TIMEOUT", "2");
  EXPECT_EQ(Convert(dir_.File("web.vrt"), options), RunOutcome::kFailed);
  EXPECT_EQ(Convert(url, options), RunOutcome::kFailed);
  EXPECT_LT(accept(listener, nullptr, nullptr), 0);
  CPLSetConfigOption("GDAL_HTTP_TIMEOUT", nullptr);
  close(listener);
}

// Tiles of one raster model, 10 m cells in one projected system.
class RasterTiles : public RasterImport {
 protected:
  // A tile of the 26 x 6 cells of Hill(), from column `from` for `cols`.
  std::string MakeTile(const std::string& name, int from, int cols, int epsg = 25832) {
    const std::vector<float> whole = Hill(26, 6);
    RasterSample tile;
    tile.cols = cols;
    tile.rows = 6;
    tile.epsg = epsg;
    tile.geoTransform[0] += 10.0 * from;
    for (int r = 0; r < 6; ++r) {
      tile.heights.insert(tile.heights.end(), whole.begin() + r * 26 + from,
                          whole.begin() + r * 26 + from + cols);
    }
    MakeRaster(dir_.File(name), tile);
    return dir_.File(name);
  }

  RunOutcome ConvertSet(const std::vector<std::string>& paths, ConvertOptions options = {}) {
    options.outputPath = dir_.File("set.tga");
    return ConvertElevationSet(paths, host_, options, report_);
  }
};

// Three tiles, the last two columns short of the third: the seam is as one
// raster would have it, and the gap is filled as that raster's own cells
// without data are, and counted.
TEST_F(RasterTiles, MosaicAsOneRasterWithItsGapFilled) {
  const std::vector<std::string> tiles = {MakeTile("a.tif", 0, 8), MakeTile("b.tif", 8, 8),
                                          MakeTile("c.tif", 18, 8)};
  ASSERT_EQ(ConvertSet(tiles), RunOutcome::kWritten);
  EXPECT_EQ(report_.filledCells, 12u);
  RasterSample whole;
  whole.cols = 26;
  whole.rows = 6;
  whole.epsg = 25832;
  whole.heights = Hill(26, 6);
  whole.hasNoData = true;
  whole.noData = -9999;
  for (int r = 0; r < 6; ++r) {
    whole.heights[r * 26 + 16] = whole.heights[r * 26 + 17] = -9999.0f;
  }
  MakeRaster(dir_.File("whole.tif"), whole);
  ASSERT_EQ(Convert(dir_.File("whole.tif")), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(dir_.File("set.tga")), test::ReadFile(dir_.File("whole.tif.tga")));
  EXPECT_EQ(report_.georeference.west, 400000);
  EXPECT_EQ(report_.georeference.width, 26);
}

TEST_F(RasterTiles, InDifferentSystemsAreRefusedByName) {
  const std::vector<std::string> tiles = {MakeTile("a.tif", 0, 8), MakeTile("b.tif", 8, 8, 25833)};
  ASSERT_EQ(ConvertSet(tiles), RunOutcome::kFailed);
  ASSERT_EQ(host_.Errors().size(), 1u);
  const std::string error = host_.Errors().front();
  EXPECT_NE(error.find("a.tif in ETRS89 / UTM zone 32N"), std::string::npos) << error;
  EXPECT_NE(error.find("b.tif in ETRS89 / UTM zone 33N"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir_.File("set.tga")));
}

// An area of the grid keeps the cells it covers as they are; boards around
// a point take 72n + 4 pixels centred on it.
TEST_F(RasterImport, CropsToAnAreaOrTheBoardsAroundAPoint) {
  RasterSample raster;
  raster.cols = 200;
  raster.rows = 120;
  raster.epsg = 32632;
  raster.geoTransform[0] = 650000;
  raster.geoTransform[3] = 5500000;
  raster.heights = Hill(raster.cols, raster.rows);
  MakeRaster(dir_.File("area.tif"), raster);
  ConvertOptions options;
  options.area = ConvertArea{650100, 5499000, 650600, 5499500};
  ASSERT_EQ(Convert(dir_.File("area.tif"), options), RunOutcome::kWritten);
  const std::vector<std::uint32_t> codes = Codes(test::ReadFile(dir_.File("area.tif.tga")));
  ASSERT_EQ(codes.size(), 50u * 50u);
  // Rows 50 to 99 and columns 10 to 59 of the raster.
  EXPECT_EQ(codes.front(), HeightCode(raster.heights[50 * 200 + 10]));
  EXPECT_EQ(codes.back(), HeightCode(raster.heights[99 * 200 + 59]));

  // The point of the grid at (651000, 5499400) in degrees.
  OGRSpatialReferenceH utm = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(utm, 32632);
  OGRSpatialReferenceH wgs84 = OSRNewSpatialReference(nullptr);
  OSRImportFromEPSG(wgs84, 4326);
  OSRSetAxisMappingStrategy(wgs84, OAMS_TRADITIONAL_GIS_ORDER);
  OGRCoordinateTransformationH toDegrees = OCTNewCoordinateTransformation(utm, wgs84);
  double x = 651000;
  double y = 5499400;
  ASSERT_TRUE(OCTTransform(toDegrees, 1, &x, &y, nullptr));
  OCTDestroyCoordinateTransformation(toDegrees);
  OSRRelease(utm);
  OSRRelease(wgs84);
  options.area.reset();
  options.around = ConvertAround{y, x, 1, 1};
  ASSERT_EQ(Convert(dir_.File("area.tif"), options), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(dir_.File("area.tif.tga")).size(), 18u + 3u * 76 * 76);
  EXPECT_NEAR(report_.georeference.west, 651000 - 380, 1e-3);
  EXPECT_NEAR(report_.georeference.north, 5499400 + 380, 1e-3);
  // Three boards across reach past the raster's south edge, 5498800.
  options.around = ConvertAround{y, x, 1, 3};
  ASSERT_EQ(Convert(dir_.File("area.tif"), options), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors().back(),
            "Error: the area asked for reaches 500.0 m outside the data, which covers "
            "650000.0,5498800.0 to 652000.0,5500000.0.");
}

struct ZoneCase {
  const char* name;
  double west;  // degrees
  double north;
  int zone;
  bool utmNorth;
};

class RasterDegrees : public RasterImport, public ::testing::WithParamInterface<ZoneCase> {};

// 0.3 by 0.06 degrees across the border of zones 32 and 33 at 12 degrees
// east (and the same south of the equator): the centre decides.
TEST_P(RasterDegrees, GoToTheUtmZoneOfTheirCentre) {
  RasterSample raster;
  raster.cols = 60;
  raster.rows = 12;
  const double transform[6] = {GetParam().west, 0.005, 0, GetParam().north, 0, -0.005};
  std::copy(transform, transform + 6, raster.geoTransform);
  raster.epsg = 4326;
  raster.heights = Hill(raster.cols, raster.rows);
  MakeRaster(dir_.File("degrees.tif"), raster);
  ASSERT_EQ(Convert(dir_.File("degrees.tif")), RunOutcome::kWritten) << GetParam().name;
  EXPECT_EQ(report_.utmZone, GetParam().zone);
  EXPECT_EQ(report_.utmNorth, GetParam().utmNorth);
  EXPECT_EQ(report_.epsg, (GetParam().utmNorth ? 32600 : 32700) + GetParam().zone);
  // About 0.3 degrees of longitude at 47 degrees, 0.06 of latitude, at 10 m.
  const std::vector<std::uint8_t> bytes = test::ReadFile(dir_.File("degrees.tif.tga"));
  ASSERT_GE(bytes.size(), 18u);
  const int width = bytes[12] | bytes[13] << 8;
  const int height = bytes[14] | bytes[15] << 8;
  EXPECT_NEAR(width, 2280, 80);
  // Shorter than 0.06 degrees: the footprint turns near a zone's edge, and
  // only the rectangle inside it is kept.
  EXPECT_NEAR(height, 580, 40);
}

INSTANTIATE_TEST_SUITE_P(ZoneBorder, RasterDegrees,
                         ::testing::Values(ZoneCase{"west_of_the_border", 11.75, 47.06, 32, true},
                                           ZoneCase{"east_of_the_border", 11.9, 47.06, 33, true},
                                           ZoneCase{"south", 11.9, -46.94, 33, false}),
                         [](const ::testing::TestParamInfo<ZoneCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(RasterImport, CancelWhileWarpingWritesNothing) {
  RasterSample raster;
  raster.cols = 40;
  raster.rows = 30;
  raster.geoTransform[1] = 30;
  raster.geoTransform[5] = -30;
  raster.epsg = 25832;
  raster.heights = Hill(raster.cols, raster.rows);
  MakeRaster(dir_.File("coarse.tif"), raster);
  host_.cancelOnProgress = "Processing source file";
  EXPECT_EQ(Convert(dir_.File("coarse.tif")), RunOutcome::kCancelled);
  EXPECT_TRUE(host_.Errors().empty());
  EXPECT_FALSE(host_.cancelDisabled);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("coarse.tif.tga")));
  // Without Cancel: 30 m cells give three pixels each way.
  host_ = RecordingImportHost();
  ASSERT_EQ(Convert(dir_.File("coarse.tif")), RunOutcome::kWritten);
  const std::vector<std::uint8_t> bytes = test::ReadFile(dir_.File("coarse.tif.tga"));
  EXPECT_EQ(bytes.size(), 18u + 3u * 120 * 90);
  EXPECT_TRUE(host_.cancelDisabled);
}

TEST_F(RasterImport, RecognisesRastersButNotXyzTextOrPipes) {
  RasterSample raster;
  raster.cols = 2;
  raster.rows = 2;
  raster.heights = {1, 2, 3, 4};
  MakeRaster(dir_.File("area.tif"), raster);
  test::WriteText(dir_.File("area.xyz"), "0 0 1\n0 10 2\n10 0 3\n10 10 4\n");
  ASSERT_EQ(mkfifo(dir_.File("pipe").c_str(), 0600), 0);
  EXPECT_TRUE(IsGdalRaster(dir_.File("area.tif")));
  EXPECT_FALSE(IsGdalRaster(dir_.File("area.xyz")));
  EXPECT_FALSE(IsGdalRaster(dir_.File("pipe")));
  EXPECT_FALSE(IsGdalRaster(dir_.File("missing.tif")));
  // Text with column names in any language still reaches the XYZ reader.
  test::WriteText(dir_.File("names.xyz"),
                  "Rechtswert;Hochwert;H\xC3\xB6he\n0;0;1\n0;10;2\n10;0;3\n10;10;4\n");
  EXPECT_EQ(Convert(dir_.File("names.xyz")), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(dir_.File("names.xyz.tga")).size(), 18u + 3 * 4);
}

// kem-cli on rasters; skipped when KEM_CLI does not name the binary.
class RasterCommandLine : public RasterImport {
 protected:
  void SetUp() override {
    const char* cli = std::getenv("KEM_CLI");
    if (cli == nullptr || !std::filesystem::exists(cli)) {
      GTEST_SKIP() << "KEM_CLI does not name the kem-cli binary";
    }
    cli_ = cli;
  }

  // A small raster, area.tif, and plain XYZ text, area.xyz, beside it.
  void MakeRasterAndText() {
    RasterSample raster;
    raster.cols = 3;
    raster.rows = 2;
    raster.heights = Hill(raster.cols, raster.rows);
    MakeRaster(dir_.File("area.tif"), raster);
    test::WriteText(dir_.File("area.xyz"), "0 0 1\n0 10 2\n10 0 3\n10 10 4\n");
    test::WriteText(dir_.File("west.xyz"), "-10 0 1\n-10 10 2\n0 0 3\n0 10 4\n");
  }

  // Runs `command` through the shell; returns its exit status and what it
  // wrote to standard error in `said`.
  int RunShell(const std::string& command, std::string& said) {
    const std::string log = dir_.File("stderr.txt");
    const int status = std::system((command + " 2>'" + log + "' >/dev/null").c_str());
    const std::vector<std::uint8_t> bytes = test::ReadFile(log);
    said.assign(bytes.begin(), bytes.end());
    return status;
  }

  std::string cli_;
};

// `kem-cli convert` on a raster: FILE.tga beside it or the --output file, the
// zone on standard output.
TEST_F(RasterCommandLine, WritesBesideTheRasterOrWhereAsked) {
  RasterSample raster;
  raster.cols = 20;
  raster.rows = 4;
  const double transform[6] = {11.9, 0.005, 0, 47.06, 0, -0.005};
  std::copy(transform, transform + 6, raster.geoTransform);
  raster.epsg = 4326;
  raster.heights = Hill(raster.cols, raster.rows);
  MakeRaster(dir_.File("area.tif"), raster);
  const std::string run = "'" + cli_ + "' convert '" + dir_.File("area.tif") + "'";
  ASSERT_EQ(std::system((run + " >'" + dir_.File("out.txt") + "'").c_str()), 0);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("area.tif.tga")));
  const std::vector<std::uint8_t> said = test::ReadFile(dir_.File("out.txt"));
  EXPECT_EQ(std::string(said.begin(), said.end()).substr(0, 42),
            "Reprojected to UTM zone 32N (EPSG:32632).\n");
  ASSERT_EQ(std::system((run + " --output '" + dir_.File("named.tga") + "' >/dev/null").c_str()),
            0);
  EXPECT_EQ(test::ReadFile(dir_.File("named.tga")), test::ReadFile(dir_.File("area.tif.tga")));
}

struct LoadCase {
  const char* name;
  const char* arguments;  // after the program; DIR stands for the folder
  bool loadsGdal;
};

void PrintTo(const LoadCase& c, std::ostream* os) {
  *os << c.name;
}

class RasterModuleLoading : public RasterCommandLine,
                            public ::testing::WithParamInterface<LoadCase> {};

// GDAL and the libraries it brings are loaded for a raster, and only for one:
// text that opens with a number goes to the XYZ reader unasked.
TEST_P(RasterModuleLoading, LoadsGdalOnlyForARaster) {
  MakeRasterAndText();
  std::string arguments = GetParam().arguments;
  for (std::size_t at; (at = arguments.find("DIR")) != std::string::npos;) {
    arguments.replace(at, 3, dir_.path().string());
  }
  std::string said;
  ASSERT_EQ(RunShell("LD_DEBUG=files '" + cli_ + "' " + arguments, said), 0);
  EXPECT_EQ(said.find("libgdal") != std::string::npos, GetParam().loadsGdal) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, RasterModuleLoading,
    ::testing::Values(
        LoadCase{"version", "--version #DIR", false},
        LoadCase{"xyz_text", "convert 'DIR/area.xyz'", false},
        LoadCase{"xyz_text_opening_with_a_minus", "convert 'DIR/west.xyz'", false},
        LoadCase{"xyz_text_with_a_crs", "convert 'DIR/area.xyz' --crs EPSG:25832", true},
        LoadCase{"xyz_tiles", "convert 'DIR/west.xyz' 'DIR/area.xyz' --output 'DIR/set.tga'",
                 false},
        LoadCase{"geotiff", "convert 'DIR/area.tif'", true}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

// A program whose module is missing reads XYZ text and says of a raster what
// a build without GDAL says.
TEST_F(RasterCommandLine, WithoutItsModuleAProgramReadsOnlyXyzText) {
  const std::string alone = dir_.File("kem-cli");
  std::filesystem::copy_file(cli_, alone);
  MakeRasterAndText();
  std::string said;
  EXPECT_NE(RunShell("'" + alone + "' convert '" + dir_.File("area.tif") + "'", said), 0);
  EXPECT_EQ(said,
            "Error: this build of Kem reads only XYZ text; other elevation formats (GeoTIFF, "
            "ASCII grid, HGT, ...) need a build with GDAL.\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("area.tif.tga")));
  EXPECT_EQ(RunShell("'" + alone + "' convert '" + dir_.File("area.xyz") + "'", said), 0);
  EXPECT_TRUE(std::filesystem::exists(dir_.File("area.xyz.tga")));
}

}  // namespace
}  // namespace kem

#endif  // KEM_WITH_GDAL
