#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <sstream>
#include <string>

#include "QuizGame.h"

namespace statehood {
namespace {

bool IsPermutation(const std::array<std::int16_t, StateCount>& order) {
  std::array<int, StateCount> seen{};
  for (auto k : order) {
    if (k < 0 || k >= StateCount || seen[static_cast<std::size_t>(k)]++) return false;
  }
  return true;
}

TEST(ShuffleStates, DrawsAPermutationEveryTime) {
  QuizGame game(7u);
  for (int round = 0; round < 200; ++round) {
    if (round % 2) game.ShuffleStates(); else game.NewGame();
    ASSERT_TRUE(IsPermutation(game.StateOrder())) << round;
  }
}

// Over many seeded games each state leads about equally often: a chi-square
// bound far beyond chance (49 degrees of freedom, expected ~49), so a biased
// draw (one that can never put a state first, or favours some) fails.
TEST(ShuffleStates, FirstAndLastStatesAreUniform) {
  constexpr int Games = 10000;
  std::array<int, StateCount> first{};
  std::array<int, StateCount> last{};
  for (std::uint32_t seed = 0; seed < Games; ++seed) {
    QuizGame game(seed);
    game.ShuffleStates();
    ++first[static_cast<std::size_t>(game.StateOrder().front())];
    ++last[static_cast<std::size_t>(game.StateOrder().back())];
  }
  for (const auto* counts : {&first, &last}) {
    const double expected = double(Games) / StateCount;
    double chi2 = 0;
    for (int c : *counts) chi2 += (c - expected) * (c - expected) / expected;
    EXPECT_LT(chi2, 110.0);
    EXPECT_GT(*std::min_element(counts->begin(), counts->end()), 0);  // every state can lead
  }
}

struct PickCase {
  const char* what;
  QuizGame::RandomPick pick;
  std::array<std::int16_t, 3> firstThree;
};

TEST(ShuffleStates, UsesTheInjectedPickOverTheWholeRange) {
  const PickCase cases[] = {
      // lowest draw each step: the pool's front, refilled from its end
      {"always 0", [](int) { return 0; }, {0, 49, 48}},
      // highest draw each step: the last pool entry is reachable, so 49 can come first
      {"always n-1", [](int n) { return n - 1; }, {49, 48, 47}},
      // a pick that strays outside its range still gives a permutation
      {"out of range", [](int n) { return n + 5; }, {49, 48, 47}},
      {"negative", [](int) { return -3; }, {0, 49, 48}},
  };
  for (const auto& c : cases) {
    QuizGame game(c.pick);
    game.ShuffleStates();
    EXPECT_TRUE(IsPermutation(game.StateOrder())) << c.what;
    EXPECT_TRUE(std::equal(c.firstThree.begin(), c.firstThree.end(), game.StateOrder().begin()))
        << c.what;
  }
}

TEST(ShuffleStates, SameSeedSameOrder) {
  QuizGame a(42u), b(42u), c(43u);
  a.ShuffleStates();
  b.ShuffleStates();
  c.ShuffleStates();
  EXPECT_EQ(a.StateOrder(), b.StateOrder());
  EXPECT_NE(a.StateOrder(), c.StateOrder());
}

// A game whose order is known: 0, 49, 48, ..., 1 (the pick always draws 0).
class Game : public ::testing::Test {
 protected:
  Game() : game([](int) { return 0; }) { game.ShuffleStates(); }

  // Runs steps: N next, Pi press, Ti toggle, Ri release, Ai release with auto
  // advance, H hint, G new game (i is a box index).
  void Run(const std::string& steps) {
    std::istringstream in(steps);
    for (std::string step; in >> step;) {
      const int i = step.size() > 1 ? std::stoi(step.substr(1)) : -1;
      switch (step[0]) {
        case 'N': game.NextQuestion(); break;
        case 'P': game.PressBox(i); break;
        case 'T': game.ToggleBox(i); break;
        case 'R': game.ReleaseBox(i, false); break;
        case 'A': game.ReleaseBox(i, true); break;
        case 'H': game.ToggleHint(); break;
        case 'G': game.NewGame(); break;
        default: FAIL() << "bad step " << step;
      }
    }
  }

