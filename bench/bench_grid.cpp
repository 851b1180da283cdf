// Grid scrolling cost against the row count: moving the current cell to the last row and
// scrolling by one page, for 1,000 and for 100,000,000 rows. The layout keeps only sizes that
// differ from the default and computes offsets arithmetically, so both should cost the same;
// the program prints the ratio of the large grid's time to the small one's (ideal: 1).
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "platform/Grids.h"

namespace {

using vexa::TCustomGrid;

std::unique_ptr<TCustomGrid> MakeGrid(int rows) {
  auto g = std::make_unique<TCustomGrid>();
  g->SetOptions(vexa::TGridOptions(vexa::goThumbTracking));
  g->SetColCount(51);
  g->SetRowCount(rows);
  g->SetFixedCols(2);
  g->SetFixedRows(2);
  g->SetDefaultColWidth(9);
  g->SetDefaultRowHeight(17);
  g->SetRowHeights(1, 0);
  g->SetColWidths(0, 80);
  g->resize(800, 600);
  g->show();
  return g;
}

void BM_MoveColRowToLastRow(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  auto g = MakeGrid(rows);
  for (auto _ : state) {
    g->MoveColRow(5, rows - 1, true, true);
    g->MoveColRow(5, 2, true, true);
    benchmark::DoNotOptimize(g->TopRow());
  }
  state.SetItemsProcessed(state.iterations() * 2);
}

void BM_ScrollOnePage(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  auto g = MakeGrid(rows);
  const int page = g->VisibleRowCount();
  const int start = std::max(2, rows / 2 - 8 * page);
  g->SetTopRow(start);
  int step = 0;
  for (auto _ : state) {
    g->SetTopRow(g->TopRow() + page);
    if (++step == 8) {
      step = 0;
      g->SetTopRow(start);
    }
    benchmark::DoNotOptimize(g->TopRow());
  }
}

BENCHMARK(BM_MoveColRowToLastRow)->Arg(1000)->Arg(100'000'000);
BENCHMARK(BM_ScrollOnePage)->Arg(1000)->Arg(100'000'000);

// Remembers the time per iteration of every run for the ratio summary.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration && r.iterations > 0) Times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> Times;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* name : {"BM_MoveColRowToLastRow", "BM_ScrollOnePage"}) {
    const std::string small = std::string(name) + "/1000";
    const std::string large = std::string(name) + "/100000000";
    if (reporter.Times.count(small) && reporter.Times.count(large) && reporter.Times[small] > 0)
      std::printf("%s: 100,000,000 rows / 1,000 rows time ratio = %.2f (ideal 1)\n", name,
                  reporter.Times[large] / reporter.Times[small]);
  }
  benchmark::Shutdown();
  return 0;
}
