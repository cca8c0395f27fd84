#include "PlainOutput.h"

#include "TextSafety.h"

namespace midiplay {

void PlainOutput::SongStarted(const DisplayState& state) {
  lastStatus_ = -1;
  lengthText_ = state.lengthText;
  std::string line = "song " + std::to_string(state.fileNumber) + "/" + std::to_string(state.fileCount) + ": " +
                     EscapeControls(ShownTitle(state)) + " (" + EscapeControls(state.path) + "), " + state.lengthText;
  Line(line);
}

void PlainOutput::OnNotice(const Notice& notice) {
  switch (notice.kind) {
    case Notice::Kind::Status:
      // Playing, paused and stopped; the load's own codes (stopped, file
      // open) are not news, nor a stop before anything played.
      if (notice.value == lastStatus_ || notice.value > 2 || (notice.value == 0 && lastStatus_ < 1)) return;
      lastStatus_ = notice.value;
      Line("status: " + EscapeControls(notice.text));
      break;
    case Notice::Kind::LyricLine:
      Line("lyric: " + EscapeControls(notice.text));
      break;
    case Notice::Kind::Progress:
      Line("progress: " + EscapeControls(notice.text) + " / " + EscapeControls(lengthText_));
      break;
  }
}

void PlainOutput::Line(const std::string& text) {
  std::fputs(text.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace midiplay
