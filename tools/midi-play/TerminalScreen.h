// Draws the screen lines in place on a terminal: the alternate screen with
// the cursor hidden while the object lives, and only the rows that changed
// are rewritten, in one write, so the display does not flicker.
#pragma once

#include <vector>

#include "ScreenLayout.h"

namespace midiplay {

class TerminalScreen {
 public:
  explicit TerminalScreen(int fd);
  ~TerminalScreen();
  TerminalScreen(const TerminalScreen&) = delete;
  TerminalScreen& operator=(const TerminalScreen&) = delete;

  // The terminal's size now (80x24 when it cannot be asked).
  ScreenSize Size() const;
  void Draw(const std::vector<ScreenLine>& lines);
  // Forgets what is on the screen, so the next Draw repaints every row (after
  // a resize).
  void Invalidate();

 private:
  int fd_;
  std::vector<ScreenLine> shown_;
  bool clearFirst_ = true;
};

// Writes all of text to fd, retrying after interruptions; false on failure.
bool WriteAll(int fd, const std::string& text);

}  // namespace midiplay