  QuizGame game;
};

TEST_F(Game, StartsReady) {
  const auto& d = game.Display();
  EXPECT_EQ(game.QuestionIndex(), -1);
  EXPECT_EQ(d.nextCaption, "Start");
  EXPECT_TRUE(d.nextEnabled);
  EXPECT_EQ(d.flag, -1);
  EXPECT_EQ(d.rightText, "0");
  EXPECT_EQ(d.wrongText, "0");
  EXPECT_FALSE(d.ansVisible);
  EXPECT_FALSE(d.commentVisible);
}

TEST_F(Game, FiftyQuestionsThenEndOfGame) {
  std::set<int> shown;
  for (int q = 0; q < StateCount; ++q) {
    game.NextQuestion();
    const auto& d = game.Display();
    const int k = game.StateOrder()[static_cast<std::size_t>(q)];
    ASSERT_EQ(game.QuestionIndex(), q);
    EXPECT_EQ(d.flag, k);
    EXPECT_EQ(d.guessText, StateName(k));
    EXPECT_EQ(d.dateText, StateDate(k));
    EXPECT_EQ(d.ansText, std::to_string(k + 1));
    EXPECT_EQ(d.nextCaption, "Next");
    shown.insert(d.flag);
  }
  EXPECT_EQ(shown.size(), 50u);
  game.NextQuestion();
  const auto& d = game.Display();
  EXPECT_EQ(d.guessText, "End of Game");
  EXPECT_FALSE(d.nextEnabled);
  EXPECT_EQ(game.QuestionIndex(), -1);
  EXPECT_EQ(d.flag, 1);  // the last question's flag stays
  EXPECT_EQ(d.dateText, StateDate(1));
  EXPECT_EQ(d.nextCaption, "Next");
}

struct AnswerCase {
  const char* what;
  const char* steps;
  int right, wrong;            // counts
  const char* rightText;       // what the counters show
  const char* wrongText;
  const char* guess;
  int points;
  bool commentVisible;
  int question;                // QuestionIndex afterwards
};

// Order 0, 49, 48, ...: question 0 wants box 0, question 1 wants box 49.
const AnswerCase Answers[] = {
    {"right answer", "N P0 T0 R0", 1, 0, "1", "0", "Correct", 16, false, 0},
    {"wrong answer", "N P5 T5 R5", 0, 1, "0", "1", "Wrong", 16, true, 0},
    {"right after wrong keeps the comment", "N P5 T5 R5 P0 T0 R0", 1, 1, "1", "1", "Correct", 16,
     true, 0},
    {"right box pressed twice scores twice", "N P0 T0 R0 P0 T0 R0", 2, 0, "2", "0", "Correct", 16,
     false, 0},
    {"wrong box pressed twice scores twice", "N P5 T5 R5 P5 T5 R5", 0, 2, "0", "2", "Wrong", 16, true,
     0},
    {"counters wait for the release", "N P0 T0", 1, 0, "0", "0", "Correct", 16, false, 0},
    {"press without a flip: score, no verdict", "N P5 R5", 0, 1, "0", "1", "Delaware", 12, false, 0},
    {"keyboard flip: verdict, no score", "N T5", 0, 0, "0", "0", "Wrong", 16, true, 0},
    {"press in Ready judges the first state", "P0 T0 R0", 1, 0, "1", "0", "Correct", 16, false, 0},
    {"Start after a press in Ready shows the second state", "P0 R0 N", 1, 0, "1", "0", "Hawaii", 12,
     false, 1},
    {"auto advance moves on after the release", "N P0 T0 A0", 1, 0, "1", "0", "Hawaii", 12, false, 1},
    {"flip-less press with auto advance still moves on", "N P7 A7", 0, 1, "0", "1", "Hawaii", 12,
     false, 1},
    {"next question leaves the counters alone", "N P0 T0 R0 N", 1, 0, "1", "0", "Hawaii", 12, false, 1},
    {"new game clears score and counters", "N P5 T5 R5 G", 0, 0, "0", "0", "", 16, false, -1},
};

TEST_F(Game, AnswersAreScoredAndJudged) {
  for (const auto& c : Answers) {
    QuizGame fresh([](int) { return 0; });
    fresh.ShuffleStates();
    game = fresh;
    Run(c.steps);
    const auto& d = game.Display();
    EXPECT_EQ(game.RightCount(), c.right) << c.what;
    EXPECT_EQ(game.WrongCount(), c.wrong) << c.what;
    EXPECT_EQ(d.rightText, c.rightText) << c.what;
    EXPECT_EQ(d.wrongText, c.wrongText) << c.what;
    EXPECT_EQ(d.guessText, c.guess) << c.what;
    EXPECT_EQ(d.guessPoints, c.points) << c.what;
    EXPECT_EQ(d.commentVisible, c.commentVisible) << c.what;
    EXPECT_EQ(game.QuestionIndex(), c.question) << c.what;
  }
}

TEST_F(Game, RightVerdictColoursThePressedBox) {
  Run("N P0 T0 R0");
  const auto& d = game.Display();
  EXPECT_EQ(d.boxColour[0], BoxColour::Blue);
  EXPECT_TRUE(d.boxSet[0]);  // the player's flip stays
  EXPECT_EQ(d.dateText, "");
  EXPECT_EQ(std::count(d.boxColour.begin(), d.boxColour.end(), BoxColour::ButtonFace), 49);
}

TEST_F(Game, WrongVerdictClearsThePressAndMarksTheRightBox) {
  Run("N N P5 T5 R5");  // question 1 wants box 49 (Hawaii, number 50)
  const auto& d = game.Display();
  EXPECT_FALSE(d.boxSet[5]);
  EXPECT_EQ(d.boxColour[5], BoxColour::ButtonFace);
  EXPECT_EQ(d.boxColour[49], BoxColour::Red);
  EXPECT_EQ(d.commentText, " Correct answer is 50");
  EXPECT_EQ(d.dateText, "");
  EXPECT_EQ(d.flag, 49);  // the flag stays while the verdict shows
}

TEST_F(Game, AutoAdvanceOnTheLastQuestionEndsTheGame) {
  for (int q = 0; q < StateCount; ++q) game.NextQuestion();
  const int last = game.StateOrder().back();
  game.PressBox(last);
  game.ToggleBox(last);
  game.ReleaseBox(last, true);
  EXPECT_EQ(game.Display().guessText, "End of Game");
  EXPECT_FALSE(game.Display().nextEnabled);
  EXPECT_EQ(game.QuestionIndex(), -1);
  EXPECT_EQ(game.RightCount(), 1);
}

// After the end Next is disabled; a press still judges the first state, and
// only auto advance can move on.
TEST_F(Game, PressAfterTheEndJudgesTheFirstState) {
  for (int q = 0; q <= StateCount; ++q) game.NextQuestion();
  Run("P0 T0 A0");
  EXPECT_EQ(game.RightCount(), 1);
  EXPECT_EQ(game.QuestionIndex(), 1);
  EXPECT_EQ(game.Display().guessText, "Hawaii");
  EXPECT_FALSE(game.Display().nextEnabled);
}

TEST_F(Game, NewGameResetsEverythingButHintVisibilityAndFontSize) {
  Run("N H N P3 T3 R3");
  game.NewGame();
  const auto& d = game.Display();
  EXPECT_TRUE(IsPermutation(game.StateOrder()));
  EXPECT_EQ(game.QuestionIndex(), -1);
  EXPECT_EQ(d.nextCaption, "Start");
  EXPECT_TRUE(d.nextEnabled);
  EXPECT_EQ(d.flag, -1);
  EXPECT_EQ(d.guessText, "");
  EXPECT_EQ(d.dateText, "");
  EXPECT_EQ(d.ansText, "");
  EXPECT_TRUE(d.ansVisible);  // kept across games
  EXPECT_EQ(d.guessPoints, 16);
  EXPECT_FALSE(d.commentVisible);
  EXPECT_EQ(std::count(d.boxSet.begin(), d.boxSet.end(), true), 0);
  EXPECT_EQ(std::count(d.boxColour.begin(), d.boxColour.end(), BoxColour::ButtonFace), 50);
}

TEST_F(Game, NewGameReenablesNextAfterTheEnd) {
  for (int q = 0; q <= StateCount; ++q) game.NextQuestion();
  ASSERT_FALSE(game.Display().nextEnabled);
  game.NewGame();
  EXPECT_TRUE(game.Display().nextEnabled);
}

TEST_F(Game, HintTogglesAndShowsTheCurrentNumber) {
  Run("N N H");
  EXPECT_TRUE(game.Display().ansVisible);
  EXPECT_EQ(game.Display().ansText, "50");
  Run("H");
  EXPECT_FALSE(game.Display().ansVisible);
}

TEST_F(Game, ShowStateOutsideTheTableChangesNothing) {
  game.NextQuestion();
  const QuizDisplay before = game.Display();
  game.ShowState(50);
  game.ShowState(-1);
  EXPECT_EQ(game.Display().guessText, before.guessText);
  EXPECT_EQ(game.Display().flag, before.flag);
}

// The counts are 16-bit: they stop at the top instead of wrapping negative.
TEST_F(Game, CountsStopAt32767) {
  game.NextQuestion();
  for (int n = 0; n < 32770; ++n) game.PressBox(0);
  game.ReleaseBox(0, false);
  EXPECT_EQ(game.RightCount(), 32767);
  EXPECT_EQ(game.Display().rightText, "32767");
}

}  // namespace
}  // namespace statehood
