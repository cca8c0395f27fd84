// The component shows its message boxes (a file it cannot read, a device
// that cannot start) through a handler; while this object lives they are
// kept here instead of being written to standard error, so the player can
// report them in its own words and at the right moment.
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace midiplay {

class MessageCapture {
 public:
  MessageCapture();
  ~MessageCapture();
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  // The text of the last message box since the last call ("" if none).
  std::string TakeLast();

 private:
  std::string last_;
  mm::MessageBoxHandler previous_;
};

}  // namespace midiplay
