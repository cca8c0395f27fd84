#include "HostObject.h"

#include <array>
#include <cstdio>
#include <cwctype>

#include "WideText.h"

namespace sonara::wintest {
namespace {

enum Member : DISPID { kEcho = 1, kCreateObject, kConnectObject, kSleep, kArguments };

struct Name {
  const wchar_t* text;
  DISPID id;
};
constexpr std::array<Name, 5> kNames{{{L"Echo", kEcho},
                                      {L"CreateObject", kCreateObject},
                                      {L"ConnectObject", kConnectObject},
                                      {L"Sleep", kSleep},
                                      {L"Arguments", kArguments}}};

bool SameName(const wchar_t* a, const wchar_t* b) {
  for (; *a && *b; ++a, ++b) {
    if (std::towlower(*a) != std::towlower(*b)) return false;
  }
  return *a == *b;
}

// Argument i in call order (DISPPARAMS holds them last first).
const VARIANT* Arg(const DISPPARAMS& params, UINT i) {
  return i < params.cArgs ? &params.rgvarg[params.cArgs - 1 - i] : nullptr;
}

HRESULT AsText(const VARIANT* v, std::wstring& out) {
  if (v == nullptr) return DISP_E_PARAMNOTFOUND;
  VARIANT text;
  ::VariantInit(&text);
  const HRESULT hr = ::VariantChangeType(&text, const_cast<VARIANT*>(v), VARIANT_ALPHABOOL, VT_BSTR);
  if (FAILED(hr)) return hr;
  out.assign(V_BSTR(&text), ::SysStringLen(V_BSTR(&text)));
  ::VariantClear(&text);
  return S_OK;
}

}  // namespace

STDMETHODIMP HostObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (count == 0) return S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (const Name& n : kNames) {
    if (SameName(names[0], n.text)) {
      ids[0] = n.id;
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP HostObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                UINT*) {
  DISPPARAMS none{};
  const DISPPARAMS& p = params ? *params : none;
  if (result) ::VariantInit(result);
  switch (id) {
    case kEcho: return Echo(p);
    case kCreateObject: return CreateObject(p, result);
    case kConnectObject: return ConnectObject(p);
    case kSleep: return Sleep(p);
    case kArguments: return Argument(p, result);
    default: return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT HostObject::Echo(const DISPPARAMS& params) {
  std::wstring line;
  for (UINT i = 0; i < params.cArgs; ++i) {
    std::wstring text;
    const HRESULT hr = AsText(Arg(params, i), text);
    if (FAILED(hr)) return hr;
    line += (i ? L" " : L"") + text;
  }
  std::printf("%s\n", Utf8(line).c_str());
  std::fflush(stdout);
  return S_OK;
}

HRESULT HostObject::CreateObject(const DISPPARAMS& params, VARIANT* result) {
  std::wstring progId;
  HRESULT hr = AsText(Arg(params, 0), progId);
  if (FAILED(hr)) return hr;
  CLSID clsid{};
  hr = ::CLSIDFromProgID(progId.c_str(), &clsid);
  if (FAILED(hr)) return hr;
  ComPtr<IDispatch> object;
  hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(object.GetAddressOf()));
  if (FAILED(hr)) return hr;
  if (const VARIANT* prefix = Arg(params, 1)) {
    hr = Connect(object.Get(), *prefix);
    if (FAILED(hr)) return hr;
  }
  if (result) {
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = object.Detach();
  }
  return S_OK;
}

HRESULT HostObject::ConnectObject(const DISPPARAMS& params) {
  const VARIANT* object = Arg(params, 0);
  const VARIANT* prefix = Arg(params, 1);
  if (object == nullptr || prefix == nullptr) return DISP_E_BADPARAMCOUNT;
  const VARIANT* target = V_VT(object) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(object) : object;
  if (V_VT(target) != VT_DISPATCH || V_DISPATCH(target) == nullptr) return DISP_E_TYPEMISMATCH;
  return Connect(V_DISPATCH(target), *prefix);
}

HRESULT HostObject::Connect(IDispatch* object, const VARIANT& prefix) {
  std::wstring text;
  HRESULT hr = AsText(&prefix, text);
  if (FAILED(hr)) return hr;
  auto connection = std::make_unique<EventConnection>();
  if (!connection->Connect(object, script_(), text)) return E_NOINTERFACE;
  connections_.push_back(std::move(connection));
  return S_OK;
}

HRESULT HostObject::Sleep(const DISPPARAMS& params) {
  VARIANT ms;
  ::VariantInit(&ms);
  const VARIANT* arg = Arg(params, 0);
  if (arg == nullptr) return DISP_E_BADPARAMCOUNT;
  HRESULT hr = ::VariantChangeType(&ms, const_cast<VARIANT*>(arg), 0, VT_I4);
  if (FAILED(hr)) return hr;
  const DWORD start = ::GetTickCount();
  const DWORD wait = V_I4(&ms) > 0 ? static_cast<DWORD>(V_I4(&ms)) : 0;
  // Events of the objects (stream notifications, timers) arrive as messages.
  do {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    const DWORD passed = ::GetTickCount() - start;
    if (passed >= wait) break;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, wait - passed, QS_ALLINPUT);
  } while (true);
  return S_OK;
}

HRESULT HostObject::Argument(const DISPPARAMS& params, VARIANT* result) {
  VARIANT index;
  ::VariantInit(&index);
  const VARIANT* arg = Arg(params, 0);
  if (arg == nullptr) return DISP_E_BADPARAMCOUNT;
  const HRESULT hr = ::VariantChangeType(&index, const_cast<VARIANT*>(arg), 0, VT_I4);
  if (FAILED(hr)) return hr;
  if (V_I4(&index) < 0 || static_cast<size_t>(V_I4(&index)) >= arguments_.size()) return DISP_E_BADINDEX;
  if (result) {
    const std::wstring& text = arguments_[static_cast<size_t>(V_I4(&index))];
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  return S_OK;
}

}  // namespace sonara::wintest
