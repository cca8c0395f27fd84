// The player's one store: every piece of working state that all clsMidi
// objects share (one song, one output stream, one set of settings, one
// status), and the records it holds.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DynArray.h"
#include "platform/mmsystem.h"
#include "platform/sync.h"
#include "platform/window.h"

namespace sonara {

class clsMidi;
class FormProc;

// Boolean values as the component's surface carries them.
using VariantBool = int16_t;
constexpr VariantBool kTrue = -1;
constexpr VariantBool kFalse = 0;
constexpr VariantBool ToVariantBool(bool b) noexcept { return b ? kTrue : kFalse; }

// A channel message packed as status + data1 * 256 + data2 * 65536.
constexpr int32_t PackShortMessage(int32_t status, int32_t data1, int32_t data2 = 0) noexcept {
  return status + data1 * 256 + data2 * 65536;
}
constexpr int32_t MessageStatus(int32_t message) noexcept { return message & 0xFF; }
constexpr int32_t MessageData1(int32_t message) noexcept { return (message >> 8) & 0xFF; }
constexpr int32_t MessageData2(int32_t message) noexcept { return (message >> 16) & 0xFF; }
constexpr int32_t MessageKind(int32_t message) noexcept { return message & 0xF0; }
constexpr int32_t MessageChannel(int32_t message) noexcept { return message & 0x0F; }

constexpr int kChannelCount = 16;
constexpr int kPercussionChannel = 9;

// Stands for a lyric syllable in the event tables: channel pressure 0 on channel index 0.
constexpr int32_t kLyricCarrier = 0xD0;
// Stands for an event that only carries time (system exclusive, meta).
constexpr int32_t kTimePlaceholder = 2;

// One event of a track, or one record of the merged Timeline.
struct EventRecord {
  int32_t DeltaTicks = 0;
  int32_t AbsTick = 0;
  int32_t Message = 0;
  int16_t LyricIndex = 0;
  bool operator==(const EventRecord&) const = default;
};

// A tempo record of the Timeline: a stream tempo event in its packed form.
constexpr int32_t kTempoRecordKind = 0x01000000;
constexpr bool IsTempoRecord(int32_t message) noexcept { return (message & 0xFF000000) == kTempoRecordKind; }
constexpr int32_t TempoRecordValue(int32_t message) noexcept { return message & 0x00FFFFFF; }

// From this tick on the song plays at Tempo microseconds per quarter note.
struct TempoChange {
  int32_t Tick = 0;
  int32_t Tempo = 0;
  bool operator==(const TempoChange&) const = default;
};

// One entry of the track directory.
struct ChunkRecord {
  std::string ChunkId;       // four characters, one per file byte
  int32_t ChunkLength = 0;   // data length in bytes
  int16_t TrackNumber = 0;   // the entry's own index
  int32_t ChunkPosition = 0; // file position of the id; the data starts 8 bytes later
};

// One karaoke syllable.
struct SyllableRecord {
  std::string Text;
  int16_t Length = 0;          // characters in Text
  int32_t PhraseOffset = 0;    // 0-based character position in its phrase; -1 only changes the phrase
  int16_t Phrase = 0;          // index into LyricPhrases
};

// The player's copy of one device's capabilities; the name is kept as
// exactly 32 characters, NUL-filled.
struct DeviceCapsRecord {
  uint16_t wMid = 0;
  uint16_t wPid = 0;
  uint32_t vDriverVersion = 0;
  std::string szPname = std::string(32, '\0');
  uint16_t wTechnology = 0;
  uint16_t wVoices = 0;
  uint16_t wNotes = 0;
  uint16_t wChannelMask = 0;
  uint32_t dwSupport = 0;
};

template <class T>
using ChannelArray = std::array<T, kChannelCount>;

struct PlayerStore {
  // Component status
  int16_t PlayerStatus = 0;

  // Output stream
  mm::HMIDISTRM StreamHandle = 0;
  mm::MIDIHDR StreamHeader{};
  DynArray<mm::MIDIEVENT> StreamBuffer;
  int32_t NextEventIndex = 0;
  int32_t BufferEventCount = 0;
  VariantBool StopRequested = kFalse;
  mm::MMRESULT LastResult = 0;
  std::string ErrorText;
  double StreamTempo = 0;
  mm::MMTIME StreamTime{};
  std::shared_ptr<FormProc> CallbackForm;
  mm::WNDPROC PrevWndProc = nullptr;
  mm::CRITICAL_SECTION BufferLock;

  // Song
  std::string HeaderChunk;
  int16_t HeaderLength = 0;
  int16_t FileFormat = 0;
  int16_t TrackCount = 0;
  int16_t Division = 0;
  int32_t Tempo = 0;
  int16_t TimeSigNumerator = 0;
  int16_t TimeSigDenominator = 0;
  DynArray<ChunkRecord> TrackChunks;               // 1..TrackCount
  DynArray<DynArray<EventRecord>> TrackEvents;     // by track 1..TrackCount, then event 1..count
  DynArray<int32_t> TrackEventCount;               // 0..TrackCount, entry 0 unused
  DynArray<int32_t> TrackClock;                    // 0..TrackCount, entry 0 unused
  int32_t LastTick = 0;
  DynArray<EventRecord> Timeline;                  // 0..n, record 0 all zero
  int32_t SongTicks = 0;
  VariantBool KaraokeMode = kFalse;
  DynArray<SyllableRecord> LyricSyllables;         // from 0, element 0 empty
  DynArray<std::string> LyricPhrases;              // from 0
  std::string LyricTextStore;
  std::array<std::string, 3> TitleList;
  // Every tempo change of the song in Timeline order: the clock texts convert
  // ticks through it.
  std::vector<TempoChange> TempoMap;
  // The tempo (microseconds per quarter note) the stream plays at now: the
  // loader sets the tempo at tick 0, a start the tempo before its first
  // record, and each group of records that has played its tempo records.
  int32_t TempoInForce = 0;

  // Position
  int32_t StartTick = 0;
  int32_t PositionBase = 0;

  // Settings
  int16_t DeviceId = 0;
  int16_t TransposeAmount = 0;
  int16_t SpeedSetting = 0;
  DeviceCapsRecord DeviceCaps;

  ChannelArray<VariantBool> ChannelMuted{};
  ChannelArray<int16_t> ChannelVolume{};
  ChannelArray<int16_t> ChannelBalance{};
  ChannelArray<int16_t> ChannelProgram{};
  ChannelArray<VariantBool> ChannelUsed{};
  ChannelArray<int16_t> ChannelPhaser{};
  ChannelArray<int16_t> ChannelTremulo{};
  ChannelArray<int16_t> ChannelCeleste{};
  ChannelArray<int16_t> ChannelChorus{};

  // Declared last so that it is released first when the store goes away:
  // the object's termination still finds the rest of the store in place.
  std::shared_ptr<clsMidi> ActivePlayer;

  ~PlayerStore();
};

// The one store of the process.
extern PlayerStore modMidi;

// Puts the store back to its value at load, releasing the active object
// first (its termination runs as at unload). For tests.
void ResetPlayerStore();

}  // namespace sonara
