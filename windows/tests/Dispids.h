// The DISPIDs of _clsMidi's members as clients compiled against the type
// library know them; the tests call by these and expect them in the library.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

namespace sonara::wintest {

// Methods.
constexpr DISPID kListDevices = 0x60030015;
constexpr DISPID kPlayMidi = 0x60030019;
constexpr DISPID kStopMidi = 0x6003001C;
constexpr DISPID kPause = 0x6003001D;
constexpr DISPID kChangePatch = 0x6003001F;
constexpr DISPID kCloseDevice = 0x60030020;
constexpr DISPID kOpenMidiFile = 0x60030024;

// Properties (a get and a put of the same name share theirs).
constexpr DISPID kMuteChannel = 0x68030000;
constexpr DISPID kStatus = 0x68030001;
constexpr DISPID kGetCurrentPosition = 0x68030002;
constexpr DISPID kTimeLength = 0x68030003;
constexpr DISPID kTitles = 0x68030004;
constexpr DISPID kChorus = 0x68030005;
constexpr DISPID kCeleste = 0x68030006;
constexpr DISPID kTremulo = 0x68030007;
constexpr DISPID kPhaser = 0x68030008;
constexpr DISPID kSetCurrentPosition = 0x68030009;
constexpr DISPID kVelocity = 0x6803000A;
constexpr DISPID kTranspose = 0x6803000B;
constexpr DISPID kSetDevice = 0x6803000C;
constexpr DISPID kLyricText = 0x6803000D;
constexpr DISPID kMasterVolume = 0x6803000E;
constexpr DISPID kBalance = 0x6803000F;
constexpr DISPID kVolume = 0x68030010;
constexpr DISPID kValidChannel = 0x68030011;
constexpr DISPID kInstrument = 0x68030012;

}  // namespace sonara::wintest
