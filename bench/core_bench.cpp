// Micro benchmarks of the board writer's inner work: height decoding for each
// data format, smoothing, normals, and a whole board block.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/board_heights.h"
#include "core/board_normals.h"
#include "core/board_writer.h"
#include "core/layout_file.h"
#include "core/output_file.h"
#include "core/targa_source.h"
#include "core/terrain_job.h"
#include "core/vector_paths.h"

namespace {

using namespace kem;

// A window of varied colours: every coding meets mixed hues, greys and the
// pure hues that chroma depth recognises.
std::vector<std::uint8_t> SampleWindow() {
  std::vector<std::uint8_t> window(kWindowBytes);
  std::mt19937 generator(7);
  for (std::size_t i = 0; i < window.size(); i += 3) {
    const unsigned v = generator();
    if (v % 4 == 0) {
      window[i] = 0;
      window[i + 1] = static_cast<std::uint8_t>(v >> 8);
      window[i + 2] = static_cast<std::uint8_t>(v >> 8);
    } else {
      window[i] = static_cast<std::uint8_t>(v >> 8);
      window[i + 1] = static_cast<std::uint8_t>(v >> 16);
      window[i + 2] = static_cast<std::uint8_t>(v >> 24);
    }
  }
  return window;
}

// A window whose colours drift slowly from pixel to pixel, as neighbouring
// pixels of a height map do: the plain decoding's branches go the same way
// for long stretches, which random colours never let them.
std::vector<std::uint8_t> DriftingWindow() {
  std::vector<std::uint8_t> window(kWindowBytes);
  for (int i = 0; i < kWindowPixels; ++i) {
    const double t = i / 400.0;
    window[3 * i] = static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(t));
    window[3 * i + 1] = static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(t + 2.1));
    window[3 * i + 2] = static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(t + 4.2));
  }
  return window;
}

std::vector<float> SampleHeights() {
  std::vector<float> heights(kWindowPixels);
  for (int i = 0; i < kWindowPixels; ++i) {
    heights[i] = static_cast<float>((i * 7919) % 1000) * 0.37f;
  }
  return heights;
}

// Decoding for each data format with the vector paths capped at each level
// (as the normals below), of random colours (window 0) or drifting ones (1).
void BM_DecodeHeights(benchmark::State& state) {
  TerrainJob job;
  job.dataFormat = static_cast<DataFormat>(state.range(0));
  job.heightScale = 0.5f;
  job.baseHeight = -100.0f;
  const auto window = state.range(2) == 0 ? SampleWindow() : DriftingWindow();
  std::vector<float> heights(kWindowPixels);
  LimitVectorLevel(static_cast<VectorLevel>(state.range(1)));
  for (auto _ : state) {
    DecodeHeights(job, window.data(), heights.data());
    benchmark::DoNotOptimize(heights.data());
    benchmark::ClobberMemory();
  }
  LimitVectorLevel(VectorLevel::kAvx2);
  state.SetItemsProcessed(state.iterations() * kWindowPixels);
}
BENCHMARK(BM_DecodeHeights)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1, 2}, {0, 1}})
    ->ArgNames({"format", "level", "window"});

// Smoothing with the vector paths capped at each level (as the normals below).
void BM_SmoothHeights(benchmark::State& state) {
  const auto original = SampleHeights();
  std::vector<float> grid = original;
  LimitVectorLevel(static_cast<VectorLevel>(state.range(0)));
  for (auto _ : state) {
    SmoothHeights(grid.data());
    benchmark::DoNotOptimize(grid.data());
    benchmark::ClobberMemory();
  }
  LimitVectorLevel(VectorLevel::kAvx2);
  state.SetItemsProcessed(state.iterations() * kWindowPixels);
}
BENCHMARK(BM_SmoothHeights)->DenseRange(0, 2)->ArgName("level");

// Normals with the vector paths capped at each level: 0 plain, 1 SSE2 (two
// lanes), 2 AVX2 (four lanes; the same as 1 where the processor lacks it).
void BM_NormalsOfABoard(benchmark::State& state) {
  const auto grid = SampleHeights();
  BoardNormals normals;
  LimitVectorLevel(static_cast<VectorLevel>(state.range(0)));
  for (auto _ : state) {
    ComputeBoardNormals(grid.data(), normals);
    benchmark::DoNotOptimize(normals.up.data());
    benchmark::ClobberMemory();
  }
  LimitVectorLevel(VectorLevel::kAvx2);
  state.SetItemsProcessed(state.iterations() * kWindowPixels);
}
BENCHMARK(BM_NormalsOfABoard)->DenseRange(0, 2)->ArgName("level");

class DiscardingOutput : public OutputFile {
 public:
  void Write(const std::uint8_t* data, std::size_t size) override {
    benchmark::DoNotOptimize(data);
    bytes_ += size;
  }
  bool Failed() const override { return false; }
  bool Commit() override { return true; }

 private:
  std::size_t bytes_ = 0;
};

// One whole board of a 3 x 3 board image on disk, written to an output that
// discards the bytes: window reads, decoding, smoothing, normals, minimap; with
// the vector paths capped at each level.
void BM_WriteBoard(benchmark::State& state) {
  const int side = 3 * 72 + 4;
  const auto path = (std::filesystem::temp_directory_path() / "kem_core_bench.tga").string();
  {
    std::vector<std::uint8_t> file(18 + 3 * side * side);
    file[2] = 2;
    file[12] = static_cast<std::uint8_t>(side);
    file[13] = static_cast<std::uint8_t>(side >> 8);
    file[14] = file[12];
    file[15] = file[13];
    file[16] = 24;
    std::mt19937 generator(3);
    for (std::size_t i = 18; i < file.size(); ++i) {
      file[i] = static_cast<std::uint8_t>(generator() % 8 + 120);
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
  }
  TerrainJob job;
  int code = 0;
  job.elevation = OpenTargaSource(path, code);
  if (!job.elevation) {
    state.SkipWithError("cannot open the benchmark image");
    return;
  }
  job.boardCols = 3;
  job.boardRows = 3;
  job.dataFormat = static_cast<DataFormat>(state.range(0));
  job.heightScale = 0.25f;
  job.interpolate = 1;
  job.output = std::make_unique<DiscardingOutput>();
  std::vector<std::uint8_t> block;
  LimitVectorLevel(static_cast<VectorLevel>(state.range(1)));
  for (auto _ : state) {
    WriteBoard(1, 1, job, block);
  }
  LimitVectorLevel(VectorLevel::kAvx2);
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kBoardBlockSize));
  job.elevation.reset();
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteBoard)
    ->ArgsProduct({{kChromaDepthColours, k24BitHeightCoding}, {0, 1, 2}})
    ->ArgNames({"format", "level"});

}  // namespace
