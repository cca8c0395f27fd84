// Members of the transport and the mixer that are built by later work; until
// then each fails with a clear error.
#include "clsMidi.h"

namespace sonara {

std::shared_ptr<Collection> clsMidi::ListDevices(int16_t&) { NotImplementedYet("ListDevices"); }
void clsMidi::PlayMidi() { NotImplementedYet("PlayMidi"); }
void clsMidi::put_Instrument(int16_t, const std::string&) { NotImplementedYet("Instrument"); }
void clsMidi::Pause() { NotImplementedYet("Pause"); }
void clsMidi::put_Volume(int16_t, int16_t) { NotImplementedYet("Volume"); }
void clsMidi::put_Balance(int16_t, int16_t) { NotImplementedYet("Balance"); }
void clsMidi::put_SetCurrentPosition(int32_t) { NotImplementedYet("SetCurrentPosition"); }
void clsMidi::put_Phaser(int16_t, int16_t) { NotImplementedYet("Phaser"); }
void clsMidi::put_Tremulo(int16_t, int16_t) { NotImplementedYet("Tremulo"); }
void clsMidi::put_Celeste(int16_t, int16_t) { NotImplementedYet("Celeste"); }
void clsMidi::put_Chorus(int16_t, int16_t) { NotImplementedYet("Chorus"); }
int32_t clsMidi::get_GetCurrentPosition() { NotImplementedYet("GetCurrentPosition"); }
void clsMidi::put_MuteChannel(int16_t, VariantBool) { NotImplementedYet("MuteChannel"); }
void clsMidi::ChangePatch(uint8_t, uint8_t) { NotImplementedYet("ChangePatch"); }

}  // namespace sonara
