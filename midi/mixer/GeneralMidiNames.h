// Names of notes, General MIDI instruments and percussion keys for the
// player's events. Numbers outside a table give the empty text.
#pragma once

#include <cstdint>
#include <string>

namespace sonara {

std::string NoteName(int16_t n);
std::string InstrumentName(int16_t n);
std::string DrumName(int16_t n);

}  // namespace sonara
