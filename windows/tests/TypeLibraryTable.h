// The interface that clients are compiled against, as the tests expect to
// find it in the type library: the members of _clsMidi in vtable order after
// IDispatch's seven, and the events of __clsMidi.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

#include <array>

namespace sonara::wintest {

struct ExpectedMember {
  const wchar_t* name;
  DISPID id;
  INVOKEKIND kind;
  // Parameter types; the [out, retval] value of a property get or of
  // ListDevices is the last one.
  std::array<VARTYPE, 3> params;
  int paramCount;
};

constexpr INVOKEKIND kMethod = INVOKE_FUNC;
constexpr INVOKEKIND kGet = INVOKE_PROPERTYGET;
constexpr INVOKEKIND kPut = INVOKE_PROPERTYPUT;

constexpr std::array<ExpectedMember, 37> kMembers{{
    {L"ListDevices", 0x60030015, kMethod, {VT_PTR, VT_PTR}, 2},
    {L"PlayMidi", 0x60030019, kMethod, {}, 0},
    {L"Instrument", 0x68030012, kPut, {VT_I2, VT_BSTR}, 2},
    {L"Instrument", 0x68030012, kGet, {VT_I2, VT_PTR}, 2},
    {L"StopMidi", 0x6003001C, kMethod, {}, 0},
    {L"Pause", 0x6003001D, kMethod, {}, 0},
    {L"ValidChannel", 0x68030011, kGet, {VT_I2, VT_PTR}, 2},
    {L"Volume", 0x68030010, kPut, {VT_I2, VT_I2}, 2},
    {L"Balance", 0x6803000F, kPut, {VT_I2, VT_I2}, 2},
    {L"MasterVolume", 0x6803000E, kPut, {VT_I4}, 1},
    {L"SetDevice", 0x6803000C, kPut, {VT_I2}, 1},
    {L"Transpose", 0x6803000B, kPut, {VT_I2}, 1},
    {L"Velocity", 0x6803000A, kPut, {VT_I2}, 1},
    {L"SetCurrentPosition", 0x68030009, kPut, {VT_I4}, 1},
    {L"Phaser", 0x68030008, kPut, {VT_I2, VT_I2}, 2},
    {L"Tremulo", 0x68030007, kPut, {VT_I2, VT_I2}, 2},
    {L"Celeste", 0x68030006, kPut, {VT_I2, VT_I2}, 2},
    {L"Chorus", 0x68030005, kPut, {VT_I2, VT_I2}, 2},
    {L"Volume", 0x68030010, kGet, {VT_I2, VT_PTR}, 2},
    {L"Titles", 0x68030004, kGet, {VT_I2, VT_PTR}, 2},
    {L"Balance", 0x6803000F, kGet, {VT_I2, VT_PTR}, 2},
    {L"MasterVolume", 0x6803000E, kGet, {VT_PTR}, 1},
    {L"LyricText", 0x6803000D, kGet, {VT_PTR}, 1},
    {L"Transpose", 0x6803000B, kGet, {VT_PTR}, 1},
    {L"TimeLength", 0x68030003, kGet, {VT_PTR}, 1},
    {L"Velocity", 0x6803000A, kGet, {VT_PTR}, 1},
    {L"GetCurrentPosition", 0x68030002, kGet, {VT_PTR}, 1},
    {L"Status", 0x68030001, kGet, {VT_PTR}, 1},
    {L"Celeste", 0x68030006, kGet, {VT_I2, VT_PTR}, 2},
    {L"Chorus", 0x68030005, kGet, {VT_I2, VT_PTR}, 2},
    {L"Phaser", 0x68030008, kGet, {VT_I2, VT_PTR}, 2},
    {L"Tremulo", 0x68030007, kGet, {VT_I2, VT_PTR}, 2},
    {L"MuteChannel", 0x68030000, kPut, {VT_I2, VT_BOOL}, 2},
    {L"MuteChannel", 0x68030000, kGet, {VT_I2, VT_PTR}, 2},
    {L"ChangePatch", 0x6003001F, kMethod, {VT_UI1, VT_UI1}, 2},
    {L"CloseDevice", 0x60030020, kMethod, {}, 0},
    {L"OpenMidiFile", 0x60030024, kMethod, {VT_BSTR}, 1},
}};

struct ExpectedEvent {
  const wchar_t* name;
  int paramCount;
};

// DISPIDs 1 to 13 in this order.
constexpr std::array<ExpectedEvent, 13> kEvents{{
    {L"NotesPlaying", 6},
    {L"MidiLevel", 2},
    {L"TextKar", 4},
    {L"Progress", 2},
    {L"MidiInfo", 2},
    {L"Status", 2},
    {L"VolumeChange", 2},
    {L"MasterVolumeChange", 1},
    {L"BalanceChange", 2},
    {L"InstrumentChange", 3},
    {L"ChannelMuteChange", 2},
    {L"TransposeChange", 1},
    {L"VelocityChange", 1},
}};

}  // namespace sonara::wintest
