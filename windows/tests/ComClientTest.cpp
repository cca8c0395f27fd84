// A C++ client of Midi.dll as COM sees it, run under Wine after regsvr32:
// creation by ProgID, calls by DISPID, by name and through the vtable, event
// sinks through the connection point, errors with their numbers and texts,
// ListDevices with nDevs passed the ways clients pass it.
#include <olectl.h>

#include <algorithm>
#include <functional>

#include "Adopt.h"
#include "Dispids.h"
#include "EventRecorder.h"
#include "MidiTypeLib.h"
#include "TestSupport.h"
#include "TypeLibraryTable.h"

namespace sonara::wintest {
namespace {

// A karaoke song: a note on channel 2 under a "words" track with two titles
// and two lines of lyrics.
Bytes KaraokeSong() {
  return Header(2, 480) + Track(Ev(0, {0x91, 60, 100}) + Ev(480, {0x81, 60, 0}) + Meta(0, 0x2F, "")) +
         Track(Meta(0, 0x03, "Words") + Meta(0, 0x01, "@TMy Song") + Meta(0, 0x01, "@TThe Singer") +
               Meta(100, 0x01, "\\Hel") + Meta(20, 0x01, "lo") + Meta(30, 0x01, "/world") + Meta(0, 0x2F, ""));
}

struct Client {
  ComPtr<IDispatch> object;
  ComPtr<IConnectionPoint> point;
};

ComPtr<EventRecorder> NewRecorder() {
  ComPtr<EventRecorder> recorder = Adopt(new EventRecorder());
  return recorder;
}

// The object's IDispatch answers from the type library's description of
// `iid`: one type information, which is that interface's; other indexes and
// interface identifiers are refused.
void DescribesItself(Tally& t, IDispatch* object, const IID& iid, const std::string& what) {
  UINT count = 0;
  t.Expect(SUCCEEDED(object->GetTypeInfoCount(&count)) && count == 1, what + ": one type information");
  ComPtr<ITypeInfo> info;
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(object->GetTypeInfo(0, 0x0409, &info)) && info && SUCCEEDED(info->GetTypeAttr(&attr))) {
    t.Expect(attr->guid == iid, what + ": GetTypeInfo describes its interface");
    info->ReleaseTypeAttr(attr);
  } else {
    t.Expect(false, what + ": GetTypeInfo(0)");
  }
  ComPtr<ITypeInfo> none;
  t.ExpectEq(object->GetTypeInfo(1, 0x0409, &none), DISP_E_BADINDEX, what + ": GetTypeInfo(1)");
  std::wstring name = L"Count";
  LPOLESTR names[] = {name.data()};
  DISPID id = 0;
  t.ExpectEq(object->GetIDsOfNames(IID_IDispatch, names, 1, 0x0409, &id), DISP_E_UNKNOWNINTERFACE,
             what + ": GetIDsOfNames for another interface");
  DISPPARAMS noArgs{};
  t.ExpectEq(object->Invoke(DISPID_VALUE, IID_IDispatch, 0x0409, DISPATCH_PROPERTYGET, &noArgs, nullptr, nullptr,
                            nullptr),
             DISP_E_UNKNOWNINTERFACE, what + ": Invoke for another interface");
}

void CreationAndIdentity(Tally& t, Client& c) {
  CLSID clsid{};
  t.Expect(SUCCEEDED(::CLSIDFromProgID(L"Sonara.clsMidi", &clsid)) && clsid == CLSID_clsMidi,
           "the ProgID names the class");
  const HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(c.object.GetAddressOf()));
  t.Expect(SUCCEEDED(hr) && c.object, "CoCreateInstance by ProgID: " + HResultText(hr));
  if (!c.object) return;

