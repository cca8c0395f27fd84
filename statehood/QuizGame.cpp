#include "QuizGame.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <random>

namespace statehood {
namespace {

QuizGame::RandomPick EnginePick(std::uint32_t seed) {
  // shared_ptr keeps the pick copyable along with the game.
  auto engine = std::make_shared<std::mt19937>(seed);
  return [engine](int n) { return std::uniform_int_distribution<int>(0, n - 1)(*engine); };
}

// Counts are 16-bit; they stop at the largest value instead of wrapping negative.
void CountUp(std::int16_t& count) {
  if (count < std::numeric_limits<std::int16_t>::max()) ++count;
}

}  // namespace

QuizGame::QuizGame() : QuizGame(std::random_device{}()) {}

QuizGame::QuizGame(std::uint32_t seed) : QuizGame(EnginePick(seed)) {}

QuizGame::QuizGame(RandomPick pick) : pick_(std::move(pick)) {
  for (int k = 0; k < StateCount; ++k) order_[k] = static_cast<std::int16_t>(k);
}

// Draws without replacement from a pool: every one of the 50! orders is equally likely.
void QuizGame::ShuffleStates() {
  std::array<std::int16_t, StateCount> pool{};
  for (int k = 0; k < StateCount; ++k) pool[k] = static_cast<std::int16_t>(k);
  for (int i = StateCount - 1; i >= 0; --i) {
    // An injected pick that strays outside its range must not break the permutation.
    const int j = std::clamp(pick_(i + 1), 0, i);
    order_[StateCount - 1 - i] = pool[j];
    pool[j] = pool[i];
  }
}

void QuizGame::ClearBoxes() {
  display_.boxSet.fill(false);
  display_.boxColour.fill(BoxColour::ButtonFace);
}

void QuizGame::NewGame() {
  ShuffleStates();
  ClearBoxes();
  display_.nextCaption = "Start";
  display_.flag = -1;
  display_.guessText.clear();
  questionIndex_ = -1;
  display_.wrongText = "0";
  display_.rightText = "0";
  wrongCount_ = 0;
  rightCount_ = 0;
  display_.ansText.clear();
  display_.commentVisible = false;
  display_.dateText.clear();
  display_.nextEnabled = true;
}

void QuizGame::NextQuestion() {
  display_.guessText.clear();
  ++questionIndex_;
  if (questionIndex_ >= StateCount) {
    // The last question's flag, date, hint and caption stay on the window.
    display_.guessText = "End of Game";
    display_.nextEnabled = false;
    questionIndex_ = -1;
    return;
  }
  display_.ansText = std::to_string(CurrentState() + 1);
  display_.nextCaption = "Next";
  display_.commentVisible = false;
  display_.guessPoints = 12;
  ShowState(CurrentState());
}

void QuizGame::ShowState(int k) {
  if (k < 0 || k >= StateCount) return;
  display_.guessText = StateName(k);
  display_.dateText = StateDate(k);
  display_.flag = k;
}

// An answer with no question current is judged against the first of the order.
void QuizGame::MakeCurrentIfNone() {
  if (questionIndex_ == -1) questionIndex_ = 0;
}

void QuizGame::PressBox(int i) {
  MakeCurrentIfNone();
  CountUp(i == CurrentState() ? rightCount_ : wrongCount_);
}

void QuizGame::ToggleBox(int i) {
  if (i < 0 || i >= StateCount) return;
  MakeCurrentIfNone();
  const auto box = static_cast<std::size_t>(i);
  display_.boxSet[box] = !display_.boxSet[box];  // the player's flip
  display_.guessPoints = 16;
  if (i == CurrentState()) {
    display_.guessText = "Correct";
    display_.boxColour[box] = BoxColour::Blue;
  } else {
    const int right = CurrentState();
    display_.guessText = "Wrong";
    display_.boxSet[box] = false;
    display_.commentText = " Correct answer is " + std::to_string(right + 1);
    display_.commentVisible = true;
    display_.boxColour[static_cast<std::size_t>(right)] = BoxColour::Red;
  }
  display_.dateText.clear();
}

void QuizGame::ReleaseBox(int /*i*/, bool autoAdvance) {
  display_.wrongText = std::to_string(wrongCount_);
  display_.rightText = std::to_string(rightCount_);
  if (autoAdvance) NextQuestion();
}

void QuizGame::ToggleHint() { display_.ansVisible = !display_.ansVisible; }

}  // namespace statehood
