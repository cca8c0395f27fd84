// A small script host of ours over the system's VBScript engine, for the
// script tests of Midi.dll: it provides WScript (HostObject.h), runs the
// script given on the command line and reports its run-time errors, which
// Wine's own hosts pass over silently.
//   sonara-script-host SCRIPT.vbs [ARGUMENT...]
// Exit status: 0 when the script ran to its end without an error.
#include <activscp.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "Adopt.h"
#include "HostObject.h"
#include "TestObject.h"
#include "WideText.h"

namespace sonara::wintest {
namespace {

// The engine of VBScript, {B54F3741-5B07-11CF-A4B0-00AA004A55E8}.
constexpr CLSID kVBScript = {0xB54F3741, 0x5B07, 0x11CF, {0xA4, 0xB0, 0x00, 0xAA, 0x00, 0x4A, 0x55, 0xE8}};
constexpr wchar_t kHostName[] = L"WScript";

class Site final : public TestObject<IActiveScriptSite> {
 public:
  explicit Site(ComPtr<IDispatch> host) : TestObject(IID_IActiveScriptSite), host_(std::move(host)) {}

  STDMETHODIMP GetLCID(LCID* lcid) override {
    *lcid = 0x0409;
    return S_OK;
  }
  STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override {
    if (info) *info = nullptr;
    if (item) *item = nullptr;
    if (std::wstring(name) != kHostName) return TYPE_E_ELEMENTNOTFOUND;
    if (mask & SCRIPTINFO_ITYPEINFO) return TYPE_E_ELEMENTNOTFOUND;
    if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
      *item = host_.Get();
      host_->AddRef();
    }
    return S_OK;
  }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
    ++errors_;
    EXCEPINFO info{};
    DWORD context = 0;
    ULONG line = 0;
    LONG column = 0;
    error->GetExceptionInfo(&info);
    error->GetSourcePosition(&context, &line, &column);
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    std::printf("script error, line %lu: %s (0x%08lX)\n", line + 1, Utf8(info.bstrDescription).c_str(),
                static_cast<unsigned long>(info.scode ? info.scode : info.wCode));
    std::fflush(stdout);
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrHelpFile);
    return S_OK;
  }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }

  int Errors() const { return errors_; }

 private:
  ComPtr<IDispatch> host_;
  int errors_ = 0;
};

int Run(const std::wstring& code, std::vector<std::wstring> arguments) {
  ComPtr<IActiveScript> engine;
  ComPtr<IActiveScriptParse> parser;
  HRESULT hr = ::CoCreateInstance(kVBScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  reinterpret_cast<void**>(engine.GetAddressOf()));
  if (FAILED(hr) || FAILED(engine.As(&parser))) {
    std::printf("script host: no VBScript engine (0x%08lX)\n", static_cast<unsigned long>(hr));
    return 3;
  }
  IActiveScript* rawEngine = engine.Get();
  ComPtr<HostObject> host = Adopt(new HostObject(std::move(arguments), [rawEngine] {
    ComPtr<IDispatch> script;
    rawEngine->GetScriptDispatch(nullptr, &script);
    return script;
  }));
  ComPtr<Site> site = Adopt(new Site(host));

  EXCEPINFO exception{};
  const bool ran = SUCCEEDED(engine->SetScriptSite(site.Get())) && SUCCEEDED(parser->InitNew()) &&
                   SUCCEEDED(engine->AddNamedItem(kHostName, SCRIPTITEM_ISVISIBLE | SCRIPTITEM_NOCODE)) &&
                   SUCCEEDED(parser->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr,
                                                     &exception)) &&
                   SUCCEEDED(engine->SetScriptState(SCRIPTSTATE_CONNECTED));
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrHelpFile);
  host->DisconnectAll();
  engine->Close();
  if (!ran && site->Errors() == 0) std::printf("script host: the script did not run\n");
  return ran && site->Errors() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace sonara::wintest

int wmain(int argc, wchar_t** argv) {
  using namespace sonara::wintest;
  if (argc < 2) {
    std::printf("usage: sonara-script-host SCRIPT.vbs [ARGUMENT...]\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::printf("script host: cannot read %s\n", Utf8(argv[1]).c_str());
    return 2;
  }
  std::stringstream text;
  text << file.rdbuf();
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  const int status = Run(Wide(text.str()), std::vector<std::wstring>(argv + 2, argv + argc));
  ::CoUninitialize();
  return status;
}
