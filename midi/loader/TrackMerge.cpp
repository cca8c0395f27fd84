// Merging the tracks into the one Timeline, and announcing every channel's
// starting settings.
#include <algorithm>
#include <vector>

#include "clsMidi.h"
#include "loader/SongTiming.h"
#include "mixer/GeneralMidiNames.h"
#include "platform/window.h"

namespace sonara {

namespace {

// Channel messages, lyric events and tempo records enter the Timeline;
// placeholders only carried time.
constexpr bool IsMerged(int32_t message) noexcept { return message > 127; }

// A track's next event that enters the Timeline, and the end of its column.
struct Cursor {
  int32_t Tick;
  int16_t Track;
  const EventRecord* At;
  const EventRecord* End;
};

// The earliest tick first; at equal ticks the lower track number first.
struct Later {
  bool operator()(const Cursor& a, const Cursor& b) const noexcept {
    return a.Tick != b.Tick ? a.Tick > b.Tick : a.Track > b.Track;
  }
};

// Moves At to the next event from At on that enters the Timeline; false when none is left.
bool SkipToMerged(Cursor& c) {
  while (c.At != c.End && !IsMerged(c.At->Message)) ++c.At;
  if (c.At == c.End) return false;
  c.Tick = c.At->AbsTick;
  return true;
}

void MarkUsedChannel(int32_t message) {
  // Tempo records belong to no channel.
  if (!IsTempoRecord(message)) modMidi.ChannelUsed[static_cast<size_t>(MessageChannel(message))] = kTrue;
}

// Settles a channel's starting settings and announces them: a channel the
// song uses plays unmuted (a volume of 0 would silence it, so it gets 90;
// a balance of 0 becomes the centre), an unused one is muted.
void AnnounceChannel(clsMidi& player, int16_t ch) {
  const auto i = static_cast<size_t>(ch);
  if (modMidi.ChannelUsed[i]) {
    if (modMidi.ChannelVolume[i] == 0) modMidi.ChannelVolume[i] = 90;
    if (modMidi.ChannelBalance[i] == 0) modMidi.ChannelBalance[i] = 64;
    modMidi.ChannelMuted[i] = kFalse;
    player.RaiseVolumeChange(ch, modMidi.ChannelVolume[i]);
    player.RaiseBalanceChange(ch, modMidi.ChannelBalance[i]);
    player.RaiseInstrumentChange(ch, modMidi.ChannelProgram[i], InstrumentName(modMidi.ChannelProgram[i]));
    player.RaiseChannelMuteChange(ch, kFalse);
  } else {
    modMidi.ChannelProgram[i] = 0;
    modMidi.ChannelVolume[i] = 0;
    modMidi.ChannelBalance[i] = 64;
    player.RaiseVolumeChange(ch, 0);
    player.RaiseBalanceChange(ch, 64);
    player.RaiseInstrumentChange(ch, 0, InstrumentName(0));
    player.RaiseChannelMuteChange(ch, kTrue);
    modMidi.ChannelMuted[i] = kTrue;
  }
}

// Moves the heap's first entry down to its place after its key grew.
void SiftDown(std::vector<Cursor>& heap) {
  const Later later;
  size_t i = 0;
  const size_t n = heap.size();
  for (;;) {
    const size_t left = 2 * i + 1;
    if (left >= n) break;
    size_t child = left;
    if (left + 1 < n && later(heap[left], heap[left + 1])) child = left + 1;
    if (!later(heap[i], heap[child])) break;
    std::swap(heap[i], heap[child]);
    i = child;
  }
}

}  // namespace

void clsMidi::MergeTracks() {
  const int16_t tracks = modMidi.TrackCount;
  // A k-way merge: each track is already in tick order. The heap holds each
  // track's next event that enters the Timeline.
  std::vector<Cursor> heap;
  size_t stored = 0;
  for (int16_t t = 1; t <= tracks; ++t) {
    const auto& events = modMidi.TrackEvents[t].Items();
    stored += events.size();
    Cursor c{0, t, events.data(), events.data() + events.size()};
    if (SkipToMerged(c)) heap.push_back(c);
  }
  std::make_heap(heap.begin(), heap.end(), Later{});

  modMidi.TempoMap.clear();
  modMidi.Timeline.Create(0, 0);
  auto& timeline = modMidi.Timeline.Items();
  timeline.reserve(stored + 1);  // an upper bound; pages never written cost nothing
  while (!heap.empty()) {
    Cursor& c = heap.front();
    const EventRecord& e = *c.At;
    timeline.push_back(EventRecord{e.AbsTick - timeline.back().AbsTick, e.AbsTick, e.Message, e.LyricIndex});
    MarkUsedChannel(e.Message);
    if (IsTempoRecord(e.Message)) modMidi.TempoMap.push_back({e.AbsTick, TempoRecordValue(e.Message)});
    ++c.At;
    if (SkipToMerged(c)) {
      SiftDown(heap);
    } else {
      std::pop_heap(heap.begin(), heap.end(), Later{});
      heap.pop_back();
    }
  }
  if (timeline.size() > 1) {
    // Playback starts with the first event at once: a silence before it is not played.
    timeline[1].DeltaTicks = 0;
    modMidi.SongTicks = timeline.back().AbsTick;
  } else {
    modMidi.Timeline.Create(0, 1);  // no event: the two zero records
    modMidi.SongTicks = 0;
  }
  modMidi.TrackEvents.Create(1, 0);

  // The tempo at tick 0: the last change there, else the default.
  modMidi.Tempo = kDefaultTempo;
  for (const TempoChange& change : modMidi.TempoMap) {
    if (change.Tick > 0) break;
    modMidi.Tempo = change.Tempo;
  }
  modMidi.TempoInForce = modMidi.Tempo;

  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    AnnounceChannel(*this, ch);
    mm::PumpMessages();
  }
}

}  // namespace sonara