  ComPtr<_clsMidi> dual;
  t.Expect(SUCCEEDED(c.object.As(&dual)), "the object answers for _clsMidi");
  ComPtr<IProvideClassInfo2> classInfo;
  GUID source{};
  t.Expect(SUCCEEDED(c.object.As(&classInfo)) &&
               SUCCEEDED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source)) && source == DIID___clsMidi,
           "IProvideClassInfo2 names __clsMidi as the default source");
  ComPtr<ITypeInfo> coclass;
  TYPEATTR* attr = nullptr;
  if (classInfo && SUCCEEDED(classInfo->GetClassInfo(&coclass)) && SUCCEEDED(coclass->GetTypeAttr(&attr))) {
    t.Expect(attr->guid == CLSID_clsMidi && attr->typekind == TKIND_COCLASS, "GetClassInfo describes clsMidi");
    constexpr WORD kFlags = TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT | TYPEFLAG_FPREDECLID;
    t.Expect((attr->wTypeFlags & kFlags) == kFlags, "the coclass is creatable, an application object, pre-declared");
    coclass->ReleaseTypeAttr(attr);
  } else {
    t.Expect(false, "GetClassInfo");
  }
  ComPtr<ISupportErrorInfo> errors;
  t.Expect(SUCCEEDED(c.object.As(&errors)) && errors->InterfaceSupportsErrorInfo(IID__clsMidi) == S_OK,
           "ISupportErrorInfo covers _clsMidi");
  DescribesItself(t, c.object.Get(), IID__clsMidi, "the object");

  // A new object's status is 6, by DISPID and by name in any case.
  t.ExpectEq(Call(c.object.Get(), kStatus, DISPATCH_PROPERTYGET).value.AsLong(), 6L, "Status of a new object");
  t.ExpectEq(IdOfName(c.object.Get(), "sTaTuS"), kStatus, "GetIDsOfNames ignores case");
  t.ExpectEq(IdOfName(c.object.Get(), "NoSuchMember"), static_cast<DISPID>(DISPID_UNKNOWN), "an unknown name");
}

void Connect(Tally& t, Client& c, ComPtr<EventRecorder>& first, ComPtr<EventRecorder>& second, DWORD& firstCookie,
             DWORD& secondCookie) {
  ComPtr<IConnectionPointContainer> container;
  t.Expect(SUCCEEDED(c.object.As(&container)), "the object is a connection point container");
  if (!container) return;
  ComPtr<IConnectionPoint> wrong;
  t.ExpectEq(container->FindConnectionPoint(IID_IDispatch, &wrong), CONNECT_E_NOCONNECTION,
             "no connection point for another interface");
  t.Expect(SUCCEEDED(container->FindConnectionPoint(DIID___clsMidi, &c.point)), "the connection point of __clsMidi");
  if (!c.point) return;
  IID iid{};
  t.Expect(SUCCEEDED(c.point->GetConnectionInterface(&iid)) && iid == DIID___clsMidi, "its interface");
  t.Expect(SUCCEEDED(c.point->Advise(first.Get(), &firstCookie)) && firstCookie != 0, "the first sink connects");
  t.Expect(SUCCEEDED(c.point->Advise(second.Get(), &secondCookie)) && secondCookie != 0 && secondCookie != firstCookie,
           "a second sink connects with its own cookie");

  // The enumerations: one connection point, and the two sinks with their cookies.
  ComPtr<IEnumConnectionPoints> points;
  IConnectionPoint* found[2] = {};
  ULONG fetched = 0;
  t.Expect(SUCCEEDED(container->EnumConnectionPoints(&points)) && points->Next(2, found, &fetched) == S_FALSE &&
               fetched == 1 && found[0] == c.point.Get(),
           "EnumConnectionPoints lists the one connection point");
  if (found[0]) found[0]->Release();
  ComPtr<IEnumConnections> connections;
  CONNECTDATA data[3] = {};
  fetched = 0;
  t.Expect(SUCCEEDED(c.point->EnumConnections(&connections)) && connections->Next(3, data, &fetched) == S_FALSE &&
               fetched == 2 && data[0].dwCookie == firstCookie && data[1].dwCookie == secondCookie,
           "EnumConnections lists both sinks with their cookies");
  for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
}

