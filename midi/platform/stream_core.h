// The playing state of one output stream as a deterministic machine: it is
// told the time with every call and never reads a clock, so it can be run
// to any time t by a real-time thread or by the virtual clock alike.
//
// Timing is kept from an anchor (a time and a tick position, moved at every
// tempo change, pause and restart), never summed from event to event, so
// rounding never accumulates. A tempo event anchors on its own tick and its
// exact due time: anchor times are kept in 1/(ticks per quarter note) of a
// microsecond, in which every tick boundary is a whole number, so thousands
// of tempo changes add no error at all. Each event is due its delta ticks
// after the event before it; a late event plays at once and the next keeps
// its own due time. Positions are counted in 1/65536 tick; the position read
// never goes backwards while the stream exists.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "mmsystem.h"

namespace mm {

// What a running stream produces.
class StreamSink {
 public:
  virtual ~StreamSink() = default;
  virtual void Play(uint32_t shortMessage) = 0;
  // The header has been played or returned; its flags are already updated.
  virtual void Done(MIDIHDR* header) = 0;
};

class StreamCore {
 public:
  static constexpr uint32_t kDefaultTempo = 500000;  // microseconds per quarter note
  static constexpr uint32_t kDefaultTimeDiv = 24;    // ticks per quarter note

  // The stream starts paused at position 0.
  explicit StreamCore(int64_t now);

  // Appends a prepared header (the caller has checked its flags).
  void Queue(MIDIHDR* header);
  void Pause(int64_t now);
  void Restart(int64_t now);
  // Returns every queued buffer; the next buffer's events count from the
  // position reached. Stop also halts the stream, Flush leaves it running.
  void Stop(int64_t now, StreamSink& sink);
  void Flush(int64_t now, StreamSink& sink);

  void SetTempo(uint32_t tempo, int64_t now);  // 0 is ignored
  void SetTimeDiv(uint32_t ticksPerQuarter, int64_t now);  // 0 is ignored
  uint32_t Tempo() const { return tempo_; }
  uint32_t TimeDiv() const { return timeDiv_; }

  bool Running() const { return running_; }
  bool HasQueued() const { return !queue_.empty(); }
  // Ticks of running time since the stream was made.
  uint32_t PositionTicks(int64_t now) const;

  // When the next thing happens (an event, or a finished buffer being
  // returned); nullopt while paused or with nothing queued.
  std::optional<int64_t> NextDue() const;
  // Plays, in order, everything due at or before `now`.
  void RunUntil(int64_t now, StreamSink& sink);

 private:
  struct Event {
    MIDIEVENT ev;
    uint32_t size;  // bytes it takes in the buffer
  };
  std::optional<Event> PeekEvent() const;
  int64_t PositionAt(int64_t now) const;  // in 1/65536 tick
  // When the position reaches `tick`, in 1/timeDiv_ microsecond.
  int64_t ScaledTimeOfTick(int64_t tick) const;
  int64_t TimeOfTick(int64_t tick) const;  // in microseconds, rounded up
  void Reanchor(int64_t now);
  void ReturnAll(int64_t now, StreamSink& sink);
  void FinishHead(StreamSink& sink);

  std::deque<MIDIHDR*> queue_;
  uint32_t offset_ = 0;  // bytes of the head buffer already played
  uint32_t tempo_ = kDefaultTempo;
  uint32_t timeDiv_ = kDefaultTimeDiv;
  bool running_ = false;
  int64_t anchorTime_;  // in 1/timeDiv_ microsecond
  int64_t anchorPos_ = 0;
  int64_t lastEventTick_ = 0;  // the tick the next delta counts from
  mutable uint32_t reported_ = 0;  // the highest position read
};

}  // namespace mm
