// Every text the window can show is drawn whole: inside its control's text area
// (within frame, border, margins and indicator), not under a control stacked
// above it, and in the sans-serif that stands in for the design font. The
// window is shown on the offscreen screen of the run: 96 or 144 logical dpi,
// and 144 under Qt's scaling (device pixel ratio 1.5). Each text is checked
// twice: by where the control's style lays it out, and in the window's picture,
// whose ink of the text must be as large as the text drawn freely.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Form1.h"
#include "WindowTestScreen.h"

namespace statehood {
namespace {

// Where a control draws its one-line text, and the area it may draw in, both in
// the control's coordinates, as the control's style lays them out.
struct TextPlace {
  QRect room;
  QRect text;
};

TextPlace LabelTextPlace(const QLabel& label) {
  const QFontMetrics metrics = label.fontMetrics();
  const int margin = label.margin();
  QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
  const Qt::Alignment align = label.alignment();
  // A framed label without an indent of its own keeps half an 'x' from the
  // edge it is aligned to.
  int indent = label.indent();
  if (indent < 0 && label.frameWidth() > 0) indent = metrics.horizontalAdvance(QLatin1Char('x')) / 2 - margin;
  if (indent > 0) {
    if (align & Qt::AlignLeft) room.setLeft(room.left() + indent);
    if (align & Qt::AlignRight) room.setRight(room.right() - indent);
    if (align & Qt::AlignTop) room.setTop(room.top() + indent);
    if (align & Qt::AlignBottom) room.setBottom(room.bottom() - indent);
  }
  const QRect text = label.style()->itemTextRect(metrics, room, static_cast<int>(align),
                                                 label.isEnabled(), label.text());
  return {room, text};
}

QStyleOptionButton ButtonOption(const QAbstractButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  option.state |= button.isChecked() ? QStyle::State_On : QStyle::State_Off;
  if (button.isDown()) option.state |= QStyle::State_Sunken;
  return option;
}

TextPlace PushButtonTextPlace(const QPushButton& button) {
  const QStyleOptionButton option = ButtonOption(button);
  const QStyle& style = *button.style();
  const QRect room = style.subElementRect(QStyle::SE_PushButtonContents, &option, &button);
  QRect text = style.itemTextRect(button.fontMetrics(), room, Qt::AlignCenter | Qt::TextShowMnemonic,
                                  button.isEnabled(), button.text());
  // A set or pressed button draws its caption shifted.
  if (option.state & (QStyle::State_On | QStyle::State_Sunken)) {
    text.translate(style.pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, &button),
                   style.pixelMetric(QStyle::PM_ButtonShiftVertical, &option, &button));
  }
  return {room, text};
}

TextPlace CheckBoxTextPlace(const QCheckBox& box) {
  const QStyleOptionButton option = ButtonOption(box);
  const QStyle& style = *box.style();
  const QRect room = style.subElementRect(QStyle::SE_CheckBoxContents, &option, &box);
  const QRect text = style.itemTextRect(box.fontMetrics(), room,
                                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                                        box.isEnabled(), box.text());
  return {room, text};
}

std::string Describe(const QRect& r) {
  std::ostringstream out;
  out << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
  return out.str();
}

// The first control stacked above `control` (a later child of the same parent)
// that overlaps `area`, in the parent's coordinates; hidden ones count, as
// they may be shown later.
const QWidget* ControlAbove(const QWidget& control, const QRect& area) {
  bool above = false;
  for (const QObject* child : control.parentWidget()->children()) {
    if (child == &control) {
      above = true;
      continue;
    }
    const auto* sibling = qobject_cast<const QWidget*>(child);
    if (above && sibling && sibling->geometry().intersects(area)) return sibling;
  }
  return nullptr;
}

// What keeps the control's text from being read whole; empty when nothing does.
std::string TextFault(const QWidget& control) {
  TextPlace place;
  QString text;
  if (const auto* label = qobject_cast<const QLabel*>(&control)) {
    place = LabelTextPlace(*label);
    text = label->text();
  } else if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
    place = CheckBoxTextPlace(*box);
    text = box->text();
  } else if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
    place = PushButtonTextPlace(*button);
    text = button->text();
  }
  if (text.isEmpty()) return {};
  std::string fault;
  if (!place.room.contains(place.text)) {
    fault = "needs " + Describe(place.text) + " within " + Describe(place.room);
  } else if (const QWidget* above = ControlAbove(control, place.text.translated(control.pos()))) {
    fault = "lies under " + above->objectName().toStdString();
  } else if (!control.parentWidget()->rect().contains(place.text.translated(control.pos()))) {
    fault = "reaches past the window's client area";
  }
  const QString family = QFontInfo(control.font()).family();
  if (fault.empty() && family != QStringLiteral("Liberation Sans")) {
    fault = "is drawn in " + family.toStdString() +
            ", not Liberation Sans (fonts-liberation, installed by scripts/setup)";
  }
  if (fault.empty()) return {};
  std::ostringstream out;
  out << control.objectName().toStdString() << " cannot show \"" << text.toStdString() << "\" whole at "
      << control.font().pointSizeF() << " pt on the " << TestScreenName().toStdString()
      << " screen: " << fault;
  return out.str();
}

