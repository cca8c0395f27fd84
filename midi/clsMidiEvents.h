// The events of clsMidi. A client derives from this sink, overrides the
// events it wants and connects it with clsMidi::Advise. Events are raised
// synchronously on the component's thread; a handler may call back into the
// component.
#pragma once

#include <cstdint>
#include <string>

namespace sonara {

class clsMidiEvents {
 public:
  virtual ~clsMidiEvents() = default;

  virtual void NotesPlaying(int16_t /*Channel*/, int16_t /*NoteValue*/, const std::string& /*NoteText*/,
                            int16_t /*DrumsValue*/, const std::string& /*DrumsText*/, int16_t /*NoteOn*/) {}
  virtual void MidiLevel(int16_t /*Channel*/, int16_t /*Level*/) {}
  virtual void TextKar(const std::string& /*TxtString*/, int16_t /*TextStart*/, const std::string& /*AtualPhrase*/,
                       const std::string& /*NextPhrase*/) {}
  virtual void Progress(int32_t /*midiTicks*/, const std::string& /*midiTime*/) {}
  virtual void MidiInfo(const std::string& /*TimeLength*/, const std::string& /*TimeSignature*/) {}
  virtual void Status(int16_t /*Status*/, const std::string& /*StatusText*/) {}
  virtual void VolumeChange(int16_t /*Channel*/, int16_t /*Value*/) {}
  virtual void MasterVolumeChange(int16_t /*Value*/) {}
  virtual void BalanceChange(int16_t /*Channel*/, int16_t /*Value*/) {}
  virtual void InstrumentChange(int16_t /*Channel*/, int16_t /*InstrumentValue*/,
                                const std::string& /*InstrumentText*/) {}
  virtual void ChannelMuteChange(int16_t /*Channel*/, int16_t /*bMute*/) {}
  virtual void TransposeChange(int16_t /*Value*/) {}
  virtual void VelocityChange(int16_t /*Value*/) {}
};

}  // namespace sonara
