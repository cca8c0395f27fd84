#include "FittedText.h"

#include <QVariant>
#include <algorithm>

namespace statehood {
namespace {

constexpr double StepPoints = 0.25;
constexpr double SmallestPoints = 1.0;
constexpr char DesignFontProperty[] = "statehoodDesignFont";

bool TextFits(const QWidget& control) {
  const QSize need = control.sizeHint();
  return need.width() <= control.width() && need.height() <= control.height();
}

// The design font the control was last fitted for: refitting the same text for
// the same design would only repeat the search.
bool FittedFor(const QWidget& control, const QFont& design) {
  const QVariant last = control.property(DesignFontProperty);
  return last.isValid() && last.value<QFont>() == design;
}

}  // namespace

void FitFont(QWidget& control, const QFont& design) {
  control.setProperty(DesignFontProperty, design);
  QFont font = design;
  control.setFont(font);
  // Going down from the design size, the first size that fits is the largest that does.
  for (double points = design.pointSizeF() - StepPoints;
       !TextFits(control) && points >= SmallestPoints; points -= StepPoints) {
    font.setPointSizeF(points);
    control.setFont(font);
  }
}

void ShowFitted(QLabel& label, const QString& text, const QFont& design) {
  if (label.text() == text && FittedFor(label, design)) return;
  label.setText(text);
  FitFont(label, design);
}

void ShowFitted(QAbstractButton& button, const QString& text, const QFont& design) {
  if (button.text() == text && FittedFor(button, design)) return;
  button.setText(text);
  FitFont(button, design);
}

void KeepTextClearOfControlsAbove(QLabel& label) {
  const QWidget* parent = label.parentWidget();
  if (!parent) return;
  const QRect own = label.geometry();
  int hidden = 0;
  bool above = false;  // children are listed bottom to top
  for (const QObject* child : parent->children()) {
    if (child == &label) {
      above = true;
      continue;
    }
    const auto* sibling = qobject_cast<const QWidget*>(child);
    if (!above || !sibling || !sibling->geometry().intersects(own)) continue;
    if (sibling->y() > own.top()) hidden = std::max(hidden, own.bottom() + 1 - sibling->y());
  }
  QMargins margins = label.contentsMargins();
  margins.setBottom(std::max(margins.bottom(), hidden));
  label.setContentsMargins(margins);
}

}  // namespace statehood
