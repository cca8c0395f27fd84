// What the test-only MIDI capture driver records, as the test reads it
// back through the driver's SonaraReadCapture export.
#pragma once

#include <cstdint>

namespace sonara::wintest {

enum class CaptureKind : uint32_t { Short = 0, Long = 1, Reset = 2, Open = 3, Close = 4 };

struct CaptureEntry {
  CaptureKind kind;
  uint32_t message;  // the packed short message (Short), the byte count (Long)
  int64_t micros;    // since the driver was loaded
};

// Copies up to `capacity` entries from `first` on; returns how many there are in all.
using ReadCaptureFn = uint32_t(__cdecl*)(CaptureEntry* entries, uint32_t first, uint32_t capacity);
using ClearCaptureFn = void(__cdecl*)();

}  // namespace sonara::wintest
