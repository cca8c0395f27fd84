// Timing of playback on the real clock: a dense song played through clsMidi
// as a client plays it (a blocking message loop on the main thread), with
// the capture device noting the steady-clock time at which each message
// reaches it. Reports each message's lateness against its ideal time from
// the first message, the engine's CPU time per second of music, and the CPU
// used by a waiting message loop and by idle and paused streams.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "clsMidi.h"
#include "platform/clock.h"
#include "platform/devices/capture_device.h"
#include "platform/devices/registry.h"
#include "platform/window.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kDivision = 480;
constexpr int kSetupMessages = 80;

void Vlq(Bytes& out, uint32_t v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while (v >>= 7) buf[n++] = 0x80 | (v & 0x7F);
  while (n) out.push_back(buf[--n]);
}

void Be32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

// A song of `seconds` at 500000 us per quarter note give or take its tempo
// changes: groups of 1 to 16 simultaneous events, 1 to 6 ticks apart (about
// 2300 events a second), a tempo change every 200 groups. Also gives each
// channel message's ideal time in microseconds.
struct DenseSong {
  Bytes bytes;
  std::vector<double> idealMicros;
};

DenseSong MakeDenseSong(double seconds) {
  static constexpr uint32_t kTempos[] = {500000, 450000, 550000, 480000};
  std::mt19937 random(20261210);
  Bytes events;
  DenseSong song;
  double now = 0;
  uint32_t tempo = 500000;
  uint32_t delta = 0;
  std::vector<std::pair<uint8_t, uint8_t>> sounding;
  for (int group = 0; now < seconds * 1e6; ++group) {
    if (group % 200 == 0) {
      tempo = kTempos[(group / 200) % 4];
      Vlq(events, delta);
      delta = 0;
      events.insert(events.end(), {0xFF, 0x51, 0x03, static_cast<uint8_t>(tempo >> 16),
                                   static_cast<uint8_t>(tempo >> 8), static_cast<uint8_t>(tempo)});
    }
    const int size = 1 + static_cast<int>(random() % 16);
    for (int i = 0; i < size; ++i) {
      Vlq(events, delta);
      delta = 0;
      if (!sounding.empty() && random() % 2) {
        auto [ch, key] = sounding.back();
        sounding.pop_back();
        events.insert(events.end(), {static_cast<uint8_t>(0x80 | ch), key, 0});
      } else {
        const auto ch = static_cast<uint8_t>(random() % 16);
        const auto key = static_cast<uint8_t>(36 + random() % 60);
        sounding.push_back({ch, key});
        events.insert(events.end(), {static_cast<uint8_t>(0x90 | ch), key, 90});
      }
      song.idealMicros.push_back(now);
    }
    delta = 1 + random() % 6;
    now += static_cast<double>(delta) * tempo / kDivision;
  }
  events.insert(events.end(), {0x00, 0xFF, 0x2F, 0x00});
  Bytes& b = song.bytes;
  b = {'M', 'T', 'h', 'd'};
  Be32(b, 6);
  b.insert(b.end(), {0, 0, 0, 1, kDivision >> 8, kDivision & 0xFF, 'M', 'T', 'r', 'k'});
  Be32(b, static_cast<uint32_t>(events.size()));
  b.insert(b.end(), events.begin(), events.end());
  return song;
}

struct Cpu {
  double user = 0;
  double system = 0;
  double Total() const { return user + system; }
  Cpu operator-(const Cpu& o) const { return {user - o.user, system - o.system}; }
};

Cpu CpuNow() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return {static_cast<double>(u.ru_utime.tv_sec) + static_cast<double>(u.ru_utime.tv_usec) / 1e6,
          static_cast<double>(u.ru_stime.tv_sec) + static_cast<double>(u.ru_stime.tv_usec) / 1e6};
}

// What exact timing costs at the least, measured in the same run: one
// thread that only sleeps until each group's time and wakes (no timer slack,
// as the player's threads). The player needs one such wake-up per group of
// simultaneous events, so its CPU cannot be below this thread's, nor its
// lateness below this thread's on a machine that is slow to wake it.
struct Floor {
  Cpu cpu;
  std::vector<double> lateness;  // microseconds, one per group
};

Floor WakeUpFloor(const std::vector<double>& idealMicros) {
  Floor floor;
  std::thread([&] {
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    const int64_t start = mm::clock::RealNowMicros() + 1000;
    const Cpu before = CpuNow();
    double last = -1;
    for (double t : idealMicros) {
      if (t == last) continue;
      last = t;
      const int64_t due = start + static_cast<int64_t>(t);
      const timespec ts{static_cast<time_t>(due / 1000000), static_cast<long>(due % 1000000) * 1000};
      while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
      }
      floor.lateness.push_back(static_cast<double>(mm::clock::RealNowMicros() - due));
    }
    floor.cpu = CpuNow() - before;
  }).join();
  return floor;
}

// A second process that keeps one core busy while it lives.
class BusyCore {
 public:
  BusyCore() : pid_(fork()) {
    if (pid_ == 0) {
      volatile uint64_t n = 0;
      for (;;) n = n + 1;
    }
  }
  ~BusyCore() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  BusyCore(const BusyCore&) = delete;
  BusyCore& operator=(const BusyCore&) = delete;

