// The clients' event sinks of one clsMidi object and the bridge that hands
// the component's events to them: each event, as the late-bound event sink
// of typelib/Dispatch.h gives it (its DISPID, 1 to 13, and its arguments),
// becomes a dispatch call on every connected sink, in the order they
// connected. The component raises events on its own thread, synchronously;
// a sink may connect or disconnect others, or itself, while it runs.
//
// The bridge belongs to the clsMidi object, which may outlive the COM object
// its client created (the newest object lives on and keeps playing), so the
// sinks stay connected for as long as the object raises events.
//
// Include order: the component's headers come before the system's (its
// platform names meet the system's macros otherwise).
#pragma once

#include "typelib/Dispatch.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <utility>
#include <vector>

namespace sonara::com {

class EventSinks final : public typelib::DispatchEventSink {
 public:
  EventSinks();
  ~EventSinks() override;
  EventSinks(const EventSinks&) = delete;
  EventSinks& operator=(const EventSinks&) = delete;

  // The cookie of the new connection (never 0).
  DWORD Connect(Microsoft::WRL::ComPtr<IDispatch> sink);
  bool Disconnect(DWORD cookie);
  size_t Count() const noexcept { return sinks_.size(); }
  // The connected sinks with their cookies, in the order they connected.
  const std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>>& Sinks() const noexcept { return sinks_; }

 private:
  void Deliver(DISPID id, const std::vector<Variant>& args);

  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace sonara::com
