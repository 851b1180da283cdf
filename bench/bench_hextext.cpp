// Throughput of the hex text conversions over a 64 MiB selection (the size a large copy
// renders), each reported against memcpy of the same 64 MiB of data measured in this run.
// The counter "vs_memcpy" is memcpy's time divided by the routine's time: 1.0 would be as
// fast as copying the bytes, 0.2 a fifth of that speed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "hexeditor/Translation.h"

using namespace vexa;

namespace {

constexpr int DataSize = 64 << 20;
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> RandomBytes() {
  std::vector<uint8_t> bytes(DataSize);
  std::mt19937 rng(12345);
  for (auto& b : bytes) b = uint8_t(rng());
  return bytes;
}

// Hex text of the bytes as it arrives from other programs: "1F A0 …", 16 bytes a line, CRLF.
std::vector<char> SpacedHexText(const std::vector<uint8_t>& bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::vector<char> text;
  text.reserve(bytes.size() * 3 + bytes.size() / 8);
  for (size_t i = 0; i < bytes.size(); ++i) {
    text.push_back(digits[bytes[i] >> 4]);
    text.push_back(digits[bytes[i] & 15]);
    if (i % 16 == 15) {
      text.push_back('\r');
      text.push_back('\n');
    } else {
      text.push_back(' ');
    }
  }
  return text;
}

// Seconds memcpy takes for the 64 MiB: the best of a few runs into an already touched buffer.
double MemcpySeconds() {
  static const double seconds = [] {
    const std::vector<uint8_t> src = RandomBytes();
    std::vector<uint8_t> dst(DataSize, 1);
    double best = 1e9;
    for (int run = 0; run < 8; ++run) {
      const auto t0 = Clock::now();
      std::memcpy(dst.data(), src.data(), DataSize);
      benchmark::ClobberMemory();
      best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    }
    benchmark::DoNotOptimize(dst.data());
    return best;
  }();
  return seconds;
}

// Runs body once per iteration under manual timing and reports throughput and the ratio.
template <typename Body>
void Measure(benchmark::State& state, Body body) {
  const double memcpySeconds = MemcpySeconds();
  double total = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    body();
    benchmark::ClobberMemory();
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    state.SetIterationTime(seconds);
    total += seconds;
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * DataSize);
  state.counters["vs_memcpy"] = memcpySeconds / (total / double(state.iterations()));
}

void BM_Memcpy(benchmark::State& state) {
  const std::vector<uint8_t> src = RandomBytes();
  std::vector<uint8_t> dst(DataSize, 1);
  Measure(state, [&] { std::memcpy(dst.data(), src.data(), DataSize); });
}

void BM_BytesToHexText(benchmark::State& state) {
  const std::vector<uint8_t> src = RandomBytes();
  std::vector<char> text(2 * size_t(DataSize) + 1, 1);
  const bool swap = state.range(0) != 0;
  Measure(state, [&] { BytesToHexText(src.data(), text.data(), DataSize, swap); });
}

void BM_HexTextToBytes(benchmark::State& state) {
  const std::vector<uint8_t> src = RandomBytes();
  std::vector<char> text(2 * size_t(DataSize) + 1);
  BytesToHexText(src.data(), text.data(), DataSize, false);
  std::vector<uint8_t> dst(DataSize, 1);
  int written = 0;
  Measure(state, [&] { HexTextToBytes(text.data(), dst.data(), 2 * DataSize, false, written); });
  if (written != DataSize || dst != src) state.SkipWithError("decoded bytes differ from the source");
}

void BM_HexTextToBytesSpaced(benchmark::State& state) {
  const std::vector<uint8_t> src = RandomBytes();
  const std::vector<char> text = SpacedHexText(src);
  std::vector<uint8_t> dst(DataSize, 1);
  int written = 0;
  Measure(state, [&] { HexTextToBytes(text.data(), dst.data(), int(text.size()), false, written); });
  if (written != DataSize || dst != src) state.SkipWithError("decoded bytes differ from the source");
}

}  // namespace

BENCHMARK(BM_Memcpy)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BytesToHexText)->Arg(0)->Arg(1)->ArgName("swap")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HexTextToBytes)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HexTextToBytesSpaced)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
