// The image save of a 1920 x 1080 screen: JPEG at quality 90 and BMP, encoded
// alone and written to a file as SaveGameImage writes it. With
// TAMIRU_BENCH_PPM=path the same pixels are also written as a PPM, so that
// bench/capture_jpeg.sh can time the reference encoder on them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture/image_files.h"
#include "platform/files.h"

namespace {

using tamiru::platform::Image;

// A desktop-like picture: a gradient background, flat window areas with
// borders, and rows of small high-contrast glyph-like marks (text).
Image ScreenImage() {
  constexpr int kWidth = 1920, kHeight = 1080;
  Image image{kWidth, kHeight, std::vector<std::uint32_t>(static_cast<std::size_t>(kWidth) * kHeight)};
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const auto r = static_cast<std::uint32_t>(20 + x * 60 / kWidth), g = static_cast<std::uint32_t>(60 + y * 80 / kHeight);
      image.pixels[static_cast<std::size_t>(y) * kWidth + x] = (r << 16) | (g << 8) | 150u;
    }
  }
  struct Box { int x, y, w, h; std::uint32_t fill; };
  for (const Box& box : {Box{100, 80, 1100, 760, 0xF0F0F0}, Box{900, 300, 900, 650, 0xFFFFFF},
                         Box{0, 1040, 1920, 40, 0x202830}}) {
    for (int y = box.y; y < box.y + box.h; ++y) {
      for (int x = box.x; x < box.x + box.w; ++x) {
        const bool border = y == box.y || x == box.x || y == box.y + box.h - 1 || x == box.x + box.w - 1;
        image.pixels[static_cast<std::size_t>(y) * kWidth + x] = border ? 0x404040u : box.fill;
      }
    }
    // Lines of "text": 7 x 12 cells of random dark strokes.
    for (int line = box.y + 30; line + 12 < box.y + box.h; line += 18) {
      for (int cell = box.x + 10; cell + 7 < box.x + box.w - 10; cell += 8) {
        if (next() % 8 == 0) continue;
        for (int dy = 0; dy < 12; ++dy) {
          const std::uint32_t strokes = next();
          for (int dx = 0; dx < 7; ++dx) {
            if ((strokes >> dx) & (strokes >> (dx + 9)) & 1u) {
              image.pixels[static_cast<std::size_t>(line + dy) * kWidth + cell + dx] = 0x101010u;
            }
          }
        }
      }
    }
  }
  return image;
}

const Image& Screen() {
  static const Image image = ScreenImage();
  return image;
}

void WritePpmIfAsked() {
  const char* path = std::getenv("TAMIRU_BENCH_PPM");
  if (!path) return;
  const Image& image = Screen();
  std::string bytes = "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
  for (std::uint32_t pixel : image.pixels) {
    bytes += static_cast<char>((pixel >> 16) & 0xFF);
    bytes += static_cast<char>((pixel >> 8) & 0xFF);
    bytes += static_cast<char>(pixel & 0xFF);
  }
  if (!tamiru::platform::ReplaceFileContents(path, bytes)) std::fprintf(stderr, "cannot write %s\n", path);
}

std::string OutputPath(const char* name) {
  const char* dir = std::getenv("TAMIRU_BENCH_DIR");
  return std::string(dir ? dir : ".") + "/" + name;
}

void BM_JpegEncode(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto jpeg = tamiru::capture::EncodeJpeg(Screen());
    bytes = jpeg->size();
    benchmark::DoNotOptimize(jpeg);
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}

// Encoding plus the atomic replace (temporary file, flush to disk, rename).
void BM_JpegSave(benchmark::State& state) {
  const std::string path = OutputPath("capture_bench.jpg");
  for (auto _ : state) {
    if (!tamiru::platform::ReplaceFileContents(path, *tamiru::capture::EncodeJpeg(Screen()))) state.SkipWithError("write");
  }
  std::remove(path.c_str());
}

void BM_BmpEncode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(tamiru::capture::EncodeBmp(Screen()));
}

void BM_BmpSave(benchmark::State& state) {
  const std::string path = OutputPath("capture_bench.bmp");
  for (auto _ : state) {
    if (!tamiru::platform::ReplaceFileContents(path, *tamiru::capture::EncodeBmp(Screen()))) state.SkipWithError("write");
  }
  std::remove(path.c_str());
}

BENCHMARK(BM_JpegEncode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_JpegSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BmpEncode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BmpSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  WritePpmIfAsked();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