// The box, in device pixels, of the pixels where two pictures of one size differ.
QRect DifferenceBox(const QImage& a, const QImage& b) {
  QRect box;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) != b.pixel(x, y)) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

// The size, in device pixels, of the ink of the text drawn freely in the
// control's font, at the control's dpi and device pixel ratio.
QSize FreeInk(const QWidget& control, const QString& text) {
  constexpr int pad = 8;
  const QFontMetrics metrics = control.fontMetrics();
  const qreal ratio = control.devicePixelRatio();
  const QSize logical(metrics.horizontalAdvance(text) + 2 * pad, metrics.height() + 2 * pad);
  QImage blank(logical * ratio, QImage::Format_ARGB32_Premultiplied);
  blank.setDevicePixelRatio(ratio);
  const int dotsPerMeter = qRound(control.logicalDpiY() / 0.0254);
  blank.setDotsPerMeterX(dotsPerMeter);
  blank.setDotsPerMeterY(dotsPerMeter);
  blank.fill(Qt::white);
  QImage drawn = blank.copy();
  QPainter painter(&drawn);
  painter.setFont(control.font());
  painter.setPen(Qt::black);
  painter.drawText(QPoint(pad, pad + metrics.ascent()), text);
  painter.end();
  return DifferenceBox(blank, drawn).size();
}

QString TextOf(const QWidget& control) {
  if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
  return {};
}

void SetText(QWidget& control, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(&control)) label->setText(text);
  if (auto* button = qobject_cast<QAbstractButton*>(&control)) button->setText(text);
}

// The size, in device pixels, of the control's text as the window's picture
// shows it: what changes in the picture of the control's place when the text goes.
QSize VisibleInk(QWidget& window, QWidget& control) {
  const QRect place(control.mapTo(&window, QPoint(0, 0)), control.size());
  const QString text = TextOf(control);
  const QImage shown = window.grab(place).toImage();
  SetText(control, QString());
  const QImage blank = window.grab(place).toImage();
  SetText(control, text);
  return DifferenceBox(shown, blank).size();
}

// What the window's picture lacks of the control's text; empty when it shows it all.
// A pixel of slack allows for the text's position within a pixel.
std::string PictureFault(QWidget& window, QWidget& control) {
  const QString text = TextOf(control);
  if (text.trimmed().isEmpty()) return {};
  const QSize free = FreeInk(control, text);
  const QSize visible = VisibleInk(window, control);
  if (visible.width() + 1 >= free.width() && visible.height() + 1 >= free.height()) return {};
  std::ostringstream out;
  out << control.objectName().toStdString() << " shows \"" << text.toStdString() << "\" in "
      << visible.width() << "x" << visible.height() << " device pixels of ink, drawn whole it takes "
      << free.width() << "x" << free.height() << " (" << TestScreenName().toStdString() << " screen)";
  return out.str();
}

