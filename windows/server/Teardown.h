// The end of the module's life. The component's one store is a static of
// the DLL: when the DLL is unloaded or the process ends, its destruction
// terminates the active object, which stops the player and raises its stop
// events. By then the clients' sinks may belong to code that is already
// gone, so from that moment the event bridges neither call their sinks nor
// release them.
#pragma once

namespace sonara::com {

// Arms the marker; called when an object is created, after the store exists,
// so that the marker goes away (and silences the sinks) before the store does.
void KeepSinksQuietAtUnload();
bool ModuleIsGoingAway() noexcept;

}  // namespace sonara::com
