// The COM object of class clsMidi: the dual interface _clsMidi over one
// sonara::clsMidi, its events through a connection point for __clsMidi
// (several sinks), IProvideClassInfo2 and ISupportErrorInfo. Dispatch goes
// through the embedded type library, except ListDevices, whose by-reference
// nDevs script clients pass as a reference to a VARIANT.
//
// Include order: the component's headers come before the system's (its
// platform names meet the system's macros otherwise).
#pragma once

#include <memory>

#include "clsMidi.h"
#include "typelib/Dispatch.h"

#include "ComObject.h"
#include "EventSinks.h"
#include "MidiTypeLib.h"
#include "TypeInfoDispatch.h"

namespace sonara::com {

class MidiObject final : public RefCounted,
                         public TypeInfoDispatch<_clsMidi>,
                         public IConnectionPointContainer,
                         public IProvideClassInfo2,
                         public ISupportErrorInfo {
 public:
  // A new object (it becomes the component's active player), asked for `riid`.
  static HRESULT Create(REFIID riid, void** out);

  MidiObject(std::shared_ptr<sonara::clsMidi> object, std::shared_ptr<EventSinks> sinks,
             ComPtr<ITypeInfo> typeInfo);

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  // IDispatch: through the type library, except ListDevices
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  // _clsMidi, in interface order
  STDMETHODIMP ListDevices(short* nDevs, _Collection** Devices) override;
  STDMETHODIMP PlayMidi() override;
  STDMETHODIMP put_Instrument(short Channel, BSTR value) override;
  STDMETHODIMP get_Instrument(short Channel, BSTR* Value) override;
  STDMETHODIMP StopMidi() override;
  STDMETHODIMP Pause() override;
  STDMETHODIMP get_ValidChannel(short Channel, VARIANT_BOOL* Value) override;
  STDMETHODIMP put_Volume(short Channel, short value) override;
  STDMETHODIMP put_Balance(short Channel, short value) override;
  STDMETHODIMP put_MasterVolume(LONG value) override;
  STDMETHODIMP put_SetDevice(short value) override;
  STDMETHODIMP put_Transpose(short value) override;
  STDMETHODIMP put_Velocity(short value) override;
  STDMETHODIMP put_SetCurrentPosition(LONG value) override;
  STDMETHODIMP put_Phaser(short Channel, short value) override;
  STDMETHODIMP put_Tremulo(short Channel, short value) override;
  STDMETHODIMP put_Celeste(short Channel, short value) override;
  STDMETHODIMP put_Chorus(short Channel, short value) override;
  STDMETHODIMP get_Volume(short Channel, short* Value) override;
  STDMETHODIMP get_Titles(short nIndex, BSTR* Value) override;
  STDMETHODIMP get_Balance(short Channel, short* Value) override;
  STDMETHODIMP get_MasterVolume(LONG* Value) override;
  STDMETHODIMP get_LyricText(BSTR* Value) override;
  STDMETHODIMP get_Transpose(short* Value) override;
  STDMETHODIMP get_TimeLength(LONG* Value) override;
  STDMETHODIMP get_Velocity(short* Value) override;
  STDMETHODIMP get_GetCurrentPosition(LONG* Value) override;
  STDMETHODIMP get_Status(short* Value) override;
  STDMETHODIMP get_Celeste(short Channel, short* Value) override;
  STDMETHODIMP get_Chorus(short Channel, short* Value) override;
  STDMETHODIMP get_Phaser(short Channel, short* Value) override;
  STDMETHODIMP get_Tremulo(short Channel, short* Value) override;
  STDMETHODIMP put_MuteChannel(short Channel, VARIANT_BOOL value) override;
  STDMETHODIMP get_MuteChannel(short Channel, VARIANT_BOOL* Value) override;
  STDMETHODIMP ChangePatch(unsigned char NewPatch, unsigned char Channel) override;
  STDMETHODIMP CloseDevice() override;
  STDMETHODIMP OpenMidiFile(BSTR FileName) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

 private:
  // The one connection point, for __clsMidi. It lives inside the object and
  // shares its reference count.
  class EventConnectionPoint final : public IConnectionPoint {
   public:
    explicit EventConnectionPoint(MidiObject& owner) : owner_(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

   private:
    MidiObject& owner_;
  };

  // ListDevices called late-bound, with nDevs as the caller passed it.
  HRESULT InvokeListDevices(WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                            UINT* argError);

  std::shared_ptr<sonara::clsMidi> object_;
  std::shared_ptr<EventSinks> sinks_;
  EventConnectionPoint connectionPoint_{*this};
};

}  // namespace sonara::com