void LoadASong(Tally& t, Client& c, EventRecorder& first, EventRecorder& second) {
  const std::string path = WriteTempFile("sonara-karaoke.mid", KaraokeSong());
  const CallResult open = Call(c.object.Get(), kOpenMidiFile, DISPATCH_METHOD, Args(Value::Text(path)));
  t.Expect(SUCCEEDED(open.hr), "OpenMidiFile by DISPID: " + HResultText(open.hr));

  t.ExpectEq(Call(c.object.Get(), kStatus, DISPATCH_PROPERTYGET).value.AsLong(), 5L, "Status after loading");
  t.ExpectEq(Call(c.object.Get(), kTimeLength, DISPATCH_PROPERTYGET).value.AsLong(), 480L, "TimeLength in ticks");
  t.ExpectEq(Call(c.object.Get(), kTitles, DISPATCH_PROPERTYGET, Args(Value::I2(0))).value.AsText(),
             std::string("My Song"), "Titles(0)");
  t.ExpectEq(Call(c.object.Get(), IdOfName(c.object.Get(), "Titles"), DISPATCH_PROPERTYGET, Args(Value::I2(1)))
                 .value.AsText(),
             std::string("The Singer"), "Titles(1) by name");
  t.ExpectEq(Call(c.object.Get(), kLyricText, DISPATCH_PROPERTYGET).value.AsText(),
             std::string("\r\nHello\r\nworld\r\n"), "LyricText");

  // The load's events, in order: the reset of the per-song settings, the
  // four announcements of each channel, then the status and the song's info.
  const auto& lines = first.lines;
  t.Expect(!lines.empty() && lines.front().rfind("MasterVolumeChange(", 0) == 0, "the load begins with the master volume");
  const std::vector<std::string> reset{"TransposeChange(0)", "VelocityChange(0)", "Progress(0, \"00:00:00\")",
                                       "Status(0, \"Stopped\")", "TextKar(\"\", -1, \"\", \"\")"};
  t.Expect(lines.size() > reset.size() && std::equal(reset.begin(), reset.end(), lines.begin() + 1),
           "then the reset events in order");
  t.ExpectEq(first.Named("VolumeChange").size(), size_t{32}, "VolumeChange: reset and song value of 16 channels");
  t.ExpectEq(first.Named("ChannelMuteChange").size(), size_t{32}, "ChannelMuteChange likewise");
  t.Expect(std::find(lines.begin(), lines.end(), "InstrumentChange(1, 0, \"Acoustic Grand\")") != lines.end(),
           "the song's instrument on channel 2 with its name");
  t.Expect(std::find(lines.begin(), lines.end(), "ChannelMuteChange(1, 0)") != lines.end(),
           "the channel the song uses is not muted");
  t.Expect(lines.size() >= 2 && lines[lines.size() - 2] == "Status(5, \"File Open\")" &&
               lines.back().rfind("MidiInfo(\"", 0) == 0 && lines.back().find("\"4/4\")") != std::string::npos,
           "the load ends with Status 5 and MidiInfo");
  t.Expect(first.wrongTypes.empty(), "every event argument has its interface type" +
                                         (first.wrongTypes.empty() ? "" : ": " + first.wrongTypes.front()));
  t.Expect(first.lines == second.lines, "both sinks hear the same events");
}

// A name outside the ANSI code page reaches the file through UTF-8 and the
// wide file calls, as the client wrote it.
void NameOutsideTheCodePage(Tally& t, Client& c) {
  const std::string path = WriteTempFile("Lied \xE2\x99\xAA \xD0\x93\xD1\x80\xD1\x83\xD1\x81\xD1\x82\xD1\x8C.kar",
                                         KaraokeSong());
  const CallResult open = Call(c.object.Get(), kOpenMidiFile, DISPATCH_METHOD, Args(Value::Text(path)));
  t.Expect(SUCCEEDED(open.hr), "OpenMidiFile with a name outside the code page: " + HResultText(open.hr));
  t.ExpectEq(Call(c.object.Get(), kStatus, DISPATCH_PROPERTYGET).value.AsLong(), 5L,
             "Status after loading a file named outside the code page");
  t.ExpectEq(Call(c.object.Get(), kTitles, DISPATCH_PROPERTYGET, Args(Value::I2(0))).value.AsText(),
             std::string("My Song"), "its Titles(0)");
}

