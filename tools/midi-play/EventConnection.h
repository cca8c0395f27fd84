// A sink connected to a clsMidi object's events for as long as this object
// lives. The component's newest object outlives its client (it is released
// only when the process ends, and stops the player then), so a sink that
// refers to the client's objects must be disconnected before they go.
#pragma once

#include <cstdint>
#include <memory>

#include "clsMidi.h"

namespace midiplay {

class EventConnection {
 public:
  EventConnection(std::shared_ptr<sonara::clsMidi> midi, std::shared_ptr<sonara::clsMidiEvents> sink)
      : midi_(std::move(midi)), cookie_(midi_->Advise(std::move(sink))) {}
  ~EventConnection() { midi_->Unadvise(cookie_); }
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;

 private:
  std::shared_ptr<sonara::clsMidi> midi_;
  uint32_t cookie_;
};

}  // namespace midiplay
