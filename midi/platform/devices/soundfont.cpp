// The soundfont choice, kept apart from the synthesizer so that programs can
// set it in every build.
#include <mutex>
#include <string>

#include "../internal.h"
#include "synth_device.h"

namespace mm {
namespace {

// The General MIDI soundfont that Debian's sound-font packages provide
// (fluid-soundfont-gm links it here through the alternatives system).
constexpr const char* kDebianDefaultSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

struct SoundFontChoice {
  std::mutex lock;
  std::string path = kDebianDefaultSoundFont;
};

SoundFontChoice& Choice() {
  static detail::NoDestructor<SoundFontChoice> choice;
  return choice.get();
}

}  // namespace

void SetSoundFont(const std::string& path) {
  auto& c = Choice();
  std::lock_guard lock(c.lock);
  c.path = path.empty() ? kDebianDefaultSoundFont : path;
}

std::string SoundFont() {
  auto& c = Choice();
  std::lock_guard lock(c.lock);
  return c.path;
}

}  // namespace mm
