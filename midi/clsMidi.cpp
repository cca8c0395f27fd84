#include "clsMidi.h"

#include <algorithm>

namespace sonara {

std::string StatusText(int16_t code) {
  switch (code) {
    case kStatusStopped: return "Stopped";
    case kStatusPlaying: return "Playing";
    case kStatusPaused: return "Paused";
    case kStatusInvalidFile: return "Invalid File";
    case kStatusFileOpen: return "File Open";
    case kStatusFileNotOpen: return "File not Open";
    default: return "";
  }
}

std::shared_ptr<clsMidi> clsMidi::Create() {
  std::shared_ptr<clsMidi> object(new clsMidi());
  // The previous object is released here; if nobody else holds it, its
  // termination closes the shared stream before the status becomes 6.
  modMidi.ActivePlayer = object;
  modMidi.PlayerStatus = kStatusFileNotOpen;
  // No client can have connected yet: this reaches nobody.
  object->RaiseStatus(kStatusFileNotOpen, StatusText(kStatusFileNotOpen));
  return object;
}

clsMidi::~clsMidi() {
  try {
    CloseDevice();
  } catch (...) {
    // A failure inside the termination is not reported.
  }
}

uint32_t clsMidi::Advise(std::shared_ptr<clsMidiEvents> sink) {
  if (!sink) throw AutomationError(kInvalidCall);
  const uint32_t cookie = nextCookie_++;
  sinks_.emplace_back(cookie, std::move(sink));
  return cookie;
}

void clsMidi::Unadvise(uint32_t cookie) {
  auto it = std::find_if(sinks_.begin(), sinks_.end(), [cookie](const auto& s) { return s.first == cookie; });
  if (it == sinks_.end()) throw AutomationError(kInvalidCall, "No connection with this cookie");
  sinks_.erase(it);
}

// Raises one event to every connected sink, on a copy of the list, so that a
// handler may connect or disconnect sinks while it runs.
template <class Event, class... Args>
void clsMidi::Raise(Event event, Args&&... args) {
  const auto sinks = sinks_;
  for (const auto& [cookie, sink] : sinks) ((*sink).*event)(args...);
}

void clsMidi::RaiseNotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText, int16_t DrumsValue,
                                const std::string& DrumsText, VariantBool NoteOn) {
  Raise(&clsMidiEvents::NotesPlaying, Channel, NoteValue, NoteText, DrumsValue, DrumsText, NoteOn);
}
void clsMidi::RaiseMidiLevel(int16_t Channel, int16_t Level) { Raise(&clsMidiEvents::MidiLevel, Channel, Level); }
void clsMidi::RaiseTextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
                           const std::string& NextPhrase) {
  Raise(&clsMidiEvents::TextKar, TxtString, TextStart, AtualPhrase, NextPhrase);
}
void clsMidi::RaiseProgress(int32_t midiTicks, const std::string& midiTime) {
  Raise(&clsMidiEvents::Progress, midiTicks, midiTime);
}
void clsMidi::RaiseMidiInfo(const std::string& TimeLength, const std::string& TimeSignature) {
  Raise(&clsMidiEvents::MidiInfo, TimeLength, TimeSignature);
}
void clsMidi::RaiseStatus(int16_t Status, const std::string& Text) { Raise(&clsMidiEvents::Status, Status, Text); }
void clsMidi::RaiseVolumeChange(int16_t Channel, int16_t Value) {
  Raise(&clsMidiEvents::VolumeChange, Channel, Value);
}
void clsMidi::RaiseMasterVolumeChange(int16_t Value) { Raise(&clsMidiEvents::MasterVolumeChange, Value); }
void clsMidi::RaiseBalanceChange(int16_t Channel, int16_t Value) {
  Raise(&clsMidiEvents::BalanceChange, Channel, Value);
}
void clsMidi::RaiseInstrumentChange(int16_t Channel, int16_t InstrumentValue, const std::string& InstrumentText) {
  Raise(&clsMidiEvents::InstrumentChange, Channel, InstrumentValue, InstrumentText);
}
void clsMidi::RaiseChannelMuteChange(int16_t Channel, VariantBool bMute) {
  Raise(&clsMidiEvents::ChannelMuteChange, Channel, bMute);
}
void clsMidi::RaiseTransposeChange(int16_t Value) { Raise(&clsMidiEvents::TransposeChange, Value); }
void clsMidi::RaiseVelocityChange(int16_t Value) { Raise(&clsMidiEvents::VelocityChange, Value); }

// ---- Stored-value properties: they answer from the store ----

int16_t clsMidi::get_Status() { return modMidi.PlayerStatus; }
int16_t clsMidi::get_Volume(int16_t Channel) { return At(modMidi.ChannelVolume, Channel); }
int16_t clsMidi::get_Balance(int16_t Channel) { return At(modMidi.ChannelBalance, Channel); }
int16_t clsMidi::get_Phaser(int16_t Channel) { return At(modMidi.ChannelPhaser, Channel); }
int16_t clsMidi::get_Tremulo(int16_t Channel) { return At(modMidi.ChannelTremulo, Channel); }
int16_t clsMidi::get_Celeste(int16_t Channel) { return At(modMidi.ChannelCeleste, Channel); }
int16_t clsMidi::get_Chorus(int16_t Channel) { return At(modMidi.ChannelChorus, Channel); }
VariantBool clsMidi::get_MuteChannel(int16_t Channel) { return At(modMidi.ChannelMuted, Channel); }
VariantBool clsMidi::get_ValidChannel(int16_t Channel) { return At(modMidi.ChannelUsed, Channel); }
std::string clsMidi::get_Instrument(int16_t Channel) { return std::to_string(At(modMidi.ChannelProgram, Channel)); }
std::string clsMidi::get_Titles(int16_t nIndex) { return At(modMidi.TitleList, nIndex); }
std::string clsMidi::get_LyricText() { return modMidi.LyricTextStore; }
int16_t clsMidi::get_Transpose() { return modMidi.TransposeAmount; }
int16_t clsMidi::get_Velocity() { return modMidi.SpeedSetting; }

}  // namespace sonara

namespace sonara {
int32_t clsMidi::get_TimeLength() { return modMidi.SongTicks; }
}  // namespace sonara
