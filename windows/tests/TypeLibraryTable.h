// The interface that clients are compiled against, as the tests expect to
// find it in the type library: the members of _clsMidi in vtable order after
// IDispatch's seven, and the events of __clsMidi.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

#include <array>

#include "Dispids.h"

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
    {L"ListDevices", kListDevices, kMethod, {VT_PTR, VT_PTR}, 2},
    {L"PlayMidi", kPlayMidi, kMethod, {}, 0},
    {L"Instrument", kInstrument, kPut, {VT_I2, VT_BSTR}, 2},
    {L"Instrument", kInstrument, kGet, {VT_I2, VT_PTR}, 2},
    {L"StopMidi", kStopMidi, kMethod, {}, 0},
    {L"Pause", kPause, kMethod, {}, 0},
    {L"ValidChannel", kValidChannel, kGet, {VT_I2, VT_PTR}, 2},
    {L"Volume", kVolume, kPut, {VT_I2, VT_I2}, 2},
    {L"Balance", kBalance, kPut, {VT_I2, VT_I2}, 2},
    {L"MasterVolume", kMasterVolume, kPut, {VT_I4}, 1},
    {L"SetDevice", kSetDevice, kPut, {VT_I2}, 1},
    {L"Transpose", kTranspose, kPut, {VT_I2}, 1},
    {L"Velocity", kVelocity, kPut, {VT_I2}, 1},
    {L"SetCurrentPosition", kSetCurrentPosition, kPut, {VT_I4}, 1},
    {L"Phaser", kPhaser, kPut, {VT_I2, VT_I2}, 2},
    {L"Tremulo", kTremulo, kPut, {VT_I2, VT_I2}, 2},
    {L"Celeste", kCeleste, kPut, {VT_I2, VT_I2}, 2},
    {L"Chorus", kChorus, kPut, {VT_I2, VT_I2}, 2},
    {L"Volume", kVolume, kGet, {VT_I2, VT_PTR}, 2},
    {L"Titles", kTitles, kGet, {VT_I2, VT_PTR}, 2},
    {L"Balance", kBalance, kGet, {VT_I2, VT_PTR}, 2},
    {L"MasterVolume", kMasterVolume, kGet, {VT_PTR}, 1},
    {L"LyricText", kLyricText, kGet, {VT_PTR}, 1},
    {L"Transpose", kTranspose, kGet, {VT_PTR}, 1},
    {L"TimeLength", kTimeLength, kGet, {VT_PTR}, 1},
    {L"Velocity", kVelocity, kGet, {VT_PTR}, 1},
    {L"GetCurrentPosition", kGetCurrentPosition, kGet, {VT_PTR}, 1},
    {L"Status", kStatus, kGet, {VT_PTR}, 1},
    {L"Celeste", kCeleste, kGet, {VT_I2, VT_PTR}, 2},
    {L"Chorus", kChorus, kGet, {VT_I2, VT_PTR}, 2},
    {L"Phaser", kPhaser, kGet, {VT_I2, VT_PTR}, 2},
    {L"Tremulo", kTremulo, kGet, {VT_I2, VT_PTR}, 2},
    {L"MuteChannel", kMuteChannel, kPut, {VT_I2, VT_BOOL}, 2},
    {L"MuteChannel", kMuteChannel, kGet, {VT_I2, VT_PTR}, 2},
    {L"ChangePatch", kChangePatch, kMethod, {VT_UI1, VT_UI1}, 2},
    {L"CloseDevice", kCloseDevice, kMethod, {}, 0},
    {L"OpenMidiFile", kOpenMidiFile, kMethod, {VT_BSTR}, 1},
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
