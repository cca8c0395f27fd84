#include "KeyInput.h"

#include <gtest/gtest.h>

namespace midiplay {
namespace {

using Kind = KeyCommand::Kind;

TEST(KeyInput, DecodesEveryKeyOfThePlayer) {
  std::vector<KeyCommand> expected = {
      {Kind::PauseResume}, {Kind::Quit},          {Kind::Interrupt},   {Kind::SeekForward}, {Kind::SeekBack},
      {Kind::SeekForward}, {Kind::TransposeUp},   {Kind::TransposeDown}, {Kind::Slower},    {Kind::Faster},
      {Kind::ToggleMute, 0}, {Kind::ToggleMute, 8}, {Kind::ToggleMute, 9}, {Kind::NextFile}, {Kind::PreviousFile}};
  EXPECT_EQ(DecodeKeys(" q\x03\x1b[C\x1b[D\x1bOC+-[]190np"), expected);
}

TEST(KeyInput, IgnoresOtherBytesAndEscapeSequences) {
  // up and down arrows, a lone escape, letters without a meaning
  EXPECT_EQ(DecodeKeys("\x1b[A\x1b[Bxz\x1b"), std::vector<KeyCommand>{});
}

}  // namespace
}  // namespace midiplay
