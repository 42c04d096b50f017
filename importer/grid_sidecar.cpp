// The sidecar as GDAL 3 writes it for a raster whose format keeps no
// coordinates: <PAMDataset> with <SRS> and <GeoTransform>.
#include "importer/grid_sidecar.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/file_ptr.h"
#include "core/open_file.h"

namespace kem {
namespace {

// The longest sidecar read back: a WKT is a few kilobytes.
constexpr std::size_t kMaxSidecarBytes = std::size_t{4} << 20;

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Unescaped(std::string_view text) {
  constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [entity, c] : kEntities) {
      if (text.substr(i, entity.size()) == entity) {
        out += c;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      out += text[i++];
    }
  }
  return out;
}

// Shortest text that reads back as the same double.
std::string Number(double value) {
  char text[40];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    if (std::strtod(text, nullptr) == value) {
      break;
    }
  }
  return text;
}

// The text between <tag ...> and </tag>; false when there is none.
bool ElementText(const std::string& xml, const std::string& tag, std::string_view& text) {
  const std::size_t open = xml.find("<" + tag);
  if (open == std::string::npos) {
    return false;
  }
  const std::size_t start = xml.find('>', open);
  const std::size_t end = xml.find("</" + tag + ">", open);
  if (start == std::string::npos || end == std::string::npos || end < start) {
    return false;
  }
  text = std::string_view(xml).substr(start + 1, end - start - 1);
  return true;
}

}  // namespace

std::string GridSidecarPath(const std::string& mapPath) {
  return mapPath + ".aux.xml";
}

std::string GridSidecarXml(const GridGeoreference& georeference) {
  std::string xml = "<PAMDataset>\n";
  if (!georeference.crsWkt.empty()) {
    // Easting first, northing second, whatever order the system's
    // definition names its axes in: the geotransform is in that order.
    xml += "  <SRS dataAxisToSRSAxisMapping=\"1,2\">" + Escaped(georeference.crsWkt) + "</SRS>\n";
  }
  const double size = georeference.pixelSize;
  xml += "  <GeoTransform> " + Number(georeference.west) + ", " + Number(size) + ", 0, " +
         Number(georeference.north) + ", 0, " + Number(-size) + "</GeoTransform>\n";
  xml += "</PAMDataset>\n";
  return xml;
}

bool ParseGridSidecar(const std::string& xml, GridGeoreference& georeference) {
  std::string_view text;
  if (!ElementText(xml, "GeoTransform", text)) {
    return false;
  }
  const std::string numbers(text);
  double t[6];
  const char* at = numbers.c_str();
  for (double& value : t) {
    char* end = nullptr;
    value = std::strtod(at, &end);
    if (end == at) {
      return false;
    }
    at = end;
    while (*at == ' ' || *at == ',' || *at == '\n' || *at == '\t' || *at == '\r') {
      ++at;
    }
  }
  if (!(t[1] > 0) || t[2] != 0 || t[4] != 0 || t[5] != -t[1]) {
    return false;
  }
  georeference.west = t[0];
  georeference.north = t[3];
  georeference.pixelSize = t[1];
  georeference.crsWkt = ElementText(xml, "SRS", text) ? Unescaped(text) : std::string();
  return true;
}

bool ReadGridSidecar(const std::string& mapPath, GridGeoreference& georeference) {
  FilePtr file(OpenFile(GridSidecarPath(mapPath), "rb"));
  if (!file) {
    return false;
  }
  std::string xml;
  char block[4096];
  std::size_t got = 0;
  while (xml.size() < kMaxSidecarBytes &&
         (got = std::fread(block, 1, sizeof block, file.get())) > 0) {
    xml.append(block, got);
  }
  return ParseGridSidecar(xml, georeference);
}

}  // namespace kem
