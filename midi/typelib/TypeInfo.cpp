#include "typelib/TypeInfo.h"

#include "AutomationConvert.h"

#include <algorithm>
#include <cctype>

namespace sonara::typelib {
namespace {

using K = MemberKind;
using T = VarType;

constexpr ParamInfo Ch{"Channel", T::I2};
constexpr ParamInfo None{};
constexpr ParamInfo Val(T type) { return ParamInfo{"", type}; }

constexpr std::array<MemberInfo, 37> kMembers{{
    {"ListDevices", 0x60030015, K::Method, {ParamInfo{"nDevs", T::I2, true}, None}, 1, T::Object},
    {"PlayMidi", 0x60030019, K::Method, {None, None}, 0, T::Empty},
    {"Instrument", 0x68030012, K::PropertyPut, {Ch, Val(T::BSTR)}, 2, T::Empty},
    {"Instrument", 0x68030012, K::PropertyGet, {Ch, None}, 1, T::BSTR},
    {"StopMidi", 0x6003001C, K::Method, {None, None}, 0, T::Empty},
    {"Pause", 0x6003001D, K::Method, {None, None}, 0, T::Empty},
    {"ValidChannel", 0x68030011, K::PropertyGet, {Ch, None}, 1, T::BOOL},
    {"Volume", 0x68030010, K::PropertyPut, {Ch, Val(T::I2)}, 2, T::Empty},
    {"Balance", 0x6803000F, K::PropertyPut, {Ch, Val(T::I2)}, 2, T::Empty},
    {"MasterVolume", 0x6803000E, K::PropertyPut, {Val(T::I4), None}, 1, T::Empty},
    {"SetDevice", 0x6803000C, K::PropertyPut, {Val(T::I2), None}, 1, T::Empty},
    {"Transpose", 0x6803000B, K::PropertyPut, {Val(T::I2), None}, 1, T::Empty},
    {"Velocity", 0x6803000A, K::PropertyPut, {Val(T::I2), None}, 1, T::Empty},
    {"SetCurrentPosition", 0x68030009, K::PropertyPut, {Val(T::I4), None}, 1, T::Empty},
    {"Phaser", 0x68030008, K::PropertyPut, {Ch, Val(T::I2)}, 2, T::Empty},
    {"Tremulo", 0x68030007, K::PropertyPut, {Ch, Val(T::I2)}, 2, T::Empty},
    {"Celeste", 0x68030006, K::PropertyPut, {Ch, Val(T::I2)}, 2, T::Empty},
    {"Chorus", 0x68030005, K::PropertyPut, {Ch, Val(T::I2)}, 2, T::Empty},
    {"Volume", 0x68030010, K::PropertyGet, {Ch, None}, 1, T::I2},
    {"Titles", 0x68030004, K::PropertyGet, {ParamInfo{"nIndex", T::I2}, None}, 1, T::BSTR},
    {"Balance", 0x6803000F, K::PropertyGet, {Ch, None}, 1, T::I2},
    {"MasterVolume", 0x6803000E, K::PropertyGet, {None, None}, 0, T::I4},
    {"LyricText", 0x6803000D, K::PropertyGet, {None, None}, 0, T::BSTR},
    {"Transpose", 0x6803000B, K::PropertyGet, {None, None}, 0, T::I2},
    {"TimeLength", 0x68030003, K::PropertyGet, {None, None}, 0, T::I4},
    {"Velocity", 0x6803000A, K::PropertyGet, {None, None}, 0, T::I2},
    {"GetCurrentPosition", 0x68030002, K::PropertyGet, {None, None}, 0, T::I4},
    {"Status", 0x68030001, K::PropertyGet, {None, None}, 0, T::I2},
    {"Celeste", 0x68030006, K::PropertyGet, {Ch, None}, 1, T::I2},
    {"Chorus", 0x68030005, K::PropertyGet, {Ch, None}, 1, T::I2},
    {"Phaser", 0x68030008, K::PropertyGet, {Ch, None}, 1, T::I2},
    {"Tremulo", 0x68030007, K::PropertyGet, {Ch, None}, 1, T::I2},
    {"MuteChannel", 0x68030000, K::PropertyPut, {Ch, Val(T::BOOL)}, 2, T::Empty},
    {"MuteChannel", 0x68030000, K::PropertyGet, {Ch, None}, 1, T::BOOL},
    {"ChangePatch", 0x6003001F, K::Method, {ParamInfo{"NewPatch", T::UI1}, ParamInfo{"Channel", T::UI1}}, 2, T::Empty},
    {"CloseDevice", 0x60030020, K::Method, {None, None}, 0, T::Empty},
    {"OpenMidiFile", 0x60030024, K::Method, {ParamInfo{"FileName", T::BSTR}, None}, 1, T::Empty},
}};

constexpr ParamInfo EvCh{"Channel", T::I2};
constexpr ParamInfo EvValue{"Value", T::I2};

constexpr std::array<EventInfo, 13> kEvents{{
    {"NotesPlaying", 1,
     {EvCh, ParamInfo{"NoteValue", T::I2}, ParamInfo{"NoteText", T::BSTR}, ParamInfo{"DrumsValue", T::I2},
      ParamInfo{"DrumsText", T::BSTR}, ParamInfo{"NoteOn", T::BOOL}},
     6},
    {"MidiLevel", 2, {EvCh, ParamInfo{"Level", T::I2}}, 2},
    {"TextKar", 3,
     {ParamInfo{"TxtString", T::BSTR}, ParamInfo{"TextStart", T::I2}, ParamInfo{"AtualPhrase", T::BSTR},
      ParamInfo{"NextPhrase", T::BSTR}},
     4},
    {"Progress", 4, {ParamInfo{"midiTicks", T::I4}, ParamInfo{"midiTime", T::BSTR}}, 2},
    {"MidiInfo", 5, {ParamInfo{"TimeLength", T::BSTR}, ParamInfo{"TimeSignature", T::BSTR}}, 2},
    {"Status", 6, {ParamInfo{"Status", T::I2}, ParamInfo{"StatusText", T::BSTR}}, 2},
    {"VolumeChange", 7, {EvCh, EvValue}, 2},
    {"MasterVolumeChange", 8, {EvValue}, 1},
    {"BalanceChange", 9, {EvCh, EvValue}, 2},
    {"InstrumentChange", 10,
     {EvCh, ParamInfo{"InstrumentValue", T::I2}, ParamInfo{"InstrumentText", T::BSTR}}, 3},
    {"ChannelMuteChange", 11, {EvCh, ParamInfo{"bMute", T::BOOL}}, 2},
    {"TransposeChange", 12, {EvValue}, 1},
    {"VelocityChange", 13, {EvValue}, 1},
}};


}  // namespace

std::span<const MemberInfo> Members() { return kMembers; }
std::span<const EventInfo> Events() { return kEvents; }

std::optional<int32_t> DispIdOfName(std::string_view name) {
  for (const auto& m : kMembers) {
    if (EqualsNoCase(m.name, name)) return m.dispid;
  }
  return std::nullopt;
}

const MemberInfo* FindMember(int32_t dispid, MemberKind kind) {
  for (const auto& m : kMembers) {
    if (m.dispid == dispid && m.kind == kind) return &m;
  }
  return nullptr;
}

}  // namespace sonara::typelib
