// Full repaints of a 1280 x 1024 view of the control, for a 1 KiB and a 1 GiB document (the
// latter scrolled to its middle, with a selection across the view). Painting visits only the
// visible cells, so both should cost the same: the run prints the ratio of the two repaint
// times (target close to 1) and the repaints per second.
//
//   build/bench/bench_paint

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>

#include "hexeditor/KorHexEditorEx.h"

namespace {

using Clock = std::chrono::steady_clock;

std::map<int64_t, double> gSecondsPerRepaint;

void Fill(vexa::TCustomKorHexEditor& editor, int64_t size) {
  auto& storage = editor.DataStorage();
  storage.SetSize(size);
  uint8_t* p = storage.RawPointer(0);
  for (int64_t i = 0; i < std::min<int64_t>(size, 4096); ++i) p[i] = static_cast<uint8_t>(i * 37 + 11);
  // Doubling copies spread the pattern over the rest quickly.
  for (int64_t done = std::min<int64_t>(size, 4096); done < size;) {
    const int64_t n = std::min(done, size - done);
    std::memcpy(p + done, p, size_t(n));
    done += n;
  }
  editor.UpdateGridSize();
}

void BM_FullRepaint(benchmark::State& state) {
  const int64_t size = state.range(0);
  vexa::TKorHexEditorEx editor;
  editor.Loaded();
  editor.resize(1280, 1024);
  editor.SetShowRuler(true);
  Fill(editor, size);
  const int32_t middle = static_cast<int32_t>(size / 2 / 16 * 16);
  editor.MoveCaretToPos(size > 4096 ? middle : 0, false);
  editor.SetTopRow(editor.Row());
  const int32_t selFrom = size > 4096 ? middle + 40 : 40;
  editor.SetSelection(selFrom, selFrom + 300);
  QImage image(editor.viewport()->size(), QImage::Format_RGB32);
  editor.viewport()->render(&image);  // warm up fonts and glyph caches

  const auto t0 = Clock::now();
  for (auto _ : state) {
    editor.viewport()->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  gSecondsPerRepaint[size] = seconds / double(state.iterations());
  state.counters["repaints_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.SetLabel(size > 4096 ? "1 GiB document" : "1 KiB document");
}
BENCHMARK(BM_FullRepaint)->Arg(1024)->Arg(int64_t(1) << 30)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const auto small = gSecondsPerRepaint.find(1024);
  const auto large = gSecondsPerRepaint.find(int64_t(1) << 30);
  if (small != gSecondsPerRepaint.end() && large != gSecondsPerRepaint.end()) {
    std::printf("full repaint 1280 x 1024: 1 KiB %.3f ms (%.0f/s), 1 GiB %.3f ms (%.0f/s); "
                "1 GiB / 1 KiB = %.2f (target close to 1)\n",
                small->second * 1e3, 1.0 / small->second, large->second * 1e3, 1.0 / large->second,
                large->second / small->second);
  }
  return 0;
}
