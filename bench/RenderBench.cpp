// Rendering songs to WAV through clsMidi and the file renderer, and the
// synthesizer's CPU use in real time:
//   render_bench --write-long PATH          writes the long dense song (5 minutes)
//   render_bench --render SONG WAV          renders SONG once, prints the wall time
//   render_bench --play SONG SECONDS        plays SONG on device 0 in real time for
//                                           SECONDS, prints the process's CPU use
//   render_bench --song SONG [options]      the Google Benchmark case for SONG
// bench/render runs them against Debian's fluidsynth on the same files.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "clsMidi.h"
#include "platform/clock.h"
#include "platform/devices/file_renderer.h"
#include "platform/devices/registry.h"
#include "platform/window.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutBe(Bytes& out, uint32_t v, int count) {
  for (int i = count - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutVlq(Bytes& out, uint32_t v) {
  uint8_t tmp[5];
  int n = 0;
  do {
    tmp[n++] = static_cast<uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v);
  while (n > 1) out.push_back(static_cast<uint8_t>(tmp[--n] | 0x80));
  out.push_back(tmp[0]);
}

struct Event {
  uint32_t tick;
  uint8_t status, data1, data2;
};

// Five minutes at 120 beats a minute (480 ticks a beat): eight melodic
// channels in eighth notes, three of them in three-note chords, a bass in
// quarters and drums in sixteenths: 15 to 20 notes at once plus their
// releases, 39,609 channel events.
Bytes LongDenseSong() {
  constexpr uint32_t kBeats = 600;
  constexpr uint8_t kPrograms[] = {0, 4, 24, 40, 48, 56, 65, 73};
  std::vector<Event> events;
  for (uint8_t ch = 0; ch < 8; ++ch) events.push_back({0, static_cast<uint8_t>(0xC0 | ch), kPrograms[ch], 0});
  events.push_back({0, 0xC8, 33, 0});
  const uint8_t scale[] = {0, 2, 4, 5, 7, 9, 11};
  for (uint32_t eighth = 0; eighth < kBeats * 2; ++eighth) {
    const uint32_t t = eighth * 240;
    for (uint8_t ch = 0; ch < 8; ++ch) {
      const int voices = ch < 3 ? 3 : 1;
      for (int v = 0; v < voices; ++v) {
        const uint8_t key = static_cast<uint8_t>(48 + ch * 3 + scale[(eighth + ch + 2 * v) % 7] + 12 * (v % 2));
        events.push_back({t, static_cast<uint8_t>(0x90 | ch), key, static_cast<uint8_t>(70 + (eighth * 7 + ch) % 40)});
        events.push_back({t + 230, static_cast<uint8_t>(0x80 | ch), key, 0});
      }
    }
    if (eighth % 2 == 0) {
      const uint8_t bass = static_cast<uint8_t>(36 + scale[(eighth / 2) % 7]);
      events.push_back({t, 0x98, bass, 100});
      events.push_back({t + 470, 0x88, bass, 0});
    }
    for (uint32_t s = 0; s < 2; ++s) {
      const uint8_t drum = s == 0 && eighth % 4 == 0 ? 36 : (eighth % 4 == 2 && s == 0 ? 38 : 42);
      events.push_back({t + s * 120, 0x99, drum, 110});
      events.push_back({t + s * 120 + 60, 0x89, drum, 0});
    }
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
  Bytes track;
  uint32_t last = 0;
  for (const auto& e : events) {
    PutVlq(track, e.tick - last);
    last = e.tick;
    track.push_back(e.status);
    track.push_back(e.data1);
    if ((e.status & 0xF0) != 0xC0) track.push_back(e.data2);
  }
  for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) track.push_back(b);
  Bytes file{'M', 'T', 'h', 'd'};
  PutBe(file, 6, 4);
  PutBe(file, 0, 2);
  PutBe(file, 1, 2);
  PutBe(file, 480, 2);
  for (uint8_t b : {'M', 'T', 'r', 'k'}) file.push_back(b);
  PutBe(file, static_cast<uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

// Plays `song` through clsMidi into a WAV at `wav`, as fast as possible.
bool RenderSong(const std::string& song, const std::string& wav) {
  auto renderer = std::make_shared<mm::FileRenderer>(wav);
  mm::clock::VirtualClockGuard clock;
  const uint32_t id = mm::RegisterDevice(renderer);
  {
    auto player = sonara::clsMidi::Create();
    player->OpenMidiFile(song);
    player->put_SetDevice(static_cast<int16_t>(id));
    player->PlayMidi();
    mm::clock::RunAsFastAsPossible([&] { return player->get_Status() != sonara::kStatusPlaying; });
    player->CloseDevice();
  }
  mm::UnregisterDevice(renderer);
  if (!renderer->Error().empty()) std::fprintf(stderr, "%s\n", renderer->Error().c_str());
  return renderer->Error().empty() && renderer->FramesWritten() > 0;
}

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Real-time play on device 0 with the message loop running; the CPU time of
// the whole process (synthesizer, audio and stream threads) over the wall time.
int PlayRealTime(const std::string& song, double seconds) {
  auto player = sonara::clsMidi::Create();
  player->OpenMidiFile(song);
  player->put_SetDevice(0);
  player->PlayMidi();
  if (player->get_Status() != sonara::kStatusPlaying) return 1;
  const double cpu0 = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  while (elapsed() < seconds && player->get_Status() == sonara::kStatusPlaying) mm::WaitAndDispatch(100);
  const double wall = elapsed(), cpu = CpuSeconds() - cpu0;
  player->CloseDevice();
  std::printf("real-time play: %.1f s, CPU %.2f s = %.1f %% of one core\n", wall, cpu, 100 * cpu / wall);
  return 0;
}

std::string benchSong;

void BM_RenderSong(benchmark::State& state) {
  const std::string wav = "/tmp/render_bench_" + std::to_string(getpid()) + ".wav";
  for (auto _ : state) {
    if (!RenderSong(benchSong, wav)) state.SkipWithError("render failed");
  }
  std::remove(wav.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-long") == 0) {
    Bytes song = LongDenseSong();
    std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char*>(song.data()),
                                                  static_cast<std::streamsize>(song.size()));
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--render") == 0) {
    const auto start = std::chrono::steady_clock::now();
    if (!RenderSong(argv[2], argv[3])) return 1;
    std::printf("%.3f\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--play") == 0) return PlayRealTime(argv[2], std::atof(argv[3]));
  if (argc >= 3 && std::strcmp(argv[1], "--song") == 0) {
    benchSong = argv[2];
    benchmark::RegisterBenchmark("RenderSong", BM_RenderSong)->Unit(benchmark::kSecond)->Iterations(1);
    argc -= 2;
    argv += 2;
    argv[0] = argv[-2];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
  }
  std::fprintf(stderr, "usage: render_bench --write-long PATH | --render SONG WAV | --play SONG SECONDS | "
                       "--song SONG [benchmark options]\n");
  return 2;
}