// The order 0, 49, 48, ..., 1, as in the window tests.
QuizGame KnownOrder() {
  return QuizGame([](int) { return 0; });
}

class WindowTexts : public ::testing::Test {
 public:
  explicit WindowTexts(QuizGame game = KnownOrder()) : form(std::move(game)) {
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
  }

  template <class T>
  T& Get(const QString& name) {
    T* widget = form.findChild<T*>(name);
    if (!widget) throw std::runtime_error("no control " + name.toStdString());
    return *widget;
  }
  QPushButton& Box(int k) { return Get<QPushButton>(QStringLiteral("chk1(%1)").arg(k)); }
  void Click(QWidget& w) { QTest::mouseClick(&w, Qt::LeftButton, Qt::NoModifier, w.rect().center()); }

  // Checks every text the window shows now; a fault is kept once however often it is seen.
  void CheckShownTexts() {
    static const char* const names[] = {"lblGuess", "lblDate", "Label(0)", "lblWrg", "Label(1)",
                                        "lblRgt",   "lblAns",  "lblComment", "chk2", "cmdNext",
                                        "cmdNew",   "cmdExit"};
    std::vector<QWidget*> controls;
    for (const char* name : names) controls.push_back(&Get<QWidget>(QString::fromLatin1(name)));
    for (int k = 0; k < StateCount; ++k) controls.push_back(&Box(k));
    for (QWidget* control : controls) {
      if (!control->isVisibleTo(&form)) continue;
      if (std::string fault = TextFault(*control); !fault.empty()) faults.insert(fault);
      if (std::string fault = PictureFault(form, *control); !fault.empty()) {
        faults.insert(fault);
      }
      ++checked;
    }
  }

  std::string Faults() const {
    std::string all;
    for (const auto& fault : faults) all += "\n  " + fault;
    return all;
  }

  Form1 form;
  std::set<std::string> faults;
  int checked = 0;
};

// The window is on the screen the run asked for, and lays out its twips at
// the dpi its widgets see.
TEST_F(WindowTexts, WindowIsOnTheScreenOfTheRun) {
  EXPECT_EQ(form.logicalDpiY(), TestWidgetDpi());
  EXPECT_EQ(form.devicePixelRatio(), TestQtScaling() ? TestScreenDpi() / 96.0 : 1.0);
  EXPECT_EQ(form.width(), TwipsToPixels(Form1::DesignWidthTwips, TestWidgetDpi()));
}

