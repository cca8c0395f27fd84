#pragma once
// The screen that a run of the window tests renders on, chosen on the command
// line, and where its pictures go.
//   --logical-dpi=N   the offscreen screen's logical dpi (96 when not given)
//   --qt-scaling      Qt scales the window by N / 96 (its device pixel ratio) and
//                     the widgets lay out at 96 dpi; without it they see N dpi

#include <QString>

namespace statehood {

int TestScreenDpi();
bool TestQtScaling();
int TestWidgetDpi();  // the logical dpi the widgets see

// "144dpi", or "144dpi-scaled" under Qt's scaling.
QString TestScreenName();

// A PNG in the test build folder, with the screen's name in its own.
QString TestPicturePath(const QString& name);

}  // namespace statehood
