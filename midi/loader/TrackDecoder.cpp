// Decoding every track chunk into its column of TrackEvents.
#include <algorithm>
#include <limits>
#include <vector>

#include "clsMidi.h"
#include "loader/ByteReader.h"
#include "loader/LargeBuffers.h"
#include "loader/SongTiming.h"
#include "loader/TrackDecodeState.h"

namespace sonara {

namespace {

// The karaoke track's opening event moves it one tick later, so a track's
// ticks stay below the largest value by one.
constexpr int64_t kMaxTrackTick = std::numeric_limits<int32_t>::max() - 1;
constexpr int kMaxDenominatorPower = 14;  // 2^14 is the largest power that fits 16 bits

enum class Step { Next, EndOfTrack };

// Reads a variable-length quantity through the reader; false when it runs
// past the chunk or needs more than four bytes.
bool ReadQuantity(ByteReader& reader, int32_t& value) {
  int16_t length = 0;
  clsMidi::DecodeVarLen(reader.Peek(0), reader.Peek(1), reader.Peek(2), reader.Peek(3), length, value);
  return length > 0 && reader.Skip(static_cast<size_t>(length));
}

class TrackDecoder {
 public:
  // The track's column and counters are looked up once, with their bounds
  // checked; every event then goes straight to them.
  TrackDecoder(clsMidi& player, TrackDecodeState& state, std::span<const uint8_t> chunk)
      : player_(player),
        state_(state),
        reader_(chunk),
        events_(modMidi.TrackEvents[state.Track].Items()),
        count_(modMidi.TrackEventCount[state.Track]),
        clock_(modMidi.TrackClock[state.Track]) {}

  void Run() {
    state_.TrackTick = 0;
    while (!reader_.AtEnd()) {
      // The delta time. One whose four bytes all say "more follows" has no
      // length: the decoder stays on its first byte, which is then a status.
      int16_t length = 0;
      int32_t delta = 0;
      clsMidi::DecodeVarLen(reader_.Peek(0), reader_.Peek(1), reader_.Peek(2), reader_.Peek(3), length, delta);
      if (!reader_.Skip(static_cast<size_t>(length))) break;
      if (state_.TrackTick + delta > kMaxTrackTick) break;  // a song this long cannot be timed
      state_.PendingDelta = delta;
      state_.TrackTick += delta;
      uint8_t s = 0;
      if (!reader_.ReadByte(s)) break;
      if (Event(s) == Step::EndOfTrack) break;
    }
    if (modMidi.LastTick < state_.TrackTick) modMidi.LastTick = static_cast<int32_t>(state_.TrackTick);
    PlaceShiftedTempoRecords();
  }

 private:
  void Store(int32_t message) {
    ++count_;
    clock_ += state_.PendingDelta;
    events_.push_back(EventRecord{state_.PendingDelta, clock_, message, 0});
  }
  void StorePlaceholder() { Store(kTimePlaceholder); }

  // Acts on the byte s just read; EndOfTrack when the track ends here
  // (its end-of-track event, or an event cut short by the end of the chunk).
  Step Event(uint8_t s) {
    if (s < 0x80) return RunningStatusEvent(s);
    if (s < 0xF0) {
      state_.RunningStatus = s;
      return ChannelEvent(s);
    }
    if (s == 0xFF) return MetaEvent();
    if (s == 0xF0 || s == 0xF7) {
      // System exclusive data is skipped by its length.
      int32_t length = 0;
      if (!ReadQuantity(reader_, length) || !reader_.Skip(static_cast<size_t>(length))) return Step::EndOfTrack;
      StorePlaceholder();
      return Step::Next;
    }
    StorePlaceholder();  // a system message has no place in a file; it keeps only its time
    return Step::Next;
  }

  static bool HasTwoDataBytes(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind != 0xC0 && kind != 0xD0;
  }

  // A channel message whose status byte has been read.
  Step ChannelEvent(uint8_t status) {
    uint8_t d1 = 0;
    if (!reader_.ReadByte(d1)) return Step::EndOfTrack;
    return ChannelMessage(status, d1);
  }

  // A data byte with no status byte before it, under the running status.
  Step RunningStatusEvent(uint8_t e1) {
    const uint8_t r = state_.RunningStatus;
    if (r < 0x80 || r >= 0xF0) {
      StorePlaceholder();
      return Step::Next;
    }
    return ChannelMessage(r, e1);
  }

  Step ChannelMessage(uint8_t status, uint8_t d1) {
    uint8_t d2 = 0;
    if (HasTwoDataBytes(status) && !reader_.ReadByte(d2)) return Step::EndOfTrack;
    const int n = status & 0x0F;
    switch (status & 0xF0) {
      case 0xB0:
        if (d1 == 7) modMidi.ChannelVolume[n] = d2;
        if (d1 == 8) modMidi.ChannelBalance[n] = d2;
        break;
      case 0xC0:
        modMidi.ChannelProgram[n] = d1;
        break;
      default:
        break;
    }
    Store(PackShortMessage(status, d1, d2));
    return Step::Next;
  }

