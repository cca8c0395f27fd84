// The per-channel settings: stored, and sent to the device at once where a
// controller carries them; the whole set again at every start.
#include <algorithm>

#include "AutomationConvert.h"
#include "clsMidi.h"

namespace sonara {

namespace {

constexpr int32_t kVolumeController = 7;
constexpr int32_t kBalanceController = 8;
constexpr int32_t kEffectControl1 = 12;
constexpr int32_t kReverbDepth = 91;
constexpr int32_t kTremoloDepth = 92;
constexpr int32_t kChorusDepth = 93;
constexpr int32_t kCelesteDepth = 94;
constexpr int32_t kPhaserDepth = 95;
constexpr int32_t kResetAllControllers = 121;

void Send(int32_t message) { mm::midiOutShortMsg(modMidi.StreamHandle, static_cast<uint32_t>(message)); }

// A controller message for channel ch; a value outside 0..127 is held to
// the nearest data byte, which is what a device can take.
void SendController(int16_t ch, int32_t controller, int32_t value) {
  Send(PackShortMessage(0xB0 + ch, controller, std::clamp(value, 0, 127)));
}

// The stored entry of a channel; error 9 outside channels 0 to 15.
template <class Array>
auto& Entry(Array& array, int16_t ch) {
  return At(array, ch);
}

// An effect depth: reverb to full first, so the effect is heard, then the depth.
void PutEffect(ChannelArray<int16_t>& store, int16_t ch, int16_t value, int32_t controller, bool effectControl) {
  Entry(store, ch) = value;
  SendController(ch, kReverbDepth, 127);
  if (effectControl) SendController(ch, kEffectControl1, 127);
  SendController(ch, controller, store[static_cast<size_t>(ch)]);
}

}  // namespace

void clsMidi::put_Volume(int16_t Channel, int16_t value) {
  Entry(modMidi.ChannelVolume, Channel) = value;
  SendController(Channel, kVolumeController, value);
}

void clsMidi::put_Balance(int16_t Channel, int16_t value) {
  Entry(modMidi.ChannelBalance, Channel) = value;
  SendController(Channel, kBalanceController, value);
}

void clsMidi::put_Phaser(int16_t Channel, int16_t value) {
  PutEffect(modMidi.ChannelPhaser, Channel, value, kPhaserDepth, true);
}
void clsMidi::put_Tremulo(int16_t Channel, int16_t value) {
  PutEffect(modMidi.ChannelTremulo, Channel, value, kTremoloDepth, false);
}
void clsMidi::put_Celeste(int16_t Channel, int16_t value) {
  PutEffect(modMidi.ChannelCeleste, Channel, value, kCelesteDepth, false);
}
void clsMidi::put_Chorus(int16_t Channel, int16_t value) {
  PutEffect(modMidi.ChannelChorus, Channel, value, kChorusDepth, false);
}

// Muting takes effect in the buffers built from now on; unmuting also resets
// the channel's controllers, since notes cut by the mute may have left them.
void clsMidi::put_MuteChannel(int16_t Channel, VariantBool value) {
  Entry(modMidi.ChannelMuted, Channel) = value;
  if (value == kFalse) SendController(Channel, kResetAllControllers, 0);
}

// Stored only: the program reaches the device at the next start.
void clsMidi::put_Instrument(int16_t Channel, const std::string& value) {
  auto& entry = Entry(modMidi.ChannelProgram, Channel);
  entry = TextToInt16(value);
}

void clsMidi::ChangePatch(uint8_t NewPatch, uint8_t Channel) {
  auto& entry = Entry(modMidi.ChannelProgram, Channel);
  if (modMidi.StreamHandle == 0) return;  // no stream was ever opened
  Send(PackShortMessage(0xC0 + Channel, NewPatch & 0x7F));
  entry = NewPatch;
}

void clsMidi::SendChannelSetup() {
  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    const auto i = static_cast<size_t>(ch);
    SendController(ch, kResetAllControllers, 0);
    Send(PackShortMessage(0xC0 + ch, std::clamp<int32_t>(modMidi.ChannelProgram[i], 0, 127)));
    SendController(ch, kVolumeController, modMidi.ChannelVolume[i]);
    SendController(ch, kBalanceController, modMidi.ChannelBalance[i]);
    Send(PackShortMessage(0x80 + ch, 64, 0));  // a note-off for the sustain pedal's key, as ever
  }
  RaiseMasterVolumeChange(static_cast<int16_t>(get_MasterVolume()));
}

}  // namespace sonara
