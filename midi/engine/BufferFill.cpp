#include "engine/BufferFill.h"

#include <algorithm>
#include <array>
#include <vector>

#include "clsMidi.h"
#include "engine/StreamTempo.h"
#include "mixer/GeneralMidiNames.h"
#include "platform/window.h"

namespace sonara {

namespace {

constexpr uint32_t kMutedStreamId = 4096;  // no stream with this id is open: the note does not sound
constexpr uint32_t kAllNotesOff = 0x7BB0;  // controller 123
constexpr int16_t kLevelEvent = 1;
constexpr int16_t kNotesEvent = 2;

// One fill in progress. A client call made from one of its events can close
// the stream (StopRequested) or close it and open another (a new handle);
// either way the fill must stop before it touches the buffer or the header
// again, since they may belong to the new stream now.
class GroupFill {
 public:
  GroupFill() : stream_(modMidi.StreamHandle) {}

  bool Abandoned() const { return modMidi.StopRequested != kFalse || modMidi.StreamHandle != stream_; }

  // Places record `index` as element `k`; false when the fill was abandoned.
  bool Place(int32_t index, int32_t k) {
    const EventRecord r = modMidi.Timeline[index];  // a copy: a handler may load another song
    if (r.LyricIndex > 0) {
      if (auto player = modMidi.ActivePlayer) player->FireTextKar(r.LyricIndex);
      if (Abandoned()) return false;
    }
    mm::MIDIEVENT& e = events_.emplace_back(mm::MIDIEVENT{DeltaFor(index, k), 0, 0});
    if (IsTempoRecord(r.Message)) {
      e.dwEvent = (mm::MEVT_TEMPO << 24) | StreamTempoEventValue(TempoRecordValue(r.Message));
      return true;
    }
    const int32_t v = TransposeEvent(r.Message);
    if (v <= 127) {
      // Carries no message (an empty song's records): it only takes its time.
      e.dwEvent = mm::MEVT_NOP << 24;
      return true;
    }
    e.dwEvent = static_cast<uint32_t>(v);
    const auto ch = static_cast<int16_t>(MessageChannel(v));
    if (modMidi.ChannelMuted[static_cast<size_t>(ch)] != kFalse) {
      if (MessageKind(v) == 0x90) e.dwStreamID = kMutedStreamId;
      mm::midiOutShortMsg(modMidi.StreamHandle, kAllNotesOff + static_cast<uint32_t>(ch));
      return true;
    }
    return Announce(v, ch, k);
  }

  int32_t Count() const { return static_cast<int32_t>(events_.size()); }

  // Hands the finished group to the store's buffer.
  void Commit() {
    modMidi.StreamBuffer.Create(0, Count() - 1);
    std::copy(events_.begin(), events_.end(), modMidi.StreamBuffer.Items().begin());
  }

 private:
  // The first group of a start waits from the start position; every later
  // group waits its delta after the group before.
  uint32_t DeltaFor(int32_t index, int32_t k) const {
    if (k > 0) return 0;
    const int64_t delta = modMidi.BufferEventCount == 0
                              ? int64_t{modMidi.Timeline[index].AbsTick} - modMidi.PositionBase
                              : modMidi.Timeline[index].DeltaTicks;
    return static_cast<uint32_t>(delta > 0 ? delta : 0);
  }

  // Notes and levels of an audible channel; false when the fill was abandoned.
  bool Announce(int32_t v, int16_t ch, int32_t k) {
    auto player = modMidi.ActivePlayer;
    const auto note = static_cast<int16_t>(MessageData1(v));
    const auto velocity = static_cast<int16_t>(MessageData2(v));
    const bool drums = ch == kPercussionChannel;
    switch (MessageKind(v)) {
      case 0x80:
        if (player) player->FireNoteEvent(ch, note, NoteName(note), 0, "", kFalse, kNotesEvent);
        return !Abandoned();
      case 0x90:
        if (velocity == 0) {
          if (player) {
            player->FireNoteEvent(ch, note, NoteName(note), drums ? note : int16_t{0}, drums ? DrumName(note) : "",
                                  kFalse, kNotesEvent);
          }
          return !Abandoned();
        }
        if (!reported_[static_cast<size_t>(ch)]) {
          reported_[static_cast<size_t>(ch)] = true;
          if (player) player->FireNoteEvent(ch, velocity, "", 0, "", kFalse, kLevelEvent);
          if (Abandoned()) return false;
          if (player) player->FireNoteEvent(ch, note, NoteName(note), 0, "", kTrue, kNotesEvent);
          if (Abandoned()) return false;
        }
        // Dense chords: let waiting messages through between their notes.
        if (k >= 1) mm::PumpMessages();
        return !Abandoned();
      default:
        return true;  // controllers, program changes, pressure, bends raise nothing
    }
  }

  const mm::HMIDISTRM stream_;
  std::vector<mm::MIDIEVENT> events_;
  std::array<bool, kChannelCount> reported_{};
};

}  // namespace

int32_t FillBuffer(int32_t start) {
  const int32_t last = modMidi.Timeline.UBound();
  if (start > last) {
    if (auto player = modMidi.ActivePlayer) player->StopMidi();
    return 0;
  }
  GroupFill fill;
  if (!fill.Place(start, 0)) return 0;
  for (int32_t k = 1;; ++k) {
    if (fill.Abandoned()) return 0;
    if (int64_t{start} + k > last || modMidi.Timeline[start + k].DeltaTicks != 0) break;
    if (!fill.Place(start + k, k)) return 0;
  }
  fill.Commit();
  return fill.Count();
}

int32_t TransposeEvent(int32_t message) {
  // Only the low 8 bits of the setting count: a shift of -128 to 127 semitones.
  const int32_t amount = static_cast<int8_t>(modMidi.TransposeAmount & 0xFF);
  if (amount == 0 || MessageChannel(message) == kPercussionChannel) return message;
  const int32_t kind = MessageKind(message);
  if (kind != 0x80 && kind != 0x90 && kind != 0xA0) return message;
  int32_t note = MessageData1(message) + amount;
  // Out of range: fold by octaves, so the note keeps its pitch class.
  while (note > 127) note -= 12;
  while (note < 0) note += 12;
  return (message & ~0xFF00) | (note << 8);
}

}  // namespace sonara
