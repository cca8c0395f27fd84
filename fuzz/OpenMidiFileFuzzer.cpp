// Feeds arbitrary bytes to the loader through the entry point that
// OpenMidiFile itself uses once it has read the file, and reads back what a
// client would read. Each input starts from a fresh store, so that a failure
// can be reproduced from its input alone.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "clsMidi.h"
#include "platform/dialogs.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The rejection message box would otherwise write every bad input to stderr.
  mm::SetMessageBoxHandler([](const std::string&, const std::string&, uint32_t) { return mm::IDOK; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonara;
  ResetPlayerStore();
  auto midi = clsMidi::Create();
  midi->OpenMidiData("fuzz.mid", std::span<const uint8_t>(data, size));
  // What a client reads after a load must be readable whatever the file was.
  size_t sink = midi->get_LyricText().size() + static_cast<size_t>(midi->get_TimeLength());
  for (int16_t i = 0; i < 3; ++i) sink += midi->get_Titles(i).size();
  for (int16_t ch = 0; ch < kChannelCount; ++ch) sink += static_cast<size_t>(midi->get_Volume(ch));
  midi.reset();
  ResetPlayerStore();
  [[maybe_unused]] static volatile size_t keep;
  keep = sink;
  return 0;
}
