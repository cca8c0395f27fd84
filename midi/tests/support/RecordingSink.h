// A sink that writes every event it receives as one line of text, so tests
// compare whole event sequences.
#pragma once

#include <string>
#include <vector>

#include "clsMidiEvents.h"

namespace sonara::testing {

class RecordingSink : public clsMidiEvents {
 public:
  std::vector<std::string> lines;

  void NotesPlaying(int16_t Channel, int16_t NoteValue, const std::string& NoteText, int16_t DrumsValue,
                    const std::string& DrumsText, int16_t NoteOn) override {
    Log("NotesPlaying", {N(Channel), N(NoteValue), Q(NoteText), N(DrumsValue), Q(DrumsText), N(NoteOn)});
  }
  void MidiLevel(int16_t Channel, int16_t Level) override { Log("MidiLevel", {N(Channel), N(Level)}); }
  void TextKar(const std::string& TxtString, int16_t TextStart, const std::string& AtualPhrase,
               const std::string& NextPhrase) override {
    Log("TextKar", {Q(TxtString), N(TextStart), Q(AtualPhrase), Q(NextPhrase)});
  }
  void Progress(int32_t midiTicks, const std::string& midiTime) override {
    Log("Progress", {N(midiTicks), Q(midiTime)});
  }
  void MidiInfo(const std::string& TimeLength, const std::string& TimeSignature) override {
    Log("MidiInfo", {Q(TimeLength), Q(TimeSignature)});
  }
  void Status(int16_t Status, const std::string& StatusText) override { Log("Status", {N(Status), Q(StatusText)}); }
  void VolumeChange(int16_t Channel, int16_t Value) override { Log("VolumeChange", {N(Channel), N(Value)}); }
  void MasterVolumeChange(int16_t Value) override { Log("MasterVolumeChange", {N(Value)}); }
  void BalanceChange(int16_t Channel, int16_t Value) override { Log("BalanceChange", {N(Channel), N(Value)}); }
  void InstrumentChange(int16_t Channel, int16_t InstrumentValue, const std::string& InstrumentText) override {
    Log("InstrumentChange", {N(Channel), N(InstrumentValue), Q(InstrumentText)});
  }
  void ChannelMuteChange(int16_t Channel, int16_t bMute) override {
    Log("ChannelMuteChange", {N(Channel), N(bMute)});
  }
  void TransposeChange(int16_t Value) override { Log("TransposeChange", {N(Value)}); }
  void VelocityChange(int16_t Value) override { Log("VelocityChange", {N(Value)}); }

 private:
  static std::string N(long v) { return std::to_string(v); }
  static std::string Q(const std::string& s) { return '"' + s + '"'; }
  void Log(const char* event, std::initializer_list<std::string> args) {
    std::string line = event;
    line += '(';
    bool first = true;
    for (const auto& a : args) {
      if (!first) line += ", ";
      line += a;
      first = false;
    }
    line += ')';
    lines.push_back(std::move(line));
  }
};

// What StopMidi raises, in order.
inline std::vector<std::string> StopEvents() {
  std::vector<std::string> lines{R"(Status(0, "Stopped"))"};
  for (int ch = 0; ch < 16; ++ch) {
    lines.push_back("NotesPlaying(" + std::to_string(ch) + R"(, 0, "", 0, "", 0))");
    lines.push_back("MidiLevel(" + std::to_string(ch) + ", 0)");
  }
  lines.push_back(R"(Progress(0, "00:00:00"))");
  lines.push_back(R"(TextKar("", -1, "", ""))");
  return lines;
}

}  // namespace sonara::testing
