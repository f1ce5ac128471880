// The application's loop at rest: idle work runs when the queue empties,
// not over and over while nothing happens. Each scenario runs the loop in a
// process of its own (the application runs once per process), which a
// watchdog ends if the loop never returns.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

// Runs the application with a shown main form for restMs, then ends it;
// whatever OnIdle the caller set counts passes. A loop that does not end
// within ten seconds kills the process.
void RunAtRest(unsigned restMs) {
  alarm(10);
  TForm* form = nullptr;
  Application->CreateForm(form);
  form->SetBounds(10, 10, 400, 300);
  auto* stop = new TTimer(form);
  stop->SetInterval(restMs);
  stop->OnTimer = [stop](TObject*) {
    stop->SetEnabled(false);
    Application->Terminate();
  };
  Application->Run();
}

// The scenarios, each run in the child process: 0 when it went as it should.
int RestingWindowIdlesAFewTimes() {
  int passes = 0;
  Application->OnIdle = [&passes](TObject*, bool&) { ++passes; };
  RunAtRest(1000);
  std::fprintf(stderr, "idle passes: %d\n", passes);
  // Showing the window and the timer that ends the rest bring a few
  // batches of events; each may end in one pass.
  return passes >= 1 && passes <= 40 ? 0 : 1;
}

int HandlerAskingForMoreIsCalledAgain() {
  int passes = 0;
  // Five passes ask for more; from the sixth on the handler is done and the
  // loop sleeps until the rest ends.
  Application->OnIdle = [&passes](TObject*, bool& done) { done = ++passes >= 6; };
  RunAtRest(500);
  std::fprintf(stderr, "idle passes: %d\n", passes);
  return passes >= 6 && passes <= 40 ? 0 : 1;
}

int EachTickIsFollowedByAFewPasses() {
  int passes = 0;
  int ticks = 0;
  int passesAtLastTick = 0;
  bool fewPerTick = true;
  Application->OnIdle = [&passes](TObject*, bool&) { ++passes; };
  alarm(10);
  TForm* form = nullptr;
  Application->CreateForm(form);
  auto* tick = new TTimer(form);
  tick->SetInterval(100);
  tick->OnTimer = [&](TObject*) {
    // The pass after the previous tick has run by now, and the loop has
    // not kept passing while it waited for this one.
    const int between = passes - passesAtLastTick;
    if (ticks > 0 && (between < 1 || between > 3)) fewPerTick = false;
    passesAtLastTick = passes;
    if (++ticks == 5) Application->Terminate();
  };
  Application->Run();
  std::fprintf(stderr, "ticks %d, idle passes %d\n", ticks, passes);
  return fewPerTick && ticks == 5 ? 0 : 1;
}

class ApplicationIdle : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(ApplicationIdle, AWindowLeftAloneForASecondRunsIdleWorkAFewTimesNotThousands) {
  EXPECT_EXIT(std::_Exit(RestingWindowIdlesAFewTimes()), ::testing::ExitedWithCode(0), "idle passes");
}

TEST_F(ApplicationIdle, AHandlerThatAsksForMoreIsCalledAgainWithoutAnEvent) {
  EXPECT_EXIT(std::_Exit(HandlerAskingForMoreIsCalledAgain()), ::testing::ExitedWithCode(0), "idle passes");
}

TEST_F(ApplicationIdle, EachTimerTickIsFollowedByAnIdlePassAndTheLoopThenSleeps) {
  EXPECT_EXIT(std::_Exit(EachTickIsFollowedByAFewPasses()), ::testing::ExitedWithCode(0), "idle passes");
}

}  // namespace
