// Loading speed and memory of clsMidi::OpenMidiFile on generated files:
//   loader_bench [benchmark options]      the timed cases
//   loader_bench --write-large PATH       writes the large file (16 tracks, 3 million events)
//   loader_bench --peak PATH              loads PATH once, prints peak memory beyond its size
// Every case goes from OpenMidiFile to the MidiInfo event, as a client sees it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "clsMidi.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBe(Bytes& out, uint32_t v, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}
void PutVlq(Bytes& out, uint32_t v) {
  uint8_t tmp[5];
  int n = 0;
  do tmp[n++] = uint8_t(v & 0x7F), v >>= 7;
  while (v);
  while (n > 1) out.push_back(uint8_t(tmp[--n] | 0x80));
  out.push_back(tmp[0]);
}
// Appends bytes one at a time (vector::insert of a list draws a false
// overflow warning from GCC 12 at -O3).
void Put(Bytes& out, std::initializer_list<uint8_t> bytes) {
  for (uint8_t b : bytes) out.push_back(b);
}
Bytes Header(uint16_t tracks) {
  Bytes out{'M', 'T', 'h', 'd'};
  PutBe(out, 6, 4), PutBe(out, 1, 2), PutBe(out, tracks, 2), PutBe(out, 480, 2);
  return out;
}
void PutTrack(Bytes& file, const Bytes& data) {
  Put(file, {'M', 'T', 'r', 'k'});
  PutBe(file, uint32_t(data.size()) + 4, 4);
  file.insert(file.end(), data.begin(), data.end());
  Put(file, {0x00, 0xFF, 0x2F, 0x00});
}

constexpr int kLargeTracks = 16;
constexpr int kLargeEventsPerTrack = 187500;  // 3 million in all
constexpr int kTextEvery = 50;                // one text event per 50 events

// Notes under running status (note-on, then note-on with velocity 0), a
// controller now and then and a short text event every kTextEvery events.
Bytes LargeFile() {
  Bytes file = Header(kLargeTracks);
  for (int t = 0; t < kLargeTracks; ++t) {
    const uint8_t ch = uint8_t(t % 16);
    Bytes d;
    Put(d, {0x00, uint8_t(0xC0 | ch), uint8_t(t * 7 % 128)});
    Put(d, {0x00, uint8_t(0xB0 | ch), 7, 100});
    int events = 2;
    bool running = false;
    for (int i = 0; events < kLargeEventsPerTrack; ++i) {
      if (i % kTextEvery == kTextEvery - 1) {
        Put(d, {0x00, 0xFF, 0x01, 0x03, 'l', 'a', ' '});
        running = false;
      } else {
        const uint8_t key = uint8_t(48 + (i * 5 + t) % 36);
        PutVlq(d, i % 2 ? 60 : 0);
        if (!running) d.push_back(uint8_t(0x90 | ch)), running = true;
        Put(d, {key, uint8_t(i % 2 ? 0 : 80)});
      }
      ++events;
    }
    PutTrack(file, d);
  }
  return file;
}

// One note whose end lies at tick `tick` (4 bytes of delta at most each).
Bytes FarTickFile(uint32_t tick) {
  Bytes file = Header(1), d;
  Put(d, {0x00, 0x90, 60, 100});
  for (uint32_t left = tick; left > 0;) {
    const uint32_t step = left > 0x0FFFFFFF ? 0x0FFFFFFF : left;
    PutVlq(d, step);
    Put(d, {0xFF, 0x01, 0x00});  // a bare text event only carries time
    left -= step;
  }
  Put(d, {0x00, 0x80, 60, 0});
  PutTrack(file, d);
  return file;
}

// `tracks` tracks of four events each.
Bytes ManyTracksFile(int tracks) {
  Bytes file = Header(uint16_t(tracks));
  for (int t = 0; t < tracks; ++t) {
    const uint8_t ch = uint8_t(t % 16);
    PutTrack(file, {0x00, uint8_t(0xC0 | ch), 5, 0x00, uint8_t(0x90 | ch), 60, 90, 0x60, 60, 0, 0x60, 62, 90});
  }
  return file;
}

int32_t EventCount(int tracks, int perTrack) { return tracks * perTrack; }

std::string WriteTemp(const std::string& name, const Bytes& data) {
  const auto path = std::filesystem::temp_directory_path() / ("sonara-bench-" + name + ".mid");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return path.string();
}

class InfoSeen : public sonara::clsMidiEvents {
 public:
  void MidiInfo(const std::string&, const std::string&) override { seen = true; }
  bool seen = false;
};

// Opens `path` once per iteration and checks that the load was announced.
void Load(benchmark::State& state, const std::string& path, size_t bytes, int64_t events) {
  sonara::ResetPlayerStore();
  auto midi = sonara::clsMidi::Create();
  auto info = std::make_shared<InfoSeen>();
  midi->Advise(info);
  for (auto _ : state) {
    info->seen = false;
    midi->OpenMidiFile(path);
    if (!info->seen) {
      state.SkipWithError("the load was not announced");
      break;
    }
    benchmark::DoNotOptimize(sonara::modMidi.Timeline.Count());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
  state.SetItemsProcessed(int64_t(state.iterations()) * events);
  state.counters["timeline"] = double(sonara::modMidi.Timeline.Count() - 1);
  state.counters["file_bytes"] = double(bytes);
}

void BM_OpenLargeFile(benchmark::State& state) {
  static const Bytes file = LargeFile();
  static const std::string path = WriteTemp("large", file);
  Load(state, path, file.size(), EventCount(kLargeTracks, kLargeEventsPerTrack));
}
BENCHMARK(BM_OpenLargeFile)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_OpenFarTick(benchmark::State& state) {
  const Bytes file = FarTickFile(uint32_t(1) << state.range(0));
  const std::string path = WriteTemp("far-" + std::to_string(state.range(0)), file);
  Load(state, path, file.size(), 2);
  state.SetLabel("last event at tick 2^" + std::to_string(state.range(0)));
}
BENCHMARK(BM_OpenFarTick)->Arg(8)->Arg(20)->Arg(28)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_OpenManyTracks(benchmark::State& state) {
  const int tracks = int(state.range(0));
  const Bytes file = ManyTracksFile(tracks);
  const std::string path = WriteTemp("tracks-" + std::to_string(tracks), file);
  Load(state, path, file.size(), EventCount(tracks, 4));
}
BENCHMARK(BM_OpenManyTracks)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond)->UseRealTime();

long HighWaterKb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
  std::fclose(f);
  return kb;
}

// Peak memory of one load, beyond the process before it and the file's own size.
int PeakMemory(const std::string& path) {
  const auto fileBytes = std::filesystem::file_size(path);
  sonara::ResetPlayerStore();
  auto midi = sonara::clsMidi::Create();
  const long before = HighWaterKb();
  midi->OpenMidiFile(path);
  const long after = HighWaterKb();
  const int64_t events = sonara::modMidi.Timeline.Count() - 1;
  const double beyond = double(after - before) * 1024.0 - double(fileBytes);
  std::printf("file %s: %ju bytes, %jd timeline records\n", path.c_str(), uintmax_t(fileBytes), intmax_t(events));
  std::printf("peak growth %ld KiB; beyond the file size %.1f MB, %.1f bytes per event (%d events in the file)\n",
              after - before, beyond / 1e6, beyond / EventCount(kLargeTracks, kLargeEventsPerTrack),
              EventCount(kLargeTracks, kLargeEventsPerTrack));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-large") == 0) {
    const Bytes file = LargeFile();
    std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--peak") == 0) return PeakMemory(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
