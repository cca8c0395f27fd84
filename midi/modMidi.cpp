#include "modMidi.h"

#include "FormProc.h"
#include "clsMidi.h"

namespace sonara {

PlayerStore modMidi;

PlayerStore::~PlayerStore() = default;

void ResetPlayerStore() {
  // Release the active object while the rest of the store is still intact:
  // its termination closes the device through the store.
  modMidi.ActivePlayer.reset();
  modMidi = PlayerStore{};
}

}  // namespace sonara
