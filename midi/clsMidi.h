// clsMidi: the player's one public class. Every object works on the one
// shared store (modMidi.h); the newest object is ActivePlayer, through which
// module code raises its events.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "AutomationError.h"
#include "Collection.h"
#include "clsMidiEvents.h"
#include "modMidi.h"

namespace sonara {

// Status codes and their texts (4 is not used).
enum PlayerStatusCode : int16_t {
  kStatusStopped = 0,
  kStatusPlaying = 1,
  kStatusPaused = 2,
  kStatusInvalidFile = 3,
  kStatusFileOpen = 5,
  kStatusFileNotOpen = 6,
};
std::string StatusText(int16_t code);

struct TrackDecodeState;

class clsMidi {
 public:
  // Creates an object: it becomes ActivePlayer (releasing the previous one),
  // the status becomes 6 and Status (6, "File not Open") is raised.
  static std::shared_ptr<clsMidi> Create();
  ~clsMidi();
  clsMidi(const clsMidi&) = delete;
  clsMidi& operator=(const clsMidi&) = delete;

  // Event connections. A sink stays connected until Unadvise.
  uint32_t Advise(std::shared_ptr<clsMidiEvents> sink);
  void Unadvise(uint32_t cookie);

  // The members, in interface order.
  std::shared_ptr<Collection> ListDevices(int16_t& nDevs);
  void PlayMidi();
  void put_Instrument(int16_t Channel, const std::string& value);
  std::string get_Instrument(int16_t Channel);
  void StopMidi();
  void Pause();
  VariantBool get_ValidChannel(int16_t Channel);
  void put_Volume(int16_t Channel, int16_t value);
  void put_Balance(int16_t Channel, int16_t value);
  void put_MasterVolume(int32_t value);
  void put_SetDevice(int16_t value);
  void put_Transpose(int16_t value);
  void put_Velocity(int16_t value);
  void put_SetCurrentPosition(int32_t value);
  void put_Phaser(int16_t Channel, int16_t value);
  void put_Tremulo(int16_t Channel, int16_t value);
  void put_Celeste(int16_t Channel, int16_t value);
  void put_Chorus(int16_t Channel, int16_t value);
  int16_t get_Volume(int16_t Channel);
  std::string get_Titles(int16_t nIndex);
  int16_t get_Balance(int16_t Channel);
  int32_t get_MasterVolume();
  std::string get_LyricText();
  int16_t get_Transpose();
  int32_t get_TimeLength();
  int16_t get_Velocity();
  int32_t get_GetCurrentPosition();
  int16_t get_Status();
  int16_t get_Celeste(int16_t Channel);
  int16_t get_Chorus(int16_t Channel);
  int16_t get_Phaser(int16_t Channel);
  int16_t get_Tremulo(int16_t Channel);
  void put_MuteChannel(int16_t Channel, VariantBool value);
  VariantBool get_MuteChannel(int16_t Channel);
  void ChangePatch(uint8_t NewPatch, uint8_t Channel);
  void CloseDevice();
  void OpenMidiFile(const std::string& FileName);

  // Raising the events to this object's sinks.
  void RaiseNotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText, int16_t DrumsValue,
                         const std::string& DrumsText, VariantBool NoteOn);
  void RaiseMidiLevel(int16_t Channel, int16_t Level);
  void RaiseTextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
                    const std::string& NextPhrase);
  void RaiseProgress(int32_t midiTicks, const std::string& midiTime);
  void RaiseMidiInfo(const std::string& TimeLength, const std::string& TimeSignature);
  void RaiseStatus(int16_t Status, const std::string& StatusText);
  void RaiseVolumeChange(int16_t Channel, int16_t Value);
  void RaiseMasterVolumeChange(int16_t Value);
  void RaiseBalanceChange(int16_t Channel, int16_t Value);
  void RaiseInstrumentChange(int16_t Channel, int16_t InstrumentValue, const std::string& InstrumentText);
  void RaiseChannelMuteChange(int16_t Channel, VariantBool bMute);
  void RaiseTransposeChange(int16_t Value);
  void RaiseVelocityChange(int16_t Value);

  // The file name last given to this object's OpenMidiFile.
  const std::string& FileName() const noexcept { return fileName_; }

  // ---- Internal operations: loader (midi/loader) ----

  // Loads a song from bytes already read from FileName; OpenMidiFile reads
  // the file whole and hands it here. Like OpenMidiFile it never fails.
  void OpenMidiData(const std::string& FileName, std::span<const uint8_t> data);

  // The big-endian value of the first count (1 to 4) of the four bytes.
  static uint32_t BytesToNumber(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, int count) noexcept;
  // A variable-length quantity of at most four bytes: length 0 (and value 0)
  // when all four bytes say that another one follows.
  static void DecodeVarLen(uint8_t b1, uint8_t b2, uint8_t b3, uint8_t b4, int16_t& length,
                           int32_t& value) noexcept;

  // Reads and checks the file header; on a bad one the file is rejected.
  bool ReadHeader(std::span<const uint8_t> file);
  // The failure path of a file that cannot be loaded at all.
  void RejectFile(const std::string& message);
  void ScanTrackChunks(std::span<const uint8_t> file);
  void ReadTracks(std::span<const uint8_t> file);
  void StoreTrackEvent(int32_t delta, int32_t message, int16_t track, int16_t lyricIndex);
  int16_t FindKaraokeTrack(std::span<const uint8_t> file);
  void MergeTracks();
  void ResetSongSettings();

  // Karaoke text and titles, run by the track decoder.
  void ResetLyricTables();
  void TitleStep(TrackDecodeState& state, std::span<const uint8_t> text);
  void KaraokeTextStep(TrackDecodeState& state, std::span<const uint8_t> text);
  void LyricStep(TrackDecodeState& state, std::span<const uint8_t> text);
  void CloseLyricText(TrackDecodeState& state);

  // ---- Internal operations: engine (midi/engine) ----

  // The first Timeline index from 1 whose tick is at least `tick`; 0 when
  // there is none. Error 9 when no song has been loaded.
  int32_t FindEventAtTick(int32_t tick);
  // Raises TextKar for syllable n (nothing for 0); a failure raises nothing.
  void FireTextKar(int32_t n);
  // Kind 1 raises MidiLevel, kind 2 NotesPlaying, any other kind nothing.
  void FireNoteEvent(int16_t Channel, int16_t Value, const std::string& NoteText, int16_t DrumsValue,
                     const std::string& DrumsText, VariantBool NoteOn, int16_t Kind);
  // Reads the position and raises Progress with its clock text.
  void FireProgress();

  // ---- Internal operations: mixer (midi/mixer) ----

  // Brings the device in line with the stored channel settings at a start,
  // then announces the master volume.
  void SendChannelSetup();

 private:
  clsMidi() = default;

  template <class Event, class... Args>
  void Raise(Event event, Args&&... args);

  std::string fileName_;
  std::vector<std::pair<uint32_t, std::shared_ptr<clsMidiEvents>>> sinks_;
  uint32_t nextCookie_ = 1;
};

}  // namespace sonara
