#pragma once
// Texts that stay whole in controls of a fixed size. A control shows its text in
// its design font; where the text does not fit in that font (the sans-serif that
// stands in for the design font is a little wider, and numbers grow), the
// control's font shrinks in quarter points until the text fits. Nothing is cut.

#include <QAbstractButton>
#include <QFont>
#include <QLabel>
#include <QString>

namespace statehood {

// Gives the control the design font, or the largest smaller size at which the
// control's own size hint (its text with frame, margins and indicator) fits
// within its size.
void FitFont(QWidget& control, const QFont& design);

// Sets the text and fits the font to it; does nothing when neither changed.
void ShowFitted(QLabel& label, const QString& text, const QFont& design);
void ShowFitted(QAbstractButton& button, const QString& text, const QFont& design);

// A control stacked above the lower part of the label hides that part: keeps the
// label's text in the band above it. Call once the label and its siblings are placed.
void KeepTextClearOfControlsAbove(QLabel& label);

}  // namespace statehood
