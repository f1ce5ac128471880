// The catalogue window left alone: the program sleeps instead of polling.
// The application loop runs once per process, so the scenario runs in a
// process of its own, with a watchdog that ends it if the loop never
// returns.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/vcl/ExtCtrls.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class RestTest : public CatalogueWindowTest {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CatalogueWindowTest::SetUp();
  }

 public:
  void Add(TFormMain& w, const AnsiString& title) { AddMovie(w, title); }
};

// In the child process: 0 when the window rested as it should.
int RestingCatalogueIdlesAFewTimes(RestTest& test) {
  alarm(10);
  TFormMain* window = nullptr;
  Application->CreateForm(window);
  for (int i = 0; i < 50; ++i) test.Add(*window, "영화 "_k + IntToStr(i));
  window->DBModified = false;
  int passes = 0;
  bool shown = false;
  Application->OnIdle = [&passes](TObject*, bool&) { ++passes; };
  auto* stop = new TTimer(window);
  stop->SetInterval(1000);
  stop->OnTimer = [&](TObject*) {
    stop->SetEnabled(false);
    shown = window->Showing();
    Application->Terminate();
  };
  Application->Run();
  std::fprintf(stderr, "idle passes: %d, window shown: %d\n", passes, shown ? 1 : 0);
  // Each pass follows something the loop woke for: showing the window
  // brings a few, a timer with nothing to do one per tick.
  return passes >= 1 && passes <= 40 && shown ? 0 : 1;
}

TEST_F(RestTest, AnOpenCatalogueLeftAloneForASecondWakesTheProgramAFewTimesNotThousands) {
  EXPECT_EXIT(std::_Exit(RestingCatalogueIdlesAFewTimes(*this)), ::testing::ExitedWithCode(0), "idle passes");
}

}  // namespace