void PropertiesAndEvents(Tally& t, Client& c, EventRecorder& first) {
  const size_t before = first.lines.size();
  t.Expect(SUCCEEDED(Call(c.object.Get(), kVolume, DISPATCH_PROPERTYPUT, Args(Value::I2(3), Value::I2(100))).hr),
           "Volume(3) = 100");
  t.ExpectEq(Call(c.object.Get(), kVolume, DISPATCH_PROPERTYGET, Args(Value::I2(3))).value.AsLong(), 100L,
             "Volume(3) reads back");
  // A script passes numbers as 32-bit: the type library converts them.
  t.Expect(SUCCEEDED(Call(c.object.Get(), kMuteChannel, DISPATCH_PROPERTYPUT, Args(Value::I4(4), Value::Bool(true))).hr),
           "MuteChannel(4) = True with a 32-bit channel");
  t.ExpectEq(Call(c.object.Get(), kMuteChannel, DISPATCH_PROPERTYGET, Args(Value::I2(4))).value.AsLong(), -1L,
             "MuteChannel(4) reads back True");
  t.ExpectEq(first.lines.size(), before, "setting Volume and MuteChannel raises nothing");
  t.Expect(SUCCEEDED(Call(c.object.Get(), kTranspose, DISPATCH_PROPERTYPUT, Args(Value::I2(-2))).hr), "Transpose = -2");
  t.Expect(first.lines.size() == before + 1 && first.lines.back() == "TransposeChange(-2)",
           "Transpose raises TransposeChange");

  // Early bound, through the vtable.
  ComPtr<_clsMidi> dual;
  short volume = 0;
  if (SUCCEEDED(c.object.As(&dual))) {
    t.Expect(SUCCEEDED(dual->put_Volume(5, 77)) && SUCCEEDED(dual->get_Volume(5, &volume)) && volume == 77,
             "Volume through the vtable");
  }
}

void Errors(Tally& t, Client& c) {
  struct Case {
    const char* what;
    DISPID id;
    WORD flags;
    short argument;
    SCODE scode;
    const char* description;
  };
  const Case cases[] = {
      {"Volume(16): no such channel", kVolume, DISPATCH_PROPERTYGET, 16, static_cast<SCODE>(0x800A0009),
       "Subscript out of range"},
      {"Titles(3): no such title", kTitles, DISPATCH_PROPERTYGET, 3, static_cast<SCODE>(0x800A0009),
       "Subscript out of range"},
  };
  for (const Case& k : cases) {
    const CallResult r = Call(c.object.Get(), k.id, k.flags, Args(Value::I2(k.argument)));
    t.ExpectEq(r.hr, DISP_E_EXCEPTION, std::string(k.what) + ": Invoke fails with an exception");
    t.ExpectEq(r.scode, k.scode, std::string(k.what) + ": error number");
    t.ExpectEq(r.description, std::string(k.description), std::string(k.what) + ": description");
  }

  ComPtr<_clsMidi> dual;
  if (FAILED(c.object.As(&dual))) return;
  short value = 0;
  t.ExpectEq(dual->get_Volume(-1, &value), static_cast<HRESULT>(0x800A0009), "vtable call: the failing HRESULT");
  ComPtr<IErrorInfo> info;
  BSTR description = nullptr;
  t.Expect(::GetErrorInfo(0, &info) == S_OK && info && SUCCEEDED(info->GetDescription(&description)) &&
               Utf8(description) == "Subscript out of range",
           "vtable call: the error information");
  ::SysFreeString(description);
}

void Devices(Tally& t, Client& c) {
  // A script variable: a reference to a VARIANT holding a 32-bit number.
  VARIANT variable;
  ::VariantInit(&variable);
  V_VT(&variable) = VT_I4;
  V_I4(&variable) = 99;
  Value byVariant;
  V_VT(byVariant.get()) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(byVariant.get()) = &variable;
  CallResult r = Call(c.object.Get(), kListDevices, DISPATCH_METHOD, Args(std::move(byVariant)));
  t.Expect(SUCCEEDED(r.hr), "ListDevices with nDevs as a VARIANT reference: " + HResultText(r.hr));
  t.Expect(V_VT(&variable) == VT_I2, "nDevs comes back as a 16-bit number");
  const long devices = V_VT(&variable) == VT_I2 ? V_I2(&variable) : -1;
  t.Expect(V_VT(r.value.get()) == VT_DISPATCH && V_DISPATCH(r.value.get()) != nullptr, "a collection comes back");
  if (V_VT(r.value.get()) == VT_DISPATCH && V_DISPATCH(r.value.get())) {
    IDispatch* list = V_DISPATCH(r.value.get());
    DescribesItself(t, list, IID__Collection, "the collection");
    t.ExpectEq(Call(list, IdOfName(list, "Count"), DISPATCH_PROPERTYGET).value.AsLong(), devices,
               "the collection counts the devices nDevs counts");
    const CallResult outside = Call(list, DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                    Args(Value::I4(devices + 1)));
    t.ExpectEq(outside.scode, static_cast<SCODE>(0x800A0009), "an item past the end: error 9");
  }

  // A reference to a 16-bit number, and a constant.
  short count = 7;
  Value byShort;
  V_VT(byShort.get()) = VT_BYREF | VT_I2;
  V_I2REF(byShort.get()) = &count;
  r = Call(c.object.Get(), kListDevices, DISPATCH_METHOD, Args(std::move(byShort)));
  t.Expect(SUCCEEDED(r.hr) && count == devices, "ListDevices with nDevs as a 16-bit reference");
  r = Call(c.object.Get(), kListDevices, DISPATCH_METHOD, Args(Value::I4(0)));
  t.Expect(SUCCEEDED(r.hr) && V_VT(r.value.get()) == VT_DISPATCH, "ListDevices with nDevs as a constant");
}

