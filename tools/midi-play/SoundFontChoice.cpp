#include "SoundFontChoice.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "TextSafety.h"

#include "platform/devices/synth_device.h"

namespace midiplay {

std::string UseSoundFont(const std::string& path) {
  const std::string shown = EscapeControls(path);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return shown + ": is a folder, not a soundfont";
  std::ifstream file(path, std::ios::binary);
  if (!file) return shown + ": cannot read soundfont (" + std::strerror(errno) + ")";
  // A soundfont is a RIFF file of form "sfbk".
  char header[12] = {};
  if (!file.read(header, sizeof header) || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "sfbk", 4) != 0)
    return shown + ": not a soundfont";
  mm::SetSoundFont(path);
  return "";
}

}  // namespace midiplay