// A whole game, with the hint shown: every name, date and hint as it is asked,
// a wrong answer on each question (the comment with every number 1 to 50 and
// the red box), then the right one (every box pressed, then set and blue), and
// the end.
TEST_F(WindowTexts, EveryTextOfAGameFitsItsControl) {
  CheckShownTexts();  // Start, the zero counters and the clear boxes
  Click(Get<QLabel>("lblWrg"));  // the hint stays shown for the game
  ASSERT_FALSE(Get<QLabel>("lblAns").isHidden());
  auto& next = Get<QPushButton>("cmdNext");
  for (int q = 0; q < StateCount; ++q) {
    Click(next);
    CheckShownTexts();
    const int right = form.Game().StateOrder()[static_cast<std::size_t>(q)];
    Click(Box((right + 1) % StateCount));
    ASSERT_EQ(Get<QLabel>("lblGuess").text(), "Wrong");
    ASSERT_EQ(Get<QLabel>("lblComment").text(), QStringLiteral(" Correct answer is %1").arg(right + 1));
    CheckShownTexts();
    // The right box is checked held down too: a pressed button shifts its caption.
    const QPoint centre = Box(right).rect().center();
    QTest::mousePress(&Box(right), Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_TRUE(Box(right).isDown());
    CheckShownTexts();
    QTest::mouseRelease(&Box(right), Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_EQ(Get<QLabel>("lblGuess").text(), "Correct");
    CheckShownTexts();
  }
  Click(next);  // the end, at the verdict's size
  ASSERT_EQ(Get<QLabel>("lblGuess").text(), "End of Game");
  ASSERT_FALSE(next.isEnabled());
  CheckShownTexts();
  EXPECT_TRUE(faults.empty()) << faults.size() << " texts do not fit:" << Faults();
  EXPECT_GT(checked, 150 * 12);
}

// Passing every question without an answer ends the game at the question's size.
TEST_F(WindowTexts, TheEndOfAnUnansweredGameFits) {
  for (int q = 0; q <= StateCount; ++q) Click(Get<QPushButton>("cmdNext"));
  ASSERT_EQ(Get<QLabel>("lblGuess").text(), "End of Game");
  CheckShownTexts();
  Click(Get<QPushButton>("cmdNew"));
  CheckShownTexts();
  EXPECT_TRUE(faults.empty()) << Faults();
}

// The states list, once shown, has all its 25 lines whole in the field, which
// itself lies within the taller window: nothing to scroll either way.
TEST_F(WindowTexts, TheStatesListShowsWhole) {
  form.findChild<QAction*>(QStringLiteral("mnuList"))->trigger();
  auto& list = Get<QPlainTextEdit>("Text1");
  QApplication::processEvents();
  EXPECT_EQ(list.blockCount(), 25);
  EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0) << "the widest line is cut";
  EXPECT_EQ(list.verticalScrollBar()->maximum(), 0) << "the last lines are cut";
  EXPECT_TRUE(list.parentWidget()->rect().contains(list.geometry()));
  EXPECT_EQ(QFontInfo(list.font()).family(), "Liberation Sans");
}

// The counters at every width they reach, up to the largest count, where they stop.
class CounterTexts : public WindowTexts, public ::testing::WithParamInterface<int> {
 public:
  CounterTexts() : WindowTexts(ScoredGame(GetParam())) {}

  // A game with `presses` right and as many wrong presses on its first question.
  static QuizGame ScoredGame(int presses) {
    QuizGame game = KnownOrder();
    for (int i = 0; i < presses; ++i) {
      game.PressBox(0);
      game.PressBox(1);
    }
    game.ReleaseBox(1, false);
    return game;
  }
};

TEST_P(CounterTexts, FitTheirBoxes) {
  const QString expected = QString::number(std::min(GetParam(), 32767));
  ASSERT_EQ(Get<QLabel>("lblRgt").text(), expected);
  ASSERT_EQ(Get<QLabel>("lblWrg").text(), expected);
  CheckShownTexts();
  EXPECT_TRUE(faults.empty()) << Faults();
}

INSTANTIATE_TEST_SUITE_P(Widths, CounterTexts,
                         ::testing::Values(0, 8, 88, 888, 8888, 28888, 32767, 32768));

// Shrinking is for the texts that need it: a short count keeps a larger font
// than the largest count, and a short caption keeps the design size.
TEST(FittedFonts, ShrinkOnlyTheTextsThatNeedIt) {
  Form1 shortCount(CounterTexts::ScoredGame(1));
  Form1 longCount(CounterTexts::ScoredGame(32767));
  const auto points = [](Form1& form, const char* name) {
    return form.findChild<QWidget*>(QString::fromLatin1(name))->font().pointSizeF();
  };
  EXPECT_GT(points(shortCount, "lblWrg"), points(longCount, "lblWrg"));
  EXPECT_EQ(points(shortCount, "cmdExit"), 9.75);
}

}  // namespace
}  // namespace statehood
