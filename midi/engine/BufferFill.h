// Turning the next group of simultaneous Timeline records into stream
// events, and telling the client what is about to sound.
#pragma once

#include <cstdint>

namespace sonara {

// Places the group of records that starts at Timeline index `start` (the
// start record and every following record with delta 0) into StreamBuffer
// and returns how many it placed, or 0 when the fill was abandoned because a
// client call from one of its events stopped, paused or restarted playback.
int32_t FillBuffer(int32_t start);

// The message with the transposition applied: note-off, note-on and key
// pressure on every channel but the percussion channel move by
// TransposeAmount, folded by octaves into 0..127.
int32_t TransposeEvent(int32_t message);

}  // namespace sonara
