#include "ScriptEventSink.h"

#include "Adopt.h"

namespace sonara::wintest {
namespace {

// The object's default source interface: its identifier and description.
bool DefaultSource(IDispatch* source, IID& id, ComPtr<ITypeInfo>& info) {
  ComPtr<IProvideClassInfo> provider;
  ComPtr<ITypeInfo> coclass;
  if (FAILED(source->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(provider.GetAddressOf()))) ||
      FAILED(provider->GetClassInfo(&coclass))) {
    return false;
  }
  TYPEATTR* attr = nullptr;
  if (FAILED(coclass->GetTypeAttr(&attr))) return false;
  const WORD count = attr->cImplTypes;
  coclass->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < count; ++i) {
    INT flags = 0;
    HREFTYPE ref = 0;
    if (FAILED(coclass->GetImplTypeFlags(i, &flags))) continue;
    if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) != (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) {
      continue;
    }
    if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) || FAILED(coclass->GetRefTypeInfo(ref, &info))) return false;
    TYPEATTR* events = nullptr;
    if (FAILED(info->GetTypeAttr(&events))) return false;
    id = events->guid;
    info->ReleaseTypeAttr(events);
    return true;
  }
  return false;
}

}  // namespace

STDMETHODIMP ScriptEventSink::Invoke(DISPID id, REFIID, LCID lcid, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) {
  BSTR name = nullptr;
  UINT names = 0;
  if (FAILED(events_->GetNames(id, &name, 1, &names)) || names == 0) return S_OK;
  std::wstring handler = prefix_ + name;
  ::SysFreeString(name);
  LPOLESTR handlerName = handler.data();
  DISPID handlerId = DISPID_UNKNOWN;
  // No procedure of that name: the script does not listen to this event.
  if (FAILED(script_->GetIDsOfNames(IID_NULL, &handlerName, 1, lcid, &handlerId))) return S_OK;
  DISPPARAMS none{};
  return script_->Invoke(handlerId, IID_NULL, lcid, DISPATCH_METHOD, params ? params : &none, nullptr, nullptr,
                         nullptr);
}

bool EventConnection::Connect(IDispatch* source, ComPtr<IDispatch> script, const std::wstring& prefix) {
  IID eventsId{};
  ComPtr<ITypeInfo> events;
  if (!DefaultSource(source, eventsId, events)) return false;
  ComPtr<IConnectionPointContainer> container;
  if (FAILED(source->QueryInterface(IID_IConnectionPointContainer,
                                    reinterpret_cast<void**>(container.GetAddressOf()))) ||
      FAILED(container->FindConnectionPoint(eventsId, &point_))) {
    return false;
  }
  ComPtr<ScriptEventSink> sink = Adopt(new ScriptEventSink(std::move(script), prefix, std::move(events), eventsId));
  if (FAILED(point_->Advise(sink.Get(), &cookie_))) {
    point_.Reset();
    return false;
  }
  return true;
}

EventConnection::~EventConnection() {
  if (point_) point_->Unadvise(cookie_);
}

}  // namespace sonara::wintest
