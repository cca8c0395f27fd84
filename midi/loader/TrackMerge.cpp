// Merging the tracks into the one Timeline, and announcing every channel's
// starting settings.
#include <queue>
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

struct Cursor {
  int32_t Tick;
  int16_t Track;
  int32_t Slot;
};

// The earliest tick first; at equal ticks the lower track number first.
struct Later {
  bool operator()(const Cursor& a, const Cursor& b) const noexcept {
    return a.Tick != b.Tick ? a.Tick > b.Tick : a.Track > b.Track;
  }
};

// The slot of the next event of the track at or after slot that enters the
// Timeline, or 0 when there is none.
int32_t NextMerged(const std::vector<EventRecord>& events, int32_t slot) {
  for (; slot <= static_cast<int32_t>(events.size()); ++slot) {
    if (IsMerged(events[static_cast<size_t>(slot - 1)].Message)) return slot;
  }
  return 0;
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

}  // namespace

void clsMidi::MergeTracks() {
  const int16_t tracks = modMidi.TrackCount;
  int64_t total = 0;
  for (int16_t t = 1; t <= tracks; ++t) {
    for (const EventRecord& e : modMidi.TrackEvents[t].Items()) total += IsMerged(e.Message) ? 1 : 0;
  }

  // A k-way merge: each track is already in tick order.
  std::priority_queue<Cursor, std::vector<Cursor>, Later> next;
  for (int16_t t = 1; t <= tracks; ++t) {
    const auto& events = modMidi.TrackEvents[t].Items();
    if (const int32_t slot = NextMerged(events, 1)) next.push({events[static_cast<size_t>(slot - 1)].AbsTick, t, slot});
  }

  modMidi.TempoMap.clear();
  if (total > 0) {
    modMidi.Timeline.Create(0, static_cast<int32_t>(total));
    auto& timeline = modMidi.Timeline.Items();
    size_t merged = 0;
    while (!next.empty()) {
      const Cursor c = next.top();
      next.pop();
      const auto& events = modMidi.TrackEvents[c.Track].Items();
      const EventRecord& e = events[static_cast<size_t>(c.Slot - 1)];
      EventRecord& record = timeline[++merged];
      record.AbsTick = e.AbsTick;
      record.Message = e.Message;
      record.LyricIndex = e.LyricIndex;
      record.DeltaTicks = e.AbsTick - timeline[merged - 1].AbsTick;
      MarkUsedChannel(e.Message);
      if (IsTempoRecord(e.Message)) modMidi.TempoMap.push_back({e.AbsTick, TempoRecordValue(e.Message)});
      if (const int32_t slot = NextMerged(events, c.Slot + 1)) {
        next.push({events[static_cast<size_t>(slot - 1)].AbsTick, c.Track, slot});
      }
    }
    // Playback starts with the first event at once: a silence before it is not played.
    timeline[1].DeltaTicks = 0;
    modMidi.SongTicks = timeline[merged].AbsTick;
  } else {
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