void Disconnect(Tally& t, Client& c, EventRecorder& first, EventRecorder& second, DWORD firstCookie) {
  t.Expect(c.point && SUCCEEDED(c.point->Unadvise(firstCookie)), "the first sink disconnects");
  if (!c.point) return;
  t.ExpectEq(c.point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION, "a second Unadvise with that cookie");
  const size_t firstBefore = first.lines.size();
  const size_t secondBefore = second.lines.size();
  Call(c.object.Get(), kTranspose, DISPATCH_PROPERTYPUT, Args(Value::I2(1)));
  t.Expect(first.lines.size() == firstBefore && second.lines.size() == secondBefore + 1,
           "only the connected sink hears the next event");
}

// The registered type library describes _clsMidi and __clsMidi exactly as
// clients are compiled against them.
void TypeLibrary(Tally& t) {
  ComPtr<ITypeLib> lib;
  HRESULT hr = ::LoadRegTypeLib(LIBID_Sonara, 1, 0, 0x0409, &lib);
  t.Expect(SUCCEEDED(hr), "the type library Sonara 1.0 is registered: " + HResultText(hr));
  if (FAILED(hr)) return;
  BSTR libName = nullptr;
  lib->GetDocumentation(-1, &libName, nullptr, nullptr, nullptr);
  t.ExpectEq(Utf8(libName), std::string("Sonara"), "the library's name");
  ::SysFreeString(libName);

  ComPtr<ITypeInfo> dual;
  ComPtr<ITypeInfo> info;
  TYPEATTR* attr = nullptr;
  if (FAILED(lib->GetTypeInfoOfGuid(IID__clsMidi, &dual)) || FAILED(dual->GetTypeAttr(&attr))) {
    t.Expect(false, "_clsMidi is described");
    return;
  }
  constexpr WORD kDualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;
  t.Expect((attr->wTypeFlags & kDualFlags) == kDualFlags,
           "_clsMidi is dual, hidden and non-extensible: flags " + std::to_string(attr->wTypeFlags));
  dual->ReleaseTypeAttr(attr);
  // The interface itself (the dual's dispatch description is the other half).
  HREFTYPE ref = 0;
  if (FAILED(dual->GetRefTypeOfImplType(-1, &ref)) || FAILED(dual->GetRefTypeInfo(ref, &info)) ||
      FAILED(info->GetTypeAttr(&attr))) {
    info = dual;
    info->GetTypeAttr(&attr);
  }
  const UINT count = attr->cFuncs;
  // Automation-compatible: its vtable half is marked so.
  t.Expect((attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) != 0,
           "_clsMidi is automation-compatible: flags " + std::to_string(attr->wTypeFlags));
  info->ReleaseTypeAttr(attr);
  t.ExpectEq(count, static_cast<UINT>(kMembers.size()), "_clsMidi has 37 members");
  for (UINT i = 0; i < count && i < kMembers.size(); ++i) {
    const ExpectedMember& m = kMembers[i];
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    BSTR name = nullptr;
    UINT names = 0;
    info->GetNames(f->memid, &name, 1, &names);
    const std::string what = "member " + std::to_string(i + 1) + " " + Utf8(m.name);
    bool params = f->cParams == m.paramCount;
    for (int p = 0; params && p < f->cParams; ++p) params = f->lprgelemdescParam[p].tdesc.vt == m.params[p];
    t.Expect(Utf8(name) == Utf8(m.name) && f->memid == m.id && f->invkind == m.kind && params &&
                 f->oVft == static_cast<SHORT>((7 + i) * sizeof(void*)),
             what + ": name, DISPID, kind, parameters and vtable slot");
    ::SysFreeString(name);
    info->ReleaseFuncDesc(f);
  }

  ComPtr<ITypeInfo> events;
  if (FAILED(lib->GetTypeInfoOfGuid(DIID___clsMidi, &events)) || FAILED(events->GetTypeAttr(&attr))) {
    t.Expect(false, "__clsMidi is described");
    return;
  }
  t.Expect(attr->typekind == TKIND_DISPATCH && attr->cFuncs == kEvents.size(), "__clsMidi: a dispinterface of 13");
  const UINT eventCount = attr->cFuncs;
  events->ReleaseTypeAttr(attr);
  for (UINT i = 0; i < eventCount && i < kEvents.size(); ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(events->GetFuncDesc(i, &f))) continue;
    BSTR name = nullptr;
    UINT names = 0;
    events->GetNames(f->memid, &name, 1, &names);
    t.Expect(Utf8(name) == Utf8(kEvents[i].name) && f->memid == static_cast<DISPID>(i + 1) &&
                 f->cParams == kEvents[i].paramCount,
             "event " + Utf8(kEvents[i].name) + ": name, DISPID " + std::to_string(i + 1) + " and parameters");
    ::SysFreeString(name);
    events->ReleaseFuncDesc(f);
  }
}

