// An event sink of ours for __clsMidi: it records every event as a line
// "Name(arg, ...)" (texts quoted) and checks that each argument has the
// type the event interface gives it.
#pragma once

#include <string>
#include <vector>

#include "TestObject.h"
#include "TestSupport.h"

namespace sonara::wintest {

class EventRecorder final : public DispatchObject {
 public:
  EventRecorder();

  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  std::vector<std::string> lines;
  // Events whose arguments did not have the interface's types.
  std::vector<std::string> wrongTypes;

  // The lines whose event is `name`.
  std::vector<std::string> Named(const std::string& name) const;
};

}  // namespace sonara::wintest
