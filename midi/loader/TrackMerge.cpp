// Merging the tracks into the one Timeline, and announcing every channel's
// starting settings.
#include <cstdint>
#include <limits>
#include <vector>

#include "clsMidi.h"
#include "loader/LargeBuffers.h"
#include "loader/SongTiming.h"
#include "mixer/GeneralMidiNames.h"
#include "platform/window.h"

namespace sonara {

namespace {

// Channel messages, lyric events and tempo records enter the Timeline;
// placeholders only carried time.
constexpr bool IsMerged(int32_t message) noexcept { return message > 127; }

// A k-way merge over the tracks as a tournament tree: every leaf is a track's
// next event that enters the Timeline, every inner node keeps the loser of
// the match below it, and the overall winner is the earliest event (the lower
// leaf, that is the lower track number, at equal ticks). Taking the winner and
// replaying its leaf costs one comparison per level.
class TrackTournament {
 public:
  TrackTournament() {
    const int16_t tracks = modMidi.TrackCount;
    size_t leaves = 1;
    while (leaves < static_cast<size_t>(tracks)) leaves *= 2;
    at_.assign(leaves, nullptr);
    end_.assign(leaves, nullptr);
    key_.assign(leaves, kDone);
    for (int16_t t = 1; t <= tracks; ++t) {
      const auto& events = modMidi.TrackEvents[t].Items();
      const auto leaf = static_cast<size_t>(t - 1);
      at_[leaf] = events.data();
      end_[leaf] = events.data() + events.size();
      Settle(leaf);
    }
    Build(leaves);
  }

  bool Done() const noexcept { return key_[winner_] == kDone; }
  const EventRecord& Next() const noexcept { return *at_[winner_]; }

  // Moves on from the winner's event and plays the matches on its path again.
  void Advance() noexcept {
    size_t w = winner_;
    ++at_[w];
    Settle(w);
    const size_t leaves = key_.size();
    for (size_t node = (w + leaves) / 2; node >= 1; node /= 2) {
      if (key_[loser_[node]] < key_[w]) std::swap(loser_[node], w);
    }
    winner_ = w;
  }

 private:
  static constexpr int64_t kDone = std::numeric_limits<int64_t>::max();

  // The leaf's key: its next merged event's tick, ties going to the lower leaf.
  void Settle(size_t leaf) noexcept {
    const EventRecord*& at = at_[leaf];
    while (at != end_[leaf] && !IsMerged(at->Message)) ++at;
    key_[leaf] = at == end_[leaf] ? kDone : (int64_t{at->AbsTick} << 16) | static_cast<int64_t>(leaf);
  }

  void Build(size_t leaves) {
    loser_.assign(leaves, 0);
    if (leaves == 1) {
      winner_ = 0;
      return;
    }
    // Winners of each node, computed bottom-up; nodes 1..leaves-1, leaves at leaves..2*leaves-1.
    std::vector<size_t> winner(2 * leaves);
    for (size_t i = 0; i < leaves; ++i) winner[leaves + i] = i;
    for (size_t node = leaves - 1; node >= 1; --node) {
      const size_t a = winner[2 * node];
      const size_t b = winner[2 * node + 1];
      const bool aWins = key_[a] < key_[b];
      winner[node] = aWins ? a : b;
      loser_[node] = aWins ? b : a;
    }
    winner_ = winner[1];
  }

  std::vector<const EventRecord*> at_;
  std::vector<const EventRecord*> end_;
  std::vector<int64_t> key_;
  std::vector<size_t> loser_;
  size_t winner_ = 0;
};

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

}  // namespace

void clsMidi::MergeTracks() {
  size_t stored = 0;
  for (int16_t t = 1; t <= modMidi.TrackCount; ++t) stored += modMidi.TrackEvents[t].Items().size();

  modMidi.TempoMap.clear();
  modMidi.Timeline.Create(0, 0);
  auto& timeline = modMidi.Timeline.Items();
  ReserveLarge(timeline, stored + 1);  // an upper bound; pages never written cost nothing
  if (modMidi.TrackCount > 0) {
    for (TrackTournament tracks; !tracks.Done(); tracks.Advance()) {
      const EventRecord& e = tracks.Next();
      timeline.push_back(EventRecord{e.AbsTick - timeline.back().AbsTick, e.AbsTick, e.Message, e.LyricIndex});
      MarkUsedChannel(e.Message);
      if (IsTempoRecord(e.Message)) modMidi.TempoMap.push_back({e.AbsTick, TempoRecordValue(e.Message)});
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

  modMidi.Tempo = TempoAtTick(0);
  modMidi.TempoInForce = modMidi.Tempo;

  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    AnnounceChannel(*this, ch);
    mm::PumpMessages();
  }
}

}  // namespace sonara
