// Writes synthetic Targa height maps (and matching guides) for the demo data
// and the benchmarks, so that both are reproducible from the source tree.
//
//   kem-make-heightmap --boards COLSxROWS --format chroma|24bit|grey|spectrum
//                      --out FILE [--texturing-guide FILE] [--filter-guide FILE]
//                      [--top-down]
//
// The terrain is a sum of smooth waves: rolling hills with a valley, heights
// given as a fraction 0..1 of the project's height range.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
  std::uint8_t r, g, b;
};

double Terrain(double x, double y, int width, int height) {
  const double u = x / width;
  const double v = y / height;
  double t = 0.5 + 0.22 * std::sin(2 * kPi * (1.3 * u + 0.2)) * std::cos(2 * kPi * (0.9 * v)) +
             0.12 * std::sin(2 * kPi * (3.1 * u + 2.3 * v)) + 0.06 * std::cos(2 * kPi * 7.0 * v);
  const double valley = std::exp(-std::pow((u - 0.55 - 0.1 * std::sin(2 * kPi * v)) / 0.08, 2));
  t -= 0.35 * valley;
  return std::fmin(1.0, std::fmax(0.0, t));
}

// Colour whose height code is `t` of the format's range.
Rgb Encode(const std::string& format, double t) {
  if (format == "24bit") {
    const auto code = static_cast<std::uint32_t>(std::lround(t * 16777215.0));
    return {static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 8),
            static_cast<std::uint8_t>(code)};
  }
  if (format == "grey") {
    const auto v = static_cast<std::uint8_t>(std::lround(t * 255.0));
    return {v, v, v};
  }
  if (format == "spectrum") {
    // Hue 300 (code 0) down to hue 1 (code 299): a fully saturated colour.
    const double hue = 300.0 - t * 299.0;
    const double h = hue / 60.0;
    const int sector = static_cast<int>(h);
    const double f = h - sector;
    const auto up = static_cast<std::uint8_t>(std::lround(255 * f));
    const auto down = static_cast<std::uint8_t>(std::lround(255 * (1 - f)));
    switch (sector) {
      case 0:
        return {255, up, 0};
      case 1:
        return {down, 255, 0};
      case 2:
        return {0, 255, up};
      case 3:
        return {0, down, 255};
      case 4:
        return {up, 0, 255};
      default:
        return {255, 0, down};
    }
  }
  // Chroma depth: six pure hues, each a band of codes, brightness within it.
  const int code = static_cast<int>(std::lround(t * 254.0));
  static const int kBands[] = {0, 43, 85, 128, 171, 213};
  int band = 0;
  for (int candidate : kBands) {
    if (candidate <= code) {
      band = candidate;
    }
  }
  const auto m = static_cast<std::uint8_t>(136 + 2 * (code - band));
  switch (band) {
    case 0:
      return {0, 0, m};
    case 43:
      return {0, m, m};
    case 85:
      return {0, m, 0};
    case 128:
      return {m, m, 0};
    case 171:
      return {m, 0, 0};
    default:
      return {m, 0, m};
  }
}

// Texturing guide colours, the same as the sample textures.txt.
Rgb GuideColour(double t) {
  if (t < 0.2) {
    return {70, 110, 200};  // water's edge
  }
  if (t < 0.45) {
    return {90, 170, 60};  // meadow
  }
  if (t < 0.7) {
    return {40, 110, 40};  // forest
  }
  if (t < 0.88) {
    return {140, 130, 120};  // rock
  }
  return {245, 245, 245};  // snow
}

bool WriteTarga(const std::string& path, int width, int height, bool topDown,
                const std::vector<Rgb>& pixels) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    return false;
  }
  std::uint8_t header[18] = {};
  header[2] = 2;
  header[12] = static_cast<std::uint8_t>(width);
  header[13] = static_cast<std::uint8_t>(width >> 8);
  header[14] = static_cast<std::uint8_t>(height);
  header[15] = static_cast<std::uint8_t>(height >> 8);
  header[16] = 24;
  header[17] = topDown ? 0x20 : 0;
  bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (int f = 0; f < height && ok; ++f) {
    const int y = topDown ? f : height - 1 - f;
    for (int x = 0; x < width; ++x) {
      const Rgb& p = pixels[static_cast<std::size_t>(y) * width + x];
      row[3 * x] = p.b;
      row[3 * x + 1] = p.g;
      row[3 * x + 2] = p.r;
    }
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) {
    std::fprintf(stderr, "failed to write %s\n", path.c_str());
  }
  return ok;
}

int Usage() {
  std::fprintf(stderr,
               "usage: kem-make-heightmap --boards COLSxROWS --format chroma|24bit|grey|spectrum\n"
               "                          --out FILE [--texturing-guide FILE]\n"
               "                          [--filter-guide FILE] [--top-down]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int cols = 0;
  int rows = 0;
  std::string format = "chroma";
  std::string out;
  std::string guide;
  std::string filter;
  bool topDown = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--boards" && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &cols, &rows) != 2) {
        return Usage();
      }
    } else if (arg == "--format" && hasValue) {
      format = argv[++i];
    } else if (arg == "--out" && hasValue) {
      out = argv[++i];
    } else if (arg == "--texturing-guide" && hasValue) {
      guide = argv[++i];
    } else if (arg == "--filter-guide" && hasValue) {
      filter = argv[++i];
    } else if (arg == "--top-down") {
      topDown = true;
    } else {
      return Usage();
    }
  }
  if (cols < 1 || rows < 1 || cols > 900 || rows > 900 || out.empty()) {
    return Usage();
  }
  const int width = 72 * cols + 4;
  const int height = 72 * rows + 4;
  std::vector<double> terrain(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      terrain[static_cast<std::size_t>(y) * width + x] = Terrain(x, y, width, height);
    }
  }
  std::vector<Rgb> pixels(terrain.size());
  for (std::size_t i = 0; i < terrain.size(); ++i) {
    pixels[i] = Encode(format, terrain[i]);
  }
  if (!WriteTarga(out, width, height, topDown, pixels)) {
    return 1;
  }
  if (!guide.empty()) {
    for (std::size_t i = 0; i < terrain.size(); ++i) {
      pixels[i] = GuideColour(terrain[i]);
    }
    if (!WriteTarga(guide, width, height, topDown, pixels)) {
      return 1;
    }
  }
  if (!filter.empty()) {
    // A copy of the map with one marker (pure cyan) pixel along the valley.
    for (std::size_t i = 0; i < terrain.size(); ++i) {
      pixels[i] = Encode(format, terrain[i]);
    }
    pixels[static_cast<std::size_t>(height / 2) * width + width / 2] = {0, 255, 255};
    if (!WriteTarga(filter, width, height, topDown, pixels)) {
      return 1;
    }
  }
  return 0;
}
