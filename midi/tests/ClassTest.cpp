#include <gtest/gtest.h>

#include "clsMidi.h"

namespace sonara {
namespace {

TEST(ClassTest, NewObjectReportsFileNotOpen) {
  ResetPlayerStore();
  auto midi = clsMidi::Create();
  EXPECT_EQ(midi->get_Status(), 6);
}

}  // namespace
}  // namespace sonara
