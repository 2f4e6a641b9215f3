#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "controls/skin_button/button_caption.h"
#include "platform/substitute/fixed_system_colors.h"
#include "platform/substitute/fixed_text_renderer.h"

namespace kqm {
namespace {

using Clock = std::chrono::steady_clock;

// Seconds per fill of a w x h area, measured now (the floor every ratio below is taken against).
double FloorSeconds(int w, int h, std::int64_t iterations) {
  Raster r(w, h);
  const auto start = Clock::now();
  for (std::int64_t i = 0; i < iterations; ++i) {
    r.FillBox(0, 0, w, h, Rgb(static_cast<int>(i & 0xFF), 1, 2));
    benchmark::DoNotOptimize(r.Bits());
  }
  return std::chrono::duration<double>(Clock::now() - start).count() / static_cast<double>(iterations);
}

void Report(benchmark::State& state, double seconds, int w, int h) {
  const std::int64_t n = std::max<std::int64_t>(state.iterations(), 1);
  const double floor = FloorSeconds(w, h, std::max<std::int64_t>(n, 1000));
  state.counters["x_fill_floor"] = seconds / n / floor;
  state.counters["x_3ms_budget"] = seconds / n / 0.003;
}

// state.range(0): type; (1): 0 up, 1 hovered, 2 down, 3 disabled; (2): width; (3): height.
void BM_PaintButton(benchmark::State& state) {
  FixedSystemColors sys;
  FixedTextRenderer text;
  ButtonPainter painter(sys);
  ButtonLook look;
  look.buttonType = static_cast<sknButtonType>(state.range(0));
  look.width = static_cast<int>(state.range(2));
  look.height = static_cast<int>(state.range(3));
  look.caption = "&Readme";
  look.isOver = state.range(1) == 1;
  look.enabled = state.range(1) != 3;
  look.hasFocus = true;
  look.specialEffect = sknSpecialEffect::fxRaised;
  const int paintState = state.range(1) == 2 ? kStateDown : kStateUp;
  painter.ComputeColors(look);
  painter.Resize(look, text);
  Raster surface(look.width, look.height);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    painter.PaintButton(look, paintState, true, surface, text);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    benchmark::DoNotOptimize(surface.Bits());
  }
  Report(state, seconds, look.width, look.height);
}
BENCHMARK(BM_PaintButton)
    ->ArgNames({"type", "look", "w", "h"})
    ->ArgsProduct({{2, 3, 13, 14}, {0, 1, 2, 3}, {91}, {29}})
    ->ArgsProduct({{3, 14}, {0, 1, 2, 3}, {300}, {100}});

// state.range(0): picture side; (1): 0 plain, 1 greyscale, 2 fade, 3 threshold silhouette.
void BM_BlendPicture(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  ButtonPicture picture;
  picture.width = picture.height = side;
  for (int i = 0; i < side * side; ++i) {
    picture.pixels.push_back(i % 7 == 0 ? ToPixel(Rgb(192, 192, 192)) : static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu);
  }
  Raster surface(side, side, Rgb(10, 20, 30));
  const int mode = static_cast<int>(state.range(1));
  double seconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    BlendPicture(surface, 0, 0, side, side, picture, Rgb(192, 192, 192), mode == 3 ? 0x808080 : kNoBrush, mode == 3,
                 mode == 1, mode == 2, true, Rgb(192, 192, 192));
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    benchmark::DoNotOptimize(surface.Bits());
  }
  Report(state, seconds, side, side);
}
BENCHMARK(BM_BlendPicture)->ArgNames({"side", "mode"})->ArgsProduct({{32, 256}, {0, 1, 2, 3}});

}  // namespace
}  // namespace kqm

BENCHMARK_MAIN();
