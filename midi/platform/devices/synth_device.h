// The built-in software synthesizer: a General MIDI soundfont played through
// the first audio output that starts. It is device 0 when it is compiled in.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "output_device.h"

namespace mm {

// The soundfont that the synthesizer and the file renderer load when they are
// next opened. Until a program chooses one, the General MIDI soundfont that
// Debian's sound-font packages install as the default.
void SetSoundFont(const std::string& path);
std::string SoundFont();

// Whether the synthesizer is compiled in, and its device for the registry.
bool SynthAvailable();
std::vector<std::shared_ptr<OutputDevice>> SynthDevices();

}  // namespace mm
