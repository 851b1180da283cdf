// Loads and saves a 256 MiB file through the control and, in the same run, reads the same
// file with a plain read loop. Prints load and save throughput as ratios of the plain read,
// and the peak resident memory as a ratio of the file size.
//
//   build/bench/bench_loadsave            (the file goes to $TMPDIR or /tmp)

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "hexeditor/KorHexEditorEx.h"

namespace {

constexpr int64_t kFileSize = 256LL << 20;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

void WriteTestFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
  for (int64_t done = 0; done < kFileSize; done += block.size())
    if (::write(fd, block.data(), block.size()) != ssize_t(block.size())) std::perror("write");
  ::close(fd);
}

// A plain read loop of the whole file into a buffer of the file's size, fresh from the
// allocator (with the same huge-page advice the document buffer takes): what any program that
// holds a file in memory must pay at least.
double PlainRead(const QString& path) {
  const auto t0 = Clock::now();
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
  char* buf = static_cast<char*>(std::aligned_alloc(2 << 20, kFileSize));
  ::madvise(buf, kFileSize, MADV_HUGEPAGE);
  int64_t total = 0;
  for (ssize_t n; (n = ::read(fd, buf + total, std::min<int64_t>(61440, kFileSize - total))) > 0;) total += n;
  ::close(fd);
  benchmark::DoNotOptimize(buf[total - 1]);
  std::free(buf);
  return Seconds(t0, Clock::now());
}

// The same loop into one small reused buffer: the cost of the reading alone.
double ReadOnly(const QString& path) {
  const auto t0 = Clock::now();
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
  std::vector<char> buf(61440);
  int64_t total = 0;
  for (ssize_t n; (n = ::read(fd, buf.data(), buf.size())) > 0;) total += n;
  ::close(fd);
  benchmark::DoNotOptimize(total);
  return Seconds(t0, Clock::now());
}

double PeakResidentBytes() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return double(ru.ru_maxrss) * 1024.0;
}

void BM_LoadSave256MiB(benchmark::State& state) {
  QTemporaryDir dir(QDir::tempPath() + "/vexa-bench-XXXXXX");
  const QString file = dir.filePath("data.bin");
  WriteTestFile(file);
  ReadOnly(file);  // warm the page cache so every reader sees the same state
  const double rssBefore = PeakResidentBytes();

  vexa::TKorHexEditorEx editor;
  editor.Loaded();
  double plain = 0, readOnly = 0, load = 0, save = 0;
  for (auto _ : state) {
    editor.NewDocument("");  // only one copy of the file in memory at any time
    readOnly = ReadOnly(file);
    plain = PlainRead(file);
    auto t0 = Clock::now();
    editor.LoadFromFile(file);
    load = Seconds(t0, Clock::now());
    t0 = Clock::now();
    editor.SaveToFile(dir.filePath("copy.bin"), false);
    save = Seconds(t0, Clock::now());
    state.SetIterationTime(load);
  }
  const double mib = double(kFileSize) / (1 << 20);
  state.counters["plain_MiB_s"] = mib / plain;
  state.counters["read_only_MiB_s"] = mib / readOnly;
  state.counters["load_MiB_s"] = mib / load;
  state.counters["save_MiB_s"] = mib / save;
  state.counters["load_vs_plain"] = plain / load;
  state.counters["save_vs_plain"] = plain / save;
  state.counters["peak_mem_vs_file"] = PeakResidentBytes() / double(kFileSize);
  std::printf("load %.2f x plain read into memory (target >= 0.8; %.2f x reading into a reused buffer), "
              "save %.2f x plain read (the save writes a temporary file and flushes it to the disk), "
              "peak memory %.2f x file size (target <= %.2f), baseline before load %.0f MiB\n",
              plain / load, readOnly / load, plain / save, PeakResidentBytes() / double(kFileSize),
              double(kFileSize + (64LL << 20)) / double(kFileSize), rssBefore / (1 << 20));
}
BENCHMARK(BM_LoadSave256MiB)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
