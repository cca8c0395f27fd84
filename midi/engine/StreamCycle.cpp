#include "engine/StreamCycle.h"

#include "FormProc.h"
#include "clsMidi.h"
#include "modMidi.h"

namespace sonara {

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
