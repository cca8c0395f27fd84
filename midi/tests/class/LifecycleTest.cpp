#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FormProc.h"
#include "clsMidi.h"
#include "platform/clock.h"
#include "support/RecordingSink.h"

namespace sonara {
namespace {

using testing::RecordingSink;
using testing::StopEvents;
using Lines = std::vector<std::string>;

class LifecycleTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPlayerStore(); }
  void TearDown() override { ResetPlayerStore(); }
  mm::clock::VirtualClockGuard clock_;
};

TEST_F(LifecycleTest, StopOnAnObjectThatNeverPlayedStillStopsAndClears) {
  auto midi = clsMidi::Create();
  auto sink = std::make_shared<RecordingSink>();
  midi->Advise(sink);
  modMidi.StartTick = 300;

  midi->StopMidi();

  EXPECT_EQ(sink->lines, StopEvents());
  EXPECT_EQ(midi->get_Status(), kStatusStopped);
  EXPECT_EQ(modMidi.StartTick, 0);
  ASSERT_TRUE(modMidi.CallbackForm) << "the hidden form is created so that its timer can be switched off";
  EXPECT_FALSE(modMidi.CallbackForm->Timer1.get_Enabled());
  EXPECT_EQ(modMidi.StopRequested, kTrue);
}

TEST_F(LifecycleTest, TerminationClosesTheDeviceThroughTheObjectThatDies) {
  auto a = clsMidi::Create();
  auto sinkA = std::make_shared<RecordingSink>();
  a->Advise(sinkA);
  auto b = clsMidi::Create();  // a is no longer active, but its client still holds it
  auto sinkB = std::make_shared<RecordingSink>();
  b->Advise(sinkB);
  EXPECT_TRUE(sinkA->lines.empty());

  a.reset();  // the last reference to a: it terminates now
  EXPECT_EQ(sinkA->lines, StopEvents());
  EXPECT_TRUE(sinkB->lines.empty());
  EXPECT_EQ(modMidi.PlayerStatus, kStatusStopped);

  std::weak_ptr<clsMidi> weakB = b;
  b.reset();  // b lives on as the active object
  ASSERT_FALSE(weakB.expired());
  EXPECT_TRUE(sinkB->lines.empty());

  auto c = clsMidi::Create();  // releases b: its termination runs before the status becomes 6
  EXPECT_TRUE(weakB.expired());
  EXPECT_EQ(sinkB->lines, StopEvents());
  EXPECT_EQ(c->get_Status(), kStatusFileNotOpen);
}

TEST_F(LifecycleTest, CloseDeviceStopsThenLetsWaitingMessagesThrough) {
  auto midi = clsMidi::Create();
  auto sink = std::make_shared<RecordingSink>();
  midi->Advise(sink);
  FormProc& form = EnsureCallbackForm();
  int ticks = 0;
  form.Timer1.OnTimer = [&] { ++ticks; };
  // A message already waiting when CloseDevice is called is dispatched before it returns.
  static int seen = 0;
  seen = 0;
  mm::HWND window = mm::CreateMessageWindow("probe", [](mm::HWND, mm::UINT msg, mm::WPARAM, mm::LPARAM) -> mm::LRESULT {
    if (msg == mm::WM_USER) ++seen;
    return 0;
  });
  mm::PostMessageA(window, mm::WM_USER, 0, 0);

  midi->CloseDevice();

  EXPECT_EQ(sink->lines, StopEvents());
  EXPECT_EQ(seen, 1);
  EXPECT_EQ(ticks, 0);
  mm::DestroyWindow(window);
}

TEST(FormProcTest, HiddenFormHasItsCaptionAndAStoppedOneSecondTimer) {
  ResetPlayerStore();
  mm::clock::VirtualClockGuard clock;
  FormProc& form = EnsureCallbackForm();
  EXPECT_EQ(&form, &EnsureCallbackForm()) << "one form, created on first use";
  EXPECT_EQ(form.Caption(), "Form1");
  EXPECT_EQ(form.Timer1.get_Interval(), 1000u);
  EXPECT_FALSE(form.Timer1.get_Enabled());

  std::vector<int64_t> fired;
  form.Timer1.OnTimer = [&] { fired.push_back(mm::clock::NowMicros()); };
  mm::clock::AdvanceTo(1'500'000);
  EXPECT_TRUE(fired.empty()) << "a disabled timer does not fire";

  form.Timer1.put_Enabled(true);  // counts from 1.5 s
  mm::clock::AdvanceTo(4'600'000);
  form.Timer1.put_Enabled(false);
  mm::clock::AdvanceTo(9'000'000);
  EXPECT_EQ(fired, (std::vector<int64_t>{2'500'000, 3'500'000, 4'500'000}));
  ResetPlayerStore();
}

// Procedures of the chain that record the order in which they see a message.
std::vector<std::string> g_chain;
mm::LRESULT FirstProc(mm::HWND h, mm::UINT m, mm::WPARAM w, mm::LPARAM l) {
  g_chain.push_back("first");
  return mm::CallWindowProcA(modMidi.PrevWndProc, h, m, w, l);
}

TEST(FormProcTest, SubclassingChainsToTheFormAndRestoresIt) {
  ResetPlayerStore();
  FormProc& form = EnsureCallbackForm();
  const mm::WNDPROC own = mm::GetWindowProc(form.hWnd());
  ASSERT_NE(own, nullptr);

  UnhookCallbackWindow(form);  // never hooked: nothing kept, nothing changes
  EXPECT_EQ(mm::GetWindowProc(form.hWnd()), own);

  HookCallbackWindow(form, &FirstProc);
  HookCallbackWindow(form, &FirstProc);  // a second hook must not make FirstProc its own predecessor
  EXPECT_EQ(modMidi.PrevWndProc, own);
  EXPECT_EQ(mm::GetWindowProc(form.hWnd()), &FirstProc);

  g_chain.clear();
  int ticks = 0;
  form.Timer1.OnTimer = [&] { ++ticks; };
  form.Timer1.put_Enabled(true);
  mm::PostMessageA(form.hWnd(), mm::WM_TIMER, FormProc::kTimer1Id, 0);
  mm::PumpMessages();
  EXPECT_EQ(g_chain, (std::vector<std::string>{"first"}));
  EXPECT_EQ(ticks, 1) << "the message went on to the form's own procedure";

  UnhookCallbackWindow(form);
  UnhookCallbackWindow(form);  // restoring twice puts back the same procedure
  EXPECT_EQ(mm::GetWindowProc(form.hWnd()), own);
  form.Timer1.put_Enabled(false);
  ResetPlayerStore();
}

}  // namespace
}  // namespace sonara
