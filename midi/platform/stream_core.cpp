#include "stream_core.h"

#include <algorithm>
#include <cstring>

namespace mm {
namespace {

constexpr int64_t kSub = 65536;  // position units per tick
constexpr uint32_t kLongEvent = 0x80000000;  // the parameter bytes follow the event

int64_t CeilDiv(__int128 a, __int128 b) { return static_cast<int64_t>((a + b - 1) / b); }

}  // namespace

StreamCore::StreamCore(int64_t now) : anchorTime_(now * kDefaultTimeDiv) {}

void StreamCore::Queue(MIDIHDR* header) {
  header->dwOffset = 0;
  queue_.push_back(header);
}

int64_t StreamCore::PositionAt(int64_t now) const {
  const __int128 elapsed = static_cast<__int128>(now) * timeDiv_ - anchorTime_;
  if (!running_ || elapsed <= 0) return anchorPos_;
  return anchorPos_ + static_cast<int64_t>(elapsed * kSub / tempo_);
}

int64_t StreamCore::ScaledTimeOfTick(int64_t tick) const {
  const __int128 ahead = static_cast<__int128>(tick) * kSub - anchorPos_;
  if (ahead <= 0) return anchorTime_;
  return anchorTime_ + CeilDiv(ahead * tempo_, kSub);
}

int64_t StreamCore::TimeOfTick(int64_t tick) const { return CeilDiv(ScaledTimeOfTick(tick), timeDiv_); }

void StreamCore::Reanchor(int64_t now) {
  anchorPos_ = PositionAt(now);
  anchorTime_ = now * timeDiv_;
}

void StreamCore::Pause(int64_t now) {
  if (!running_) return;
  Reanchor(now);
  running_ = false;
}

void StreamCore::Restart(int64_t now) {
  if (running_) return;
  anchorTime_ = now * timeDiv_;
  running_ = true;
}

void StreamCore::ReturnAll(int64_t now, StreamSink& sink) {
  Reanchor(now);
  lastEventTick_ = std::max(lastEventTick_, anchorPos_ / kSub);
  offset_ = 0;
  while (!queue_.empty()) FinishHead(sink);
}

void StreamCore::Stop(int64_t now, StreamSink& sink) {
  ReturnAll(now, sink);
  running_ = false;
}

void StreamCore::Flush(int64_t now, StreamSink& sink) { ReturnAll(now, sink); }

void StreamCore::SetTempo(uint32_t tempo, int64_t now) {
  if (tempo == 0) return;  // would make ticks endless
  Reanchor(now);
  tempo_ = tempo;
}

void StreamCore::SetTimeDiv(uint32_t ticksPerQuarter, int64_t now) {
  if (ticksPerQuarter == 0) return;
  Reanchor(now);
  timeDiv_ = ticksPerQuarter;
  anchorTime_ = now * timeDiv_;
}

// A tempo event that played late anchors on its due time, in the past, so
// at a slower tempo the computed position can fall below one already read.
uint32_t StreamCore::PositionTicks(int64_t now) const {
  reported_ = std::max(reported_, static_cast<uint32_t>(PositionAt(now) / kSub));
  return reported_;
}

std::optional<StreamCore::Event> StreamCore::PeekEvent() const {
  if (queue_.empty()) return std::nullopt;
  const MIDIHDR* h = queue_.front();
  if (offset_ + sizeof(MIDIEVENT) > h->dwBytesRecorded) return std::nullopt;  // a partial event ends it
  Event e{};
  std::memcpy(&e.ev, h->lpData + offset_, sizeof(MIDIEVENT));
  e.size = sizeof(MIDIEVENT);
  if (e.ev.dwEvent & kLongEvent) e.size += ((e.ev.dwEvent & 0xFFFFFF) + 3) & ~3u;
  return e;
}

std::optional<int64_t> StreamCore::NextDue() const {
  if (!running_ || queue_.empty()) return std::nullopt;
  auto e = PeekEvent();
  if (!e) return TimeOfTick(lastEventTick_);  // finished buffer: returned at once
  return TimeOfTick(lastEventTick_ + e->ev.dwDeltaTime);
}

void StreamCore::FinishHead(StreamSink& sink) {
  MIDIHDR* h = queue_.front();
  queue_.pop_front();
  offset_ = 0;
  h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  sink.Done(h);
}

void StreamCore::RunUntil(int64_t now, StreamSink& sink) {
  while (running_ && !queue_.empty()) {
    auto e = PeekEvent();
    if (!e) {
      FinishHead(sink);
      continue;
    }
    int64_t tick = lastEventTick_ + e->ev.dwDeltaTime;
    int64_t due = TimeOfTick(tick);
    if (due > now) return;
    lastEventTick_ = tick;
    offset_ = std::min(offset_ + e->size, queue_.front()->dwBytesRecorded);
    queue_.front()->dwOffset = offset_;
    if (e->ev.dwStreamID != 0) continue;  // takes its time, plays nothing
    uint32_t kind = e->ev.dwEvent >> 24;
    if (kind == MEVT_SHORTMSG) {
      sink.Play(e->ev.dwEvent & 0xFFFFFF);
    } else if (kind == MEVT_TEMPO && (e->ev.dwEvent & 0xFFFFFF) != 0) {
      // The new tempo counts from the event's exact due time.
      if (tick * kSub > anchorPos_) {
        anchorTime_ = ScaledTimeOfTick(tick);
        anchorPos_ = tick * kSub;
      }
      tempo_ = e->ev.dwEvent & 0xFFFFFF;
    }
    if (!PeekEvent()) FinishHead(sink);
  }
}

}  // namespace mm
