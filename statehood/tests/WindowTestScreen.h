#pragma once
// The screen that a run of the window tests renders on, chosen on the command
// line (--logical-dpi=N), and where its pictures go.

#include <QString>

namespace statehood {

int TestScreenDpi();

// A PNG in the test build folder, with the screen's dpi in its name.
QString TestPicturePath(const QString& name);

}  // namespace statehood
