#pragma once
// The quiz without a window: the question order, the score, and the display
// state that the window shows element by element after every operation.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "StateTable.h"

namespace statehood {

enum class BoxColour { ButtonFace, Blue, Red };

// What the window shows. Element names are those of the window's controls.
struct QuizDisplay {
  std::string guessText;       // lblGuess
  int guessPoints = 12;        // lblGuess font size: 12 for a question, 16 for a verdict
  std::string dateText;        // lblDate
  int flag = -1;               // img1: the row whose flag is shown, -1 for none
  std::string ansText;         // lblAns, the hint
  bool ansVisible = false;
  std::string commentText = "Correct answer is";  // lblComment
  bool commentVisible = false;
  std::string rightText = "0";  // lblRgt
  std::string wrongText = "0";  // lblWrg
  std::string nextCaption = "Start";  // cmdNext
  bool nextEnabled = true;
  std::array<bool, StateCount> boxSet{};  // chk1(i)
  std::array<BoxColour, StateCount> boxColour{};
};

class QuizGame {
 public:
  // Returns a uniformly drawn integer in 0..n-1 for n >= 1.
  using RandomPick = std::function<int(int n)>;

  QuizGame();                            // seeded from std::random_device
  explicit QuizGame(std::uint32_t seed);  // reproducible order, for tests
  explicit QuizGame(RandomPick pick);

  void ShuffleStates();
  void NewGame();
  void NextQuestion();
  void PressBox(int i);
  void ToggleBox(int i);
  void ReleaseBox(int i, bool autoAdvance);
  void ToggleHint();
  void ShowState(int k);

  const std::array<std::int16_t, StateCount>& StateOrder() const { return order_; }
  std::int16_t QuestionIndex() const { return questionIndex_; }
  std::int16_t RightCount() const { return rightCount_; }
  std::int16_t WrongCount() const { return wrongCount_; }
  const QuizDisplay& Display() const { return display_; }

 private:
  void MakeCurrentIfNone();
  int CurrentState() const { return order_[static_cast<std::size_t>(questionIndex_)]; }
  void ClearBoxes();

  RandomPick pick_;
  std::array<std::int16_t, StateCount> order_{};
  std::int16_t questionIndex_ = -1;
  std::int16_t rightCount_ = 0;
  std::int16_t wrongCount_ = 0;
  QuizDisplay display_;
};

}  // namespace statehood
