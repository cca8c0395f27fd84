// The four entry points of a self-registering in-process server, the only
// exports of Midi.dll (Midi.def).
#include "modMidi.h"

#include "ClassFactory.h"
#include "MidiTypeLib.h"
#include "Registration.h"

using sonara::com::ClassFactory;
using sonara::com::ComPtr;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != CLSID_clsMidi) return CLASS_E_CLASSNOTAVAILABLE;
  ComPtr<ClassFactory> factory;
  const HRESULT hr = sonara::com::New(factory);
  if (FAILED(hr)) return hr;
  return factory->QueryInterface(riid, object);
}

// The newest object outlives its clients' references and keeps the hidden
// window and the stream of the component: while it exists the code that
// serves them must stay loaded.
STDAPI DllCanUnloadNow() {
  if (!sonara::com::ModuleIsIdle()) return S_FALSE;
  if (sonara::modMidi.ActivePlayer || sonara::modMidi.CallbackForm) return S_FALSE;
  return S_OK;
}

STDAPI DllRegisterServer() { return sonara::com::RegisterServer(); }

STDAPI DllUnregisterServer() { return sonara::com::UnregisterServer(); }