// The version resource of the DLL that the registry names.
void VersionResource(Tally& t) {
  HMODULE dll = ::GetModuleHandleW(L"Midi.dll");
  wchar_t path[MAX_PATH] = {};
  if (dll == nullptr || ::GetModuleFileNameW(dll, path, MAX_PATH) == 0) {
    t.Expect(false, "Midi.dll is loaded");
    return;
  }
  DWORD ignored = 0;
  std::vector<BYTE> block(::GetFileVersionInfoSizeW(path, &ignored));
  if (block.empty() || !::GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data())) {
    t.Expect(false, "Midi.dll has a version resource");
    return;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  t.Expect(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) && fixed &&
               fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0 &&
               fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0,
           "file and product version 1.0.0.0");
  const struct {
    const wchar_t* name;
    const char* value;
  } strings[] = {{L"FileVersion", "1.00"},         {L"ProductVersion", "1.00"}, {L"InternalName", "Midi"},
                 {L"OriginalFilename", "Midi.dll"}, {L"ProductName", "Sonara"},  {L"OLESelfRegister", ""}};
  for (const auto& s : strings) {
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.name;
    wchar_t* value = nullptr;
    const bool found = ::VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &size);
    t.ExpectEq(found ? Utf8(size ? value : L"") : std::string("(missing)"), std::string(s.value),
               "version string " + Utf8(s.name));
  }
}

// The newest object lives on after its client lets it go, with the hidden
// window and the stream of the component: the DLL must stay loaded.
void Unloading(Tally& t) {
  HMODULE dll = ::GetModuleHandleW(L"Midi.dll");
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(dll ? ::GetProcAddress(dll, "DllCanUnloadNow") : nullptr));
  t.Expect(canUnload != nullptr, "DllCanUnloadNow is exported");
  if (!canUnload) return;
  t.ExpectEq(canUnload(), S_FALSE, "DllCanUnloadNow: not while the newest object lives on");
  ::CoFreeUnusedLibrariesEx(0, 0);
  ComPtr<IDispatch> again;
  const HRESULT hr = ::CoCreateInstance(CLSID_clsMidi, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                        reinterpret_cast<void**>(again.GetAddressOf()));
  t.Expect(SUCCEEDED(hr) && ::GetModuleHandleW(L"Midi.dll") == dll && again &&
               Call(again.Get(), kStatus, DISPATCH_PROPERTYGET).value.AsLong() == 6,
           "after CoFreeUnusedLibraries the DLL is still there and serves a new object");
}

}  // namespace
}  // namespace sonara::wintest

int main() {
  using namespace sonara::wintest;
  Tally t;
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("CoInitializeEx failed\n");
    return 2;
  }
  {
    Client c;
    auto first = NewRecorder();
    auto second = NewRecorder();
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    CreationAndIdentity(t, c);
    if (c.object) {
      Connect(t, c, first, second, firstCookie, secondCookie);
      LoadASong(t, c, *first.Get(), *second.Get());
      NameOutsideTheCodePage(t, c);
      PropertiesAndEvents(t, c, *first.Get());
      Errors(t, c);
      Devices(t, c);
      Disconnect(t, c, *first.Get(), *second.Get(), firstCookie);
      if (c.point) c.point->Unadvise(secondCookie);
    }
  }
  TypeLibrary(t);
  VersionResource(t);
  Unloading(t);
  ::CoUninitialize();
  return t.Finish();
}
