#include "engine/StreamCycle.h"

#include <array>

#include "FormProc.h"
#include "clsMidi.h"
#include "engine/BufferFill.h"
#include "engine/StreamTempo.h"
#include "modMidi.h"
#include "platform/dialogs.h"

namespace sonara {

namespace {

constexpr const char* kApplicationTitle = "Midi";

// Runs one statement of the callback window's work; a failure ends that
// statement only.
template <class Statement>
void IgnoringFailure(Statement&& statement) {
  try {
    statement();
  } catch (...) {
  }
}

std::string ErrorTextOf(mm::MMRESULT result) {
  std::array<char, 256> text{};
  mm::midiOutGetErrorTextA(result, text.data(), 255);
  return text.data();
}

// A notification for the buffer of the stream that plays now. One posted by
// a stream closed since (stop and play in one client call) names another
// handle and must not touch the new stream's buffer.
bool IsCurrentBufferDone(mm::WPARAM wParam, mm::LPARAM lParam) {
  return static_cast<mm::HMIDISTRM>(wParam) == modMidi.StreamHandle &&
         reinterpret_cast<const mm::MIDIHDR*>(lParam) == &modMidi.StreamHeader;
}

}  // namespace

mm::LRESULT CallbackWndProc(mm::HWND hWnd, mm::UINT uMsg, mm::WPARAM wParam, mm::LPARAM lParam) {
  if (modMidi.StopRequested != kFalse) {
    IgnoringFailure([] { CloseStream(); });
  } else if (uMsg == mm::MM_MOM_DONE && IsCurrentBufferDone(wParam, lParam)) {
    mm::InitializeCriticalSection(&modMidi.BufferLock);
    mm::EnterCriticalSection(&modMidi.BufferLock);
    IgnoringFailure([] { OnBufferDone(); });
    mm::LeaveCriticalSection(&modMidi.BufferLock);
    mm::DeleteCriticalSection(&modMidi.BufferLock);
  }
  try {
    return mm::CallWindowProcA(modMidi.PrevWndProc, hWnd, uMsg, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void OnBufferDone() {
  mm::midiOutUnprepareHeader(modMidi.StreamHandle, &modMidi.StreamHeader, sizeof(mm::MIDIHDR));
  if (modMidi.StopRequested != kFalse) {
    CloseStream();
  } else {
    SendNextBuffer();
  }
}

void SendNextBuffer() {
  FollowPlayedTempoRecords(modMidi.NextEventIndex, modMidi.BufferEventCount);
  modMidi.NextEventIndex += modMidi.BufferEventCount;
  if (modMidi.StopRequested != kFalse) return;
  if (modMidi.NextEventIndex > modMidi.Timeline.UBound()) {
    // Every record has played: the song is over.
    if (auto player = modMidi.ActivePlayer) player->StopMidi();
    return;
  }
  const mm::HMIDISTRM stream = modMidi.StreamHandle;
  const int32_t n = FillBuffer(modMidi.NextEventIndex);
  // Abandoned: a client call from an event of the fill stopped playback, or
  // opened a new stream that owns the buffer and the header now.
  if (n == 0 || modMidi.StreamHandle != stream || modMidi.StopRequested != kFalse) return;
  modMidi.BufferEventCount = n;

  mm::MIDIHDR& header = modMidi.StreamHeader;
  header.lpData = reinterpret_cast<char*>(modMidi.StreamBuffer.Items().data());
  header.dwBufferLength = static_cast<uint32_t>(sizeof(mm::MIDIEVENT)) * static_cast<uint32_t>(n);
  header.dwBytesRecorded = header.dwBufferLength;
  header.dwFlags = 0;
  if (mm::midiOutPrepareHeader(stream, &header, sizeof(mm::MIDIHDR)) != mm::MMSYSERR_NOERROR) {
    CloseStream();
    return;
  }
  if (mm::midiStreamOut(stream, &header, sizeof(mm::MIDIHDR)) != mm::MMSYSERR_NOERROR) CloseStream();
}

bool OpenStream() {
  FormProc& form = EnsureCallbackForm();
  HookCallbackWindow(form, &CallbackWndProc);
  // Sign-extended, so that -1 selects the first device (the mapper).
  uint32_t device = static_cast<uint32_t>(static_cast<int32_t>(modMidi.DeviceId));
  mm::HMIDISTRM handle = 0;
  modMidi.LastResult = mm::midiStreamOpen(&handle, &device, 1, form.hWnd(), 0, mm::CALLBACK_WINDOW);
  if (modMidi.LastResult != mm::MMSYSERR_NOERROR) {
    modMidi.ErrorText = ErrorTextOf(modMidi.LastResult);
    mm::MessageBoxA(0, modMidi.ErrorText, kApplicationTitle, mm::MB_ICONERROR);
    return false;
  }
  modMidi.StreamHandle = handle;
  mm::midiStreamPause(modMidi.StreamHandle);
  mm::MIDIPROPTEMPO tempo{sizeof(mm::MIDIPROPTEMPO),
                          static_cast<uint32_t>(static_cast<int32_t>(ScaledStreamTempo(modMidi.TempoInForce)))};
  mm::midiStreamProperty(modMidi.StreamHandle, reinterpret_cast<uint8_t*>(&tempo),
                         mm::MIDIPROP_SET | mm::MIDIPROP_TEMPO);
  modMidi.StopRequested = kFalse;
  return true;
}

void StartStream(clsMidi& player) {
  const mm::HMIDISTRM stream = modMidi.StreamHandle;
  SendNextBuffer();
  // An event of the first fill stopped playback, or started it anew: that
  // call has done what was needed, and a closed stream is not restarted.
  if (modMidi.StopRequested != kFalse || modMidi.StreamHandle != stream) return;
  modMidi.LastResult = mm::midiStreamRestart(stream);
  if (modMidi.LastResult != mm::MMSYSERR_NOERROR) {
    modMidi.ErrorText = ErrorTextOf(modMidi.LastResult);
    mm::MessageBoxA(0, modMidi.ErrorText, "", mm::MB_OK);
    player.StopMidi();
    return;
  }
  EnsureCallbackForm().Timer1.put_Enabled(true);
}

int32_t ReadStreamPosition() {
  modMidi.StreamTime.wType = mm::TIME_TICKS;
  mm::MMTIME time = modMidi.StreamTime;
  if (mm::midiStreamPosition(modMidi.StreamHandle, &time, sizeof(mm::MMTIME)) == mm::MMSYSERR_NOERROR) {
    modMidi.StreamTime = time;
  }
  return modMidi.PositionBase + static_cast<int32_t>(modMidi.StreamTime.u.ticks);
}

void CloseStream() {
  modMidi.StopRequested = kTrue;
  FormProc& form = EnsureCallbackForm();
  form.Timer1.put_Enabled(false);
  UnhookCallbackWindow(form);
  // Notifications already queued reach only the form's own procedure now.
  mm::PumpMessages();
  if (modMidi.PlayerStatus == kStatusPaused) {
    mm::midiStreamPause(modMidi.StreamHandle);
  } else {
    mm::midiStreamStop(modMidi.StreamHandle);
  }
  mm::midiOutReset(modMidi.StreamHandle);
  mm::midiOutUnprepareHeader(modMidi.StreamHandle, &modMidi.StreamHeader, sizeof(mm::MIDIHDR));
  mm::midiStreamClose(modMidi.StreamHandle);
}

}  // namespace sonara
