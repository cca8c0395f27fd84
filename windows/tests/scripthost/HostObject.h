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

#include "TestObject.h"
#include "ScriptEventSink.h"

namespace sonara::wintest {

class HostObject final : public DispatchObject {
 public:
  // `script` gives the running script's procedures (for events).
  HostObject(std::vector<std::wstring> arguments, std::function<ComPtr<IDispatch>()> script)
      : arguments_(std::move(arguments)), script_(std::move(script)) {}

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
};

}  // namespace sonara::wintest
