#pragma once
// The quiz window. It owns the game, forwards the controls' events to it and
// shows the display state the game writes. Geometry is laid out in twips.

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <functional>

#include "QuizGame.h"

class QAction;
class QMenu;

namespace statehood {

// Twips (1/1440 inch) to pixels at a logical dpi: 15 twips a pixel at 96 dpi.
int TwipsToPixels(int twips, double dpi);

// Left edge that centres a window of the given outer width on a screen; a window
// wider than the screen starts at the screen's left edge rather than off it.
int CentredLeft(int screenLeft, int screenWidth, int windowWidth);

// An answer box: a toggle button that also reports button-down and button-up
// for every mouse button. The flip (clicked) comes before the button-up, so the
// verdict and the score of one answer concern the same question.
class AnswerBox : public QPushButton {
 public:
  std::function<void()> onMouseDown;
  std::function<void()> onMouseUp;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A label that reports a click of the primary button.
class ClickLabel : public QLabel {
 public:
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A rectangle or rounded-rectangle outline that lets the mouse through.
class Outline : public QWidget {
 public:
  void SetRounded(bool rounded) { rounded_ = rounded; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool rounded_ = false;
};

class Form1 : public QMainWindow {
 public:
  explicit Form1(QuizGame game = QuizGame(), QWidget* parent = nullptr);

  const QuizGame& Game() const { return game_; }
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }

  // Outer heights of the two list states. The outer bounds are the window's own
  // geometry with its menu bar; the window manager's title bar and frame differ
  // from desktop to desktop and are left out.
  static constexpr int ListHiddenTwips = 6120;
  static constexpr int ListShownTwips = 12045;
  static constexpr int DesignWidthTwips = 7710;

 private:
  void Form_Load();
  void cmdNext_Click();
  void cmdNew_Click();
  void chk1_MouseDown(int index);
  void chk1_Click(int index);
  void chk1_MouseUp(int index);
  void lblWrg_Click();
  void mnuList_Click();
  void cmdExit_Click();
  void MnuExit_Click();

  void BuildControls();
  void BuildMenu();
  void Place(QWidget& control, int left, int top, int width, int height);
  void ShowDisplay();
  void PaintBox(int index, BoxColour colour);

  QuizGame game_;
  double dpi_;
  int shownFlag_ = -1;
  std::array<BoxColour, StateCount> boxPainted_{};

  // Children are members: they are destroyed before the window, each removing
  // itself from its parent, so nothing is deleted twice.
  QWidget client_;
  QFrame Frame;
  Outline Shape0;  // rounded frame around the three buttons
  Outline Shape1;  // frame around the flag
  Outline ShapeGuess;  // frame around the state's name
  QLabel img1;
  QLabel lblGuess;
  QLabel lblDate;
  QLabel LabelWrong;
  QLabel LabelRight;
  ClickLabel lblWrg;
  QLabel lblRgt;
  QLabel lblAns;
  QLabel lblComment;
  QCheckBox chk2;
  QPushButton cmdNext;
  QPushButton cmdNew;
  QPushButton cmdExit;
  std::array<AnswerBox, StateCount> chk1;
  QPlainTextEdit Text1;
  QMenu* mnuFile = nullptr;    // owned by the menu bar
  QAction* mnuList = nullptr;  // owned by mnuFile
  QAction* MnuExit = nullptr;
};

}  // namespace statehood
