#include "typelib/Dispatch.h"

#include "AutomationConvert.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace sonara::typelib {
namespace {

using Args = std::vector<Variant>;
// One entry per member, in the order of Members(): converts the arguments
// (already counted) and calls the member.
using Thunk = Variant (*)(clsMidi&, Args&);

int16_t I2(const Args& a, size_t i) { return VariantToInt16(a[i]); }
int32_t I4(const Args& a, size_t i) { return VariantToInt32(a[i]); }
uint8_t UI1(const Args& a, size_t i) { return VariantToByte(a[i]); }
int16_t Bool(const Args& a, size_t i) { return VariantToBool(a[i]); }
std::string Text(const Args& a, size_t i) { return VariantToText(a[i]); }
Variant B(int16_t v) { return BoolValue{v}; }

constexpr std::array<Thunk, 37> kThunks{
    [](clsMidi& o, Args& a) -> Variant {
      int16_t n = I2(a, 0);
      auto result = o.ListDevices(n);
      a[0] = n;
      return result;
    },
    [](clsMidi& o, Args&) -> Variant { return o.PlayMidi(), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Instrument(I2(a, 0), Text(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Instrument(I2(a, 0)); },
    [](clsMidi& o, Args&) -> Variant { return o.StopMidi(), Variant{}; },
    [](clsMidi& o, Args&) -> Variant { return o.Pause(), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return B(o.get_ValidChannel(I2(a, 0))); },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Volume(I2(a, 0), I2(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Balance(I2(a, 0), I2(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_MasterVolume(I4(a, 0)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_SetDevice(I2(a, 0)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Transpose(I2(a, 0)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Velocity(I2(a, 0)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_SetCurrentPosition(I4(a, 0)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Phaser(I2(a, 0), I2(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Tremulo(I2(a, 0), I2(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Celeste(I2(a, 0), I2(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.put_Chorus(I2(a, 0), I2(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Volume(I2(a, 0)); },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Titles(I2(a, 0)); },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Balance(I2(a, 0)); },
    [](clsMidi& o, Args&) -> Variant { return o.get_MasterVolume(); },
    [](clsMidi& o, Args&) -> Variant { return o.get_LyricText(); },
    [](clsMidi& o, Args&) -> Variant { return o.get_Transpose(); },
    [](clsMidi& o, Args&) -> Variant { return o.get_TimeLength(); },
    [](clsMidi& o, Args&) -> Variant { return o.get_Velocity(); },
    [](clsMidi& o, Args&) -> Variant { return o.get_GetCurrentPosition(); },
    [](clsMidi& o, Args&) -> Variant { return o.get_Status(); },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Celeste(I2(a, 0)); },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Chorus(I2(a, 0)); },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Phaser(I2(a, 0)); },
    [](clsMidi& o, Args& a) -> Variant { return o.get_Tremulo(I2(a, 0)); },
    [](clsMidi& o, Args& a) -> Variant { return o.put_MuteChannel(I2(a, 0), Bool(a, 1)), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return B(o.get_MuteChannel(I2(a, 0))); },
    [](clsMidi& o, Args& a) -> Variant { return o.ChangePatch(UI1(a, 0), UI1(a, 1)), Variant{}; },
    [](clsMidi& o, Args&) -> Variant { return o.CloseDevice(), Variant{}; },
    [](clsMidi& o, Args& a) -> Variant { return o.OpenMidiFile(Text(a, 0)), Variant{}; },
};

// The member that a call with these flags reaches: a method or property get
// for DISPATCH_METHOD / DISPATCH_PROPERTYGET, the put for DISPATCH_PROPERTYPUT.
const MemberInfo* Resolve(int32_t dispid, uint16_t flags) {
  if (flags & DISPATCH_PROPERTYPUT) return FindMember(dispid, MemberKind::PropertyPut);
  if (flags & DISPATCH_METHOD) {
    if (const auto* m = FindMember(dispid, MemberKind::Method)) return m;
  }
  if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) return FindMember(dispid, MemberKind::PropertyGet);
  return nullptr;
}

}  // namespace

Dispatch::Dispatch(std::shared_ptr<clsMidi> object) : object_(std::move(object)) {
  if (!object_) throw AutomationError(kInvalidCall);
}

Variant Dispatch::Invoke(int32_t dispid, uint16_t flags, std::vector<Variant>& args) {
  const MemberInfo* member = Resolve(dispid, flags);
  if (!member) {
    const bool known = FindMember(dispid, MemberKind::Method) || FindMember(dispid, MemberKind::PropertyGet) ||
                       FindMember(dispid, MemberKind::PropertyPut);
    if (known) throw AutomationError(kWrongArgCount, "Wrong number of arguments or invalid property assignment");
    throw AutomationError(kMemberNotFound, "Object doesn't support this property or method");
  }
  if (static_cast<int>(args.size()) != member->paramCount) {
    throw AutomationError(kWrongArgCount, "Wrong number of arguments or invalid property assignment");
  }
  const auto index = static_cast<size_t>(member - Members().data());
  return kThunks[index](*object_, args);
}

Variant Dispatch::Invoke(std::string_view name, uint16_t flags, std::vector<Variant>& args) {
  return Invoke(GetIDOfName(name), flags, args);
}

int32_t Dispatch::GetIDOfName(std::string_view name) {
  if (auto id = DispIdOfName(name)) return *id;
  throw AutomationError(kMemberNotFound, "Object doesn't support this property or method");
}

std::shared_ptr<clsMidi> CreateObject(std::string_view progId) {
  if (!EqualsNoCase(progId, kProgId)) {
    throw AutomationError(kCannotCreateObject, "Cannot create object: no class is registered as \"" +
                                                   std::string(progId) + "\"");
  }
  return clsMidi::Create();
}

void DispatchEventSink::NotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText,
                                     int16_t DrumsValue, const std::string& DrumsText, int16_t NoteOn) {
  Fire(1, {Channel, NoteValue, NoteText, DrumsValue, DrumsText, BoolValue{NoteOn}});
}
void DispatchEventSink::MidiLevel(int16_t Channel, int16_t Level) { Fire(2, {Channel, Level}); }
void DispatchEventSink::TextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
                                const std::string& NextPhrase) {
  Fire(3, {TxtString, TextStart, AtualPhrase, NextPhrase});
}
void DispatchEventSink::Progress(int32_t midiTicks, const std::string& midiTime) { Fire(4, {midiTicks, midiTime}); }
void DispatchEventSink::MidiInfo(const std::string& TimeLength, const std::string& TimeSignature) {
  Fire(5, {TimeLength, TimeSignature});
}
void DispatchEventSink::Status(int16_t Status, const std::string& StatusText) { Fire(6, {Status, StatusText}); }
void DispatchEventSink::VolumeChange(int16_t Channel, int16_t Value) { Fire(7, {Channel, Value}); }
void DispatchEventSink::MasterVolumeChange(int16_t Value) { Fire(8, {Value}); }
void DispatchEventSink::BalanceChange(int16_t Channel, int16_t Value) { Fire(9, {Channel, Value}); }
void DispatchEventSink::InstrumentChange(int16_t Channel, int16_t InstrumentValue,
                                         const std::string& InstrumentText) {
  Fire(10, {Channel, InstrumentValue, InstrumentText});
}
void DispatchEventSink::ChannelMuteChange(int16_t Channel, int16_t bMute) { Fire(11, {Channel, BoolValue{bMute}}); }
void DispatchEventSink::TransposeChange(int16_t Value) { Fire(12, {Value}); }
void DispatchEventSink::VelocityChange(int16_t Value) { Fire(13, {Value}); }

}  // namespace sonara::typelib
