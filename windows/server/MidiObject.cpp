#include "MidiObject.h"

#include <olectl.h>

#include <functional>
#include <string>
#include <vector>

#include "CollectionObject.h"
#include "Enumerators.h"
#include "Errors.h"
#include "Teardown.h"
#include "Text.h"
#include "TypeLibrary.h"

namespace sonara::com {
namespace {

constexpr DISPID kListDevicesId = 0x60030015;

// Runs a member of the component and reports its failure as COM does.
template <class Call>
HRESULT Run(Call&& call) noexcept {
  return Guarded(IID__clsMidi, std::forward<Call>(call));
}

// Runs a property get and stores its value once it has succeeded.
template <class T, class Get>
HRESULT Read(T* out, Get&& get) noexcept {
  if (out == nullptr) return E_POINTER;
  return Run([&] { *out = static_cast<T>(get()); });
}

HRESULT ReadText(BSTR* out, const std::function<std::string()>& get) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return Run([&] {
    Bstr text(get());
    if (!text) throw std::bad_alloc();
    *out = text.Detach();
  });
}

VARIANT_BOOL ToVariantBool(int16_t value) { return value != 0 ? VARIANT_TRUE : VARIANT_FALSE; }

// A failed call through IDispatch: the thread's error information goes into
// the caller's EXCEPINFO, as a type-library Invoke does it.
HRESULT DispatchException(HRESULT hr, EXCEPINFO* exception) {
  if (exception == nullptr) return hr;
  *exception = EXCEPINFO{};
  exception->scode = hr;
  ComPtr<IErrorInfo> info;
  if (::GetErrorInfo(0, &info) == S_OK && info) {
    info->GetDescription(&exception->bstrDescription);
    info->GetSource(&exception->bstrSource);
    info->GetHelpFile(&exception->bstrHelpFile);
    info->GetHelpContext(&exception->dwHelpContext);
  }
  return DISP_E_EXCEPTION;
}

}  // namespace

HRESULT MidiObject::Create(REFIID riid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  ComPtr<ITypeInfo> typeInfo;
  HRESULT hr = LoadOwnTypeInfo(IID__clsMidi, &typeInfo);
  if (FAILED(hr)) return hr;
  KeepSinksQuietAtUnload();
  std::shared_ptr<sonara::clsMidi> player;
  std::shared_ptr<EventSinks> sinks;
  hr = Run([&] {
    sinks = std::make_shared<EventSinks>();
    player = sonara::clsMidi::Create();
    player->Advise(sinks);
  });
  if (FAILED(hr)) return hr;
  ComPtr<MidiObject> object;
  hr = New(object, std::move(player), std::move(sinks), std::move(typeInfo));
  if (FAILED(hr)) return hr;
  return object->QueryInterface(riid, out);
}

MidiObject::MidiObject(std::shared_ptr<sonara::clsMidi> object, std::shared_ptr<EventSinks> sinks,
                       ComPtr<ITypeInfo> typeInfo)
    : TypeInfoDispatch(IID__clsMidi, std::move(typeInfo)), object_(std::move(object)), sinks_(std::move(sinks)) {}

STDMETHODIMP MidiObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__clsMidi) {
    *object = static_cast<_clsMidi*>(this);
  } else if (riid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) {
    *object = static_cast<IProvideClassInfo2*>(this);
  } else if (riid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

// ---- IDispatch ----

STDMETHODIMP MidiObject::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                EXCEPINFO* exception, UINT* argError) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (id == kListDevicesId && (flags & DISPATCH_METHOD)) {
    return InvokeListDevices(flags, params, result, exception, argError);
  }
  return TypeInfoDispatch::Invoke(id, riid, lcid, flags, params, result, exception, argError);
}

// nDevs may come as a reference to a short (early-bound style), as a
// reference to a VARIANT (every script variable) or by value (a constant).
// It is converted to 16 bits, and the count written back where there is a
// place for it.
HRESULT MidiObject::InvokeListDevices(WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                      UINT* argError) {
  if (params == nullptr) return E_INVALIDARG;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  VARIANT& argument = params->rgvarg[0];
  VARIANT* place = nullptr;  // where the count goes back to
  if (V_VT(&argument) == (VT_BYREF | VT_VARIANT)) {
    place = V_VARIANTREF(&argument);
  } else if (V_VT(&argument) == (VT_BYREF | VT_I2)) {
    place = &argument;
  }
  VARIANT count;
  ::VariantInit(&count);
  HRESULT hr = ::VariantChangeType(&count, place ? place : &argument, 0, VT_I2);
  if (FAILED(hr)) {
    if (argError) *argError = 0;
    return hr == DISP_E_OVERFLOW ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH;
  }
  short n = V_I2(&count);
  ComPtr<_Collection> devices;
  hr = ListDevices(&n, &devices);
  if (FAILED(hr)) return DispatchException(hr, exception);
  if (place == &argument) {
    *V_I2REF(&argument) = n;
  } else if (place != nullptr) {
    if (V_VT(place) == (VT_BYREF | VT_I2)) {
      *V_I2REF(place) = n;
    } else {
      ::VariantClear(place);
      V_VT(place) = VT_I2;
      V_I2(place) = n;
    }
  }
  if (result != nullptr) {
    ::VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = devices.Detach();
  }
  return S_OK;
}