 private:
  pid_t pid_;
};

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

void BM_PlaybackTiming(benchmark::State& state) {
  const bool busy = state.range(0) != 0;
  const double seconds = static_cast<double>(state.range(1));
  const DenseSong song = MakeDenseSong(seconds);
  auto capture = std::make_shared<mm::CaptureDevice>("Timing capture");
  std::mutex lock;
  std::vector<int64_t> arrivals;
  arrivals.reserve(song.idealMicros.size() + 200);
  capture->SetSink(
      [&](const mm::CaptureDevice::Record& r) {
        if (r.kind != mm::CaptureDevice::Kind::ShortMessage) return;
        std::lock_guard guard(lock);
        arrivals.push_back(mm::clock::RealNowMicros());
      },
      false);
  const auto id = mm::RegisterDevice(capture);
  std::unique_ptr<BusyCore> load;
  if (busy) load = std::make_unique<BusyCore>();

  Cpu cpu;
  Floor floor;
  for (auto _ : state) {
    floor = WakeUpFloor(song.idealMicros);
    auto player = sonara::clsMidi::Create();
    player->OpenMidiData("dense.mid", song.bytes);
    player->put_SetDevice(static_cast<int16_t>(id));
    const Cpu before = CpuNow();
    player->PlayMidi();
    while (player->get_Status() == sonara::kStatusPlaying) mm::WaitAndDispatch(-1);
    cpu = CpuNow() - before;
  }
  load.reset();
  mm::UnregisterDevice(capture);

  std::vector<int64_t> times;
  {
    std::lock_guard guard(lock);
    times.assign(arrivals.begin() + std::min<size_t>(kSetupMessages, arrivals.size()), arrivals.end());
  }
  if (times.size() != song.idealMicros.size()) {
    state.SkipWithError("the device did not get every message");
    return;
  }
  std::vector<double> lateness;
  for (size_t i = 0; i < times.size(); ++i) {
    lateness.push_back(static_cast<double>(times[i] - times[0]) - song.idealMicros[i]);
  }
  state.counters["events"] = static_cast<double>(times.size());
  state.counters["events_per_s"] = static_cast<double>(times.size()) / seconds;
  state.counters["late_median_us"] = Percentile(lateness, 0.5);
  state.counters["late_p99_us"] = Percentile(lateness, 0.99);
  const auto worst = std::max_element(lateness.begin(), lateness.end());
  state.counters["late_max_us"] = *worst;
  state.counters["late_max_at_s"] = song.idealMicros[static_cast<size_t>(worst - lateness.begin())] / 1e6;
  state.counters["late_over_1ms"] = static_cast<double>(std::count_if(lateness.begin(), lateness.end(),
                                                                      [](double l) { return l > 1000; }));
  state.counters["cpu_ms_per_s"] = cpu.Total() * 1000 / seconds;
  state.counters["cpu_user_ms_per_s"] = cpu.user * 1000 / seconds;
  state.counters["cpu_sys_ms_per_s"] = cpu.system * 1000 / seconds;
  state.counters["floor_cpu_ms_per_s"] = floor.cpu.Total() * 1000 / seconds;
  state.counters["floor_late_p99_us"] = Percentile(floor.lateness, 0.99);
  state.counters["floor_late_max_us"] = *std::max_element(floor.lateness.begin(), floor.lateness.end());
}
BENCHMARK(BM_PlaybackTiming)
    ->ArgNames({"busy_core", "seconds"})
    ->Args({0, 20})
    ->Args({1, 20})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// CPU used over two seconds of waiting: a message loop with nothing to do,
// a started stream with nothing queued, and a paused stream with a buffer.
void BM_IdleCpu(benchmark::State& state) {
  const int what = static_cast<int>(state.range(0));
  auto capture = std::make_shared<mm::CaptureDevice>("Idle capture");
  uint32_t id = mm::RegisterDevice(capture);
  mm::HMIDISTRM stream = 0;
  std::vector<mm::MIDIEVENT> events{{1000000, 0, 0x90}};
  mm::MIDIHDR header{};
  if (what > 0) {
    mm::midiStreamOpen(&stream, &id, 1, 0, 0, mm::CALLBACK_NULL);
    if (what == 2) {
      header.lpData = reinterpret_cast<char*>(events.data());
      header.dwBufferLength = header.dwBytesRecorded = sizeof(mm::MIDIEVENT);
      mm::midiOutPrepareHeader(stream, &header, sizeof header);
      mm::midiStreamOut(stream, &header, sizeof header);
    } else {
      mm::midiStreamRestart(stream);
    }
  }
  mm::PumpMessages();  // what earlier cases left waiting
  double cpu = 0;
  for (auto _ : state) {
    const double before = CpuNow().Total();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
      mm::WaitAndDispatch(static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(end - now).count()));
    }
    cpu = CpuNow().Total() - before;
  }
  if (stream) {
    mm::midiOutReset(stream);
    mm::midiStreamClose(stream);
  }
  mm::UnregisterDevice(capture);
  state.counters["cpu_ms_per_s"] = cpu * 1000 / 2;
}
BENCHMARK(BM_IdleCpu)
    ->ArgName("loop0_idle1_paused2")
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
