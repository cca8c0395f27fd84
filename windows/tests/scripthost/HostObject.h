// The host's object that a script sees as WScript:
//   WScript.Echo text, ...            prints the texts on one line
//   WScript.CreateObject(progId[, prefix])   creates an object; with a prefix
//                                     its events call the script's procedures
//                                     named prefix + event
//   WScript.ConnectObject object, prefix     the same for an existing object
//   WScript.Sleep ms                  waits, dispatching the thread's messages
//   WScript.Arguments(i)              the i-th argument after the script's path
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptEventSink.h"

namespace sonara::wintest {

class HostObject final : public IDispatch {
 public:
  // `script` gives the running script's procedures (for events).
  HostObject(std::vector<std::wstring> arguments, std::function<ComPtr<IDispatch>()> script)
      : arguments_(std::move(arguments)), script_(std::move(script)) {}
  virtual ~HostObject() = default;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  // Ends the event connections while the script engine still runs.
  void DisconnectAll() { connections_.clear(); }

 private:
  HRESULT Echo(const DISPPARAMS& params);
  HRESULT CreateObject(const DISPPARAMS& params, VARIANT* result);
  HRESULT ConnectObject(const DISPPARAMS& params);
  HRESULT Sleep(const DISPPARAMS& params);
  HRESULT Argument(const DISPPARAMS& params, VARIANT* result);
  HRESULT Connect(IDispatch* object, const VARIANT& prefix);

  std::vector<std::wstring> arguments_;
  std::function<ComPtr<IDispatch>()> script_;
  std::vector<std::unique_ptr<EventConnection>> connections_;
  ULONG references_ = 1;
};

}  // namespace sonara::wintest