// ---- _clsMidi ----

STDMETHODIMP MidiObject::ListDevices(short* nDevs, _Collection** Devices) {
  if (nDevs == nullptr || Devices == nullptr) return E_POINTER;
  *Devices = nullptr;
  std::vector<std::string> names;
  const HRESULT hr = Run([&] {
    int16_t n = *nDevs;
    const auto list = object_->ListDevices(n);
    *nDevs = n;
    if (list) names.assign(list->begin(), list->end());
  });
  if (FAILED(hr)) return hr;
  return CollectionObject::Create(names, Devices);
}

STDMETHODIMP MidiObject::PlayMidi() {
  return Run([&] { object_->PlayMidi(); });
}
STDMETHODIMP MidiObject::put_Instrument(short Channel, BSTR value) {
  return Run([&] { object_->put_Instrument(Channel, Utf8FromBstr(value)); });
}
STDMETHODIMP MidiObject::get_Instrument(short Channel, BSTR* Value) {
  return ReadText(Value, [&] { return object_->get_Instrument(Channel); });
}
STDMETHODIMP MidiObject::StopMidi() {
  return Run([&] { object_->StopMidi(); });
}
STDMETHODIMP MidiObject::Pause() {
  return Run([&] { object_->Pause(); });
}
STDMETHODIMP MidiObject::get_ValidChannel(short Channel, VARIANT_BOOL* Value) {
  return Read(Value, [&] { return ToVariantBool(object_->get_ValidChannel(Channel)); });
}
STDMETHODIMP MidiObject::put_Volume(short Channel, short value) {
  return Run([&] { object_->put_Volume(Channel, value); });
}
STDMETHODIMP MidiObject::put_Balance(short Channel, short value) {
  return Run([&] { object_->put_Balance(Channel, value); });
}
STDMETHODIMP MidiObject::put_MasterVolume(LONG value) {
  return Run([&] { object_->put_MasterVolume(value); });
}
STDMETHODIMP MidiObject::put_SetDevice(short value) {
  return Run([&] { object_->put_SetDevice(value); });
}
STDMETHODIMP MidiObject::put_Transpose(short value) {
  return Run([&] { object_->put_Transpose(value); });
}
STDMETHODIMP MidiObject::put_Velocity(short value) {
  return Run([&] { object_->put_Velocity(value); });
}
STDMETHODIMP MidiObject::put_SetCurrentPosition(LONG value) {
  return Run([&] { object_->put_SetCurrentPosition(value); });
}
STDMETHODIMP MidiObject::put_Phaser(short Channel, short value) {
  return Run([&] { object_->put_Phaser(Channel, value); });
}
STDMETHODIMP MidiObject::put_Tremulo(short Channel, short value) {
  return Run([&] { object_->put_Tremulo(Channel, value); });
}
STDMETHODIMP MidiObject::put_Celeste(short Channel, short value) {
  return Run([&] { object_->put_Celeste(Channel, value); });
}
STDMETHODIMP MidiObject::put_Chorus(short Channel, short value) {
  return Run([&] { object_->put_Chorus(Channel, value); });
}
STDMETHODIMP MidiObject::get_Volume(short Channel, short* Value) {
  return Read(Value, [&] { return object_->get_Volume(Channel); });
}
STDMETHODIMP MidiObject::get_Titles(short nIndex, BSTR* Value) {
  return ReadText(Value, [&] { return object_->get_Titles(nIndex); });
}
STDMETHODIMP MidiObject::get_Balance(short Channel, short* Value) {
  return Read(Value, [&] { return object_->get_Balance(Channel); });
}
STDMETHODIMP MidiObject::get_MasterVolume(LONG* Value) {
  return Read(Value, [&] { return object_->get_MasterVolume(); });
}
STDMETHODIMP MidiObject::get_LyricText(BSTR* Value) {
  return ReadText(Value, [&] { return object_->get_LyricText(); });
}
STDMETHODIMP MidiObject::get_Transpose(short* Value) {
  return Read(Value, [&] { return object_->get_Transpose(); });
}
STDMETHODIMP MidiObject::get_TimeLength(LONG* Value) {
  return Read(Value, [&] { return object_->get_TimeLength(); });
}
STDMETHODIMP MidiObject::get_Velocity(short* Value) {
  return Read(Value, [&] { return object_->get_Velocity(); });
}
STDMETHODIMP MidiObject::get_GetCurrentPosition(LONG* Value) {
  return Read(Value, [&] { return object_->get_GetCurrentPosition(); });
}
STDMETHODIMP MidiObject::get_Status(short* Value) {
  return Read(Value, [&] { return object_->get_Status(); });
}
STDMETHODIMP MidiObject::get_Celeste(short Channel, short* Value) {
  return Read(Value, [&] { return object_->get_Celeste(Channel); });
}
STDMETHODIMP MidiObject::get_Chorus(short Channel, short* Value) {
  return Read(Value, [&] { return object_->get_Chorus(Channel); });
}
STDMETHODIMP MidiObject::get_Phaser(short Channel, short* Value) {
  return Read(Value, [&] { return object_->get_Phaser(Channel); });
}
STDMETHODIMP MidiObject::get_Tremulo(short Channel, short* Value) {
  return Read(Value, [&] { return object_->get_Tremulo(Channel); });
}
STDMETHODIMP MidiObject::put_MuteChannel(short Channel, VARIANT_BOOL value) {
  return Run([&] { object_->put_MuteChannel(Channel, value); });
}
STDMETHODIMP MidiObject::get_MuteChannel(short Channel, VARIANT_BOOL* Value) {
  return Read(Value, [&] { return ToVariantBool(object_->get_MuteChannel(Channel)); });
}
STDMETHODIMP MidiObject::ChangePatch(unsigned char NewPatch, unsigned char Channel) {
  return Run([&] { object_->ChangePatch(NewPatch, Channel); });
}
STDMETHODIMP MidiObject::CloseDevice() {
  return Run([&] { object_->CloseDevice(); });
}
STDMETHODIMP MidiObject::OpenMidiFile(BSTR FileName) {
  return Run([&] { object_->OpenMidiFile(Utf8FromBstr(FileName)); });
}

