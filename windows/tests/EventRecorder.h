// An event sink of ours for __clsMidi: it records every event as a line
// "Name(arg, ...)" (texts quoted) and checks that each argument has the
// type the event interface gives it.
#pragma once

#include <string>
#include <vector>

#include "TestSupport.h"

namespace sonara::wintest {

class EventRecorder final : public IDispatch {
 public:
  EventRecorder() = default;
  virtual ~EventRecorder() = default;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  std::vector<std::string> lines;
  // Events whose arguments did not have the interface's types.
  std::vector<std::string> wrongTypes;

  // The lines whose event is `name`.
  std::vector<std::string> Named(const std::string& name) const;

 private:
  ULONG references_ = 1;
};

}  // namespace sonara::wintest
