// image_bench — the image module on a game frame: tests/golden/building-toppings.png, read back
// as the pixels of the 601 x 540 canvas.
//   BM_EncodeFrame      the PNG in memory (counter: bytes of the file)
//   BM_WriteFrame       encoded and written as a new whole file (temporary name, then renamed)
//   BM_RewriteFrame     the same over the file of the last iteration
//   BM_FrameHash        the 64-bit hash of the frame
//   BM_FrameHashOutside the same, outside a dozen text boxes
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "frame_image.h"

namespace {

const img::Image &frame() {
  static const img::Image image = [] {
    img::Image read;
    std::string reason;
    if (!img::read_png(FROSTVEL_SOURCE_DIR "/tests/golden/building-toppings.png", &read, &reason))
      std::fprintf(stderr, "image_bench: %s\n", reason.c_str());
    return read;
  }();
  return image;
}

void BM_EncodeFrame(benchmark::State &state) {
  const img::Image &f = frame();
  size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<uint8_t> png = img::encode_png(f.pixels.data(), f.width, f.height, f.width);
    bytes = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeFrame)->Unit(benchmark::kMillisecond);

// A new file each time, as in a scripted run: frame-000000.png, frame-000001.png, ...
void BM_WriteFrame(benchmark::State &state) {
  const img::Image &f = frame();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "image_bench_frames";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  long number = 0;
  for (auto _ : state) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06ld.png", number++);
    std::string reason;
    if (!img::write_png((dir / name).string(), f, &reason)) state.SkipWithError(reason.c_str());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WriteFrame)->Unit(benchmark::kMillisecond);

// Over the same file each time: the file system may do more when a rename replaces a file.
void BM_RewriteFrame(benchmark::State &state) {
  const img::Image &f = frame();
  const std::string path = (std::filesystem::temp_directory_path() / "image_bench_frame.png").string();
  for (auto _ : state) {
    std::string reason;
    if (!img::write_png(path, f, &reason)) state.SkipWithError(reason.c_str());
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_RewriteFrame)->Unit(benchmark::kMillisecond);

void BM_FrameHash(benchmark::State &state) {
  const img::Image &f = frame();
  for (auto _ : state) benchmark::DoNotOptimize(img::frame_hash(f.pixels.data(), f.width, f.height, f.width));
}
BENCHMARK(BM_FrameHash)->Unit(benchmark::kMillisecond);

void BM_FrameHashOutside(benchmark::State &state) {
  const img::Image &f = frame();
  std::vector<img::Box> boxes;
  for (int i = 0; i < 12; ++i) boxes.push_back({10, 5 + 25 * i, 110, 20 + 25 * i});  // the button labels
  for (auto _ : state)
    benchmark::DoNotOptimize(
        img::frame_hash_outside(f.pixels.data(), f.width, f.height, f.width, boxes.data(), boxes.size()));
}
BENCHMARK(BM_FrameHashOutside)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
