// The clients' event sinks of one clsMidi object and the bridge that hands
// the component's events to them: each event becomes a dispatch call with
// the event's DISPID (1 to 13) on every connected sink, in the order they
// connected. The component raises events on its own thread, synchronously;
// a sink may connect or disconnect others, or itself, while it runs.
//
// The bridge belongs to the clsMidi object, which may outlive the COM object
// its client created (the newest object lives on and keeps playing), so the
// sinks stay connected for as long as the object raises events.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "clsMidiEvents.h"

namespace sonara::com {

class EventSinks final : public clsMidiEvents {
 public:
  EventSinks() = default;
  ~EventSinks() override;
  EventSinks(const EventSinks&) = delete;
  EventSinks& operator=(const EventSinks&) = delete;

  // The cookie of the new connection (never 0).
  DWORD Connect(Microsoft::WRL::ComPtr<IDispatch> sink);
  bool Disconnect(DWORD cookie);
  size_t Count() const noexcept { return sinks_.size(); }
  // The connected sinks with their cookies, in the order they connected.
  const std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>>& Sinks() const noexcept { return sinks_; }

  void NotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText, int16_t DrumsValue,
                    const std::string& DrumsText, int16_t NoteOn) override;
  void MidiLevel(int16_t Channel, int16_t Level) override;
  void TextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
               const std::string& NextPhrase) override;
  void Progress(int32_t midiTicks, const std::string& midiTime) override;
  void MidiInfo(const std::string& TimeLength, const std::string& TimeSignature) override;
  void Status(int16_t Status, const std::string& StatusText) override;
  void VolumeChange(int16_t Channel, int16_t Value) override;
  void MasterVolumeChange(int16_t Value) override;
  void BalanceChange(int16_t Channel, int16_t Value) override;
  void InstrumentChange(int16_t Channel, int16_t InstrumentValue, const std::string& InstrumentText) override;
  void ChannelMuteChange(int16_t Channel, int16_t bMute) override;
  void TransposeChange(int16_t Value) override;
  void VelocityChange(int16_t Value) override;

 private:
  class Arguments;
  void Fire(DISPID id, Arguments& args);

  std::vector<std::pair<DWORD, Microsoft::WRL::ComPtr<IDispatch>>> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace sonara::com
