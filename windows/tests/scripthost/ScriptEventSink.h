// Events of an object delivered to a script: each event calls the script's
// procedure named prefix + event name (Midi_Status for prefix "Midi_"),
// when the script has one, with the event's arguments. The event's name is
// read from the object's type information.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "TestObject.h"

namespace sonara::wintest {

using Microsoft::WRL::ComPtr;

class ScriptEventSink final : public DispatchObject {
 public:
  ScriptEventSink(ComPtr<IDispatch> script, std::wstring prefix, ComPtr<ITypeInfo> events, const IID& eventsId)
      : DispatchObject(eventsId), script_(std::move(script)), prefix_(std::move(prefix)), events_(std::move(events)) {}

  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

 private:
  ComPtr<IDispatch> script_;
  std::wstring prefix_;
  ComPtr<ITypeInfo> events_;
};

// A connection of an object's default event interface to a script; it ends
// with the object.
class EventConnection {
 public:
  // Connects `source`'s events to the script's procedures named prefix +
  // event; false when the object has no events to offer.
  bool Connect(IDispatch* source, ComPtr<IDispatch> script, const std::wstring& prefix);
  ~EventConnection();
  EventConnection() = default;
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;

 private:
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

}  // namespace sonara::wintest
