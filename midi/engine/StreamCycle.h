// The output stream's life on the hidden callback window: opening and
// priming it, the buffer cycle that answers each finished buffer with the
// next group of records, and closing it.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace sonara {

// The subclass procedure of the callback window: answers the stream's
// buffer-done notifications, then passes every message on.
mm::LRESULT CallbackWndProc(mm::HWND hWnd, mm::UINT uMsg, mm::WPARAM wParam, mm::LPARAM lParam);

// The work for one finished buffer: unprepare it, then the next buffer.
void OnBufferDone();
// Consumes the group that came back and queues the next one, or ends the
// song through ActivePlayer when none is left.
void SendNextBuffer();

// Hooks the callback window and opens a paused stream on DeviceId at the
// tempo in force (a failure shows the device's error text and returns
// false, changing nothing else), then clears StopRequested.
bool OpenStream();
// Queues the first buffer and starts the stream and Timer1. A failure to
// start shows its error text and stops playback through `player`.
void StartStream(class clsMidi& player);

// The playback position: PositionBase plus the stream's tick count, or
// plus the count last read when the stream cannot be read (it is closed).
int32_t ReadStreamPosition();

// Stops and closes the stream and takes the callback window out of the loop,
// in this order: StopRequested, timer off, unhook, yield, pause or stop,
// reset, unprepare, close. Safe on a stream that is already closed.
void CloseStream();

}  // namespace sonara