// ---- Connection points ----

STDMETHODIMP MidiObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points == nullptr) return E_POINTER;
  *points = nullptr;
  return Guarded(IID_IConnectionPointContainer, [&] {
    auto items = std::make_shared<ConnectionPointEnumerator::Items>();
    items->emplace_back(&connectionPoint_);
    ComPtr<ConnectionPointEnumerator> enumerator;
    if (FAILED(New(enumerator, std::move(items)))) throw std::bad_alloc();
    *points = enumerator.Detach();
  });
}

STDMETHODIMP MidiObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  if (riid != DIID___clsMidi) {
    *point = nullptr;
    return CONNECT_E_NOCONNECTION;
  }
  *point = &connectionPoint_;
  connectionPoint_.AddRef();
  return S_OK;
}

STDMETHODIMP MidiObject::EventConnectionPoint::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP MidiObject::EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = DIID___clsMidi;
  return S_OK;
}

STDMETHODIMP MidiObject::EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = static_cast<IConnectionPointContainer*>(&owner_);
  owner_.AddRef();
  return S_OK;
}

STDMETHODIMP MidiObject::EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  ComPtr<IDispatch> events;
  // The sink answers for the event interface itself, or at least as IDispatch.
  if (FAILED(sink->QueryInterface(DIID___clsMidi, reinterpret_cast<void**>(events.GetAddressOf()))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(events.GetAddressOf())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  return Guarded(IID_IConnectionPoint, [&] { *cookie = owner_.sinks_->Connect(std::move(events)); });
}

STDMETHODIMP MidiObject::EventConnectionPoint::Unadvise(DWORD cookie) {
  return owner_.sinks_->Disconnect(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

STDMETHODIMP MidiObject::EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) return E_POINTER;
  *connections = nullptr;
  return Guarded(IID_IConnectionPoint, [&] {
    auto items = std::make_shared<ConnectionEnumerator::Items>();
    for (const auto& [cookie, sink] : owner_.sinks_->Sinks()) items->push_back(Connection{sink, cookie});
    ComPtr<ConnectionEnumerator> enumerator;
    if (FAILED(New(enumerator, std::move(items)))) throw std::bad_alloc();
    *connections = enumerator.Detach();
  });
}

// ---- IProvideClassInfo2, ISupportErrorInfo ----

STDMETHODIMP MidiObject::GetClassInfo(ITypeInfo** info) { return LoadOwnTypeInfo(CLSID_clsMidi, info); }

STDMETHODIMP MidiObject::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID___clsMidi;
  return S_OK;
}

STDMETHODIMP MidiObject::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == IID__clsMidi ? S_OK : S_FALSE;
}

}  // namespace sonara::com
