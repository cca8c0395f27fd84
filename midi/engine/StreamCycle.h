// The output stream's life on the hidden callback window.
#pragma once

#include "platform/window.h"

namespace sonara {

// Stops and closes the stream and takes the callback window out of the loop,
// in this order: StopRequested, timer off, unhook, yield, pause or stop,
// reset, unprepare, close. Safe on a stream that is already closed.
void CloseStream();

}  // namespace sonara
