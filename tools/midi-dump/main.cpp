// midi-dump FILE: opens FILE through clsMidi, as any client would, and prints
// what the player made of it: one line per Timeline record (index, absolute
// tick, delta, message as eight hex digits, lyric index), then the titles,
// the MidiInfo texts, the channels in use with their instruments, the lyric
// text and the syllable and phrase tables.
//
// Exit code 0 for a loaded file, 1 for a file the player rejected or could
// not read (the reason goes to standard error), 2 for a wrong command line.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "clsMidi.h"
#include "platform/dialogs.h"

namespace {

using namespace sonara;

// Collects what the load announces: its status, the song information and the
// instrument of each channel as the merge reports it.
class LoadWatcher : public clsMidiEvents {
 public:
  void Status(int16_t status, const std::string&) override { lastStatus = status; }
  void MidiInfo(const std::string& length, const std::string& signature) override {
    lengthText = length;
    timeSignature = signature;
    haveInfo = true;
  }
  void InstrumentChange(int16_t channel, int16_t program, const std::string& text) override {
    if (channel >= 0 && channel < kChannelCount) instrument[channel] = std::to_string(program) + " " + text;
  }

  int16_t lastStatus = -1;
  bool haveInfo = false;
  std::string lengthText;
  std::string timeSignature;
  ChannelArray<std::string> instrument;
};

// One message box text, shown on standard error only when the load fails.
std::string gMessages;

void PrintTimeline() {
  const auto& timeline = modMidi.Timeline;
  if (!timeline.Created()) return;
  for (int32_t i = 1; i <= timeline.UBound(); ++i) {
    const EventRecord& r = timeline[i];
    std::printf("%d %d %d %08X %d\n", i, r.AbsTick, r.DeltaTicks, static_cast<uint32_t>(r.Message), r.LyricIndex);
  }
}

void PrintSong(clsMidi& midi, const LoadWatcher& watcher) {
  for (int16_t i = 0; i < 3; ++i) std::printf("title %d %s\n", i, midi.get_Titles(i).c_str());
  std::printf("length %s\ntime-signature %s\n", watcher.lengthText.c_str(), watcher.timeSignature.c_str());
  std::printf("ticks %d\n", midi.get_TimeLength());
  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    if (midi.get_ValidChannel(ch) == kFalse) continue;
    std::printf("channel %d program %s\n", ch + 1, watcher.instrument[ch].c_str());
  }
}

// The lyric text one line per phrase, each line indented by two blanks.
void PrintLyrics(clsMidi& midi) {
  std::printf("lyrics\n");
  const std::string text = midi.get_LyricText();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::printf("  %s\n", text.substr(start, end - start).c_str());
    start = end + 2;
  }
}

void PrintLyricTables() {
  const auto& syllables = modMidi.LyricSyllables;
  if (syllables.Created()) {
    for (int32_t i = syllables.LBound(); i <= syllables.UBound(); ++i) {
      const SyllableRecord& s = syllables[i];
      std::printf("syllable %d phrase %d offset %d length %d |%s|\n", i, s.Phrase, s.PhraseOffset, s.Length,
                  s.Text.c_str());
    }
  }
  const auto& phrases = modMidi.LyricPhrases;
  if (phrases.Created()) {
    for (int32_t i = phrases.LBound(); i <= phrases.UBound(); ++i) std::printf("phrase %d |%s|\n", i, phrases[i].c_str());
  }
}

int Dump(const std::string& path) {
  mm::SetMessageBoxHandler([](const std::string& text, const std::string&, uint32_t) {
    gMessages += text + "\n";
    return mm::IDOK;
  });
  auto midi = clsMidi::Create();
  auto watcher = std::make_shared<LoadWatcher>();
  midi->Advise(watcher);
  midi->OpenMidiFile(path);
  if (watcher->lastStatus == kStatusInvalidFile || midi->get_Status() != kStatusFileOpen || !watcher->haveInfo) {
    std::cerr << "midi-dump: " << path << ": "
              << (gMessages.empty() ? StatusText(kStatusInvalidFile) + "\n" : gMessages);
    return 1;
  }
  PrintTimeline();
  PrintSong(*midi, *watcher);
  PrintLyrics(*midi);
  PrintLyricTables();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: midi-dump FILE\n";
    return 2;
  }
  try {
    return Dump(argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "midi-dump: " << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
}
