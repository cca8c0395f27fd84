#include "SongLoader.h"

#include "TextSafety.h"

namespace midiplay {

std::string LoadSong(sonara::clsMidi& midi, SongWatcher& watcher, MessageCapture& messages, const std::string& path) {
  DisplayState& state = watcher.State();
  state.path = path;
  state.titles = {};
  state.lengthText = "00:00:00";
  state.timeSignature.clear();
  state.lyric = {};
  for (ChannelView& channel : state.channels) channel = {};
  watcher.ForgetLyricLine();
  messages.TakeLast();

  midi.OpenMidiFile(path);
  if (midi.get_Status() != sonara::kStatusFileOpen) {
    std::string why = messages.TakeLast();
    if (why.empty()) why = "not a song the player can read";
    // The component's own text names the file when it could not open it.
    if (why.find(path) != std::string::npos) return EscapeControls(why);
    return EscapeControls(path) + ": " + EscapeControls(why);
  }
  for (int16_t i = 0; i < 3; ++i) state.titles[static_cast<size_t>(i)] = midi.get_Titles(i);
  state.songTicks = midi.get_TimeLength();
  state.ticks = 0;
  state.clockText = "00:00:00";
  for (int16_t ch = 0; ch < 16; ++ch) {
    ChannelView& channel = state.channels[static_cast<size_t>(ch)];
    channel.used = midi.get_ValidChannel(ch) != sonara::kFalse;
    channel.muted = midi.get_MuteChannel(ch) != sonara::kFalse;
  }
  watcher.MarkChanged();
  return "";
}

}  // namespace midiplay