  Step MetaEvent() {
    uint8_t type = 0;
    int32_t length = 0;
    std::span<const uint8_t> data;
    if (!reader_.ReadByte(type) || !ReadQuantity(reader_, length) ||
        !reader_.Take(static_cast<size_t>(length), data)) {
      return Step::EndOfTrack;  // the event runs past the chunk
    }
    switch (type) {
      case 0x01:
        player_.TitleStep(state_, data);
        if (state_.KaraokeMode && state_.Track == state_.KaraokeTrack) player_.KaraokeTextStep(state_, data);
        break;
      case 0x05:
        if (!state_.KaraokeMode) player_.LyricStep(state_, data);
        break;
      case 0x2F:
        return Step::EndOfTrack;
      case 0x51:
        if (TempoEvent(data)) return Step::Next;
        break;
      case 0x58:
        TimeSignatureEvent(data);
        break;
      default:
        break;
    }
    StorePlaceholder();
    return Step::Next;
  }

  // A set-tempo event becomes a tempo record of the song, at its own tick;
  // true when the record took the event's place in the track.
  bool TempoEvent(std::span<const uint8_t> data) {
    if (data.size() < 3 || IsTimeCodeDivision(modMidi.Division)) return false;  // a time-code song keeps its speed
    const auto tempo = static_cast<int32_t>(clsMidi::BytesToNumber(data[0], data[1], data[2], 0, 3));
    if (tempo == 0) return false;
    if (state_.Track == state_.KaraokeTrack) {
      // The karaoke track's events sit one tick late; its tempo changes do
      // not: they join the track's column when the track is decoded.
      shiftedTempos_.push_back(EventRecord{0, static_cast<int32_t>(state_.TrackTick), kTempoRecordKind + tempo, 0});
      return false;
    }
    Store(kTempoRecordKind + tempo);
    return true;
  }

  // Puts the karaoke track's tempo records among its events by tick, each
  // after the events of the file ticks before it, and sets the deltas anew.
  void PlaceShiftedTempoRecords() {
    if (shiftedTempos_.empty()) return;
    const auto middle = static_cast<std::ptrdiff_t>(events_.size());
    events_.insert(events_.end(), shiftedTempos_.begin(), shiftedTempos_.end());
    count_ += static_cast<int32_t>(shiftedTempos_.size());
    std::inplace_merge(events_.begin(), events_.begin() + middle, events_.end(),
                       [](const EventRecord& a, const EventRecord& b) { return a.AbsTick < b.AbsTick; });
    int32_t previous = 0;
    for (EventRecord& e : events_) {
      e.DeltaTicks = e.AbsTick - previous;
      previous = e.AbsTick;
    }
    clock_ = std::max(clock_, previous);
    shiftedTempos_.clear();
  }

  static void TimeSignatureEvent(std::span<const uint8_t> data) {
    if (data.size() < 2 || data[1] > kMaxDenominatorPower) return;
    modMidi.TimeSigNumerator = data[0];
    modMidi.TimeSigDenominator = static_cast<int16_t>(1 << data[1]);
  }

  clsMidi& player_;
  TrackDecodeState& state_;
  ByteReader reader_;
  std::vector<EventRecord>& events_;
  int32_t& count_;
  int32_t& clock_;
  std::vector<EventRecord> shiftedTempos_;  // tempo records of the karaoke track, by tick
};

}  // namespace

void clsMidi::StoreTrackEvent(int32_t delta, int32_t message, int16_t track, int16_t lyricIndex) {
  ++modMidi.TrackEventCount[track];
  const int32_t clock = modMidi.TrackClock[track] += delta;
  modMidi.TrackEvents[track].Append(EventRecord{delta, clock, message, lyricIndex});
}

void clsMidi::ReadTracks(std::span<const uint8_t> file) {
  const int16_t tracks = modMidi.TrackCount;
  modMidi.TrackEventCount.Create(0, tracks);
  modMidi.TrackClock.Create(0, tracks);
  modMidi.Timeline.Create(0, 1);
  // Every song starts from the default tempo and time; its own events override them.
  modMidi.Tempo = kDefaultTempo;
  modMidi.TimeSigNumerator = kDefaultTimeSigNumerator;
  modMidi.TimeSigDenominator = kDefaultTimeSigDenominator;
  modMidi.LastTick = 0;
  ResetLyricTables();

  TrackDecodeState state;
  state.KaraokeTrack = FindKaraokeTrack(file);
  state.KaraokeMode = state.KaraokeTrack > 0;
  modMidi.KaraokeMode = ToVariantBool(state.KaraokeMode);

  for (int16_t t = 1; t <= tracks; ++t) {
    const ChunkRecord& chunk = modMidi.TrackChunks[t];
    state.Track = t;
    if (t == state.KaraokeTrack) StoreTrackEvent(1, kLyricCarrier, t, 0);
    const auto data = file.subspan(static_cast<size_t>(chunk.ChunkPosition) + 8, static_cast<size_t>(chunk.ChunkLength));
    // Events take two bytes or more, save in broken files: room for that many
    // is reserved up front (pages that are never written cost nothing).
    ReserveLarge(modMidi.TrackEvents[t].Items(), data.size() / 2 + 2);
    try {
      TrackDecoder(*this, state, data).Run();
    } catch (...) {
      // Decoding ends here; the texts found so far still become readable.
      CloseLyricText(state);
      throw;
    }
  }
  CloseLyricText(state);
}

}  // namespace sonara
