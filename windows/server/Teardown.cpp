#include "Teardown.h"

namespace sonara::com {
namespace {

bool goingAway = false;

// Statics are destroyed in the reverse order of their construction: this
// one, made at the first object's creation, ends before the store.
struct UnloadMarker {
  ~UnloadMarker() { goingAway = true; }
};

}  // namespace

void KeepSinksQuietAtUnload() { static UnloadMarker marker; }

bool ModuleIsGoingAway() noexcept { return goingAway; }

}  // namespace sonara::com
