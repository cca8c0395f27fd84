// The stream core on its own: told the time, it plays what is due.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "platform/stream_core.h"

namespace {

using mm::MIDIEVENT;
using mm::MIDIHDR;

struct Played {
  int64_t time;
  uint32_t message;
  bool operator==(const Played&) const = default;
};

class RecordingSink : public mm::StreamSink {
 public:
  int64_t now = 0;
  std::vector<Played> played;
  std::vector<MIDIHDR*> done;
  void Play(uint32_t m) override { played.push_back({now, m}); }
  void Done(MIDIHDR* h) override { done.push_back(h); }
};

struct Buffer {
  std::vector<MIDIEVENT> events;
  MIDIHDR hdr{};
  explicit Buffer(std::vector<MIDIEVENT> e) : events(std::move(e)) {
    hdr.lpData = reinterpret_cast<char*>(events.data());
    hdr.dwBufferLength = hdr.dwBytesRecorded = static_cast<uint32_t>(events.size() * sizeof(MIDIEVENT));
    hdr.dwFlags = mm::MHDR_PREPARED | mm::MHDR_INQUEUE;
  }
};

// Runs the core step by step from one due time to the next, as a driver does.
void RunTo(mm::StreamCore& core, RecordingSink& sink, int64_t until) {
  while (auto due = core.NextDue()) {
    if (*due > until) break;
    sink.now = std::max(sink.now, *due);
    core.RunUntil(sink.now, sink);
  }
  sink.now = until;
}

struct TimingCase {
  const char* what;
  uint32_t tempo;
  std::vector<MIDIEVENT> events;
  std::vector<Played> expected;
};

class StreamCoreTiming : public testing::TestWithParam<TimingCase> {};

TEST_P(StreamCoreTiming, PlaysEachEventAtItsDueTime) {
  const auto& c = GetParam();
  mm::StreamCore core(0);
  RecordingSink sink;
  core.SetTempo(c.tempo, 0);
  Buffer b(c.events);
  core.Queue(&b.hdr);
  core.Restart(0);
  RunTo(core, sink, 100'000'000);
  EXPECT_EQ(sink.played, c.expected);
  ASSERT_EQ(sink.done.size(), 1u);
  EXPECT_EQ(b.hdr.dwFlags & (mm::MHDR_DONE | mm::MHDR_INQUEUE), mm::MHDR_DONE);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamCoreTiming,
    testing::Values(
        // 500000 us per 24 ticks is 20833.3 us a tick: due times round up, and
        // never drift, so tick 48 is exactly one second.
        TimingCase{"fractional tick", 500000, {{1, 0, 0x90}, {23, 0, 0x91}, {24, 0, 0x92}},
                   {{20834, 0x90}, {500000, 0x91}, {1000000, 0x92}}},
        // A stream id other than 0 plays nothing but still takes its time.
        TimingCase{"foreign stream id", 480000, {{0, 0, 0x90}, {10, 1, 0x91}, {10, 0, 0x92}}, {{0, 0x90}, {400000, 0x92}}},
        // A tempo event changes the tempo from its own time on and sends nothing.
        TimingCase{"tempo event", 480000, {{10, 0, 0x90}, {0, 0, 0x01000000 | 240000}, {10, 0, 0x91}},
                   {{200000, 0x90}, {300000, 0x91}}},
        // A tempo of 0 would stop time; it is ignored. Unknown kinds are skipped.
        TimingCase{"zero tempo and nop", 480000, {{0, 0, 0x01000000}, {0, 0, 0x02000000}, {5, 0, 0x93}},
                   {{100000, 0x93}}},
        // A long event's parameter bytes are stepped over, not read as events.
        TimingCase{"long event", 480000, {{1, 0, 0x8000000C}, {0, 0, 0x90}, {1, 0, 0x91}}, {{40000, 0x91}}}),
    [](const auto& info) {
      // "fractional tick" -> FractionalTick
      std::string name;
      bool upper = true;
      for (const char* c = info.param.what; *c; ++c) {
        if (*c == ' ') {
          upper = true;
        } else {
          name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
          upper = false;
        }
      }
      return name;
    });

// A buffer that comes late plays its overdue events at once; the events
// after them keep the times of the absolute schedule.
TEST(StreamCore, LateBufferDoesNotShiftLaterEvents) {
  mm::StreamCore core(0);
  RecordingSink sink;
  core.SetTempo(480000, 0);  // 20000 us a tick
  Buffer first({{10, 0, 0x90}});
  core.Queue(&first.hdr);
  core.Restart(0);
  RunTo(core, sink, 300000);
  Buffer late({{2, 0, 0x91}, {5, 0, 0x92}});
  core.Queue(&late.hdr);
  RunTo(core, sink, 1000000);
  EXPECT_EQ(sink.played, (std::vector<Played>{{200000, 0x90}, {300000, 0x91}, {340000, 0x92}}));
}

// Stop returns every queued buffer and the next buffer counts from where the
// stop happened, not from the last event played.
TEST(StreamCore, StopReturnsBuffersAndNewOnesCountFromThere) {
  mm::StreamCore core(0);
  RecordingSink sink;
  core.SetTempo(480000, 0);
  Buffer a({{100, 0, 0x90}}), b({{100, 0, 0x91}});
  core.Queue(&a.hdr);
  core.Queue(&b.hdr);
  core.Restart(0);
  RunTo(core, sink, 200000);
  core.Stop(200000, sink);
  EXPECT_EQ(sink.done, (std::vector<MIDIHDR*>{&a.hdr, &b.hdr}));
  EXPECT_FALSE(core.Running());
  EXPECT_EQ(core.PositionTicks(900000), 10u);
  Buffer c({{1, 0, 0x92}});
  core.Queue(&c.hdr);
  core.Restart(1000000);
  RunTo(core, sink, 2000000);
  EXPECT_EQ(sink.played, (std::vector<Played>{{1020000, 0x92}}));
}

// Thousands of tempo changes whose ticks are no whole number of
// microseconds: every event still lands on the exact time of the tempo map,
// rounded up once, with no error carried from one change to the next.
TEST(StreamCore, TempoChangesFollowTheExactTempoMap) {
  mm::StreamCore core(0);
  RecordingSink sink;
  std::vector<MIDIEVENT> events;
  std::vector<Played> expected;
  __int128 scaled = 0;  // exact time so far, in 1/24 us
  uint32_t tempo = mm::StreamCore::kDefaultTempo;
  for (uint32_t i = 0; i < 3000; ++i) {
    const uint32_t delta = 1 + i % 7;
    scaled += static_cast<__int128>(delta) * tempo;
    events.push_back({delta, 0, 0x90 | (i % 16)});
    expected.push_back({static_cast<int64_t>((scaled + 23) / 24), 0x90 | (i % 16)});
    tempo = 400001 + (i * 7919) % 200000;  // rarely a multiple of 24
    events.push_back({0, 0, 0x01000000 | tempo});
  }
  Buffer b(events);
  core.Queue(&b.hdr);
  core.Restart(0);
  RunTo(core, sink, int64_t{1} << 40);
  EXPECT_EQ(sink.played, expected);
}

// A buffer that arrives late and starts with a slower tempo anchors that
// tempo in the past; the position already read must not go back.
TEST(StreamCore, PositionNeverGoesBackAfterALateTempoChange) {
  mm::StreamCore core(0);
  RecordingSink sink;
  core.SetTempo(480000, 0);  // 20000 us a tick
  Buffer first({{10, 0, 0x90}});
  core.Queue(&first.hdr);
  core.Restart(0);
  RunTo(core, sink, 1000000);
  const uint32_t before = core.PositionTicks(1000000);
  EXPECT_EQ(before, 50u);
  Buffer late({{1, 0, 0x01000000 | 4800000}, {100, 0, 0x91}});  // ten times slower from tick 11
  core.Queue(&late.hdr);
  core.RunUntil(1000000, sink);
  EXPECT_GE(core.PositionTicks(1000000), before);
  EXPECT_GE(core.PositionTicks(1100000), before);
  // The event after the change keeps its place on the new schedule.
  RunTo(core, sink, 100000000);
  EXPECT_EQ(sink.played.back(), (Played{220000 + 100 * 200000, 0x91}));
}

}  // namespace
